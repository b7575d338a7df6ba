#pragma once
// Behaviour of the graph window: the surface on which the frame corners are
// placed and read points are added, dragged, nudged and deleted. Events arrive
// in normalised picture coordinates (x 0..1 left to right, y 0..1 bottom to
// top); the widget only translates pixels and paints the model. A position p
// in picture pixels (pixel (i, j) spans [i, i+1) x [j, j+1), y downwards) is
// (p.x / W, 1 - p.y / H); a click on a pixel means the pixel's centre.

#include "model/reading.h"

#include <QObject>
#include <QSize>

namespace orv {

class Graph_Form : public QObject {
    Q_OBJECT
public:
    enum Button { LeftButton = 1, RightButton = 2, MiddleButton = 4 };
    enum Modifier { NoModifier = 0, Shift = 1, Ctrl = 2, Alt = 4 };
    // Virtual key codes.
    enum Key { KeyEscape = 27, KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40, KeyDelete = 46 };

    explicit Graph_Form(Reading &reading, QObject *parent = nullptr);

    Reading &reading() const { return r; }

    // The window's own status bar (the pointer readout).
    const QString &statusText() const { return m_status; }

    // --- Sizes ---------------------------------------------------------------
    // Marker and ring sizes in normalised units for a picture of w x h pixels.
    void setPictureSize(int widthPx, int heightPx);

    // --- Events ------------------------------------------------------------
    void mouseMove(float x, float y);
    void dragOver(float x, float y);
    void mouseUp(int button, float x, float y);
    void pickMouseDown(int id);
    void dfntMouseDown(int index);
    void dragDrop(float x, float y);
    // A drag released on a marker (kind 1 point, 2 corner dragged) drops
    // nowhere: the status bar says why.
    void dropRefused(int draggedKind);
    void keyDown(int key, int modifiers);
    void keyUp(int key, int modifiers);
    // Asked before the window closes; true when it may close (and the reading
    // has then been reset).
    bool queryUnload();
    void unload();

    static QString closeQuestion();
    static QString completionStatus();
    static QString pointLimitMessage();
    static QString deselectedStatus();
    static QString dropRefusedStatus(int draggedKind);

    // The corner a click or hover at (x, y) concerns.
    static Corner quadrantCorner(float x, float y);
    // Whether a normalised position lies on the picture.
    static bool onPicture(float x, float y);

Q_SIGNALS:
    void statusTextChanged(const QString &text);

private:
    void addPoint(float x, float y);
    void placeCorner(float x, float y);
    void deselect();
    void writeCornerBoxes(int corner, float x, float y);
    // Stores the selected point at (cx, cy), converted into Conv_X, Conv_Y.
    void rereadSelectedPoint(float cx, float cy);
    void setStatus(const QString &text);
    // Makes the point's row its table's current row, in view.
    void showInTable(int id);
    // A note in the main status bar about what a click did; the next click
    // or key puts back the text it replaced.
    void showNote(const QString &text);
    void endNote();

    Reading &r;
    QString m_status;
    QString m_note, m_beforeNote;
};

} // namespace orv
