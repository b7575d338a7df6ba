#pragma once
// The frame's coordinate grid, drawn over the picture so that the user can see
// whether the frame lies on the chart: round values between the corner values,
// each a straight line across the frame through the current mode's map.

#include "model/frame_map.h"

#include <QLineF>
#include <QString>
#include <vector>

namespace orv {

// Round values from a to b (either order, both ends included when round):
// 1-2-5 steps, the finest that gives at most 10 lines (so 5 to 10 on most
// ranges). Empty for an empty or non-finite range.
std::vector<double> linearGridValues(double a, double b);
// On a log axis (a, b > 0): each decade, with 2 and 5 between when the range
// spans few decades (1..9 when under one); every n-th decade on wide ranges.
std::vector<double> logGridValues(double a, double b);

struct GridLine {
    bool xLine = true;  // a line of constant X (else of constant Y)
    double value = 0;
    QString label;      // the value as drawn
    QLineF line;        // normalised picture coordinates; p1 on the lower (X)
                        // or left (Y) edge of the frame, where the label goes
};

// The grid of the frame `f` through `map`; fails when the frame cannot map.
std::expected<std::vector<GridLine>, ConvError> frameGridLines(const FrameMap &map, const FrameSpec &f);
// The same for the panel's frame and mode.
std::expected<std::vector<GridLine>, ConvError> frameGridLines(const CalibPanel &panel);

} // namespace orv
