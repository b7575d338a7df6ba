// The "自動読取" panel's controls around a read: adding twice, the status and
// message lines, excluded rectangles, the automatic tolerance and the
// eyedropper's core colour, the From/To checks, cancelling, the tint at the
// view's scale and where the panel opens.

#include "app/assembly.h"
#include "autoread/autoread_widget.h"
#include "chart_fixture.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "model/utilities.h"
#include "statefile/state_file.h"
#include "table/grid_form_widget.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace orv;
using namespace orv::autoread;

class AutoReadControlsTest : public QObject {
    Q_OBJECT

    struct Env {
        ScriptedDesktop desk;
        Reading r{&desk};
        AssembledWindow a;
        chart::Chart c;
        explicit Env(chart::Chart chart = chart::standardChart(), QImage picture = {}) : c(std::move(chart))
        {
            desk.defaultYes = true;
            a = assembleMainWindow(r);
            r.Init_App();
            a.main->resize(1250, 950);
            a.main->show();
            if (picture.isNull())
                picture = c.draw();
            r.Pic_Width = picture.width();
            r.Pic_Height = picture.height();
            r.showPicture(picture, QStringLiteral("chart.png"));
            c.setFrame(r.panel);
            r.setDfntDone(true);
        }
        AutoReadWidget *open()
        {
            a.main->findChild<QAction *>(QStringLiteral("AutoRead_Mn"))->trigger();
            for (auto *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<AutoReadWidget *>(w); p && p->isVisible())
                    return p;
            return nullptr;
        }
        GraphPictureArea *area() const { return a.graphs->widget()->pictureArea(); }
        QPoint view(QPointF px) const
        {
            return area()->toPixels(float(px.x() / c.size.width()), float(1 - px.y() / c.size.height())).toPoint();
        }
        int points() const
        {
            int n = 0;
            for (int id = 1; id <= Reading::kMaxId; ++id)
                n += Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 0) == u"TRUE";
            return n;
        }
    };

    static void readAndWait(AutoReadWidget *w)
    {
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->panel().busy(), 10000);
        QCoreApplication::processEvents();
    }
    static void drag(Env &e, QPointF fromPx, QPointF toPx)
    {
        const QPoint a = e.view(fromPx), b = e.view(toPx);
        QTest::mousePress(e.area(), Qt::LeftButton, {}, a);
        QTest::mouseMove(e.area(), b);
        QTest::mouseRelease(e.area(), Qt::LeftButton, {}, b);
    }

