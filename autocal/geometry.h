#pragma once
// The picture prepared for finding a chart's frame, and the frame's lines.
// Lines are found on a reduced, thresholded copy (a photo is reduced to
// about 1600 pixels across, a screen-sized chart is used as it is) and then
// placed to a fraction of a pixel on the whole grey picture.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <array>
#include <atomic>
#include <optional>
#include <vector>

namespace orv::autocal {

// A grey picture and its dark pixels, possibly reduced by `factor`.
struct Prepared {
    QImage full;    // Grayscale8, the whole picture
    QImage reduced; // Grayscale8, full / factor
    int factor = 1;
    std::vector<uint8_t> dark; // reduced.width() x reduced.height(), 1 = dark
    int w = 0, h = 0;          // of the reduced picture
    bool isDark(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && dark[size_t(y) * size_t(w) + size_t(x)]; }
};

Prepared prepare(const QImage &picture);

// A straight line near the horizontal (b = y, a = x) or the vertical (b = x,
// a = y): b = c + s * a, drawn from a0 to a1. Coordinates are continuous
// pixels (pixel i spans [i, i + 1)) of the picture the line was found in.
struct AxisLine {
    bool horizontal = true;
    double c = 0, s = 0, a0 = 0, a1 = 0;
    double thickness = 1;
    double b(double a) const { return c + s * a; }
    QPointF at(double a) const { return horizontal ? QPointF(a, b(a)) : QPointF(b(a), a); }
    double length() const { return a1 - a0; }
    // Signed distance of a point from the line along b.
    double offset(QPointF p) const { return horizontal ? p.y() - b(p.x()) : p.x() - b(p.y()); }
    double along(QPointF p) const { return horizontal ? p.x() : p.y(); }
    AxisLine scaled(double f) const;
};

// Long straight dark lines of the reduced picture within about 8 degrees of
// the horizontal or the vertical, longest first.
std::vector<AxisLine> findLines(const Prepared &p, bool horizontal, const std::atomic<bool> *cancel = nullptr);

// The line placed on the whole picture: the darkness centre across it,
// fitted by least squares with the places where something crosses it left out.
AxisLine refineLine(const Prepared &p, const AxisLine &reducedLine);

// Where two lines cross.
std::optional<QPointF> intersect(const AxisLine &h, const AxisLine &v);

// The plot frame: left and bottom axis lines, and the top and right lines
// when the frame is a full box. Reduced-picture coordinates.
struct FrameLines {
    AxisLine bottom, left;
    std::optional<AxisLine> top, right;
};
std::optional<FrameLines> chooseFrame(const std::vector<AxisLine> &horizontal, const std::vector<AxisLine> &vertical);

// A tick mark on an axis, in whole-picture coordinates.
struct Tick {
    double along = 0;   // position along the axis (x or y)
    QPointF at;         // where it meets the axis line
    double length = 0;  // longest side
    bool inside = false, outside = false;
    // On the reduced picture: the run along the axis and the length inside
    // and outside (for clearing it).
    int r0 = 0, r1 = 0, inLen = 0, outLen = 0;
};

// Tick marks (and gridlines meeting the axis) of one axis line; `outward` is
// +1 when the outside of the frame is at larger b. `line` is in reduced
// coordinates, `fullLine` the same line refined on the whole picture.
std::vector<Tick> findTicks(const Prepared &p, const AxisLine &line, const AxisLine &fullLine, int outward);

// Clears the dark pixels of a line and of its ticks, so that what remains
// beside it is text.
void eraseLine(Prepared &p, const AxisLine &line, double extra);
void eraseTicks(Prepared &p, const AxisLine &line, const std::vector<Tick> &ticks, int outward);

} // namespace orv::autocal
