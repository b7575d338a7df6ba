#pragma once
// The "自動読取" tool window and its overlay on the graph window's picture:
// the tint of matching pixels, the candidate points as hollow markers and the
// reading rectangle; the eyedropper and the rectangle take their clicks from
// the picture while their buttons are down.

#include "autoread/autoread_panel.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QToolButton;

namespace orv {
class GraphWindowHost;
class GraphPictureArea;
}

namespace orv::autoread {

class AutoReadOverlay : public QWidget {
    Q_OBJECT
public:
    AutoReadOverlay(AutoReadPanel &panel, GraphPictureArea *area);
    // The rectangle being dragged (area pixels), empty when none.
    void setDragRect(const QRect &r);
    static QColor candidateColour() { return QColor(255, 0, 200); }
    static QColor mergedColour() { return QColor(255, 120, 0); }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    AutoReadPanel &m_panel;
    GraphPictureArea *m_area;
    QRect m_drag;
};

class AutoReadWidget : public QWidget {
    Q_OBJECT
public:
    AutoReadWidget(Reading &reading, GraphWindowHost *graphs, QWidget *parent = nullptr);
    ~AutoReadWidget() override;
    AutoReadPanel &panel() { return m_panel; }

    QToolButton *eyedropperButton() const { return m_eyedropper; }
    const std::vector<QToolButton *> &swatchButtons() const { return m_swatchButtons; }
    QLabel *colourChip() const { return m_chip; }
    QSlider *toleranceSlider() const { return m_slider; }
    QSpinBox *marginBox() const { return m_margin; }
    QToolButton *rangeButton() const { return m_range; }
    QComboBox *methodBox() const { return m_method; }
    QLineEdit *fromEdit() const { return m_from; }
    QLineEdit *toEdit() const { return m_to; }
    QRadioButton *stepRadio() const { return m_useStep; }
    QLineEdit *stepEdit() const { return m_step; }
    QSpinBox *pointsBox() const { return m_points; }
    QCheckBox *splitBox() const { return m_split; }
    QPushButton *readButton() const { return m_read; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *cancelButton() const { return m_cancel; }
    QProgressBar *progressBar() const { return m_progress; }
    QLabel *countLabel() const { return m_count; }
    AutoReadOverlay *overlay() const { return m_overlay; }

    static QString title() { return QCoreApplication::translate("AutoRead", "自動読取"); }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void attachOverlay();
    void detachOverlay();
    void updateSwatches();
    void updateColourChip();
    void updateMethod();
    void updateCount();
    bool applyOptions();

    AutoReadPanel m_panel;
    GraphWindowHost *m_graphs;
    QPointer<GraphPictureArea> m_area;
    QPointer<AutoReadOverlay> m_overlay;
    QPoint m_dragStart;
    bool m_dragging = false;
    bool m_swallowRelease = false;

    QToolButton *m_eyedropper;
    std::vector<QToolButton *> m_swatchButtons;
    QLabel *m_chip;
    QSlider *m_slider;
    QLabel *m_sliderValue;
    QSpinBox *m_margin;
    QToolButton *m_range;
    QPushButton *m_clearRange;
    QComboBox *m_method;
    QWidget *m_stepBox;
    QWidget *m_markerBox;
    QLineEdit *m_from, *m_to, *m_step, *m_minArea, *m_maxArea;
    QRadioButton *m_useStep, *m_usePoints;
    QSpinBox *m_points;
    QCheckBox *m_split;
    QPushButton *m_read, *m_add, *m_cancel;
    QProgressBar *m_progress;
    QLabel *m_count;
};

// Opens the panel (one at a time) beside the graph window, or shows why it
// cannot (no picture, incomplete frame) and opens nothing.
AutoReadWidget *openAutoReadPanel(Reading &reading, GraphWindowHost *graphs, QWidget *parent);

} // namespace orv::autoread
