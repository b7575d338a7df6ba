#pragma once
// The tick labels beside an axis line: the dark shapes left once the lines
// and ticks are cleared, joined into words, the row (or column) of words
// nearest the axis taken, a raised exponent split off; and the number a
// label's text stands for.

#include "autocal/geometry.h"

#include <QRect>
#include <QString>
#include <optional>
#include <vector>

namespace orv::autocal {

// Connected dark shapes of the reduced picture (bounding boxes).
std::vector<QRect> components(const Prepared &p);

struct Word {
    QRectF box;      // the whole label, whole-picture pixels
    QRectF base;     // without a raised exponent
    QRectF exponent; // the raised exponent, or empty
    double along = 0; // the label's centre along the axis
    double height = 0;
};

// The labels on the outside of `fullLine` (whole-picture coordinates;
// `outward` +1 when the outside is at larger b). `xAxis`: the labels stand
// in a row under the axis, else in a column beside it.
std::vector<Word> labelWords(const Prepared &p, const std::vector<QRect> &comps, const AxisLine &fullLine, int outward,
                             bool xAxis);

// The number a label reads as, from the text of its base and of its raised
// exponent (empty when it has none): integers, decimals, signs (hyphen,
// minus, en dash, a leading +), 1e-3, 1E+03, 1.5x10^4, 10 with a raised
// exponent. Nothing for a text that is not such a number: no guessing.
std::optional<double> parseLabel(const QString &base, const QString &exponent);

} // namespace orv::autocal
