#pragma once
// The main window widget: a view of Main_MDI_Form and the reading. It builds
// the menus, the toolbar, the status bar, the picture-loading bar, the left
// panel (calibration panel, readout settings, zoom view) and hosts the child
// windows in its QMdiArea.

#include "mainwin/main_mdi_form.h"

#include <QMainWindow>
#include <QPointer>
#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class QPushButton;
class QRadioButton;
class QTabBar;
class QToolBar;

namespace orv {

class Reading;

// Zoom_Picture: paints the visible part of the magnified picture, the
// cross-hair and the circle.
class ZoomPictureWidget : public QWidget {
    Q_OBJECT
public:
    ZoomPictureWidget(const ZoomView &zoom, QWidget *parent = nullptr);
    // Paints an area of `size` pixels; only the part of the picture that lies
    // inside the area is read and scaled.
    static void paintZoom(QPainter &p, const QSize &size, const ZoomView &zoom);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    const ZoomView &m_zoom;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Reading &reading, QWidget *parent = nullptr);
    ~MainWindow() override;

    Main_MDI_Form &form() { return m_form; }
    QMdiArea *mdiArea() const { return m_mdi; }
    QMenu *editMenu() const { return m_editMenu; }
    QToolBar *toolbar() const { return m_toolbar; }
    // The widgets that take dropped files, by control name.
    QList<QWidget *> dropTargets() const { return m_dropTargets; }

    // Activates the graph window, then tiles the child windows side by side.
    void arrangeWindows();
    // Where a new table window of `size` (at least `minSize`) goes in a
    // document area of `area`: see placeBesideChart (window_place.h).
    static QRect tablePlace(const QRect &area, const QRect &graph, const QList<QRect> &others, QSize size,
                            QSize minSize, const QList<QRect> &keepClear = {});
    // --- Room beside the chart (document area viewport coordinates; map them
    // with mdiArea()->viewport()->mapToGlobal for a window of its own) ------
    // The width kept free right of the graph window: the widest open table,
    // at least a table window's narrowest.
    int tableColumnWidth() const;
    // The part of the document area the graph window may take when it fits
    // its picture: all but the table column, while the graph window's
    // narrowest leaves room for it.
    QRect chartRoom() const;
    // The free column right of the graph window (the whole area without one;
    // empty when the graph window leaves no room).
    QRect freeColumn() const;
    // Where a window of `size` (at least `minSize`) goes by the tables' rule:
    // in the free column below the windows already there, and over the
    // picture only when there is no column, never over the frame's corners.
    // `ignore` (the window being placed) does not count as one already there.
    QRect besideChart(QSize size, QSize minSize, const QWidget *ignore = nullptr) const;
    // The places beside-chart windows keep clear: the frame's corners (or
    // where corners not placed yet are likely), in viewport coordinates.
    QList<QRect> frameCornerZones() const;
    // Called by the quit command; by default it ends the event loop at once.
    std::function<void()> quitHandler;

protected:
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void buildMenus();
    void buildLanguageMenu();
    void buildToolbar();
    QWidget *buildTopBar();
    QWidget *buildLeftPanel();
    QGroupBox *buildCalibPanel(QWidget *parent);
    QGroupBox *buildReadout(QWidget *parent);
    QGroupBox *buildZoomFrame(QWidget *parent);
    QGroupBox *cornerGroup(QWidget *parent, const char *name, const QString &title, Corner corner, bool withValues);
    void addDropTarget(QWidget *w);
    void applyLayout();
    void updateMode(bool diagonal);
    void followGridSwitch(QAction *a);
    void updatePosBox(CalibPanel::PosBox b);
    void updateValBox(CalibPanel::ValBox b);
    void updateHighlight(CalibPanel::PosBox b);
    void updateAxisOptions();
    void updatePicLabel();
    void updateHistoryActions();
    void fillWindowMenu();
    void showVersion();
    void runResizeRules();
    void placeNewWindows();
    QMdiSubWindow *graphWindow() const;

    Reading &m_r;
    Main_MDI_Form m_form;
    QMdiArea *m_mdi = nullptr;
    QMenu *m_editMenu = nullptr;
    QMenu *m_windowMenu = nullptr;
    QToolBar *m_toolbar = nullptr;
    QLabel *m_status = nullptr;
    QGroupBox *m_openFrame = nullptr;
    QLabel *m_picLabel = nullptr;
    QPushButton *m_clipPaste = nullptr;
    QGroupBox *m_windwFrame = nullptr;
    ZoomPictureWidget *m_zoomPicture = nullptr;
    QTabBar *m_tabs = nullptr;
    QLabel *m_hint = nullptr;
    QGroupBox *m_luFrame = nullptr, *m_rlFrame = nullptr;
    std::array<QLineEdit *, CalibPanel::PosBoxCount> m_pos{};
    std::array<QLineEdit *, CalibPanel::ValBoxCount> m_val{};
    QRadioButton *m_xLnr = nullptr, *m_xLog = nullptr, *m_yLnr = nullptr, *m_yLog = nullptr;
    QRadioButton *m_xDate = nullptr, *m_yDate = nullptr;
    QList<QWidget *> m_dropTargets;
    QList<QAction *> m_windowListActions;
    QList<QPointer<QObject>> m_unplaced; // child windows added, not yet placed
    bool m_dying = false;
    bool m_quitConfirmed = false; // 終了 already asked about unsaved changes
};

} // namespace orv
