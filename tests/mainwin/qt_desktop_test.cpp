// The Qt desktop port's file dialogs: where they open, what they remember
// between runs, and the extension a save dialog adds to a typed name.
#include "mainwin/qt_desktop.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace orv;

namespace {

// Runs `act` on the file dialog as soon as it is shown (a modal dialog blocks
// the caller), then returns what the port returned.
QString withDialog(const std::function<QString()> &open, const std::function<void(QFileDialog &)> &act)
{
    QTimer poll;
    bool done = false;
    int seen = 0, ticksAfter = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QFileDialog *d = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *f = qobject_cast<QFileDialog *>(w); f && f->isVisible())
                d = f;
        if (!d)
            return;
        if (!done) {
            // Let the dialog finish reading its folder before typing into it.
            if (++seen < 10)
                return;
            done = true;
            act(*d);
        } else if (++ticksAfter > 200) {
            d->reject(); // the action did not close it: fail instead of hanging
        }
    });
    poll.start(10);
    const QString result = open();
    poll.stop();
    return result;
}

QString documents()
{
    const QString d = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !d.isEmpty() && QDir(d).exists() ? d : QDir::homePath();
}

} // namespace

class QtDesktopTest : public QObject {
    Q_OBJECT

    QTemporaryDir tmp;
    QString ini() const { return tmp.filePath(QStringLiteral("settings.ini")); }

private Q_SLOTS:
    void defaultSuffixComesFromTheFilter()
    {
        QCOMPARE(DesktopPort::defaultSuffix(QStringLiteral("設定保存ファイル(*.orvd)|*.orvd")), QStringLiteral("orvd"));
        QCOMPARE(DesktopPort::defaultSuffix(QStringLiteral("CSVファイル(*.csv)|*.csv")), QStringLiteral("csv"));
        QCOMPARE(DesktopPort::defaultSuffix(QStringLiteral("全て(*.*)|*.*|PNG(*.png)|*.png")), QString());
        QCOMPARE(DesktopPort::defaultSuffix(QString()), QString());
        const QString f = QStringLiteral("X(*.orvd)|*.orvd");
        QCOMPARE(DesktopPort::withDefaultSuffix(QStringLiteral("/a.b/name"), f), QStringLiteral("/a.b/name.orvd"));
        QCOMPARE(DesktopPort::withDefaultSuffix(QStringLiteral("/a/name.txt"), f), QStringLiteral("/a/name.txt"));
        QCOMPARE(DesktopPort::withDefaultSuffix(QStringLiteral("C:\\a.b\\name"), f), QStringLiteral("C:\\a.b\\name.orvd"));
    }

    void flagsAreRememberedBetweenRuns()
    {
        QVERIFY(tmp.isValid());
        QtDesktop first;
        first.setSettingsFile(ini());
        QCOMPARE(first.flag(QStringLiteral("view/gridLines"), false), false);
        QCOMPARE(first.flag(QStringLiteral("view/gridLines"), true), true);
        first.setFlag(QStringLiteral("view/gridLines"), true);
        QtDesktop nextRun;
        nextRun.setSettingsFile(ini());
        QCOMPARE(nextRun.flag(QStringLiteral("view/gridLines"), false), true);
        nextRun.setFlag(QStringLiteral("view/gridLines"), false);
        QCOMPARE(first.flag(QStringLiteral("view/gridLines"), true), false);
    }

    void aTypedNameGetsTheExtensionAndTheFolderIsRemembered()
    {
        QVERIFY(tmp.isValid());
        const QString folder = tmp.filePath(QStringLiteral("readings"));
        QVERIFY(QDir().mkpath(folder));

        QtDesktop first;
        first.setSettingsFile(ini());
        // Nothing remembered yet: the documents folder, not the program's.
        QCOMPARE(first.startFolder(), documents());
        QVERIFY(QDir(first.startFolder()) != QDir(QCoreApplication::applicationDirPath()));

        first.rememberFolder(folder + QStringLiteral("/old.orvd"));
        for (const char *filter : {"設定保存ファイル(*.orvd)|*.orvd", "CSVファイル(*.csv)|*.csv"}) {
            QString openedIn;
            const QString got = withDialog(
                [&] { return first.saveFileName(QStringLiteral("保存先を入力"), QString::fromUtf8(filter)); },
                [&](QFileDialog &d) {
                    openedIn = d.directory().absolutePath();
                    // The user types a name without extension and presses Enter.
                    auto *edit = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                    QVERIFY(edit);
                    edit->clear();
                    QTest::keyClicks(edit, QStringLiteral("typed"));
                    QTest::keyClick(edit, Qt::Key_Return);
                });
            QCOMPARE(openedIn, folder);
            const QString ext = DesktopPort::defaultSuffix(QString::fromUtf8(filter));
            QCOMPARE(got, folder + QStringLiteral("/typed.") + ext);
        }

        // A file opened elsewhere moves the memory there, and the next run
        // (another port on the same settings) starts in it.
        const QString other = tmp.filePath(QStringLiteral("pictures"));
        QVERIFY(QDir().mkpath(other));
        QFile pic(other + QStringLiteral("/c.png"));
        QVERIFY(pic.open(QIODevice::WriteOnly));
        pic.close();
        const QString opened = withDialog([&] { return first.openFileName(QStringLiteral("開く"), QStringLiteral("PNG(*.png)|*.png")); },
                                          [&](QFileDialog &d) {
                                              auto *edit = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                                              QVERIFY(edit);
                                              edit->clear();
                                              QTest::keyClicks(edit, other + QStringLiteral("/c.png"));
                                              QTest::keyClick(edit, Qt::Key_Return);
                                          });
        QCOMPARE(opened, other + QStringLiteral("/c.png"));
        QtDesktop nextRun;
        nextRun.setSettingsFile(ini());
        QCOMPARE(nextRun.startFolder(), other);

        // A cancelled dialog changes nothing.
        QCOMPARE(withDialog([&] { return nextRun.openFileName(QStringLiteral("開く"), QString()); },
                            [](QFileDialog &d) { d.reject(); }),
                 QString());
        QCOMPARE(nextRun.startFolder(), other);

        // A remembered folder that is gone, or is the program's own, gives way
        // to the documents folder.
        QVERIFY(QDir(other).removeRecursively());
        QCOMPARE(nextRun.startFolder(), documents());
        nextRun.rememberFolder(QCoreApplication::applicationFilePath());
        QCOMPARE(nextRun.startFolder(), documents());
    }
};

QTEST_MAIN(QtDesktopTest)
#include "qt_desktop_test.moc"
