// X and Y steps: the curve's paths are found once (pieces.h), then each
// stepping line is answered from them.

#include "autoread/pieces.h"
#include "autoread/read_common.h"
#include "autoread/read_internal.h"

#include <algorithm>
#include <cmath>

namespace orv::autoread::detail {

namespace {

struct Run {
    double along = 0; // weighted centre, in the line's own parameter (pixels)
    double weight = 0;
    QPointF pixel;
    int group = -1;
    bool touchesOther = false; // another colour right beside it
};

// The runs of the curve's pixels along the picture line a -> b. Samples lie
// one pixel apart along the line's main direction; across it, the weight is
// interpolated between the two nearest pixel centres, so the line need not
// pass through pixel centres. A run is the curve's samples and up to two
// fringe samples on each side (the antialiased edge), weighted by closeness.
std::vector<Run> runsAlong(const Prepared &prep, const Pieces &pieces, const ColourMatcher &m,
                           const std::vector<QRectF> &exclusions, QPointF a, QPointF b)
{
    std::vector<Run> runs;
    const QImage &img = prep.img;
    const QPointF d = b - a;
    const bool vertical = std::abs(d.y()) >= std::abs(d.x());
    const double dMain = vertical ? d.y() : d.x();
    if (std::abs(dMain) < 1e-9)
        return runs;
    const QRect bounds = prep.area.bounds();
    const double lo = std::min(vertical ? a.y() : a.x(), vertical ? b.y() : b.x());
    const double hi = std::max(vertical ? a.y() : a.x(), vertical ? b.y() : b.x());
    const int first = std::max(int(std::floor(std::max(lo, -1e9))), vertical ? bounds.top() : bounds.left());
    const int last = std::min(int(std::ceil(std::min(hi, 1e9))), vertical ? bounds.bottom() : bounds.right());
    if (last < first)
        return runs;
    const int W = img.width(), H = img.height();

    // The curve's samples first (cheap: the pieces' runs); weights only
    // where a run of the curve is near.
    struct Sample {
        float w = -1;   // not yet weighed
        int group = -1;
        int i0 = 0;
        float f = 0;
        bool inside = false;
        bool other = false;
    };
    std::vector<Sample> s(size_t(last - first + 1));
    for (int k = first; k <= last; ++k) {
        const double c = k + 0.5;
        const double t = (c - (vertical ? a.y() : a.x())) / dMain;
        const double across = (vertical ? a.x() : a.y()) + t * (vertical ? d.x() : d.y());
        const double px = vertical ? across : c, py = vertical ? c : across;
        Sample &o = s[size_t(k - first)];
        if (!prep.area.contains(px, py) || (!exclusions.empty() && excluded(exclusions, px, py)))
            continue;
        o.inside = true;
        const double oc = across - 0.5;
        o.i0 = int(std::floor(oc));
        o.f = float(oc - o.i0);
        const int i = o.f <= 0.5f ? o.i0 : o.i0 + 1; // the pixel holding most of the sample
        const int g = vertical ? pieces.groupAt(i, k) : pieces.groupAt(k, i);
        if (g >= 0 && pieces.groups()[size_t(g)].kept)
            o.group = g;
    }
    auto weigh = [&](int q) {
        Sample &o = s[size_t(q)];
        if (o.w >= 0 || !o.inside)
            return;
        const int k = first + q;
        float w = 0;
        for (int n = 0; n < 2; ++n) {
            const int i = o.i0 + n;
            const double share = n ? o.f : 1 - o.f;
            if (share <= 0 || i < 0 || i >= (vertical ? W : H))
                continue;
            const QRgb rgb = vertical ? reinterpret_cast<const QRgb *>(img.constScanLine(k))[i]
                                      : reinterpret_cast<const QRgb *>(img.constScanLine(i))[k];
            const bool own = prep.pixels->ownOrPaper(rgb);
            w += own ? float(share) * m.weight(rgb) : 0.0f;
            if (share >= 0.5)
                o.other = !own;
        }
        o.w = w;
    };
    const int n = int(s.size());
    for (int k = 0; k < n;) {
        if (s[size_t(k)].group < 0) {
            ++k;
            continue;
        }
        int e = k;
        while (e + 1 < n && s[size_t(e + 1)].group >= 0)
            ++e;
        // Two fringe samples a side: enough for the soft edge a compressed
        // picture gives a line, too few to reach into a neighbouring line.
        constexpr int F = 2;
        int lo2 = k, hi2 = e;
        for (int q = 0; q < F && lo2 > 0 && s[size_t(lo2 - 1)].inside && s[size_t(lo2 - 1)].group < 0; ++q) --lo2;
        for (int q = 0; q < F && hi2 + 1 < n && s[size_t(hi2 + 1)].inside && s[size_t(hi2 + 1)].group < 0; ++q) ++hi2;
        Run r;
        for (int q = std::max(0, lo2 - 1); q <= std::min(n - 1, hi2 + 1); ++q) {
            weigh(q);
            r.touchesOther = r.touchesOther || s[size_t(q)].other;
        }
        double sw = 0, sc = 0;
        for (int q = lo2; q <= hi2; ++q) {
            sw += std::max(0.0f, s[size_t(q)].w);
            sc += s[size_t(q)].w * (first + q + 0.5);
        }
        if (sw > 0) {
            r.along = sc / sw;
            r.weight = sw;
            r.group = s[size_t(k)].group;
            const double t = (r.along - (vertical ? a.y() : a.x())) / dMain;
            r.pixel = a + t * d;
            runs.push_back(r);
        }
        k = e + 1;
    }
    return runs;
}

} // namespace

ReadResult readSteps(const ReadJob &job, const Prepared &prep, const std::vector<double> &values, const Progress &progress)
{
    ReadResult res;
    const int n = int(values.size());
    res.skipped = n;
    const Progress quiet{progress.cancel, {}};
    Pieces pieces = Pieces::find(prep.img, prep.area, job.exclusions, *prep.pixels, quiet);
    if (progress.cancelled())
        return res;
    pieces.group(0);
    const double lineWidth = pieces.lineWidth();
    // Gaps of a few line widths are bridged: dashes, a line broken by noise
    // or cut by another curve drawn over it.
    const int gap = std::max(3, int(std::lround(2.5 * lineWidth)));
    pieces.group(gap);
    pieces.bridgeAlong(std::max(16.0, 10 * lineWidth));
    pieces.markBorders(prep.area, job.exclusions, gap + 1);
    res.detachedLeftOut = pieces.keepCurve(lineWidth);
    if (progress.cancelled())
        return res;

    const bool alongY = job.method == Method::YSteps;
    const FrameSpec &f = job.frame;
    const double a = alongY ? f.ya : f.xa, b = alongY ? f.yb : f.xb;
    std::vector<std::vector<Run>> runs(static_cast<size_t>(n));
    std::vector<std::pair<QPointF, QPointF>> lines(static_cast<size_t>(n));
    std::atomic<int> done{0};
    forChunks(n, [&](int from, int to) {
        ColourMatcher m(prep.claim.centre, prep.claim.tolerance);
        for (int k = from; k < to && !progress.cancelled(); ++k) {
            const double t = (values[size_t(k)] - a) / (b - a);
            auto p0 = alongY ? job.map->fractionToPicture(f, 0, t) : job.map->fractionToPicture(f, t, 0);
            auto p1 = alongY ? job.map->fractionToPicture(f, 1, t) : job.map->fractionToPicture(f, t, 1);
            if (p0 && p1) {
                const QPointF A = toPixel(*p0, prep.img.size()), B = toPixel(*p1, prep.img.size());
                lines[size_t(k)] = {A, B};
                runs[size_t(k)] = runsAlong(prep, pieces, m, job.exclusions, A, B);
            }
            const int d = ++done;
            if (progress.report && percentStep(d, n))
                progress.report(d, n);
        }
    });
    if (progress.cancelled())
        return res;
    // Follow the path: at each value the run of the same path nearest to
    // where the course so far leads (a straight continuation of the last two
    // points), so that where the stepping line meets the curve several times
    // the crossing that continues it is taken; another path of the curve
    // (it came back into the frame) only where this one is not seen.
    struct Pick {
        int k;
        Run run;
    };
    std::vector<Pick> picks;
    auto groupArea = [&](int g) { return pieces.groups()[size_t(g)].area; };
    for (int k = 0; k < n; ++k) {
        const auto &rs = runs[size_t(k)];
        if (rs.empty())
            continue;
        size_t best = 0;
        if (picks.empty()) {
            for (size_t i = 1; i < rs.size(); ++i)
                if (groupArea(rs[i].group) > groupArea(rs[best].group) ||
                    (rs[i].group == rs[best].group && rs[i].weight > rs[best].weight))
                    best = i;
        } else {
            double pred = picks.back().run.along;
            if (picks.size() >= 2 && picks[picks.size() - 2].k == picks.back().k - 1) {
                const Pick &p1 = picks[picks.size() - 2], &p2 = picks.back();
                pred = p2.run.along + (p2.run.along - p1.run.along) * (k - p2.k);
            }
            const int lastGroup = picks.back().run.group;
            bool same = false;
            for (const Run &r : rs)
                same = same || r.group == lastGroup;
            double bd = 1e300;
            for (size_t i = 0; i < rs.size(); ++i) {
                if (same && rs[i].group != lastGroup)
                    continue;
                const double dd = std::abs(rs[i].along - pred);
                if (dd < bd) {
                    bd = dd;
                    best = i;
                }
            }
        }
        picks.push_back({k, rs[best]});
    }
    // A run much lighter than the curve's width and beside another colour
    // is cut by a curve drawn over it: its centre would be off. A run's
    // weight is the line's width over the sine of the angle at which the
    // stepping line crosses the curve (taken from the neighbouring points).
    // On a noisy picture (compression, scan) weights and neighbours are too
    // uncertain to tell a cut: the run is kept.
    const bool clean = prep.claim.spread < 3;
    std::vector<double> width(picks.size());
    for (size_t i = 0; i < picks.size(); ++i) {
        const QPointF p0 = picks[i > 0 ? i - 1 : i].run.pixel, p1 = picks[i + 1 < picks.size() ? i + 1 : i].run.pixel;
        const QPointF D = p1 - p0;
        const auto &ln = lines[size_t(picks[i].k)];
        const QPointF L = ln.second - ln.first;
        const double dn = std::hypot(D.x(), D.y()), lnn = std::hypot(L.x(), L.y());
        const double sine = dn > 0 && lnn > 0 ? std::abs(cross2(D, L)) / (dn * lnn) : 1;
        width[i] = picks[i].run.weight * std::max(sine, 0.05);
    }
    std::vector<double> all = width;
    std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
    const double typical = all.empty() ? 0 : all[all.size() / 2];
    for (size_t i = 0; i < picks.size(); ++i) {
        if (clean && picks.size() >= 3 && picks[i].run.touchesOther && width[i] < 0.6 * typical)
            continue;
        FoundPoint p;
        if (finishPoint(job, prep.img.size(), picks[i].run.pixel, p))
            res.points.push_back(p);
    }
    res.skipped = n - int(res.points.size());
    // IDs go in the order of the stepping axis's values, as clicks along it.
    std::stable_sort(res.points.begin(), res.points.end(), [alongY](const FoundPoint &p, const FoundPoint &q) {
        return alongY ? p.Y < q.Y : p.X < q.X;
    });
    return res;
}

} // namespace orv::autoread::detail
