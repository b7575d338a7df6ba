#include "mainwin/main_window.h"

#include "mainwin/artwork.h"
#include "mainwin/main_window_layout.h"
#include "mainwin/qt_desktop.h"
#include "mainwin/splash_widget.h"
#include "model/language.h"
#include "model/reading.h"
#include "model/utilities.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeySequence>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QStyle>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>
#include <utility>

namespace orv {

using namespace mainwin_layout;

// --- Zoom picture ------------------------------------------------------------

ZoomPictureWidget::ZoomPictureWidget(const ZoomView &zoom, QWidget *parent) : QWidget(parent), m_zoom(zoom)
{
    setObjectName(QStringLiteral("Zoom_Picture"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&zoom, &ZoomView::changed, this, qOverload<>(&QWidget::update));
}

void ZoomPictureWidget::paintZoom(QPainter &p, const QSize &size, const ZoomView &zoom)
{
    const double w = size.width(), h = size.height();
    p.fillRect(QRect(QPoint(0, 0), size), QColor(255, 255, 255));
    const QImage &pic = zoom.picture();
    if (zoom.imageVisible() && !pic.isNull()) {
        const QRectF ir = zoom.imageRectPx(QSizeF(w, h));
        const QRectF vis = ir.intersected(QRectF(0, 0, w, h));
        if (!vis.isEmpty() && ir.width() > 0 && ir.height() > 0) {
            const double sx = ir.width() / pic.width(), sy = ir.height() / pic.height();
            // Whole source pixels that cover the visible part, and no more.
            const int x0 = std::clamp(int(std::floor((vis.left() - ir.left()) / sx)), 0, pic.width());
            const int x1 = std::clamp(int(std::ceil((vis.right() - ir.left()) / sx)), 0, pic.width());
            const int y0 = std::clamp(int(std::floor((vis.top() - ir.top()) / sy)), 0, pic.height());
            const int y1 = std::clamp(int(std::ceil((vis.bottom() - ir.top()) / sy)), 0, pic.height());
            if (x1 > x0 && y1 > y0) {
                const QRectF dst(ir.left() + x0 * sx, ir.top() + y0 * sy, (x1 - x0) * sx, (y1 - y0) * sy);
                p.save();
                p.setClipRect(QRectF(0, 0, w, h));
                p.drawImage(dst, pic, QRectF(x0, y0, x1 - x0, y1 - y0));
                // A PDF page rendered at this magnification, over the magnified pixels.
                if (const auto *tile = zoom.sharpTile(); tile && QSizeF(w, h) == zoom.areaPx())
                    p.drawImage(tile->at, tile->image);
                p.restore();
            }
        }
    }
    auto at = [w, h](QPointF q) { return QPointF(q.x() * w, (1 - q.y()) * h); };
    p.setPen(QPen(QColor(0, 0, 255), 1));
    p.drawLine(at(zoom.line1().p1()), at(zoom.line1().p2()));
    p.drawLine(at(zoom.line2().p1()), at(zoom.line2().p2()));
    const ZoomRect &c = zoom.circle();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 0, 0), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(c.left * w, (1 - c.top) * h, c.width * w, c.height * h));
}

void ZoomPictureWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    paintZoom(p, size(), m_zoom);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// --- Main window -------------------------------------------------------------

