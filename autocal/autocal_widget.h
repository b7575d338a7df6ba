#pragma once
// The window side of the automatic calibration: the progress window with its
// cancel button, the overlay over the graph window's picture (the frame
// found, each labelled tick with the value read, labels left out crossed)
// and the highlight of corner values the user should check.

#include "autocal/autocal_panel.h"

#include <QPointer>
#include <QWidget>

class QProgressDialog;

namespace orv {
class GraphWindowHost;
class GraphPictureArea;
}

namespace orv::autocal {

class AutoCalOverlay : public QWidget {
    Q_OBJECT
public:
    AutoCalOverlay(const AutoCalibrator &calibrator, GraphPictureArea *area);
    static QColor frameColour() { return QColor(0, 170, 60); }
    static QColor usedColour() { return QColor(0, 90, 230); }
    static QColor leftOutColour() { return QColor(230, 0, 0); }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    const AutoCalibrator &m_cal;
    GraphPictureArea *m_area;
};

class AutoCalibrateUi : public QObject {
    Q_OBJECT
public:
    // `window` holds the calibration panel's value boxes (by their names).
    AutoCalibrateUi(Reading &reading, GraphWindowHost *graphs, QWidget *window);
    ~AutoCalibrateUi() override;

    AutoCalibrator &calibrator() { return m_cal; }
    // The button "自動校正" and the menu entry.
    void run();
    AutoCalOverlay *overlay() const { return m_overlay; }
    QProgressDialog *progressDialog() const { return m_progress; }
    static QColor unsureColour() { return QColor(255, 225, 120); }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void attachOverlay();
    void detachOverlay();
    void showProgress(bool shown);
    void updateHighlight();

    Reading &r;
    AutoCalibrator m_cal;
    GraphWindowHost *m_graphs;
    QPointer<QWidget> m_window;
    QPointer<GraphPictureArea> m_area;
    QPointer<AutoCalOverlay> m_overlay;
    QProgressDialog *m_progress = nullptr;
};

} // namespace orv::autocal
