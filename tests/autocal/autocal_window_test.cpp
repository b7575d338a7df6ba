// The automatic calibration in the assembled main window: the panel's
// button and the menu entry, the values, modes and corners it fills, the
// overlay over the picture, the question about points already read, one
// undo step for all of it, progress with 中止, the highlight of values it is
// unsure of, and nothing changed when nothing is found. The labels are read
// by an engine that knows what the chart drew.

#include "app/assembly.h"
#include "autocal/autocal_widget.h"
#include "chart_maker.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "table/grid_form.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QThread>

using namespace orv;
using namespace orv::autocal;

namespace {

// Reads what the chart drew under the region asked for; `skip` texts read as
// nothing, `wrong` replaces one text, `delayMs` makes each label slow.
class KnownTexts : public OcrEngine {
public:
    KnownTexts(const chartmaker::Chart &c, QStringList skip = {}, std::pair<QString, QString> wrong = {}, int delayMs = 0)
        : m_c(c), m_skip(std::move(skip)), m_wrong(std::move(wrong)), m_delay(delayMs)
    {
    }
    std::optional<OcrText> read(const QImage &, const QRectF &where, bool) override
    {
        if (m_delay)
            QThread::msleep(ulong(m_delay));
        QString text;
        for (const auto &t : m_c.texts)
            if (where.contains(m_c.warp.map(t.box.center())))
                text += t.text;
        if (text.isEmpty() || m_skip.contains(text))
            return std::nullopt;
        if (text == m_wrong.first)
            text = m_wrong.second;
        return OcrText{text, 90};
    }

private:
    const chartmaker::Chart &m_c;
    QStringList m_skip;
    std::pair<QString, QString> m_wrong;
    int m_delay;
};

chartmaker::ChartPlan integerChart()
{
    chartmaker::ChartPlan s;
    s.x.lo = 0;
    s.x.hi = 100;
    s.y.lo = 0;
    s.y.hi = 50;
    for (int v = 0; v <= 100; v += 20)
        s.x.ticks.push_back(v);
    for (int v = 0; v <= 50; v += 10)
        s.y.ticks.push_back(v);
    return s;
}

} // namespace

class AutoCalWindowTest : public QObject {
    Q_OBJECT

