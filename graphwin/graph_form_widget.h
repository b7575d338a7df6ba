#pragma once
// The graph window's widgets: the picture area that paints the picture, the
// frame outline, the markers and the rings and turns pointer and key events
// into calls on Graph_Form; the window with its status bar; and the host that
// opens and closes the window in the main window's document area as the
// reading loads and unloads its graph.

#include "graphwin/graph_form.h"
#include "graphwin/view_scale.h"
#include "model/grid_lines.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QMdiArea;
class QScrollArea;
class QMdiSubWindow;

namespace orv {

class GraphPictureArea : public QWidget {
    Q_OBJECT
public:
    GraphPictureArea(Graph_Form &form, ViewScale &scale, QWidget *parent = nullptr);

    // The normalised centre of the picture pixel under a pointer position:
    // what a click or a hover there means, at every view scale.
    QPointF pixelCentre(QPointF px) const { return m_scale.clickPosition(px); }
    // A normalised position in the area's pixels (at the view scale).
    QPointF toPixels(float x, float y) const { return m_scale.normalisedToView(x, y); }
    // The marker (or corner marker) under a pixel position: {kind, index};
    // kind 0 none, 1 point, 2 corner.
    std::pair<int, int> markerAt(QPointF px) const;
    QRect pickRect(int id) const;
    QRect dfntRect(int index) const;

    static QImage markerIcon(QColor rim, QColor fill);
    // Tiles of the picture made for the current scale (below 100 %).
    int cachedTiles() const { return m_tiles.cachedTiles(); }
    // The scale or the picture changed: every marker has new pixels.
    void viewChanged();

    // The frame's grid as the overlay shows it now: while a corner is being
    // dragged, with that corner under the pointer. Empty when the overlay is
    // off, the frame incomplete or not mappable.
    std::vector<GridLine> overlayGrid() const;
    // While a corner is dragged over a place where it may be dropped: that
    // place (normalised). The corner's marker, its ring, the outline and the
    // grid are drawn there until the release.
    std::optional<QPointF> draggedCorner() const;
    // The frame outline as drawn now (with a dragged corner in its place).
    std::vector<QLineF> outlineLines() const;
    // Draws grid lines (normalised coordinates) over a picture of `size` pixels.
    static void paintGrid(QPainter &p, const std::vector<GridLine> &lines, QSizeF size);
    static QColor gridColor() { return QColor(0, 150, 70, 128); }

Q_SIGNALS:
    // Ctrl+0, Ctrl+plus, Ctrl+minus: 0 whole picture, +1 larger, -1 smaller.
    void scaleKey(int step);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    bool event(QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    // The 9-pixel marker centred on the screen pixel that holds the marker's
    // centre (its left, top plus half its size).
    QRect markerRect(float left, float top) const;
    // Whether a drag released at a pixel position drops there.
    bool dropsAt(QPointF p) const;
    // The view pixel that holds a normalised position.
    QPoint viewPixel(double x, double y) const;
    void paintPicture(QPainter &p, const QRect &clip);
    static int scaleKeyStep(const QKeyEvent *e);
    // The outer edge of a ring's 2-pixel line, in pixels.
    QRectF ringOutline(const Ring &ring) const;
    QRect ringRect(const Ring &ring) const;
    void updatePick(int id);
    void updateDfnt(int index);
    void updateRings();
    static int virtualKey(int qtKey);
    static int modifierBits(Qt::KeyboardModifiers m);

    Graph_Form &m_form;
    Reading &r;
    ViewScale &m_scale;
    ScaledPictureCache m_tiles;
    QImage m_pointIcon, m_cornerIcon;
    std::array<QRect, 256> m_pickPainted{};
    std::array<QRect, 4> m_dfntPainted{};
    QRect m_ringPainted[2];
    // Manual drag of a marker: kind 1 point, 2 corner.
    int m_dragKind = 0;
    int m_dragIndex = -1;
    QPoint m_dragPos;
    QPointF m_dragNow; // the pointer during a drag, in pixels
    // The pointer has left the pressed pixel over a place a release drops on.
    bool m_dragMoved = false, m_dropAllowed = false;
    QRect m_outline;
};

class GraphFormWidget : public QWidget {
    Q_OBJECT
public:
    GraphFormWidget(Reading &reading, QWidget *parent = nullptr);
    Graph_Form &form() { return m_form; }
    GraphPictureArea *pictureArea() const { return m_area; }
    QLabel *statusLabel() const { return m_status; }
    QScrollArea *scrollArea() const { return m_scroll; }
    QComboBox *scaleCombo() const { return m_scaleBox; }
    ViewScale &viewScale() { return m_scale; }
    // The room the window gives the picture when its whole inside is
    // `client`: a picture that fits opens at 100 %, a larger one whole.
    void chooseOpeningScale(QSize client);
    // Changes the scale keeping the picture point under viewport position
    // `anchor` (a point of the scroll area's viewport) where it is.
    void setScaleEntry(int entry, QPointF anchor);
    void stepScale(int step, QPointF anchor);
    // The whole picture, a small margin and the readout.
    QSize sizeHint() const override;
    // As wide as the readout needs.
    QSize minimumSizeHint() const override;
    // Sizes the picture area to the picture.
    void pictureChanged();
    // Width the status bar needs for the widest readout.
    int readoutWidth() const;

protected:
    void resizeEvent(QResizeEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void placePicture();
    void applyScale();

    Graph_Form m_form;
    ViewScale m_scale;
    QScrollArea *m_scroll;
    GraphPictureArea *m_area;
    QLabel *m_status;
    QComboBox *m_scaleBox;
};

// Opens the graph window in the document area when the reading shows a
// picture and closes it when the reading unloads its graph; the close box asks
// the closing question first.
class GraphWindowHost : public QObject {
    Q_OBJECT
public:
    GraphWindowHost(Reading &reading, QMdiArea *area, QObject *parent = nullptr);
    GraphFormWidget *widget() const { return m_widget; }
    QMdiSubWindow *subWindow() const { return m_sub; }
    // The part of the document area's viewport the window may take when it
    // fits a picture (the main window keeps a column free for the tables);
    // unset, the whole viewport.
    std::function<QRect()> chartRoom;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void open();
    void close();
    void fitToPicture();

    Reading &r;
    QMdiArea *m_area;
    QPointer<QMdiSubWindow> m_sub;
    QPointer<GraphFormWidget> m_widget;
    bool m_closing = false;
};

} // namespace orv
