// Markers: one point per marker of the colour, at the centre of its bounding
// box (where plotting programs place a marker, whatever its shape). Regions
// are split only where their outline shows several markers; markers drawn on
// a line of their colour are found by taking the thinner line away.

#include "autoread/pieces.h"
#include "autoread/read_common.h"
#include "autoread/read_internal.h"

#include <algorithm>
#include <cmath>

namespace orv::autoread::detail {

namespace {

// A piece's pixels on a grid of its bounding box with a one-pixel border.
struct LocalGrid {
    int x0 = 0, y0 = 0, w = 0, h = 0; // picture position of cell (0, 0)
    std::vector<char> in;
    LocalGrid(const Pieces &pieces, const Pieces::Group &g)
        : x0(g.x0 - 1), y0(g.y0 - 1), w(g.x1 - g.x0 + 3), h(g.y1 - g.y0 + 3), in(size_t(w) * size_t(h), 0)
    {
        for (int ri : g.runs) {
            const PixelRun &r = pieces.runs()[size_t(ri)];
            for (int x = r.x0; x <= r.x1; ++x)
                in[idx(x - x0, r.y - y0)] = 1;
        }
    }
    size_t idx(int x, int y) const { return size_t(y) * size_t(w) + size_t(x); }
};

constexpr int kFar = 1 << 28;

// Chamfer (3-4) distances, in thirds of a pixel: to the nearest cell outside
// the piece when `toOutside`, else to the nearest seed (`seed` cells 0).
std::vector<int> chamfer(const LocalGrid &g, const std::vector<char> *seed)
{
    std::vector<int> d(g.in.size());
    for (size_t i = 0; i < d.size(); ++i)
        d[i] = seed ? ((*seed)[i] ? 0 : kFar) : (g.in[i] ? kFar : 0);
    auto relax = [&](int x, int y, int dx, int dy, int cost) {
        const int nx = x + dx, ny = y + dy;
        if (nx < 0 || ny < 0 || nx >= g.w || ny >= g.h)
            return;
        int &v = d[g.idx(x, y)];
        v = std::min(v, d[g.idx(nx, ny)] + cost);
    };
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            relax(x, y, -1, 0, 3);
            relax(x, y, 0, -1, 3);
            relax(x, y, -1, -1, 4);
            relax(x, y, 1, -1, 4);
        }
    for (int y = g.h - 1; y >= 0; --y)
        for (int x = g.w - 1; x >= 0; --x) {
            relax(x, y, 1, 0, 3);
            relax(x, y, 0, 1, 3);
            relax(x, y, 1, 1, 4);
            relax(x, y, -1, 1, 4);
        }
    return d;
}

// The tops of the distance map at least `floor` high: plateaus no neighbour
// rises above; tops closer than `apart` cells are one.
std::vector<QPointF> distanceTops(const LocalGrid &g, const std::vector<int> &d, int floor, double apart)
{
    std::vector<QPointF> tops;
    std::vector<char> seen(d.size(), 0);
    std::vector<int> stack;
    for (int y = 1; y + 1 < g.h; ++y)
        for (int x = 1; x + 1 < g.w; ++x) {
            const size_t i = g.idx(x, y);
            const int v = d[i];
            if (!g.in[i] || seen[i] || v < floor)
                continue;
            // Flood the plateau of equal height; a top when nothing around is higher.
            bool top = true;
            double sx = 0, sy = 0;
            int n = 0;
            stack.assign(1, int(i));
            seen[i] = 1;
            while (!stack.empty()) {
                const int c = stack.back();
                stack.pop_back();
                const int cx = c % g.w, cy = c / g.w;
                sx += cx;
                sy += cy;
                ++n;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = cx + dx, ny = cy + dy;
                        if (nx < 0 || ny < 0 || nx >= g.w || ny >= g.h)
                            continue;
                        const size_t j = g.idx(nx, ny);
                        if (d[j] > v)
                            top = false;
                        else if (d[j] == v && !seen[j]) {
                            seen[j] = 1;
                            stack.push_back(int(j));
                        }
                    }
            }
            if (!top)
                continue;
            const QPointF p(sx / n, sy / n);
            bool near = false;
            for (QPointF &t : tops)
                near = near || std::hypot(t.x() - p.x(), t.y() - p.y()) < apart;
            if (!near)
                tops.push_back(p);
        }
    return tops;
}

struct WeightedPixel {
    double x, y, w;
};