    struct Env {
        ScriptedDesktop desk;
        Reading r{&desk};
        AssembledWindow a;
        chartmaker::Chart c;
        explicit Env(const chartmaker::ChartPlan &plan) : c(chartmaker::draw(plan))
        {
            desk.defaultYes = true;
            a = assembleMainWindow(r);
            r.Init_App();
            a.main->show();
            r.Pic_Width = c.image.width();
            r.Pic_Height = c.image.height();
            r.showPicture(c.image, QStringLiteral("chart.png"));
        }
        AutoCalibrateUi *ui() const { return a.main->findChild<AutoCalibrateUi *>(); }
        void useEngine(std::function<std::unique_ptr<OcrEngine>()> make)
        {
            ui()->calibrator().setEngineFactory([make](QString *) { return make(); });
        }
        QPushButton *button() const { return a.main->findChild<QPushButton *>(QStringLiteral("AutoCal_Command")); }
        QLineEdit *box(const char *name) const { return a.main->findChild<QLineEdit *>(QLatin1String(name)); }
        // The value a picture position converts to with the panel as it is.
        QPointF valueAt(double u, double v)
        {
            const QPointF at = c.picturePoint(u, v);
            r.Conv_Pt(float(at.x() / c.image.width()), float(1 - at.y() / c.image.height()));
            return QPointF(r.Conv_X, r.Conv_Y);
        }
    };

private Q_SLOTS:
    void buttonAndMenuCalibrateAsOneUndoStep()
    {
        Env e(integerChart());
        QVERIFY(e.button());
        QCOMPARE(e.button()->text(), QStringLiteral("自動校正"));
        QAction *menuEntry = e.a.main->findChild<QAction *>(QStringLiteral("AutoCal_Mn"));
        QVERIFY(menuEntry);
        QCOMPARE(qobject_cast<QMenu *>(menuEntry->parent())->objectName(), QStringLiteral("etc_Mn"));
        // A point read with the old frame, to be read again.
        e.r.panel.setPos(CalibPanel::LLX_Text, QStringLiteral("0"));
        e.r.panel.setPos(CalibPanel::LLY_Text, QStringLiteral("0"));
        e.r.panel.setPos(CalibPanel::RUX_Text, QStringLiteral("1"));
        e.r.panel.setPos(CalibPanel::RUY_Text, QStringLiteral("1"));
        e.r.setDfntDone(true);
        const QPointF mid = e.c.picturePoint(0.5, 0.5);
        e.r.addPoints(1, {QPointF(mid.x() / e.c.image.width(), 1 - mid.y() / e.c.image.height())});
        const QString oldX = e.r.grid(1).cell(1, SeriesTable::ColX);
        const int steps = e.r.history().count();
        const std::array<QString, 4> before{e.r.panel.val(CalibPanel::LLX_VLText), e.r.panel.val(CalibPanel::LLY_VLText),
                                            e.r.panel.val(CalibPanel::RUX_VLText), e.r.panel.val(CalibPanel::RUY_VLText)};

        e.useEngine([&c = e.c] { return std::make_unique<KnownTexts>(c, QStringList{}, std::pair{QStringLiteral("60"), QStringLiteral("75")}); });
        QTest::mouseClick(e.button(), Qt::LeftButton);
        QTRY_VERIFY(!e.ui()->calibrator().busy());
        QVERIFY(e.ui()->calibrator().result().has_value());
        // The question about the point, answered Yes: it is read again.
        QCOMPARE(e.desk.questions.size(), size_t(1));
        QCOMPARE(e.desk.questions[0].text, AutoCalibrator::rereadQuestion());
        QCOMPARE(e.r.panel.selectedTab(), 1);
        QVERIFY(!e.r.panel.xLog() && !e.r.panel.yLog());
        const QPointF v = e.valueAt(0.3, 0.7);
        QVERIFY2(std::abs(v.x() - 30) < 100.0 / 820 && std::abs(v.y() - 35) < 50.0 / 540,
                 qPrintable(QStringLiteral("%1 %2").arg(v.x()).arg(v.y())));
        const QString newX = e.r.grid(1).cell(1, SeriesTable::ColX);
        QVERIFY(std::abs(newX.toDouble() - 50) < 0.2);
        QCOMPARE(e.box("LLX_VLText")->text(), e.r.panel.val(CalibPanel::LLX_VLText));
        // Sure of both axes: nothing highlighted.
        QVERIFY(e.box("LLX_VLText")->styleSheet().isEmpty());
        QVERIFY(e.box("RUY_VLText")->styleSheet().isEmpty());

        // The overlay: the frame, labels used, and the wrong label crossed out.
        AutoCalOverlay *overlay = e.ui()->overlay();
        QVERIFY(overlay && overlay->isVisible());
        const QImage shot = e.a.graphs->widget()->pictureArea()->grab().toImage();
        if (const QString dir = qEnvironmentVariable("ORV_SHOTS"); !dir.isEmpty()) {
            e.a.main->grab().save(dir + QStringLiteral("/autocal_window.png"));
            shot.save(dir + QStringLiteral("/autocal_overlay.png"));
        }
        auto near = [](QColor a, QColor b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 60;
        };
        int frame = 0, used = 0, leftOut = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor px = shot.pixelColor(x, y);
                frame += near(px, AutoCalOverlay::frameColour());
                used += near(px, AutoCalOverlay::usedColour());
                leftOut += near(px, AutoCalOverlay::leftOutColour());
            }
        QVERIFY2(frame > 200 && used > 50 && leftOut > 10, qPrintable(QStringLiteral("%1 %2 %3").arg(frame).arg(used).arg(leftOut)));
        int crossed = 0;
        for (const FoundLabel &l : e.ui()->calibrator().result()->labels)
            crossed += l.text == u"75" && !l.used;
        QCOMPARE(crossed, 1);

        // One step: undo takes back the values, corners, mode and the re-read point.
        QCOMPARE(e.r.history().count(), steps + 1);
        QVERIFY(e.r.history().undo());
        QCOMPARE(e.r.panel.val(CalibPanel::LLX_VLText), before[0]);
        QCOMPARE(e.r.panel.val(CalibPanel::RUY_VLText), before[3]);
        QCOMPARE(e.r.panel.pos(CalibPanel::RUX_Text), QStringLiteral("1"));
        QCOMPARE(e.r.grid(1).cell(1, SeriesTable::ColX), oldX);
        QVERIFY(e.r.history().redo());
        QCOMPARE(e.r.grid(1).cell(1, SeriesTable::ColX), newX);
        QCOMPARE(e.box("RUX_VLText")->text(), e.r.panel.val(CalibPanel::RUX_VLText));

