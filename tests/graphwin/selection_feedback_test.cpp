// The graph window and the series tables together: which point the ring and
// the table's current row name, what a corner drag shows before the drop, and
// what the status bar says when a click or a drop does less than it seems to.
#include "graphwin/graph_form_widget.h"
#include "table/grid_form_widget.h"
#include "tests/support/reading_fixtures.h"

#include <QApplication>
#include <QMdiArea>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace orv;

class SelectionFeedbackTest : public QObject {
    Q_OBJECT

    ScriptedDesktop desk;
    std::unique_ptr<Reading> r;
    std::unique_ptr<QMdiArea> mdi;
    std::unique_ptr<GraphWindowHost> graph;
    std::unique_ptr<GridWindowsHost> tables;

    GraphPictureArea *area() { return graph->widget()->pictureArea(); }
    QPoint at(float x, float y) { return area()->toPixels(x, y).toPoint(); }
    QPointF ringCentre() const
    {
        const Ring &ring = r->graph.selShapePt();
        return QPointF(ring.left + r->graph.ringWidth / 2, ring.top - r->graph.ringHeight / 2);
    }
    QPointF pointCentre(int id) const
    {
        const Marker &m = *r->graph.pick(id);
        return QPointF(m.left + r->graph.markerWidth / 2, m.top - r->graph.markerHeight / 2);
    }
    // A move with the left button held (QTest's own moves carry no button
    // before a press through the window).
    void dragTo(QPoint p)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(p), area()->mapToGlobal(QPointF(p)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(area(), &move);
    }
    // Corners placed by clicks at (0.1, 0.1) and (0.9, 0.9), X 0..10, Y 0..100.
    void diagonalFrameByClicks()
    {
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.1f, 0.1f));
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.9f, 0.9f));
        r->panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        r->panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("100"));
        r->setDfntDone(true);
        QVERIFY(r->graph.dfnt(RU).visible);
    }

