// Opening pictures and readings: the status bar's guidance, where the open
// dialog starts, the order of the first questions at start-up, and the
// reduced first decode of a large photo for pictures and readings alike.
#include "app/assembly.h"
#include "mainwin/main_window.h"
#include "model/language.h"
#include "model/picture_opening.h"
#include "model/reading.h"
#include "statefile/state_file.h"
#include "tests/support/pdf_fixtures.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

using namespace orv;

namespace {

// A desktop whose questions run the event loop while they wait, as a modal
// dialog does, and which notes when each question and page chooser happens.
class ModalDesktop : public ScriptedDesktop {
public:
    QStringList events;
    bool askYesNo(const QString &text, const QString &title) override
    {
        events << QStringLiteral("question");
        QEventLoop loop;
        QTimer::singleShot(50, &loop, &QEventLoop::quit);
        loop.exec();
        events << QStringLiteral("answered");
        return ScriptedDesktop::askYesNo(text, title);
    }
    std::optional<PdfPageChoice> choosePdfPage(const PdfDocument &doc, const QString &file,
                                               PdfPageChoice initial) override
    {
        events << QStringLiteral("pages");
        return ScriptedDesktop::choosePdfPage(doc, file, initial);
    }
};

QString readingText(const QString &picture, bool withFrame)
{
    QStringList l = {QStringLiteral("Orvalinetrix  :Version 1.0.0"), QStringLiteral("Graph Picture :") + picture,
                     QStringLiteral("Picture Size  :4500,6000"), QStringLiteral("Defnt.Style   :4点定義")};
    if (withFrame)
        l << QStringLiteral("Defnt.Point   :0.1,0.1,0.1,0.9,0.9,0.9,0.9,0.1")
          << QStringLiteral("Defnt.Pt.Val  :0,0,10,100");
    l << QStringLiteral("ReadPtCood.   :") + QString(44, u'*');
    return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

} // namespace

class OpeningTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString &rel) const { return m_dir.filePath(rel); }
    QString picture(const QString &rel, int w = 300, int h = 200, const char *format = "PNG")
    {
        QDir().mkpath(QFileInfo(file(rel)).absolutePath());
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(QColor(250, 250, 240));
        for (int x = 0; x < w; x += 7)
            img.setPixel(x, h / 2, qRgb(0, 0, 200));
        img.save(file(rel), format, 90);
        return file(rel);
    }
    QString reading(const QString &rel, const QString &pictureFile, bool withFrame = true)
    {
        QDir().mkpath(QFileInfo(file(rel)).absolutePath());
        QFile f(file(rel));
        f.open(QIODevice::WriteOnly);
        f.write(readingText(pictureFile, withFrame).toUtf8());
        return file(rel);
    }

