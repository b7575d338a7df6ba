// End-to-end checks of the assembled program in a real window on an X
// display: pictures are opened, corners and points are clicked, values typed,
// readings saved, reopened and processed the way a user does it, and the
// numbers that come out are compared with what the chart's known geometry says
// they must be.

#include "app/assembly.h"
#include "graphwin/graph_form_widget.h"
#include "gui_driver.h"
#include "mainwin/main_window.h"
#include "mainwin/qt_desktop.h"
#include "model/reading.h"
#include "table/grid_form_widget.h"
#include "tools/sample_chart.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTransform>
#include <QTranslator>
#include <QUrl>
#include <QWindow>
#include <cmath>
#include <memory>

using namespace orv;
using namespace orv::e2e;

namespace {

const QString kFrameDoneStatus = QStringLiteral("読み出し値を追加する系列を選択し、グラフ画像上でポイントをクリックして下さい。");
const QString kOpenTitle = QStringLiteral("状態設定ファイル、画像ファイルを開く");
const QString kSaveTitle = QStringLiteral("保存先を入力");
const QString kCsvTitle = QStringLiteral("CSVファイル保存");
const QString kSaved = QStringLiteral("保存しました。");

// The program as it starts: a reading, the real desktop port and the
// assembled main window, shown on the display and active.
struct App {
    QtDesktop desk;
    std::unique_ptr<Reading> r;
    AssembledWindow w;

    App()
    {
        r = std::make_unique<Reading>(&desk);
        r->programFolder = QStringLiteral(ORV_SOURCE_DIR);
        w = assembleMainWindow(*r);
        desk.setOwner(w.main.get());
        // A user on this screen makes the window large enough for the chart
        // and two tables.
        w.main->setGeometry(10, 10, 1560, 1120);
        fitToScreen(*w.main);
        w.main->show();
        w.main->activateWindow();
    }
    ~App()
    {
        // The screen as it stood when a check failed, before the windows go.
        if (QTest::currentTestFailed())
            screenshot(QStringLiteral("failure-%1").arg(QString::fromLatin1(QTest::currentTestFunction())));
        w.main.reset();
        r.reset();
    }
    MainWindow &main() const { return *w.main; }
    template <class T> T *find(const QString &name) const { return w.main->findChild<T *>(name); }
    QLineEdit *box(const char *name) const { return find<QLineEdit>(QString::fromLatin1(name)); }
    GraphPictureArea *area() const
    {
        return w.graphs && w.graphs->widget() ? w.graphs->widget()->pictureArea() : nullptr;
    }
    GridFormWidget *table(int s) const { return w.grids->widget(s); }
};

QString cell(GridFormWidget *t, int row, int col) // row and col from 0, col 0 = ID
{
    return t->grid()->model()->index(row, col).data().toString();
}

int rows(GridFormWidget *t) { return t->grid()->model()->rowCount(); }

using Table = QList<QStringList>; // rows of ID, X, Y, Z
Table tableText(GridFormWidget *t)
{
    Table out;
    for (int r = 0; r < rows(t); ++r)
        out << QStringList{cell(t, r, 0), cell(t, r, 1), cell(t, r, 2), cell(t, r, 3)};
    return out;
}

// Decimals a shown number carries ("5.2083" 4, "1.0417e+1" 4 in the mantissa).
int shownDecimals(const QString &text)
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot < 0)
        return 0;
    qsizetype end = text.indexOf(u'e', dot);
    if (end < 0)
        end = text.size();
    return int(end - dot - 1);
}

// True when `text` shows `expected` to its own precision: within half a unit
// of its last digit, plus what single-precision positions can move it.
bool showsValue(const QString &text, double expected, double slack, QString *why)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok) {
        *why = QStringLiteral("'%1' is not a number").arg(text);
        return false;
    }
    double unit = std::pow(10.0, -shownDecimals(text));
    if (text.contains(u'e'))
        unit *= std::pow(10.0, std::floor(std::log10(std::max(1e-300, std::abs(v)))));
    const double tol = unit / 2 + slack;
    if (std::abs(v - expected) > tol) {
        *why = QStringLiteral("'%1' but expected %2 (tolerance %3)").arg(text).arg(expected, 0, 'g', 10).arg(tol);
        return false;
    }
    // Five significant digits or so for values between 1 and 1000.
    if (expected >= 1 && expected < 1000 && shownDecimals(text) < 2) {
        *why = QStringLiteral("'%1' shows too few digits").arg(text);
        return false;
    }
    return true;
}

// Normalised picture coordinates of the centre of pixel `px` on a picture of
// w x h: what a click on that pixel stores.
QPointF normalised(QPoint px, QSize size)
{
    return {double(float((px.x() + 0.5) / size.width())), double(float(1.0 - (px.y() + 0.5) / size.height()))};
}

