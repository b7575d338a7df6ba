#pragma once
// The "自動読取" tool window. The eyedropper, the reading rectangle and the
// excluded rectangles take their clicks from the picture while their buttons
// are down; the overlay draws on the picture.

#include "autoread/autoread_overlay.h"
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
    QCheckBox *autoToleranceBox() const { return m_auto; }
    QLabel *toleranceLabel() const { return m_sliderValue; }
    QLabel *pickLabel() const { return m_pickNote; }
    QToolButton *excludeButton() const { return m_exclude; }
    QPushButton *clearExclusionsButton() const { return m_clearExclude; }
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
    QLabel *statusLabel() const { return m_status; }
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
    void updateTolerance();
    void updatePickNote();
    void setMessage(const QString &text);
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
    QCheckBox *m_auto;
    QLabel *m_pickNote;
    QToolButton *m_exclude;
    QPushButton *m_clearExclude;
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
    QLabel *m_status;
};

// Opens the panel (one at a time) beside the graph window and the series
// tables, off the frame's corners, or shows why it cannot (no picture,
// incomplete frame) and opens nothing.
AutoReadWidget *openAutoReadPanel(Reading &reading, GraphWindowHost *graphs, QWidget *parent);

} // namespace orv::autoread
