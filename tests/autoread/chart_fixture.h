#pragma once
// Charts drawn by the tests: a white picture, grey gridlines, black axes and
// labels, coloured antialiased curves that cross, filled markers; optionally
// seen at an angle (a projective warp of the whole chart) or compressed as
// JPEG. The true curves and marker centres are known in picture pixels.

#include "model/calib_panel.h"
#include "model/numtext.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>
#include <functional>
#include <vector>

namespace chart {

struct Curve {
    QColor colour;
    double width;
    std::function<double(double)> f; // Y of X (graph values)
    bool steep = false;              // f gives X of Y instead
    double start = -1e300;           // drawn from this X on (not steep)
};

struct Chart {
    QSize size{800, 600};
    QRectF plot{80, 40, 680, 500}; // the frame in picture pixels, before the warp
    double x0 = 0, x1 = 10, y0 = 0, y1 = 100;
    bool yLog = false;
    QTransform warp; // identity: seen square on
    std::vector<Curve> curves;
    struct Marker {
        QPointF value;
        QColor colour;
        double radius;
    };
    std::vector<Marker> markers;

    double yFrac(double y) const { return yLog ? (std::log10(y) - std::log10(y0)) / (std::log10(y1) - std::log10(y0)) : (y - y0) / (y1 - y0); }
    // Picture pixels of a graph value, the warp included.
    QPointF pixel(double x, double y) const
    {
        const QPointF flat(plot.left() + (x - x0) / (x1 - x0) * plot.width(), plot.bottom() - yFrac(y) * plot.height());
        return warp.map(flat);
    }
    // The true curve as a dense polyline in picture pixels.
    std::vector<QPointF> trace(const Curve &c) const
    {
        std::vector<QPointF> pts;
        const int n = 4000;
        for (int i = 0; i <= n; ++i) {
            if (c.steep) {
                const double y = y0 + (y1 - y0) * i / n;
                pts.push_back(pixel(c.f(y), y));
            } else {
                const double from = std::max(x0, c.start);
                const double x = from + (x1 - from) * i / n;
                pts.push_back(pixel(x, c.f(x)));
            }
        }
        return pts;
    }

    QImage draw() const
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setTransform(warp);
        p.setPen(QPen(QColor(190, 190, 190), 1));
        for (int i = 1; i < 10; ++i) {
            const double gx = plot.left() + plot.width() * i / 10, gy = plot.top() + plot.height() * i / 10;
            p.drawLine(QPointF(gx, plot.top()), QPointF(gx, plot.bottom()));
            p.drawLine(QPointF(plot.left(), gy), QPointF(plot.right(), gy));
        }
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(plot);
        p.setFont(QFont(QStringLiteral("Sans"), 10));
        for (int i = 0; i <= 10; i += 2)
            p.drawText(QPointF(plot.left() + plot.width() * i / 10 - 6, plot.bottom() + 18), QString::number(i));
        p.drawText(QPointF(10, plot.top() + 5), QStringLiteral("Y"));
        p.resetTransform();
        for (const Curve &c : curves) {
            QPainterPath path;
            const auto pts = trace(c);
            path.moveTo(pts.front());
            for (size_t i = 1; i < pts.size(); i += 4)
                path.lineTo(pts[i]);
            path.lineTo(pts.back());
            p.setPen(QPen(c.colour, c.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(path);
        }
        p.setPen(Qt::NoPen);
        for (const Marker &m : markers) {
            p.setBrush(m.colour);
            p.drawEllipse(pixel(m.value.x(), m.value.y()), m.radius, m.radius);
        }
        return img;
    }

    static QImage jpeg(const QImage &img, int quality = 75)
    {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, "JPEG", quality);
        QImage back;
        back.loadFromData(bytes, "JPEG");
        return back.convertToFormat(QImage::Format_RGB32);
    }

    // The frame boxes of a panel for this chart (normalised corners).
    void setFrame(orv::CalibPanel &panel) const
    {
        const QPointF c[4] = {pixel(x0, y0), pixel(x0, y1), pixel(x1, y1), pixel(x1, y0)};
        const bool square = warp.isIdentity();
        panel.selectTab(square ? 1 : 3);
        for (int i = 0; i < 4; ++i) {
            if (square && (i == 1 || i == 3))
                continue; // derived in the diagonal mode
            panel.setPos(orv::CalibPanel::xBox(orv::Corner(i)), orv::plainNumText(c[i].x() / size.width()));
            panel.setPos(orv::CalibPanel::yBox(orv::Corner(i)), orv::plainNumText(1 - c[i].y() / size.height()));
        }
        panel.setXLog(false);
        panel.setYLog(yLog);
        panel.setVal(orv::CalibPanel::LLX_VLText, QString::number(x0));
        panel.setVal(orv::CalibPanel::RUX_VLText, QString::number(x1));
        panel.setVal(orv::CalibPanel::LLY_VLText, QString::number(y0));
        panel.setVal(orv::CalibPanel::RUY_VLText, QString::number(y1));
    }
};

inline double distanceToPolyline(QPointF p, const std::vector<QPointF> &pts)
{
    double best = 1e300;
    for (size_t i = 1; i < pts.size(); ++i) {
        const QPointF a = pts[i - 1], d = pts[i] - a;
        const double len2 = d.x() * d.x() + d.y() * d.y();
        double t = len2 > 0 ? ((p.x() - a.x()) * d.x() + (p.y() - a.y()) * d.y()) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const QPointF q = a + t * d;
        best = std::min(best, std::hypot(p.x() - q.x(), p.y() - q.y()));
    }
    return best;
}

// Three curves that cross each other, and two marker colours; the markers
// keep off the curves (a curve drawn over a marker hides part of it).
inline Chart standardChart()
{
    Chart c;
    c.curves = {
        {QColor(220, 30, 30), 2, [](double x) { return 50 + 30 * std::sin(0.8 * x); }},
        {QColor(30, 60, 220), 1.5, [](double x) { return 10 + 8 * x; }},
        {QColor(20, 150, 40), 3, [](double x) { return 85 - 0.6 * x * x; }},
    };
    const QColor orange(240, 140, 0), purple(140, 40, 170);
    for (QPointF v : {QPointF(0.7, 5), QPointF(2.3, 93), QPointF(4.1, 97), QPointF(6.0, 5.5), QPointF(8.4, 12),
                      QPointF(9.3, 96), QPointF(5.0, 92), QPointF(5.0 + 10.0 / 68, 92)})
        c.markers.push_back({v, orange, 5});
    for (QPointF v : {QPointF(1.6, 3), QPointF(3.3, 95), QPointF(7.2, 98), QPointF(9.6, 6)})
        c.markers.push_back({v, purple, 4.5});
    return c;
}

} // namespace chart
