#pragma once
// The curve plot of a fit: the coordinate system of the plot picture (the
// frame with a margin of a tenth on every side, both axes linear), the red
// frame, the curve sampled in 500 steps across the frame, and the markers of
// the series' points. Computed whole before anything is shown, so a failure
// leaves nothing half drawn.

#include <QColor>
#include <QLineF>
#include <QPointF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <array>
#include <expected>
#include <vector>

namespace orv {

struct PlotMarker {
    double x = 0, y = 0; // centre, in graph values
    QString toolTip;
};

struct ApprxPlot {
    QString caption;
    QColor color;
    int lineWidth = 2;
    // Graph values at the picture's edges (left may exceed right when the
    // frame runs backwards; the axis then grows the other way).
    double left = 0, top = 0, right = 1, bottom = 0;
    std::array<QLineF, 4> frame;
    std::vector<QLineF> curve; // segments with single-precision ends
    std::vector<PlotMarker> markers;
    // A date axis is plotted in days since its lower-left date (as it was
    // fitted); these are added back for the values shown.
    double xOrigin = 0, yOrigin = 0;
    // Size of the plot picture in twips (that of the graph window's picture).
    double widthTwips = 5000, heightTwips = 4575;

    // Graph values <-> position in a picture of `size` (x right, y down).
    QPointF toPixel(QPointF value, QSizeF size) const;
    QPointF toValue(QPointF pixel, QSizeF size) const;
};

// The plot picture's size in pixels for a natural size (the graph window's
// picture) and the room the screen leaves for it: the natural size, scaled
// down with its proportions kept where it does not fit, never below a usable
// minimum of 120 x 100.
QSize fitPlotSize(QSizeF natural, QSize room);

// The message for a frame that spans no width or height.
QString plotRangeMessage();

// Margins and frame. Fails (with plotRangeMessage) for equal or non-finite corner values.
std::expected<ApprxPlot, QString> plotFrame(double llx, double rux, double lly, double ruy);

// The curve from LLX towards RUX in steps of (RUX - LLX) / 500, each segment
// from (x, f(x)) to (x + dx, f(x + dx)), x accumulated by repeated addition.
// A logarithmic equation is taken at x = 0.00001 wherever x <= 0. A segment
// with an end where the curve is undefined is left out (a gap); a curve with
// no segment left fails with the evaluation's description.
std::expected<std::vector<QLineF>, QString> sampleCurve(const QString &equation, const QString &kindName,
                                                         double llx, double rux);

// f(v) as the curve drawing computes it.
std::expected<double, QString> curveValue(const QString &equation, const QString &kindName, double v);

} // namespace orv
