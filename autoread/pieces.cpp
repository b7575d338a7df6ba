#include "autoread/pieces.h"

#include "autoread/read_common.h"
#include "model/union_find.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace orv::autoread {

Pieces Pieces::find(const QImage &img, const ReadArea &area, const std::vector<QRectF> &exclusions,
                    const PixelClasses &classes, const Progress &progress)
{
    Pieces p;
    p.m_bounds = area.bounds();
    const int bh = p.m_bounds.height();
    if (bh <= 0)
        return p;
    std::vector<std::vector<PixelRun>> rows(static_cast<size_t>(bh));
    std::atomic<int> done{0};
    detail::forChunks(bh, [&](int from, int to) {
        for (int r = from; r < to && !progress.cancelled(); ++r) {
            const int y = p.m_bounds.top() + r;
            int x0 = 0, x1 = -1;
            if (area.rowSpan(y, x0, x1)) {
                const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
                auto &out = rows[size_t(r)];
                int start = -1;
                // Neighbouring pixels mostly repeat a colour (the paper):
                // runs of one colour that is not the target are skipped.
                for (int x = x0; x <= x1 + 1;) {
                    bool on = false;
                    if (x <= x1) {
                        const QRgb c = line[x];
                        on = classes.target(c);
                        if (!on) {
                            int e = x + 1;
                            while (e <= x1 && line[e] == c)
                                ++e;
                            if (start >= 0) {
                                out.push_back({y, start, x - 1});
                                start = -1;
                            }
                            x = e;
                            continue;
                        }
                        on = exclusions.empty() || !detail::excluded(exclusions, x + 0.5, y + 0.5);
                    }
                    if (on && start < 0)
                        start = x;
                    else if (!on && start >= 0) {
                        out.push_back({y, start, x - 1});
                        start = -1;
                    }
                    ++x;
                }
            }
            const int d = ++done;
            if (progress.report && detail::percentStep(d, bh))
                progress.report(d, bh);
        }
    });
    p.m_rowStart.resize(size_t(bh) + 1);
    for (int r = 0; r < bh; ++r) {
        p.m_rowStart[size_t(r)] = int(p.m_runs.size());
        p.m_runs.insert(p.m_runs.end(), rows[size_t(r)].begin(), rows[size_t(r)].end());
    }
    p.m_rowStart[size_t(bh)] = int(p.m_runs.size());
    return p;
}

void Pieces::group(int gap)
{
    const int n = int(m_runs.size());
    std::vector<int> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    const int bh = m_bounds.height();
    for (int r = 0; r < bh; ++r) {
        for (int i = m_rowStart[size_t(r)]; i < m_rowStart[size_t(r + 1)]; ++i) {
            const PixelRun &a = m_runs[size_t(i)];
            // Rows above within the gap (and this row, for runs to the left).
            for (int dy = 0; dy <= gap + 1 && dy <= r; ++dy) {
                // Gaps are counted in empty pixels: touching runs of
                // neighbouring rows (8-connected) have none.
                const int empty = std::max(0, dy - 1);
                if (empty > gap)
                    break;
                const int reach = int(std::floor(std::sqrt(double(gap * gap - empty * empty) + 1e-9)));
                const int rr = r - dy;
                for (int q = m_rowStart[size_t(rr)]; q < m_rowStart[size_t(rr + 1)]; ++q) {
                    if (dy == 0 && q >= i)
                        break;
                    const PixelRun &b = m_runs[size_t(q)];
                    if (b.x0 > a.x1 + reach + 1)
                        break;
                    const int hgap = std::max({0, b.x0 - a.x1 - 1, a.x0 - b.x1 - 1});
                    const bool joins = hgap <= reach;
                    if (joins)
                        unite(parent, i, q);
                }
            }
        }
    }
    m_groups.clear();
    m_groupOf.assign(size_t(n), -1);
    std::vector<int> index(size_t(n), -1);
    for (int i = 0; i < n; ++i) {
        const int root = findRoot(parent, i);
        if (index[size_t(root)] < 0) {
            index[size_t(root)] = int(m_groups.size());
            m_groups.emplace_back();
        }
        const int g = index[size_t(root)];
        m_groupOf[size_t(i)] = g;
        Group &G = m_groups[size_t(g)];
        const PixelRun &s = m_runs[size_t(i)];
        G.area += s.x1 - s.x0 + 1;
        G.x0 = std::min(G.x0, s.x0);
        G.x1 = std::max(G.x1, s.x1);
        G.y0 = std::min(G.y0, s.y);
        G.y1 = std::max(G.y1, s.y);
        G.runs.push_back(i);
    }
}

