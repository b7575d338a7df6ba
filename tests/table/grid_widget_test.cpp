#include "table/grid_form_widget.h"
#include "tests/support/reading_fixtures.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

using namespace orv;

class GridWidgetTest : public QObject {
    Q_OBJECT

    ScriptedDesktop desk;
    std::unique_ptr<Reading> r;
    std::unique_ptr<QMdiArea> mdi;
    std::unique_ptr<GridWindowsHost> host;

    void add(int series, float x, float y) { QVERIFY(orv::testing::addPoint(*r, series, x, y) > 0); }
    QPoint cellCentre(QTableView *v, int row, int col) { return v->visualRect(v->model()->index(row, col)).center(); }

private Q_SLOTS:
    void init()
    {
        desk = ScriptedDesktop();
        r = std::make_unique<Reading>(&desk);
        r->Init_App();
        orv::testing::setDiagonalFrame(*r);
        r->showPicture(QImage(100, 100, QImage::Format_RGB32), QStringLiteral("c.png"));
        mdi = std::make_unique<QMdiArea>();
        mdi->resize(900, 700);
        host = std::make_unique<GridWindowsHost>(*r, mdi.get());
        mdi->show();
        QVERIFY(QTest::qWaitForWindowExposed(mdi.get()));
    }
    void cleanup()
    {
        host.reset();
        mdi.reset();
        r.reset();
    }

