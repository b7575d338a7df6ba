#include "autocal/geometry.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orv::autocal {

namespace {

// Lines are looked for on a picture of about this many pixels across.
constexpr int kWorkingSide = 1600;
// Steepest line taken for a horizontal or vertical one (tan 8 degrees).
constexpr double kMaxSlope = 0.14;

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    auto mid = v.begin() + qsizetype(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Least-squares b = c + s a over the samples not flagged out.
bool fitLine(const std::vector<std::array<double, 3>> &pts, const std::vector<bool> &use, double &c, double &s)
{
    double n = 0, sa = 0, sb = 0, saa = 0, sab = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        if (!use[i])
            continue;
        const double a = pts[i][0], b = pts[i][1];
        n += 1;
        sa += a;
        sb += b;
        saa += a * a;
        sab += a * b;
    }
    const double det = n * saa - sa * sa;
    if (n < 2 || std::abs(det) < 1e-9)
        return false;
    s = (n * sab - sa * sb) / det;
    c = (sb - s * sa) / n;
    return true;
}

} // namespace

AxisLine AxisLine::scaled(double f) const
{
    AxisLine l = *this;
    l.c *= f;
    l.a0 *= f;
    l.a1 *= f;
    l.thickness *= f;
    return l;
}

Prepared prepare(const QImage &picture)
{
    Prepared p;
    p.full = picture.convertToFormat(QImage::Format_Grayscale8);
    const int W = p.full.width(), H = p.full.height();
    p.factor = std::max(1, int(std::ceil(std::max(W, H) / double(kWorkingSide))));
    if (p.factor == 1) {
        p.reduced = p.full;
    } else {
        // Each reduced pixel is halfway between the mean and the darkest of
        // its f x f block: a line one pixel thin stays dark, noise is evened.
        const int f = p.factor, w = W / f, h = H / f;
        p.reduced = QImage(w, h, QImage::Format_Grayscale8);
        std::vector<int> sum(static_cast<size_t>(w)), least(static_cast<size_t>(w));
        for (int y = 0; y < h; ++y) {
            std::fill(sum.begin(), sum.end(), 0);
            std::fill(least.begin(), least.end(), 255);
            for (int dy = 0; dy < f; ++dy) {
                const uchar *row = p.full.constScanLine(y * f + dy);
                for (int x = 0; x < w; ++x) {
                    const uchar *q = row + x * f;
                    int s = 0, m = least[size_t(x)];
                    for (int dx = 0; dx < f; ++dx) {
                        s += q[dx];
                        m = std::min(m, int(q[dx]));
                    }
                    sum[size_t(x)] += s;
                    least[size_t(x)] = m;
                }
            }
            uchar *out = p.reduced.scanLine(y);
            for (int x = 0; x < w; ++x)
                out[x] = uchar((sum[size_t(x)] / (f * f) + least[size_t(x)]) / 2);
        }
    }
    p.w = p.reduced.width();
    p.h = p.reduced.height();
    p.dark.assign(size_t(p.w) * size_t(p.h), 0);
    if (p.w < 8 || p.h < 8)
        return p;
    // Dark against the neighbourhood, not against one level for the whole
    // picture: a photo's paper is brighter on one side than the other.
    std::vector<quint32> integral(size_t(p.w + 1) * size_t(p.h + 1), 0);
    for (int y = 0; y < p.h; ++y) {
        const uchar *row = p.reduced.constScanLine(y);
        quint32 run = 0;
        for (int x = 0; x < p.w; ++x) {
            run += row[x];
            integral[size_t(y + 1) * size_t(p.w + 1) + size_t(x + 1)] = integral[size_t(y) * size_t(p.w + 1) + size_t(x + 1)] + run;
        }
    }
    const int r = std::clamp(std::min(p.w, p.h) / 40, 7, 25);
    for (int y = 0; y < p.h; ++y) {
        const int y0 = std::max(0, y - r), y1 = std::min(p.h, y + r + 1);
        const uchar *row = p.reduced.constScanLine(y);
        for (int x = 0; x < p.w; ++x) {
            const int x0 = std::max(0, x - r), x1 = std::min(p.w, x + r + 1);
            const quint32 s = integral[size_t(y1) * size_t(p.w + 1) + size_t(x1)] - integral[size_t(y0) * size_t(p.w + 1) + size_t(x1)]
                              - integral[size_t(y1) * size_t(p.w + 1) + size_t(x0)] + integral[size_t(y0) * size_t(p.w + 1) + size_t(x0)];
            const double mean = double(s) / double((y1 - y0) * (x1 - x0));
            p.dark[size_t(y) * size_t(p.w) + size_t(x)] = row[x] < mean - std::max(18.0, 0.18 * mean) ? 1 : 0;
        }
    }
    return p;
}

