#pragma once
// Helpers shared by the reading methods (not part of the public interface):
// picture <-> stored coordinates, the reading's own thread pool, progress.

#include "autoread/methods.h"

#include <QImage>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <utility>
#include <vector>

namespace orv::autoread::detail {

inline double cross2(QPointF a, QPointF b) { return a.x() * b.y() - a.y() * b.x(); }
inline QPointF toPixel(QPointF n, QSize size) { return {n.x() * size.width(), (1 - n.y()) * size.height()}; }
inline QPointF toNormalised(QPointF p, QSize size) { return {p.x() / size.width(), 1 - p.y() / size.height()}; }

inline QImage rgb32(const QImage &img)
{
    if (img.format() == QImage::Format_RGB32 || img.format() == QImage::Format_ARGB32)
        return img;
    return img.convertToFormat(QImage::Format_RGB32);
}

// The reading's own threads: the shared pool also paints (the raster engine
// splits some drawing over it), and a long reading must not hold that up.
QThreadPool &computePool();

// Work split into a few chunks, one per thread.
template <typename F> void forChunks(int n, F &&work)
{
    if (n <= 0)
        return;
    QThreadPool &pool = computePool();
    const int chunks = std::max(1, std::min(n, pool.maxThreadCount() * 2));
    std::vector<std::pair<int, int>> ranges;
    for (int c = 0; c < chunks; ++c)
        ranges.emplace_back(int(qint64(n) * c / chunks), int(qint64(n) * (c + 1) / chunks));
    QtConcurrent::blockingMap(&pool, ranges, [&](const std::pair<int, int> &r) { work(r.first, r.second); });
}

// Progress is reported once per percent: each report is an event for the
// window's thread, and thousands of them would hold up its own events.
inline bool percentStep(int done, int total) { return qint64(done) * 100 / total != qint64(done - 1) * 100 / total; }

// Inside the area and outside every exclusion (picture pixels, continuous).
inline bool excluded(const std::vector<QRectF> &ex, double x, double y)
{
    for (const QRectF &r : ex)
        if (x >= r.left() && x < r.right() && y >= r.top() && y < r.bottom())
            return true;
    return false;
}

// Converts found picture positions through the frame; false when the frame
// mapping cannot take the point.
bool finishPoint(const ReadJob &job, QSize size, QPointF pixel, FoundPoint &p);

} // namespace orv::autoread::detail