        // The menu entry runs the same; a corner typed by hand afterwards is kept as typed.
        menuEntry->trigger();
        QTRY_VERIFY(!e.ui()->calibrator().busy());
        QCOMPARE(e.r.history().count(), e.r.history().index());
    }

    void unsureAxisIsHighlightedAndOneAxisIsNamed()
    {
        chartmaker::ChartPlan s = integerChart();
        s.y.hi = 5;
        s.y.ticks = {1, 2, 3, 4, 5};
        Env e(s);
        // Only two Y labels readable: Y found but unsure. No X label: X not found.
        e.useEngine([&c = e.c] {
            return std::make_unique<KnownTexts>(c, QStringList{QStringLiteral("0"), QStringLiteral("20"), QStringLiteral("40"),
                                                               QStringLiteral("60"), QStringLiteral("80"), QStringLiteral("100"),
                                                               QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5")});
        });
        e.ui()->run();
        QTRY_VERIFY(!e.ui()->calibrator().busy());
        QVERIFY(e.ui()->calibrator().unsure(AxisId::Y));
        QVERIFY(e.box("LLY_VLText")->styleSheet().contains(AutoCalibrateUi::unsureColour().name()));
        QVERIFY(e.box("LLX_VLText")->styleSheet().isEmpty());
        QCOMPARE(e.desk.messages.size(), size_t(1));
        QCOMPARE(e.desk.messages[0].text, AutoCalibrator::oneAxisText(Missing::XLabels));
        // X keeps what it had; a value typed into Y ends the highlight.
        QCOMPARE(e.r.panel.val(CalibPanel::RUX_VLText), QStringLiteral("1"));
        e.r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("50"));
        QVERIFY(e.box("LLY_VLText")->styleSheet().isEmpty());
    }

    void nothingFoundChangesNothing()
    {
        chartmaker::ChartPlan s = integerChart();
        Env e(s);
        e.r.showPicture(QImage(600, 400, QImage::Format_RGB32), QStringLiteral("black.png"));
        e.useEngine([&c = e.c] { return std::make_unique<KnownTexts>(c); });
        const int steps = e.r.history().count();
        e.ui()->run();
        QTRY_VERIFY(!e.ui()->calibrator().busy());
        QCOMPARE(e.desk.messages.size(), size_t(1));
        QCOMPARE(e.desk.messages[0].text, AutoCalibrator::notFoundText(Missing::AxisLines));
        QCOMPARE(e.r.history().count(), steps);
        QVERIFY(e.r.panel.pos(CalibPanel::LLX_Text).isEmpty());
    }

    void progressAfterAMomentAndCancel()
    {
        Env e(integerChart());
        e.useEngine([&c = e.c] { return std::make_unique<KnownTexts>(c, QStringList{}, std::pair<QString, QString>{}, 80); });
        const int steps = e.r.history().count();
        e.ui()->run();
        QVERIFY(e.ui()->calibrator().busy());
        QVERIFY(!e.ui()->calibrator().progressShown());
        QTRY_VERIFY(e.ui()->calibrator().progressShown());
        QProgressDialog *dlg = e.ui()->progressDialog();
        QVERIFY(dlg && dlg->isVisible());
        QCOMPARE(dlg->findChild<QPushButton *>()->text(), QStringLiteral("中止"));
        QTest::mouseClick(dlg->findChild<QPushButton *>(), Qt::LeftButton);
        QTRY_VERIFY(!e.ui()->calibrator().busy());
        QVERIFY(!dlg->isVisible());
        QCOMPARE(e.r.history().count(), steps);
        QCOMPARE(e.r.statusText(), AutoCalibrator::cancelledText());
        QVERIFY(e.r.panel.pos(CalibPanel::LLX_Text).isEmpty());
    }
};

QTEST_MAIN(AutoCalWindowTest)
#include "autocal_window_test.moc"