// Inverse of the bilinear map of the unit square onto the quadrilateral
// LL, LU, RU, RL (Newton's method): the fractions (u, v) of a point.
QPointF bilinearInverse(const std::array<QPointF, 4> &c, QPointF p)
{
    const QPointF ll = c[0], lu = c[1], ru = c[2], rl = c[3];
    double u = 0.5, v = 0.5;
    for (int i = 0; i < 50; ++i) {
        const QPointF f = (1 - u) * (1 - v) * ll + (1 - u) * v * lu + u * v * ru + u * (1 - v) * rl - p;
        const QPointF du = -(1 - v) * ll - v * lu + v * ru + (1 - v) * rl;
        const QPointF dv = -(1 - u) * ll + (1 - u) * lu + u * ru - u * rl;
        const double det = du.x() * dv.y() - du.y() * dv.x();
        u -= (f.x() * dv.y() - f.y() * dv.x()) / det;
        v -= (du.x() * f.y() - du.y() * f.x()) / det;
    }
    return {u, v};
}

QPoint rounded(QPointF p) { return {int(std::lround(p.x())), int(std::lround(p.y()))}; }

// Chart pixel of a graph value on the chart rendered at `angle` degrees.
QPointF chartPixel(double x, double y, double angle)
{
    QTransform t;
    t.translate(sample::kWidth / 2.0, sample::kHeight / 2.0);
    t.rotate(angle);
    t.translate(-sample::kWidth / 2.0, -sample::kHeight / 2.0);
    return t.map(sample::toPixel(x, y));
}

bool sendDrop(QWidget *target, const QString &path)
{
    QMimeData md;
    md.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

int countColour(const QImage &img, QColor c, int tol)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor p = img.pixelColor(x, y);
            n += std::abs(p.red() - c.red()) <= tol && std::abs(p.green() - c.green()) <= tol &&
                 std::abs(p.blue() - c.blue()) <= tol;
        }
    return n;
}

} // namespace