private Q_SLOTS:
    void cleanup() { installLanguage(Language::Japanese, QStringLiteral(ORV_BUILD_DIR)); }

    // The hint names every frame mode by its tab's name, in both languages;
    // a reading whose frame is complete asks for points, not for corners.
    void statusGuidance()
    {
        for (Language lang : {Language::Japanese, Language::English}) {
            QVERIFY(installLanguage(lang, QStringLiteral(ORV_BUILD_DIR)));
            for (const char *tab : {"対角定義", "4点定義", "射影定義"}) {
                const QString name = QCoreApplication::translate("Main", tab);
                QVERIFY2(Reading::defineFrameText().contains(name), qPrintable(Reading::defineFrameText()));
            }
        }
        installLanguage(Language::Japanese, QStringLiteral(ORV_BUILD_DIR));
        const QString pic = picture(QStringLiteral("g/chart.png"));
        const struct {
            const char *what;
            QString path;
            QString status;
        } rows[] = {
            {"picture", pic, Reading::defineFrameText()},
            {"reading with its frame", reading(QStringLiteral("r/full.orvd"), pic), Reading::readPointsText()},
            {"reading without a frame", reading(QStringLiteral("r/bare.orvd"), pic, false), Reading::defineFrameText()},
        };
        for (const auto &row : rows) {
            ScriptedDesktop desk;
            Reading r(&desk);
            AssembledWindow a = assembleMainWindow(r);
            a.main->form().Drop_Files(row.path);
            QVERIFY2(r.graph.loaded(), row.what);
            QVERIFY2(desk.messages.empty(), row.what);
            QCOMPARE(r.statusText(), row.status);
        }
    }

    // The open dialogs start in the open reading's folder, else the open
    // picture's; with nothing open (or a pasted picture) in the folder last used.
    void openDialogStartsInTheDocumentsFolder()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        AssembledWindow a = assembleMainWindow(r);
        Main_MDI_Form &f = a.main->form();
        const QString picA = picture(QStringLiteral("a/one.png")), picC = picture(QStringLiteral("c/three.png"));
        const QString readB = reading(QStringLiteral("b/two.orvd"), picA);
        const QString folderA = QFileInfo(picA).absolutePath(), folderB = QFileInfo(readB).absolutePath();
        const struct {
            const char *what;
            std::function<void()> open;
            QString folder;
        } rows[] = {
            {"nothing open", [] {}, QString()},
            {"picture", [&] { f.Drop_Files(picA); }, folderA},
            {"reading (its picture elsewhere)", [&] { f.Drop_Files(readB); }, folderB},
            {"picture after the reading", [&] { f.Drop_Files(picC); }, QFileInfo(picC).absolutePath()},
            {"pasted picture",
             [&] {
                 desk.clipboardPicture = QImage(50, 40, QImage::Format_RGB32);
                 desk.clipboardPicture.fill(Qt::white);
                 f.ClipBoardPaste_Command_Click();
             },
             QString()},
            {"reading from its own dialog",
             [&] {
                 desk.fileNames.push_back(readB);
                 f.Saved_File_Open_Mn_Click();
             },
             folderB},
        };
        for (const auto &row : rows) {
            row.open();
            QVERIFY2(desk.messages.empty(), row.what);
            desk.dialogFolders.clear();
            f.BrowsCommand_Click(); // cancelled: nothing scripted
            f.Saved_File_Open_Mn_Click();
            const std::vector<QString> both{row.folder, row.folder};
            // An empty folder means the plain dialog, which remembers the last one.
            const std::vector<QString> none;
            QCOMPARE(desk.dialogFolders, row.folder.isEmpty() ? none : both);
        }
    }

    // At start-up the recovery question is answered before a file named on
    // the command line asks anything (a PDF's page chooser).
    void startupAsksAboutRecoveryFirst()
    {
        const QString pdf = file(QStringLiteral("three.pdf"));
        QVERIFY(testing::writePdf(pdf, 3));
        ModalDesktop desk;
        Reading r(&desk);
        AssembledWindow a = assembleMainWindow(r);
        QStringList errors;
        runStartupOpenings(
            *a.main, [&] { desk.askYesNo(QStringLiteral("recover?"), QString()); }, pdf,
            [&](const QString &e) { errors << e; });
        QTRY_COMPARE(desk.events.size(), 3);
        QCOMPARE(desk.events, (QStringList{"question", "answered", "pages"}));
        QVERIFY(errors.isEmpty());

        // A missing file is reported for standard error, after the question.
        ModalDesktop desk2;
        Reading r2(&desk2);
        AssembledWindow a2 = assembleMainWindow(r2);
        runStartupOpenings(
            *a2.main, [&] { desk2.askYesNo(QStringLiteral("recover?"), QString()); }, file(QStringLiteral("gone.png")),
            [&](const QString &e) { errors << e; });
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(desk2.events, (QStringList{"question", "answered"}));
    }

    // A large photo, opened on its own or as a reading's picture, shows from
    // a reduced decode at once and is swapped for the whole picture later;
    // when the whole picture cannot be decoded, the reduced one says so.
    void largePhotoShowsReducedFirst()
    {
        const QString jpg = picture(QStringLiteral("p/photo.jpg"), 3000, 2000, "JPEG");
        const QByteArray jpgBytes = [&] {
            QFile f(jpg);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        const QString orvd = reading(QStringLiteral("p/photo.orvd"), jpg);
        QThreadPool *pool = QThreadPool::globalInstance();
        const int threads = pool->maxThreadCount();
        for (const QString &path : {jpg, orvd}) {
            for (bool spoil : {false, true}) {
                const QString what = QFileInfo(path).fileName() + (spoil ? QStringLiteral(", whole decode fails") : QString());
                ScriptedDesktop desk;
                Reading r(&desk);
                AssembledWindow a = assembleMainWindow(r);
                // The worker is held back until the file has been spoiled.
                QSemaphore hold;
                pool->setMaxThreadCount(1);
                QFuture<void> blocker = QtConcurrent::run([&hold] { hold.acquire(); });
                // Let go even when a check below fails.
                const auto letGo = qScopeGuard([&] {
                    if (hold.available() == 0 && !blocker.isFinished())
                        hold.release();
                    blocker.waitForFinished();
                    pool->setMaxThreadCount(threads);
                });
                a.main->form().Drop_Files(path);
                QVERIFY2(r.graph.loaded(), qPrintable(what));
                QCOMPARE(r.graph.naturalSize(), QSize(3000, 2000));
                QVERIFY2(r.graph.pictureReduced(), qPrintable(what));
                QCOMPARE(r.graph.picture().size(), QSize(1500, 1000));
                if (spoil) {
                    QFile f(jpg);
                    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                    f.write("not a picture any more");
                }
                hold.release();
                blocker.waitForFinished();
                if (!spoil) {
                    QTRY_VERIFY2(!r.graph.pictureReduced(), qPrintable(what));
                    QCOMPARE(r.graph.picture().size(), QSize(3000, 2000));
                    QVERIFY(desk.messages.empty());
                    QVERIFY(!r.graph.caption().endsWith(reducedCaptionSuffix()));
                    continue;
                }
                QTRY_COMPARE(desk.messages.size(), size_t(1));
                QCOMPARE(desk.messages[0].text, wholePictureFailedText().arg(1500).arg(1000).arg(3000).arg(2000));
                QVERIFY(r.graph.pictureReduced());
                QCOMPARE(r.graph.caption(), QStringLiteral("photo.jpg") + reducedCaptionSuffix());
                QFile f(jpg);
                QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
                f.write(jpgBytes);
            }
        }
    }
};

QTEST_MAIN(OpeningTest)
#include "opening_test.moc"
