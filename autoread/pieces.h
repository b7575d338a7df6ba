#pragma once
// The pixels of the asked colour as runs per row, grouped into pieces (8-
// connected) and paths (pieces whose gaps are bridged: a dashed line, a line
// broken by noise or by another curve drawn over it). The curve is the
// longest path and those nearly as long or running to the edge of the area
// (a curve that leaves the frame and comes back); short detached paths (a
// legend's line sample, a label) are left out and counted.

#include "autoread/colour_classes.h"
#include "autoread/methods.h"

#include <QImage>
#include <vector>

namespace orv::autoread {

struct PixelRun {
    int y, x0, x1; // inclusive
};

class Pieces {
public:
    // The target pixels inside the area and outside the exclusions.
    static Pieces find(const QImage &rgb32, const ReadArea &area, const std::vector<QRectF> &exclusions,
                       const PixelClasses &classes, const Progress &progress);

    // Joins runs whose gap is at most `gap` empty pixels (0: touching,
    // 8-connected) into groups.
    void group(int gap);

    // Joins groups whose ends point at each other across a gap of up to
    // `reach` pixels: a line faded in places (compression, scan) continues
    // along its own direction.
    void bridgeAlong(double reach);

    struct Group {
        qint64 area = 0;
        int x0 = INT_MAX, x1 = INT_MIN, y0 = INT_MAX, y1 = INT_MIN;
        bool border = false; // reaches the edge of the area or an exclusion
        bool kept = true;
        std::vector<int> runs;
    };
    const std::vector<Group> &groups() const { return m_groups; }
    std::vector<Group> &groups() { return m_groups; }
    const std::vector<PixelRun> &runs() const { return m_runs; }
    int groupOfRun(int i) const { return m_groupOf[size_t(i)]; }
    // The group of the run holding pixel (x, y), or -1.
    int groupAt(int x, int y) const;
    // Thickness of the lines: area over length of the larger pieces.
    double lineWidth() const;
    // Marks which groups reach the edge of the area or an exclusion within
    // `reach` pixels.
    void markBorders(const ReadArea &area, const std::vector<QRectF> &exclusions, double reach);
    // Keeps the curve's paths (see above); returns how many were left out.
    int keepCurve(double width);
    bool empty() const { return m_runs.empty(); }

private:
    QRect m_bounds;
    std::vector<PixelRun> m_runs;  // by row, then x
    std::vector<int> m_rowStart;   // per row of the bounds, and one past the end
    std::vector<int> m_groupOf;    // per run
    std::vector<Group> m_groups;
};

} // namespace orv::autoread
