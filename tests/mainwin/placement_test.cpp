// Where the tables open beside the chart, and the calibration boxes showing
// their whole values.
#include "app/assembly.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "mainwin/window_place.h"
#include "mainwin/whole_text_box.h"
#include "model/reading.h"
#include "statefile/state_file.h"
#include "table/grid_form_widget.h"

#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace orv;

class PlacementTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString picture(const QString &name, int w, int h)
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(QColor(255, 255, 250));
        for (int x = w / 10; x < w * 9 / 10; ++x)
            img.setPixel(x, h * 9 / 10, qRgb(0, 0, 0));
        img.save(m_dir.filePath(name), "PNG");
        return m_dir.filePath(name);
    }

    // The frame corners' positions in the document area's pixels.
    static QList<QPointF> cornersInArea(MainWindow &w, GraphFormWidget &g, Reading &r)
    {
        QList<QPointF> out;
        const GraphPictureArea *pic = g.pictureArea();
        for (Corner c : {LL, LU, RU, RL}) {
            const double x = r.panel.pos(CalibPanel::xBox(c)).toDouble(), y = r.panel.pos(CalibPanel::yBox(c)).toDouble();
            out << pic->toPixels(float(x), float(y)) + pic->mapTo(w.mdiArea()->viewport(), QPoint(0, 0));
        }
        return out;
    }

