#pragma once
// Picture position <-> graph value, one implementation per frame mode:
//  * the diagonal and four-point modes convert through the inverse bilinear map
//    of the frame (convPt, kept exactly as it has always computed);
//  * the projective mode converts through the exact inverse of the homography
//    that takes the unit square onto the frame, which reads a chart
//    photographed at an angle without the bilinear map's error.
// Every conversion of the program goes through frameMap(panel).

#include "model/calib_panel.h"
#include "model/numtext.h"

#include <QPointF>
#include <array>
#include <expected>
#include <optional>

namespace orv {

// The frame as numbers: corners in normalised picture coordinates (order LL,
// LU, RU, RL) and the corner values, already in log10 space on a log axis.
struct FrameSpec {
    std::array<QPointF, 4> corner;
    double xa = 0, xb = 1, ya = 0, yb = 1; // X at the left/right, Y at the bottom/top
    bool xLog = false, yLog = false;
};

// Reads the panel's boxes strictly (empty or non-numeric texts fail, as do
// values <= 0 on a log axis).
std::expected<FrameSpec, ConvError> readFrame(const CalibPanel &panel);
// The eight position boxes (LL x, y, LU x, y, RU, RL) as numbers; a box that
// does not read as a finite number is empty. The outline is drawn from these.
std::array<std::optional<float>, 8> cornerPositions(const CalibPanel &panel);

class FrameMap {
public:
    virtual ~FrameMap() = default;
    // Picture position -> graph values; writes convX (then convY) only on
    // success of that value. Allocation-free.
    virtual std::expected<void, ConvError> toValue(const CalibPanel &panel, float px, float py, double &convX,
                                                   double &convY) const = 0;
    // Frame fractions (u along X from the left, v along Y from the bottom,
    // both 0..1 inside the frame) -> picture position. Straight lines of
    // constant u or v stay straight in every mode.
    virtual std::expected<QPointF, ConvError> fractionToPicture(const FrameSpec &f, double u, double v) const = 0;
};

// The mapping of the panel's selected mode.
const FrameMap &frameMap(const CalibPanel &panel);
const FrameMap &bilinearFrameMap();
const FrameMap &projectiveFrameMap();

// The homography from the unit square ((0,0) -> LL, (0,1) -> LU, (1,1) -> RU,
// (1,0) -> RL) and its inverse, row-major 3 x 3. Fails when the quadrilateral
// is not strictly convex (three corners on a line, crossing edges, a corner
// inside the other three).
struct Homography {
    std::array<double, 9> h{}, inv{};
    double wMid = 1; // the inverse's third row at the frame's centre
};
std::expected<Homography, ConvError> squareToQuad(const std::array<QPointF, 4> &corner);
// Picture position -> frame fractions (u, v); fails on or beyond the vanishing
// line, and as near it as a million times the frame's distance (no photo shows
// that, and the values there are noise).
std::expected<QPointF, ConvError> pictureToFraction(const Homography &H, double px, double py);

} // namespace orv
