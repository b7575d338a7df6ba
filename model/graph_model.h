#pragma once
// State of the graph window that the rest of the program reads and writes:
// whether it is loaded, its caption, the shared picture, the corner markers
// (Dfnt_Image 0..3), the point markers (Pick_Image 1..255), the two selection
// rings and the red frame lines. Positions are normalised picture coordinates
// (x 0..1 left to right, y 0..1 bottom to top); a marker's (left, top) is its
// upper-left corner, so top = y + height / 2 for a marker centred on y.

#include <QImage>
#include <QLineF>
#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace orv {

struct Marker {
    float left = 0;
    float top = 0;
    bool visible = false;
    QString toolTip;
};

struct Ring {
    float left = 0;
    float top = 0;
    bool visible = false;
};

class GraphModel : public QObject {
    Q_OBJECT
public:
    explicit GraphModel(QObject *parent = nullptr);

    bool loaded() const { return m_loaded; }
    void setLoaded(bool loaded);
    const QString &caption() const { return m_caption; }
    void setCaption(const QString &caption);

    // The decoded picture, shared (implicitly) with the zoom view. While a
    // large photo is still being decoded in full, a reduced decode stands in
    // for it: naturalSize() is then larger than picture().size(), and every
    // size and position is taken from naturalSize().
    const QImage &picture() const { return m_picture; }
    QSize naturalSize() const { return m_natural; }
    bool pictureReduced() const { return !m_picture.isNull() && m_picture.size() != m_natural; }
    void setPicture(const QImage &img);
    // A reduced decode of a picture of `natural` pixels.
    void setPicture(const QImage &reduced, QSize natural);
    // The full decode replaces the reduced one: nothing but the pixels
    // change (refused unless it has the natural size).
    bool refinePicture(const QImage &full);

    // Size of the picture area Graph_Picture in twips (written to and restored
    // from a reading file).
    float picAreaHeightTwips = 0, picAreaWidthTwips = 0;

    // Size of a marker and of a ring in normalised units; the widget sets them
    // from the picture's size on screen.
    float markerWidth = 0.01f, markerHeight = 0.01f;
    float ringWidth = 0.02f, ringHeight = 0.02f;

    // Pick_Image: element 0 is the template and never a point.
    const std::optional<Marker> &pick(int id) const { return m_pick[size_t(id)]; }
    bool hasPick(int id) const { return id > 0 && id < 256 && m_pick[size_t(id)].has_value(); }
    void loadPick(int id, const Marker &m);
    void unloadPick(int id);
    void setPickToolTip(int id, const QString &tip);
    void movePick(int id, float left, float top);
    int pickCount() const;

    const Marker &dfnt(int i) const { return m_dfnt[size_t(i)]; }
    void setDfnt(int i, const Marker &m);
    void setDfntVisible(int i, bool visible);

    // Sel_Shape rings a corner, Sel_Shape_pt a point.
    const Ring &selShape() const { return m_selShape; }
    const Ring &selShapePt() const { return m_selShapePt; }
    void setSelShape(const Ring &r);
    void setSelShapePt(const Ring &r);
    void hideRings();
    void hideSelShape();
    void hideSelShapePt();
    // Centres a ring on (x, y).
    Ring ringAt(float x, float y) const { return Ring{x - ringWidth / 2, y + ringHeight / 2, true}; }
    // Centres a ring on a marker's centre.
    Ring ringAround(const Marker &m) const { return ringAt(m.left + markerWidth / 2, m.top - markerHeight / 2); }

    const std::vector<QLineF> &frameLines() const { return m_frame; }
    // The outline through the corners LL, LU, RU, RL (x, y of each in that
    // order): a side only where both its ends have both coordinates.
    static std::vector<QLineF> outlineOf(const std::array<std::optional<float>, 8> &corners);
    void setFrameLines(std::vector<QLineF> lines);

    // The frame's coordinate grid drawn over the picture (a view preference:
    // it changes no reading and outlives a reset).
    bool gridVisible() const { return m_gridVisible; }
    void setGridVisible(bool on);

Q_SIGNALS:
    void loadedChanged(bool loaded);
    void captionChanged(const QString &caption);
    void pictureChanged();
    // Sharper pixels of the same picture.
    void pictureRefined();
    void pickChanged(int id);
    void dfntChanged(int index);
    void ringsChanged();
    void frameChanged();
    void gridVisibleChanged(bool on);

private:
    bool m_loaded = false;
    QString m_caption;
    QImage m_picture;
    QSize m_natural;
    std::array<std::optional<Marker>, 256> m_pick;
    std::array<Marker, 4> m_dfnt;
    Ring m_selShape, m_selShapePt;
    std::vector<QLineF> m_frame;
    bool m_gridVisible = false;
};

} // namespace orv
