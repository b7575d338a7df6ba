#include "autoread/methods.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace orv::autoread {

namespace {

double cross2(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }

QPointF toPixel(QPointF n, QSize size) { return {n.x() * size.width(), (1 - n.y()) * size.height()}; }
QPointF toNormalised(QPointF p, QSize size) { return {p.x() / size.width(), 1 - p.y() / size.height()}; }

QImage rgb32(const QImage &img)
{
    if (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32)
        return img;
    return img.convertToFormat(QImage::Format_RGB32);
}

// The reading's own threads: the shared pool also paints (the raster engine
// splits some drawing over it), and a long reading must not hold that up.
QThreadPool &computePool()
{
    static QThreadPool *pool = [] {
        auto *p = new QThreadPool;
        p->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
        return p;
    }();
    return *pool;
}

// Work split into a few chunks, one per thread, each with its own colour cache.
template <typename F> void forChunks(int n, F &&work)
{
    QThreadPool &pool = computePool();
    const int chunks = std::max(1, std::min(n, pool.maxThreadCount() * 2));
    std::vector<std::pair<int, int>> ranges;
    for (int c = 0; c < chunks; ++c)
        ranges.emplace_back(int(qint64(n) * c / chunks), int(qint64(n) * (c + 1) / chunks));
    QtConcurrent::blockingMap(&pool, ranges, [&](const std::pair<int, int> &r) { work(r.first, r.second); });
}

// Progress is reported once per percent: each report is an event for the
// window's thread, and thousands of them would hold up its own events.
bool percentStep(int done, int total) { return qint64(done) * 100 / total != qint64(done - 1) * 100 / total; }

// --- Steps ----------------------------------------------------------------------

struct Run {
    double along = 0; // weighted centre, in the line's own parameter (pixels)
    double weight = 0;
    QPointF pixel;
};

// The runs of matching samples along the picture line a -> b. Samples lie one
// pixel apart along the line's main direction; across it, the weight is
// interpolated between the two nearest pixel centres, so the line need not
// pass through pixel centres. A run is the matching samples and up to two fringe
// samples on each side (the antialiased edge), weighted by closeness.
std::vector<Run> runsAlong(const QImage &img, const ReadArea &area, const ColourMatcher &m, QPointF a, QPointF b)
{
    std::vector<Run> runs;
    const QPointF d = b - a;
    const bool vertical = std::abs(d.y()) >= std::abs(d.x());
    const double dMain = vertical ? d.y() : d.x();
    if (std::abs(dMain) < 1e-9)
        return runs;
    const QRect bounds = area.bounds();
    const double lo = std::min(vertical ? a.y() : a.x(), vertical ? b.y() : b.x());
    const double hi = std::max(vertical ? a.y() : a.x(), vertical ? b.y() : b.x());
    const int first = std::max(int(std::floor(lo)), vertical ? bounds.top() : bounds.left());
    const int last = std::min(int(std::ceil(hi)), vertical ? bounds.bottom() : bounds.right());
    const int W = img.width(), H = img.height();

    struct Sample {
        float w = 0;
        bool match = false;
        bool inside = false;
    };
    std::vector<Sample> s(size_t(std::max(0, last - first + 1)));
    for (int k = first; k <= last; ++k) {
        const double c = k + 0.5;
        const double t = (c - (vertical ? a.y() : a.x())) / dMain;
        const double other = (vertical ? a.x() : a.y()) + t * (vertical ? d.x() : d.y());
        const double px = vertical ? other : c, py = vertical ? c : other;
        Sample &o = s[size_t(k - first)];
        if (!area.contains(px, py))
            continue;
        o.inside = true;
        const double oc = other - 0.5;
        const int i0 = int(std::floor(oc));
        const double f = oc - i0;
        float w = 0;
        bool match = false;
        for (int n = 0; n < 2; ++n) {
            const int i = i0 + n;
            const double share = n ? f : 1 - f;
            if (share <= 0 || i < 0 || i >= (vertical ? W : H))
                continue;
            const QRgb rgb = vertical ? reinterpret_cast<const QRgb *>(img.constScanLine(k))[i]
                                      : reinterpret_cast<const QRgb *>(img.constScanLine(i))[k];
            const float dist = m.distance(rgb);
            w += float(share) * (dist <= m.tolerance() ? m.weight(rgb) : m.weight(rgb) * 0.999f);
            match = match || (dist <= m.tolerance() && share >= 0.5);
        }
        o.w = w;
        o.match = match;
    }
    const int n = int(s.size());
    for (int k = 0; k < n;) {
        if (!s[size_t(k)].match) {
            ++k;
            continue;
        }
        int e = k;
        while (e + 1 < n && s[size_t(e + 1)].match)
            ++e;
        // Two fringe samples a side: enough for the soft edge a compressed
        // picture gives a line, too few to reach into a neighbouring line.
        constexpr int F = 2;
        int lo2 = k, hi2 = e;
        for (int q = 0; q < F && lo2 > 0 && s[size_t(lo2 - 1)].inside && !s[size_t(lo2 - 1)].match; ++q) --lo2;
        for (int q = 0; q < F && hi2 + 1 < n && s[size_t(hi2 + 1)].inside && !s[size_t(hi2 + 1)].match; ++q) ++hi2;
        double sw = 0, sc = 0;
        for (int q = lo2; q <= hi2; ++q) {
            sw += s[size_t(q)].w;
            sc += s[size_t(q)].w * (first + q + 0.5);
        }
        if (sw > 0) {
            Run r;
            r.along = sc / sw;
            r.weight = sw;
            const double t = (r.along - (vertical ? a.y() : a.x())) / dMain;
            r.pixel = a + t * d;
            runs.push_back(r);
        }
        k = e + 1;
    }
    return runs;
}

std::expected<ReadResult, ReadError> readSteps(const ReadJob &job, const QImage &img, const ReadArea &area,
                                               const Progress &progress)
{
    const bool alongY = job.method == Method::YSteps;
    auto values = stepValues(job.frame, alongY, job.steps);
    if (!values)
        return std::unexpected(values.error());
    const FrameSpec &f = job.frame;
    const double a = alongY ? f.ya : f.xa, b = alongY ? f.yb : f.xb;
    const int n = int(values->size());
    std::vector<std::vector<Run>> runs(static_cast<size_t>(n));
    std::vector<std::pair<QPointF, QPointF>> lines(static_cast<size_t>(n));
    std::vector<char> lineOk(size_t(n), 0);
    std::atomic<int> done{0};
    forChunks(n, [&](int from, int to) {
        ColourMatcher m(job.colour, job.tolerance);
        for (int k = from; k < to && !progress.cancelled(); ++k) {
            const double t = ((*values)[size_t(k)] - a) / (b - a);
            auto p0 = alongY ? job.map->fractionToPicture(f, 0, t) : job.map->fractionToPicture(f, t, 0);
            auto p1 = alongY ? job.map->fractionToPicture(f, 1, t) : job.map->fractionToPicture(f, t, 1);
            if (!p0 || !p1)
                continue;
            const QPointF A = toPixel(*p0, img.size()), B = toPixel(*p1, img.size());
            lines[size_t(k)] = {A, B};
            lineOk[size_t(k)] = 1;
            runs[size_t(k)] = runsAlong(img, area, m, A, B);
            const int d = ++done;
            if (progress.report && percentStep(d, n))
                progress.report(d, n);
        }
    });
    ReadResult res;
    if (progress.cancelled()) {
        res.cancelled = true;
        return res;
    }
    // Follow the curve: at each value the run nearest to where the course so
    // far leads (a straight continuation of the last two found points), so
    // that curves and gridlines crossing it are not taken instead.
    struct Pick {
        int k;
        double along;
        double weight;
        QPointF pixel;
    };
    std::vector<Pick> picks;
    for (int k = 0; k < n; ++k) {
        const auto &rs = runs[size_t(k)];
        if (rs.empty())
            continue;
        size_t best = 0;
        if (picks.empty()) {
            for (size_t i = 1; i < rs.size(); ++i)
                if (rs[i].weight > rs[best].weight)
                    best = i;
        } else {
            // How far the curve may move between two stepping lines: more
            // than two and a half times their spacing is steeper than the
            // stepping direction suits, or another line.
            const auto &l0 = lines[size_t(picks.back().k)], &l1 = lines[size_t(k)];
            const QPointF mid = (l1.first + l1.second - l0.first - l0.second) / 2;
            double pred = picks.back().along, gate = std::max(25.0, 2.5 * std::hypot(mid.x(), mid.y()));
            if (picks.size() >= 2) {
                const Pick &p1 = picks[picks.size() - 2], &p2 = picks.back();
                const double slope = (p2.along - p1.along) / (p2.k - p1.k);
                pred = p2.along + slope * (k - p2.k);
                gate = std::max(gate, 4 * std::abs(slope) * (k - p2.k));
            }
            for (size_t i = 1; i < rs.size(); ++i)
                if (std::abs(rs[i].along - pred) < std::abs(rs[best].along - pred))
                    best = i;
            if (std::abs(rs[best].along - pred) > gate)
                continue;
        }
        picks.push_back({k, rs[best].along, rs[best].weight, rs[best].pixel});
    }
    // A run much lighter than its neighbours is cut by something drawn over
    // the curve (another curve crossing it), one much heavier has merged with
    // a line of the same colour; either centre would be off. A run's weight
    // is the line's width over the sine of the angle at which the stepping
    // line crosses the curve (taken from the neighbouring points), and the
    // width is the same all along one curve.
    std::vector<double> width(picks.size());
    for (size_t i = 0; i < picks.size(); ++i) {
        const QPointF p0 = picks[i > 0 ? i - 1 : i].pixel, p1 = picks[i + 1 < picks.size() ? i + 1 : i].pixel;
        const QPointF D = p1 - p0;
        const auto &ln = lines[size_t(picks[i].k)];
        const QPointF L = ln.second - ln.first;
        const double dn = std::hypot(D.x(), D.y()), lnn = std::hypot(L.x(), L.y());
        const double sine = dn > 0 && lnn > 0 ? std::abs(cross2(D, L)) / (dn * lnn) : 1;
        width[i] = picks[i].weight * std::max(sine, 0.05);
    }
    std::vector<char> keep(picks.size(), 1);
    std::vector<double> all = width; // the curve's typical width
    std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
    const double globalTypical = all.empty() ? 0 : all[all.size() / 2];
    for (size_t i = 0; i < picks.size(); ++i) {
        if (picks.size() < 3)
            continue;
        const double typical = globalTypical;
        if (width[i] < 0.75 * typical || width[i] > 1.5 * typical)
            keep[i] = 0;
    }
    for (size_t i = 0; i < picks.size(); ++i) {
        if (!keep[i])
            continue;
        FoundPoint p;
        p.pixel = picks[i].pixel;
        p.normalised = toNormalised(p.pixel, img.size());
        if (!job.panel || !job.map->toValue(*job.panel, float(p.normalised.x()), float(p.normalised.y()), p.X, p.Y))
            continue;
        res.points.push_back(p);
    }
    res.skipped = n - int(res.points.size());
    // IDs go in the order of the stepping axis's values, as clicks along it.
    std::stable_sort(res.points.begin(), res.points.end(), [alongY](const FoundPoint &p, const FoundPoint &q) {
        return alongY ? p.Y < q.Y : p.X < q.X;
    });
    return res;
}

// --- Markers --------------------------------------------------------------------

struct Span {
    int y, x0, x1; // inclusive
    int parent;
};

int findRoot(std::vector<Span> &spans, int i)
{
    while (spans[size_t(i)].parent != i) {
        spans[size_t(i)].parent = spans[size_t(spans[size_t(i)].parent)].parent;
        i = spans[size_t(i)].parent;
    }
    return i;
}

struct WeightedPixel {
    double x, y, w;
};

// Weighted centres of k clusters of the pixels (Lloyd's iterations), started
// from points spread along the region's main axis.
std::vector<QPointF> kMeans(const std::vector<WeightedPixel> &px, int k)
{
    double sw = 0, mx = 0, my = 0;
    for (const auto &p : px) {
        sw += p.w;
        mx += p.w * p.x;
        my += p.w * p.y;
    }
    mx /= sw;
    my /= sw;
    double sxx = 0, sxy = 0, syy = 0;
    for (const auto &p : px) {
        sxx += p.w * (p.x - mx) * (p.x - mx);
        sxy += p.w * (p.x - mx) * (p.y - my);
        syy += p.w * (p.y - my) * (p.y - my);
    }
    const double angle = 0.5 * std::atan2(2 * sxy, sxx - syy);
    const QPointF axis(std::cos(angle), std::sin(angle));
    std::vector<double> proj;
    for (const auto &p : px)
        proj.push_back((p.x - mx) * axis.x() + (p.y - my) * axis.y());
    std::vector<double> sorted = proj;
    std::sort(sorted.begin(), sorted.end());
    std::vector<QPointF> c;
    for (int i = 0; i < k; ++i) {
        const double q = sorted[size_t(std::min<double>(sorted.size() - 1, (i + 0.5) / k * sorted.size()))];
        c.emplace_back(mx + q * axis.x(), my + q * axis.y());
    }
    std::vector<int> owner(px.size(), 0);
    for (int it = 0; it < 30; ++it) {
        bool changed = false;
        for (size_t i = 0; i < px.size(); ++i) {
            int best = 0;
            double bd = 1e300;
            for (int j = 0; j < k; ++j) {
                const double dx = px[i].x - c[size_t(j)].x(), dy = px[i].y - c[size_t(j)].y();
                if (dx * dx + dy * dy < bd) {
                    bd = dx * dx + dy * dy;
                    best = j;
                }
            }
            changed = changed || owner[i] != best;
            owner[i] = best;
        }
        std::vector<double> w(static_cast<size_t>(k)), x(static_cast<size_t>(k)), y(static_cast<size_t>(k));
        for (size_t i = 0; i < px.size(); ++i) {
            w[size_t(owner[i])] += px[i].w;
            x[size_t(owner[i])] += px[i].w * px[i].x;
            y[size_t(owner[i])] += px[i].w * px[i].y;
        }
        for (int j = 0; j < k; ++j)
            if (w[size_t(j)] > 0)
                c[size_t(j)] = QPointF(x[size_t(j)] / w[size_t(j)], y[size_t(j)] / w[size_t(j)]);
        if (!changed && it > 0)
            break;
    }
    return c;
}

std::expected<ReadResult, ReadError> readMarkers(const ReadJob &job, const QImage &img, const ReadArea &area,
                                                 const Progress &progress)
{
    ReadResult res;
    const QRect bounds = area.bounds();
    const int bh = bounds.height();
    // Matching spans per row, found in parallel.
    std::vector<std::vector<Span>> rowSpans(static_cast<size_t>(bh));
    std::atomic<int> done{0};
    forChunks(bh, [&](int from, int to) {
        ColourMatcher m(job.colour, job.tolerance);
        for (int r = from; r < to && !progress.cancelled(); ++r) {
            const int y = bounds.top() + r;
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            auto &out = rowSpans[size_t(r)];
            int start = -1;
            for (int x = bounds.left(); x <= bounds.right() + 1; ++x) {
                const bool on = x <= bounds.right() && m.matches(line[x]) && area.containsPixel(x, y);
                if (on && start < 0)
                    start = x;
                else if (!on && start >= 0) {
                    out.push_back({y, start, x - 1, 0});
                    start = -1;
                }
            }
            const int d = ++done;
            if (progress.report && percentStep(d, bh))
                progress.report(d, bh);
        }
    });
    if (progress.cancelled()) {
        res.cancelled = true;
        return res;
    }
    // Union of 8-connected spans of neighbouring rows.
    std::vector<Span> spans;
    std::vector<int> rowStart(size_t(bh) + 1);
    for (int r = 0; r < bh; ++r) {
        rowStart[size_t(r)] = int(spans.size());
        for (Span s : rowSpans[size_t(r)]) {
            s.parent = int(spans.size());
            spans.push_back(s);
        }
    }
    rowStart[size_t(bh)] = int(spans.size());
    for (int r = 1; r < bh; ++r) {
        int p = rowStart[size_t(r - 1)];
        const int pEnd = rowStart[size_t(r)];
        for (int i = rowStart[size_t(r)]; i < rowStart[size_t(r + 1)]; ++i) {
            while (p < pEnd && spans[size_t(p)].x1 < spans[size_t(i)].x0 - 1)
                ++p;
            for (int q = p; q < pEnd && spans[size_t(q)].x0 <= spans[size_t(i)].x1 + 1; ++q) {
                const int a = findRoot(spans, i), b = findRoot(spans, q);
                if (a != b)
                    spans[size_t(std::max(a, b))].parent = std::min(a, b);
            }
        }
    }
    struct Region {
        qint64 area = 0;
        std::vector<int> spans;
    };
    std::vector<int> regionOf(spans.size(), -1);
    std::vector<Region> regions;
    for (int i = 0; i < int(spans.size()); ++i) {
        const int root = findRoot(spans, i);
        if (regionOf[size_t(root)] < 0) {
            regionOf[size_t(root)] = int(regions.size());
            regions.emplace_back();
        }
        Region &g = regions[size_t(regionOf[size_t(root)])];
        g.area += spans[size_t(i)].x1 - spans[size_t(i)].x0 + 1;
        g.spans.push_back(i);
    }
    // Specks of a few pixels (compression noise) are not regions. The typical
    // marker is taken among compact regions (filling most of a squarish box)
    // when there are a few: the dashes of a dashed line of the same colour
    // are many, and would otherwise set the size. Without compact regions
    // (crosses, rings) every region counts.
    // The share of its bounding box a region fills; with the box's aspect
    // (long side over short side) in `aspect`.
    auto regionFill = [&spans](const std::vector<int> &list, double *aspect = nullptr) {
        int x0 = INT_MAX, x1 = INT_MIN, y0 = INT_MAX, y1 = INT_MIN;
        qint64 area = 0;
        for (int si : list) {
            const Span &sp = spans[size_t(si)];
            x0 = std::min(x0, sp.x0);
            x1 = std::max(x1, sp.x1);
            y0 = std::min(y0, sp.y);
            y1 = std::max(y1, sp.y);
            area += sp.x1 - sp.x0 + 1;
        }
        const double w = x1 - x0 + 1, h = y1 - y0 + 1;
        if (aspect)
            *aspect = std::max(w, h) / std::min(w, h);
        return double(area) / (w * h);
    };
    std::vector<double> areas, compact;
    for (const Region &g : regions) {
        if (g.area < 4)
            continue;
        areas.push_back(double(g.area));
        double aspect = 1;
        if (regionFill(g.spans, &aspect) >= 0.5 && aspect <= 1.5)
            compact.push_back(double(g.area));
    }
    if (compact.size() >= 3)
        areas = compact;
    if (areas.empty())
        return res;
    std::nth_element(areas.begin(), areas.begin() + areas.size() / 2, areas.end());
    const double median = areas[areas.size() / 2];
    res.medianArea = median;
    const double minArea = job.markers.minArea.value_or(std::max(4.0, 0.5 * median));
    const double maxArea = job.markers.maxArea.value_or(1.6 * median);

    ColourMatcher m(job.colour, job.tolerance);
    for (const Region &g : regions) {
        if (g.area < minArea)
            continue;
        // A marker fills a fair share of its box (a disc 0.79, a cross or a
        // ring about 0.4); a curve or a slanted line does not.
        if (regionFill(g.spans) < 0.3)
            continue;
        int k = 1;
        if (g.area > maxArea) {
            k = int(std::lround(g.area / median));
            if (k < 2 || k > 8)
                continue; // text or a legend of the same colour
            ++res.mergedRegions;
            if (!job.markers.splitMerged) {
                ++res.leftOut;
                continue;
            }
        }
        // The region's pixels and the one-pixel fringe around it (the
        // antialiased edge), weighted by closeness.
        int x0 = INT_MAX, x1 = INT_MIN, y0 = INT_MAX, y1 = INT_MIN;
        for (int si : g.spans) {
            const Span &s = spans[size_t(si)];
            x0 = std::min(x0, s.x0);
            x1 = std::max(x1, s.x1);
            y0 = std::min(y0, s.y);
            y1 = std::max(y1, s.y);
        }
        const int lw = x1 - x0 + 3, lh = y1 - y0 + 3;
        std::vector<char> inRegion(size_t(lw) * lh, 0);
        for (int si : g.spans) {
            const Span &s = spans[size_t(si)];
            for (int x = s.x0; x <= s.x1; ++x)
                inRegion[size_t(s.y - y0 + 1) * lw + size_t(x - x0 + 1)] = 1;
        }
        std::vector<WeightedPixel> px;
        for (int ly = 0; ly < lh; ++ly) {
            const int y = y0 - 1 + ly;
            if (y < 0 || y >= img.height())
                continue;
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            for (int lx = 0; lx < lw; ++lx) {
                const int x = x0 - 1 + lx;
                if (x < 0 || x >= img.width())
                    continue;
                bool take = inRegion[size_t(ly) * lw + size_t(lx)];
                if (!take && !m.matches(line[x])) {
                    for (int dy = -1; dy <= 1 && !take; ++dy)
                        for (int dx = -1; dx <= 1 && !take; ++dx) {
                            const int nx = lx + dx, ny = ly + dy;
                            take = nx >= 0 && ny >= 0 && nx < lw && ny < lh && inRegion[size_t(ny) * lw + size_t(nx)];
                        }
                }
                if (!take)
                    continue;
                const float w = m.weight(line[x]);
                if (w > 0)
                    px.push_back({x + 0.5, y + 0.5, double(w)});
            }
        }
        if (px.empty())
            continue;
        std::vector<QPointF> centres;
        if (k == 1) {
            double sw = 0, sx = 0, sy = 0;
            for (const auto &p : px) {
                sw += p.w;
                sx += p.w * p.x;
                sy += p.w * p.y;
            }
            centres.emplace_back(sx / sw, sy / sw);
        } else {
            centres = kMeans(px, k);
        }
        for (QPointF c : centres) {
            FoundPoint p;
            p.pixel = c;
            p.normalised = toNormalised(c, img.size());
            p.merged = k > 1;
            if (!job.panel ||
                !job.map->toValue(*job.panel, float(p.normalised.x()), float(p.normalised.y()), p.X, p.Y))
                continue;
            res.points.push_back(p);
        }
    }
    std::stable_sort(res.points.begin(), res.points.end(),
                     [](const FoundPoint &a, const FoundPoint &b) { return a.X < b.X; });
    return res;
}

} // namespace

