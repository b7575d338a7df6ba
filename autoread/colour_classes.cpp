#include "autoread/colour_classes.h"

#include "autoread/methods.h"
#include "autoread/read_common.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace orv::autoread {

namespace {

constexpr int kBits = 6;                 // per channel in the histogram and the pixel table
constexpr int kBins = 1 << (3 * kBits);
constexpr double kRadius = 3;            // ΔE: neighbourhood of the density estimate
constexpr qint64 kSampleBudget = 1000000;

QRgb binColour(uint32_t key)
{
    auto c = [](uint32_t q) { return int(std::min<uint32_t>(255, (q << 2) + 2)); };
    return qRgb(c(key >> 12 & 63), c(key >> 6 & 63), c(key & 63));
}

struct Bin {
    uint32_t key = 0;
    qint64 n = 0;
    Lab lab;
    double density = 0;
    int parent = -1;
};

// Bins by cells of the density radius in Lab, for neighbourhood queries.
class LabGrid {
public:
    explicit LabGrid(const std::vector<Bin> &bins) : m_bins(bins)
    {
        for (int i = 0; i < int(bins.size()); ++i)
            m_cells[cellKey(cell(bins[size_t(i)].lab.L), cell(bins[size_t(i)].lab.a), cell(bins[size_t(i)].lab.b))]
                .push_back(i);
    }
    template <typename F> void near(const Lab &p, double radius, F &&f) const
    {
        const int cl = cell(p.L), ca = cell(p.a), cb = cell(p.b);
        const int reach = int(std::ceil(radius / kRadius));
        for (int dl = -reach; dl <= reach; ++dl)
            for (int da = -reach; da <= reach; ++da)
                for (int db = -reach; db <= reach; ++db) {
                    auto it = m_cells.find(cellKey(cl + dl, ca + da, cb + db));
                    if (it == m_cells.end())
                        continue;
                    for (int i : it->second)
                        if (deltaE(p, m_bins[size_t(i)].lab) <= radius)
                            f(i);
                }
    }
    double density(const Lab &p, double radius = kRadius) const
    {
        double d = 0;
        near(p, radius, [&](int i) { d += double(m_bins[size_t(i)].n); });
        return d;
    }

private:
    static int cell(float v) { return int(std::floor(v / kRadius)); }
    static qint64 cellKey(int l, int a, int b) { return (qint64(l + 512) << 40) | (qint64(a + 512) << 20) | qint64(b + 512); }
    const std::vector<Bin> &m_bins;
    std::unordered_map<qint64, std::vector<int>> m_cells;
};

} // namespace