private Q_SLOTS:
    void placementRules()
    {
        const QRect area(0, 0, 1000, 700);
        const QSize want(300, 400), min(250, 150);
        const QRect noColumn(0, 0, 1000, 700);
        const QRect topRight(850, 0, 150, 100), bottomRight(850, 600, 150, 100);
        const struct {
            const char *what;
            QRect graph;
            QList<QRect> others, keepClear;
            QRect place;
        } rows[] = {
            {"column beside the chart", QRect(0, 0, 600, 500), {}, {topRight}, QRect(600, 0, 300, 400)},
            {"below a covered upper corner", noColumn, {}, {topRight}, QRect(700, 100, 300, 400)},
            {"between the upper and the lower corners", noColumn, {}, {topRight, bottomRight}, QRect(700, 100, 300, 400)},
            {"shortened between close corners", noColumn, {}, {QRect(850, 0, 150, 200), QRect(850, 450, 150, 250)},
             QRect(700, 200, 300, 250)},
            {"narrowest, beside corners left of it", noColumn, {}, {QRect(700, 0, 40, 350), QRect(700, 350, 40, 350)},
             QRect(750, 0, 250, 400)},
            {"below another table over the picture", noColumn, {QRect(700, 100, 300, 200)}, {topRight},
             QRect(700, 300, 300, 400)},
            {"no corner-free place: the top of the right edge", noColumn, {},
             {QRect(600, 0, 400, 300), QRect(600, 400, 400, 300)}, QRect(700, 0, 300, 400)},
        };
        for (const auto &row : rows)
            QVERIFY2(placeBesideChart(area, row.graph, row.others, want, min, row.keepClear) == row.place, row.what);

        // The graph window's room leaves the column unless it would be narrower than it can be.
        QCOMPARE(chartRoom(QRect(0, 0, 900, 700), 310, 400), QRect(0, 0, 590, 700));
        QCOMPARE(chartRoom(QRect(0, 0, 600, 700), 310, 400), QRect(0, 0, 600, 700));

        // Known corners are kept clear with a margin; a corner not placed yet,
        // the fifth of the picture where it would be.
        const QList<QRect> zones =
            cornerKeepClear(QRectF(0, 0, 500, 400), {QPointF(50, 350), QPointF(qQNaN(), qQNaN()), QPointF(450, 40)}, 10);
        QCOMPARE(zones, (QList<QRect>{QRect(40, 340, 21, 21), QRect(0, 0, 100, 80), QRect(440, 30, 21, 21),
                                      QRect(400, 320, 100, 80)}));
    }

    // On a 1280 x 1024 screen the first table opens in a free column beside
    // any picture; in a window too narrow for that column it covers the
    // picture, but never the frame's corners.
    void tablesOpenBesideTheChart()
    {
        const QString small = picture(QStringLiteral("chart800.png"), 800, 600);
        const QString large = picture(QStringLiteral("photo.png"), 3000, 2000);
        const struct {
            const char *what;
            QString path;
            QSize window;
            bool column;
        } rows[] = {
            {"800-pixel picture", small, screenFitSize(QSize(800, 600), QSize(1280, 1024 - 24)), true},
            {"large photo", large, screenFitSize(QSize(800, 600), QSize(1280, 1024 - 24)), true},
            {"narrow window", small, QSize(800, 667), false},
        };
        for (const auto &row : rows) {
            ScriptedDesktop desk;
            Reading r(&desk);
            AssembledWindow a = assembleMainWindow(r);
            a.main->resize(row.window);
            a.main->show();
            QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
            QVERIFY(a.main->form().Open_Pic(row.path));
            // The frame: its corners a little inside the picture's.
            const QString pos[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.9", "0.9", "0.1"};
            r.panel.selectTab(2);
            for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
                r.panel.setPos(CalibPanel::PosBox(b), pos[b]);
            // A table opened now, its frame defined, and the first one, opened before.
            r.Show_GridForm(2);
            QTest::qWait(30);
            const QRect view = a.main->mdiArea()->viewport()->rect();
            const QRect g = a.graphs->subWindow()->geometry();
            const QList<QPointF> corners = cornersInArea(*a.main, *a.graphs->widget(), r);
            for (int s : {1, 2}) {
                const QRect t = a.grids->subWindow(s)->geometry();
                const QString what = QStringLiteral("%1, table %2").arg(QLatin1String(row.what)).arg(s);
                QVERIFY2(view.contains(t), qPrintable(what));
                if (row.column)
                    QVERIFY2(!t.intersects(g), qPrintable(what));
                for (const QPointF &c : corners)
                    QVERIFY2(!t.adjusted(-4, -4, 4, 4).contains(c.toPoint()), qPrintable(what));
            }
            if (row.column) {
                // The whole picture is in view, in a window inside the area.
                QVERIFY2(view.contains(g), row.what);
                const QSize shown = a.graphs->widget()->scrollArea()->viewport()->size();
                QVERIFY2(a.graphs->widget()->pictureArea()->width() <= shown.width(), row.what);
                QVERIFY2(a.graphs->widget()->pictureArea()->height() <= shown.height(), row.what);
                QCOMPARE(a.main->freeColumn().left(), g.right() + 1);
            }
        }
    }

    // The corner boxes show their whole values from the start, whether the
    // program put them in or they were typed.
    void cornerBoxesShowTheirWholeText()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        AssembledWindow a = assembleMainWindow(r);
        a.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(a.main.get()));
        auto box = [&](const char *name) { return a.main->findChild<QLineEdit *>(QString::fromLatin1(name)); };
        // Whole when the cursor at its end stands as far from the start as the text is long.
        auto showsWhole = [](QLineEdit *e) {
            // The box scrolls its text when it paints.
            e->repaint();
            const int start = int(std::lround(e->inputMethodQuery(Qt::ImCursorRectangle).toRectF().left()));
            if (e->cursorPosition() != 0)
                return false;
            e->end(false);
            e->repaint();
            const int end = int(std::lround(e->inputMethodQuery(Qt::ImCursorRectangle).toRectF().left()));
            e->home(false);
            e->repaint();
            const double advance = QFontMetricsF(e->font()).horizontalAdvance(e->text());
            return std::abs(end - start - advance) <= 1 && end < e->width();
        };
        const struct {
            const char *name;
            int box; // a position box, or a value box (+ 100)
            QString text;
        } rows[] = {
            {"RUX_Text", CalibPanel::RUX_Text, "0.9421487"},
            {"LUY_Text", CalibPanel::LUY_Text, "-0.1234567"},
            {"RLX_Text", CalibPanel::RLX_Text, "0.00012345"},
            {"RUY_VLText", 100 + CalibPanel::RUY_VLText, "2500000"},
            {"LLX_VLText", 100 + CalibPanel::LLX_VLText, "-4.5000e+0"},
            {"RUX_VLText", 100 + CalibPanel::RUX_VLText, "1.234567E-05"},
        };
        r.panel.selectTab(2); // all four corners' boxes in view
        for (const auto &row : rows) {
            QLineEdit *e = box(row.name);
            QVERIFY2(e, row.name);
            if (row.box >= 100)
                r.panel.setVal(CalibPanel::ValBox(row.box - 100), row.text);
            else
                r.panel.setPos(CalibPanel::PosBox(row.box), row.text);
            QCOMPARE(e->text(), row.text);
            QVERIFY2(showsWhole(e), row.name);
        }
        // Typed, then left: shown from its start, not scrolled to its end.
        QLineEdit *v = box("RUY_VLText");
        v->setFocus();
        QTRY_VERIFY(v->hasFocus());
        v->selectAll();
        QTest::keyClicks(v, QStringLiteral("25000000"));
        box("LLX_VLText")->setFocus();
        QTRY_VERIFY(!v->hasFocus());
        QCOMPARE(v->text(), QStringLiteral("25000000"));
        QVERIFY(showsWhole(v));
    }
};

QTEST_MAIN(PlacementTest)
#include "placement_test.moc"
