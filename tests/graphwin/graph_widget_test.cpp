#include "app/assembly.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "table/grid_form_widget.h"
#include "tests/support/reading_fixtures.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolTip>

using namespace orv;

class GraphWidgetTest : public QObject {
    Q_OBJECT

    ScriptedDesktop desk;
    std::unique_ptr<Reading> r;
    std::unique_ptr<QMdiArea> mdi;
    std::unique_ptr<GraphWindowHost> host;

    GraphPictureArea *area() { return host->widget()->pictureArea(); }
    QPoint at(float x, float y) { return area()->toPixels(x, y).toPoint(); }
    void frame()
    {
        orv::testing::setDiagonalFrame(*r);
    }

private Q_SLOTS:
    void init()
    {
        desk = ScriptedDesktop();
        r = std::make_unique<Reading>(&desk);
        r->Init_App();
        mdi = std::make_unique<QMdiArea>();
        mdi->resize(900, 700);
        mdi->show();
        host = std::make_unique<GraphWindowHost>(*r, mdi.get());
        QImage pic(400, 300, QImage::Format_RGB32);
        pic.fill(Qt::white);
        r->showPicture(pic, QStringLiteral("chart.png"));
        QVERIFY(host->widget());
        QVERIFY(QTest::qWaitForWindowExposed(mdi.get()));
    }
    void cleanup()
    {
        host.reset();
        mdi.reset();
        r.reset();
    }

    void opensAtThePicturesSize()
    {
        QCOMPARE(area()->size(), QSize(400, 300));
        QCOMPARE(host->subWindow()->windowTitle(), QStringLiteral("chart.png"));
        QVERIFY(host->subWindow()->width() >= 409);
        QVERIFY(host->subWindow()->height() >= 336);
        QVERIFY(r->Is_FormOpen(QStringLiteral("Graph_Form")));
    }

    void aNewPictureResizesTheOpenWindow()
    {
        const QSize before = host->subWindow()->size();
        QImage big(600, 450, QImage::Format_RGB32);
        big.fill(Qt::gray);
        r->showPicture(big, QStringLiteral("big.png"));
        QCOMPARE(area()->size(), QSize(600, 450));
        QCOMPARE(host->subWindow()->size(), before + QSize(200, 150));
        QVERIFY(host->subWindow()->minimumWidth() >= 600);
        QCOMPARE(host->subWindow()->windowTitle(), QStringLiteral("big.png"));
    }

