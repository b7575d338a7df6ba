#include "app/assembly.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "table/grid_form_widget.h"
#include "tests/support/reading_fixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>
#include <QHelpEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
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
        QVERIFY(host->subWindow()->minimumWidth() >= host->widget()->readoutWidth());
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

    // The grid overlay: drawn only when switched on with a complete frame,
    // in its own half-transparent colour, sliding with a dragged corner
    // before the drop, and never touching the reading.
    void gridOverlayFollowsItsSwitchAndADraggedCorner()
    {
        r->panel.selectTab(2);
        for (QPointF c : {QPointF(0.1, 0.1), QPointF(0.1, 0.9), QPointF(0.9, 0.9), QPointF(0.9, 0.1)}) {
            QTest::mouseClick(area(), Qt::LeftButton, {}, at(float(c.x()), float(c.y())));
        }
        r->panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        r->setDfntDone(true);
        const QColor white(255, 255, 255);
        auto pixel = [&](float x, float y) {
            const QImage img = area()->grab().toImage();
            const QPoint p = at(x, y);
            // The line is one pixel wide: the most coloured of the pixels around.
            QColor best = white;
            for (int dx = -1; dx <= 1; ++dx) {
                const QColor c = img.pixelColor(p + QPoint(dx, 0));
                if (c.green() - c.red() > best.green() - best.red())
                    best = c;
            }
            return best;
        };
        auto isGrid = [](QColor c) { return c.green() - c.red() > 40 && c.red() > 60; }; // half-transparent green
        // X lines at 0, 2, ..., 10: x = 0.1, 0.26, 0.42, 0.58, 0.74, 0.9.
        QCOMPARE(pixel(0.42f, 0.5f), white);
        r->graph.setGridVisible(true);
        QVERIFY(isGrid(pixel(0.42f, 0.5f)));
        QVERIFY(isGrid(pixel(0.5f, 0.26f)));  // a Y line (0, 0.2, ..., 1 over 0..1)
        QCOMPARE(pixel(0.5f, 0.5f).rgb(), white.rgb()); // between lines
        // The frame outline keeps its red, in another colour than the grid.
        QVERIFY(!isGrid(area()->grab().toImage().pixelColor(at(0.9f, 0.5f))));

        const QStringList before = {r->panel.pos(CalibPanel::RUX_Text), r->panel.pos(CalibPanel::RUY_Text)};
        QVERIFY(!isGrid(pixel(0.8f, 0.5f)));
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.9f, 0.9f));
        QCOMPARE(r->Drag_DfntNo, int(RU));
        {
            QMouseEvent move(QEvent::MouseMove, QPointF(at(0.7f, 0.9f)), area()->mapToGlobal(QPointF(at(0.7f, 0.9f))),
                             Qt::NoButton, Qt::LeftButton, {});
            QApplication::sendEvent(area(), &move);
        }
        // Mid-drag, the X=10 line (and the red outline over it) runs from RL
        // (0.9, 0.1) to the pointer; the X=8 line from (0.74, 0.1) to (0.58,
        // 0.9) crosses half height at x = 0.66. The reading has not changed.
        QVERIFY(isGrid(pixel(0.66f, 0.5f)));
        QCOMPARE((QStringList{r->panel.pos(CalibPanel::RUX_Text), r->panel.pos(CalibPanel::RUY_Text)}), before);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.7f, 0.9f));
        QVERIFY(r->panel.pos(CalibPanel::RUX_Text) != before[0]);
        // Dropped: the frame's own edge now (drawn in red over the grid); the
        // X=8 line runs from (0.74, 0.1) to (0.58, 0.9).
        QVERIFY(isGrid(pixel(0.66f, 0.5f)));

        // Off again: no grid anywhere.
        r->graph.setGridVisible(false);
        QCOMPARE(pixel(0.42f, 0.5f).rgb(), white.rgb());
        // On, but the frame incomplete: none either.
        r->graph.setGridVisible(true);
        r->panel.setPos(CalibPanel::LLX_Text, QString());
        r->setDfntDone(false);
        QCOMPARE(pixel(0.42f, 0.5f).rgb(), white.rgb());
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

    void closingTheMainWindowAsksOnlyAboutUnsavedChanges()
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
        d.answers3 = {DesktopPort::Answer::No};
        a.main->close();
        QCOMPARE(int(d.questions.size()), 1);
        QCOMPARE(d.questions[0].text, Reading::unsavedQuestion());
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

    void clicksReadThePixelCentres()
    {
        // A drawn chart: axes along pixel column 40 and row 260, the frame's
        // far corner at pixel (360, 40), a data dot at (200, 150).
        QImage chart(400, 300, QImage::Format_RGB32);
        chart.fill(Qt::white);
        for (int y = 40; y <= 260; ++y)
            chart.setPixel(40, y, qRgb(0, 0, 0));
        for (int x = 40; x <= 360; ++x)
            chart.setPixel(x, 260, qRgb(0, 0, 0));
        chart.setPixel(360, 40, qRgb(0, 0, 0));
        chart.setPixel(200, 150, qRgb(0, 0, 0));
        r->showPicture(chart, QStringLiteral("drawn.png"));
        auto stored = [](double v) { return plainNumText(float(v)); };
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(40, 260));
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(360, 40));
        QVERIFY(r->panel.isDiagonal());
        QCOMPARE(r->panel.pos(CalibPanel::LLX_Text), stored(40.5 / 400));
        QCOMPARE(r->panel.pos(CalibPanel::LLY_Text), stored(1 - 260.5 / 300));
        QCOMPARE(r->panel.pos(CalibPanel::RUX_Text), stored(360.5 / 400));
        QCOMPARE(r->panel.pos(CalibPanel::RUY_Text), stored(1 - 40.5 / 300));
        // Derived corners as the main window's rules would write them.
        r->panel.setPos(CalibPanel::LUX_Text, r->panel.pos(CalibPanel::LLX_Text));
        r->panel.setPos(CalibPanel::LUY_Text, r->panel.pos(CalibPanel::RUY_Text));
        r->panel.setPos(CalibPanel::RLX_Text, r->panel.pos(CalibPanel::RUX_Text));
        r->panel.setPos(CalibPanel::RLY_Text, r->panel.pos(CalibPanel::LLY_Text));
        r->panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("320"));
        r->panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("220"));
        r->setDfntDone(true);
        // One unit a pixel from the axes' pixels: the dot reads (160, 110).
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(200, 150));
        QCOMPARE(r->Pt_Array[1], QStringLiteral("TRUE,1,%1,%2,0").arg(stored(200.5 / 400), stored(1 - 150.5 / 300)));
        QCOMPARE(r->grid(1).cell(1, 2), QStringLiteral("160.00"));
        QCOMPARE(r->grid(1).cell(1, 3), QStringLiteral("110.00"));
        // Its marker is centred on the pixel clicked, the outline runs
        // through the corners' pixels.
        const QImage shot = area()->grab().toImage();
        QCOMPARE(shot.pixelColor(200, 150), QColor(0, 128, 192));
        QCOMPARE(shot.pixelColor(196, 150), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(204, 150), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(200, 146), QColor(0, 0, 255));
        QCOMPARE(shot.pixelColor(200, 154), QColor(0, 0, 255));
        for (QPoint q : {QPoint(40, 100), QPoint(360, 100), QPoint(100, 40), QPoint(100, 260)})
            QCOMPARE(shot.pixelColor(q), QColor(255, 0, 0));

        // A frame written elsewhere, its corners on pixel edges (x = 40 and
        // 360, y = 30 and 270 pixels): a click reads its pixel's centre.
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(120, 200));
        QCOMPARE(r->grid(1).cell(2, 2), QStringLiteral("2.5156")); // (120.5 - 40) / 320 * 10
        QCOMPARE(r->grid(1).cell(2, 3), QStringLiteral("28.958")); // (270 - 200.5) / 240 * 100
        // The pointer readout reads the same place, and the zoom view puts
        // the same place under its cross-hair.
        QPointF followed;
        connect(r.get(), &Reading::zoomFollowRequested, this, [&](float x, float y) { followed = QPointF(x, y); });
        QTest::mouseMove(area(), QPoint(120, 200));
        QTRY_COMPARE(host->widget()->statusLabel()->text(), QStringLiteral("X=2.5156 , Y=28.958"));
        QCOMPARE(followed, QPointF(float(120.5 / 400), float(1 - 200.5 / 300)));
        disconnect(r.get(), &Reading::zoomFollowRequested, this, nullptr);
    }

    void aReleaseBeyondThePictureAddsNothing()
    {
        // Before the frame: no corner.
        QTest::mousePress(area(), Qt::LeftButton, {}, QPoint(300, 100));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, QPoint(450, 100));
        QVERIFY(r->panel.pos(CalibPanel::RUX_Text).isEmpty());
        QVERIFY(r->panel.pos(CalibPanel::RLX_Text).isEmpty());
        QVERIFY(!r->graph.dfnt(RU).visible);
        // After it: no point, on any side.
        frame();
        for (QPoint out : {QPoint(550, 150), QPoint(-1, 150), QPoint(200, 300), QPoint(200, -20)}) {
            QTest::mousePress(area(), Qt::LeftButton, {}, QPoint(200, 150));
            QTest::mouseRelease(area(), Qt::LeftButton, {}, out);
        }
        QCOMPARE(r->graph.pickCount(), 0);
        QCOMPARE(r->grid(1).rowCount(), 1);
        QVERIFY(!r->hasPoints());
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(399, 299)); // the last pixel is on it
        QCOMPARE(r->graph.pickCount(), 1);
    }

    void picturesOfEverySizeStayReadable()
    {
        QLabel *readout = host->widget()->statusLabel();
        // A tiny picture: the window is as wide as a long readout.
        QImage tiny(60, 40, QImage::Format_RGB32);
        tiny.fill(Qt::white);
        r->showPicture(tiny, QStringLiteral("tiny.png"));
        QCOMPARE(area()->size(), QSize(60, 40));
        orv::testing::setDiagonalFrame(*r, "-5", "2.5E6");
        r->panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("-1E-300"));
        r->settings.xFormat.setText(QStringLiteral("0.00000e+0"));
        r->settings.yFormat.setText(QStringLiteral("0.00000e+0"));
        QTest::mouseMove(area(), QPoint(12, 30));
        QTRY_VERIFY(readout->text().startsWith(QStringLiteral("X=-")));
        QVERIFY2(readout->fontMetrics().horizontalAdvance(readout->text()) <= readout->contentsRect().width(),
                 qPrintable(readout->text()));
        QVERIFY(host->subWindow()->minimumWidth() >= host->widget()->readoutWidth());

        // A picture larger than the document area opens whole, in a window
        // within the area; at 100 % it scrolls inside that window, its
        // readout in view.
        QImage big(1800, 1200, QImage::Format_RGB32);
        big.fill(Qt::gray);
        r->showPicture(big, QStringLiteral("big.png"));
        QCOMPARE(host->widget()->viewScale().entry(), ViewScale::kFit);
        QCOMPARE(host->widget()->scaleCombo()->currentText(), QStringLiteral("全体"));
        QScrollArea *scroll = host->widget()->scrollArea();
        QVERIFY(area()->width() <= scroll->width() && area()->height() <= scroll->height());
        // Fitted on its binding side (to a pixel), its shape kept.
        QVERIFY(area()->width() >= scroll->width() - 1 || area()->height() >= scroll->height() - 1);
        QVERIFY(std::abs(area()->width() * 1200.0 / 1800.0 - area()->height()) <= 1.0);
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(r->graph.picAreaWidthTwips, 1800.f * 15.f);
        QTest::keyClick(area(), Qt::Key_0, Qt::ControlModifier); // already whole
        QCOMPARE(host->widget()->viewScale().entry(), ViewScale::kFit);
        host->widget()->setScaleEntry(ViewScale::kHundred, QPointF(0, 0));
        QCOMPARE(area()->size(), QSize(1800, 1200));
        const QRect room = mdi->viewport()->rect();
        const QSize sub = host->subWindow()->size();
        QVERIFY2(room.contains(host->subWindow()->geometry()),
                 qPrintable(QStringLiteral("%1 x %2").arg(sub.width()).arg(sub.height())));
        QVERIFY(readout->isVisible());
        const QRect shown(readout->mapTo(mdi->viewport(), QPoint(0, 0)), readout->size());
        QVERIFY(room.contains(shown));
        QVERIFY(host->widget()->scrollArea()->horizontalScrollBar()->maximum() > 0);
        QVERIFY(host->widget()->scrollArea()->verticalScrollBar()->maximum() > 0);
        // It opens at its upper-left corner.
        QCOMPARE(host->widget()->scrollArea()->horizontalScrollBar()->value(), 0);
        QCOMPARE(host->widget()->scrollArea()->verticalScrollBar()->value(), 0);
        // Clicks on a scrolled picture read its own pixels.
        host->widget()->scrollArea()->horizontalScrollBar()->setValue(1000);
        host->widget()->scrollArea()->verticalScrollBar()->setValue(900);
        orv::testing::setDiagonalFrame(*r);
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(1500, 1100));
        QCOMPARE(r->Pt_Array[1], QStringLiteral("TRUE,1,%1,%2,0")
                                     .arg(plainNumText(float(1500.5 / 1800)), plainNumText(float(1 - 1100.5 / 1200))));
    }

    void theViewScaleChangesNoValue()
    {
        // A 1000 x 800 chart in a window that shows it at 100 %.
        QImage pic(1000, 800, QImage::Format_RGB32);
        pic.fill(Qt::white);
        mdi->resize(1200, 1000);
        r->showPicture(pic, QStringLiteral("chart.png"));
        QCOMPARE(host->widget()->viewScale().entry(), ViewScale::kHundred);
        frame();
        GraphFormWidget *w = host->widget();
        // Picture pixel (614, 286), clicked at each scale where it lies on
        // screen: the view pixel under which that picture pixel's middle is
        // (at 25 % a view pixel spans four picture pixels, and its middle
        // falls in the third).
        const QPoint pixel(614, 286);
        const QString expected = QStringLiteral("TRUE,1,%1,%2,0")
                                     .arg(plainNumText(float(614.5 / 1000)), plainNumText(float(1 - 286.5 / 800)));
        const int entries[] = {1, 5, 4, 3}; // 25, 400, 200, 100 %
        for (int k = 0; k < 4; ++k) {
            w->setScaleEntry(entries[k], QPointF(0, 0));
            const double f = ViewScale::kPercents[entries[k]] / 100.0;
            QCOMPARE(area()->size(), QSize(int(1000 * f), int(800 * f)));
            QCOMPARE(w->scaleCombo()->currentIndex(), entries[k]);
            const QPoint v(int(std::floor((pixel.x() + 0.5) * f)), int(std::floor((pixel.y() + 0.5) * f)));
            w->scrollArea()->ensureVisible(v.x(), v.y(), 50, 50);
            QTest::mouseClick(area(), Qt::LeftButton, {}, v);
            QCOMPARE(r->Pt_Array[1], expected);
            QCOMPARE(r->grid(1).cell(1, 2), QStringLiteral("6.4312")); // (614.5 / 1000 - 0.1) / 0.8 * 10
            QCOMPARE(r->grid(1).cell(1, 3), QStringLiteral("67.734")); // (1 - 286.5 / 800 - 0.1) / 0.8 * 100
            // Its marker is drawn centred at the scaled place, 9 pixels
            // across at every scale, and the readout reads the same.
            const QImage shot = area()->grab().toImage();
            QCOMPARE(shot.pixelColor(v), QColor(0, 128, 192));
            QCOMPARE(shot.pixelColor(v + QPoint(4, 0)), QColor(0, 0, 255));
            QCOMPARE(shot.pixelColor(v - QPoint(4, 0)), QColor(0, 0, 255));
            QCOMPARE(area()->pickRect(1).center(), v);
            QTest::mouseMove(area(), v + QPoint(0, 30));
            QTest::mouseMove(area(), v);
            QTRY_COMPARE(w->statusLabel()->text(), QStringLiteral("X=6.4312 , Y=67.734"));
            // The outline follows: the frame's left edge (x = 0.1).
            const int edge = int(std::floor(0.1 * 1000 * f));
            w->scrollArea()->ensureVisible(edge, int(400 * f), 50, 50);
            QCOMPARE(area()->grab().toImage().pixelColor(edge, int(400 * f)), QColor(255, 0, 0));
            // A click on the marker picks it (the hit test follows the
            // scale); Delete removes it for the next scale's click.
            w->scrollArea()->ensureVisible(v.x(), v.y(), 50, 50);
            QTest::mouseClick(area(), Qt::LeftButton, {}, v + QPoint(3, -3));
            QVERIFY(r->graph.selShapePt().visible);
            QTest::keyClick(area(), Qt::Key_Delete);
            QCOMPARE(r->graph.pickCount(), 0);
        }
        w->setScaleEntry(3, QPointF(0, 0));
        QTest::mouseClick(area(), Qt::LeftButton, {}, pixel);
        QCOMPARE(r->Pt_Array[1], expected);
        // Picked and dragged at 400 %: hit tests follow the scale, the drop
        // stores the dropped-on pixel's centre.
        w->setScaleEntry(5, QPointF(0, 0));
        const QPoint from = area()->pickRect(1).center();
        w->scrollArea()->ensureVisible(from.x(), from.y(), 200, 200);
        QTest::mousePress(area(), Qt::LeftButton, {}, from);
        QVERIFY(r->graph.selShapePt().visible);
        QCOMPARE(r->Sel_PtNo, 1);
        const QPoint to = from + QPoint(37, -17); // picture pixel (623, 282) at 400 %
        QTest::mouseMove(area(), to);
        QTest::mouseRelease(area(), Qt::LeftButton, {}, to);
        QCOMPARE(r->Pt_Array[1], QStringLiteral("TRUE,1,%1,%2,0")
                                     .arg(plainNumText(float(623.5 / 1000)), plainNumText(float(1 - 282.5 / 800))));
        // The stored sizes are those of the picture, not of the view.
        QCOMPARE(r->graph.picAreaWidthTwips, 1000.f * 15.f);
        QCOMPARE(r->graph.markerWidth, float(9.0 / 1000));
    }

    void scaleKeysAndWheel()
    {
        GraphFormWidget *w = host->widget();
        QCOMPARE(w->viewScale().entry(), ViewScale::kHundred);
        QTest::keyClick(area(), Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(area()->size(), QSize(800, 600));
        QTest::keyClick(area(), Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(area(), Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(area()->size(), QSize(200, 150));
        QTest::keyClick(area(), Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(w->viewScale().entry(), ViewScale::kFit);
        QCOMPARE(w->scaleCombo()->currentText(), QStringLiteral("全体"));
        // The picture's point under the pointer stays under it.
        w->setScaleEntry(ViewScale::kHundred, QPointF(0, 0));
        QWidget *vp = w->scrollArea()->viewport();
        const QPoint pointer = area()->mapTo(vp, QPoint(300, 200));
        QWheelEvent up(pointer, vp->mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(vp, &up);
        QCOMPARE(area()->size(), QSize(800, 600));
        QCOMPARE(area()->mapFrom(vp, pointer), QPoint(600, 400));
        // No change to the reading: the keys are not the picture's keys.
        QCOMPARE(r->graph.pickCount(), 0);
    }

    void aHiddenRingIsRepaintedAwayOnTheCurrentPicture()
    {
        // Records what the picture area repaints.
        struct PaintSpy : QObject {
            QRegion painted;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent *>(e)->region();
                return false;
            }
        } spy;
        frame();
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f)); // selects it
        QVERIFY(r->graph.selShapePt().visible);
        // The ring drawn on a picture of another size (a reading reopened over
        // this one shows its picture before it resets the selection).
        QImage big(800, 600, QImage::Format_RGB32);
        big.fill(Qt::white);
        r->showPicture(big, QStringLiteral("big.png"));
        QVERIFY(QTest::qWaitForWindowExposed(mdi.get()));
        QTRY_VERIFY(area()->grab().toImage().pixelColor(at(0.5f, 0.5f) + QPoint(7, 0)).blue() > 200);
        area()->installEventFilter(&spy);
        QTest::qWait(50); // the new picture's own repaint is done
        spy.painted = QRegion();
        r->clearSelection();
        QTRY_VERIFY(!spy.painted.isEmpty());
        // Where the ring would be drawn on this picture.
        const Ring &ring = r->graph.selShapePt();
        const QPoint c = area()->toPixels(ring.left + r->graph.ringWidth / 2, ring.top - r->graph.ringHeight / 2).toPoint();
        for (QPoint d : {QPoint(7, 0), QPoint(-7, 0), QPoint(0, 7), QPoint(0, -7)})
            QVERIFY2(spy.painted.contains(c + d),
                     qPrintable(QStringLiteral("%1, %2").arg((c + d).x()).arg((c + d).y())));
        area()->removeEventFilter(&spy);
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
        // The clicked pixel's centre, (200.5, 150.5) on the 400 x 300 picture.
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("系列1：ID=1,X=5.0156,Y=49.792,Z=0"));
        hover(at(0.3f, 0.3f)); // bare picture: no tip
        QTRY_VERIFY(!QToolTip::isVisible());
    }
};

QTEST_MAIN(GraphWidgetTest)
#include "graph_widget_test.moc"
