// The "自動読取" panel in the assembled main window: opening only with a
// complete frame, the eyedropper, swatches, the live tint, the methods and
// their preview, adding to the current series, the point limit and cancel.

#include "app/assembly.h"
#include "autoread/autoread_widget.h"
#include "chart_fixture.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "model/utilities.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace orv;
using namespace orv::autoread;

class AutoReadPanelTest : public QObject {
    Q_OBJECT

    struct Env {
        ScriptedDesktop desk;
        Reading r{&desk};
        AssembledWindow a;
        chart::Chart c = chart::standardChart();
        explicit Env(bool picture = true, bool frame = true)
        {
            desk.defaultYes = true;
            a = assembleMainWindow(r);
            r.Init_App();
            a.main->show();
            if (picture) {
                r.Pic_Width = c.size.width();
                r.Pic_Height = c.size.height();
                r.showPicture(c.draw(), QStringLiteral("chart.png"));
            }
            if (frame) {
                c.setFrame(r.panel);
                r.setDfntDone(true);
            }
        }
        AutoReadWidget *open()
        {
            a.main->findChild<QAction *>(QStringLiteral("AutoRead_Mn"))->trigger();
            return panelWindow();
        }
        static AutoReadWidget *panelWindow()
        {
            for (auto *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<AutoReadWidget *>(w); p && p->isVisible())
                    return p;
            return nullptr;
        }
        GraphPictureArea *area() const { return a.graphs->widget()->pictureArea(); }
        // The area pixel showing picture pixel (px, py).
        QPoint view(QPointF px) const
        {
            return area()->toPixels(float((px.x()) / c.size.width()), float(1 - px.y() / c.size.height())).toPoint();
        }
        int points() const
        {
            int n = 0;
            for (int id = 1; id <= Reading::kMaxId; ++id)
                n += Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 0) == u"TRUE";
            return n;
        }
    };

    static int tinted(const QImage &tint)
    {
        int n = 0;
        for (int y = 0; y < tint.height(); ++y)
            for (int x = 0; x < tint.width(); ++x)
                n += qAlpha(tint.pixel(x, y)) > 0;
        return n;
    }

    static void readAndWait(AutoReadWidget *w)
    {
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->panel().busy(), 10000);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void opensOnlyWithAPictureAndACompleteFrame()
    {
        {
            Env e(false, false);
            QVERIFY(!e.open());
            QCOMPARE(e.desk.messages.back().text, AutoReadPanel::noPictureText());
        }
        {
            Env e(true, false);
            QVERIFY(!e.open());
            QCOMPARE(e.desk.messages.back().text, AutoReadPanel::noFrameText());
        }
        Env e;
        e.r.panel.setVal(CalibPanel::RUX_VLText, QString());
        QVERIFY(!e.open());
        QCOMPARE(e.desk.messages.back().text, AutoReadPanel::noFrameText());
        e.r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        // The toolbar button opens the same single tool window, not modal.
        e.a.main->findChild<QAction *>(QStringLiteral("AutoRead_Mn1"))->trigger();
        AutoReadWidget *w = Env::panelWindow();
        QVERIFY(w);
        QVERIFY(w->windowFlags() & Qt::Tool);
        QVERIFY(!w->isModal());
        QCOMPARE(e.open(), w);
        QVERIFY(w->overlay());
    }

    void eyedropperTakesTheColourAndAddsNoPoint()
    {
        Env e;
        AutoReadWidget *w = e.open();
        QVERIFY(w);
        QTest::mouseClick(w->eyedropperButton(), Qt::LeftButton);
        QVERIFY(w->eyedropperButton()->isChecked());
        // The centre of a purple marker.
        const QPointF m = e.c.pixel(1.6, 3);
        QTest::mouseClick(e.area(), Qt::LeftButton, {}, e.view(m));
        QVERIFY(w->panel().colour().has_value());
        QVERIFY(deltaE(*w->panel().colour(), qRgb(140, 40, 170)) < 3);
        QVERIFY(!w->eyedropperButton()->isChecked());
        QCOMPARE(e.points(), 0);
        // Without the eyedropper a click adds a point as always.
        QTest::mouseClick(e.area(), Qt::LeftButton, {}, e.view(e.c.pixel(5, 50)));
        QCOMPARE(e.points(), 1);
    }

    void swatchesAndTheLiveTint()
    {
        Env e;
        AutoReadWidget *w = e.open();
        const auto &sw = w->panel().swatches();
        QVERIFY(sw.size() >= 5 && sw.size() <= 8);
        int visible = 0, red = -1;
        for (size_t i = 0; i < w->swatchButtons().size(); ++i) {
            visible += w->swatchButtons()[i]->isVisible();
            if (i < sw.size() && deltaE(sw[i], qRgb(220, 30, 30)) < 10)
                red = int(i);
        }
        QCOMPARE(visible, int(sw.size()));
        QVERIFY(red >= 0);
        QTest::mouseClick(w->swatchButtons()[size_t(red)], Qt::LeftButton);
        QCOMPARE(*w->panel().colour(), sw[size_t(red)]);
        QTRY_VERIFY(!w->panel().tint().isNull() && !w->panel().tinting());
        const int at15 = tinted(w->panel().tint());
        QVERIFY(at15 > 500);
        // Nothing tinted outside the reading area: black is the axes and the
        // labels, all outside or within the margin.
        w->panel().setColour(qRgb(0, 0, 0));
        QTRY_VERIFY(!w->panel().tinting() && !w->panel().tint().isNull());
        QCOMPARE(tinted(w->panel().tint()), 0);
        w->panel().setColour(sw[size_t(red)]);
        QTRY_VERIFY(!w->panel().tinting() && tinted(w->panel().tint()) == at15);
        w->toleranceSlider()->setValue(45);
        QTRY_VERIFY(!w->panel().tinting() && tinted(w->panel().tint()) > at15);
        w->toleranceSlider()->setValue(2);
        QTRY_VERIFY(!w->panel().tinting() && tinted(w->panel().tint()) < at15);
        // The overlay paints the tint over the picture.
        w->toleranceSlider()->setValue(15);
        QTRY_VERIFY(!w->panel().tinting() && tinted(w->panel().tint()) == at15);
        const QImage shot = e.area()->grab().toImage();
        const QPoint onCurve = e.view(e.c.pixel(2, e.c.curves[0].f(2)));
        const QColor seen = shot.pixelColor(onCurve);
        QVERIFY2(seen.blue() > 100, qPrintable(seen.name())); // red under a cyan tint
    }

    void xStepsPreviewAndAddInXOrder()
    {
        Env e;
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(220, 30, 30));
        w->pointsBox()->setValue(40);
        readAndWait(w);
        const auto &cand = w->panel().candidates();
        QVERIFY(cand.points.size() >= 35);
        QVERIFY(w->countLabel()->text().contains(QStringLiteral("候補 %1 点").arg(cand.points.size())));
        QVERIFY(w->countLabel()->text().contains(QStringLiteral("該当なし %1").arg(cand.skipped)));
        QVERIFY(w->addButton()->isEnabled());
        QCOMPARE(e.points(), 0); // a preview adds nothing
        // The hollow markers are drawn where the candidates are.
        const QImage shot = e.area()->grab().toImage();
        const QPointF c0 = cand.points[5].normalised;
        const QPoint ring = e.area()->toPixels(float(c0.x()), float(c0.y())).toPoint() + QPoint(4, 0);
        bool magenta = false;
        for (int dx = -1; dx <= 1; ++dx)
            magenta = magenta || shot.pixelColor(ring + QPoint(dx, 0)).green() < 80;
        QVERIFY(magenta);

        const int n = int(cand.points.size());
        e.r.settings.keiretsu.setText(QStringLiteral("系列3"));
        QCOMPARE(e.r.settings.seriesNumber(), 3);
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
        QCOMPARE(e.points(), n);
        const SeriesTable &t = e.r.grid(3);
        QCOMPARE(t.rowCount(), 1 + n);
        double last = -1;
        for (int row = 1; row <= n; ++row) {
            QCOMPARE(t.cell(row, SeriesTable::ColId), QString::number(row));
            const double x = t.cell(row, SeriesTable::ColX).toDouble();
            QVERIFY(x > last);
            last = x;
        }
        // The candidates stay, marked added (adding again asks first).
        QVERIFY(w->panel().candidatesAdded());
        QCOMPARE(w->statusLabel()->text(), AutoReadPanel::addedText(n));

        // Found points behave like clicked ones: dragged, nudged, deleted.
        Graph_Form &g = e.a.graphs->widget()->form();
        const QString before = t.cell(1, SeriesTable::ColX);
        g.pickMouseDown(1);
        g.keyDown(Graph_Form::KeyRight, 0);
        g.keyUp(Graph_Form::KeyRight, 0);
        QVERIFY(t.cell(1, SeriesTable::ColX).toDouble() > before.toDouble());
        g.pickMouseDown(2);
        g.dragDrop(0.5f, 0.5f);
        QCOMPARE(Reading::Get_Field(e.r.Pt_Array[2], QStringLiteral(","), 2), QStringLiteral("0.5"));
        g.pickMouseDown(3);
        g.keyDown(Graph_Form::KeyDelete, 0);
        QCOMPARE(e.points(), n - 1);
        QCOMPARE(t.rowCount(), n);
    }

    void yStepsAndMarkers()
    {
        Env e;
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(240, 140, 0));
        w->methodBox()->setCurrentIndex(2);
        QVERIFY(w->splitBox()->isVisibleTo(w));
        QVERIFY(!w->pointsBox()->isVisibleTo(w));
        readAndWait(w);
        QCOMPARE(w->panel().candidates().points.size(), size_t(8));
        QVERIFY(w->countLabel()->text().contains(QStringLiteral("結合 1 箇所")));
        w->splitBox()->setChecked(false);
        readAndWait(w);
        QCOMPARE(w->panel().candidates().points.size(), size_t(6));
        // Y steps on the blue line, in Y order.
        w->panel().setColour(qRgb(30, 60, 220));
        w->panel().setTolerance(35);
        w->methodBox()->setCurrentIndex(1);
        w->fromEdit()->setText(QStringLiteral("20"));
        w->toEdit()->setText(QStringLiteral("80"));
        w->stepRadio()->setChecked(true);
        w->stepEdit()->setText(QStringLiteral("5"));
        readAndWait(w);
        const auto &pts = w->panel().candidates().points;
        QCOMPARE(pts.size(), size_t(13));
        for (size_t i = 0; i < pts.size(); ++i)
            QVERIFY(std::abs(pts[i].Y - (20 + 5.0 * double(i))) < 1e-3);
        // A step that cannot be walked is reported, nothing read.
        w->stepEdit()->setText(QStringLiteral("-1"));
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QVERIFY(!w->panel().busy());
        QCOMPARE(w->countLabel()->text(), readErrorText(ReadError::BadStep));
    }

    void rangeRectangleNarrowsTheReading()
    {
        Env e;
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(240, 140, 0));
        w->methodBox()->setCurrentIndex(2);
        QTest::mouseClick(w->rangeButton(), Qt::LeftButton);
        // Around the left half of the chart.
        const QPoint a = e.view(e.c.pixel(0.2, 100)), b = e.view(e.c.pixel(4.5, 0));
        QTest::mousePress(e.area(), Qt::LeftButton, {}, a);
        QTest::mouseMove(e.area(), b);
        QTest::mouseRelease(e.area(), Qt::LeftButton, {}, b);
        QVERIFY(w->panel().limit().has_value());
        QVERIFY(!w->rangeButton()->isChecked());
        QCOMPARE(e.points(), 0);
        readAndWait(w);
        for (const FoundPoint &p : w->panel().candidates().points)
            QVERIFY(p.X < 4.5);
        QCOMPARE(w->panel().candidates().points.size(), size_t(3)); // 0.7, 2.3, 4.1
    }

    void theLimitMessageSaysHowManyWereLeftOut()
    {
        Env e;
        std::vector<QPointF> fill(245, QPointF(0.5, 0.5));
        QCOMPARE(e.r.addPoints(1, fill).added, 245);
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(220, 30, 30));
        w->pointsBox()->setValue(20);
        readAndWait(w);
        const int n = int(w->panel().candidates().points.size());
        QVERIFY(n > 5);
        QTest::mouseClick(w->addButton(), Qt::LeftButton);
        QCOMPARE(e.points(), 250);
        QCOMPARE(e.desk.messages.back().text, AutoReadPanel::limitText(5, n - 5));
    }

    void longReadsShowProgressAndCancel()
    {
        Env e;
        // A large picture and a very fine step: seconds of work.
        chart::Chart big = e.c;
        big.size = QSize(4000, 3000);
        big.plot = QRectF(400, 200, 3400, 2500);
        e.c = big;
        e.r.showPicture(big.draw(), QStringLiteral("big.png"));
        big.setFrame(e.r.panel);
        AutoReadWidget *w = e.open();
        QVERIFY(w);
        w->panel().setColour(qRgb(220, 30, 30));
        w->pointsBox()->setValue(100000);
        QTest::mouseClick(w->readButton(), Qt::LeftButton);
        QVERIFY(w->panel().busy());
        QVERIFY(!w->progressBar()->isVisible()); // not before 200 ms
        QTRY_VERIFY_WITH_TIMEOUT(w->progressBar()->isVisible() && w->cancelButton()->isVisible(), 5000);
        QTest::mouseClick(w->cancelButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w->panel().busy(), 5000);
        QVERIFY(!w->progressBar()->isVisible());
        QVERIFY(w->panel().candidates().points.empty());
        QCOMPARE(w->countLabel()->text(), AutoReadPanel::cancelledText());
    }

    void screenshotOverTheSampleChart()
    {
        // Run with ORV_AUTOREAD_SHOT=DIR (under Xvfb) to look at the panel.
        const QString dir = qEnvironmentVariable("ORV_AUTOREAD_SHOT");
        if (dir.isEmpty())
            QSKIP("ORV_AUTOREAD_SHOT not set");
        Env e(false, false);
        QImage img(QStringLiteral(ORV_SOURCE_DIR "/sample/chart.png"));
        QVERIFY(!img.isNull());
        e.r.Pic_Width = img.width();
        e.r.Pic_Height = img.height();
        e.r.showPicture(img, QStringLiteral("chart.png"));
        const char *v[8] = {"0.1125", "0.1333333", "0.1125", "0.9333333", "0.95", "0.9333333", "0.95", "0.1333333"};
        for (int i = 0; i < 8; ++i)
            e.r.panel.setPos(CalibPanel::PosBox(i), QString::fromLatin1(v[i]));
        e.r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        e.r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("100"));
        e.r.setDfntDone(true);
        e.a.main->resize(1250, 900);
        AutoReadWidget *w = e.open();
        w->panel().setColour(qRgb(30, 90, 200));
        w->pointsBox()->setValue(30);
        readAndWait(w);
        QTRY_VERIFY(!w->panel().tinting());
        w->move(e.a.main->geometry().right() - w->width() - 10, e.a.main->geometry().top() + 120);
        QTest::qWait(300);
        e.a.main->grab().save(dir + QStringLiteral("/autoread-main.png"));
        w->grab().save(dir + QStringLiteral("/autoread-panel.png"));
        // The red squares as markers.
        w->panel().setColour(qRgb(200, 60, 40));
        w->methodBox()->setCurrentIndex(2);
        readAndWait(w);
        QTRY_VERIFY(!w->panel().tinting());
        QTest::qWait(200);
        e.a.main->grab().save(dir + QStringLiteral("/autoread-markers.png"));
        w->grab().save(dir + QStringLiteral("/autoread-markers-panel.png"));
    }
};

QTEST_MAIN(AutoReadPanelTest)
#include "autoread_panel_test.moc"