std::vector<AxisLine> findLines(const Prepared &p, bool horizontal, const std::atomic<bool> *cancel)
{
    const int A = horizontal ? p.w : p.h, B = horizontal ? p.h : p.w;
    if (A < 20 || B < 20)
        return {};
    const int minLen = std::max(25, int(0.12 * A));
    std::vector<std::pair<float, float>> pts; // (a, b) pixel centres
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x)
            if (p.dark[size_t(y) * size_t(p.w) + size_t(x)])
                pts.emplace_back(horizontal ? x + 0.5f : y + 0.5f, horizontal ? y + 0.5f : x + 0.5f);
    // A picture that is dark nearly everywhere (or noise) has no lines to find.
    if (pts.size() > size_t(A) * size_t(B) / 3)
        return {};
    // A line drifts by less than half a pixel over the picture between two
    // slopes tried.
    const double ds = 0.5 / A;
    const int slopes = int(2 * kMaxSlope / ds) + 1;
    const int off = int(kMaxSlope * A) + 2, bins = B + 2 * off;
    std::vector<int> hist(static_cast<size_t>(bins));
    struct Cand {
        int count;
        double s, c;
    };
    std::vector<Cand> cands;
    const int threshold = std::max(15, minLen / 2);
    for (int k = 0; k < slopes; ++k) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return {};
        const double s = -kMaxSlope + k * ds;
        std::fill(hist.begin(), hist.end(), 0);
        const float fs = float(s), fo = float(off) + 0.5f;
        for (const auto &[a, b] : pts)
            ++hist[size_t(int(b - fs * a + fo))];
        for (int i = 1; i + 1 < bins; ++i) {
            const int h = hist[size_t(i)];
            if (h >= threshold && h >= hist[size_t(i - 1)] && h > hist[size_t(i + 1)])
                cands.push_back({h, s, double(i - off)});
        }
    }
    std::sort(cands.begin(), cands.end(), [](const Cand &x, const Cand &y) { return x.count > y.count; });
    // One candidate per line: the strongest of those within 3 pixels of each other at both ends.
    std::vector<Cand> kept;
    for (const Cand &cd : cands) {
        bool near = false;
        for (const Cand &k : kept)
            near = near || (std::abs(cd.c - k.c) <= 3 && std::abs(cd.c + cd.s * A - k.c - k.s * A) <= 3);
        if (!near)
            kept.push_back(cd);
        if (kept.size() >= 300)
            break;
    }
    // The dark runs along each candidate: solid stretches with gaps of at most two pixels.
    std::vector<AxisLine> lines;
    for (const Cand &cd : kept) {
        int start = -1, last = -1;
        auto close = [&] {
            if (start >= 0 && last - start + 1 >= minLen) {
                AxisLine l;
                l.horizontal = horizontal;
                l.s = cd.s;
                l.c = cd.c;
                l.a0 = start;
                l.a1 = last + 1;
                lines.push_back(l);
            }
        };
        for (int a = 0; a < A; ++a) {
            const int bi = int(std::floor(cd.c + cd.s * (a + 0.5)));
            bool d = false;
            for (int k = -1; k <= 1 && !d; ++k)
                d = horizontal ? p.isDark(a, bi + k) : p.isDark(bi + k, a);
            if (!d)
                continue;
            if (start < 0 || a - last > 3) {
                close();
                start = a;
            }
            last = a;
        }
        close();
    }
    std::sort(lines.begin(), lines.end(), [](const AxisLine &x, const AxisLine &y) { return x.length() > y.length(); });
    std::vector<AxisLine> out;
    for (const AxisLine &l : lines) {
        bool dup = false;
        for (const AxisLine &k : out) {
            const double lo = std::max(l.a0, k.a0), hi = std::min(l.a1, k.a1);
            dup = dup || (hi - lo >= 0.8 * l.length() && std::abs(l.b(lo) - k.b(lo)) <= 3 && std::abs(l.b(hi) - k.b(hi)) <= 3);
        }
        if (!dup)
            out.push_back(l);
    }
    return out;
}

