#pragma once
// PDFs made for the tests and benchmarks with Qt's own PDF writer: a chart
// page with thin lines and crosses at known values, and files of several
// pages that tell their pages apart.

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QString>
#include <cmath>
#include <vector>

namespace orv::testing {

// The chart page: 400 x 300 points, the frame from (50, 50) to (350, 250)
// points (y down), X 0..10 left to right, Y 0..100 bottom to top.
struct PdfChart {
    static constexpr double kWidth = 400, kHeight = 300;
    static constexpr double kLeft = 50, kRight = 350, kTop = 50, kBottom = 250;
    static constexpr double kHairlineX = 149.3; // points
    struct Point {
        double x, y;
    };
    // The crosses drawn at these values.
    static std::vector<Point> points() { return {{2, 30}, {5, 75}, {8.5, 10}, {7.25, 55}}; }
    static double pageX(double x) { return kLeft + (kRight - kLeft) * x / 10; }
    static double pageY(double y) { return kBottom - (kBottom - kTop) * y / 100; }
};

// Draws the chart on a painter whose units are points.
inline void drawPdfChart(QPainter &p, int variant = 0)
{
    using C = PdfChart;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 0.4));
    p.drawRect(QRectF(QPointF(C::kLeft, C::kTop), QPointF(C::kRight, C::kBottom)));
    // Grid lines and a curve of thin lines, the kind of detail that blurs
    // when a fixed picture is magnified.
    p.setPen(QPen(QColor(150, 150, 150), 0.2));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(C::pageX(i), C::kTop), QPointF(C::pageX(i), C::kBottom));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(C::kLeft, C::pageY(i * 10)), QPointF(C::kRight, C::pageY(i * 10)));
    QPainterPath curve;
    for (int i = 0; i <= 200; ++i) {
        const double x = i / 20.0;
        const double y = 50 + 40 * std::sin(x + variant);
        i ? curve.lineTo(C::pageX(x), C::pageY(y)) : curve.moveTo(C::pageX(x), C::pageY(y));
    }
    p.setPen(QPen(QColor(0, 0, 200), 0.3));
    p.drawPath(curve);
    // A hairline (zero width: one device pixel at any magnification).
    p.setPen(QPen(Qt::black, 0));
    p.drawLine(QPointF(C::kHairlineX, C::kTop + 10), QPointF(C::kHairlineX, C::kBottom - 10));
    p.setPen(QPen(Qt::black, 0.3));
    for (const auto &pt : C::points()) {
        const QPointF c(C::pageX(pt.x), C::pageY(pt.y));
        p.drawLine(c - QPointF(4, 0), c + QPointF(4, 0));
        p.drawLine(c - QPointF(0, 4), c + QPointF(0, 4));
    }
}

// Writes a PDF of `pages` pages of w x h points. Page i carries the chart
// and a filled square of (i + 1) * 10 points at its upper-left corner, so
// that a test can tell which page it got.
inline bool writePdf(const QString &path, int pages = 1, double w = PdfChart::kWidth, double h = PdfChart::kHeight)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QSizeF(w, h), QPageSize::Point, QString(), QPageSize::ExactMatch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QPainter p;
    if (!p.begin(&writer))
        return false;
    for (int i = 0; i < pages; ++i) {
        if (i)
            writer.newPage();
        drawPdfChart(p, i);
        p.fillRect(QRectF(2, 2, (i + 1) * 10, (i + 1) * 10), Qt::black);
    }
    return p.end();
}

} // namespace orv::testing
