#pragma once
// The graph window's widgets: the picture area that paints the picture, the
// frame outline, the markers and the rings and turns pointer and key events
// into calls on Graph_Form; the window with its status bar; and the host that
// opens and closes the window in the main window's document area as the
// reading loads and unloads its graph.

#include "graphwin/graph_form.h"
#include "model/grid_lines.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>

class QLabel;
class QMdiArea;
class QScrollArea;
class QMdiSubWindow;

namespace orv {

class GraphPictureArea : public QWidget {
    Q_OBJECT
public:
    GraphPictureArea(Graph_Form &form, QWidget *parent = nullptr);

    // A position in the area's pixels as a normalised position (continuous:
    // pixel (i, j) spans [i, i+1) x [j, j+1)).
    QPointF toNormalised(QPointF px) const;
    // The normalised centre of the pixel under a pointer position: what a
    // click or a hover there means.
    QPointF pixelCentre(QPointF px) const;
    QPointF toPixels(float x, float y) const;
    // The marker (or corner marker) under a pixel position: {kind, index};
    // kind 0 none, 1 point, 2 corner.
    std::pair<int, int> markerAt(QPointF px) const;
    QRect pickRect(int id) const;
    QRect dfntRect(int index) const;

    static QImage markerIcon(QColor rim, QColor fill);
    // The frame's grid as the overlay shows it now: while a corner is being
    // dragged, with that corner under the pointer. Empty when the overlay is
    // off, the frame incomplete or not mappable.
    std::vector<GridLine> overlayGrid() const;
    // Draws grid lines (normalised coordinates) over a picture of `size` pixels.
    static void paintGrid(QPainter &p, const std::vector<GridLine> &lines, QSizeF size);
    static QColor gridColor() { return QColor(0, 150, 70, 128); }

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
    QRect markerRect(float left, float top) const;
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
    QImage m_pointIcon, m_cornerIcon;
    std::array<QRect, 256> m_pickPainted{};
    std::array<QRect, 4> m_dfntPainted{};
    QRect m_ringPainted[2];
    // Manual drag of a marker: kind 1 point, 2 corner.
    int m_dragKind = 0;
    int m_dragIndex = -1;
    QPoint m_dragPos;
    QPointF m_dragNow; // the pointer during a drag, in pixels
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

private:
    void placePicture();

    Graph_Form m_form;
    QScrollArea *m_scroll;
    GraphPictureArea *m_area;
    QLabel *m_status;
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