AxisLine refineLine(const Prepared &p, const AxisLine &reducedLine)
{
    const double f = p.factor;
    AxisLine l = reducedLine.scaled(f);
    l.thickness = f;
    const QImage &g = p.full;
    const int A = l.horizontal ? g.width() : g.height(), B = l.horizontal ? g.height() : g.width();
    const int R = 2 * p.factor + 4;
    const double step = std::max(1.0, l.length() / 600);
    std::vector<std::array<double, 3>> pts; // a, centre, core width
    std::vector<int> vals;
    for (double af = l.a0 + 1; af < l.a1 - 1; af += step) {
        const int ai = int(af);
        if (ai < 0 || ai >= A)
            continue;
        const double bp = l.b(ai + 0.5);
        const int b0 = int(std::floor(bp)) - R, b1 = int(std::floor(bp)) + R;
        if (b0 < 0 || b1 >= B)
            continue;
        vals.clear();
        for (int bi = b0; bi <= b1; ++bi)
            vals.push_back(l.horizontal ? g.constScanLine(bi)[ai] : g.constScanLine(ai)[bi]);
        const int bg = *std::max_element(vals.begin(), vals.end()), mn = *std::min_element(vals.begin(), vals.end());
        if (bg - mn < 30)
            continue;
        const double core = 0.5 * (bg - mn);
        // The dark run nearest the predicted centre.
        int best = -1;
        for (int i = 0; i < int(vals.size()); ++i)
            if (bg - vals[size_t(i)] > core && (best < 0 || std::abs(i + b0 + 0.5 - bp) < std::abs(best + b0 + 0.5 - bp)))
                best = i;
        if (best < 0)
            continue;
        int r0 = best, r1 = best;
        while (r0 > 0 && bg - vals[size_t(r0 - 1)] > core)
            --r0;
        while (r1 + 1 < int(vals.size()) && bg - vals[size_t(r1 + 1)] > core)
            ++r1;
        // Touching the window's ends: something crosses the line here.
        if (r0 == 0 || r1 + 1 == int(vals.size()))
            continue;
        double sw = 0, sb = 0;
        const double floorLevel = 0.15 * (bg - mn);
        for (int i = r0 - 1; i <= r1 + 1; ++i) {
            const double d = std::max(0.0, bg - vals[size_t(i)] - floorLevel);
            sw += d;
            sb += d * (b0 + i + 0.5);
        }
        if (sw > 0)
            pts.push_back({ai + 0.5, sb / sw, double(r1 - r0 + 1)});
    }
    if (pts.size() < 8)
        return l;
    std::vector<bool> use(pts.size(), true);
    double c = l.c, s = l.s;
    for (int pass = 0; pass < 3; ++pass) {
        if (!fitLine(pts, use, c, s))
            return l;
        std::vector<double> res;
        for (size_t i = 0; i < pts.size(); ++i)
            res.push_back(std::abs(pts[i][1] - (c + s * pts[i][0])));
        const double lim = std::max(0.35, 3 * 1.4826 * median(res));
        for (size_t i = 0; i < pts.size(); ++i)
            use[i] = res[i] <= lim;
    }
    fitLine(pts, use, c, s);
    std::vector<double> widths;
    for (size_t i = 0; i < pts.size(); ++i)
        if (use[i])
            widths.push_back(pts[i][2]);
    l.c = c;
    l.s = s;
    l.thickness = std::max(1.0, median(widths));
    return l;
}

std::optional<QPointF> intersect(const AxisLine &h, const AxisLine &v)
{
    const double den = 1 - v.s * h.s;
    if (std::abs(den) < 1e-9)
        return std::nullopt;
    const double x = (v.c + v.s * h.c) / den;
    return QPointF(x, h.c + h.s * x);
}

