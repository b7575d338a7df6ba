#pragma once
// The live tint of the automatic reading: which pixels of the part of the
// picture in view match the colour, at the view's scale. Its size follows the
// view, never the picture (a 6000 x 4000 photo would need ~96 MB at full size).

#include "autoread/methods.h"

#include <QImage>
#include <QRectF>
#include <atomic>
#include <vector>

namespace orv::autoread {

// `picture` in RGB32 or ARGB32; `source` in picture pixels; the result has
// `size` pixels, each tinted when any picture pixel it covers lies in `area`,
// outside every exclusion (picture pixels) and matches. Null when cancelled.
QImage viewTint(const QImage &picture, const ReadArea &area, const std::vector<QRectF> &exclusions,
                const ColourMatcher &matcher, const QRectF &source, QSize size, QRgb tint,
                const std::atomic<bool> *cancel = nullptr);

} // namespace orv::autoread
