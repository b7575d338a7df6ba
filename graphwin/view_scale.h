#pragma once
// The graph window's view scale: "全体" (the whole picture fitted into the
// window) or a fixed percentage, and the one mapping between the view's
// pixels and the picture's pixels that everything drawn over the picture and
// every hit test uses. The scale is a way of looking only: stored positions
// stay fractions of the picture, and a click means the centre of the picture
// pixel under the pointer at every scale.

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTransform>

namespace orv {

class ViewScale : public QObject {
    Q_OBJECT
public:
    // The combo's entries, in order; entry 0 is "全体".
    static QStringList entryTexts();
    static constexpr int kFit = 0;
    static constexpr int kPercents[] = {0, 25, 50, 100, 200, 400};
    static constexpr int kHundred = 3;

    explicit ViewScale(QObject *parent = nullptr);

    int entry() const { return m_entry; }
    void setEntry(int entry);
    // Ctrl+plus / Ctrl+minus: the next larger or smaller entry; from "全体"
    // the percentage just above or below the fitted factor.
    void stepIn();
    void stepOut();

    // The picture's natural size and the room the window gives it.
    void setPictureSize(QSize size);
    void setRoom(QSize room);
    QSize pictureSize() const { return m_picture; }
    // A picture that fits the room opens at 100 %, a larger one whole.
    void chooseOpeningEntry();

    // View pixels per picture pixel.
    double factor() const { return m_factor; }
    // The picture's size on screen.
    QSize viewSize() const;

    // --- The mapping -------------------------------------------------------
    // Picture pixels (continuous, y down) to view pixels and back.
    QPointF toView(QPointF picturePx) const { return picturePx * m_factor; }
    QPointF toPicture(QPointF viewPx) const { return viewPx / m_factor; }
    // Normalised picture position (y up) to view pixels.
    QPointF normalisedToView(double x, double y) const;
    // The normalised centre of the picture pixel under the centre of the view
    // pixel at p: what a click or a hover there means.
    QPointF clickPosition(QPointF viewPx) const;
    // Painter transform from picture pixels to view pixels, for overlays
    // drawn in picture terms.
    QTransform pictureToView() const { return QTransform::fromScale(m_factor, m_factor); }

Q_SIGNALS:
    // The factor or the view size changed.
    void changed();

private:
    void update();

    int m_entry = kHundred;
    QSize m_picture{1, 1};
    QSize m_room{1, 1};
    double m_factor = 1.0;
};

// Smoothly down-sampled tiles of a picture at one factor, made only for the
// parts that are painted and kept until the factor or the picture changes.
class ScaledPictureCache {
public:
    static constexpr int kTile = 256;

    // source: the best picture at hand; its size may be a reduced decode of a
    // picture of naturalSize pixels (the tiles are then made from it).
    void setSource(const QImage &source, QSize naturalSize);
    void setFactor(double factor);
    // The tile at (tx, ty) in view pixels, made on first use.
    const QImage &tile(int tx, int ty);
    // The tiles covering a view rectangle, as (view position, image).
    template <typename F> void forEachTile(const QRect &viewRect, F &&f);
    int cachedTiles() const { return int(m_tiles.size()); }
    void clear() { m_tiles.clear(); }

private:
    QImage makeTile(int tx, int ty) const;

    QImage m_source;
    QSize m_natural;
    double m_factor = 1.0;
    QSize m_view;
    QHash<quint64, QImage> m_tiles;
};

template <typename F> void ScaledPictureCache::forEachTile(const QRect &viewRect, F &&f)
{
    const QRect r = viewRect.intersected(QRect(QPoint(0, 0), m_view));
    if (r.isEmpty())
        return;
    for (int ty = r.top() / kTile; ty <= r.bottom() / kTile; ++ty)
        for (int tx = r.left() / kTile; tx <= r.right() / kTile; ++tx)
            f(QPoint(tx * kTile, ty * kTile), tile(tx, ty));
}

} // namespace orv
