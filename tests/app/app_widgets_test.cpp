// The assembled main window: what it tells the user at start (crash recovery
// switched off) and how the calibration boxes take part in undo.

#include "app/assembly.h"
#include "mainwin/main_window.h"
#include "model/history.h"
#include "model/reading.h"
#include "model/recovery.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;

class AppWidgetsTest : public QObject {
    Q_OBJECT

    struct Env {
        ScriptedDesktop desk;
        Reading r{&desk};
        AssembledWindow a;
        Env()
        {
            r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
            a = assembleMainWindow(r);
        }
    };

private Q_SLOTS:
    // A recovery folder that cannot be used: one message, and a notice that
    // stays in the status bar, both with the reason.
    void recoveryOffIsToldOnceAndStaysInTheStatusBar()
    {
        QTemporaryDir tmp;
        const QString blocker = tmp.filePath(QStringLiteral("data"));
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly)); // a file where the folder's parent should be
        f.close();
        Env e;
        Recovery rec(e.r, [] { return QByteArray(); }, blocker + QStringLiteral("/recovery"));
        QVERIFY(!rec.start());
        announceRecoveryOff(*e.a.main, e.r, rec.offReason());
        e.a.main->show();
        QCOMPARE(e.desk.messages.size(), size_t(1));
        QCOMPARE(e.desk.messages[0].text, Recovery::offMessage(rec.offReason()));
        QVERIFY(e.desk.messages[0].text.contains(QDir::toNativeSeparators(blocker)));
        auto *notice = e.a.main->statusBar()->findChild<QLabel *>(QStringLiteral("RecoveryOffNotice"));
        QVERIFY(notice);
        QCOMPARE(notice->text(), Recovery::statusNotice());
        QVERIFY(notice->isVisible());
        QVERIFY(notice->toolTip().contains(rec.offReason()));
        // The status texts of the reading go on beside it.
        e.r.setStatusText(QStringLiteral("x"));
        QVERIFY(notice->isVisible());
        QCOMPARE(e.desk.messages.size(), size_t(1));
    }

    // A corner value typed into its box: Enter makes it one step; Ctrl+Z in
    // the box takes back typing not yet committed, and otherwise the step.
    // Leaving a box commits too.
    void calibrationBoxesCommitStepsAndCtrlZFollowsTheTyping()
    {
        Env e;
        History &h = e.r.history();
        QTemporaryDir tmp;
        QImage chart(300, 200, QImage::Format_RGB32);
        chart.fill(Qt::white);
        QVERIFY(chart.save(tmp.filePath(QStringLiteral("c.png"))));
        QVERIFY(e.a.main->form().Open_Pic(tmp.filePath(QStringLiteral("c.png"))));
        e.a.main->show();
        e.a.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e.a.main.get()));
        auto *rux = e.a.main->findChild<QLineEdit *>(QStringLiteral("RUX_VLText"));
        auto *ruy = e.a.main->findChild<QLineEdit *>(QStringLiteral("RUY_VLText"));
        auto *llx = e.a.main->findChild<QLineEdit *>(QStringLiteral("LLX_Text"));
        QVERIFY(rux && ruy && llx);
        const QString original = e.r.panel.val(CalibPanel::RUX_VLText);
        const int steps = h.count();

        rux->setFocus();
        QTRY_VERIFY(rux->hasFocus());
        rux->selectAll();
        QTest::keyClicks(rux, QStringLiteral("250"));
        QCOMPARE(e.r.panel.val(CalibPanel::RUX_VLText), QStringLiteral("250"));
        QCOMPARE(h.count(), steps);
        QTest::keyClick(rux, Qt::Key_Return);
        QCOMPARE(h.count(), steps + 1);
        QCOMPARE(h.undoText(), History::kindText(History::AxisValue));

        // Typing again, then Ctrl+Z: the box's own undo, the step stays.
        QTest::keyClicks(rux, QStringLiteral("0"));
        QCOMPARE(e.r.panel.val(CalibPanel::RUX_VLText), QStringLiteral("2500"));
        QTest::keyClick(rux, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(e.r.panel.val(CalibPanel::RUX_VLText), QStringLiteral("250"));
        QCOMPARE(h.count(), steps + 1);
        QCOMPARE(h.index(), steps + 1);
        // Nothing left to take back in the box: the reading's undo.
        QTest::keyClick(rux, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(h.index(), steps);
        QCOMPARE(e.r.panel.val(CalibPanel::RUX_VLText), original);
        QCOMPARE(rux->text(), original);

        // Leaving a box commits its typing: a position box, then a value box.
        llx->setFocus();
        QTRY_VERIFY(llx->hasFocus());
        QTest::keyClicks(llx, QStringLiteral("0.2"));
        ruy->setFocus();
        QTRY_VERIFY(ruy->hasFocus());
        QCOMPARE(h.count(), steps + 1);
        QCOMPARE(h.undoText(), History::kindText(History::FramePosition));
        QTest::keyClicks(ruy, QStringLiteral("9"));
        llx->setFocus();
        QTRY_VERIFY(llx->hasFocus());
        QCOMPARE(h.count(), steps + 2);
        QCOMPARE(h.undoText(), History::kindText(History::AxisValue));
        QCOMPARE(h.mismatches(), 0);
    }
};

QTEST_MAIN(AppWidgetsTest)
#include "app_widgets_test.moc"