ReadArea::ReadArea(const FrameSpec &frame, QSize size, double margin, std::optional<QRectF> limit)
    : m_margin(margin), m_limit(limit)
{
    for (int i = 0; i < 4; ++i)
        m_corner[size_t(i)] = toPixel(frame.corner[size_t(i)], size);
    double twice = 0;
    for (int i = 0; i < 4; ++i)
        twice += cross2(m_corner[size_t(i)], m_corner[size_t((i + 1) % 4)]);
    m_orient = twice >= 0 ? 1 : -1;
    QRectF box;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const QPointF &c : m_corner) {
        x0 = std::min(x0, c.x());
        y0 = std::min(y0, c.y());
        x1 = std::max(x1, c.x());
        y1 = std::max(y1, c.y());
    }
    if (limit) {
        x0 = std::max(x0, limit->left());
        y0 = std::max(y0, limit->top());
        x1 = std::min(x1, limit->right());
        y1 = std::min(y1, limit->bottom());
    }
    if (!(x1 > x0 && y1 > y0) || std::abs(twice) < 1e-9 || !std::isfinite(twice))
        return;
    // Signed distance to each edge, positive inside, whichever way the corners turn.
    for (int i = 0; i < 4; ++i) {
        const QPointF a = m_corner[size_t(i)], e = m_corner[size_t((i + 1) % 4)] - a;
        const double len = std::hypot(e.x(), e.y());
        if (!(len > 0))
            return;
        const double nx = -m_orient * e.y() / len, ny = m_orient * e.x() / len;
        m_edge[size_t(i)] = {nx, ny, -(nx * a.x() + ny * a.y())};
    }
    const QRect r(QPoint(int(std::floor(x0)), int(std::floor(y0))), QPoint(int(std::ceil(x1)) - 1, int(std::ceil(y1)) - 1));
    m_bounds = r.intersected(QRect(QPoint(0, 0), size));
}

