#pragma once
// The approximation result window and the curve plot window (modal dialogs),
// views of ApprxForm and ApprxGraphForm.

#include "processing/apprx_form.h"

#include <QDialog>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QStatusBar;

namespace orv {

class ApprxFormWidget : public QDialog {
    Q_OBJECT
public:
    ApprxFormWidget(ApprxForm &form, QWidget *parent = nullptr);
    ApprxForm &form() const { return m_form; }

private:
    void refresh();
    void drawGraph();

    ApprxForm &m_form;
    QGroupBox *m_frame1;
    QLineEdit *m_apprxText, *m_r2Text, *m_xText, *m_yText;
    QLabel *m_dateNote;
    QComboBox *m_lineWidth;
    QLabel *m_swatch;
};

// Picture1 of the plot window: the plot drawn at the widget's own size on
// every paint, so the window can fit the screen and be resized with the
// value mapping following it (and no picture-sized pixmap is ever held).
class ApprxPlotPicture : public QWidget {
    Q_OBJECT
public:
    // `natural` is the size the plot would have at the graph window's picture size.
    ApprxPlotPicture(const ApprxPlot &plot, QSize natural, QWidget *parent = nullptr);
    // The plot as it is drawn now (without the point markers, which are children).
    QImage drawing() const;
    // Renders the plot into a picture of the given size.
    static QImage render(const ApprxPlot &plot, QSize size);
    static void paint(QPainter &p, const ApprxPlot &plot, QSize size);
    static QPixmap markerIcon();
    QSize sizeHint() const override { return m_hint; }

Q_SIGNALS:
    void pointerMoved(QPointF pos);
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    void placeMarkers();

    const ApprxPlot &m_plot;
    QSize m_hint;
    std::vector<QWidget *> m_markers; // parallel to m_plot.markers
};

class ApprxGraphFormWidget : public QDialog {
    Q_OBJECT
public:
    ApprxGraphFormWidget(ApprxGraphForm &form, QWidget *parent = nullptr);
    ApprxPlotPicture *picture() const { return m_picture; }
    QStatusBar *statusBar() const { return m_status; }

protected:
    void showEvent(QShowEvent *e) override;

private:
    ApprxGraphForm &m_form;
    ApprxPlotPicture *m_picture;
    QStatusBar *m_status;
};

} // namespace orv