    void windowOpensWithTheFirstPoint()
    {
        QVERIFY(!host->subWindow(1));
        add(1, 0.5f, 0.5f);
        QVERIFY(host->subWindow(1));
        QCOMPARE(host->subWindow(1)->windowTitle(), QStringLiteral("系列1"));
        GridFormWidget *w = host->widget(1);
        QCOMPARE(w->grid()->model()->rowCount(), 1);
        QCOMPARE(w->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ID"));
        QCOMPARE(w->grid()->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QVERIFY(w->allClearButton()->isEnabled());
        QCOMPARE(w->dataDisposalButton()->toolTip(), QStringLiteral("CSV保存、近似式作成等を行います。"));
        // Column widths at the minimum window width of 4500 twips.
        QCOMPARE(w->grid()->horizontalHeader()->sectionSize(1), 1100 / 15);
        QCOMPARE(w->grid()->horizontalHeader()->sectionSize(3), 800 / 15);

        // Dragged smaller, the window keeps 4500 x 2000 twips, and the
        // layout is that of the window's real size.
        host->subWindow(1)->resize(120, 60);
        QCOMPARE(w->size(), QSize(4500 / 15, 134));
        QCOMPARE(r->grid(1).heightTwips, w->height() * 15);
        QVERIFY(w->dataDisposalButton()->geometry().bottom() < w->height());
    }

    void headerRowAndNumberColumnAreLabelled()
    {
        add(1, 0.5f, 0.5f);
        QTableView *v = host->widget(1)->grid();
        // The corner above the row numbers shows "No." like the other headers:
        // it has text-dark pixels, as the "ID" header has.
        auto darkPixels = [](const QImage &img) {
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    n += qGray(img.pixel(x, y)) < 80;
            return n;
        };
        auto *corner = v->findChild<QAbstractButton *>();
        QVERIFY(corner);
        QCOMPARE(corner->geometry().width(), v->verticalHeader()->width());
        const QImage cornerShot = corner->grab().toImage();
        QHeaderView *h = v->horizontalHeader();
        const QImage idShot = h->grab(QRect(h->sectionViewportPosition(0), 0, h->sectionSize(0), h->height())).toImage();
        QVERIFY(darkPixels(idShot) > 5);
        QVERIFY2(darkPixels(cornerShot) > 5, "the corner header shows no text");
    }

    void addingAndChangingRowsScrollsThemIntoView()
    {
        add(1, 0.2f, 0.5f);
        host->subWindow(1)->resize(10, 10); // a low window: only a few rows show
        for (int i = 1; i < 12; ++i)
            add(1, 0.2f + 0.05f * i, 0.5f);
        QTableView *v = host->widget(1)->grid();
        // The twelfth row makes row 4 the first visible data row.
        QTRY_COMPARE(v->rowAt(0), 3);
        // The user scrolls back to the top; re-reading point 12 (a drag or a
        // key does) scrolls row 4 to the top again.
        v->verticalScrollBar()->setValue(0);
        QCOMPARE(v->rowAt(0), 0);
        QVERIFY(r->Conv_Pt(0.7f, 0.6f));
        r->Set_GridPt(1, QStringLiteral("Change"), 12);
        QTRY_COMPARE(v->rowAt(0), 3);
    }

    void choosingAnOpenSeriesBringsItsWindowToTheFront()
    {
        add(1, 0.5f, 0.5f);
        add(2, 0.5f, 0.5f);
        QTRY_COMPARE(mdi->activeSubWindow(), host->subWindow(2));
        r->Show_GridForm(1);
        QCOMPARE(mdi->activeSubWindow(), host->subWindow(1));
    }

    void typingInTheZEditor()
    {
        add(1, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        QTest::keyClicks(w->editor(), QStringLiteral("1a2"));
        QCOMPARE(w->editor()->text(), QStringLiteral("12"));
        QCOMPARE(desk.beeps, 1);
        QTest::keyClick(w->editor(), Qt::Key_Return);
        QVERIFY(!w->editor()->isVisible());
        QCOMPARE(r->grid(1).cell(1, 4), QStringLiteral("12"));
        QCOMPARE(r->Pt_Array[1], QStringLiteral("TRUE,1,0.5,0.5,12"));
        // Escape restores.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        QTest::keyClicks(w->editor(), QStringLiteral("-3"));
        QTest::keyClick(w->editor(), Qt::Key_Escape);
        QCOMPARE(r->grid(1).cell(1, 4), QStringLiteral("12"));
        // X cells never open it.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 1));
        QVERIFY(!w->editor()->isVisible());
    }

    void zEditorKeysAndLeavingWithoutEnter()
    {
        add(1, 0.3f, 0.3f);
        add(1, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 3));
        QTRY_VERIFY(w->editor()->hasFocus());
        // Over the clicked cell, light blue.
        QCOMPARE(w->editor()->geometry().topLeft(), v->visualRect(v->model()->index(1, 3)).topLeft());
        QCOMPARE(w->editor()->width(), v->visualRect(v->model()->index(1, 3)).width());
        QCOMPARE(w->editor()->grab().toImage().pixelColor(w->editor()->width() - 3, w->editor()->height() / 2),
                 QColor(192, 192, 255));
        QTest::keyClicks(w->editor(), QStringLiteral("3-"));
        QCOMPARE(w->editor()->text(), QStringLiteral("3"));
        QTest::keyClick(w->editor(), Qt::Key_Backspace);
        QTest::keyClicks(w->editor(), QStringLiteral("-3"));
        QCOMPARE(w->editor()->text(), QStringLiteral("-3"));
        QCOMPARE(desk.beeps, 1);
        // Clicking another cell leaves the editor without committing.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 1));
        QTRY_VERIFY(!w->editor()->isVisible());
        QCOMPARE(r->grid(1).cell(2, 4), QString());
        QCOMPARE(r->Pt_Array[2], QStringLiteral("TRUE,1,0.5,0.5,0"));
        // After Enter the row still rings its point, where it was.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        QTest::keyClicks(w->editor(), QStringLiteral("4.5"));
        QTest::keyClick(w->editor(), Qt::Key_Enter);
        QCOMPARE(r->Pt_Array[2], QStringLiteral("TRUE,1,0.5,0.5,4.5"));
        QCOMPARE(r->graph.pick(2)->toolTip, QStringLiteral("系列1：ID=2,X=5.0000,Y=50.000,Z=4.5"));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 0));
        QCOMPARE(r->Sel_PtNo, 2);
        QVERIFY(r->graph.selShapePt().visible);
        QCOMPARE(r->graph.selShapePt().left + r->graph.ringWidth / 2, 0.5f);
    }

