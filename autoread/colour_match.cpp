#include "autoread/colour_match.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace orv::autoread {

namespace {

struct LinearTable {
    std::array<float, 256> v{};
    LinearTable()
    {
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            v[size_t(i)] = float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
    }
};
const LinearTable &linearTable()
{
    static const LinearTable t;
    return t;
}

inline double labF(double t)
{
    constexpr double d = 6.0 / 29.0;
    return t > d * d * d ? std::cbrt(t) : t / (3 * d * d) + 4.0 / 29.0;
}

constexpr size_t kCacheSize = 1 << 14;

inline uint32_t cacheSlot(uint32_t rgb)
{
    return (rgb * 2654435761u) >> (32 - 14);
}

} // namespace

Lab toLab(QRgb rgb)
{
    const auto &lin = linearTable().v;
    const double r = lin[size_t(qRed(rgb))], g = lin[size_t(qGreen(rgb))], b = lin[size_t(qBlue(rgb))];
    // sRGB -> XYZ (D65), normalised by the white point.
    const double X = (0.4124564 * r + 0.3575761 * g + 0.1804375 * b) / 0.95047;
    const double Y = 0.2126729 * r + 0.7151522 * g + 0.0721750 * b;
    const double Z = (0.0193339 * r + 0.1191920 * g + 0.9503041 * b) / 1.08883;
    const double fx = labF(X), fy = labF(Y), fz = labF(Z);
    return Lab{float(116 * fy - 16), float(500 * (fx - fy)), float(200 * (fy - fz))};
}

float deltaE(const Lab &p, const Lab &q)
{
    const float dl = p.L - q.L, da = p.a - q.a, db = p.b - q.b;
    return std::sqrt(dl * dl + da * da + db * db);
}

ColourMatcher::ColourMatcher(QRgb target, double tolerance)
    : m_target(target & 0xffffffu), m_lab(toLab(target)), m_tol(float(std::max(0.0, tolerance))),
      m_cache(kCacheSize)
{
    // A colour near white cannot be told from the paper by a blend; fall back
    // to a weight that falls off over twice the tolerance.
    const float toWhite = deltaE(m_lab, toLab(qRgb(255, 255, 255)));
    m_softRange = std::max({toWhite, 2 * m_tol, 1.0f});
}

float ColourMatcher::distance(QRgb rgb) const
{
    const uint32_t key = rgb & 0xffffffu;
    Entry &e = m_cache[cacheSlot(key)];
    if (e.key != key) {
        e.key = key;
        e.dist = deltaE(m_lab, toLab(key));
    }
    return e.dist;
}

float ColourMatcher::weight(QRgb rgb) const
{
    return std::clamp(1.0f - distance(rgb) / m_softRange, 0.0f, 1.0f);
}

QRgb averageColour(const QImage &img, int x, int y)
{
    int r = 0, g = 0, b = 0, n = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px < 0 || py < 0 || px >= img.width() || py >= img.height())
                continue;
            const QRgb c = img.pixel(px, py);
            r += qRed(c);
            g += qGreen(c);
            b += qBlue(c);
            ++n;
        }
    if (n == 0)
        return qRgb(255, 255, 255);
    return qRgb((r + n / 2) / n, (g + n / 2) / n, (b + n / 2) / n);
}

QRgb pickCoreColour(const QImage &img, int x, int y, QRgb paper)
{
    const Lab p = toLab(paper);
    QRgb best = paper;
    float far = -1;
    for (int py = std::max(0, y - 2); py <= std::min(img.height() - 1, y + 2); ++py)
        for (int px = std::max(0, x - 2); px <= std::min(img.width() - 1, x + 2); ++px) {
            const QRgb c = img.pixel(px, py);
            if (const float d = deltaE(toLab(c), p); d > far) {
                far = d;
                best = qRgb(qRed(c), qGreen(c), qBlue(c));
            }
        }
    return best;
}

std::vector<QRgb> dominantColours(const QImage &source, const QRect &areaIn, int count)
{
    std::vector<QRgb> out;
    const QRect area = areaIn.intersected(source.rect());
    if (area.isEmpty() || count <= 0)
        return out;
    const QImage img = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
                           ? source
                           : source.convertToFormat(QImage::Format_RGB32);
    // At most about a million pixels are looked at: a regular subsample.
    const qint64 total = qint64(area.width()) * area.height();
    const int stride = std::max(1, int(std::sqrt(double(total) / 1.0e6)));
    struct Bin {
        qint64 n = 0, r = 0, g = 0, b = 0;
    };
    std::unordered_map<uint32_t, Bin> bins;
    for (int y = area.top(); y <= area.bottom(); y += stride) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = area.left(); x <= area.right(); x += stride) {
            const QRgb c = line[x];
            // 4 bits per channel: antialiasing and compression noise fall into
            // the bin of the colour they came from.
            const uint32_t key = uint32_t((qRed(c) >> 4) << 8 | (qGreen(c) >> 4) << 4 | (qBlue(c) >> 4));
            Bin &bin = bins[key];
            ++bin.n;
            bin.r += qRed(c);
            bin.g += qGreen(c);
            bin.b += qBlue(c);
        }
    }
    std::vector<std::pair<qint64, QRgb>> ranked;
    ranked.reserve(bins.size());
    for (const auto &[key, bin] : bins)
        ranked.emplace_back(bin.n, qRgb(int(bin.r / bin.n), int(bin.g / bin.n), int(bin.b / bin.n)));
    std::sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<Lab> chosen;
    // Antialiased edges are blends of a colour with the paper: on the segment
    // between them in RGB. They are not colours of their own.
    QRgb paper = qRgb(255, 255, 255);
    for (const auto &[n, rgb] : ranked) {
        const Lab lab = toLab(rgb);
        if (lab.L > 90 && std::hypot(lab.a, lab.b) < 8) {
            paper = rgb;
            break;
        }
    }
    auto blendOfChosen = [&](QRgb c) {
        for (QRgb k : out) {
            const Lab kl = toLab(k);
            if (std::hypot(kl.a, kl.b) < 20)
                continue; // greys: a light grey is a colour of its own (gridlines)
            const double d[3] = {double(qRed(paper) - qRed(k)), double(qGreen(paper) - qGreen(k)),
                                 double(qBlue(paper) - qBlue(k))};
            const double v[3] = {double(qRed(c) - qRed(k)), double(qGreen(c) - qGreen(k)), double(qBlue(c) - qBlue(k))};
            const double dd = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
            if (dd <= 0)
                continue;
            const double t = std::clamp((v[0] * d[0] + v[1] * d[1] + v[2] * d[2]) / dd, 0.0, 1.0);
            const double e = std::hypot(v[0] - t * d[0], v[1] - t * d[1], v[2] - t * d[2]);
            if (e < 14)
                return true;
        }
        return false;
    };
    const qint64 sampled = std::max<qint64>(1, (qint64(area.width() + stride - 1) / stride) *
                                                   ((area.height() + stride - 1) / stride));
    for (const auto &[n, rgb] : ranked) {
        if (int(out.size()) >= count)
            break;
        // A handful of pixels is noise, not a colour of the chart.
        if (n * 20000 < sampled)
            break;
        const Lab lab = toLab(rgb);
        if (lab.L > 90 && std::hypot(lab.a, lab.b) < 8)
            continue; // the paper
        bool near = false;
        for (const Lab &c : chosen)
            near = near || deltaE(c, lab) < 12;
        if (near || blendOfChosen(rgb))
            continue;
        chosen.push_back(lab);
        out.push_back(rgb);
    }
    return out;
}

} // namespace orv::autoread
