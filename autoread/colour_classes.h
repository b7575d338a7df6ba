#pragma once
// The distinct colours of the part of the picture that is read (the paper,
// greys and black included) and which of them a pixel belongs to. A pixel
// belongs to the colour it is nearest to, so two curves a few ΔE apart each
// keep their own pixels, and the asked colour claims the nearest distinct
// colour of this picture (on a compressed picture, the curve's own shifted
// colour) rather than anything within a distance of it.

#include "autoread/colour_match.h"

#include <QImage>
#include <QRectF>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace orv::autoread {

class ReadArea;
struct Progress;

struct ColourCluster {
    QRgb colour = 0;   // the centre: the densest colour of the group
    Lab lab;
    qint64 count = 0;  // sampled pixels nearest to it
    float spread = 0;  // typical distance of its own pixels from the centre (ΔE)
};

class ColourClasses {
public:
    // Groups the colours of the pixels inside `area` and outside `exclusions`
    // (a regular subsample of at most about a million pixels).
    static ColourClasses analyse(const QImage &rgb32, const ReadArea &area, const std::vector<QRectF> &exclusions);
    const std::vector<ColourCluster> &clusters() const { return m_clusters; }
    int paper() const { return m_paper; }
    // The cluster nearest to a colour, and the distance (-1 without clusters).
    int nearest(const Lab &lab, float *distance = nullptr) const;

private:
    std::vector<ColourCluster> m_clusters;
    int m_paper = -1;
};

// What the asked colour claimed.
struct ColourClaim {
    int cluster = -1;       // -1: no cluster within the tolerance
    QRgb centre = 0;        // the claimed cluster's colour
    double tolerance = 0;   // the ΔE used around it
    double spread = 0;      // its pixels' typical distance from it (noise)
    QRgb nearest = 0;       // the nearest cluster's colour (also when none was claimed)
    double nearestDistance = -1;
};

// The asked colour claims the nearest distinct colour of the picture,
// allowing for the saturation a thin line loses to compression; none beyond
// the tolerance. `tolerance` unset: estimated from the spread of that
// colour's pixels in this picture (compression, scan noise).
ColourClaim claimColour(const ColourClasses &classes, QRgb asked, std::optional<double> tolerance);

// Per-pixel answers for one claim, cached per colour (6 bits a channel), safe
// to share between threads.
class PixelClasses {
public:
    PixelClasses(const ColourClasses &classes, const ColourClaim &claim);
    // Nearest to the claimed cluster (or its blends with the paper) and
    // within the tolerance of it.
    bool target(QRgb rgb) const { return code(rgb) & kTarget; }
    // Nearest to the claimed cluster or the paper: an antialiased edge of
    // the curve, weighed by closeness; anything else (another curve) is not.
    bool ownOrPaper(QRgb rgb) const { return code(rgb) & kOwnOrPaper; }

private:
    static constexpr uint8_t kKnown = 1, kTarget = 2, kOwnOrPaper = 4;
    uint8_t code(QRgb rgb) const
    {
        const uint32_t key = uint32_t((qRed(rgb) >> 2) << 12 | (qGreen(rgb) >> 2) << 6 | (qBlue(rgb) >> 2));
        const uint8_t c = m_table[key].load(std::memory_order_relaxed);
        return c ? c : compute(key);
    }
    uint8_t compute(uint32_t key) const;

    std::vector<Lab> m_labs;
    std::vector<QRgb> m_rgbs;
    int m_target = -1, m_paper = -1;
    float m_tol = 0;
    std::unique_ptr<std::atomic<uint8_t>[]> m_table;
};

} // namespace orv::autoread
