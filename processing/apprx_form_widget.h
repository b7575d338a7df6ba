#pragma once
// The approximation result window and the curve plot window (modal dialogs),
// views of ApprxForm and ApprxGraphForm.

#include "processing/apprx_form.h"

#include <QDialog>
#include <QPixmap>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
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
    QComboBox *m_lineWidth;
    QLabel *m_swatch;
};

// Picture1 of the plot window: the drawing made once, repainted as it stands.
class ApprxPlotPicture : public QWidget {
    Q_OBJECT
public:
    ApprxPlotPicture(const ApprxPlot &plot, QWidget *parent = nullptr);
    const QPixmap &drawing() const { return m_pixmap; }
    // Renders the plot into a picture of the given size.
    static QPixmap render(const ApprxPlot &plot, QSize size);
    static QPixmap markerIcon();

Q_SIGNALS:
    void pointerMoved(QPointF pos);
    void clicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QPixmap m_pixmap;
};

class ApprxGraphFormWidget : public QDialog {
    Q_OBJECT
public:
    ApprxGraphFormWidget(ApprxGraphForm &form, QWidget *parent = nullptr);
    ApprxPlotPicture *picture() const { return m_picture; }
    QStatusBar *statusBar() const { return m_status; }

private:
    ApprxGraphForm &m_form;
    ApprxPlotPicture *m_picture;
    QStatusBar *m_status;
};

} // namespace orv
