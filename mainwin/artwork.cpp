#include "mainwin/artwork.h"

#include <QCoreApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>
#include <cmath>

namespace orv {

namespace {

const QColor kInk(40, 52, 72);
const QColor kFrameRed(220, 30, 30);
const QColor kPointBlue(30, 90, 200);

void drawOpen(QPainter &p)
{
    // A folder with a small chart in front of it.
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(246, 204, 90));
    QPainterPath back;
    back.moveTo(2, 6);
    back.lineTo(9, 6);
    back.lineTo(11, 8);
    back.lineTo(20, 8);
    back.lineTo(20, 19);
    back.lineTo(2, 19);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.setPen(QPen(kInk, 1));
    p.drawRect(QRectF(8.5, 10.5, 13, 11));
    p.setPen(QPen(kFrameRed, 1.4));
    p.drawPolyline(QPolygonF({QPointF(10, 20), QPointF(13, 16), QPointF(16, 17.5), QPointF(20.5, 12)}));
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(250, 214, 110));
    QPainterPath front;
    front.moveTo(2, 19);
    front.lineTo(5, 11);
    front.lineTo(9, 11);
    front.lineTo(6.5, 19);
    front.closeSubpath();
    p.drawPath(front);
}

void drawSave(QPainter &p)
{
    // A diskette.
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(60, 100, 170));
    QPainterPath body;
    body.moveTo(3.5, 3.5);
    body.lineTo(17.5, 3.5);
    body.lineTo(20.5, 6.5);
    body.lineTo(20.5, 20.5);
    body.lineTo(3.5, 20.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(QColor(230, 235, 245));
    p.drawRect(QRectF(6.5, 3.5, 10, 6));
    p.setBrush(QColor(60, 100, 170));
    p.drawRect(QRectF(13, 4.5, 2.5, 4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 12.5, 11, 8));
    p.setPen(QPen(QColor(150, 160, 180), 1));
    p.drawLine(QPointF(8, 15), QPointF(16, 15));
    p.drawLine(QPointF(8, 17.5), QPointF(16, 17.5));
}

void drawCircleGlyph(QPainter &p, const QColor &fill, const QString &glyph)
{
    QRadialGradient g(QPointF(9, 8), 14);
    g.setColorAt(0, fill.lighter(150));
    g.setColorAt(1, fill);
    p.setPen(QPen(fill.darker(150), 1));
    p.setBrush(g);
    p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, glyph);
}

QImage blankImage(int w, int h, const QColor &fill = Qt::transparent)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

} // namespace

namespace {

// A curved arrow turning back (undo) or forward (redo, mirrored).
void drawTurnArrow(QPainter &p, bool forward)
{
    p.save();
    if (forward) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPen pen(QColor(30, 90, 170), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath arc;
    arc.moveTo(7, 10);
    arc.lineTo(14, 10);
    arc.cubicTo(22, 10, 22, 20, 14, 20);
    arc.lineTo(9, 20);
    p.drawPath(arc);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 90, 170));
    p.drawPolygon(QPolygonF({QPointF(2, 10), QPointF(9, 4), QPointF(9, 16)}));
    p.restore();
}

void drawUndo(QPainter &p) { drawTurnArrow(p, false); }
void drawRedo(QPainter &p) { drawTurnArrow(p, true); }

} // namespace

