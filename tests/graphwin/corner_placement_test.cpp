// Placing and moving the frame's corners with real mouse events, with the main
// window's panel rules (derived corners, completion) in place.
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_mdi_form.h"

#include <QLabel>
#include <QMdiArea>
#include <QTest>

using namespace orv;

class CornerPlacementTest : public QObject {
    Q_OBJECT

    ScriptedDesktop desk;
    std::unique_ptr<Reading> r;
    std::unique_ptr<Main_MDI_Form> form;
    std::unique_ptr<QMdiArea> mdi;
    std::unique_ptr<GraphWindowHost> host;

    GraphPictureArea *area() { return host->widget()->pictureArea(); }
    // Pixel positions of normalised points on a 400 x 300 picture.
    QPoint at(double x, double y) { return QPoint(int(std::lround(x * 400)), int(std::lround((1 - y) * 300))); }
    QString box(CalibPanel::PosBox b) { return r->panel.pos(b); }
    // What a click at at(x, y) stores: the centre of that pixel.
    QString storedX(double x) { return plainNumText(float((at(x, 0).x() + 0.5) / 400)); }
    QString storedY(double y) { return plainNumText(float(1 - (at(0, y).y() + 0.5) / 300)); }

private Q_SLOTS:
    void init()
    {
        desk = ScriptedDesktop();
        r = std::make_unique<Reading>(&desk);
        form = std::make_unique<Main_MDI_Form>(*r);
        form->MDIForm_Load();
        mdi = std::make_unique<QMdiArea>();
        mdi->resize(900, 700);
        host = std::make_unique<GraphWindowHost>(*r, mdi.get());
        QImage pic(400, 300, QImage::Format_RGB32);
        pic.fill(Qt::white);
        r->showPicture(pic, QStringLiteral("chart.png"));
        mdi->show();
        QVERIFY(QTest::qWaitForWindowExposed(mdi.get()));
        QCOMPARE(area()->size(), QSize(400, 300));
    }
    void cleanup()
    {
        host.reset();
        mdi.reset();
        form.reset();
        r.reset();
    }

    void diagonalCornersByQuadrantAndDerivation()
    {
        // The pixel right of and above the middle: the upper right corner, at
        // the pixel's centre.
        QTest::mouseClick(area(), Qt::LeftButton, {}, QPoint(200, 149));
        QCOMPARE(box(CalibPanel::RUX_Text), QStringLiteral("0.50125"));
        QCOMPARE(box(CalibPanel::RUY_Text), plainNumText(float(1 - 149.5 / 300)));
        QVERIFY(r->graph.dfnt(RU).visible);
        QVERIFY(!r->Dfnt_Done);
        // A click in the upper-left quadrant writes LU, which the diagonal mode
        // derives again at once; no marker appears.
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.1, 0.9));
        QVERIFY(!r->graph.dfnt(LU).visible);
        QVERIFY(!r->Dfnt_Done);
        QVERIFY(r->statusText() != Graph_Form::completionStatus());
        // Placing RU again and LL completes the frame and says so.
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.9, 0.8));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.1, 0.2));
        QVERIFY(r->Dfnt_Done);
        QCOMPARE(r->statusText(), Graph_Form::completionStatus());
        QCOMPARE(box(CalibPanel::LUX_Text), box(CalibPanel::LLX_Text));
        QCOMPARE(box(CalibPanel::LUY_Text), box(CalibPanel::RUY_Text));
        QCOMPARE(box(CalibPanel::RLX_Text), box(CalibPanel::RUX_Text));
        QCOMPARE(box(CalibPanel::RLY_Text), box(CalibPanel::LLY_Text));
        QCOMPARE(r->graph.frameLines().size(), size_t(4));
        // After completion a click adds a point; the readout follows the pointer.
        r->setStatusText(QString());
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5, 0.5));
        QCOMPARE(r->graph.pickCount(), 1);
        QVERIFY(r->statusText().isEmpty()); // no completion message from a point click
        QTest::mouseMove(area(), at(0.5, 0.5));
        QTRY_COMPARE(host->widget()->statusLabel()->text(), QStringLiteral("X=0.50000 , Y=0.50000"));
    }

    void fourPointCornersAndDraggingACorner()
    {
        r->panel.selectTab(2);
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.1, 0.1));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.15, 0.9));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.9, 0.85));
        QVERIFY(!r->Dfnt_Done);
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.85, 0.1));
        QVERIFY(r->Dfnt_Done);
        for (int i = 0; i < 4; ++i)
            QVERIFY(r->graph.dfnt(i).visible);
        QCOMPARE(box(CalibPanel::LUX_Text), storedX(0.15));

        // Drag the LU marker to a new place: its boxes follow, no message.
        r->setStatusText(QString());
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.15, 0.9));
        QCOMPARE(r->Sel_DfntNo, int(LU));
        QVERIFY(r->graph.selShape().visible);
        QTest::mouseMove(area(), at(0.2, 0.95));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.2, 0.95));
        QCOMPARE(box(CalibPanel::LUX_Text), storedX(0.2));
        QCOMPARE(box(CalibPanel::LUY_Text), storedY(0.95));
        QVERIFY(r->graph.selShape().visible);
        QVERIFY(r->statusText().isEmpty());
        // Dropped on another marker: nothing moves.
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.2, 0.95));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.9, 0.85));
        QCOMPARE(box(CalibPanel::LUX_Text), storedX(0.2));
        // A right click deselects.
        QTest::mouseClick(area(), Qt::RightButton, {}, at(0.5, 0.5));
        QVERIFY(!r->graph.selShape().visible);
        QCOMPARE(r->Sel_DfntNo, -1);
        QCOMPARE(r->Drag_DfntNo, -1);
        QCOMPARE(r->graph.pickCount(), 0);
    }

    void closingThePictureBringsBackTheOpeningTexts()
    {
        r->setStatusText(Main_MDI_Form::openedStatusText());
        QTest::mouseMove(area(), at(0.3, 0.25));
        QTRY_VERIFY(r->panel.highlighted(CalibPanel::LLX_Text));
        desk.answers = {true};
        host->subWindow()->close();
        QTRY_VERIFY(!host->subWindow());
        QCOMPARE(r->statusText(), Main_MDI_Form::startStatusText());
        QVERIFY(!r->panel.highlighted(CalibPanel::LLX_Text));
        QVERIFY(!r->panel.highlighted(CalibPanel::LLY_Text));
    }

    void hoverHighlightsTheCornerAClickWouldPlace()
    {
        QTest::mouseMove(area(), at(0.2, 0.2));
        QTRY_VERIFY(r->panel.highlighted(CalibPanel::LLX_Text));
        QVERIFY(r->panel.highlighted(CalibPanel::LLY_Text));
        QTest::mouseMove(area(), at(0.7, 0.2));
        QTRY_VERIFY(r->panel.highlighted(CalibPanel::RLX_Text));
        QVERIFY(!r->panel.highlighted(CalibPanel::LLX_Text));
        QVERIFY(host->widget()->statusLabel()->text().isEmpty());
    }
};

QTEST_MAIN(CornerPlacementTest)
#include "corner_placement_test.moc"
