// The calibration panel's date kind in the main window: the third option per
// axis, the digits boxes' date patterns, typed dates shown back and refused
// texts, and the readout in dates.
#include "graphwin/graph_form.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "tests/support/reading_fixtures.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace orv;

class DateAxisWidgetsTest : public QObject {
    Q_OBJECT

    struct Env {
        ScriptedDesktop desk;
        Reading r{&desk};
        std::unique_ptr<MainWindow> w;
        Env()
        {
            r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
            w = std::make_unique<MainWindow>(r);
        }
        template <class T> T *find(const char *name) const { return w->findChild<T *>(QString::fromLatin1(name)); }
        // A click on an option's mark.
        void click(const char *option)
        {
            auto *b = find<QRadioButton>(option);
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
        }
        // Typing into a value box and leaving it.
        void type(const char *box, const QString &text)
        {
            auto *e = find<QLineEdit>(box);
            e->selectAll();
            QTest::keyClicks(e, text);
            QMetaObject::invokeMethod(e, "editingFinished");
        }
    };

private Q_SLOTS:
    void dateOptionPatternsAndTypedDates()
    {
        Env e;
        e.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(e.w.get()));
        auto *xDate = e.find<QRadioButton>("X_Date_Option");
        QVERIFY(xDate);
        QCOMPARE(xDate->text(), QStringLiteral("日時"));
        // The three options are one choice: date excludes log.
        e.click("X_Log_Option");
        QVERIFY(e.r.panel.xLog());
        e.click("X_Date_Option");
        QVERIFY(e.r.panel.xDate());
        QVERIFY(!e.r.panel.xLog());
        QVERIFY(!e.find<QRadioButton>("X_Log_Option")->isChecked());
        QVERIFY(e.find<QRadioButton>("Y_Lnr_Option")->isChecked());

        // The digits box offers date patterns now, the Y box still digits.
        auto *xFormat = e.find<QComboBox>("X_Format_Combo");
        QCOMPARE(xFormat->count(), 8);
        QCOMPARE(xFormat->itemText(3), QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(xFormat->currentText(), QStringLiteral("AUTO"));
        QCOMPARE(e.find<QComboBox>("Y_Format_Combo")->count(), 13);
        xFormat->setCurrentIndex(3);
        emit xFormat->activated(3);
        QCOMPARE(e.r.settings.xFormat.text(), QStringLiteral("yyyy-MM-dd"));

        // Typed dates are shown back in the axis's form; a text that is no date
        // gets the message and stays for correcting.
        const size_t base = e.desk.messages.size(); // the Log option's note on the lower-left value
        e.type("LLX_VLText", QStringLiteral("2020/3/1"));
        QCOMPARE(e.find<QLineEdit>("LLX_VLText")->text(), QStringLiteral("2020-03-01"));
        QCOMPARE(e.desk.messages.size(), base);
        e.type("RUX_VLText", QStringLiteral("2020-02-30"));
        QCOMPARE(e.desk.messages.size(), base + 1);
        QVERIFY(e.desk.messages.back().text.contains(QStringLiteral("2020-02-30")));
        e.type("RUX_VLText", QStringLiteral("2020"));
        QCOMPARE(e.desk.messages.size(), base + 2);
        e.type("RUX_VLText", QStringLiteral("2020-03-31T12:00"));
        QCOMPARE(e.find<QLineEdit>("RUX_VLText")->text(), QStringLiteral("2020-03-31 12:00"));
        QCOMPARE(e.desk.messages.size(), base + 2);

        // The readout of a position in dates.
        testing::setDiagonalFrame(e.r, "1", "100");
        e.r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("2020-03-01"));
        e.r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("2020-03-31"));
        QVERIFY(e.r.Conv_Pt(0.5f, 0.5f).has_value());
        QCOMPARE(e.r.Format_Val(u"X", e.r.Conv_X), QStringLiteral("2020-03-16"));

        // Back to linear: digits again, the values as serial days.
        e.click("X_Lnr_Option");
        QCOMPARE(xFormat->count(), 13);
        QCOMPARE(xFormat->currentText(), QStringLiteral("AUTO"));
        QCOMPARE(e.find<QLineEdit>("LLX_VLText")->text(), QStringLiteral("43891"));
        // A model change (a loaded file) moves the option too.
        e.r.panel.setYKind(AxisKind::Date);
        QVERIFY(e.find<QRadioButton>("Y_Date_Option")->isChecked());
    }
};

QTEST_MAIN(DateAxisWidgetsTest)
#include "date_axis_widgets_test.moc"