MainWindow::MainWindow(Reading &reading, QWidget *parent) : QMainWindow(parent), m_r(reading), m_form(reading)
{
    setObjectName(QStringLiteral("Main_MDI_Form"));
    // Child windows take their icon from here (not the toolkit's default).
    setWindowIcon(programIcon());
    // Frames with their caption on the border line, as the design lays them
    // out: the positions inside a frame count from its outer edge.
    setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
                                 "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0px 2px; }"));
    if (auto *qt = dynamic_cast<QtDesktop *>(&m_r.port()))
        qt->setOwner(this);
    quitHandler = [] { QCoreApplication::exit(0); };

    buildMenus();
    buildToolbar();

    auto *central = new QWidget(this);
    auto *col = new QVBoxLayout(central);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    col->addWidget(buildTopBar());
    auto *row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(buildLeftPanel());
    m_mdi = new QMdiArea(central);
    // A picture larger than the area, or windows arranged past its edge, scroll.
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setBackground(QColor(171, 171, 171));
    m_mdi->viewport()->installEventFilter(this);
    row->addWidget(m_mdi, 1);
    col->addLayout(row, 1);
    setCentralWidget(central);
    addDropTarget(m_mdi->viewport());

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setMinimumWidth(1); // a long text must not widen the window
    statusBar()->addWidget(m_status, 1);
    statusBar()->setSizeGripEnabled(true);

    connect(&m_r, &Reading::mainCaptionChanged, this, &QWidget::setWindowTitle);
    connect(&m_r, &Reading::statusTextChanged, m_status, &QLabel::setText);
    connect(&m_r, &Reading::picLabelChanged, this, &MainWindow::updatePicLabel);
    connect(&m_r.history(), &History::changed, this, &MainWindow::updateHistoryActions);
    connect(&m_form, &Main_MDI_Form::layoutChanged, this, &MainWindow::applyLayout);
    connect(&m_form, &Main_MDI_Form::modeChanged, this, &MainWindow::updateMode);
    connect(&m_form, &Main_MDI_Form::versionRequested, this, &MainWindow::showVersion);
    connect(&m_form, &Main_MDI_Form::arrangeRequested, this, &MainWindow::arrangeWindows);
    connect(&m_form, &Main_MDI_Form::quitRequested, this, [this] {
        m_quitConfirmed = true;
        if (quitHandler)
            quitHandler();
    });

    // The window's load.
    m_form.MDIForm_Load();
    updateHistoryActions();
    setWindowTitle(m_r.mainCaption());
    m_status->setText(m_r.statusText());
    updateMode(m_r.panel.isDiagonal());
    resize(twipsToPx(Main_MDI_Form::kDesignWidthTwips), twipsToPx(Main_MDI_Form::kDesignHeightTwips));
    runResizeRules();
}

MainWindow::~MainWindow()
{
    m_dying = true; // the children's last events are not ours to handle
    // Child windows destroyed with this one may still change the reading;
    // nothing of this window may answer by then.
    for (QObject *sender : std::initializer_list<QObject *>{&m_r, &m_r.panel, &m_r.settings.keiretsu,
                                                            &m_r.settings.xFormat, &m_r.settings.yFormat,
                                                            &m_r.settings.zoom})
        QObject::disconnect(sender, nullptr, this, nullptr);
    delete centralWidget();
}

void MainWindow::buildMenus()
{
    QMenu *menu = nullptr;
    for (const auto &item : Main_MDI_Form::menuItems()) {
        if (item.level == 0) {
            menu = menuBar()->addMenu(item.caption);
            menu->setObjectName(item.name);
            menu->menuAction()->setObjectName(item.name);
            if (item.name == u"Edit_Mn")
                m_editMenu = menu;
            else if (item.name == u"Window_Mn")
                m_windowMenu = menu;
            continue;
        }
        if (item.caption == u"-") {
            menu->addSeparator()->setObjectName(item.name);
            continue;
        }
        QAction *a = menu->addAction(item.caption);
        a->setObjectName(item.name);
        if (item.name == u"Grid_Mn")
            followGridSwitch(a);
        const QString name = item.name;
        connect(a, &QAction::triggered, this, [this, name] { m_form.runCommand(name); });
    }
    buildLanguageMenu();
    connect(m_windowMenu, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);
    if (QAction *undo = findChild<QAction *>(QStringLiteral("Undo_Mn")))
        undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    if (QAction *redo = findChild<QAction *>(QStringLiteral("Redo_Mn")))
        redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
}

void MainWindow::buildLanguageMenu()
{
    auto *etc = findChild<QMenu *>(QStringLiteral("etc_Mn"));
    if (!etc)
        return;
    // Named in both languages, so that whoever cannot read the one finds it.
    QMenu *menu = new QMenu(QStringLiteral("言語 / Language"), etc);
    menu->setObjectName(QStringLiteral("Language_Mn"));
    etc->insertMenu(etc->actions().value(0), menu);
    etc->insertSeparator(etc->actions().value(1));
    auto *group = new QActionGroup(menu);
    const QString saved = savedLanguage(*programSettings());
    const struct {
        const char *name;
        QString text;
        QString code;
    } entries[] = {{"Language_Auto", QCoreApplication::translate("Main", "デスクトップに合わせる"), QString()},
                   {"Language_Ja", QStringLiteral("日本語"), QStringLiteral("ja")},
                   {"Language_En", QStringLiteral("English"), QStringLiteral("en")}};
    for (const auto &e : entries) {
        QAction *a = menu->addAction(e.text);
        a->setObjectName(QString::fromLatin1(e.name));
        a->setCheckable(true);
        a->setChecked(saved == e.code);
        group->addAction(a);
        const QString code = e.code;
        connect(a, &QAction::triggered, this, [code] { saveLanguage(*programSettings(), code); });
    }
    menu->addSeparator();
    // The windows are built in one language; the choice takes effect at the next start.
    QAction *note = menu->addAction(QCoreApplication::translate("Main", "次回の起動から切り替わります"));
    note->setObjectName(QStringLiteral("Language_Note"));
    note->setEnabled(false);
}