// Weighted centres of the pixels around the given starting centres (Lloyd's iterations).
std::vector<QPointF> kMeans(const std::vector<WeightedPixel> &px, std::vector<QPointF> c)
{
    const size_t k = c.size();
    std::vector<int> owner(px.size(), 0);
    for (int it = 0; it < 30; ++it) {
        bool changed = false;
        for (size_t i = 0; i < px.size(); ++i) {
            int best = 0;
            double bd = 1e300;
            for (size_t j = 0; j < k; ++j) {
                const double dx = px[i].x - c[j].x(), dy = px[i].y - c[j].y();
                if (dx * dx + dy * dy < bd) {
                    bd = dx * dx + dy * dy;
                    best = int(j);
                }
            }
            changed = changed || owner[i] != best;
            owner[i] = best;
        }
        std::vector<double> w(k), x(k), y(k);
        for (size_t i = 0; i < px.size(); ++i) {
            w[size_t(owner[i])] += px[i].w;
            x[size_t(owner[i])] += px[i].w * px[i].x;
            y[size_t(owner[i])] += px[i].w * px[i].y;
        }
        for (size_t j = 0; j < k; ++j)
            if (w[j] > 0)
                c[j] = QPointF(x[j] / w[j], y[j] / w[j]);
        if (!changed && it > 0)
            break;
    }
    return c;
}

struct Candidate {
    QPointF centre;
    double area = 0;
    double side = 0;  // the longer side of the box
    int group = -1;   // the piece, for splitting
    bool onLine = false;
    bool several = false; // its outline shows several markers
};

// Shape measures of a piece: how elongated (the ratio of the principal
// second moments) it is.
double elongation(const Pieces &pieces, const Pieces::Group &g)
{
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
    for (int ri : g.runs) {
        const PixelRun &r = pieces.runs()[size_t(ri)];
        for (int x = r.x0; x <= r.x1; ++x) {
            n += 1;
            sx += x;
            sy += r.y;
            sxx += double(x) * x;
            syy += double(r.y) * r.y;
            sxy += double(x) * r.y;
        }
    }
    const double mx = sx / n, my = sy / n;
    const double cxx = sxx / n - mx * mx + 1.0 / 12, cyy = syy / n - my * my + 1.0 / 12, cxy = sxy / n - mx * my;
    const double tr = cxx + cyy, det = cxx * cyy - cxy * cxy;
    const double disc = std::sqrt(std::max(0.0, tr * tr / 4 - det));
    const double l1 = tr / 2 + disc, l2 = std::max(1e-9, tr / 2 - disc);
    return l1 / l2;
}

} // namespace