class E2ETest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    ModalDriver *m_drv = nullptr;
    QTranslator m_qtbase;

    // A click makes a window the active one under a window manager; this
    // display has none, so the window is activated as the manager would.
    static bool activate(QWidget *w)
    {
        QWidget *top = w->window();
        if (!top->isActiveWindow())
            top->activateWindow();
        return QTest::qWaitFor([top] { return top->isActiveWindow(); }, 3000);
    }

    // Types into a box of the main window as a user does: click, then keys.
    // The value boxes select their text on focus, so typing replaces it.
    bool typeInto(QLineEdit *e, const QString &text)
    {
        if (!e || !activate(e) || !click(e))
            return false;
        if (!QTest::qWaitFor([e] { return e->hasFocus(); }, 3000))
            return false;
        if (!QTest::qWaitFor([e] { return e->selectedText() == e->text(); }, 3000)) {
            // Boxes that do not select on focus: the user selects by keys.
            e->selectAll();
        }
        QTest::keyClicks(e, text);
        return e->text() == text;
    }

    // Chooses an item of a combo box through its drop-down list.
    bool chooseFromCombo(QComboBox *combo, int index)
    {
        if (!combo || !click(combo))
            return false;
        QAbstractItemView *view = combo->view();
        if (!QTest::qWaitFor([view] { return view->isVisible() && view->window()->windowHandle() &&
                                             view->window()->windowHandle()->isExposed(); },
                             3000))
            return false;
        // The list ignores a release that comes too soon after it opened
        // (the release of the opening click).
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        const QModelIndex item = combo->model()->index(index, 0);
        view->scrollTo(item);
        const QPoint at = view->visualRect(item).center();
        if (!moveTo(view->viewport(), at))
            return false;
        QTest::qWait(30);
        if (!clickAt(view->viewport(), at))
            return false;
        return QTest::qWaitFor([combo, index] { return !combo->view()->isVisible() && combo->currentIndex() == index; },
                               3000);
    }

    // Runs a menu entry through the menu bar and its drop-down menu.
    bool runMenu(App &app, const char *menuName, const char *entryName)
    {
        auto *menu = app.find<QMenu>(QString::fromLatin1(menuName));
        QAction *entry = nullptr;
        for (QAction *a : menu ? menu->actions() : QList<QAction *>())
            if (a->objectName() == QLatin1String(entryName))
                entry = a;
        if (!menu || !entry)
            return false;
        QMenuBar *bar = app.main().menuBar();
        if (!clickAt(bar, bar->actionGeometry(menu->menuAction()).center()))
            return false;
        if (!QTest::qWaitFor([menu] { return menu->isVisible() && menu->windowHandle() &&
                                             menu->windowHandle()->isExposed(); },
                             3000))
            return false;
        QTest::qWait(50);
        return clickAt(menu, menu->actionGeometry(entry).center());
    }

    QToolButton *toolButton(App &app, const char *key)
    {
        auto *a = app.find<QAction>(QString::fromLatin1(key));
        return a ? qobject_cast<QToolButton *>(app.main().toolbar()->widgetForAction(a)) : nullptr;
    }

    static bool exposed(QWidget *w)
    {
        return w && w->isVisible() && w->window()->windowHandle() && w->window()->windowHandle()->isExposed() &&
               !w->visibleRegion().isEmpty();
    }

    // Waits until the graph picture is on the screen with the picture loaded.
    bool waitForGraph(App &app, QSize size)
    {
        return QTest::qWaitFor([&] { return exposed(app.area()) && app.area()->size() == size; }, 5000);
    }

    // Types a Z value into row `row` of a table through its editor.
    bool typeZ(GridFormWidget *t, int row, const QString &z)
    {
        QTableView *g = t->grid();
        const QModelIndex i = g->model()->index(row, 3);
        g->scrollTo(i);
        if (!activate(g) || !clickAt(g->viewport(), g->visualRect(i).center()))
            return false;
        QLineEdit *ed = t->editor();
        if (!QTest::qWaitFor([ed] { return ed->isVisible() && ed->hasFocus(); }, 3000))
            return false;
        QTest::keyClicks(ed, z);
        QTest::keyClick(ed, Qt::Key_Return);
        return QTest::qWaitFor([&] { return !ed->isVisible() && cell(t, row, 3) == z; }, 3000);
    }

    static QWidget *child(QWidget *m, const char *name) { return m->findChild<QWidget *>(QString::fromLatin1(name)); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // The program speaks Japanese; Qt's own dialogs too.
        if (m_qtbase.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&m_qtbase);
        // Old pictures would pass for new ones.
        QDir art(artifactDir());
        for (const QString &f : art.entryList({QStringLiteral("*.png")}, QDir::Files))
            art.remove(f);
        m_drv = new ModalDriver(this);
    }

    void init() { m_drv->reset(); }

    void cleanup()
    {
        if (!m_drv->ok())
            qWarning("dialogs: %s", qPrintable(m_drv->report()));
    }

    // The sample chart, opened through the browse button, read with a
    // diagonal frame: the table shows what the chart's geometry says.
    void readPointsOnTheSampleChart()
    {
        App app;
        QVERIFY(QTest::qWaitForWindowExposed(&app.main()));
        QTRY_VERIFY(app.main().isActiveWindow());

        const QString chart = QStringLiteral(ORV_SOURCE_DIR "/sample/chart.png");
        QCOMPARE(QImage(chart).size(), QSize(sample::kWidth, sample::kHeight));
        m_drv->answerFileDialog(kOpenTitle, chart);
        QVERIFY(click(app.find<QPushButton>(QStringLiteral("BrowsCommand"))));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QVERIFY(waitForGraph(app, QSize(sample::kWidth, sample::kHeight)));
        QCOMPARE(app.find<QLabel>(QStringLiteral("Pic_Label"))->text(), QStringLiteral("/sample/chart.png"));
        QVERIFY(app.table(1) && exposed(app.table(1)));
        QVERIFY(!app.r->Dfnt_Done);

        // Diagonal definition: the lower-left and upper-right frame corners.
        GraphPictureArea *area = app.area();
        const QSize size = area->size();
        const QPoint ll = rounded(sample::toPixel(sample::kXMin, sample::kYMin));
        const QPoint ru = rounded(sample::toPixel(sample::kXMax, sample::kYMax));
        QCOMPARE(ll, QPoint(90, 520));
        QCOMPARE(ru, QPoint(760, 40));
        QVERIFY(clickAt(area, ll));
        QVERIFY(!app.r->Dfnt_Done);
        QVERIFY(clickAt(area, ru));
        QTRY_VERIFY(app.r->Dfnt_Done);
        QCOMPARE(app.main().statusBar()->findChild<QLabel *>(QStringLiteral("StatusBar1"))->text(), kFrameDoneStatus);
        const QPointF nll = normalised(ll, size), nru = normalised(ru, size);
        QCOMPARE(app.box("LLX_Text")->text().toFloat(), float(nll.x()));
        QCOMPARE(app.box("LLY_Text")->text().toFloat(), float(nll.y()));
        QCOMPARE(app.box("RUX_Text")->text().toFloat(), float(nru.x()));
        QCOMPARE(app.box("RUY_Text")->text().toFloat(), float(nru.y()));
        // The hidden corners follow from the two placed ones.
        QCOMPARE(app.r->panel.pos(CalibPanel::LUX_Text), app.box("LLX_Text")->text());
        QCOMPARE(app.r->panel.pos(CalibPanel::RLY_Text), app.box("LLY_Text")->text());

        // The axis values of the two corners, typed.
        QVERIFY(typeInto(app.box("LLX_VLText"), QStringLiteral("0")));
        QVERIFY(typeInto(app.box("LLY_VLText"), QStringLiteral("0")));
        QVERIFY(typeInto(app.box("RUX_VLText"), QStringLiteral("10")));
        QVERIFY(typeInto(app.box("RUY_VLText"), QStringLiteral("100")));
        QCOMPARE(app.r->panel.val(CalibPanel::RUY_VLText), QStringLiteral("100"));

        // Five of the chart's marked points.
        const double xs[] = {1, 2, 3.5, 5, 8};
        QList<QPoint> clicked;
        for (double x : xs) {
            const QPoint p = rounded(sample::toPixel(x, x * x));
            clicked << p;
            QVERIFY2(clickAt(area, p), qPrintable(QStringLiteral("point at x=%1").arg(x)));
        }
        GridFormWidget *t = app.table(1);
        QTRY_COMPARE(rows(t), 5);
        for (int i = 0; i < 5; ++i) {
            const QPoint p = clicked[i];
            const double ex = (p.x() - sample::kLeft) / (sample::kRight - sample::kLeft) * 10;
            const double ey = (sample::kBottom - p.y()) / (sample::kBottom - sample::kTop) * 100;
            QString why;
            QCOMPARE(cell(t, i, 0), QString::number(i + 1));
            QVERIFY2(showsValue(cell(t, i, 1), ex, 1e-5, &why), qPrintable(QStringLiteral("row %1 X: ").arg(i + 1) + why));
            QVERIFY2(showsValue(cell(t, i, 2), ey, 1e-4, &why), qPrintable(QStringLiteral("row %1 Y: ").arg(i + 1) + why));
            // The clicks land within a pixel of the true values.
            QVERIFY(std::abs(cell(t, i, 1).toDouble() - xs[i]) < 0.5 * 10 / 670 + 1e-3);
            QVERIFY(std::abs(cell(t, i, 2).toDouble() - xs[i] * xs[i]) < 0.5 * 100 / 480 + 1e-3);
            QVERIFY(cell(t, i, 3).isEmpty()); // Z is the user's to type
        }
        // The pointer readout over the last point says what its row says.
        QVERIFY(moveTo(area, clicked[4] + QPoint(0, 12)));
        QLabel *readout = app.w.graphs->widget()->statusLabel();
        const QRegularExpression form(QStringLiteral("^X=(\\S+) , Y=(\\S+)$"));
        QTRY_VERIFY(form.match(readout->text()).hasMatch());
        const auto m = form.match(readout->text());
        QString why;
        QVERIFY2(showsValue(m.captured(1), (clicked[4].x() - 90) / 670.0 * 10, 1e-5, &why), qPrintable(why));
        QVERIFY2(showsValue(m.captured(2), (520 - clicked[4].y() - 12) / 480.0 * 100, 1e-4, &why), qPrintable(why));
        screenshot(QStringLiteral("sample-chart-read"), &app.main());

        // The last point dragged 20 pixels right and 30 up: its row reads the
        // place where it was dropped.
        QWindow *win = app.main().windowHandle();
        const QPoint from = clicked[4], to = clicked[4] + QPoint(20, -30);
        QVERIFY(hitProblem(area, from).isEmpty() && hitProblem(area, to).isEmpty());
        QTest::mousePress(win, Qt::LeftButton, Qt::NoModifier, area->mapTo(&app.main(), from));
        QTest::mouseMove(win, area->mapTo(&app.main(), from + QPoint(10, -15)));
        QTest::mouseMove(win, area->mapTo(&app.main(), to));
        QTest::mouseRelease(win, Qt::LeftButton, Qt::NoModifier, area->mapTo(&app.main(), to));
        QTRY_VERIFY(showsValue(cell(t, 4, 1), (to.x() - 90) / 670.0 * 10, 1e-5, &why));
        QVERIFY2(showsValue(cell(t, 4, 2), (520 - to.y()) / 480.0 * 100, 1e-4, &why), qPrintable(why));
        QCOMPARE(app.r->Sel_PtNo, 5);
        // Shift+Right nudges the selected point by a hundredth of the width.
        QTest::keyClick(area, Qt::Key_Right, Qt::ShiftModifier);
        QTRY_VERIFY(showsValue(cell(t, 4, 1), (to.x() + 8 - 90) / 670.0 * 10, 1e-4, &why));
        // Delete removes it: its row, its marker and its record.
        QTest::keyClick(area, Qt::Key_Delete);
        QTRY_COMPARE(rows(t), 4);
        QVERIFY(!app.r->graph.hasPick(5));
        QVERIFY(app.r->Pt_Array[5].startsWith(u"FALSE"));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
    }

    // Opening over open tables (a reading, a second picture, a paste): every
    // table the reading has open is a window on the screen, and clicks land
    // in it. A closed window is deleted only later; it must never be the one
    // shown again.
    void secondOpenOverOpenTablesShowsTheirWindows()
    {
        App app;
        QVERIFY(QTest::qWaitForWindowExposed(&app.main()));
        QTRY_VERIFY(app.main().isActiveWindow());
        const QString chart = QStringLiteral(ORV_SOURCE_DIR "/sample/chart.png");
        const QString reading = QStringLiteral(ORV_SOURCE_DIR "/sample/chart.orvd");
        // Every loaded table has a live, visible window of its own.
        auto tablesShown = [&app](std::initializer_list<int> series) {
            QTest::qWait(50); // deferred deletions run
            for (int s = 1; s <= Reading::kSeriesCount; ++s) {
                const bool want = std::find(series.begin(), series.end(), s) != series.end();
                if (app.r->grid(s).loaded() != want)
                    return false;
                if (want && !(app.table(s) && exposed(app.table(s)) &&
                              app.main().mdiArea()->subWindowList().contains(app.w.grids->subWindow(s))))
                    return false;
            }
            return true;
        };

        m_drv->answerFileDialog(kOpenTitle, chart);
        QVERIFY(click(app.find<QPushButton>(QStringLiteral("BrowsCommand"))));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QVERIFY(waitForGraph(app, QSize(sample::kWidth, sample::kHeight)));
        QTRY_VERIFY(tablesShown({1}));

        // The reading dropped over the empty table 1: tables 1 and 2.
        QVERIFY(sendDrop(app.main().mdiArea()->viewport(), reading));
        QTRY_VERIFY(tablesShown({1, 2}));
        QTRY_COMPARE(rows(app.table(1)), 7);
        QCOMPARE(rows(app.table(2)), 5);
        QVERIFY(waitForGraph(app, QSize(sample::kWidth, sample::kHeight)));
        // Both tables stand beside the chart, one below the other.
        {
            const QRect g = app.w.graphs->subWindow()->geometry();
            const QRect t1 = app.w.grids->subWindow(1)->geometry(), t2 = app.w.grids->subWindow(2)->geometry();
            QVERIFY(!t1.intersects(g) && !t2.intersects(g) && !t1.intersects(t2));
            QCOMPARE(t1.left(), g.right() + 1);
            QCOMPARE(t2.top(), t1.bottom() + 1);
            QTest::qWait(100);
            screenshot(QStringLiteral("picture-and-two-tables"), &app.main());
        }

        // A second picture over both tables (their questions answered Yes).
        const QString question = QtDesktop::displayText(Reading::tableCloseQuestion());
        m_drv->answerFileDialog(kOpenTitle, chart);
        m_drv->answerMessage(question, true);
        m_drv->answerMessage(question, true);
        QVERIFY(click(app.find<QPushButton>(QStringLiteral("BrowsCommand"))));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QVERIFY(waitForGraph(app, QSize(sample::kWidth, sample::kHeight)));
        QTRY_VERIFY(tablesShown({1}));
        QCOMPARE(rows(app.table(1)), 0);

        // The new table takes the clicks: a frame, then one point.
        GraphPictureArea *area = app.area();
        QVERIFY(clickAt(area, QPoint(90, 520)));
        QVERIFY(clickAt(area, QPoint(760, 40)));
        QTRY_VERIFY(app.r->Dfnt_Done);
        QVERIFY(clickAt(area, QPoint(300, 300)));
        QTRY_COMPARE(rows(app.table(1)), 1);
        QVERIFY(tablesShown({1}));

        // A pasted picture over it: a new table 1 again.
        QImage pasted(320, 240, QImage::Format_RGB32);
        pasted.fill(Qt::white);
        QGuiApplication::clipboard()->setImage(pasted);
        QTRY_VERIFY(!QGuiApplication::clipboard()->image().isNull());
        m_drv->answerMessage(question, true);
        QVERIFY(click(app.find<QPushButton>(QStringLiteral("ClipBoardPaste_Command"))));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QVERIFY(waitForGraph(app, QSize(320, 240)));
        QTRY_VERIFY(tablesShown({1}));
        QCOMPARE(rows(app.table(1)), 0);
        QTest::qWait(100);
        screenshot(QStringLiteral("second-open-over-tables"), &app.main());
    }

    // A slightly rotated chart read with a four-point frame in two series,
    // saved, reopened after a restart, re-read, sorted, exported and fitted.
    void fourPointReadingSavedReopenedAndProcessed()
    {
        const double angle = 4.0;
        const QString picture = m_dir.filePath(QStringLiteral("rotated.png"));
        QVERIFY(sample::render(angle).save(picture, "PNG"));
        const QString saved = m_dir.filePath(QStringLiteral("reading.orvd"));
        const QString csv = m_dir.filePath(QStringLiteral("series1.csv"));

        Table before1, before2;
        std::array<QString, CalibPanel::PosBoxCount> posBefore;
        std::array<QString, CalibPanel::ValBoxCount> valBefore;
        {
            auto app = std::make_unique<App>();
            QVERIFY(QTest::qWaitForWindowExposed(&app->main()));
            QTRY_VERIFY(app->main().isActiveWindow());

            // The picture dropped on the document area.
            QVERIFY(sendDrop(app->main().mdiArea()->viewport(), picture));
            QVERIFY(waitForGraph(*app, QSize(sample::kWidth, sample::kHeight)));
            GraphPictureArea *area = app->area();
            const QSize size = area->size();

            // "4点定義": the two other corner boxes appear.
            auto *tabs = app->find<QTabBar>(QStringLiteral("TabStrip1"));
            QCOMPARE(tabs->tabText(1), QStringLiteral("4点定義"));
            QVERIFY(!app->find<QGroupBox>(QStringLiteral("LU_Frame"))->isVisible());
            QVERIFY(clickAt(tabs, tabs->tabRect(1).center()));
            QTRY_VERIFY(app->find<QGroupBox>(QStringLiteral("LU_Frame"))->isVisible());
            QVERIFY(app->find<QGroupBox>(QStringLiteral("RL_Frame"))->isVisible());
            QCOMPARE(app->r->panel.selectedTab(), 2);

            // The four corners of the rotated frame, LL, LU, RU, RL.
            std::array<QPoint, 4> corners = {rounded(chartPixel(0, 0, angle)), rounded(chartPixel(0, 100, angle)),
                                             rounded(chartPixel(10, 100, angle)), rounded(chartPixel(10, 0, angle))};
            std::array<QPointF, 4> ncorners;
            for (int c = 0; c < 4; ++c) {
                QVERIFY(!app->r->Dfnt_Done);
                QVERIFY(clickAt(area, corners[size_t(c)]));
                ncorners[size_t(c)] = normalised(corners[size_t(c)], size);
                QTRY_VERIFY(app->r->graph.dfnt(c).visible);
            }
            QTRY_VERIFY(app->r->Dfnt_Done);
            static const char *posNames[8] = {"LLX_Text", "LLY_Text", "LUX_Text", "LUY_Text",
                                              "RUX_Text", "RUY_Text", "RLX_Text", "RLY_Text"};
            for (int c = 0; c < 4; ++c) {
                QCOMPARE(app->box(posNames[2 * c])->text().toFloat(), float(ncorners[size_t(c)].x()));
                QCOMPARE(app->box(posNames[2 * c + 1])->text().toFloat(), float(ncorners[size_t(c)].y()));
            }
            QVERIFY(typeInto(app->box("RUX_VLText"), QStringLiteral("10")));
            QVERIFY(typeInto(app->box("RUY_VLText"), QStringLiteral("100")));

            // Series 1: points of y = x^2; series 2 (chosen in the combo): y = 10 x.
            struct Pt {
                double x, y;
                QPoint px;
            };
            QList<Pt> s1, s2;
            for (double x : {1.0, 2.0, 3.5, 5.0, 6.5})
                s1.push_back({x, x * x, rounded(chartPixel(x, x * x, angle))});
            for (double x : {1.0, 3.0, 5.0, 7.0, 9.0})
                s2.push_back({x, 10 * x, rounded(chartPixel(x, 10 * x, angle))});
            for (const Pt &p : s1)
                QVERIFY(clickAt(area, p.px));
            QTRY_COMPARE(rows(app->table(1)), 5);
            QVERIFY(chooseFromCombo(app->find<QComboBox>(QStringLiteral("Keiretsu_Combo")), 1));
            QCOMPARE(app->r->settings.keiretsu.text(), QStringLiteral("系列2"));
            QTRY_VERIFY(app->table(2) && exposed(app->table(2)));
            for (const Pt &p : s2)
                QVERIFY(clickAt(area, p.px));
            QTRY_COMPARE(rows(app->table(2)), 5);
            QCOMPARE(rows(app->table(1)), 5);

            // Every row: the inverse of the frame's bilinear map at the clicked
            // pixel, and within a pixel or so of the chart's true value.
            for (int s = 1; s <= 2; ++s) {
                const QList<Pt> &pts = s == 1 ? s1 : s2;
                GridFormWidget *t = app->table(s);
                for (int i = 0; i < pts.size(); ++i) {
                    const QPointF uv = bilinearInverse(ncorners, normalised(pts[i].px, size));
                    QString why;
                    const QString where = QStringLiteral("series %1 row %2 ").arg(s).arg(i + 1);
                    QVERIFY2(showsValue(cell(app->table(s), i, 1), uv.x() * 10, 1e-4, &why), qPrintable(where + why));
                    QVERIFY2(showsValue(cell(app->table(s), i, 2), uv.y() * 100, 1e-3, &why), qPrintable(where + why));
                    QVERIFY2(std::abs(cell(t, i, 1).toDouble() - pts[i].x) < 0.03, qPrintable(where + cell(t, i, 1)));
                    QVERIFY2(std::abs(cell(t, i, 2).toDouble() - pts[i].y) < 0.3, qPrintable(where + cell(t, i, 2)));
                }
            }
            // IDs are handed out over both series.
            QCOMPARE(cell(app->table(2), 0, 0), QStringLiteral("6"));

            // A new table window should show its four columns.
            {
                QTableView *g = app->table(2)->grid();
                const QRect z = g->visualRect(g->model()->index(0, 3));
                const QString problem = hitProblem(g->viewport(), z.center());
                QVERIFY2(problem.isEmpty(), qPrintable(problem));
            }

            // "ウィンドウの整列": graph window first, then the tables, side by side.
            QVERIFY(runMenu(*app, "Window_Mn", "Cscd_Mn"));
            QMdiSubWindow *g = app->w.graphs->subWindow();
            QMdiSubWindow *t1 = app->w.grids->subWindow(1), *t2 = app->w.grids->subWindow(2);
            const QSize mdi = app->main().mdiArea()->viewport()->size();
            // The graph window first at its full size, the tables beside it:
            // side by side when they fit, otherwise stacked in one column;
            // none overlapping another and all within the document area.
            QTRY_COMPARE(g->pos(), QPoint(0, 0));
            QCOMPARE(t1->x(), g->geometry().right() + 1);
            const QRect view = app->main().mdiArea()->viewport()->rect();
            QVERIFY(!t1->geometry().intersects(t2->geometry()));
            QVERIFY(!g->geometry().intersects(t2->geometry()));
            for (QMdiSubWindow *s : {g, t1, t2})
                QVERIFY2(view.contains(s->geometry()), qPrintable(s->windowTitle()));
            Q_UNUSED(mdi);
            QCOMPARE(app->main().mdiArea()->activeSubWindow(), g);
            {
                // The graph window keeps its picture whole: it is never
                // smaller than the picture in its normal state.
                const QRect seen = app->area()->visibleRegion().boundingRect();
                QCOMPARE(seen.size(), QSize(sample::kWidth, sample::kHeight));
            }
            // Z values typed in the tables' editors, now that the Z column shows.
            QVERIFY(typeZ(app->table(2), 1, QStringLiteral("3.5")));
            QVERIFY(typeZ(app->table(1), 4, QStringLiteral("-12")));
            QCOMPARE(Reading::Get_Field(app->r->Pt_Array[7], QStringLiteral(","), 4), QStringLiteral("3.5"));
            QCOMPARE(Reading::Get_Field(app->r->Pt_Array[5], QStringLiteral(","), 4), QStringLiteral("-12"));

            QTest::qWait(100);
            QVERIFY(!screenshot(QStringLiteral("graph-and-tables-arranged"), &app->main()).isEmpty());

            before1 = tableText(app->table(1));
            before2 = tableText(app->table(2));
            for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
                posBefore[size_t(b)] = app->r->panel.pos(CalibPanel::PosBox(b));
            for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
                valBefore[size_t(b)] = app->r->panel.val(CalibPanel::ValBox(b));

            // Saved through the toolbar.
            m_drv->answerFileDialog(kSaveTitle, saved);
            m_drv->answerMessage(kSaved);
            QVERIFY(click(toolButton(*app, "Save_grc_Mn1")));
            QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
            QVERIFY(QFileInfo(saved).size() > 0);

            // Quit from the menu (the handler would end the event loop).
            bool quit = false;
            app->main().quitHandler = [&quit] { quit = true; };
            QVERIFY(runMenu(*app, "File_Mn", "Quit_App"));
            QTRY_VERIFY(quit);
        } // the program ends: every window and the reading are gone

        // A new start: reopen the saved reading with the toolbar's open button.
        App app;
        QVERIFY(QTest::qWaitForWindowExposed(&app.main()));
        QTRY_VERIFY(app.main().isActiveWindow());
        QVERIFY(!app.area());
        m_drv->answerFileDialog(kOpenTitle, saved);
        QVERIFY(click(toolButton(app, "Open_File_Mn1")));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QVERIFY(waitForGraph(app, QSize(sample::kWidth, sample::kHeight)));
        QTRY_VERIFY(app.table(1) && app.table(2) && exposed(app.table(2)));
        QCOMPARE(tableText(app.table(1)), before1);
        QCOMPARE(tableText(app.table(2)), before2);
        for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
            QCOMPARE(app.r->panel.pos(CalibPanel::PosBox(b)), posBefore[size_t(b)]);
        for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
            QCOMPARE(app.r->panel.val(CalibPanel::ValBox(b)), valBefore[size_t(b)]);
        QCOMPARE(app.r->panel.selectedTab(), 2);
        QVERIFY(app.find<QGroupBox>(QStringLiteral("LU_Frame"))->isVisible());
        for (int c = 0; c < 4; ++c)
            QVERIFY(app.r->graph.dfnt(c).visible);
        QVERIFY(app.r->Dfnt_Done);

        // The windows arranged, so that every table shows all its columns.
        QVERIFY(runMenu(app, "Window_Mn", "Cscd_Mn"));
        QTRY_VERIFY(!app.w.grids->subWindow(2)->geometry().intersects(app.w.grids->subWindow(1)->geometry()));

        // Re-read after the top value changed doubles every Y; back again,
        // the rows read as they were.
        GridFormWidget *t1 = app.table(1);
        QVERIFY(typeInto(app.box("RUY_VLText"), QStringLiteral("200")));
        QVERIFY(click(t1->rereadButton()));
        for (int i = 0; i < rows(t1); ++i) {
            QString why;
            QVERIFY2(showsValue(cell(t1, i, 2), 2 * before1[i][2].toDouble(), 2e-3 * before1[i][2].toDouble(), &why),
                     qPrintable(why));
            QCOMPARE(cell(t1, i, 1), before1[i][1]);
        }
        QVERIFY(typeInto(app.box("RUY_VLText"), QStringLiteral("100")));
        QVERIFY(click(t1->rereadButton()));
        QCOMPARE(tableText(t1), before1);

        // Sort series 1 by X, descending, in the data processing window.
        m_drv->expect(
            QStringLiteral("data processing for sorting"),
            [](QWidget *m) { return m->objectName() == u"DataDisposal_Form"; },
            [this](QWidget *m) {
                auto *tabs = m->findChild<QTabBar *>(QStringLiteral("TabStrip1"));
                if (!clickAt(tabs, tabs->tabRect(1).center()) || !child(m, "Sort_Frame")->isVisible())
                    return m_drv->fail(QStringLiteral("sort tab not shown"));
                screenshot(QStringLiteral("data-processing-sort"), m);
                if (!click(child(m, "Sort_Option1")))
                    return m_drv->fail(QStringLiteral("descending option"));
                auto *ok = m->findChild<QPushButton *>(QStringLiteral("OK_Command"));
                if (ok->text() != u"実行")
                    m_drv->fail(QStringLiteral("OK button says ") + ok->text());
                click(ok);
            });
        QVERIFY(click(t1->dataDisposalButton()));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        Table sorted = before1;
        std::reverse(sorted.begin(), sorted.end()); // X grew with each click
        QCOMPARE(tableText(t1), sorted);
        for (int i = 0; i < rows(t1); ++i)
            QCOMPARE(t1->grid()->model()->headerData(i, Qt::Vertical).toString(), QString::number(i + 1));

        // CSV of series 1: chosen with the browse button, then saved.
        m_drv->expect(
            QStringLiteral("data processing for CSV"),
            [](QWidget *m) { return m->objectName() == u"DataDisposal_Form"; },
            [this, csv](QWidget *m) {
                auto *tabs = m->findChild<QTabBar *>(QStringLiteral("TabStrip1"));
                if (!clickAt(tabs, tabs->tabRect(2).center()) || !child(m, "CSV_Save_Frame1")->isVisible())
                    return m_drv->fail(QStringLiteral("CSV tab not shown"));
                click(child(m, "BrowsCommand")); // the file dialog, answered below
                auto *label = m->findChild<QLabel *>(QStringLiteral("CSV_Save_Label"));
                if (label->text() != csv)
                    return m_drv->fail(QStringLiteral("CSV path label shows ") + label->text());
                screenshot(QStringLiteral("data-processing-csv"), m);
                click(m->findChild<QPushButton *>(QStringLiteral("OK_Command"))); // "保存", then the message
            });
        m_drv->answerFileDialog(kCsvTitle, csv);
        m_drv->answerMessage(kSaved);
        QVERIFY(click(t1->dataDisposalButton()));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QByteArray expected = QByteArray::fromHex("8c6e97f131") + "\r\n"; // "系列1" in code page 932
        for (const QStringList &row : sorted)
            expected += (row[1] + u',' + row[2] + u',' + row[3]).toLatin1() + "\r\n";
        QCOMPARE(bytes, expected);

        // A linear fit of series 2 (y = 10 x), its value at x = 4 and its plot.
        QString equation, r2, y4;
        int curvePixels = -1;
        bool plotShown = false;
        m_drv->expect(
            QStringLiteral("data processing for the fit"),
            [](QWidget *m) { return m->objectName() == u"DataDisposal_Form"; },
            [this](QWidget *m) {
                auto *series = m->findChild<QComboBox *>(QStringLiteral("Keiretsu_Combo"));
                if (series->currentText() != u"系列2")
                    m_drv->fail(QStringLiteral("data processing opened on ") + series->currentText());
                if (!click(child(m, "Aprx_Kind_Picture0")))
                    return m_drv->fail(QStringLiteral("linear kind picture"));
                screenshot(QStringLiteral("data-processing"), m);
                click(m->findChild<QPushButton *>(QStringLiteral("OK_Command"))); // "作成": the result window
            });
        m_drv->expect(
            QStringLiteral("result window"), [](QWidget *m) { return m->objectName() == u"Apprx_Form"; },
            [&, this](QWidget *m) {
                equation = m->findChild<QLineEdit *>(QStringLiteral("Apprx_Text"))->text();
                r2 = m->findChild<QLineEdit *>(QStringLiteral("R2_Text"))->text();
                auto *x = m->findChild<QLineEdit *>(QStringLiteral("xText"));
                click(x);
                x->selectAll();
                QTest::keyClicks(x, QStringLiteral("4"));
                click(child(m, "UserCalc_Command"));
                y4 = m->findChild<QLineEdit *>(QStringLiteral("yText_Calc"))->text();
                screenshot(QStringLiteral("result-window"), m);
                click(child(m, "DrawGraph_Command")); // the plot window
            });
        m_drv->expect(
            QStringLiteral("plot window"), [](QWidget *m) { return m->objectName() == u"Apprx_Graph_Form"; },
            [&](QWidget *m) {
                plotShown = true;
                QTest::qWait(100);
                const QString shot = screenshot(QStringLiteral("plot-window"), m);
                curvePixels = countColour(QImage(shot), QColor(255, 0, 255), 40);
                clickAt(child(m, "Picture1"), QPoint(5, 5)); // a click on the plot closes it
            });
        m_drv->expect(
            QStringLiteral("result window again"), [](QWidget *m) { return m->objectName() == u"Apprx_Form"; },
            [](QWidget *m) { click(child(m, "Closel_Command")); });
        m_drv->expect(
            QStringLiteral("data processing again"),
            [](QWidget *m) { return m->objectName() == u"DataDisposal_Form"; },
            [](QWidget *m) { click(child(m, "Cancel_Command")); });
        QVERIFY(click(app.table(2)->dataDisposalButton()));
        QVERIFY2(m_drv->ok(), qPrintable(m_drv->report()));
        QVERIFY(!QApplication::activeModalWidget());

        const QRegularExpression linear(QStringLiteral("^y=([-+0-9.E]+)x([-+][0-9.E+-]+)?$"));
        const auto fit = linear.match(equation);
        QVERIFY2(fit.hasMatch(), qPrintable(equation));
        QVERIFY2(std::abs(fit.captured(1).toDouble() - 10) < 0.1, qPrintable(equation));
        QVERIFY2(std::abs(fit.captured(2).toDouble()) < 0.5, qPrintable(equation));
        QVERIFY2(r2.toDouble() > 0.9995 && r2.toDouble() <= 1, qPrintable(r2));
        QVERIFY2(std::abs(y4.toDouble() - 40) < 0.5, qPrintable(y4));
        QVERIFY(plotShown);
        QVERIFY2(curvePixels > 100, qPrintable(QString::number(curvePixels)));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvalinetrix"));
    // The dialogs remember their folder in the settings: keep the user's own out of it.
    QStandardPaths::setTestModeEnabled(true);
    E2ETest t;
    return QTest::qExec(&t, argc, argv);
}

#include "e2e_test.moc"