    void clicksAddPointsAndRightClickDeselects()
    {
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.7f, 0.3f));
        QCOMPARE(r->graph.pickCount(), 2);
        QCOMPARE(r->grid(1).rowCount(), 3);
        QTest::mouseClick(area(), Qt::RightButton, {}, at(0.2f, 0.2f));
        QTest::mouseClick(area(), Qt::MiddleButton, {}, at(0.2f, 0.2f));
        QCOMPARE(r->graph.pickCount(), 2);
        // Pointer moves show the readout in the window's status bar.
        QTest::mouseMove(area(), at(0.5f, 0.5f));
        QTRY_VERIFY(host->widget()->statusLabel()->text().startsWith(QStringLiteral("X=")));
    }

    void dragAPointAndDropOnAnotherMarker()
    {
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.3f, 0.3f));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.6f, 0.6f));
        const QString rec2 = r->Pt_Array[2];
        // Press on marker 2, release on marker 1: nothing moves.
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.6f, 0.6f));
        QCOMPARE(r->Sel_PtNo, 2);
        QTest::mouseMove(area(), at(0.3f, 0.3f));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.3f, 0.3f));
        QCOMPARE(r->Pt_Array[2], rec2);
        QVERIFY(r->graph.selShapePt().visible);
        // Press again and drop on empty picture: moved, same row.
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.6f, 0.6f));
        QTest::mouseMove(area(), at(0.8f, 0.5f));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.8f, 0.5f));
        QVERIFY(r->Pt_Array[2] != rec2);
        QCOMPARE(r->grid(1).cell(2, 1), QStringLiteral("2"));
        QCOMPARE(r->grid(1).rowCount(), 3);
        // Keys on the picture: Escape, then Delete does nothing.
        area()->setFocus();
        QTest::keyClick(area(), Qt::Key_Escape);
        QCOMPARE(r->Sel_PtNo, 0);
        QTest::keyClick(area(), Qt::Key_Delete);
        QCOMPARE(r->graph.pickCount(), 2);
        // Selected again, Delete removes the point and its row.
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.3f, 0.3f));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.3f, 0.3f));
        QCOMPARE(r->Sel_PtNo, 1);
        QTest::keyClick(area(), Qt::Key_Delete);
        QCOMPARE(r->graph.pickCount(), 1);
        QVERIFY(!r->graph.hasPick(1));
        QCOMPARE(r->grid(1).rowCount(), 2);
        QCOMPARE(r->grid(1).cell(1, 1), QStringLiteral("2"));
        QCOMPARE(r->Sel_PtNo, -1);
    }

    void shiftRightMovesExactlyOneHundredth()
    {
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.5f, 0.5f)); // plain selection
        const float left0 = r->graph.pick(1)->left;
        QTest::keyClick(area(), Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(std::abs(r->graph.pick(1)->left - left0 - 0.01f) < 1e-6f);
    }

    void closingAsksAndNoKeepsTheWindow()
    {
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        desk.answers = {false};
        host->subWindow()->close();
        QVERIFY(host->subWindow());
        QVERIFY(host->subWindow()->isVisible());
        QCOMPARE(r->graph.pickCount(), 1);
        desk.answers = {true};
        host->subWindow()->close();
        QTRY_VERIFY(!host->subWindow());
        QVERIFY(!r->graph.loaded());
        QVERIFY(!r->hasPoints());
        QCOMPARE(int(desk.questions.size()), 2);
    }

    void unloadingTheGraphClosesTheWindowWithoutAsking()
    {
        r->unloadGraph();
        QTRY_VERIFY(!host->subWindow());
        QCOMPARE(int(desk.questions.size()), 0);
    }

    void closingTheMainWindowAsksNothing()
    {
        // The real main window with the graph window opened first, so that it
        // closes before the tables.
        ScriptedDesktop d;
        Reading rd(&d);
        AssembledWindow a = assembleMainWindow(rd);
        a.main->form().MDIForm_Load();
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        rd.showPicture(QImage(200, 150, QImage::Format_RGB32), QStringLiteral("c.png"));
        orv::testing::setDiagonalFrame(rd);
        QVERIFY(orv::testing::addPoint(rd, 1, 0.5f, 0.5f) > 0);
        QVERIFY(orv::testing::addPoint(rd, 2, 0.4f, 0.4f) > 0);
        QVERIFY(a.graphs->subWindow() && a.grids->subWindow(1) && a.grids->subWindow(2));
        d.answers = {false, false, false};
        a.main->close();
        QCOMPARE(int(d.questions.size()), 0);
        QVERIFY(a.main->mdiArea()->subWindowList().isEmpty());
    }

    void markersLookAsDrawn()
    {
        const QImage icon = GraphPictureArea::markerIcon(QColor(0, 0, 255), QColor(0, 128, 192));
        QCOMPARE(icon.size(), QSize(9, 9));
        QCOMPARE(icon.pixelColor(4, 0), QColor(0, 0, 255));
        QCOMPARE(icon.pixelColor(4, 4), QColor(0, 128, 192));
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        const QImage shot = area()->grab().toImage();
        const QPoint c = at(0.5f, 0.5f);
        QCOMPARE(shot.pixelColor(c), QColor(0, 128, 192));
        // The red outline runs along the frame's left edge.
        QCOMPARE(shot.pixelColor(at(0.1f, 0.5f)), QColor(255, 0, 0));
        QCOMPARE(area()->pickRect(1).size(), QSize(9, 9));

        // Selected, the point gets a blue ring of 250 twips (about 17 pixels)
        // around it: blue on the ring, the picture just outside it.
        QTest::mousePress(area(), Qt::LeftButton, {}, c);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, c);
        const QImage ringed = area()->grab().toImage();
        for (QPoint d : {QPoint(7, 0), QPoint(-7, 0), QPoint(0, 7), QPoint(0, -7)}) {
            const QColor on = ringed.pixelColor(c + d);
            QVERIFY2(on.blue() > 200 && on.red() < 150, qPrintable(on.name()));
            QCOMPARE(ringed.pixelColor(c + d * 10 / 7), QColor(Qt::white));
        }
    }

    void pointMarkersShowTheirToolTip()
    {
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        auto hover = [this](QPoint p) {
            QHelpEvent e(QEvent::ToolTip, p, area()->mapToGlobal(p));
            QApplication::sendEvent(area(), &e);
        };
        hover(at(0.5f, 0.5f) + QPoint(3, -2)); // anywhere on the 9 x 9 marker
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("系列1：ID=1,X=5.0000,Y=50.000,Z=0"));
        hover(at(0.3f, 0.3f)); // bare picture: no tip
        QTRY_VERIFY(!QToolTip::isVisible());
    }
};

QTEST_MAIN(GraphWidgetTest)
#include "graph_widget_test.moc"