private Q_SLOTS:
    void init()
    {
        desk = ScriptedDesktop();
        r = std::make_unique<Reading>(&desk);
        r->Init_App();
        mdi = std::make_unique<QMdiArea>();
        mdi->resize(1000, 700);
        mdi->show();
        graph = std::make_unique<GraphWindowHost>(*r, mdi.get());
        tables = std::make_unique<GridWindowsHost>(*r, mdi.get());
        QImage pic(400, 300, QImage::Format_RGB32);
        pic.fill(Qt::white);
        r->showPicture(pic, QStringLiteral("chart.png"));
        QVERIFY(QTest::qWaitForWindowExposed(mdi.get()));
    }
    void cleanup()
    {
        tables.reset();
        graph.reset();
        mdi.reset();
        r.reset();
    }

    // Whichever was clicked, a marker or a row, the ring and the table's
    // current row (in view) name the same point; 選択行削除 deletes it.
    void theRingAndTheCurrentRowNameTheSamePoint()
    {
        orv::testing::setDiagonalFrame(*r);
        for (int i = 0; i < 14; ++i)
            QVERIFY(orv::testing::addPoint(*r, 1, 0.15f + 0.05f * i, 0.2f + 0.04f * i) > 0);
        QVERIFY(orv::testing::addPoint(*r, 2, 0.5f, 0.85f) == 15);
        tables->subWindow(1)->resize(tables->subWindow(1)->width(), 220); // rows scroll
        QTableView *v1 = tables->widget(1)->grid();
        v1->scrollToTop();
        struct Case {
            const char *name;
            bool marker; // a marker clicked, else a row of the point's table
            int id;
        };
        const Case cases[] = {
            {"row 2, then", false, 2}, {"marker 4", true, 4},     {"row 6", false, 6},
            {"marker 14, below the rows in view", true, 14},    {"marker 1, above them", true, 1},
            {"the other series' marker", true, 15},             {"marker 3", true, 3},
        };
        for (const Case &c : cases) {
            const int series = c.id == 15 ? 2 : 1;
            QTableView *v = tables->widget(series)->grid();
            const int row = r->grid(series).rowOfId(c.id);
            if (c.marker) {
                const QPointF p = pointCentre(c.id);
                QTest::mouseClick(area(), Qt::LeftButton, {}, at(float(p.x()), float(p.y())));
            } else {
                QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(v->model()->index(row - 1, 1)).center());
            }
            const QString what = QString::fromLatin1(c.name);
            QVERIFY2(r->graph.selShapePt().visible && r->Sel_PtNo == c.id, qPrintable(what));
            QVERIFY2(QLineF(ringCentre(), pointCentre(c.id)).length() < 1e-4, qPrintable(what));
            QVERIFY2(r->grid(series).currentRow() == row, qPrintable(what));
            QTRY_VERIFY2(v->currentIndex().row() == row - 1, qPrintable(what));
            if (c.marker)
                QVERIFY2(v->viewport()->rect().contains(v->visualRect(v->currentIndex())), qPrintable(what));
        }
        QTest::mouseClick(tables->widget(1)->deleteRowButton(), Qt::LeftButton);
        QVERIFY(!r->graph.hasPick(3));
        QCOMPARE(r->grid(1).rowCount(), 14);
        for (int id : {1, 2, 4, 14, 15})
            QVERIFY(r->graph.hasPick(id));
    }

    // Mid-drag, the corner's marker, its ring, the red outline and the grid
    // stand where the pointer is; the reading changes only at the drop.
    void aDraggedCornerMovesWithItsOutlineAndGrid()
    {
        diagonalFrameByClicks();
        r->graph.setGridVisible(true);
        const QString ruX = r->panel.pos(CalibPanel::RUX_Text);
        QTest::mousePress(area(), Qt::LeftButton, {}, at(0.9f, 0.9f));
        dragTo(at(0.7f, 0.75f));
        const QImage shot = area()->grab().toImage();
        auto red = [&](float x, float y) {
            const QColor c = shot.pixelColor(at(x, y));
            return c.red() > 200 && c.green() < 80 && c.blue() < 80;
        };
        auto isGrid = [&](float x, float y) {
            for (int d = -1; d <= 1; ++d) {
                const QColor c = shot.pixelColor(at(x, y) + QPoint(d, 0));
                if (c.green() - c.red() > 40 && c.red() > 60)
                    return true;
            }
            return false;
        };
        // The outline's top edge at the pointer's height, its right edge at
        // the pointer's x; nothing left at the old edges.
        QVERIFY(red(0.4f, 0.75f));
        QVERIFY(red(0.7f, 0.4f));
        QVERIFY(!red(0.4f, 0.9f));
        QVERIFY(!red(0.9f, 0.4f));
        // The marker (magenta inside) under the pointer, none at the old place.
        QCOMPARE(shot.pixelColor(area()->toPixels(0.7f, 0.75f).toPoint()), QColor(255, 0, 255));
        QCOMPARE(shot.pixelColor(area()->toPixels(0.9f, 0.9f).toPoint()), QColor(Qt::white));
        // The red ring around it: 250 twips across, on its left.
        const QPoint mid = at(0.7f, 0.75f);
        bool ring = false;
        for (int dx = -10; dx <= -6; ++dx)
            ring = ring || shot.pixelColor(mid + QPoint(dx, 0)).red() > 200;
        QVERIFY(ring);
        // The grid's X = 4 line (of 0, 2, ..., 10) 0.4 of the way from x 0.1 to 0.7.
        QVERIFY(isGrid(0.34f, 0.5f));
        QVERIFY(!isGrid(0.42f, 0.5f)); // where it stands with the stored frame
        QCOMPARE(r->panel.pos(CalibPanel::RUX_Text), ruX);

        // Over a point marker (no drop there) all stand where they are stored.
        QVERIFY(orv::testing::addPoint(*r, 1, 0.5f, 0.5f) > 0);
        dragTo(at(0.5f, 0.5f));
        const QImage over = area()->grab().toImage();
        QCOMPARE(over.pixelColor(area()->toPixels(0.9f, 0.9f).toPoint()), QColor(255, 0, 255));
        QCOMPARE(over.pixelColor(area()->toPixels(0.7f, 0.75f).toPoint()), QColor(Qt::white));

        dragTo(at(0.7f, 0.75f));
        QTest::mouseRelease(area(), Qt::LeftButton, {}, at(0.7f, 0.75f));
        QVERIFY(r->panel.pos(CalibPanel::RUX_Text) != ruX);
        QCOMPARE(r->graph.frameLines(), area()->outlineLines());
    }

    // A drag released on another marker drops nowhere and says why; released
    // on the dragged marker itself (a click) it says nothing. The next click
    // puts back what the status bar said before.
    void aRefusedDropSaysWhy()
    {
        diagonalFrameByClicks();
        r->setStatusText(QStringLiteral("before"));
        QVERIFY(orv::testing::addPoint(*r, 1, 0.5f, 0.5f) > 0);
        const QString corner = QStringLiteral("角は点や他の角の上には置けません。少しずらして放して下さい。");
        const QString point = QStringLiteral("点は他の点や角の上には置けません。少しずらして放して下さい。");
        struct Case {
            const char *name;
            QPointF from, to;
            QString status;
        };
        const Case cases[] = {
            {"corner onto a point", {0.9, 0.9}, {0.5, 0.5}, corner},
            {"corner onto the other corner", {0.9, 0.9}, {0.1, 0.1}, corner},
            {"point onto a corner", {0.5, 0.5}, {0.1, 0.1}, point},
            {"corner released where it is", {0.9, 0.9}, {0.9, 0.9}, QStringLiteral("before")},
        };
        for (const Case &c : cases) {
            const QString boxes = r->panel.pos(CalibPanel::RUX_Text) + r->panel.pos(CalibPanel::RUY_Text);
            const QString rec = r->Pt_Array[1];
            QTest::mousePress(area(), Qt::LeftButton, {}, at(float(c.from.x()), float(c.from.y())));
            dragTo(at(float(c.to.x()), float(c.to.y())));
            QTest::mouseRelease(area(), Qt::LeftButton, {}, at(float(c.to.x()), float(c.to.y())));
            QVERIFY2(r->statusText() == c.status, c.name);
            QVERIFY2(r->panel.pos(CalibPanel::RUX_Text) + r->panel.pos(CalibPanel::RUY_Text) == boxes, c.name);
            QVERIFY2(r->Pt_Array[1] == rec, c.name);
            // Any next click ends the note.
            QTest::mouseClick(area(), Qt::RightButton, {}, at(0.3f, 0.7f));
            QVERIFY2(r->statusText() == QStringLiteral("before"), c.name);
        }
    }

    // With a point or corner selected, a left click on the empty chart only
    // ends the selection, and says so; the next click adds the point.
    void aClickThatOnlyDeselectsSaysSo()
    {
        diagonalFrameByClicks();
        QVERIFY(orv::testing::addPoint(*r, 1, 0.5f, 0.5f) > 0);
        r->setStatusText(QStringLiteral("before"));
        const QString note = QStringLiteral("選択を解除しました。点を追加するには、もう一度クリックして下さい。");
        // A point, then a corner selected; each time an empty place clicked twice.
        const std::pair<QPointF, QPointF> cases[] = {{{0.5, 0.5}, {0.3, 0.7}}, {{0.9, 0.9}, {0.4, 0.6}}};
        for (const auto &[selected, empty] : cases) {
            QTest::mouseClick(area(), Qt::LeftButton, {}, at(float(selected.x()), float(selected.y())));
            QVERIFY(r->graph.selShapePt().visible || r->graph.selShape().visible);
            const int points = r->graph.pickCount();
            QTest::mouseClick(area(), Qt::LeftButton, {}, at(float(empty.x()), float(empty.y())));
            QVERIFY(!r->graph.selShapePt().visible && !r->graph.selShape().visible);
            QCOMPARE(r->graph.pickCount(), points);
            QCOMPARE(r->statusText(), note);
            QTest::mouseClick(area(), Qt::LeftButton, {}, at(float(empty.x()), float(empty.y())));
            QCOMPARE(r->graph.pickCount(), points + 1);
            QCOMPARE(r->statusText(), QStringLiteral("before"));
        }
        // A right click is meant to deselect: no note.
        QTest::mouseClick(area(), Qt::LeftButton, {}, at(0.5f, 0.5f));
        QTest::mouseClick(area(), Qt::RightButton, {}, at(0.6f, 0.3f));
        QCOMPARE(r->statusText(), QStringLiteral("before"));
    }
};

QTEST_MAIN(SelectionFeedbackTest)
#include "selection_feedback_test.moc"