void MainWindow::updateHistoryActions()
{
    const History &h = m_r.history();
    const QString undoTip = h.canUndo() ? History::undoPrefix() + QStringLiteral(" - ") + h.undoText() : History::undoPrefix();
    const QString redoTip = h.canRedo() ? History::redoPrefix() + QStringLiteral(" - ") + h.redoText() : History::redoPrefix();
    for (QAction *a : findChildren<QAction *>()) {
        const QString n = a->objectName();
        if (n == u"Undo_Mn") {
            a->setText(m_form.undoCaption());
            a->setEnabled(h.canUndo());
        } else if (n == u"Redo_Mn") {
            a->setText(m_form.redoCaption());
            a->setEnabled(h.canRedo());
        } else if (n == u"Undo_Mn1") {
            a->setToolTip(undoTip);
            a->setEnabled(h.canUndo());
        } else if (n == u"Redo_Mn1") {
            a->setToolTip(redoTip);
            a->setEnabled(h.canRedo());
        }
    }
}

void MainWindow::fillWindowMenu()
{
    // The open child windows are listed under the menu's own entries.
    for (QAction *a : m_windowListActions)
        delete a;
    m_windowListActions.clear();
    const auto subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (subs.isEmpty())
        return;
    m_windowListActions << m_windowMenu->addSeparator();
    for (QMdiSubWindow *s : subs) {
        QAction *a = m_windowMenu->addAction(s->windowTitle());
        a->setCheckable(true);
        a->setChecked(s == m_mdi->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, s] { m_mdi->setActiveSubWindow(s); });
        m_windowListActions << a;
    }
}

void MainWindow::followGridSwitch(QAction *a)
{
    // A check box view of the model's switch: the click runs the command,
    // which flips the switch, and the check mark follows the switch.
    a->setCheckable(true);
    a->setChecked(m_r.graph.gridVisible());
    connect(&m_r.graph, &GraphModel::gridVisibleChanged, a, &QAction::setChecked);
}

void MainWindow::buildToolbar()
{
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 24));
    for (const auto &b : Main_MDI_Form::toolButtons()) {
        if (b.toolTip.isEmpty()) {
            m_toolbar->addSeparator()->setObjectName(b.key);
            continue;
        }
        QAction *a = m_toolbar->addAction(toolbarIcon(b.key), b.toolTip);
        a->setObjectName(b.key);
        a->setToolTip(b.toolTip);
        a->setData(b.key);
        if (b.key == u"Grid_Mn1")
            followGridSwitch(a);
        connect(a, &QAction::triggered, this, [this, key = b.key] { m_form.Toolbar1_ButtonClick(key); });
    }
    addDropTarget(m_toolbar);
}

void MainWindow::addDropTarget(QWidget *w)
{
    w->setAcceptDrops(true);
    w->installEventFilter(this);
    m_dropTargets << w;
}

