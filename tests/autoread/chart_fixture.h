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
#include <algorithm>
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
    enum class Shape { Circle, Square, Diamond, TriangleUp, TriangleDown, Star, Pentagon, Hexagon, Cross, Plus };
    struct Marker {
        QPointF value;
        QColor colour;
        double radius;
        Shape shape = Shape::Circle;
    };
    std::vector<Marker> markers;
    // Drawn after everything else: a legend's line sample and its label.
    struct Legend {
        QColor colour;
        double width;
        QRectF line; // picture pixels: the sample runs along its middle
    };
    std::vector<Legend> legends;

    // A marker's outline around its own centre (the star's centre, the
    // triangle's circumcentre), as plotting programs draw them; crosses
    // and pluses are stroked.
    static QPainterPath markerPath(Shape shape, QPointF at, double r)
    {
        QPainterPath p;
        auto polygon = [&](int n, double turn, double inner = 0) {
            QPolygonF poly;
            const int k = inner > 0 ? 2 * n : n;
            for (int i = 0; i < k; ++i) {
                const double a = turn + 2 * M_PI * i / k;
                const double rr = inner > 0 && i % 2 ? inner : r;
                poly << at + QPointF(rr * std::sin(a), -rr * std::cos(a));
            }
            poly << poly.front();
            p.addPolygon(poly);
        };
        switch (shape) {
        case Shape::Circle: p.addEllipse(at, r, r); break;
        case Shape::Square: p.addRect(QRectF(at - QPointF(r * 0.8, r * 0.8), QSizeF(1.6 * r, 1.6 * r))); break;
        case Shape::Diamond: polygon(4, 0); break;
        case Shape::TriangleUp: polygon(3, 0); break;
        case Shape::TriangleDown: polygon(3, M_PI); break;
        case Shape::Star: polygon(5, 0, 0.45 * r); break;
        case Shape::Pentagon: polygon(5, 0); break;
        case Shape::Hexagon: polygon(6, 0); break;
        case Shape::Cross:
            p.moveTo(at + QPointF(-r, -r) * 0.8);
            p.lineTo(at + QPointF(r, r) * 0.8);
            p.moveTo(at + QPointF(-r, r) * 0.8);
            p.lineTo(at + QPointF(r, -r) * 0.8);
            break;
        case Shape::Plus:
            p.moveTo(at + QPointF(-r, 0));
            p.lineTo(at + QPointF(r, 0));
            p.moveTo(at + QPointF(0, -r));
            p.lineTo(at + QPointF(0, r));
            break;
        }
        return p;
    }
    static bool stroked(Shape s) { return s == Shape::Cross || s == Shape::Plus; }
    static constexpr double kStroke = 2; // the pen of crosses and pluses
    // Where a marker is placed: the centre of its bounding box as drawn.
    QPointF markerCentre(const Marker &m) const
    {
        const QRectF box = markerPath(m.shape, pixel(m.value.x(), m.value.y()), m.radius).boundingRect();
        return box.center();
    }

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
        for (const Marker &m : markers) {
            const QPainterPath path = markerPath(m.shape, pixel(m.value.x(), m.value.y()), m.radius);
            if (stroked(m.shape)) {
                p.setPen(QPen(m.colour, kStroke, Qt::SolidLine, Qt::FlatCap));
                p.setBrush(Qt::NoBrush);
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(m.colour);
            }
            p.drawPath(path);
        }
        for (const Legend &l : legends) {
            p.setPen(QPen(l.colour, l.width, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(l.line.left(), l.line.center().y()), QPointF(l.line.right(), l.line.center().y()));
            p.setPen(QPen(Qt::black));
            p.setFont(QFont(QStringLiteral("Sans"), 10));
            p.drawText(QPointF(l.line.right() + 6, l.line.center().y() + 4), QStringLiteral("data"));
        }
        return img;
    }

    // A scan: the picture turned by a small angle about its centre (the
    // frame follows: use setFrame), then grain (seeded, reproducible).
    void turn(double degrees)
    {
        warp = QTransform().translate(size.width() / 2.0, size.height() / 2.0).rotate(degrees)
                   .translate(-size.width() / 2.0, -size.height() / 2.0);
    }
    static QImage grain(const QImage &in, double sigma, unsigned seed = 1)
    {
        QImage img = in.convertToFormat(QImage::Format_RGB32);
        uint32_t state = seed * 2654435761u + 1;
        auto uniform = [&] {
            state = state * 1664525u + 1013904223u;
            return (state >> 8) / double(1 << 24);
        };
        auto gauss = [&] {
            const double u = std::max(1e-12, uniform()), v = uniform();
            return std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * v);
        };
        for (int y = 0; y < img.height(); ++y) {
            QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x) {
                const double n = sigma * gauss(); // brightness grain, as paper and sensor give
                auto ch = [&](int v) { return std::clamp(int(std::lround(v + n + 0.5 * sigma * gauss())), 0, 255); };
                line[x] = qRgb(ch(qRed(line[x])), ch(qGreen(line[x])), ch(qBlue(line[x])));
            }
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
