#include "mainwin/window_place.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orv {

QRect chartRoom(const QRect &area, int column, int chartMinWidth)
{
    if (area.width() - std::max(0, column) < std::max(1, chartMinWidth))
        return area;
    return QRect(area.left(), area.top(), area.width() - std::max(0, column), area.height());
}

QList<QRect> cornerKeepClear(const QRectF &picture, const QList<QPointF> &corners, int margin)
{
    QList<QRect> out;
    // The picture's corners in the same order: lower left, upper left, upper right, lower right.
    const QPointF pictureCorners[4] = {picture.bottomLeft(), picture.topLeft(), picture.topRight(),
                                       picture.bottomRight()};
    const QSizeF zone(picture.width() / 5, picture.height() / 5);
    for (int c = 0; c < 4; ++c) {
        const QPointF p = c < corners.size() ? corners[c] : QPointF(qQNaN(), qQNaN());
        if (std::isfinite(p.x()) && std::isfinite(p.y())) {
            out << QRect(int(std::floor(p.x())) - margin, int(std::floor(p.y())) - margin, 2 * margin + 1,
                         2 * margin + 1);
            continue;
        }
        const QPointF pc = pictureCorners[c];
        const QRectF z(c >= 2 ? pc.x() - zone.width() : pc.x(), (c == 1 || c == 2) ? pc.y() : pc.y() - zone.height(),
                       zone.width(), zone.height());
        out << z.toAlignedRect();
    }
    return out;
}

namespace {

// The tallest place (up to `want` high, at least `minH`) for a window of width
// `w` at the right edge of `area` that meets none of `obstacles`; the upper
// one of equals.
std::optional<QRect> freePlaceAtRightEdge(const QRect &area, int w, int want, int minH, const QList<QRect> &obstacles)
{
    const int x = std::max(area.left(), area.right() + 1 - w);
    const auto across = [&](const QRect &o) { return o.left() < x + w && o.right() >= x; };
    QList<int> tops{area.top()};
    for (const QRect &o : obstacles)
        if (across(o))
            tops << o.bottom() + 1;
    std::sort(tops.begin(), tops.end());
    std::optional<QRect> best;
    for (int t : tops) {
        int limit = area.bottom() + 1;
        bool blocked = false;
        for (const QRect &o : obstacles) {
            if (!across(o))
                continue;
            if (o.top() <= t && o.bottom() >= t)
                blocked = true;
            else if (o.top() > t)
                limit = std::min(limit, o.top());
        }
        const int h = std::min(want, limit - t);
        if (blocked || h < minH)
            continue;
        if (!best || h > best->height())
            best = QRect(x, t, w, h);
    }
    return best;
}

} // namespace

QRect placeBesideChart(const QRect &area, const QRect &graph, const QList<QRect> &others, QSize size, QSize minSize,
                       const QList<QRect> &keepClear)
{
    const int left = graph.isValid() ? graph.right() + 1 : area.left();
    const int minW = std::max(1, minSize.width()), minH = std::max(1, minSize.height());
    const bool column = area.right() + 1 - left >= minW;
    if (!column) {
        // Over the picture: where no frame corner (and no other window) is
        // covered; failing that, over another window rather than a corner.
        QList<QRect> obstacles = keepClear;
        for (const QRect &o : others)
            if (o.isValid() && o != graph)
                obstacles << o;
        const int want = std::max(minH, std::min(size.height(), area.height()));
        for (const QList<QRect> &avoid : {obstacles, keepClear})
            for (int w : {std::clamp(size.width(), minW, std::max(minW, area.width())), minW})
                if (auto r = freePlaceAtRightEdge(area, w, want, minH, avoid))
                    return *r;
    }
    QRect r;
    if (column) {
        // The free column: as wide as the window wants, at most the column.
        r.setRect(left, area.top(), std::clamp(size.width(), minW, area.right() + 1 - left), size.height());
    } else {
        // No room anywhere: at the area's right edge, over the picture.
        r.setRect(std::max(area.left(), area.right() + 1 - size.width()), area.top(), std::max(size.width(), minW),
                  size.height());
    }
    // Below the windows already in that column, as the arrange command
    // stacks them; shortened to fit, never below its minimum.
    int top = area.top();
    for (const QRect &o : others)
        if (o.isValid() && o.left() <= r.right() && o.right() >= r.left() && (!graph.isValid() || o != graph))
            top = std::max(top, o.bottom() + 1);
    const int room = area.bottom() + 1 - top;
    if (room >= minH) {
        r.moveTop(top);
        r.setHeight(std::clamp(size.height(), minH, room));
    } else {
        // The column is full: the lowest place where the whole window shows.
        r.setHeight(std::max(minH, std::min(size.height(), area.height())));
        r.moveTop(std::max(area.top(), area.bottom() + 1 - r.height()));
    }
    return r;
}

} // namespace orv
