#include "app/assembly.h"
#include "graphwin/graph_form_widget.h"
#include "table/grid_form_widget.h"
#include "mainwin/artwork.h"
#include "mainwin/main_window.h"
#include "mainwin/qt_desktop.h"
#include "mainwin/splash_widget.h"
#include "graphwin/graph_form.h"
#include "model/reading.h"
#include "statefile/state_file.h"
#include "model/utilities.h"
#include "tests/support/reading_fixtures.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QMimeData>
#include <QPointer>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolBar>

using namespace orv;

class MainWindowTest : public QObject {
    Q_OBJECT

    struct Env {
        ScriptedDesktop desk;
        Reading r{&desk};
        QStringList states;
        int saves = 0;
        std::unique_ptr<MainWindow> w;
        int quits = 0;
        Env()
        {
            r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
            w = std::make_unique<MainWindow>(r);
            w->form().onLoadState = [this](const QString &p) {
                states << p;
                return false;
            };
            w->form().onSaveState = [this] { ++saves; };
            w->quitHandler = [this] { ++quits; };
        }
        template <class T> T *find(const char *name) const { return w->findChild<T *>(QString::fromLatin1(name)); }
    };

    QTemporaryDir m_dir;

    QString picture(const QString &name, int w = 400, int h = 300)
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(QColor(255, 0, 0));
        for (int y = 0; y < h; ++y)
            for (int x = w / 2; x < w; ++x)
                img.setPixel(x, y, qRgb(0, 200, 0));
        const QString p = m_dir.filePath(name);
        img.save(p, "PNG");
        return p;
    }

    static bool sendDrop(QWidget *target, const QMimeData &md)
    {
        QDragEnterEvent enter(QPoint(3, 3), Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(3, 3), Qt::CopyAction, &md, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return enter.isAccepted();
    }

private Q_SLOTS:
    void captionMenusAndToolbar()
    {
        Env e;
        QCOMPARE(e.w->windowTitle(), QStringLiteral("Orvalinetrix    Version ") + Reading::versionText());
        QStringList bar;
        for (QAction *a : e.w->menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, QStringList({"ファイル(&F)", "編集(&E)", "ウィンドウ(&W)", "その他(&E)"}));
        QStringList file;
        for (QAction *a : e.find<QMenu>("File_Mn")->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(file, QStringList({"状態設定ファイルを開く(&I)", "新規グラフ画像読込み(&O)",
                                    "クリップボードから画像読込み(&C)", "-", "現在の状態をファイルに保存(&S)", "-",
                                    "終了(&Q)"}));
        QVERIFY(e.w->editMenu());
        QStringList edit;
        for (QAction *a : e.w->editMenu()->actions())
            edit << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(edit, QStringList({"元に戻す(&U)", "やり直し(&R)", "-", "コピー(&C)"}));

        QStringList keys, tips;
        for (QAction *a : e.w->toolbar()->actions()) {
            keys << a->objectName();
            if (!a->isSeparator()) {
                tips << a->toolTip();
                const QImage icon = a->icon().pixmap(24, 24).toImage();
                QVERIFY2(!icon.isNull(), qPrintable(a->objectName()));
                int opaque = 0;
                for (int y = 0; y < icon.height(); ++y)
                    for (int x = 0; x < icon.width(); ++x)
                        opaque += qAlpha(icon.pixel(x, y)) > 0;
                QVERIFY2(opaque > 100, qPrintable(a->objectName())); // something is drawn
            }
        }
        QCOMPARE(keys, QStringList({"sep0", "Open_File_Mn1", "sep1", "Save_grc_Mn1", "Undo_Mn1", "Redo_Mn1", "sep2",
                                    "Grid_Mn1", "AutoRead_Mn1", "sep3", "Version_Mn1", "Help_Mn1"}));
        QCOMPARE(tips, QStringList({"状態設定ファイル、画像ファイルを開く", "現在の状態をファイルに保存", "元に戻す",
                                    "やり直し", "目盛線を表示(枠線の座標の目盛線を画像に重ねて描きます)",
                                    "自動読取(曲線やマーカーを色で読み取ります)", "バージョン情報", "ヘルプを表示"}));
        // The two arrows are drawn, and differently.
        QVERIFY(e.find<QAction>("Undo_Mn1")->icon().pixmap(24, 24).toImage() !=
                e.find<QAction>("Redo_Mn1")->icon().pixmap(24, 24).toImage());
        QCOMPARE(e.find<QLabel>("StatusBar1")->text(), Main_MDI_Form::startStatusText());
    }

    void commandsDispatch()
    {
        Env e;
        e.find<QAction>("Save_grc_Mn1")->trigger();
        e.find<QAction>("Save_File_Mn")->trigger();
        QCOMPARE(e.saves, 2);
        e.find<QAction>("Help_Mn1")->trigger();
        QCOMPARE(e.desk.openedDocuments.size(), size_t(1));
        QVERIFY(e.desk.openedDocuments[0].endsWith(u"/Help/Help.pdf"));
        e.desk.fileNames.push_back(m_dir.filePath(QStringLiteral("r.orvd")));
        e.find<QAction>("Open_File_Mn1")->trigger();
        QCOMPARE(e.states.size(), 1);
        e.find<QAction>("Quit_App")->trigger();
        QCOMPARE(e.quits, 1);

        // The version box is the splash, modal, closed by a key.
        QString seen;
        QTimer::singleShot(50, [&] {
            QWidget *m = QApplication::activeModalWidget();
            if (!m)
                return;
            seen = m->objectName() + u'|' + m->findChild<QLabel *>(QStringLiteral("lblVersion"))->text();
            QTest::keyClick(m, Qt::Key_A);
        });
        e.find<QAction>("Version_Mn1")->trigger();
        QCOMPARE(seen, QStringLiteral("frmSplash|Version ") + Reading::versionText());
    }

    void resizeRules()
    {
        Env e;
        e.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(e.w.get()));
        auto *zoom = e.find<QWidget>("Zoom_Picture");
        auto *frame = e.find<QWidget>("Windw_Frame");
        QCOMPARE(e.w->size(), QSize(1067, 800));
        QCOMPARE(zoom->height(), twipsToPx(2595));
        QCOMPARE(frame->height(), twipsToPx(3225));
        QCOMPARE(e.find<QWidget>("Picture1")->width(), twipsToPx(3585));
        QCOMPARE(e.find<QWidget>("Pic_Label")->width(), twipsToPx(12735 + 5)); // 1067 px is 16005 twips

        e.w->resize(600, 500);
        QTRY_COMPARE(e.w->size(), QSize(800, 667));

        e.w->resize(1200, 867); // 18000 x 13005 twips
        QTRY_COMPARE(e.w->size(), QSize(1200, 867));
        QCOMPARE(zoom->height(), twipsToPx(1005 + 2595));
        QCOMPARE(frame->height(), twipsToPx(1005 + 3225));
        QCOMPARE(e.find<QWidget>("Open_GraphPic_Frame")->width(), twipsToPx(2000 + 15765));
        QCOMPARE(e.find<QWidget>("Pic_Label")->width(), twipsToPx(2000 + 12735));
        QCOMPARE(e.find<QWidget>("ClipBoardPaste_Command")->x(), twipsToPx(2000 + 13740));
        QCOMPARE(e.find<QWidget>("Picture1")->width(), twipsToPx(3585));
    }

    void dropsOnEveryTarget()
    {
        Env e;
        e.w->show();
        QStringList names;
        for (QWidget *t : e.w->dropTargets())
            names << (t == e.w->mdiArea()->viewport() ? QStringLiteral("client") : t->objectName());
        names.sort();
        QCOMPARE(names, QStringList({"Dfnt_Picture", "Frame1", "Frame2", "Open_GraphPic_Frame", "ReadGraph_Setting_Frame",
                                     "TabStrip1", "Toolbar1", "Zoom_Picture", "client"}));
        int n = 0;
        for (QWidget *t : e.w->dropTargets()) {
            QMimeData md;
            const QString p = m_dir.filePath(QStringLiteral("drop%1.orvd").arg(++n));
            md.setUrls({QUrl::fromLocalFile(p), QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("other.orvd")))});
            QVERIFY(sendDrop(t, md));
            QTRY_COMPARE(e.states.size(), n);
            QCOMPARE(e.states.last(), p);
        }
        // A double-click on the empty client area opens the dialog.
        QTest::mouseDClick(e.w->mdiArea()->viewport(), Qt::LeftButton);
        QTRY_COMPARE(e.desk.dialogTitles.size(), size_t(1));
        QCOMPARE(e.desk.dialogTitles[0], Main_MDI_Form::openFileTitle());
        // A drop without files is not taken and does nothing.
        QMimeData text;
        text.setText(QStringLiteral("hello"));
        QVERIFY(!sendDrop(e.find<QWidget>("Frame1"), text));
        QTest::qWait(20);
        QCOMPARE(e.states.size(), n);
        // A picture dropped on the zoom view opens.
        QMimeData pic;
        pic.setUrls({QUrl::fromLocalFile(picture(QStringLiteral("drop.png")))});
        QVERIFY(sendDrop(e.find<QWidget>("Zoom_Picture"), pic));
        QTRY_VERIFY(e.r.graph.loaded());
        QCOMPARE(e.find<QLabel>("Pic_Label")->toolTip(), e.r.GraphPic_Path);
        QCOMPARE(e.find<QLabel>("StatusBar1")->text(), Main_MDI_Form::openedStatusText());
    }

    void gridSwitchInTheMenuAndTheToolbar()
    {
        QAction *menu = nullptr, *button = nullptr;
        {
            Env e;
            menu = e.w->findChild<QAction *>(QStringLiteral("Grid_Mn"));
            button = e.w->findChild<QAction *>(QStringLiteral("Grid_Mn1"));
            QVERIFY(menu && button);
            QCOMPARE(menu->text(), QStringLiteral("目盛線を表示(&G)"));
            QVERIFY(e.find<QMenu>("etc_Mn")->actions().contains(menu));
            QVERIFY(e.find<QToolBar>("Toolbar1")->actions().contains(button));
            QVERIFY(!button->icon().isNull());
            QVERIFY(menu->isCheckable() && button->isCheckable());
            QVERIFY(!menu->isChecked() && !e.r.graph.gridVisible());
            button->trigger();
            QVERIFY(e.r.graph.gridVisible());
            QVERIFY(menu->isChecked() && button->isChecked());
            QCOMPARE(e.desk.flags[QString::fromLatin1(Main_MDI_Form::kGridKey)], true);
            menu->trigger();
            QVERIFY(!e.r.graph.gridVisible());
            QVERIFY(!menu->isChecked() && !button->isChecked());
            QCOMPARE(e.desk.flags[QString::fromLatin1(Main_MDI_Form::kGridKey)], false);
            // The next run starts with the switch as it was left.
            e.desk.flags[QString::fromLatin1(Main_MDI_Form::kGridKey)] = true;
            MainWindow next(e.r);
            QVERIFY(e.r.graph.gridVisible());
            QVERIFY(next.findChild<QAction *>(QStringLiteral("Grid_Mn"))->isChecked());
        }
    }

    void calibrationPanel()
    {
        Env e;
        e.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(e.w.get()));
        auto *hint = e.find<QLabel>("Dfnt_Picture");
        QCOMPARE(hint->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 QImage(QStringLiteral(ORV_SOURCE_DIR "/img/2pt.bmp")).convertToFormat(QImage::Format_RGB32));
        QVERIFY(!e.find<QWidget>("LU_Frame")->isVisible());
        QVERIFY(!e.find<QWidget>("RL_Frame")->isVisible());

        QTest::keyClicks(e.find<QLineEdit>("LLX_Text"), QStringLiteral("0.1"));
        QCOMPARE(e.r.panel.pos(CalibPanel::LLX_Text), QStringLiteral("0.1"));
        QCOMPARE(e.find<QLineEdit>("LUX_Text")->text(), QStringLiteral("0.1"));

        auto *tabs = e.find<QTabBar>("TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QCOMPARE(e.r.panel.selectedTab(), 2);
        QVERIFY(e.find<QWidget>("LU_Frame")->isVisible());
        QVERIFY(e.find<QWidget>("RL_Frame")->isVisible());
        QCOMPARE(hint->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 QImage(QStringLiteral(ORV_SOURCE_DIR "/img/4pt.bmp")).convertToFormat(QImage::Format_RGB32));
        // The third tab: four corners as in tab 2, its own hint picture (the
        // keystoned chart) and a tool tip that says what it is for.
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(2), QStringLiteral("射影定義"));
        QVERIFY(tabs->tabToolTip(2).contains(QStringLiteral("斜めから撮影")));
        QVERIFY(tabs->tabRect(2).right() < tabs->width()); // the whole tab is shown
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
        QCOMPARE(e.r.panel.selectedTab(), 3);
        QCOMPARE(tabs->currentIndex(), 2);
        QVERIFY(e.find<QWidget>("LU_Frame")->isVisible());
        QVERIFY(e.find<QWidget>("RL_Frame")->isVisible());
        const QImage pj = QImage(QStringLiteral(ORV_SOURCE_DIR "/img/pj.bmp")).convertToFormat(QImage::Format_RGB32);
        QVERIFY(!pj.isNull());
        QCOMPARE(hint->pixmap().toImage().convertToFormat(QImage::Format_RGB32), pj);
        QCOMPARE(hintPicture(3), pj); // the shipped file is the drawn picture
        QVERIFY(pj != QImage(QStringLiteral(ORV_SOURCE_DIR "/img/4pt.bmp")).convertToFormat(QImage::Format_RGB32));
        // The model selecting the mode (a loaded file) moves the view too.
        e.r.panel.selectTab(2);
        QCOMPARE(tabs->currentIndex(), 1);
        e.r.panel.selectTab(3);
        QCOMPARE(tabs->currentIndex(), 2);
        QCOMPARE(hint->pixmap().toImage().convertToFormat(QImage::Format_RGB32), pj);
        e.r.Init_App();
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY(!e.find<QWidget>("LU_Frame")->isVisible());

        // Highlight colours follow the model.
        e.r.panel.setHighlighted(CalibPanel::RUY_Text, true);
        QCOMPARE(e.find<QLineEdit>("RUY_Text")->palette().color(QPalette::Base), QColor(255, 192, 192));
        e.r.panel.setHighlighted(CalibPanel::RUY_Text, false);
        QCOMPARE(e.find<QLineEdit>("RUY_Text")->palette().color(QPalette::Base),
                 e.w->palette().color(QPalette::Button));

        // Value boxes: tool tips, select-all on focus, the Log check.
        auto *llx = e.find<QLineEdit>("LLX_VLText");
        QCOMPARE(llx->toolTip(), QStringLiteral("グラフの左下の数値を入力して下さい。"));
        QCOMPARE(e.find<QLineEdit>("RUY_VLText")->toolTip(), QStringLiteral("グラフの右上の数値を入力して下さい。"));
        auto *rux = e.find<QLineEdit>("RUX_VLText");
        e.w->activateWindow();
        rux->setFocus();
        QTRY_COMPARE(rux->selectedText(), QStringLiteral("1"));
        QTest::keyClicks(rux, QStringLiteral("250"));
        QCOMPARE(e.r.panel.val(CalibPanel::RUX_VLText), QStringLiteral("250"));
        // Clicking into a box selects its whole text too.
        auto *ruy = e.find<QLineEdit>("RUY_VLText");
        QTest::mouseClick(ruy, Qt::LeftButton, {}, QPoint(3, ruy->height() / 2));
        QTRY_VERIFY(ruy->hasFocus());
        QTRY_COMPARE(ruy->selectedText(), QStringLiteral("1"));
        QTest::keyClicks(ruy, QStringLiteral("40"));
        QCOMPARE(e.r.panel.val(CalibPanel::RUY_VLText), QStringLiteral("40"));

        QTest::mouseClick(e.find<QRadioButton>("X_Log_Option"), Qt::LeftButton);
        QCOMPARE(e.desk.messages.size(), size_t(1));
        QCOMPARE(llx->text(), QStringLiteral("0.01"));
        QVERIFY(e.r.panel.xLog());
        QTest::mouseClick(e.find<QRadioButton>("X_Lnr_Option"), Qt::LeftButton);
        QVERIFY(!e.r.panel.xLog());
        QCOMPARE(e.desk.messages.size(), size_t(1));
        e.r.panel.setYLog(true);
        QVERIFY(e.find<QRadioButton>("Y_Log_Option")->isChecked());
    }

    void tabsSwitchedByWheelOrKeysSwitchTheMode()
    {
        // The tab bar also switches on a wheel turn or an arrow key; the
        // definition mode must follow, or the panel shows one mode while the
        // conversion uses the other.
        Env e;
        e.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(e.w.get()));
        auto *tabs = e.find<QTabBar>("TabStrip1");
        QWheelEvent down(QPointF(tabs->tabRect(0).center()), QPointF(tabs->mapToGlobal(tabs->tabRect(0).center())),
                         QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(tabs, &down);
        QCOMPARE(tabs->currentIndex(), 1);
        QCOMPARE(e.r.panel.selectedTab(), 2);
        QVERIFY(e.find<QWidget>("LU_Frame")->isVisible());

        e.w->activateWindow();
        tabs->setFocus();
        QTest::keyClick(tabs, Qt::Key_Left);
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(e.r.panel.selectedTab(), 1);
        QVERIFY(!e.find<QWidget>("LU_Frame")->isVisible());

        // A click runs the tab's handler once.
        int clicks = 0;
        connect(&e.r.panel, &CalibPanel::tabClicked, [&] { ++clicks; });
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        QCOMPARE(clicks, 1);
        QCOMPARE(e.r.panel.selectedTab(), 2);
    }

    void combosAndZoomView()
    {
        Env e;
        e.w->show();
        auto *keiretsu = e.find<QComboBox>("Keiretsu_Combo");
        QCOMPARE(keiretsu->count(), 16);
        QCOMPARE(keiretsu->itemText(15), QStringLiteral("系列16"));
        QCOMPARE(e.find<QComboBox>("X_Format_Combo")->count(), 13);
        QCOMPARE(e.find<QComboBox>("Y_Format_Combo")->currentText(), QStringLiteral("AUTO"));
        auto *zoomCombo = e.find<QComboBox>("Zoom_Combo");
        QCOMPARE(zoomCombo->currentText(), QStringLiteral("5"));

        QVERIFY(e.w->form().Open_Pic(picture(QStringLiteral("halves.png"))));
        auto *zoom = e.find<QWidget>("Zoom_Picture");
        auto colourAt = [&](double fx, double fy) {
            const QImage g = zoom->grab().toImage();
            return QColor(g.pixel(int(g.width() * fx), int(g.height() * fy)));
        };
        e.r.zoomFollow(0.25f, 0.5f);
        QCOMPARE(colourAt(0.4, 0.4), QColor(255, 0, 0));
        e.r.zoomFollow(0.75f, 0.5f);
        QCOMPARE(colourAt(0.4, 0.4), QColor(0, 200, 0));
        // Near the right edge the view shows the picture and the empty area beyond.
        e.r.zoomFollow(1.0f, 0.5f);
        QCOMPARE(colourAt(0.25, 0.3), QColor(0, 200, 0));
        QCOMPARE(colourAt(0.75, 0.3), QColor(255, 255, 255));

        const double h5 = e.w->form().zoom.image().height;
        zoomCombo->setCurrentIndex(11);
        emit zoomCombo->activated(11);
        QCOMPARE(e.r.settings.zoom.text(), QStringLiteral("20"));
        QCOMPARE(e.w->form().zoom.image().height, 4 * h5);

        // Choosing a series with a picture opens its table.
        emit keiretsu->activated(2);
        QVERIFY(e.r.grid(3).loaded());
        e.r.Init_App();
        QCOMPARE(keiretsu->currentIndex(), 0);
        QCOMPARE(zoomCombo->currentText(), QStringLiteral("5"));
        QVERIFY(!e.w->form().zoom.imageVisible() || e.r.graph.loaded());
    }

    void arrangeAndWindowMenu()
    {
        Env e;
        e.w->show();
        QMdiArea *mdi = e.w->mdiArea();
        auto *table = mdi->addSubWindow(new QWidget);
        table->setWindowTitle(QStringLiteral("系列1"));
        table->show();
        e.find<QAction>("Cscd_Mn")->trigger(); // no graph window: tiles what is open
        QCOMPARE(table->geometry(), mdi->viewport()->rect());

        auto *inner = new QWidget;
        inner->setObjectName(QStringLiteral("Graph_Form"));
        auto *graph = mdi->addSubWindow(inner);
        graph->setWindowTitle(QStringLiteral("chart.png"));
        graph->show();
        mdi->setActiveSubWindow(table);
        e.find<QAction>("Cscd_Mn")->trigger();
        QCOMPARE(mdi->activeSubWindow(), graph);
        const QRect area = mdi->viewport()->rect();
        QCOMPARE(graph->geometry(), QRect(0, 0, area.width() / 2, area.height()));
        QCOMPARE(table->geometry().left(), area.width() / 2);

        QMenu *windows = e.find<QMenu>("Window_Mn");
        emit windows->aboutToShow();
        QStringList titles;
        for (QAction *a : windows->actions())
            titles << a->text();
        QVERIFY(titles.contains(QStringLiteral("系列1")));
        QVERIFY(titles.contains(QStringLiteral("chart.png")));

        // The close box: no questions from the children, which close too.
        e.w->close();
        QVERIFY(e.r.Close_Confirmed);
        QVERIFY(mdi->subWindowList().isEmpty());
        QVERIFY(e.desk.questions.empty());
    }

    void closeBoxAsksOnceWithPointsInTheTables()
    {
        // The whole program's windows: the graph window and the tables close
        // with the main window, whichever closes first, after the one
        // unsaved-changes question (no table asks its own).
        ScriptedDesktop desk;
        Reading r(&desk);
        r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
        AssembledWindow a = assembleMainWindow(r);
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        QVERIFY(a.main->form().Open_Pic(picture(QStringLiteral("close.png"))));
        orv::testing::setDiagonalFrame(r);
        QVERIFY(orv::testing::addPoint(r, 1, 0.3f, 0.4f) > 0);
        QVERIFY(orv::testing::addPoint(r, 2, 0.6f, 0.7f) > 0);
        r.Show_GridForm(2);
        QVERIFY(a.main->mdiArea()->subWindowList().size() >= 3);

        desk.answers3 = {DesktopPort::Answer::No};
        a.main->close();
        QCOMPARE(int(desk.questions.size()), 1);
        QCOMPARE(desk.questions[0].text, Reading::unsavedQuestion());
        QVERIFY(a.main->mdiArea()->subWindowList().isEmpty());
        QVERIFY(!r.grid(1).loaded());
        QVERIFY(!r.grid(2).loaded());
    }

    // Every open over open tables: the tables (and the graph window) the
    // reading has open are live windows in the document area. A window that
    // was just closed is deleted later and must never be shown again.
    void reopenedWindowsAreNewWindows()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
        AssembledWindow a = assembleMainWindow(r);
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        auto live = [&](int series) {
            QTest::qWait(20); // deferred deletions run
            QMdiSubWindow *sub = a.grids->subWindow(series);
            return sub && sub->isVisible() && a.main->mdiArea()->subWindowList().contains(sub);
        };
        QVERIFY(a.main->form().Open_Pic(picture(QStringLiteral("first.png"))));
        QVERIFY(live(1));
        QVERIFY(a.main->form().Open_Pic(picture(QStringLiteral("second.png"))));
        QVERIFY(live(1));
        r.Show_GridForm(2);
        orv::testing::setDiagonalFrame(r);
        QVERIFY(orv::testing::addPoint(r, 2, 0.5f, 0.5f) > 0);
        desk.clipboardPicture = QImage(50, 40, QImage::Format_RGB32);
        a.main->form().ClipBoardPaste_Command_Click();
        QVERIFY(live(1));
        QVERIFY(!r.grid(2).loaded());
        QCOMPARE(desk.questions.size(), size_t(1));

        // The graph window, unloaded and shown again in one go.
        QPointer<QMdiSubWindow> graph = a.graphs->subWindow();
        r.unloadGraph();
        r.showPicture(QImage(60, 50, QImage::Format_RGB32), QStringLiteral("again"));
        QTest::qWait(20);
        QVERIFY(a.graphs->subWindow() && a.graphs->subWindow()->isVisible());
        QVERIFY(a.main->mdiArea()->subWindowList().contains(a.graphs->subWindow()));
        QVERIFY(graph.isNull() || graph != a.graphs->subWindow());
    }

    void tablePlacement()
    {
        const QRect area(0, 0, 1000, 700);
        const QSize want(300, 400), min(250, 150);
        // Beside the graph window, at the top of the free column.
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 600, 500), {}, want, min), QRect(600, 0, 300, 400));
        // Below the tables already there, shortened to the room left.
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 600, 500), {QRect(600, 0, 300, 400)}, want, min),
                 QRect(600, 400, 300, 300));
        // A table over the picture does not push the next one down.
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 600, 500), {QRect(10, 10, 300, 600)}, want, min),
                 QRect(600, 0, 300, 400));
        // A column narrower than the window wants, but wide enough: its width.
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 720, 500), {}, want, min), QRect(720, 0, 280, 400));
        // No free column at all: over the picture, at the area's right edge.
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 900, 700), {}, want, min), QRect(700, 0, 300, 400));
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 1400, 900), {}, want, min), QRect(700, 0, 300, 400));
        // A full column: the lowest place where the whole window shows.
        QCOMPARE(MainWindow::tablePlace(area, QRect(0, 0, 600, 500), {QRect(600, 0, 300, 650)}, want, min),
                 QRect(600, 300, 300, 400));
        // Without a graph window: from the left edge.
        QCOMPARE(MainWindow::tablePlace(area, QRect(), {}, want, min), QRect(0, 0, 300, 400));
    }

    // Tables opened one after another stand in the free area beside the
    // graph window, stacked, and never cover the picture.
    void newTablesOpenBesideTheGraph()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
        AssembledWindow a = assembleMainWindow(r);
        a.main->resize(1400, 1000);
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        QVERIFY(a.main->form().Open_Pic(picture(QStringLiteral("chart.png"), 500, 400)));
        r.Show_GridForm(2);
        r.Show_GridForm(3);
        QTest::qWait(20);
        const QRect g = a.graphs->subWindow()->geometry();
        const QRect view = a.main->mdiArea()->viewport()->rect();
        QVERIFY(view.width() - g.width() > a.grids->subWindow(1)->minimumWidth());
        QRect above;
        for (int s = 1; s <= 3; ++s) {
            const QRect t = a.grids->subWindow(s)->geometry();
            QVERIFY2(!t.intersects(g), qPrintable(QStringLiteral("table %1").arg(s)));
            QCOMPARE(t.left(), g.right() + 1);
            if (s > 1 && above.bottom() + t.height() <= view.bottom())
                QCOMPARE(t.top(), above.bottom() + 1);
            above = t;
        }
        // The windows of a reading loaded in one go are stacked in order too.
        QVERIFY(a.main->form().Open_Pic(picture(QStringLiteral("again.png"), 500, 400)));
        r.Show_GridForm(4);
        QTest::qWait(20);
        QCOMPARE(a.grids->subWindow(1)->pos(), QPoint(g.right() + 1, 0));
        QCOMPARE(a.grids->subWindow(4)->pos(), QPoint(g.right() + 1, a.grids->subWindow(1)->geometry().bottom() + 1));
    }

    void childWindowsShowTheProgramIcon()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
        AssembledWindow a = assembleMainWindow(r);
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        QVERIFY(a.main->form().Open_Pic(picture(QStringLiteral("icon.png"))));
        const QImage want = programIcon().pixmap(16, 16).toImage();
        QVERIFY(!want.isNull());
        for (QMdiSubWindow *s : {a.graphs->subWindow(), a.grids->subWindow(1)}) {
            QVERIFY(s);
            QCOMPARE(s->windowIcon().pixmap(16, 16).toImage(), want);
        }
        QCOMPARE(a.main->windowIcon().pixmap(16, 16).toImage(), want);
    }

    // A file named on the command line opens as a dropped one; a missing
    // file is reported for standard error, an unsupported one by message.
    void commandLineFile()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
        AssembledWindow a = assembleMainWindow(r);
        const QString missing = m_dir.filePath(QStringLiteral("missing.png"));
        QCOMPARE(openCommandLineFile(*a.main, missing),
                 QStringLiteral("orvalinetrix: %1: no such file\n").arg(missing));
        QVERIFY(desk.messages.empty());
        QVERIFY(!r.graph.loaded());

        QFile tiff(m_dir.filePath(QStringLiteral("x.tiff")));
        QVERIFY(tiff.open(QIODevice::WriteOnly));
        tiff.write("II*\0", 4);
        tiff.close();
        QCOMPARE(openCommandLineFile(*a.main, tiff.fileName()), QString());
        QCOMPARE(desk.messages.size(), size_t(1));
        QCOMPARE(desk.messages[0].text, Main_MDI_Form::unsupportedFileText().arg(QStringLiteral("x.tiff")));

        QCOMPARE(openCommandLineFile(*a.main, picture(QStringLiteral("given.png"))), QString());
        QVERIFY(r.graph.loaded());
        QCOMPARE(desk.messages.size(), size_t(1));
    }

    // Each question asks whether to throw something away: Enter and Escape
    // keep it, and the box carries no icon.
    void discardQuestionsDefaultToNo()
    {
        QtDesktop desk;
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Escape), -1}) {
            QMessageBox::Icon icon = QMessageBox::Information;
            QAbstractButton *def = nullptr, *no = nullptr;
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                icon = box->icon();
                def = box->defaultButton();
                no = box->button(QMessageBox::No);
                if (key < 0)
                    box->button(QMessageBox::Yes)->click();
                else
                    QTest::keyClick(box, Qt::Key(key));
            });
            const bool yes = desk.askYesNo(Reading::tableCloseQuestion(), QStringLiteral("Notice!"));
            QCOMPARE(yes, key < 0);
            QCOMPARE(icon, QMessageBox::NoIcon);
            QVERIFY(no && def == no);
        }
    }

    // The two history commands: texts naming the step, enabled only when
    // there is a step, the shortcuts, the toolbar buttons, and an empty
    // history after another picture.
    void historyCommands()
    {
        Env e;
        e.w->show();
        e.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.w.get()));
        auto *undo = e.find<QAction>("Undo_Mn");
        auto *redo = e.find<QAction>("Redo_Mn");
        auto *undoButton = e.find<QAction>("Undo_Mn1");
        auto *redoButton = e.find<QAction>("Redo_Mn1");
        QVERIFY(undo && redo && undoButton && redoButton);
        QCOMPARE(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
        QCOMPARE(redo->shortcuts(), QList<QKeySequence>({QKeySequence(QStringLiteral("Ctrl+Y")),
                                                          QKeySequence(QStringLiteral("Ctrl+Shift+Z"))}));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled() && !undoButton->isEnabled() && !redoButton->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U)"));

        QVERIFY(e.w->form().Open_Pic(picture(QStringLiteral("h.png"))));
        orv::testing::setDiagonalFrame(e.r);
        e.r.history().clear(); // as if opened with its frame (typed boxes are steps too)
        Graph_Form g(e.r);
        g.mouseUp(Graph_Form::LeftButton, 0.4f, 0.6f);
        QVERIFY(e.r.hasPoints());
        QVERIFY(undo->isEnabled() && undoButton->isEnabled());
        QVERIFY(!redo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("元に戻す - 点の追加(&U)"));
        QCOMPARE(undoButton->toolTip(), QStringLiteral("元に戻す - 点の追加"));

        QTest::keyClick(e.w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!e.r.hasPoints());
        QCOMPARE(e.r.grid(1).rowCount(), 1);
        QVERIFY(!undo->isEnabled() && redo->isEnabled() && redoButton->isEnabled());
        QCOMPARE(redo->text(), QStringLiteral("やり直し - 点の追加(&R)"));
        QTest::keyClick(e.w.get(), Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(e.r.hasPoints());
        undoButton->trigger();
        QVERIFY(!e.r.hasPoints());
        QTest::keyClick(e.w.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(e.r.hasPoints());
        QCOMPARE(e.r.grid(1).rowCount(), 2);

        // Another picture (after its question): nothing to undo or redo.
        e.desk.answers3 = {DesktopPort::Answer::No};
        QVERIFY(e.w->form().Open_Pic(picture(QStringLiteral("h2.png"))));
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U)"));
    }

    // Every way of leaving a modified reading asks "save?" once: Cancel
    // stops, Yes saves (a cancelled save dialog stops), No goes on.
    void unsavedChangesAreAskedAboutOnEveryPath()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
        AssembledWindow a = assembleMainWindow(r);
        int quits = 0;
        a.main->quitHandler = [&] { ++quits; };
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        const QString first = picture(QStringLiteral("u1.png")), second = picture(QStringLiteral("u2.png"));
        QVERIFY(a.main->form().Open_Pic(first));
        orv::testing::setDiagonalFrame(r);
        Graph_Form g(r);
        g.mouseUp(Graph_Form::LeftButton, 0.4f, 0.6f);
        QVERIFY(r.history().isModified());
        auto asked = [&] {
            const bool once = desk.questions.size() == 1 && desk.questions[0].text == Reading::unsavedQuestion();
            desk.questions.clear();
            return once;
        };
        auto unchanged = [&] { return r.GraphPic_Path == first && r.hasPoints() && r.history().isModified(); };

        // The close box: Yes with a cancelled save dialog, then Cancel, keep the program.
        desk.answers3 = {DesktopPort::Answer::Yes};
        QVERIFY(!a.main->close());
        QVERIFY(asked());
        QVERIFY(a.main->isVisible() && unchanged());
        desk.answers3 = {DesktopPort::Answer::Cancel};
        QVERIFY(!a.main->close());
        QVERIFY(asked() && unchanged());

        // 終了, another picture, a reading, a pasted picture: Cancel keeps all.
        desk.answers3 = {DesktopPort::Answer::Cancel};
        a.main->findChild<QAction *>(QStringLiteral("Quit_App"))->trigger();
        QVERIFY(asked() && unchanged());
        QCOMPARE(quits, 0);
        desk.answers3 = {DesktopPort::Answer::Cancel};
        QVERIFY(!a.main->form().Open_Pic(second));
        QVERIFY(asked() && unchanged());
        const QString saved = m_dir.filePath(QStringLiteral("u.orvd"));
        {
            // A reading file to open: this one, saved elsewhere first.
            QVERIFY(writeStateFile(saved, stateFileBytes(r)).has_value());
        }
        desk.answers3 = {DesktopPort::Answer::Cancel};
        QCOMPARE(openReadingFile(r, saved), 2);
        QVERIFY(asked() && unchanged());
        desk.clipboardPicture = QImage(120, 80, QImage::Format_RGB32);
        desk.answers3 = {DesktopPort::Answer::Cancel};
        a.main->form().ClipBoardPaste_Command_Click();
        QVERIFY(asked() && unchanged());

        // Yes saves through the normal save and goes on.
        const QString target = m_dir.filePath(QStringLiteral("saved-on-the-way.orvd"));
        desk.answers3 = {DesktopPort::Answer::Yes};
        desk.fileNames.push_back(target);
        QVERIFY(a.main->form().Open_Pic(second));
        QVERIFY(asked());
        QVERIFY(QFileInfo::exists(target));
        QCOMPARE(r.GraphPic_Path, second);
        QVERIFY(!r.history().isModified());

        // Not modified: no question at all, and 終了 just ends.
        a.main->findChild<QAction *>(QStringLiteral("Quit_App"))->trigger();
        QVERIFY(desk.questions.empty());
        QCOMPARE(quits, 1);
    }

    void threeButtonQuestion()
    {
        QtDesktop desk;
        const QList<std::pair<int, DesktopPort::Answer>> cases = {
            {int(Qt::Key_Escape), DesktopPort::Answer::Cancel},
            {int(Qt::Key_Return), DesktopPort::Answer::Yes},
            {-1, DesktopPort::Answer::No}};
        for (const auto &[key, expected] : cases) {
            QString text;
            int buttons = 0;
            QTimer::singleShot(0, [&, key = key] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                text = box->text();
                buttons = int(box->buttons().size());
                if (key < 0)
                    box->button(QMessageBox::No)->click();
                else
                    QTest::keyClick(box, Qt::Key(key));
            });
            QCOMPARE(desk.askYesNoCancel(Reading::unsavedQuestion(), QStringLiteral("Notice!")), expected);
            QCOMPARE(text, QStringLiteral("保存されていない変更があります。\n保存しますか？"));
            QCOMPARE(buttons, 3);
        }
    }

    void messageLineBreaks()
    {
        QCOMPARE(QtDesktop::displayText(Main_MDI_Form::logAxisText()),
                 QStringLiteral("対数(Log)軸で0又は0以下の指定は出来ません。\n(暫定的に0.01に変更します。)"));
        QCOMPARE(QtDesktop::displayText(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a\nb\nc\nd"));
        QCOMPARE(QtDesktop::qtFilter(Main_MDI_Form::stateFileFilter()), QStringLiteral("状態設定ファイル(*.orvd)"));
    }

    void splashRefusesToCloseWhileWaiting()
    {
        SplashWidget s;
        int mains = 0;
        connect(&s.core(), &frmSplash::showMainWindow, [&] { ++mains; });
        QCOMPARE(s.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(),
                 QStringLiteral("Version ") + Reading::versionText());
        QCOMPARE(s.findChild<QLabel *>(QStringLiteral("Picture1"))->pixmap().size(), QSize(276, 160));
        s.show();
        s.core().startTimer();
        QTest::mouseClick(&s, Qt::LeftButton);
        QTest::mouseClick(s.findChild<QLabel *>(QStringLiteral("Label1")), Qt::LeftButton);
        QTest::keyClick(&s, Qt::Key_Escape);
        QTest::keyClick(&s, Qt::Key_Return);
        s.close();
        QVERIFY(s.isVisible());
        QCOMPARE(mains, 0); // not hastened either
        QTRY_VERIFY_WITH_TIMEOUT(!s.isVisible(), 4000);
        QCOMPARE(mains, 1);

        // As the version box: the first click closes it.
        SplashWidget v;
        v.show();
        QTest::mouseClick(v.findChild<QLabel *>(QStringLiteral("lblVersion")), Qt::LeftButton);
        QVERIFY(!v.isVisible());
        QCOMPARE(v.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