std::optional<FrameLines> chooseFrame(const std::vector<AxisLine> &horizontal, const std::vector<AxisLine> &vertical)
{
    // A line may run on past a corner (an outside tick, or a label's stroke
    // on the same row joins it), never stop short of it.
    auto tol = [](const AxisLine &l) { return 3 + 0.03 * l.length(); };
    std::optional<FrameLines> best;
    double bestArea = 0;
    for (const AxisLine &h : horizontal) {
        for (const AxisLine &v : vertical) {
            const auto C = intersect(h, v);
            if (!C || h.a0 > C->x() + tol(h) || v.a1 < C->y() - tol(v))
                continue;
            const double width = h.a1 - C->x(), height = C->y() - v.a0;
            if (width < 0.6 * h.length() || height < 0.6 * v.length())
                continue;
            if (width * height > bestArea) {
                bestArea = width * height;
                best = FrameLines{h, v, std::nullopt, std::nullopt};
            }
        }
    }
    if (!best)
        return std::nullopt;
    const AxisLine &h = best->bottom, &v = best->left;
    const QPointF C = *intersect(h, v);
    const double width = h.a1 - C.x(), height = C.y() - v.a0;
    // The top of a box: the highest line across the whole width from the left
    // axis; the right side: the rightmost line the whole height up from the
    // bottom axis. Gridlines are lower and further left.
    double topY = 1e18, rightX = -1e18;
    for (const AxisLine &t : horizontal) {
        const auto C2 = intersect(t, v);
        if (!C2 || C2->y() > C.y() - 0.8 * height || C2->y() < v.a0 - tol(v) || t.a0 > C2->x() + tol(t)
            || t.a1 < C2->x() + 0.8 * width)
            continue;
        if (C2->y() < topY) {
            topY = C2->y();
            best->top = t;
        }
    }
    for (const AxisLine &r : vertical) {
        const auto C3 = intersect(h, r);
        if (!C3 || C3->x() < C.x() + 0.8 * width || C3->x() > h.a1 + tol(h) || r.a1 < C3->y() - tol(r)
            || r.a0 > C3->y() - 0.8 * height)
            continue;
        if (C3->x() > rightX) {
            rightX = C3->x();
            best->right = r;
        }
    }
    return best;
}

