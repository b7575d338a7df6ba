#include "mainwin/help_pictures.h"

#include "mainwin/artwork.h"
#include "mainwin/main_window.h"
#include "model/reading.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace orv {

namespace {

// A chart to read: a frame with ticks and a measured curve.
QImage sampleChart(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(w * 0.14, h * 0.08, w * 0.8, h * 0.76);
    p.setPen(QPen(QColor(225, 225, 225), 1));
    for (int i = 1; i < 10; ++i) {
        const double x = frame.left() + frame.width() * i / 10, y = frame.top() + frame.height() * i / 10;
        p.drawLine(QPointF(x, frame.top()), QPointF(x, frame.bottom()));
        p.drawLine(QPointF(frame.left(), y), QPointF(frame.right(), y));
    }
    p.setPen(QPen(Qt::black, 1.5));
    p.drawRect(frame);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(9, h / 26));
    p.setFont(f);
    for (int i = 0; i <= 10; i += 2) {
        const double x = frame.left() + frame.width() * i / 10, y = frame.bottom() - frame.height() * i / 10;
        p.drawText(QRectF(x - 20, frame.bottom() + 3, 40, 16), Qt::AlignHCenter | Qt::AlignTop, QString::number(i * 10));
        p.drawText(QRectF(frame.left() - 44, y - 8, 40, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(i / 10.0, 'f', 1));
    }
    QPainterPath curve;
    for (int i = 0; i <= 60; ++i) {
        const double t = i / 60.0;
        const QPointF pt(frame.left() + t * frame.width(),
                         frame.bottom() - frame.height() * (0.05 + 0.85 * (1 - std::exp(-3.5 * t))));
        i ? curve.lineTo(pt) : curve.moveTo(pt);
    }
    p.setPen(QPen(QColor(20, 60, 160), 2));
    p.drawPath(curve);
    return img;
}

QImage steps()
{
    // The three steps on one chart: corners (1, 2), then points (crosses).
    QImage img = sampleChart(520, 330);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame(520 * 0.14, 330 * 0.08, 520 * 0.8, 330 * 0.76);
    p.setPen(QPen(QColor(255, 0, 0), 1.5));
    p.drawRect(frame);
    QFont f(QStringLiteral("Noto Sans CJK JP"));
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    int n = 1;
    for (QPointF c : {frame.bottomLeft(), frame.topRight()}) {
        p.setPen(QPen(QColor(200, 0, 0), 1.5));
        p.setBrush(QColor(255, 220, 0));
        p.drawEllipse(c, 6, 6);
        p.setBrush(QColor(200, 0, 0));
        p.drawEllipse(c + QPointF(n == 1 ? -22 : 16, n == 1 ? 16 : -14), 9, 9);
        p.setPen(Qt::white);
        p.drawText(QRectF(c.x() + (n == 1 ? -31 : 7), c.y() + (n == 1 ? 7 : -23), 18, 18), Qt::AlignCenter,
                   QString::number(n));
        ++n;
    }
    p.setPen(QPen(QColor(0, 140, 0), 2));
    for (double t : {0.1, 0.3, 0.55, 0.8}) {
        const QPointF pt(frame.left() + t * frame.width(),
                         frame.bottom() - frame.height() * (0.05 + 0.85 * (1 - std::exp(-3.5 * t))));
        p.drawLine(pt + QPointF(-5, -5), pt + QPointF(5, 5));
        p.drawLine(pt + QPointF(-5, 5), pt + QPointF(5, -5));
    }
    p.setPen(QColor(0, 110, 0));
    p.drawText(QRectF(frame.left() + 150, frame.bottom() - 60, 200, 20), Qt::AlignLeft, QCoreApplication::translate("Pictures", "3 点をクリック"));
    return img;
}

} // namespace

std::vector<std::pair<QString, QImage>> helpPictures(const QString &programFolder)
{
    std::vector<std::pair<QString, QImage>> out;
    ScriptedDesktop desk;
    Reading reading(&desk);
    reading.programFolder = programFolder;
    MainWindow w(reading);
    w.resize(1067, 800);
    w.show();
    QApplication::processEvents();
    out.emplace_back(QStringLiteral("main"), w.grab().toImage());

    // The panel of a defined frame, and the zoom view on a picture.
    reading.showPicture(sampleChart(640, 420), QStringLiteral("chart.png"));
    reading.panel.setPos(CalibPanel::LLX_Text, QStringLiteral("0.14"));
    reading.panel.setPos(CalibPanel::LLY_Text, QStringLiteral("0.16"));
    reading.panel.setPos(CalibPanel::RUX_Text, QStringLiteral("0.94"));
    reading.panel.setPos(CalibPanel::RUY_Text, QStringLiteral("0.92"));
    reading.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("100"));
    reading.settings.zoom.setIndex(2);
    reading.zoomFollow(0.38f, 0.618f); // on the curve
    QApplication::processEvents();
    if (auto *panel = w.findChild<QWidget *>(QStringLiteral("Dft_Point_Frame")))
        out.emplace_back(QStringLiteral("panel"), panel->grab().toImage());
    if (auto *zoom = w.findChild<QWidget *>(QStringLiteral("Windw_Frame")))
        out.emplace_back(QStringLiteral("zoom"), zoom->grab().toImage());
    out.emplace_back(QStringLiteral("steps"), steps());
    out.emplace_back(QStringLiteral("hint2"), hintPicture(1));
    out.emplace_back(QStringLiteral("hint4"), hintPicture(2));
    out.emplace_back(QStringLiteral("hintP"), hintPicture(3));
    return out;
}

} // namespace orv
