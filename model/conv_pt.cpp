#include "model/conv_pt.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orv {

namespace {

inline bool finite(double v) { return std::isfinite(v); }


std::expected<double, ConvError> axisEnd(const CalibPanel &p, bool log, CalibPanel::ValBox box)
{
    auto v = p.value(box);
    if (!v || !log)
        return v;
    if (*v <= 0)
        return std::unexpected(ConvError::InvalidArgument);
    return std::log(*v) / std::log(10.0);
}

std::expected<void, ConvError> axisEnds(const CalibPanel &p, bool log, CalibPanel::ValBox lo, CalibPanel::ValBox hi,
                                        double &a, double &b)
{
    auto va = axisEnd(p, log, lo);
    if (!va)
        return std::unexpected(va.error());
    auto vb = axisEnd(p, log, hi);
    if (!vb)
        return std::unexpected(vb.error());
    a = *va;
    b = *vb;
    return {};
}

// True when none of v[0..n) is infinite or NaN (n a multiple of 4): a float
// is non-finite exactly when all its exponent bits are set.
bool allFinite(const float *v, int n)
{
    constexpr std::uint32_t kExp = 0x7f800000u;
    std::uint32_t a = 0, b = 0, c = 0, d = 0;
    for (int i = 0; i < n; i += 4) {
        std::uint32_t w[4];
        std::memcpy(w, v + i, sizeof w);
        a |= (w[0] & kExp) == kExp;
        b |= (w[1] & kExp) == kExp;
        c |= (w[2] & kExp) == kExp;
        d |= (w[3] & kExp) == kExp;
    }
    return (a | b | c | d) == 0;
}

} // namespace

std::expected<void, ConvError> convPt(const CalibPanel &p, float px, float py, double &convX, double &convY)
{
    // 1. The four corners.
    double c[8];
    for (int i = 0; i < 8; ++i) {
        auto v = readStrict(p.pos(CalibPanel::PosBox(i)));
        if (!v)
            return std::unexpected(v.error());
        c[i] = *v;
    }
    const double px_d = px, py_d = py;

    // 2. Horizontal bisection: the segment joining the left and right edges at
    //    the same fraction that passes through the point.
    double LLx = c[0], LLy = c[1], LUx = c[2], LUy = c[3], RUx = c[4], RUy = c[5], RLx = c[6], RLy = c[7];
    double xLeft = 0, xRight = 0;
    // The loops have no effect outside themselves, so a failing pass (division
    // by zero, a value beyond the single range) is noted and reported after the
    // loop: the outcome is the same as stopping at that pass. Each pass stores
    // its single-precision value and one vectorised sweep checks them; a check
    // inside the loop would double its cost (the loop is bound by the
    // unpredictable branch, and anything on its path slows the recovery).
    float trace[1100];
    for (int pass = 0; pass < 100; ++pass) {
        const double MLx = (LLx + LUx) / 2, MLy = (LLy + LUy) / 2;
        const double MRx = (RLx + RUx) / 2, MRy = (RLy + RUy) / 2;
        const double den = MRx - MLx;
        const double s = (MRy - MLy) / den;
        const double yLine = MLy - s * MLx + s * px_d;
        const float yl = static_cast<float>(yLine);
        trace[pass] = yl;
        if (yl > py) {
            LUx = MLx, LUy = MLy, RUx = MRx, RUy = MRy;
        } else {
            LLx = MLx, LLy = MLy, RLx = MRx, RLy = MRy;
        }
        xLeft = MLx;
        xRight = MRx;
    }
    if (!allFinite(trace, 100))
        return std::unexpected(ConvError::Degenerate);

    // 3. The corners afresh (the boxes have not changed since step 1).
    LLx = c[0], LLy = c[1], LUx = c[2], LUy = c[3], RUx = c[4], RUy = c[5], RLx = c[6], RLy = c[7];

    // 4. Vertical bisection: the segment joining the top and bottom edges.
    double yTop = 0, yBottom = 0;
    for (int pass = 0; pass < 1000; ++pass) {
        const double MTx = (RUx + LUx) / 2, MTy = (RUy + LUy) / 2;
        const double MBx = (RLx + LLx) / 2, MBy = (RLy + LLy) / 2;
        const double den = MBy - MTy;
        const double k = (MBx - MTx) / den;
        const double xLine = MTx - k * MTy + k * py_d;
        const float xl = static_cast<float>(xLine);
        trace[100 + pass] = xl;
        if (xl > px) {
            RUx = MTx, RUy = MTy, RLx = MBx, RLy = MBy;
        } else {
            LUx = MTx, LUy = MTy, LLx = MBx, LLy = MBy;
        }
        yTop = MTy;
        yBottom = MBy;
    }
    if (!allFinite(trace + 100, 1000))
        return std::unexpected(ConvError::Degenerate);

    // 5. Axis ends.
    double xa, xb, ya, yb;
    if (auto r = axisEnds(p, p.xLog(), CalibPanel::LLX_VLText, CalibPanel::RUX_VLText, xa, xb); !r)
        return r;
    if (auto r = axisEnds(p, p.yLog(), CalibPanel::LLY_VLText, CalibPanel::RUY_VLText, ya, yb); !r)
        return r;

    // 6. X (written before Y can fail).
    {
        const double den = xRight - xLeft;
        if (den == 0)
            return std::unexpected(ConvError::Degenerate);
        const double x = (px_d - xLeft) / den * (xb - xa) + xa;
        if (!finite(x))
            return std::unexpected(ConvError::Degenerate);
        convX = x;
    }
    // 7. Y.
    {
        const double den = yTop - yBottom;
        if (den == 0)
            return std::unexpected(ConvError::Degenerate);
        const double y = (py_d - yBottom) / den * (yb - ya) + ya;
        if (!finite(y))
            return std::unexpected(ConvError::Degenerate);
        convY = y;
    }
    // 8. Back from the logarithmic scale.
    if (p.xLog()) {
        const double x = std::pow(10.0, convX);
        if (!finite(x))
            return std::unexpected(ConvError::Degenerate);
        convX = x;
    }
    if (p.yLog()) {
        const double y = std::pow(10.0, convY);
        if (!finite(y))
            return std::unexpected(ConvError::Degenerate);
        convY = y;
    }
    return {};
}

} // namespace orv