bool MainWindow::eventFilter(QObject *watched, QEvent *e)
{
    if (m_dying)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (w && m_dropTargets.contains(w)) {
        if (e->type() == QEvent::DragEnter || e->type() == QEvent::DragMove) {
            auto *d = static_cast<QDragMoveEvent *>(e);
            if (d->mimeData() && d->mimeData()->hasUrls()) {
                d->acceptProposedAction();
                return true;
            }
        } else if (e->type() == QEvent::Drop) {
            auto *d = static_cast<QDropEvent *>(e);
            QStringList files;
            if (d->mimeData())
                for (const QUrl &u : d->mimeData()->urls())
                    if (u.isLocalFile())
                        files << u.toLocalFile();
            d->acceptProposedAction();
            // Opened after the drop has finished: a message box inside the
            // drop would hold the source application's drag.
            QTimer::singleShot(0, this, [this, files] { m_r.dropFiles(files); });
            return true;
        }
    }
    if (m_mdi && watched == m_mdi->viewport() && e->type() == QEvent::ChildAdded) {
        // A new child window: placed once its host has built and sized it
        // (it is still being constructed now).
        if (m_unplaced.isEmpty())
            QTimer::singleShot(0, this, &MainWindow::placeNewWindows);
        m_unplaced << static_cast<QChildEvent *>(e)->child();
    }
    if (m_mdi && w == m_mdi->viewport() && e->type() == QEvent::MouseButtonDblClick) {
        QTimer::singleShot(0, this, [this] { m_form.MDIForm_DblClick(); });
        return true;
    }
    if (e->type() == QEvent::FocusIn) {
        for (QLineEdit *v : m_val)
            if (v == watched) // typing replaces the whole value
                QTimer::singleShot(0, v, &QLineEdit::selectAll);
    }
    return QMainWindow::eventFilter(watched, e);
}

void MainWindow::updatePicLabel()
{
    m_picLabel->setText(m_r.picLabel());
    m_picLabel->setToolTip(m_r.picLabel().isEmpty() ? QString() : m_r.picLabelToolTip());
}

void MainWindow::runResizeRules()
{
    using WS = Main_MDI_Form::WindowState;
    const WS state = isMinimized() ? WS::Minimized : (isMaximized() || isFullScreen()) ? WS::Maximized : WS::Normal;
    const auto l = m_form.MDIForm_Resize(state, int(pxToTwips(height())), int(pxToTwips(width())));
    if (l.sizeRaised) {
        const int wpx = int(std::ceil(l.widthTwips / kTwipsPerPixel));
        const int hpx = int(std::ceil(l.heightTwips / kTwipsPerPixel));
        resize(std::max(width(), wpx), std::max(height(), hpx));
    }
}

void MainWindow::applyLayout()
{
    const auto &l = m_form.layout();
    m_windwFrame->setGeometry(tw(30, 6360, 3465, l.windwFrameHeight));
    m_zoomPicture->setGeometry(tw(90, 540, 3255, l.zoomPictureHeight));
    m_openFrame->setGeometry(tw(30, 30, l.openFrameWidth, 585));
    m_picLabel->setGeometry(tw(900, 240, l.picLabelWidth, 270));
    m_clipPaste->setGeometry(tw(l.clipPasteLeft, 195, 1875, 345));
}

void MainWindow::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    runResizeRules();
}

void MainWindow::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        runResizeRules();
}