    void selectingARowRingsThePointAndCopyTakesTheBlock()
    {
        add(1, 0.3f, 0.3f);
        add(1, 0.6f, 0.6f);
        add(1, 0.7f, 0.7f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 0));
        QCOMPARE(r->Sel_PtNo, 2);
        QVERIFY(r->graph.selShapePt().visible);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(v, 2, 2));
        QCOMPARE(r->grid(1).selectionText(), QStringLiteral("2\t6.2500\t62.500\r\n3\t7.5000\t75.000"));
        QTest::keyClick(v, Qt::Key_Escape);
        QCOMPARE(r->Sel_PtNo, 0);
        QVERIFY(!r->graph.selShapePt().visible);
    }

    void aClickOnTheHeadersNamesTheTableForCopy()
    {
        add(1, 0.3f, 0.3f);
        add(2, 0.6f, 0.6f);
        QTableView *v1 = host->widget(1)->grid(), *v2 = host->widget(2)->grid();
        QTest::mouseClick(v2->viewport(), Qt::LeftButton, {}, cellCentre(v2, 0, 3));
        QTRY_VERIFY(host->widget(2)->editor()->isVisible());
        QCOMPARE(r->Cur_Keiretsu, 2);
        QTest::mouseClick(v1->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(r->Cur_Keiretsu, 1);
        QTest::mouseClick(v2->verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(r->Cur_Keiretsu, 2);
        QVERIFY(!host->widget(2)->editor()->isVisible());
        // Below the last row.
        QTest::mouseClick(v1->viewport(), Qt::LeftButton, {}, QPoint(5, v1->viewport()->height() - 3));
        QCOMPARE(r->Cur_Keiretsu, 1);
    }

    void buttonsDeleteAndDisable()
    {
        add(1, 0.3f, 0.3f);
        add(1, 0.6f, 0.6f);
        GridFormWidget *w = host->widget(1);
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, cellCentre(w->grid(), 0, 0));
        QTest::mouseClick(w->deleteRowButton(), Qt::LeftButton);
        QCOMPARE(r->grid(1).rowCount(), 2);
        QCOMPARE(r->grid(1).cell(1, 1), QStringLiteral("2"));
        QTest::mouseClick(w->allClearButton(), Qt::LeftButton);
        QVERIFY(r->grid(1).isEmpty());
        QVERIFY(!w->allClearButton()->isEnabled());
        QVERIFY(!w->rereadButton()->isEnabled());
        QVERIFY(!r->hasPoints());
    }

    void closeBoxAsksAndNoKeepsPoints()
    {
        add(1, 0.5f, 0.5f);
        desk.answers = {false};
        host->subWindow(1)->close();
        QVERIFY(host->subWindow(1));
        QCOMPARE(r->graph.pickCount(), 1);
        desk.answers = {true};
        host->subWindow(1)->close();
        QTRY_VERIFY(!host->subWindow(1));
        QVERIFY(!r->grid(1).loaded());
        QCOMPARE(r->graph.pickCount(), 0);
        QCOMPARE(r->Grid_Opened[1], 0);
        // A reset closes the others without a window failing.
        add(2, 0.5f, 0.5f);
        r->Close_Confirmed = true;
        r->Reset_Reading();
        QTRY_VERIFY(!host->subWindow(2));
    }

    void rightClickPopsUpTheEditMenu()
    {
        QMenu menu;
        menu.addAction(QStringLiteral("コピー(&C)"));
        host->setEditMenu(&menu);
        add(3, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(3);
        QTest::mouseClick(w->grid()->viewport(), Qt::RightButton, {}, cellCentre(w->grid(), 0, 0));
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(r->Cur_Keiretsu, 3);
        menu.hide();
    }
};

QTEST_MAIN(GridWidgetTest)
#include "grid_widget_test.moc"
