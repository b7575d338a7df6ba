#pragma once
// Colour matching for the automatic reading: colours compared in CIELAB (the
// plain Euclidean distance, ΔE*ab), a per-pixel closeness, and the dominant
// colours of a region of the picture.

#include <QColor>
#include <QImage>
#include <QRect>
#include <array>
#include <cstdint>
#include <vector>

namespace orv::autoread {

struct Lab {
    float L = 0, a = 0, b = 0;
};

// sRGB (D65) to CIELAB.
Lab toLab(QRgb rgb);
float deltaE(const Lab &p, const Lab &q);
inline float deltaE(QRgb p, QRgb q) { return deltaE(toLab(p), toLab(q)); }

// Compares pixels with one target colour. A pixel "matches" when its distance
// is at most the tolerance; its weight (0..1) says how much of the pixel the
// target colour covers, estimated from where the pixel lies between the target
// and white (antialiased edges are blends with the paper), so that the centre
// of a run or a region lands between pixels where the drawn line is.
class ColourMatcher {
public:
    ColourMatcher(QRgb target, double tolerance);
    QRgb target() const { return m_target; }
    double tolerance() const { return m_tol; }
    // Distance to the target; cached per colour (pictures repeat colours).
    float distance(QRgb rgb) const;
    bool matches(QRgb rgb) const { return distance(rgb) <= m_tol; }
    // 0 for a colour as far as white (or farther), 1 for the target itself.
    float weight(QRgb rgb) const;

private:
    struct Entry {
        uint32_t key = 0xffffffffu; // never a colour (alpha is dropped)
        float dist = 0;
    };
    QRgb m_target;
    Lab m_lab;
    float m_tol;
    float m_softRange; // distance at which the weight reaches 0
    mutable std::vector<Entry> m_cache;
};

// Averages the 3 x 3 pixels around pixel (x, y) (those on the picture).
QRgb averageColour(const QImage &img, int x, int y);

// The pixel of the 5 x 5 neighbourhood of (x, y) farthest from the paper
// colour: a thin line's core rather than its blend with the paper.
QRgb pickCoreColour(const QImage &img, int x, int y, QRgb paper = qRgb(255, 255, 255));

// Up to `count` colours that cover most of `area` (picture pixels), most
// frequent first; white and near-white (the paper) left out, and colours
// closer than a small ΔE to one already listed, or blends of one with the
// paper (antialiased edges), left out too.
std::vector<QRgb> dominantColours(const QImage &img, const QRect &area, int count = 8);

} // namespace orv::autoread
