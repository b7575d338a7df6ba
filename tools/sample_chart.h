#pragma once
// The sample chart the program ships and the end-to-end checks read: a line
// chart of y = x^2 / 1 for x = 0..10 on axes X 0..10, Y 0..100, drawn at known
// pixel positions so that the expected readings are known exactly.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <vector>

namespace orv::sample {

// The plot frame in pixels: left, top, right, bottom edges of the axes box.
inline constexpr int kWidth = 800, kHeight = 600;
inline constexpr double kLeft = 90, kTop = 40, kRight = 760, kBottom = 520;
inline constexpr double kXMin = 0, kXMax = 10, kYMin = 0, kYMax = 100;

// Pixel position of a graph value.
inline QPointF toPixel(double x, double y)
{
    return {kLeft + (x - kXMin) / (kXMax - kXMin) * (kRight - kLeft),
            kBottom - (y - kYMin) / (kYMax - kYMin) * (kBottom - kTop)};
}

// The data points marked on the chart.
std::vector<QPointF> dataPoints();
// A second series (y = 10 x) marked with squares.
std::vector<QPointF> secondSeries();

// Draws the chart; `angle` (degrees) rotates the whole picture as a photo
// taken slightly askew would be.
QImage render(double angleDegrees = 0);

} // namespace orv::sample
