#include "tools/sample_chart.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace orv::sample {

std::vector<QPointF> dataPoints()
{
    std::vector<QPointF> pts;
    for (double x : {1.0, 2.0, 3.5, 5.0, 6.5, 8.0, 9.0})
        pts.emplace_back(x, x * x);
    return pts;
}

std::vector<QPointF> secondSeries()
{
    std::vector<QPointF> pts;
    for (double x : {1.0, 3.0, 5.0, 7.0, 9.0})
        pts.emplace_back(x, 10 * x);
    return pts;
}

QImage render(double angleDegrees)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(QColor(252, 252, 248));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (angleDegrees != 0) {
        p.translate(kWidth / 2.0, kHeight / 2.0);
        p.rotate(angleDegrees);
        p.translate(-kWidth / 2.0, -kHeight / 2.0);
    }
    // Grid.
    p.setPen(QPen(QColor(215, 215, 215), 1));
    for (int i = 1; i < 10; ++i) {
        p.drawLine(toPixel(i, kYMin), toPixel(i, kYMax));
        p.drawLine(toPixel(kXMin, i * 10), toPixel(kXMax, i * 10));
    }
    // Axes box and ticks.
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(QRectF(QPointF(kLeft, kTop), QPointF(kRight, kBottom)));
    QFont f = p.font();
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(QPen(Qt::black, 1.5));
    for (int i = 0; i <= 10; ++i) {
        const QPointF b = toPixel(i, 0);
        p.drawLine(b, b + QPointF(0, 6));
        p.drawText(QRectF(b.x() - 20, b.y() + 8, 40, 20), Qt::AlignHCenter | Qt::AlignTop, QString::number(i));
        const QPointF l = toPixel(0, i * 10);
        p.drawLine(l, l - QPointF(6, 0));
        p.drawText(QRectF(l.x() - 50, l.y() - 10, 40, 20), Qt::AlignRight | Qt::AlignVCenter, QString::number(i * 10));
    }
    f.setPixelSize(17);
    p.setFont(f);
    p.drawText(QRectF(kLeft, kBottom + 34, kRight - kLeft, 24), Qt::AlignCenter, QStringLiteral("x"));
    p.save();
    p.translate(22, (kTop + kBottom) / 2);
    p.rotate(-90);
    p.drawText(QRectF(-60, -12, 120, 24), Qt::AlignCenter, QStringLiteral("y"));
    p.restore();
    // The curve y = x^2 and its data points.
    QPainterPath curve;
    for (int i = 0; i <= 200; ++i) {
        const double x = 10.0 * i / 200;
        const QPointF q = toPixel(x, x * x);
        i == 0 ? curve.moveTo(q) : curve.lineTo(q);
    }
    p.setPen(QPen(QColor(30, 90, 200), 2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setBrush(QColor(30, 90, 200));
    for (const QPointF &d : dataPoints())
        p.drawEllipse(toPixel(d.x(), d.y()), 5, 5);
    // The straight series y = 10 x.
    p.setPen(QPen(QColor(200, 60, 40), 2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawLine(toPixel(0, 0), toPixel(10, 100));
    p.setPen(QPen(QColor(200, 60, 40), 2));
    p.setBrush(QColor(200, 60, 40));
    for (const QPointF &d : secondSeries()) {
        const QPointF c = toPixel(d.x(), d.y());
        p.drawRect(QRectF(c.x() - 5, c.y() - 5, 10, 10));
    }
    return img;
}

} // namespace orv::sample
