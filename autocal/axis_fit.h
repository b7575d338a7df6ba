#pragma once
// One axis's mapping from its labelled ticks: label value against the tick's
// fraction of the frame edge (0 at the lower-left corner, 1 at the far
// corner), a straight line in the value or in its logarithm, fitted by least
// squares after a consensus search that leaves misread labels out.

#include <QString>
#include <vector>

namespace orv::autocal {

struct AxisFit {
    bool found = false; // two or more labels agree
    bool sure = false;  // three or more agree within half a pixel
    bool log = false;
    double v0 = 0, v1 = 1; // at fractions 0 and 1 (log10 of the value on a log axis)
    std::vector<bool> used;
    std::vector<double> residualPx; // every label's distance from the fit, in pixels along the edge
    double rmsPx = 0;
};

// `fraction` and `value` per label; `edgePx` the length of the frame edge in
// picture pixels; `tickFractions` every tick on the axis (for the minor-tick
// pattern of a log axis with only two labels).
AxisFit fitAxis(const std::vector<double> &fraction, const std::vector<double> &value, double edgePx,
                const std::vector<double> &tickFractions);

// The shortest number text (plain, or with an exponent when that is
// shorter) that the program reads back within `tolerance` of `target`
// (both in log10 when `log`).
QString shortestText(double target, double tolerance, bool log);

} // namespace orv::autocal
