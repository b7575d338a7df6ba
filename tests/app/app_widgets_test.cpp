// The assembled main window: what it tells the user at start (crash recovery
// switched off) and how the calibration boxes take part in undo.

#include "app/assembly.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "model/recovery.h"

#include <QApplication>
#include <QLabel>
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
};

QTEST_MAIN(AppWidgetsTest)
#include "app_widgets_test.moc"