private Q_SLOTS:
    void cleanup()
    {
        for (auto *w : QApplication::topLevelWidgets())
            if (qobject_cast<AutoReadWidget *>(w))
                w->close();
    }

    // 追加 twice does not add the same points twice unasked; the status line
    // says how many were added; a message keeps the rows where they are; the
    // hint asking for a colour goes once a colour is chosen.
    void addingTwiceAsksAndTheLinesSayWhatHappened()
    {
        Env e;
        AutoReadWidget *w = e.open();
        QVERIFY(w);
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QCOMPARE(w->countLabel()->text(), AutoReadPanel::noColourText());
        QList<QWidget *> rows{w->toleranceSlider(), w->methodBox(), w->fromEdit(), w->readButton(), w->addButton()};
        QList<QRect> before;
        for (QWidget *r : rows)
            before << r->geometry();
        w->countLabel()->setText(AutoReadPanel::limitText(120, 130) + AutoReadPanel::limitText(1, 2));
        QCoreApplication::processEvents();
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i]->geometry(), before[i]);
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QCOMPARE(w->countLabel()->text(), AutoReadPanel::noColourText());
        w->panel().setColour(qRgb(220, 30, 30));
        QCOMPARE(w->countLabel()->text(), QString());

        w->pointsBox()->setValue(30);
        readAndWait(w);
        const int n = int(w->panel().candidates().points.size());
        QVERIFY(n > 20);
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
        QCOMPARE(e.points(), n);
        QCOMPARE(w->statusLabel()->text(), AutoReadPanel::addedText(n));
        QVERIFY(w->countLabel()->text().contains(QStringLiteral("追加済み")));
        QVERIFY(e.desk.questions.empty());
        // Again: asked; No adds nothing, Yes adds them once more.
        e.desk.defaultYes = false;
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
        QCOMPARE(e.desk.questions.size(), size_t(1));
        QCOMPARE(e.desk.questions.back().text, AutoReadPanel::addAgainText());
        QCOMPARE(e.points(), n);
        e.desk.defaultYes = true;
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
        QCOMPARE(e.points(), 2 * n);
        // A new read is new candidates: added without a question.
        readAndWait(w);
        QVERIFY(!w->panel().candidatesAdded());
        QCOMPARE(w->statusLabel()->text(), QString());
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
        QCOMPARE(e.desk.questions.size(), size_t(2));
        QCOMPARE(e.points(), 3 * n);
    }

    // Rectangles dragged with 除外 go to the job in picture pixels, are drawn
    // hatched, leave the tint, and never reach the reading's file.
    void exclusionsGoToTheJobAndNotToTheFile()
    {
        Env e;
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(220, 30, 30));
        const QByteArray file = stateFileBytes(e.r);
        QTest::mouseClick(w->excludeButton(), Qt::LeftButton);
        QVERIFY(w->excludeButton()->isChecked());
        drag(e, QPointF(100, 100), QPointF(300, 400));
        drag(e, QPointF(500, 60), QPointF(700, 200));
        QVERIFY(w->excludeButton()->isChecked()); // several in a row
        QCOMPARE(e.points(), 0);
        QCOMPARE(w->panel().exclusions().size(), size_t(2));
        QVERIFY(w->clearExclusionsButton()->isEnabled());
        QString why;
        auto job = w->panel().job(&why);
        QVERIFY2(job, qPrintable(why));
        QCOMPARE(job->exclusions.size(), size_t(2));
        const double pxPerView = e.c.size.width() / (e.area()->toPixels(1, 0).x() - e.area()->toPixels(0, 0).x());
        const QRectF want[2] = {QRectF(QPointF(100, 100), QPointF(300, 400)), QRectF(QPointF(500, 60), QPointF(700, 200))};
        for (int i = 0; i < 2; ++i)
            for (QPointF d : {job->exclusions[size_t(i)].topLeft() - want[i].topLeft(),
                              job->exclusions[size_t(i)].bottomRight() - want[i].bottomRight()})
                QVERIFY2(std::abs(d.x()) <= pxPerView + 1 && std::abs(d.y()) <= pxPerView + 1,
                         qPrintable(QStringLiteral("%1 %2").arg(d.x()).arg(d.y())));
        // The red curve inside the first rectangle is not tinted; outside it is.
        QTRY_VERIFY(!w->panel().tinting() && !w->panel().tint().isNull());
        const QImage shot = e.area()->grab().toImage();
        auto tintedNear = [&](double x) {
            const QPoint p = e.view(e.c.pixel(x, e.c.curves[0].f(x)));
            for (int dy = -2; dy <= 2; ++dy)
                if (const QColor c = shot.pixelColor(p + QPoint(0, dy)); c.blue() > 120 && c.red() < 200)
                    return true;
            return false;
        };
        const double inside = 1.5, outside = 8.5; // X values under and away from the first rectangle
        QVERIFY(e.c.pixel(inside, e.c.curves[0].f(inside)).x() > 110 && e.c.pixel(inside, 0).x() < 290);
        QVERIFY(!tintedNear(inside));
        QVERIFY(tintedNear(outside));
        QCOMPARE(stateFileBytes(e.r), file);
        // Undone with one click; the button lets the picture take clicks again.
        QTest::mouseClick(w->clearExclusionsButton(), Qt::LeftButton);
        QVERIFY(w->panel().exclusions().empty());
        QVERIFY(w->panel().job(&why)->exclusions.empty());
        QTest::mouseClick(w->excludeButton(), Qt::LeftButton);
        QTest::mouseClick(e.area(), Qt::LeftButton, {}, e.view(e.c.pixel(5, 50)));
        QCOMPARE(e.points(), 1);
    }

    // "Auto" is on by default and the read reports the ΔE it used; a tolerance
    // set by hand turns it off. The eyedropper takes a thin line's core colour
    // and says how far it lies from the nearest swatch.
    void automaticToleranceAndTheEyedropper()
    {
        Env e;
        AutoReadWidget *w = e.open();
        QVERIFY(w->autoToleranceBox()->isChecked());
        QVERIFY(!w->toleranceSlider()->isEnabled());
        w->panel().setColour(qRgb(30, 60, 220));
        w->pointsBox()->setValue(20);
        readAndWait(w);
        QVERIFY(w->panel().toleranceUsed().has_value());
        QString why;
        QVERIFY(w->panel().job(&why)->autoTolerance);
        const QString used = QString::number(*w->panel().toleranceUsed(), 'f', 1);
        QCOMPARE(w->toleranceLabel()->text(), used);
        QVERIFY(w->countLabel()->text().contains(QStringLiteral("ΔE ") + used));
        QTest::mouseClick(w->autoToleranceBox(), Qt::LeftButton);
        QVERIFY(w->toleranceSlider()->isEnabled());
        QVERIFY(!w->panel().job(&why)->autoTolerance);
        w->autoToleranceBox()->setChecked(true);
        w->panel().setTolerance(25);
        QVERIFY(!w->autoToleranceBox()->isChecked());
        QCOMPARE(w->panel().job(&why)->tolerance, 25.0);

        // The blue line is 1.5 px wide: a 3 x 3 average lies far from its colour.
        QTest::mouseClick(w->eyedropperButton(), Qt::LeftButton);
        const QPointF onLine = e.c.pixel(3, e.c.curves[1].f(3)) + QPointF(1, 0);
        QTest::mouseClick(e.area(), Qt::LeftButton, {}, e.view(onLine));
        QVERIFY(w->panel().colour());
        QVERIFY2(deltaE(*w->panel().colour(), qRgb(30, 60, 220)) < 12, qPrintable(QColor(*w->panel().colour()).name()));
        QVERIFY(w->panel().pickedSwatchDistance().has_value());
        QVERIFY(w->pickLabel()->text().contains(QString::number(*w->panel().pickedSwatchDistance(), 'f', 1)));
        QTest::mouseClick(w->swatchButtons()[0], Qt::LeftButton);
        QCOMPARE(w->pickLabel()->text(), QString());
    }

    // From/To are checked before a read starts, with a message saying why.
    void fromAndToAreCheckedBeforeReading()
    {
        FrameSpec f;
        f.xa = 0;
        f.xb = 10;
        f.ya = 1;
        f.yb = 1.0000001; // a very thin log range: 4e-8 decades
        f.yLog = true;
        struct Case {
            std::optional<double> from, to, step;
            int points;
            bool alongY, ok;
        };
        const double inf = std::numeric_limits<double>::infinity();
        const Case cases[] = {
            {std::nullopt, std::nullopt, std::nullopt, 50, false, true},
            {-5e6, 5e6, std::nullopt, 50, false, true},      // within 10^6 spans
            {1e308, 1e308, std::nullopt, 50, false, false},  // far off and equal
            {-1e308, 5, std::nullopt, 50, false, false},
            {0, 2e7, std::nullopt, 50, false, false},
            {0, inf, std::nullopt, 50, false, false},
            {5, 5, std::nullopt, 50, false, false},          // ten times the same point
            {5, 5, 1.0, 50, false, false},
            {5, 5, std::nullopt, 1, false, true},            // one point asked
            {1, 1.00000005, std::nullopt, 50, true, true},
            {1, 10, std::nullopt, 50, true, false},          // 2.3e7 spans in decades
            {-1, 1, std::nullopt, 50, true, false},          // log of a negative
        };
        for (const Case &k : cases) {
            StepOptions o;
            o.from = k.from;
            o.to = k.to;
            o.step = k.step;
            o.points = k.points;
            const QString why = AutoReadPanel::rangeProblem(f, k.alongY, o);
            QVERIFY2(why.isEmpty() == k.ok, qPrintable(QStringLiteral("%1..%2: %3")
                                                           .arg(k.from.value_or(0))
                                                           .arg(k.to.value_or(0))
                                                           .arg(why)));
        }
        // In the panel: the message, and nothing started.
        Env e;
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(220, 30, 30));
        w->fromEdit()->setText(QStringLiteral("1e308"));
        w->toEdit()->setText(QStringLiteral("1e308"));
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QVERIFY(!w->panel().busy());
        StepOptions o;
        o.from = o.to = 1e308;
        QCOMPARE(w->countLabel()->text(), AutoReadPanel::rangeProblem(*readFrame(e.r.panel), false, o));
        QVERIFY(!w->countLabel()->text().isEmpty());
    }

    // 中止 ends a long read at once, over the widest range allowed as over the
    // frame's own; nothing is left as candidates.
    void cancelStopsAnyReadAtOnce()
    {
        chart::Chart big = chart::standardChart();
        big.size = QSize(4000, 3000);
        big.plot = QRectF(400, 200, 3400, 2500);
        Env e(big);
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(220, 30, 30));
        w->pointsBox()->setValue(100000);
        for (const QString &from : {QString(), QStringLiteral("-9999990")}) {
            w->fromEdit()->setText(from);
            w->toEdit()->setText(from.isEmpty() ? QString() : QStringLiteral("9999990"));
            QTest::mouseClick(w->readButton(), Qt::LeftButton);
            QVERIFY(w->panel().busy());
            QTest::qWait(50);
            QElapsedTimer t;
            t.start();
            w->panel().cancel();
            while (w->panel().busy() && t.elapsed() < 2000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            QVERIFY2(t.elapsed() < 200, qPrintable(QStringLiteral("%1 ms").arg(t.elapsed())));
            QVERIFY(w->panel().candidates().points.empty());
        }
    }

    // A 6000 x 4000 photo: the tint is as large as the part in view, not as
    // the picture, and still shows the curve.
    void theTintCoversOnlyTheView()
    {
        chart::Chart big = chart::standardChart();
        big.size = QSize(6000, 4000);
        big.plot = QRectF(600, 300, 5000, 3300);
        Env e(big);
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(220, 30, 30));
        QTRY_VERIFY_WITH_TIMEOUT(!w->panel().tinting() && !w->panel().tint().isNull(), 10000);
        const QRect seen = e.area()->visibleRegion().boundingRect();
        const QImage tint = w->panel().tint();
        QVERIFY2(tint.width() <= seen.width() + 1 && tint.height() <= seen.height() + 1,
                 qPrintable(QStringLiteral("%1x%2 for a view of %3x%4").arg(tint.width()).arg(tint.height())
                                .arg(seen.width()).arg(seen.height())));
        QVERIFY(QRectF(0, 0, 6000, 4000).contains(w->panel().tintSource().adjusted(1, 1, -1, -1)));
        int tinted = 0;
        for (int y = 0; y < tint.height(); ++y)
            for (int x = 0; x < tint.width(); ++x)
                tinted += qAlpha(tint.pixel(x, y)) > 0;
        QVERIFY(tinted > tint.width() / 2); // the curve runs across the view
        // At 100 % only the part in view, and it follows a scroll.
        GraphFormWidget *g = e.a.graphs->widget();
        g->setScaleEntry(g->scaleCombo()->findText(QStringLiteral("100%")),
                         QPointF(g->scrollArea()->viewport()->rect().center()));
        QTRY_VERIFY_WITH_TIMEOUT(!w->panel().tinting() && w->panel().tintSource().width() < 3000, 10000);
        const QRectF first = w->panel().tintSource();
        const QRect seen100 = e.area()->visibleRegion().boundingRect();
        QVERIFY(w->panel().tint().width() <= seen100.width() + 1);
        QVERIFY(std::abs(first.width() - seen100.width()) <= 2); // one picture pixel per view pixel
        QScrollArea *scroller = g->scrollArea();
        scroller->horizontalScrollBar()->setValue(scroller->horizontalScrollBar()->value() + 500);
        QTRY_VERIFY_WITH_TIMEOUT(!w->panel().tinting() && std::abs(w->panel().tintSource().left() - first.left() - 500) < 2,
                                 10000);
    }

    // Beside the tables and off the frame's corners; over the picture only
    // where nothing else is free, and never over a corner.
    void wherePanelOpens()
    {
        const QRect screen(0, 0, 1280, 1024);
        const QSize size(420, 380);
        const QRect picture(10, 80, 800, 600);
        const std::vector<QPoint> corners{{90, 640}, {90, 120}, {770, 120}, {770, 640}};
        struct Case {
            const char *what;
            QRect picture;
            std::vector<QRect> tables;
        };
        const Case cases[] = {
            {"a free column beside the table", picture, {QRect(812, 80, 300, 400)}},
            {"tables fill the right", picture, {QRect(812, 80, 468, 940)}},
            {"picture over the whole screen", QRect(0, 0, 1280, 1024), {QRect(980, 0, 300, 500)}},
        };
        for (const Case &k : cases) {
            const QRect r = AutoReadPanel::place(screen, size, k.picture, k.tables, corners);
            QVERIFY2(screen.contains(r), k.what);
            for (const QRect &t : k.tables)
                QVERIFY2(!r.intersects(t), k.what);
            for (QPoint c : corners)
                QVERIFY2(!r.adjusted(-8, -8, 8, 8).contains(c), k.what);
            if (k.picture == picture && k.tables.front().width() < 400)
                QVERIFY2(!r.intersects(k.picture), k.what);
        }
        // In the window: series 1's table is open beside the picture.
        Env e;
        e.r.Show_GridForm(1);
        QTest::qWait(20);
        AutoReadWidget *w = e.open();
        QVERIFY(w);
        const QMdiSubWindow *table = e.a.grids->subWindow(1);
        const QRect tableGlobal(table->parentWidget()->mapToGlobal(table->geometry().topLeft()), table->size());
        QVERIFY2(!w->frameGeometry().intersects(tableGlobal),
                 qPrintable(QStringLiteral("panel %1,%2 table %3,%4").arg(w->x()).arg(w->y()).arg(tableGlobal.x()).arg(tableGlobal.y())));
        const auto frame = readFrame(e.r.panel);
        QVERIFY(frame);
        for (const QPointF &c : frame->corner) {
            const QPoint g = e.area()->mapToGlobal(e.area()->toPixels(float(c.x()), float(c.y())).toPoint());
            QVERIFY(!w->frameGeometry().contains(g));
        }
    }

    // Run with ORV_AUTOREAD_SHOT=DIR (under Xvfb) to look at the panel on a
    // two-blue chart, on line-with-markers, and with a legend excluded.
    void screenshots()
    {
        const QString dir = qEnvironmentVariable("ORV_AUTOREAD_SHOT");
        if (dir.isEmpty())
            QSKIP("ORV_AUTOREAD_SHOT not set");
        auto shoot = [&](Env &e, AutoReadWidget *w, const QString &name) {
            if (w->panel().candidates().points.empty())
                readAndWait(w);
            QTRY_VERIFY(!w->panel().tinting());
            QTest::qWait(300);
            w->grab().save(dir + QStringLiteral("/%1-panel.png").arg(name));
            e.a.main->grab().save(dir + QStringLiteral("/%1-main.png").arg(name));
            if (QScreen *s = QGuiApplication::primaryScreen(); s && qgetenv("QT_QPA_PLATFORM") != "offscreen")
                s->grabWindow(0).save(dir + QStringLiteral("/%1-screen.png").arg(name));
            w->close();
        };
        const QColor blue1(31, 119, 180), blue2(40, 128, 186); // ΔE 4 apart
        {
            chart::Chart c;
            c.curves = {{blue1, 2, [](double x) { return 10 + 8 * x; }},
                        {blue2, 2, [](double x) { return 90 - 7 * x; }}};
            Env e(c);
            e.r.Show_GridForm(1);
            AutoReadWidget *w = e.open();
            w->panel().setColour(blue1.rgb());
            w->pointsBox()->setValue(40);
            readAndWait(w);
            QTest::mouseClick(w->addButton(), Qt::LeftButton); // the status line
            shoot(e, w, QStringLiteral("two-blues"));
        }
        {
            // A line with circles on it, both of one colour.
            chart::Chart c;
            c.curves = {{QColor(214, 39, 40), 1.5, [](double x) { return 20 + 60 * std::exp(-x / 4); }}};
            for (int i = 0; i <= 10; ++i)
                c.markers.push_back({QPointF(i, 20 + 60 * std::exp(-i / 4.0)), QColor(214, 39, 40), 5});
            Env e(c);
            AutoReadWidget *w = e.open();
            w->panel().setColour(qRgb(214, 39, 40));
            w->methodBox()->setCurrentIndex(2);
            shoot(e, w, QStringLiteral("line-with-markers"));
        }
        {
            // A legend in the upper right with the curve's line sample.
            chart::Chart c;
            c.curves = {{QColor(44, 160, 44), 2, [](double x) { return 15 + 5 * x; }}};
            QImage img = c.draw();
            {
                QPainter p(&img);
                p.setRenderHint(QPainter::Antialiasing);
                p.setPen(QPen(QColor(160, 160, 160), 1));
                p.setBrush(Qt::white);
                p.drawRect(QRectF(560, 60, 180, 40));
                p.setPen(QPen(QColor(44, 160, 44), 2));
                p.drawLine(QPointF(572, 80), QPointF(612, 80));
                p.setPen(Qt::black);
                p.drawText(QPointF(622, 85), QStringLiteral("growth"));
            }
            Env e(c, img);
            AutoReadWidget *w = e.open();
            w->panel().setColour(qRgb(44, 160, 44));
            w->pointsBox()->setValue(30);
            QTest::mouseClick(w->excludeButton(), Qt::LeftButton);
            drag(e, QPointF(555, 55), QPointF(745, 105));
            QTest::mouseClick(w->excludeButton(), Qt::LeftButton);
            shoot(e, w, QStringLiteral("legend-excluded"));
        }
    }
};

QTEST_MAIN(AutoReadControlsTest)
#include "autoread_panel_controls_test.moc"
