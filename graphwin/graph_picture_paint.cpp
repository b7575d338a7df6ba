// The picture area's painting: the picture at the view scale, the markers and
// rings, the frame outline and the grid overlay.
#include "graphwin/graph_form_widget.h"

#include "model/startup_trace.h"
#include "model/utilities.h"

#include <QPaintEvent>
#include <QPainter>

namespace orv {

namespace {
int px(double twips) { return twipsToPx(twips); }
} // namespace

QImage GraphPictureArea::markerIcon(QColor rim, QColor fill)
{
    static const char *rows[9] = {"...RRR...", ".RRFFFRR.", ".RFFFFFR.", "RFFFFFFFR", "RFFFFFFFR",
                                  "RFFFFFFFR", ".RFFFFFR.", ".RRFFFRR.", "...RRR..."};
    QImage img(9, 9, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            const char c = rows[y][x];
            if (c == 'R')
                img.setPixelColor(x, y, rim);
            else if (c == 'F')
                img.setPixelColor(x, y, fill);
        }
    return img;
}

void GraphPictureArea::paintEvent(QPaintEvent *e)
{
    if (!r.graph.picture().isNull()) {
        startupTrace("first paint of the picture");
        if (e->rect() == rect() && isVisible())
            startupTrace("whole picture area painted");
    }
    QPainter p(this);
    const QRect clip = e->rect();
    paintPicture(p, clip);
    // Everything over the picture is placed through the view scale's one
    // mapping (toPixels, or m_scale.pictureToView() as a painter transform
    // for overlays drawn in picture pixels) and keeps its size on screen.
    // The grid overlay, under the outline and the markers.
    if (r.graph.gridVisible())
        paintGrid(p, overlayGrid(), QSizeF(m_scale.pictureSize()) * m_scale.factor());
    // The frame outline.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(255, 0, 0), 1));
    // Through the middle of the pixels that hold the corners' positions, as
    // the markers are drawn.
    auto onPixel = [this](double x, double y) { return QPointF(viewPixel(x, y)) + QPointF(0.5, 0.5); };
    for (const QLineF &l : r.graph.frameLines())
        p.drawLine(onPixel(l.x1(), l.y1()), onPixel(l.x2(), l.y2()));
    // Corner markers, then point markers.
    for (int i = 0; i < 4; ++i) {
        const Marker &m = r.graph.dfnt(i);
        if (m.visible) {
            const QRect rc = markerRect(m.left, m.top);
            if (rc.intersects(clip))
                p.drawImage(rc.topLeft(), m_cornerIcon);
        }
    }
    for (int id = 1; id <= 255; ++id) {
        if (!r.graph.hasPick(id) || !r.graph.pick(id)->visible)
            continue;
        const QRect rc = pickRect(id);
        if (rc.intersects(clip))
            p.drawImage(rc.topLeft(), m_pointIcon);
    }
    // Rings.
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    if (r.graph.selShape().visible) {
        p.setPen(QPen(QColor(255, 0, 0), 2));
        p.drawEllipse(ringOutline(r.graph.selShape()).adjusted(1, 1, -1, -1));
    }
    if (r.graph.selShapePt().visible) {
        p.setPen(QPen(QColor(0, 0, 255), 2));
        p.drawEllipse(ringOutline(r.graph.selShapePt()).adjusted(1, 1, -1, -1));
    }
    if (m_dragKind && !m_outline.isNull()) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawRect(m_outline.adjusted(0, 0, -1, -1));
    }
}

void GraphPictureArea::paintPicture(QPainter &p, const QRect &clip)
{
    const QImage &pic = r.graph.picture();
    if (pic.isNull()) {
        p.fillRect(clip, Qt::white);
        return;
    }
    const double f = m_scale.factor();
    if (f == 1.0 && !r.graph.pictureReduced()) {
        // Only the exposed part of the picture, at its natural size.
        p.drawImage(clip.topLeft(), pic, clip);
        return;
    }
    if (f < 1.0 || r.graph.pictureReduced()) {
        // Smoothly down-sampled tiles of the exposed part, made once per scale.
        p.fillRect(clip, Qt::white);
        m_tiles.forEachTile(clip, [&](QPoint at, const QImage &tile) { p.drawImage(at, tile); });
        return;
    }
    // Enlarged: each picture pixel a block of screen pixels (what is clicked
    // is that pixel), only the source pixels under the exposed part.
    const QPointF a = m_scale.toPicture(clip.topLeft()), b = m_scale.toPicture(clip.bottomRight() + QPoint(1, 1));
    const QRect src = QRect(QPoint(int(std::floor(a.x())), int(std::floor(a.y()))),
                            QPoint(int(std::ceil(b.x())) - 1, int(std::ceil(b.y())) - 1))
                          .intersected(pic.rect());
    p.save();
    p.setClipRect(clip);
    p.setTransform(m_scale.pictureToView());
    p.drawImage(src.topLeft(), pic, src);
    p.restore();
}

std::vector<GridLine> GraphPictureArea::overlayGrid() const
{
    if (!r.graph.gridVisible() || !r.Dfnt_Done)
        return {};
    auto f = readFrame(r.panel);
    if (!f)
        return {};
    if (m_dragKind == 2 && m_dragIndex >= 0 && m_dragIndex < 4) {
        f->corner[size_t(m_dragIndex)] = pixelCentre(m_dragNow);
        // In the diagonal mode the derived corners move with their source.
        if (r.panel.isDiagonal()) {
            const QPointF ll = f->corner[LL], ru = f->corner[RU];
            f->corner[LU] = QPointF(ll.x(), ru.y());
            f->corner[RL] = QPointF(ru.x(), ll.y());
        }
    }
    auto lines = frameGridLines(frameMap(r.panel), *f);
    return lines ? std::move(*lines) : std::vector<GridLine>{};
}

void GraphPictureArea::paintGrid(QPainter &p, const std::vector<GridLine> &lines, QSizeF size)
{
    if (lines.empty())
        return;
    p.save();
    auto px = [&](QPointF n) { return QPointF(n.x() * size.width(), (1.0 - n.y()) * size.height()); };
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(gridColor(), 1));
    for (const GridLine &g : lines)
        p.drawLine(px(g.line.p1()), px(g.line.p2()));
    // Values at the frame's lower (X) and left (Y) edges, on a pale patch so
    // that they read on any chart; kept inside the picture.
    QFont f = p.font();
    f.setPixelSize(10);
    p.setFont(f);
    const QFontMetricsF fm(f);
    const QRectF area(QPointF(0, 0), size);
    const QColor text(0, 110, 50), patch(255, 255, 255, 170);
    for (const GridLine &g : lines) {
        const QPointF at = px(g.line.p1());
        const QSizeF sz(fm.horizontalAdvance(g.label) + 4, fm.height());
        QRectF box = g.xLine ? QRectF(at.x() - sz.width() / 2, at.y() + 3, sz.width(), sz.height())
                             : QRectF(at.x() - sz.width() - 3, at.y() - sz.height() / 2, sz.width(), sz.height());
        box.moveLeft(std::clamp(box.left(), 0.0, std::max(0.0, area.width() - box.width())));
        box.moveTop(std::clamp(box.top(), 0.0, std::max(0.0, area.height() - box.height())));
        p.fillRect(box, patch);
        p.setPen(text);
        p.drawText(box, Qt::AlignCenter, g.label);
    }
    p.restore();
}

} // namespace orv
