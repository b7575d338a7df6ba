#pragma once
// The reading methods: lines of constant X or Y through the frame (X steps,
// Y steps) and connected regions (markers). Everything here works in picture
// pixels, continuous: pixel (i, j) spans [i, i+1) x [j, j+1), y downwards;
// found points are stored as (p.x / W, 1 - p.y / H) like clicks. Graph values
// come from the frame mapping, so every frame mode reads the same way.

#include "autoread/colour_match.h"
#include "model/frame_map.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <atomic>
#include <expected>
#include <functional>
#include <optional>
#include <vector>

namespace orv::autoread {

// The part of the picture that is read: inside the frame, at least `margin`
// pixels from each of its edges (so the frame lines and axes are not read),
// and inside `limit` when one is given (picture pixels).
class ReadArea {
public:
    ReadArea() = default;
    // `frame` in normalised coordinates (LL, LU, RU, RL), picture of `size`.
    ReadArea(const FrameSpec &frame, QSize size, double margin, std::optional<QRectF> limit = std::nullopt);
    bool contains(double x, double y) const;
    bool containsPixel(int i, int j) const { return contains(i + 0.5, j + 0.5); }
    // The pixels of row `y` whose centres are inside: x0..x1 (false: none).
    // The area is convex, so they are one interval.
    bool rowSpan(int y, int &x0, int &x1) const;
    // Pixels that can be inside, clipped to the picture.
    QRect bounds() const { return m_bounds; }
    bool isEmpty() const { return m_bounds.isEmpty(); }

private:
    struct Edge {
        double nx = 0, ny = 0, c = -1;
    };
    std::array<QPointF, 4> m_corner; // picture pixels
    std::array<Edge, 4> m_edge{};
    double m_margin = 0;
    double m_orient = 1;
    std::optional<QRectF> m_limit;
    QRect m_bounds;
};

// Cooperative cancelling and progress for the worker thread.
struct Progress {
    std::atomic<bool> *cancel = nullptr;
    std::function<void(int done, int total)> report;
    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

struct FoundPoint {
    QPointF pixel;         // continuous picture position
    QPointF normalised;    // stored position (p.x / W, 1 - p.y / H)
    double X = 0, Y = 0;   // graph values through the frame mapping
    bool merged = false;   // markers: one of the parts of a region split in several
};

enum class Method { XSteps, YSteps, Markers };

struct StepOptions {
    // Values of the stepping axis (X for X steps, Y for Y steps), in graph
    // units; unset: the frame's range.
    std::optional<double> from = std::nullopt, to = std::nullopt;
    // Either a step (a factor > 1 on a log axis) or a number of points
    // spaced evenly (in log10 on a log axis), both ends included.
    std::optional<double> step = std::nullopt;
    int points = 50;
    // The values themselves (calendar steps on a date axis, which are not
    // even): when given, the others are not used.
    std::vector<double> values = {};
};

struct MarkerOptions {
    // Region areas in pixels; unset: derived from the median area.
    std::optional<double> minArea, maxArea;
    bool splitMerged = true;
};

struct ReadResult {
    std::vector<FoundPoint> points; // ascending along the stepping axis (markers: X)
    int skipped = 0;                // step values without a visible curve
    int mergedRegions = 0;          // markers: regions of several markers
    int leftOut = 0;                // markers: merged regions left out, unsplit
    double medianArea = 0;          // markers
    int detachedLeftOut = 0;        // short pieces of the colour away from the curve (legend sample, label)
    bool lineUnderMarkers = false;  // markers: a line of their colour was taken away
    double toleranceUsed = 0;       // ΔE around the claimed colour
    QRgb claimedColour = 0;         // the picture's own colour the asked one claimed
    // Not found: no distinct colour of the picture lies within the tolerance
    // (`nearestColour` is the nearest one, ΔE `nearestDistance` away), or
    // the colour is there only as lines when markers were asked for.
    enum class Absence { None, NoSuchColour, OnlyLines } absence = Absence::None;
    QRgb nearestColour = 0;
    double nearestDistance = -1;
    bool cancelled = false;
};

// Why a found-nothing result found nothing ("" when it found something).
QString absenceText(const ReadResult &r);

enum class ReadError {
    NoFrame,
    BadRange,
    BadStep,
    NoPicture,
    RangeTooWide,   // from/to more than a million frame spans away
    EqualEnds,      // from = to with more than one point
    FrameZeroSize,  // the frame's corners enclose no area
    FrameEqualX,    // the frame's two X values are equal
    FrameEqualY,
};
QString readErrorText(ReadError e);
// Frame errors (the frame itself, not the options) are reported like an
// incomplete frame.
inline bool isFrameError(ReadError e)
{
    return e == ReadError::NoFrame || e == ReadError::FrameZeroSize || e == ReadError::FrameEqualX ||
           e == ReadError::FrameEqualY;
}

// What exactly is wrong with the panel's frame boxes ("" when they make a
// frame): a box that is not a number, a log axis with values <= 0, equal
// values, corners that enclose no area.
QString frameProblemText(const CalibPanel &panel);

// The values stepped through: from, to and step or point count; log axes in
// log10. Fails on a range or step that cannot be walked (zero or negative
// step, factor <= 1 on a log axis, non-positive or infinite ends, ends more
// than a million frame spans (decades on a log axis) from the frame, equal
// ends unless one point is asked for, more than 100000 values).
std::expected<std::vector<double>, ReadError> stepValues(const FrameSpec &f, bool alongY, const StepOptions &o);

struct ReadJob {
    QImage picture;        // any format; converted to RGB32 once
    FrameSpec frame;
    const FrameMap *map = nullptr;
    const CalibPanel *panel = nullptr; // for the values of found points
    QRgb colour = qRgb(0, 0, 0);
    // The ΔE around the picture's colour that the asked one claims; with
    // `autoTolerance`, estimated from that colour's spread in this picture.
    double tolerance = 15;
    bool autoTolerance = false;
    double margin = 3;
    std::optional<QRectF> limit;       // picture pixels
    // Rectangles left out of the reading (picture pixels, continuous, y down).
    std::vector<QRectF> exclusions;
    Method method = Method::XSteps;
    StepOptions steps;
    MarkerOptions markers;
};

std::expected<ReadResult, ReadError> runRead(const ReadJob &job, const Progress &progress = {});

// The matching pixels inside the area as a picture of the same size: the
// tint colour where a pixel matches, transparent elsewhere.
QImage matchTint(const QImage &picture, const ReadArea &area, const ColourMatcher &m, QRgb tint,
                 const Progress &progress = {});

} // namespace orv::autoread