void MainWindow::closeEvent(QCloseEvent *e)
{
    // Unsaved changes are asked about first; Cancel (or a save that did not
    // happen) keeps the program running.
    if (!m_quitConfirmed && !m_r.confirmDiscardChanges(false)) {
        e->ignore();
        return;
    }
    // The close box: child windows close without their questions, then the
    // program ends.
    // The graph window's unload clears the flag again, so it is set anew
    // before each child closes: every question is skipped, as when all
    // children are asked before any of them unloads.
    m_form.QueryUnload();
    QList<QPointer<QMdiSubWindow>> subs;
    for (QMdiSubWindow *s : m_mdi->subWindowList())
        subs << s;
    for (const QPointer<QMdiSubWindow> &s : subs) {
        if (!s)
            continue;
        m_form.QueryUnload();
        s->close();
    }
    m_form.QueryUnload();
    e->accept();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void MainWindow::showVersion()
{
    SplashWidget box(this);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

QMdiSubWindow *MainWindow::graphWindow() const
{
    QMdiSubWindow *graph = nullptr;
    for (QMdiSubWindow *s : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (s->isVisible() &&
            (s->objectName() == u"Graph_Form" || (s->widget() && s->widget()->objectName() == u"Graph_Form")))
            graph = s;
    return graph;
}

QRect MainWindow::tablePlace(const QRect &area, const QRect &graph, const QList<QRect> &others, QSize size,
                             QSize minSize)
{
    const int left = graph.isValid() ? graph.right() + 1 : 0;
    const int minW = std::max(1, minSize.width()), minH = std::max(1, minSize.height());
    QRect r;
    if (area.right() + 1 - left >= minW) {
        // The free column: as wide as the window wants, at most the column.
        r.setRect(left, 0, std::clamp(size.width(), minW, area.right() + 1 - left), size.height());
    } else {
        // No room beside the picture: at the area's right edge, over it.
        r.setRect(std::max(0, area.right() + 1 - size.width()), 0, std::max(size.width(), minW), size.height());
    }
    // Below the windows already in that column, as the arrange command
    // stacks them; shortened to fit, never below its minimum.
    int top = 0;
    for (const QRect &o : others)
        if (o.isValid() && o.left() <= r.right() && o.right() >= r.left() && (!graph.isValid() || o != graph))
            top = std::max(top, o.bottom() + 1);
    const int room = area.bottom() + 1 - top;
    if (room >= minH) {
        r.moveTop(top);
        r.setHeight(std::clamp(size.height(), minH, room));
    } else {
        // The column is full: the lowest place where the whole window shows.
        r.setHeight(std::max(minH, std::min(size.height(), area.height())));
        r.moveTop(std::max(0, area.bottom() + 1 - r.height()));
    }
    return r;
}

void MainWindow::placeNewWindows()
{
    const QList<QPointer<QObject>> added = std::exchange(m_unplaced, {});
    if (m_dying || !m_mdi)
        return;
    QMdiSubWindow *graph = graphWindow();
    QList<QMdiSubWindow *> pending;
    for (const QPointer<QObject> &o : added)
        if (auto *s = qobject_cast<QMdiSubWindow *>(o.data()); s && s != graph)
            pending << s;
    for (qsizetype i = 0; i < pending.size(); ++i) {
        QMdiSubWindow *s = pending[i];
        if (!s->isVisible() || s->isMinimized() || s->isMaximized())
            continue;
        QList<QRect> others;
        for (QMdiSubWindow *o : m_mdi->subWindowList())
            if (o != s && o != graph && o->isVisible() && !o->isMinimized() && !pending.mid(i + 1).contains(o))
                others << o->geometry();
        s->setGeometry(tablePlace(m_mdi->viewport()->rect(), graph ? graph->geometry() : QRect(), others, s->size(),
                                  s->minimumSize()));
    }
}

void MainWindow::arrangeWindows()
{
    const auto subs = m_mdi->subWindowList(QMdiArea::CreationOrder);
    QMdiSubWindow *graph = graphWindow();
    if (graph)
        m_mdi->setActiveSubWindow(graph);
    QList<QMdiSubWindow *> tiles;
    if (graph && graph->isVisible())
        tiles << graph;
    for (QMdiSubWindow *s : subs)
        if (s != graph && s->isVisible() && !s->isMinimized())
            tiles << s;
    if (tiles.isEmpty())
        return;
    // Side by side over the whole height: equal columns, except that no
    // window becomes narrower than it can be (the graph window keeps its
    // picture whole). When the columns do not fit, the windows after the
    // first share one column, stacked, so that every window stays in view.
    const QRect area = m_mdi->viewport()->rect();
    const int n = int(tiles.size());
    for (QMdiSubWindow *s : tiles)
        if (s->isMaximized())
            s->showNormal();
    int needed = 0;
    for (int i = 0; i < n; ++i)
        needed += std::max(area.width() / n, tiles[i]->minimumWidth());
    if (needed <= area.width() || n < 3) {
        int x = 0, left = area.width();
        for (int i = 0; i < n; ++i) {
            QMdiSubWindow *s = tiles[i];
            const int w = std::max(std::max(0, left) / (n - i), s->minimumWidth());
            s->setGeometry(x, 0, w, std::max(area.height(), s->minimumHeight()));
            x += w;
            left -= w;
        }
        return;
    }
    QMdiSubWindow *first = tiles[0];
    int restMin = 0;
    for (int i = 1; i < n; ++i)
        restMin = std::max(restMin, tiles[i]->minimumWidth());
    const int firstW = std::max(first->minimumWidth(), area.width() - std::max(restMin, area.width() / n));
    first->setGeometry(0, 0, firstW, std::max(area.height(), first->minimumHeight()));
    const int restW = std::max(restMin, area.width() - firstW);
    for (int i = 1; i < n; ++i) {
        const int y0 = area.height() * (i - 1) / (n - 1), y1 = area.height() * i / (n - 1);
        tiles[i]->setGeometry(firstW, y0, restW, std::max(y1 - y0, tiles[i]->minimumHeight()));
    }
}

} // namespace orv
