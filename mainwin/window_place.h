#pragma once
// Where the windows of the document area go: the graph window leaves a
// column free at its right for the tables, and a table (or any panel placed
// by the same rule) stands in that column, stacked below the windows already
// there. Only when the area is too narrow for the column does a table cover
// the picture, and then never the frame's corners.

#include <QList>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>

namespace orv {

// The part of a document area `area` the graph window may take when it opens:
// all of it but a column `column` pixels wide at the right, or the whole area
// when the graph window (at least `chartMinWidth` wide) and the column do not
// both fit.
QRect chartRoom(const QRect &area, int column, int chartMinWidth);

// The places a table must not cover: around each frame corner whose position
// is known (`corners`, in area pixels; a corner not placed yet is an invalid
// point), and where a corner not placed yet is likely, the outer fifth of the
// picture at that corner (`picture`, the picture's rectangle in area pixels).
// Corners come in the order lower left, upper left, upper right, lower right.
QList<QRect> cornerKeepClear(const QRectF &picture, const QList<QPointF> &corners, int margin);

// Where a window of `size` (at least `minSize`) goes in a document area of
// `area`: in the free column right of the graph window `graph`, below the
// windows already there (`others`); over the picture only when that column is
// too narrow for the window, and then at the area's right edge where it covers
// none of `keepClear` (nor, where it can, another window), as tall as it can
// be there; only when no such place exists, at the top of the right edge.
QRect placeBesideChart(const QRect &area, const QRect &graph, const QList<QRect> &others, QSize size, QSize minSize,
                       const QList<QRect> &keepClear = {});

} // namespace orv