void Pieces::bridgeAlong(double reach)
{
    struct End {
        QPointF at, dir;
    };
    struct Shape {
        std::array<End, 2> ends;
        bool elongated = false;
        bool used = false;
    };
    const int n = int(m_groups.size());
    std::vector<Shape> shapes(static_cast<size_t>(n));
    for (int gi = 0; gi < n; ++gi) {
        const Group &g = m_groups[size_t(gi)];
        if (g.area < 3)
            continue;
        double w = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        for (int ri : g.runs) {
            const PixelRun &r = m_runs[size_t(ri)];
            for (int x = r.x0; x <= r.x1; ++x) {
                const double px = x + 0.5, py = r.y + 0.5;
                w += 1;
                sx += px;
                sy += py;
                sxx += px * px;
                syy += py * py;
                sxy += px * py;
            }
        }
        const double mx = sx / w, my = sy / w;
        const double cxx = sxx / w - mx * mx, cyy = syy / w - my * my, cxy = sxy / w - mx * my;
        const double angle = 0.5 * std::atan2(2 * cxy, cxx - cyy);
        const QPointF u(std::cos(angle), std::sin(angle));
        const double tr = cxx + cyy, det = cxx * cyy - cxy * cxy;
        const double disc = std::sqrt(std::max(0.0, tr * tr / 4 - det));
        const double l1 = tr / 2 + disc, l2 = std::max(1e-9, tr / 2 - disc);
        double tmin = 1e300, tmax = -1e300;
        for (int ri : g.runs) {
            const PixelRun &r = m_runs[size_t(ri)];
            for (int x : {r.x0, r.x1}) {
                const double t = (x + 0.5 - mx) * u.x() + (r.y + 0.5 - my) * u.y();
                tmin = std::min(tmin, t);
                tmax = std::max(tmax, t);
            }
        }
        Shape &s = shapes[size_t(gi)];
        s.used = true;
        s.elongated = l1 > 4 * l2;
        s.ends = {End{QPointF(mx, my) + tmin * u, -u}, End{QPointF(mx, my) + tmax * u, u}};
    }
    std::vector<int> parent(static_cast<size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    const double cosCone = std::cos(35 * M_PI / 180);
    auto pointsAt = [&](const Shape &s, const End &e, QPointF to) {
        const QPointF d = to - e.at;
        const double len = std::hypot(d.x(), d.y());
        if (len < 1)
            return true;
        return !s.elongated || (d.x() * e.dir.x() + d.y() * e.dir.y()) >= cosCone * len;
    };
    for (int i = 0; i < n; ++i) {
        if (!shapes[size_t(i)].used)
            continue;
        const Group &gi = m_groups[size_t(i)];
        for (int j = i + 1; j < n; ++j) {
            if (!shapes[size_t(j)].used || (!shapes[size_t(i)].elongated && !shapes[size_t(j)].elongated))
                continue;
            const Group &gj = m_groups[size_t(j)];
            if (gj.x0 > gi.x1 + reach || gi.x0 > gj.x1 + reach || gj.y0 > gi.y1 + reach || gi.y0 > gj.y1 + reach)
                continue;
            bool join = false;
            for (const End &a : shapes[size_t(i)].ends)
                for (const End &b : shapes[size_t(j)].ends) {
                    const double d = std::hypot(a.at.x() - b.at.x(), a.at.y() - b.at.y());
                    join = join || (d <= reach && pointsAt(shapes[size_t(i)], a, b.at) && pointsAt(shapes[size_t(j)], b, a.at));
                }
            if (join)
                unite(parent, i, j);
        }
    }
    // Regroup.
    std::vector<int> index(static_cast<size_t>(n), -1);
    std::vector<Group> merged;
    for (int i = 0; i < n; ++i) {
        const int root = findRoot(parent, i);
        if (index[size_t(root)] < 0) {
            index[size_t(root)] = int(merged.size());
            merged.emplace_back();
        }
        Group &G = merged[size_t(index[size_t(root)])];
        const Group &g = m_groups[size_t(i)];
        G.area += g.area;
        G.x0 = std::min(G.x0, g.x0);
        G.x1 = std::max(G.x1, g.x1);
        G.y0 = std::min(G.y0, g.y0);
        G.y1 = std::max(G.y1, g.y1);
        G.runs.insert(G.runs.end(), g.runs.begin(), g.runs.end());
    }
    for (int &g : m_groupOf)
        g = index[size_t(findRoot(parent, g))];
    m_groups = std::move(merged);
}

int Pieces::groupAt(int x, int y) const
{
    const int r = y - m_bounds.top();
    if (r < 0 || r >= m_bounds.height() || m_groupOf.empty())
        return -1;
    const auto first = m_runs.begin() + m_rowStart[size_t(r)], last = m_runs.begin() + m_rowStart[size_t(r + 1)];
    auto it = std::upper_bound(first, last, x, [](int v, const PixelRun &s) { return v < s.x0; });
    if (it == first)
        return -1;
    --it;
    return x <= it->x1 ? m_groupOf[size_t(it - m_runs.begin())] : -1;
}

double Pieces::lineWidth() const
{
    std::vector<std::pair<double, qint64>> t;
    qint64 total = 0;
    for (const Group &g : m_groups) {
        if (g.area < 12)
            continue;
        const double len = std::max(g.x1 - g.x0 + 1, g.y1 - g.y0 + 1);
        t.emplace_back(double(g.area) / len, g.area);
        total += g.area;
    }
    if (t.empty())
        return 1;
    std::sort(t.begin(), t.end());
    qint64 acc = 0;
    for (const auto &[w, a] : t) {
        acc += a;
        if (2 * acc >= total)
            return std::max(1.0, w);
    }
    return std::max(1.0, t.back().first);
}

void Pieces::markBorders(const ReadArea &area, const std::vector<QRectF> &exclusions, double reach)
{
    auto outside = [&](double x, double y) { return !area.contains(x, y) || detail::excluded(exclusions, x, y); };
    for (Group &g : m_groups) {
        g.border = false;
        for (int i : g.runs) {
            const PixelRun &s = m_runs[size_t(i)];
            const double y = s.y + 0.5, l = s.x0 + 0.5, r = s.x1 + 0.5;
            if (outside(l - reach, y) || outside(r + reach, y) || outside(l, y - reach) || outside(l, y + reach) ||
                outside(r, y - reach) || outside(r, y + reach)) {
                g.border = true;
                break;
            }
        }
    }
}

int Pieces::keepCurve(double width)
{
    // A path's length: its area over the line's width.
    double longest = 0;
    for (const Group &g : m_groups)
        longest = std::max(longest, double(g.area) / width);
    int leftOut = 0;
    for (Group &g : m_groups) {
        const double len = double(g.area) / width;
        g.kept = len >= 0.3 * longest || (g.border && len >= 4 * width);
        // Specks (noise) are not counted as pieces left out.
        if (!g.kept && g.area >= std::max(6.0, 2 * width * width))
            ++leftOut;
    }
    return leftOut;
}

} // namespace orv::autoread
