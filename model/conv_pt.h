#pragma once
// The conversion from a position on the picture (normalised coordinates) to the
// graph values X and Y: an inverse bilinear mapping of the frame quadrilateral
// found by two fixed-length bisections (100 horizontal, 1000 vertical passes),
// then a linear or logarithmic mapping onto the corner values.

#include "model/calib_panel.h"
#include "model/numtext.h"

#include <expected>

namespace orv {

// Reads the frame from `panel` and writes convX, then convY. On failure the
// value not yet written keeps its previous content (convX can be written while
// convY fails). Allocation-free.
std::expected<void, ConvError> convPt(const CalibPanel &panel, float px, float py, double &convX, double &convY);

} // namespace orv