bool ReadArea::contains(double x, double y) const
{
    if (m_bounds.isEmpty())
        return false;
    if (m_limit && !(x >= m_limit->left() && x < m_limit->right() && y >= m_limit->top() && y < m_limit->bottom()))
        return false;
    for (const Edge &e : m_edge)
        if (e.nx * x + e.ny * y + e.c < m_margin)
            return false;
    return true;
}

QString readErrorText(ReadError e)
{
    switch (e) {
    case ReadError::NoFrame: return QCoreApplication::translate("AutoRead", "枠線が定義されていないか、枠線の値を読めません。");
    case ReadError::BadRange: return QCoreApplication::translate("AutoRead", "範囲(開始・終了)が不正です。");
    case ReadError::BadStep: return QCoreApplication::translate("AutoRead", "刻み又は点数が不正です。");
    case ReadError::NoPicture: return QCoreApplication::translate("AutoRead", "画像がありません。");
    }
    return {};
}

std::expected<std::vector<double>, ReadError> stepValues(const FrameSpec &f, bool alongY, const StepOptions &o)
{
    if (!o.values.empty())
        return o.values;
    const bool log = alongY ? f.yLog : f.xLog;
    auto axis = [&](double v) -> std::optional<double> {
        if (!std::isfinite(v) || (log && v <= 0))
            return std::nullopt;
        return log ? std::log10(v) : v;
    };
    double a = alongY ? f.ya : f.xa, b = alongY ? f.yb : f.xb;
    if (o.from) {
        auto v = axis(*o.from);
        if (!v)
            return std::unexpected(ReadError::BadRange);
        a = *v;
    }
    if (o.to) {
        auto v = axis(*o.to);
        if (!v)
            return std::unexpected(ReadError::BadRange);
        b = *v;
    }
    if (!std::isfinite(a) || !std::isfinite(b))
        return std::unexpected(ReadError::BadRange);
    std::vector<double> out;
    constexpr int kMaxValues = 100000;
    if (o.step) {
        double s = *o.step;
        if (log) {
            if (!(s > 1) || !std::isfinite(s))
                return std::unexpected(ReadError::BadStep);
            s = std::log10(s);
        } else if (!(s > 0) || !std::isfinite(s)) {
            return std::unexpected(ReadError::BadStep);
        }
        const double span = std::abs(b - a);
        const double count = std::floor(span / s + 1e-9) + 1;
        if (count > kMaxValues)
            return std::unexpected(ReadError::BadStep);
        const double dir = b >= a ? 1 : -1;
        for (int i = 0; i < int(count); ++i)
            out.push_back(a + dir * i * s);
    } else {
        if (o.points < 1 || o.points > kMaxValues)
            return std::unexpected(ReadError::BadStep);
        if (o.points == 1)
            out.push_back(a);
        for (int i = 0; o.points > 1 && i < o.points; ++i)
            out.push_back(i == o.points - 1 ? b : a + (b - a) * i / (o.points - 1));
    }
    return out;
}

