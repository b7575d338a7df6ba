#pragma once
// The automatic reading's drawing over the graph window's picture: the tint of
// matching pixels in view, the reading rectangle, the excluded rectangles and
// the candidate points as hollow rings.

#include "autoread/autoread_panel.h"

#include <QWidget>

namespace orv {
class GraphPictureArea;
}

namespace orv::autoread {

class AutoReadOverlay : public QWidget {
    Q_OBJECT
public:
    AutoReadOverlay(AutoReadPanel &panel, GraphPictureArea *area);
    // The rectangle being dragged (area pixels), empty when none.
    void setDragRect(const QRect &r, bool exclusion = false);
    // Tells the panel which part of the picture is in view, at what scale.
    void updateTintView();
    static QColor candidateColour() { return QColor(255, 0, 200); }
    static QColor mergedColour() { return QColor(255, 120, 0); }
    static QColor exclusionColour() { return QColor(220, 0, 0); }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QRectF pictureRect() const;

    AutoReadPanel &m_panel;
    GraphPictureArea *m_area;
    QRect m_drag;
    bool m_dragExclusion = false;
};

} // namespace orv::autoread
