#include "graphwin/view_scale.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace orv {

QStringList ViewScale::entryTexts()
{
    const QStringList texts = {QCoreApplication::translate("Graph", "全体"), QStringLiteral("25%"),  QStringLiteral("50%"),
                                      QStringLiteral("100%"), QStringLiteral("200%"), QStringLiteral("400%")};
    return texts;
}

ViewScale::ViewScale(QObject *parent) : QObject(parent) {}

void ViewScale::setEntry(int entry)
{
    entry = std::clamp(entry, 0, int(std::size(kPercents)) - 1);
    if (entry == m_entry)
        return;
    m_entry = entry;
    update();
}

void ViewScale::stepIn()
{
    for (int e = 1; e < int(std::size(kPercents)); ++e)
        if (kPercents[e] / 100.0 > m_factor + 1e-9) {
            setEntry(e);
            return;
        }
}

void ViewScale::stepOut()
{
    for (int e = int(std::size(kPercents)) - 1; e >= 1; --e)
        if (kPercents[e] / 100.0 < m_factor - 1e-9) {
            setEntry(e);
            return;
        }
}

void ViewScale::setPictureSize(QSize size)
{
    size = size.expandedTo(QSize(1, 1));
    if (size == m_picture)
        return;
    m_picture = size;
    update();
}

void ViewScale::setRoom(QSize room)
{
    room = room.expandedTo(QSize(1, 1));
    if (room == m_room)
        return;
    m_room = room;
    if (m_entry == kFit)
        update();
}

void ViewScale::chooseOpeningEntry()
{
    const bool fits = m_picture.width() <= m_room.width() && m_picture.height() <= m_room.height();
    const int e = fits ? kHundred : kFit;
    if (e != m_entry) {
        m_entry = e;
    }
    update();
}

QSize ViewScale::viewSize() const
{
    // Rounded down, so that the fitted picture never needs a scroll bar.
    return QSize(std::max(1, int(std::floor(m_picture.width() * m_factor + 1e-6))),
                 std::max(1, int(std::floor(m_picture.height() * m_factor + 1e-6))));
}

void ViewScale::update()
{
    const double f = m_entry == kFit ? std::min(double(m_room.width()) / m_picture.width(),
                                                double(m_room.height()) / m_picture.height())
                                     : kPercents[m_entry] / 100.0;
    m_factor = std::max(f, 1e-4);
    Q_EMIT changed();
}

QPointF ViewScale::normalisedToView(double x, double y) const
{
    return QPointF(x * m_picture.width() * m_factor, (1.0 - y) * m_picture.height() * m_factor);
}

QPointF ViewScale::clickPosition(QPointF viewPx) const
{
    const QPointF q = toPicture(QPointF(std::floor(viewPx.x()) + 0.5, std::floor(viewPx.y()) + 0.5));
    return QPointF((std::floor(q.x()) + 0.5) / m_picture.width(), 1.0 - (std::floor(q.y()) + 0.5) / m_picture.height());
}

// ---------------------------------------------------------------------------

void ScaledPictureCache::setSource(const QImage &source, QSize naturalSize)
{
    if (source.cacheKey() == m_source.cacheKey() && naturalSize == m_natural)
        return;
    // Tiles are cut from 32-bit pixels.
    m_source = source.depth() == 32 ? source : source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_natural = naturalSize;
    m_tiles.clear();
    setFactor(m_factor);
}

void ScaledPictureCache::setFactor(double factor)
{
    const QSize view(std::max(1, int(std::floor(m_natural.width() * factor + 1e-6))),
                     std::max(1, int(std::floor(m_natural.height() * factor + 1e-6))));
    if (factor == m_factor && view == m_view)
        return;
    m_factor = factor;
    m_view = view;
    m_tiles.clear();
}

const QImage &ScaledPictureCache::tile(int tx, int ty)
{
    const quint64 key = (quint64(quint32(ty)) << 32) | quint32(tx);
    auto it = m_tiles.find(key);
    if (it == m_tiles.end())
        it = m_tiles.insert(key, makeTile(tx, ty));
    return *it;
}

QImage ScaledPictureCache::makeTile(int tx, int ty) const
{
    if (m_source.isNull() || m_natural.isEmpty())
        return {};
    const QRect v = QRect(tx * kTile, ty * kTile, kTile, kTile).intersected(QRect(QPoint(0, 0), m_view));
    if (v.isEmpty())
        return {};
    // Factors from the source's pixels (the source may be a reduced decode).
    const double fx = m_factor * m_natural.width() / m_source.width();
    const double fy = m_factor * m_natural.height() / m_source.height();
    // The source pixels under the tile with a pixel's margin, so that the
    // smoothing sees the neighbours across the tile's edges.
    const int sx0 = std::max(0, int(std::floor(v.left() / fx)) - 1);
    const int sy0 = std::max(0, int(std::floor(v.top() / fy)) - 1);
    const int sx1 = std::min(m_source.width(), int(std::ceil((v.right() + 1) / fx)) + 1);
    const int sy1 = std::min(m_source.height(), int(std::ceil((v.bottom() + 1) / fy)) + 1);
    if (sx1 <= sx0 || sy1 <= sy0)
        return {};
    // A view of the source's memory, not a copy.
    const QImage part(m_source.constBits() + qsizetype(sy0) * m_source.bytesPerLine() + qsizetype(sx0) * 4,
                      sx1 - sx0, sy1 - sy0, m_source.bytesPerLine(), m_source.format());
    const QImage scaled = part.scaled(std::max(1, int(std::lround((sx1 - sx0) * fx))),
                                      std::max(1, int(std::lround((sy1 - sy0) * fy))), Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation);
    // The tile's own view pixels out of the scaled part.
    const int ox = std::clamp(int(std::lround(v.left() - sx0 * fx)), 0, std::max(0, scaled.width() - v.width()));
    const int oy = std::clamp(int(std::lround(v.top() - sy0 * fy)), 0, std::max(0, scaled.height() - v.height()));
    return scaled.copy(ox, oy, v.width(), v.height());
}

} // namespace orv