std::expected<ReadResult, ReadError> runRead(const ReadJob &job, const Progress &progress)
{
    if (job.picture.isNull())
        return std::unexpected(ReadError::NoPicture);
    if (!job.map || !job.panel)
        return std::unexpected(ReadError::NoFrame);
    const QImage img = rgb32(job.picture);
    const ReadArea area(job.frame, img.size(), job.margin, job.limit);
    if (job.method == Method::Markers) {
        if (area.isEmpty())
            return ReadResult{};
        return readMarkers(job, img, area, progress);
    }
    return readSteps(job, img, area, progress);
}

QImage matchTint(const QImage &picture, const ReadArea &area, const ColourMatcher &matcher, QRgb tint,
                 const Progress &progress)
{
    const QImage img = rgb32(picture);
    QImage out(img.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QRect b = area.bounds();
    const QRgb pm = qPremultiply(tint);
    uchar *bits = out.bits();
    const qsizetype bpl = out.bytesPerLine();
    forChunks(b.height(), [&](int from, int to) {
        ColourMatcher m(matcher.target(), matcher.tolerance());
        for (int r = from; r < to && !progress.cancelled(); ++r) {
            const int y = b.top() + r;
            const QRgb *in = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            QRgb *o = reinterpret_cast<QRgb *>(bits + y * bpl);
            for (int x = b.left(); x <= b.right(); ++x)
                if (m.matches(in[x]) && area.containsPixel(x, y))
                    o[x] = pm;
        }
    });
    return out;
}

} // namespace orv::autoread