ReadResult readMarkers(const ReadJob &job, const Prepared &prep, const Progress &progress)
{
    ReadResult res;
    const QImage &img = prep.img;
    Pieces pieces = Pieces::find(img, prep.area, job.exclusions, *prep.pixels, progress);
    if (progress.cancelled())
        return res;
    pieces.group(0);
    const auto &groups = pieces.groups();
    // Compact pieces (a marker of any shape, even a cross) are about as wide
    // one way as the other; lines and their dashes are not.
    std::vector<char> compact(groups.size(), 0);
    std::vector<double> sizes;
    for (size_t i = 0; i < groups.size(); ++i) {
        const auto &g = groups[i];
        if (g.area < 4)
            continue; // specks of compression noise
        // ... and made of strokes no thinner than a tenth of its size (a
        // cross of two strokes, a ring), unlike an arc of a curve.
        const double side = std::max(g.x1 - g.x0 + 1, g.y1 - g.y0 + 1);
        compact[i] = elongation(pieces, g) <= 6 && side * side <= 10.0 * double(g.area);
        if (compact[i])
            sizes.push_back(std::max(g.x1 - g.x0 + 1, g.y1 - g.y0 + 1));
    }
    // Pieces a few pixels from a line are the line's own bits (cut off by
    // a crossing curve), unless thicker than a line.
    Pieces near = pieces;
    near.group(3);
    std::vector<char> nearLine(near.groups().size(), 0);
    for (size_t i = 0; i < groups.size(); ++i)
        if (groups[i].area >= 4 && !compact[i])
            nearLine[size_t(near.groupOfRun(groups[i].runs.front()))] = 1;
    auto lineBit = [&](size_t gi) {
        if (!nearLine[size_t(near.groupOfRun(groups[gi].runs.front()))])
            return false;
        const LocalGrid grid(pieces, groups[gi]);
        const std::vector<int> d = chamfer(grid, nullptr);
        return *std::max_element(d.begin(), d.end()) < 9; // under 3 px from its edge
    };
    for (size_t i = 0; i < groups.size(); ++i)
        if (compact[i] && lineBit(i))
            compact[i] = 0;
    sizes.clear();
    for (size_t i = 0; i < groups.size(); ++i)
        if (compact[i])
            sizes.push_back(std::max(groups[i].x1 - groups[i].x0 + 1, groups[i].y1 - groups[i].y0 + 1));
    double typicalSize = 0;
    if (!sizes.empty()) {
        std::nth_element(sizes.begin(), sizes.begin() + sizes.size() / 2, sizes.end());
        typicalSize = sizes[sizes.size() / 2];
    }
    std::vector<Candidate> cands;
    ColourMatcher m(prep.claim.centre, prep.claim.tolerance);
    auto weightAt = [&](int x, int y) -> double {
        if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
            return 0;
        const QRgb c = reinterpret_cast<const QRgb *>(img.constScanLine(y))[x];
        return prep.pixels->ownOrPaper(c) && !prep.pixels->target(c) ? m.weight(c) : 0;
    };
    std::vector<int> lineGroups;
    for (size_t gi = 0; gi < groups.size() && !progress.cancelled(); ++gi) {
        const auto &g = groups[gi];
        if (g.area < 4)
            continue;
        const int side = std::max(g.x1 - g.x0 + 1, g.y1 - g.y0 + 1);
        bool single = compact[gi] && (typicalSize == 0 || side <= 3 * typicalSize);
        int tops = 1;
        if (single && typicalSize > 0 && side > 1.4 * typicalSize) {
            // Larger than a marker: several markers (a top each in the
            // distance map), or one with stubs of its line.
            const LocalGrid grid(pieces, g);
            const std::vector<int> d = chamfer(grid, nullptr);
            const int maxD = *std::max_element(d.begin(), d.end());
            tops = int(distanceTops(grid, d, maxD / 2, maxD / 3.0).size());
            single = tops >= 2;
        }
        if (single) {
            // The box's edges to a fraction of a pixel: the antialiased
            // pixels just outside cover the part of them that the marker
            // does (two deep: a compressed tip fades over more than one).
            double l = 0, r = 0, t = 0, b = 0;
            for (int k = 1; k <= 2; ++k) {
                double l1 = 0, r1 = 0, t1 = 0, b1 = 0;
                for (int y = g.y0; y <= g.y1; ++y) {
                    l1 = std::max(l1, weightAt(g.x0 - k, y));
                    r1 = std::max(r1, weightAt(g.x1 + k, y));
                }
                for (int x = g.x0; x <= g.x1; ++x) {
                    t1 = std::max(t1, weightAt(x, g.y0 - k));
                    b1 = std::max(b1, weightAt(x, g.y1 + k));
                }
                l += l1;
                r += r1;
                t += t1;
                b += b1;
            }
            const QPointF c((g.x0 - l + g.x1 + 1 + r) / 2, (g.y0 - t + g.y1 + 1 + b) / 2);
            cands.push_back({c, double(g.area), double(side), int(gi), false, tops >= 2});
            continue;
        }
        lineGroups.push_back(int(gi));
    }
    // A line, perhaps with markers on it: the markers are what is left once
    // everything as thin as the line is taken away (an opening by a disc a
    // little wider than the line). The line's width is taken over all its
    // pieces (the dashes of a dashed line), where the line's own ridge
    // outnumbers the markers' centres.
    std::vector<int> ridge;
    auto ridgeOf = [&](const LocalGrid &grid, const std::vector<int> &d, std::vector<int> &out) {
        for (int y = 1; y + 1 < grid.h; ++y)
            for (int x = 1; x + 1 < grid.w; ++x) {
                const int v = d[grid.idx(x, y)];
                if (!grid.in[grid.idx(x, y)])
                    continue;
                bool top = true;
                for (int dy = -1; dy <= 1 && top; ++dy)
                    for (int dx = -1; dx <= 1 && top; ++dx)
                        top = d[grid.idx(x + dx, y + dy)] <= v;
                if (top)
                    out.push_back(v);
            }
    };
    for (int gi : lineGroups) {
        if (progress.cancelled())
            return res;
        const LocalGrid grid(pieces, groups[size_t(gi)]);
        ridgeOf(grid, chamfer(grid, nullptr), ridge);
    }
    int half = 0;
    if (!ridge.empty()) {
        std::nth_element(ridge.begin(), ridge.begin() + ridge.size() / 2, ridge.end());
        half = ridge[ridge.size() / 2]; // the line's half width, thirds of a pixel
    }
    for (int gi : lineGroups) {
        if (progress.cancelled())
            return res;
        const LocalGrid grid(pieces, groups[size_t(gi)]);
        const std::vector<int> d = chamfer(grid, nullptr);
        const int open = half + 3;                  // the disc taken away: a pixel wider
        const int markerFloor = std::max(open, int(1.8 * half) + 3);
        std::vector<char> seed(grid.in.size(), 0);
        bool any = false;
        for (size_t i = 0; i < d.size(); ++i)
            any = (seed[i] = grid.in[i] && d[i] >= open) || any;
        if (!any)
            continue;
        const std::vector<int> fromSeed = chamfer(grid, &seed);
        // The opened pieces: pixels within the disc of a seed.
        Pieces::Group dummy;
        std::vector<char> opened(grid.in.size(), 0);
        for (size_t i = 0; i < d.size(); ++i)
            opened[i] = grid.in[i] && fromSeed[i] <= open;
        std::vector<char> seen(opened.size(), 0);
        std::vector<int> stack;
        for (int y = 0; y < grid.h; ++y)
            for (int x = 0; x < grid.w; ++x) {
                const size_t i = grid.idx(x, y);
                if (!opened[i] || seen[i])
                    continue;
                int bx0 = x, bx1 = x, by0 = y, by1 = y, top = 0, n = 0;
                stack.assign(1, int(i));
                seen[i] = 1;
                while (!stack.empty()) {
                    const int c = stack.back();
                    stack.pop_back();
                    const int cx = c % grid.w, cy = c / grid.w;
                    bx0 = std::min(bx0, cx);
                    bx1 = std::max(bx1, cx);
                    by0 = std::min(by0, cy);
                    by1 = std::max(by1, cy);
                    top = std::max(top, d[size_t(c)]);
                    ++n;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int nx = cx + dx, ny = cy + dy;
                            if (nx < 0 || ny < 0 || nx >= grid.w || ny >= grid.h)
                                continue;
                            const size_t j = grid.idx(nx, ny);
                            if (opened[j] && !seen[j]) {
                                seen[j] = 1;
                                stack.push_back(int(j));
                            }
                        }
                }
                if (top < markerFloor)
                    continue; // a bend or a crossing of the line, not a marker
                const QPointF c(grid.x0 + (bx0 + bx1 + 1) / 2.0, grid.y0 + (by0 + by1 + 1) / 2.0);
                    cands.push_back({c, double(n), double(std::max(bx1 - bx0, by1 - by0) + 1), -1, true, false});
            }
    }
    if (progress.cancelled())
        return res;
    if (cands.empty()) {
        if (!lineGroups.empty())
            res.absence = ReadResult::Absence::OnlyLines;
        return res;
    }
    // Markers of one series share a size (their boxes), not an area: a cross
    // covers less than a disc of the same size.
    std::vector<double> areas, sides;
    for (const Candidate &c : cands) {
        areas.push_back(c.area);
        sides.push_back(c.side);
    }
    std::nth_element(areas.begin(), areas.begin() + areas.size() / 2, areas.end());
    std::nth_element(sides.begin(), sides.begin() + sides.size() / 2, sides.end());
    const double median = areas[areas.size() / 2], medianSide = sides[sides.size() / 2];
    res.medianArea = median;
    for (const Candidate &c : cands) {
        if (job.markers.minArea ? c.area < *job.markers.minArea : (c.side < 0.6 * medianSide || c.area < 4))
            continue;
        std::vector<QPointF> centres;
        bool merged = false;
        if (job.markers.maxArea ? c.area <= *job.markers.maxArea : !c.several) {
            centres.push_back(c.centre);
            res.lineUnderMarkers = res.lineUnderMarkers || c.onLine;
        } else {
            // Several markers only where the outline shows them: the
            // distance map has a top for each.
            ++res.mergedRegions;
            std::vector<QPointF> tops;
            LocalGrid grid(pieces, groups[size_t(std::max(0, c.group))]);
            if (c.group >= 0) {
                const std::vector<int> d = chamfer(grid, nullptr);
                const int maxD = *std::max_element(d.begin(), d.end());
                tops = distanceTops(grid, d, maxD / 2, maxD / 3.0);
            }
            if (tops.size() < 2 || tops.size() > 8 || !job.markers.splitMerged) {
                ++res.leftOut;
                continue;
            }
            std::vector<WeightedPixel> px;
            for (int y = 0; y < grid.h; ++y)
                for (int x = 0; x < grid.w; ++x)
                    if (grid.in[grid.idx(x, y)])
                        px.push_back({grid.x0 + x + 0.5, grid.y0 + y + 0.5, 1.0});
            for (QPointF &t : tops)
                t += QPointF(grid.x0 + 0.5, grid.y0 + 0.5);
            centres = kMeans(px, tops);
            merged = true;
        }
        for (QPointF p : centres) {
            FoundPoint f;
            f.merged = merged;
            if (finishPoint(job, img.size(), p, f))
                res.points.push_back(f);
        }
    }
    std::stable_sort(res.points.begin(), res.points.end(), [](const FoundPoint &a, const FoundPoint &b) { return a.X < b.X; });
    return res;
}

} // namespace orv::autoread::detail