ColourClasses ColourClasses::analyse(const QImage &img, const ReadArea &area, const std::vector<QRectF> &exclusions)
{
    ColourClasses out;
    const QRect b = area.bounds();
    if (b.isEmpty())
        return out;
    // A regular subsample along each row, started at a different offset per
    // row so that no line direction falls between the samples.
    const qint64 total = qint64(b.width()) * b.height();
    const int stride = int(std::max<qint64>(1, (total + kSampleBudget - 1) / kSampleBudget));
    std::vector<uint32_t> hist(size_t(kBins), 0);
    auto binOf = [](QRgb c) { return size_t((qRed(c) >> 2) << 12 | (qGreen(c) >> 2) << 6 | (qBlue(c) >> 2)); };
    // The paper first (the commonest colour of a sparse sample): pixels are
    // then counted only where they stand out from the paper at least as much
    // as their four neighbours do. A line's core counts, its antialiased and
    // blurred edges (blends with the paper) do not, so each colour's group
    // is centred on the colour as drawn, and its spread is the noise.
    {
        const int sparse = std::max(1, int(std::sqrt(double(total) / 40000.0)));
        for (int y = b.top(); y <= b.bottom(); y += sparse) {
            int x0 = 0, x1 = -1;
            if (!area.rowSpan(y, x0, x1))
                continue;
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            for (int x = x0; x <= x1; x += sparse)
                ++hist[binOf(line[x])];
        }
    }
    const QRgb paperGuess = binColour(uint32_t(std::max_element(hist.begin(), hist.end()) - hist.begin()));
    std::fill(hist.begin(), hist.end(), 0);
    auto contrast = [&](QRgb c) {
        const int dr = qRed(c) - qRed(paperGuess), dg = qGreen(c) - qGreen(paperGuess), db = qBlue(c) - qBlue(paperGuess);
        return dr * dr + dg * dg + db * db;
    };
    const int W = img.width(), H = img.height();
    qint64 samples = 0;
    for (int y = b.top(); y <= b.bottom(); ++y) {
        int x0 = 0, x1 = -1;
        if (!area.rowSpan(y, x0, x1))
            continue;
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        const QRgb *up = y > 0 ? reinterpret_cast<const QRgb *>(img.constScanLine(y - 1)) : nullptr;
        const QRgb *down = y + 1 < H ? reinterpret_cast<const QRgb *>(img.constScanLine(y + 1)) : nullptr;
        const int offset = stride > 1 ? int((uint32_t(y) * 2654435761u >> 7) % uint32_t(stride)) : 0;
        for (int x = x0 + offset; x <= x1; x += stride) {
            const QRgb c = line[x];
            const int k = contrast(c);
            // The paper itself needs no look around (the commonest case).
            if (k != 0 && ((x > 0 && contrast(line[x - 1]) > k) || (x + 1 < W && contrast(line[x + 1]) > k) ||
                (up && contrast(up[x]) > k) || (down && contrast(down[x]) > k)))
                continue;
            if (!exclusions.empty() && detail::excluded(exclusions, x + 0.5, y + 0.5))
                continue;
            ++hist[binOf(c)];
            ++samples;
        }
    }
    if (samples == 0)
        return out;
    std::vector<Bin> bins;
    for (uint32_t k = 0; k < uint32_t(kBins); ++k)
        if (hist[k])
            bins.push_back(Bin{k, hist[k], toLab(binColour(k)), 0, -1});
    const LabGrid grid(bins);
    for (Bin &bin : bins)
        bin.density = grid.density(bin.lab);
    // Each colour climbs to its densest neighbour; the tops are the picture's
    // distinct colours.
    auto higher = [&](int i, int j) {
        const Bin &p = bins[size_t(i)], &q = bins[size_t(j)];
        return p.density != q.density ? p.density > q.density : p.key > q.key;
    };
    for (int i = 0; i < int(bins.size()); ++i) {
        int best = i;
        grid.near(bins[size_t(i)].lab, kRadius, [&](int j) {
            if (higher(j, best))
                best = j;
        });
        bins[size_t(i)].parent = best;
    }
    std::vector<int> top(bins.size(), -1);
    std::vector<int> chain;
    for (int i = 0; i < int(bins.size()); ++i) {
        int t = i;
        chain.clear();
        while (top[size_t(t)] < 0 && bins[size_t(t)].parent != t) {
            chain.push_back(t);
            t = bins[size_t(t)].parent;
        }
        const int root = top[size_t(t)] >= 0 ? top[size_t(t)] : t;
        top[size_t(t)] = root;
        for (int u : chain)
            top[size_t(u)] = root;
    }
    std::unordered_map<int, qint64> basin;
    for (int i = 0; i < int(bins.size()); ++i)
        basin[top[size_t(i)]] += bins[size_t(i)].n;
    // A handful of pixels is noise, not a colour of the chart.
    const qint64 minCount = std::max<qint64>(8, samples / 50000);
    std::vector<int> modes;
    for (const auto &[m, n] : basin)
        if (n >= minCount)
            modes.push_back(m);
    std::sort(modes.begin(), modes.end(), [&](int i, int j) { return higher(i, j); });
    if (modes.empty())
        return out;
    for (int m : modes) {
        int centre = m;
        grid.near(bins[size_t(m)].lab, kRadius, [&](int j) {
            if (bins[size_t(j)].n > bins[size_t(centre)].n)
                centre = j;
        });
        ColourCluster c;
        c.colour = binColour(bins[size_t(centre)].key);
        c.lab = bins[size_t(centre)].lab;
        out.m_clusters.push_back(c);
    }
    // Each group's pixels (those nearest to its centre), and their median
    // distance from it.
    auto counts = [&] {
        std::vector<std::vector<std::pair<float, qint64>>> dist(out.m_clusters.size());
        for (const Bin &bin : bins) {
            float d = 0;
            const int k = out.nearest(bin.lab, &d);
            dist[size_t(k)].emplace_back(d, bin.n);
        }
        for (size_t k = 0; k < dist.size(); ++k) {
            auto &v = dist[k];
            std::sort(v.begin(), v.end());
            ColourCluster &c = out.m_clusters[k];
            c.count = 0;
            for (const auto &e : v)
                c.count += e.second;
            qint64 acc = 0;
            c.spread = 0;
            for (const auto &[d, n] : v) {
                acc += n;
                if (2 * acc >= c.count) {
                    c.spread = d;
                    break;
                }
            }
        }
    };
    counts();
    // Noise splits one colour into several tops: a smaller one within a few
    // spreads of a larger one is part of it. Distinct colours drawn cleanly
    // have almost no spread, so two curves a few ΔE apart stay two. The
    // spreads grow as parts join: again until nothing changes.
    for (size_t before = 0, round = 0; before != out.m_clusters.size() && round < 4; ++round) {
        before = out.m_clusters.size();
        std::vector<size_t> order(out.m_clusters.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(),
                  [&](size_t i, size_t j) { return out.m_clusters[i].count > out.m_clusters[j].count; });
        std::vector<ColourCluster> kept;
        for (size_t i : order) {
            const ColourCluster &c = out.m_clusters[i];
            bool part = false;
            for (const ColourCluster &k : kept) {
                const double d = deltaE(c.lab, k.lab);
                part = part || d <= 2.5 * std::max(k.spread, c.spread) + 1;
                if (!part && d <= 25) {
                    // Or no dip between them: a kernel narrow enough not to
                    // reach across the gap of two clean colours.
                    const double r = std::clamp(d / 4, 1.0, kRadius);
                    const double floor = 0.2 * std::min(grid.density(c.lab, r), grid.density(k.lab, r));
                    bool dip = false;
                    const int steps = int(std::ceil(d / r));
                    for (int s = 1; s < steps && !dip; ++s) {
                        const double t = double(s) / steps;
                        const Lab p{float(c.lab.L + t * (k.lab.L - c.lab.L)), float(c.lab.a + t * (k.lab.a - c.lab.a)),
                                    float(c.lab.b + t * (k.lab.b - c.lab.b))};
                        dip = grid.density(p, r) < floor;
                    }
                    part = !dip;
                }
            }
            if (!part)
                kept.push_back(c);
        }
        out.m_clusters = std::move(kept);
        counts();
    }
    out.m_paper = 0; // the commonest, sorted first above
    // Antialiased edges are blends of a colour with the paper; a top among
    // them, much smaller than the colour it comes from, is not a colour.
    const QRgb paper = out.m_clusters[0].colour;
    std::vector<ColourCluster> kept{out.m_clusters[0]};
    for (size_t i = 1; i < out.m_clusters.size(); ++i) {
        const QRgb c = out.m_clusters[i].colour;
        bool blend = false;
        for (size_t k = 1; k < out.m_clusters.size() && !blend; ++k) {
            if (k == i || out.m_clusters[k].count < 2 * out.m_clusters[i].count)
                continue;
            const QRgb o = out.m_clusters[k].colour;
            const double d[3] = {double(qRed(paper) - qRed(o)), double(qGreen(paper) - qGreen(o)), double(qBlue(paper) - qBlue(o))};
            const double v[3] = {double(qRed(c) - qRed(o)), double(qGreen(c) - qGreen(o)), double(qBlue(c) - qBlue(o))};
            const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
            if (dd <= 0)
                continue;
            const double t = (v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / dd;
            const double e = std::hypot(v[0] - t * d[0], v[1] - t * d[1], v[2] - t * d[2]);
            blend = t > 0.15 && t < 0.95 && e < 14;
        }
        if (!blend)
            kept.push_back(out.m_clusters[i]);
    }
    out.m_clusters = std::move(kept);
    counts();
    return out;
}

int ColourClasses::nearest(const Lab &lab, float *distance) const
{
    int best = -1;
    float bd = 1e30f;
    for (int i = 0; i < int(m_clusters.size()); ++i) {
        const float d = deltaE(lab, m_clusters[size_t(i)].lab);
        if (d < bd) {
            bd = d;
            best = i;
        }
    }
    if (distance)
        *distance = best >= 0 ? bd : -1;
    return best;
}

namespace {

// The distance from a colour of the picture to the asked colour, allowing
// for the saturation a thin line loses to compression and blur (chroma is
// kept at half resolution, and averaged with the paper's): the asked colour
// with its chroma scaled by 0.4..1 at the same hue.
float claimDistance(const Lab &asked, const Lab &c)
{
    const double a2 = double(asked.a) * asked.a + double(asked.b) * asked.b;
    double s = 1;
    if (a2 > 1e-6)
        s = std::clamp((double(c.a) * asked.a + double(c.b) * asked.b) / a2, 0.4, 1.0);
    const Lab faded{asked.L, float(s * asked.a), float(s * asked.b)};
    return deltaE(faded, c);
}

} // namespace

ColourClaim claimColour(const ColourClasses &classes, QRgb asked, std::optional<double> tolerance)
{
    ColourClaim claim;
    const auto &cs = classes.clusters();
    const Lab lab = toLab(asked);
    int best = -1;
    float bd = 1e30f;
    for (int i = 0; i < int(cs.size()); ++i) {
        if (i == classes.paper() && cs.size() > 1)
            continue; // reading the paper is reading nothing
        const float d = claimDistance(lab, cs[size_t(i)].lab);
        if (d < bd) {
            bd = d;
            best = i;
        }
    }
    if (best < 0)
        return claim;
    claim.nearest = cs[size_t(best)].colour;
    claim.nearestDistance = bd;
    // Auto: three times the colour's typical spread (noise, compression)
    // around its centre, within sensible bounds; at least enough for a thin
    // line's antialiased edge, since pixels go to the nearest colour anyway.
    const double tol = tolerance ? *tolerance : std::clamp(3.0 * cs[size_t(best)].spread + 8.0, 25.0, 40.0);
    claim.tolerance = tol;
    claim.spread = cs[size_t(best)].spread;
    if (best == classes.paper() || bd > tol)
        return claim;
    claim.cluster = best;
    claim.centre = cs[size_t(best)].colour;
    return claim;
}

PixelClasses::PixelClasses(const ColourClasses &classes, const ColourClaim &claim)
    : m_target(claim.cluster), m_paper(classes.paper()), m_tol(float(claim.tolerance)),
      m_table(new std::atomic<uint8_t>[size_t(kBins)])
{
    for (const ColourCluster &c : classes.clusters()) {
        m_labs.push_back(c.lab);
        m_rgbs.push_back(c.colour);
    }
    for (int i = 0; i < kBins; ++i)
        m_table[size_t(i)].store(0, std::memory_order_relaxed);
}

uint8_t PixelClasses::compute(uint32_t key) const
{
    // Antialiased and blurred edges are blends of a colour with the paper
    // (straight lines in RGB): a pixel belongs to the colour whose blend it
    // is nearest to, so the light edge of a dark blue is not taken for a
    // lighter blue it happens to pass.
    const QRgb rgb = binColour(key);
    const double p[3] = {double(qRed(rgb)), double(qGreen(rgb)), double(qBlue(rgb))};
    const QRgb paper = m_paper >= 0 ? m_rgbs[size_t(m_paper)] : qRgb(255, 255, 255);
    const double w[3] = {double(qRed(paper)), double(qGreen(paper)), double(qBlue(paper))};
    int best = -1;
    double bd = 1e300;
    for (int i = 0; i < int(m_rgbs.size()); ++i) {
        const QRgb k = m_rgbs[size_t(i)];
        const double c[3] = {double(qRed(k)), double(qGreen(k)), double(qBlue(k))};
        const double d[3] = {w[0] - c[0], w[1] - c[1], w[2] - c[2]};
        const double v[3] = {p[0] - c[0], p[1] - c[1], p[2] - c[2]};
        const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
        const double t = i == m_paper || dd <= 0 ? 0 : std::clamp((v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / dd, 0.0, 1.0);
        const double e = std::hypot(v[0] - t * d[0], v[1] - t * d[1], v[2] - t * d[2]) + 1e-6 * t; // ties: the colour itself
        if (e < bd) {
            bd = e;
            best = i;
        }
    }
    uint8_t c = kKnown;
    if (best == m_target && m_target >= 0 && deltaE(toLab(rgb), m_labs[size_t(m_target)]) <= m_tol)
        c |= kTarget;
    if (best == m_target || best == m_paper)
        c |= kOwnOrPaper;
    m_table[key].store(c, std::memory_order_relaxed);
    return c;
}

} // namespace orv::autoread