// A keystoned frame with its grid: the grid overlay's button.
void drawGrid(QPainter &p)
{
    const QPolygonF quad({QPointF(3, 21), QPointF(7, 4), QPointF(17, 3), QPointF(21, 20)});
    QTransform persp;
    QTransform::quadToQuad(QPolygonF({QPointF(0, 0), QPointF(0, 1), QPointF(1, 1), QPointF(1, 0)}), quad, persp);
    p.setPen(QPen(QColor(0, 150, 70), 1.2));
    for (double t : {1 / 3.0, 2 / 3.0}) {
        p.drawLine(persp.map(QPointF(t, 0)), persp.map(QPointF(t, 1)));
        p.drawLine(persp.map(QPointF(0, t)), persp.map(QPointF(1, t)));
    }
    p.setPen(QPen(kFrameRed, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(quad);
}

// A curve with hollow rings on it: points found along a curve.
static void drawAutoRead(QPainter &p)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(3, 21), QPointF(21, 21));
    p.drawLine(QPointF(3, 21), QPointF(3, 3));
    QPainterPath curve;
    curve.moveTo(4, 18);
    curve.cubicTo(9, 4, 14, 20, 21, 5);
    p.setPen(QPen(QColor(210, 40, 40), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(QPen(QColor(230, 0, 190), 1.3));
    for (qreal t : {0.15, 0.5, 0.85})
        p.drawEllipse(curve.pointAtPercent(t), 2.4, 2.4);
}

QIcon toolbarIcon(const QString &key)
{
    void (*draw)(QPainter &) = nullptr;
    if (key == u"Open_File_Mn1")
        draw = drawOpen;
    else if (key == u"Save_grc_Mn1")
        draw = drawSave;
    else if (key == u"Undo_Mn1")
        draw = drawUndo;
    else if (key == u"Redo_Mn1")
        draw = drawRedo;
    else if (key == u"Grid_Mn1")
        draw = drawGrid;
    else if (key == u"AutoRead_Mn1")
        draw = drawAutoRead;
    QIcon icon;
    for (int scale : {1, 2}) {
        QImage img = blankImage(24 * scale, 24 * scale);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        if (draw)
            draw(p);
        else if (key == u"Version_Mn1")
            drawCircleGlyph(p, QColor(40, 120, 200), QStringLiteral("i"));
        else if (key == u"Help_Mn1")
            drawCircleGlyph(p, QColor(40, 150, 90), QStringLiteral("?"));
        else
            return QIcon();
        p.end();
        icon.addPixmap(QPixmap::fromImage(img));
    }
    return icon;
}

QImage splashArtwork()
{
    const int w = 276, h = 160;
    QImage img = blankImage(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(28, 48, 86));
    sky.setColorAt(1, QColor(58, 96, 150));
    p.fillRect(img.rect(), sky);

    // A sheet of graph paper with a measured curve.
    const QRectF sheet(18, 22, 150, 118);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(sheet.translated(4, 4));
    p.setBrush(QColor(252, 252, 246));
    p.drawRect(sheet);
    p.setPen(QPen(QColor(200, 215, 230), 0.8));
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(sheet.left() + i * sheet.width() / 10, sheet.top()),
                   QPointF(sheet.left() + i * sheet.width() / 10, sheet.bottom()));
    for (int i = 1; i < 8; ++i)
        p.drawLine(QPointF(sheet.left(), sheet.top() + i * sheet.height() / 8),
                   QPointF(sheet.right(), sheet.top() + i * sheet.height() / 8));
    // The red frame of the reading, with its corner markers.
    const QRectF frame = sheet.adjusted(15, 12, -12, -15);
    p.setPen(QPen(kFrameRed, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    for (QPointF c : {frame.bottomLeft(), frame.topRight()}) {
        p.setBrush(QColor(255, 230, 0));
        p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
    }
    QPainterPath curve;
    std::vector<QPointF> pts;
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        const QPointF pt(frame.left() + t * frame.width(),
                         frame.bottom() - frame.height() * (0.1 + 0.8 * (1 - std::exp(-3.2 * t))));
        if (i == 0)
            curve.moveTo(pt);
        else
            curve.lineTo(pt);
        if (i % 6 == 3)
            pts.push_back(pt);
    }
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(QPen(kPointBlue, 1.2));
    for (QPointF pt : pts) {
        p.drawLine(pt + QPointF(-3, -3), pt + QPointF(3, 3));
        p.drawLine(pt + QPointF(-3, 3), pt + QPointF(3, -3));
    }

    // The magnifier over one of the points.
    const QPointF lens(pts[2].x() + 4, pts[2].y() + 2);
    p.setPen(QPen(QColor(70, 50, 30), 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(lens + QPointF(15, 15), lens + QPointF(30, 30));
    p.setPen(QPen(QColor(200, 200, 210), 2.5));
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawEllipse(lens, 18, 18);
    p.setPen(QPen(kPointBlue, 1));
    p.drawLine(lens + QPointF(-9, 0), lens + QPointF(9, 0));
    p.drawLine(lens + QPointF(0, -9), lens + QPointF(0, 9));

    // The name.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(20);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255));
    p.save();
    p.translate(262, 148);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), QStringLiteral("Orvalinetrix"));
    p.restore();
    p.setPen(QColor(255, 210, 80));
    f.setPixelSize(11);
    f.setBold(false);
    p.setFont(f);
    p.drawText(QRectF(178, 30, 70, 60), Qt::AlignLeft | Qt::TextWordWrap, QStringLiteral("X = 12.5\nY = 0.73"));
    p.end();
    return img;
}

QImage hintPicture(int tab)
{
    const bool diagonal = tab == 1, projective = tab == 3;
    const int w = kHintWidth, h = kHintHeight;
    QImage img = blankImage(w, h, QColor(255, 255, 255));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A chart photographed a little askew in the four-point picture.
    QPolygonF quad;
    // The projective picture: a page photographed from below, its top edge
    // further away and so shorter, its sides leaning in.
    if (diagonal)
        quad = QPolygonF({QPointF(58, 70), QPointF(58, 14), QPointF(152, 14), QPointF(152, 70)});
    else if (projective)
        quad = QPolygonF({QPointF(50, 72), QPointF(76, 14), QPointF(138, 12), QPointF(160, 68)});
    else
        quad = QPolygonF({QPointF(54, 72), QPointF(62, 12), QPointF(156, 18), QPointF(150, 68)});
    // Axes and a curve inside the frame.
    // Chart fractions (u right, v up) to the picture: through the perspective
    // in the projective picture (its gridlines crowd towards the far edge).
    QTransform persp;
    QTransform::quadToQuad(QPolygonF({QPointF(0, 0), QPointF(0, 1), QPointF(1, 1), QPointF(1, 0)}), quad, persp);
    auto at = [&](double u, double v) {
        if (projective)
            return persp.map(QPointF(u, v));
        const QPointF bottom = quad[0] + (quad[3] - quad[0]) * u, top = quad[1] + (quad[2] - quad[1]) * u;
        return bottom + (top - bottom) * v;
    };
    p.setPen(QPen(QColor(170, 170, 170), 1, Qt::DotLine));
    for (int i = 1; i < 4; ++i) {
        const double t = i / 4.0;
        p.drawLine(at(t, 0), at(t, 1));
        p.drawLine(at(0, t), at(1, t));
    }
    p.setPen(QPen(kInk, 1.3));
    QPainterPath curve;
    for (int i = 0; i <= 20; ++i) {
        const double u = i / 20.0, v = 0.15 + 0.7 * u * u;
        const QPointF pt = at(u, v);
        if (i == 0)
            curve.moveTo(pt);
        else
            curve.lineTo(pt);
    }
    p.drawPath(curve);
    p.setPen(QPen(kFrameRed, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(quad);

    // Placed corners are filled; derived corners are hollow and dashed.
    const char *names[4] = {QT_TRANSLATE_NOOP("Pictures", "左下"), QT_TRANSLATE_NOOP("Pictures", "左上"),
                            QT_TRANSLATE_NOOP("Pictures", "右上"), QT_TRANSLATE_NOOP("Pictures", "右下")};
    QFont f = p.font();
    f.setPixelSize(11);
    p.setFont(f);
    for (int c = 0; c < 4; ++c) {
        const bool placed = !diagonal || c == 0 || c == 2;
        const QPointF pt = quad[c];
        p.setPen(QPen(placed ? kFrameRed : QColor(150, 150, 150), 1.2, placed ? Qt::SolidLine : Qt::DashLine));
        p.setBrush(placed ? QColor(255, 220, 0) : QColor(255, 255, 255));
        p.drawEllipse(pt, 4.5, 4.5);
        p.setPen(placed ? kInk : QColor(150, 150, 150));
        const bool left = c == 0 || c == 1;
        const bool lower = c == 0 || c == 3;
        const QRectF box(left ? pt.x() - 48 : pt.x() + 8, lower ? pt.y() - 4 : pt.y() - 9, 40, 14);
        p.drawText(box, (left ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, QCoreApplication::translate("Pictures", names[c]));
    }
    p.setPen(kInk);
    p.drawText(QRectF(58, 73, 94, 13), Qt::AlignCenter,
               diagonal ? QCoreApplication::translate("Pictures", "2点をクリック") : QCoreApplication::translate("Pictures", "4点をクリック"));

    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

QIcon programIcon()
{
    // Drawn on a 64-unit square at each size, so that small title-bar icons
    // stay sharp.
    QIcon i;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        const QColor ink(0x3a, 0x4a, 0x6b), curve(0x00, 0x80, 0xc0);
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 8, 8);
        p.setPen(QPen(QColor(0xc8, 0xcf, 0xdc), 1));
        for (int y : {18, 30, 42})
            p.drawLine(QLineF(12, y, 54, y));
        p.setPen(QPen(ink, 2.5));
        p.drawPolyline(QPolygonF({QPointF(12, 10), QPointF(12, 54), QPointF(56, 54)}));
        p.setPen(QPen(curve, 2));
        p.drawPolyline(QPolygonF(
            {QPointF(14, 48), QPointF(24, 40), QPointF(33, 33), QPointF(42, 22), QPointF(52, 14)}));
        p.setPen(QPen(QColor(255, 0, 0), 1.5, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(10, 8, 46, 48));
        p.setPen(QPen(QColor(0, 0, 255), 1));
        p.setBrush(curve);
        for (QPointF c : {QPointF(24, 40), QPointF(33, 33), QPointF(42, 22)})
            p.drawEllipse(c, 3, 3);
        p.setPen(QPen(QColor(0, 0, 255), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(42, 22), 6.5, 6.5);
        p.end();
        i.addPixmap(pm);
    }
    return i;
}

} // namespace orv