std::vector<Tick> findTicks(const Prepared &p, const AxisLine &line, const AxisLine &fullLine, int outward)
{
    const double f = p.factor;
    const AxisLine L = fullLine.scaled(1 / f);
    const double ht = std::max(0.5, L.thickness / 2);
    const int A = line.horizontal ? p.w : p.h;
    const int maxLen = std::max(8, int(0.04 * A));
    const int a0 = std::max(0, int(std::ceil(line.a0)) - 1), a1 = std::min(A, int(line.a1) + 1);
    auto runLength = [&](int a, int side) {
        const double b = L.b(a + 0.5);
        int n = 0;
        for (int k = 0; k < maxLen; ++k) {
            const int bi = int(std::floor(b + side * (ht + 0.5 + k)));
            const bool d = line.horizontal ? p.isDark(a, bi) : p.isDark(bi, a);
            if (d)
                ++n;
            else if (n > 0 || k >= 1)
                break;
        }
        return n;
    };
    std::vector<int> in(size_t(std::max(0, a1 - a0))), out(in.size());
    for (int a = a0; a < a1; ++a) {
        out[size_t(a - a0)] = runLength(a, outward);
        in[size_t(a - a0)] = runLength(a, -outward);
    }
    const int maxWidth = std::max(3, int(2 * ht + 3));
    std::vector<Tick> ticks;
    for (int i = 0; i < int(in.size());) {
        if (std::max(in[size_t(i)], out[size_t(i)]) < 2) {
            ++i;
            continue;
        }
        int j = i;
        int inLen = 0, outLen = 0;
        while (j < int(in.size()) && std::max(in[size_t(j)], out[size_t(j)]) >= 2) {
            inLen = std::max(inLen, in[size_t(j)]);
            outLen = std::max(outLen, out[size_t(j)]);
            ++j;
        }
        if (j - i <= maxWidth) {
            Tick t;
            t.r0 = a0 + i;
            t.r1 = a0 + j - 1;
            t.inLen = inLen;
            t.outLen = outLen;
            t.inside = inLen >= 2;
            t.outside = outLen >= 2;
            t.length = std::max(inLen, outLen) * f;
            // Placed on the whole picture: the darkness centre along the axis
            // on a few rows beside the line.
            const int side = outLen >= inLen ? outward : -outward;
            const int len = std::max(inLen, outLen);
            const int W = 2 * p.factor + 3;
            const double centre = (t.r0 + t.r1 + 1) / 2.0 * f;
            std::vector<std::pair<double, double>> rows; // offset from the axis, centre along it
            const QImage &g = p.full;
            const int GA = line.horizontal ? g.width() : g.height(), GB = line.horizontal ? g.height() : g.width();
            // A gridline is followed only a short way: far out, a turned or
            // photographed one has left the window.
            const double reach = std::min(len * f, 12.0 * f + 6);
            for (int r = 0; r < 4; ++r) {
                const double o = fullLine.thickness / 2 + 1.5 + r * std::max(1.0, (reach - 3) / 4);
                if (o > fullLine.thickness / 2 + reach - 1)
                    break;
                // The window follows a tick square to the axis.
                const double expect = centre - fullLine.s * side * o;
                const int c0 = int(expect) - W, c1 = int(expect) + W;
                if (c0 < 0 || c1 >= GA)
                    break;
                int bg = 0, mn = 255;
                std::vector<int> v;
                for (int ai = c0; ai <= c1; ++ai) {
                    const int bi = int(std::floor(fullLine.b(ai + 0.5) + side * o));
                    if (bi < 0 || bi >= GB)
                        break;
                    const int gv = line.horizontal ? g.constScanLine(bi)[ai] : g.constScanLine(ai)[bi];
                    v.push_back(gv);
                    bg = std::max(bg, gv);
                    mn = std::min(mn, gv);
                }
                if (int(v.size()) != c1 - c0 + 1 || bg - mn < 30)
                    continue;
                double sw = 0, sa = 0;
                for (int k = 0; k < int(v.size()); ++k) {
                    const double d = std::max(0.0, bg - v[size_t(k)] - 0.15 * (bg - mn));
                    sw += d;
                    sa += d * (c0 + k + 0.5);
                }
                if (sw > 0)
                    rows.emplace_back(o, sa / sw);
            }
            // Where the tick meets the axis: its centres followed back to the
            // axis line (a tick need not be square to the axis in a photo).
            // Rows too close together: the tick taken as square to the axis,
            // which on a turned axis drifts along it by the slope times the distance.
            t.along = centre;
            if (!rows.empty()) {
                double so = 0, sc = 0, soo = 0, soc = 0;
                for (const auto &[o, c] : rows) {
                    so += o;
                    sc += c;
                    soo += o * o;
                    soc += o * c;
                }
                const double n = double(rows.size()), spread = rows.back().first - rows.front().first;
                const double det = n * soo - so * so;
                const double k = det > 0 ? (n * soc - so * sc) / det : 0;
                if (rows.size() >= 3 && spread >= 3 && std::abs(k) < 0.3)
                    t.along = (sc - k * so) / n;
                else
                    t.along = (sc + fullLine.s * side * so) / n;
            }
            t.at = fullLine.at(t.along);
            ticks.push_back(t);
        }
        i = j;
    }
    return ticks;
}

void eraseLine(Prepared &p, const AxisLine &line, double extra)
{
    const double f = p.factor;
    const AxisLine L = line.scaled(1 / f);
    const int half = int(std::ceil(L.thickness / 2 + extra));
    for (int a = int(L.a0) - 2; a <= int(L.a1) + 2; ++a) {
        const int b = int(std::floor(L.b(a + 0.5)));
        for (int k = -half; k <= half; ++k) {
            const int x = L.horizontal ? a : b + k, y = L.horizontal ? b + k : a;
            if (x >= 0 && y >= 0 && x < p.w && y < p.h)
                p.dark[size_t(y) * size_t(p.w) + size_t(x)] = 0;
        }
    }
}

void eraseTicks(Prepared &p, const AxisLine &line, const std::vector<Tick> &ticks, int outward)
{
    const double f = p.factor;
    const AxisLine L = line.scaled(1 / f);
    const double ht = L.thickness / 2;
    for (const Tick &t : ticks) {
        for (int a = t.r0 - 1; a <= t.r1 + 1; ++a) {
            const double b = L.b(a + 0.5);
            for (int side : {outward, -outward}) {
                const int len = side == outward ? t.outLen : t.inLen;
                for (int k = 0; k <= len + 1; ++k) {
                    const int bi = int(std::floor(b + side * (ht + 0.5 + k)));
                    const int x = L.horizontal ? a : bi, y = L.horizontal ? bi : a;
                    if (x >= 0 && y >= 0 && x < p.w && y < p.h)
                        p.dark[size_t(y) * size_t(p.w) + size_t(x)] = 0;
                }
            }
        }
    }
}

} // namespace orv::autocal
