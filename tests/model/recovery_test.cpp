// Crash recovery copies: kept exactly while the reading has unsaved changes,
// gone after a save, a discard or a normal end; copies left by programs that
// are no longer running are offered at start, copies of running programs
// never. Everything happens in a temporary folder.

#include "graphwin/graph_form.h"
#include "mainwin/main_mdi_form.h"
#include "model/file_io.h"
#include "model/reading.h"
#include "model/recovery.h"
#include "statefile/state_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orv;

namespace {

static_assert(Recovery::kDelayMs < 2000, "a copy is written within 2 s of a change");

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A process number that no running program has: one that just ended.
qint64 deadPid()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    p.waitForStarted();
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

// The mode bits of a file or folder (-1 when it is missing).
int modeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

class Recovery_ : public ::testing::Test {
protected:
    QTemporaryDir tmp;
    QString folder = tmp.filePath(QStringLiteral("recovery"));
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form main{r};
    Graph_Form graph{r};
    QString picture = tmp.filePath(QStringLiteral("chart.png"));

    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_model";
        static char *argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv); // timers need one; lives for the run
    }

    void SetUp() override
    {
        QImage img(200, 100, QImage::Format_RGB32);
        img.fill(Qt::white);
        ASSERT_TRUE(img.save(picture));
        main.MDIForm_Load();
        ASSERT_TRUE(main.Open_Pic(picture));
        graph.setPictureSize(200, 100);
        graph.mouseUp(Graph_Form::LeftButton, 0.1f, 0.1f);
        graph.mouseUp(Graph_Form::LeftButton, 0.9f, 0.9f);
        r.history().clear(); // as if just opened
    }
    void click(float x, float y) { graph.mouseUp(Graph_Form::LeftButton, x, y); }
    // A copy left by a program that crashed: its lock names a dead process.
    QString orphan(const QString &name, const QByteArray &bytes, bool withLock = true, qint64 pid = 0)
    {
        QDir().mkpath(folder);
        const QString path = folder + u'/' + name + QStringLiteral(".orvd");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        if (withLock) {
            QFile lock(folder + u'/' + name + QStringLiteral(".lock"));
            EXPECT_TRUE(lock.open(QIODevice::WriteOnly));
            lock.write(QByteArray::number(pid ? pid : deadPid()) + "\norvalinetrix\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        }
        return path;
    }
};

} // namespace

TEST_F(Recovery_, TheCopyFollowsTheUnsavedChanges)
{
    Recovery rec(r, [this] { return stateFileBytes(r); }, folder);
    ASSERT_TRUE(rec.start());
    const QString lock = rec.copyPath().left(rec.copyPath().size() - 5) + QStringLiteral(".lock");
    EXPECT_TRUE(QFileInfo::exists(lock));
    EXPECT_FALSE(QFileInfo::exists(rec.copyPath()));
    EXPECT_FALSE(rec.pending()); // nothing unsaved, nothing to write

    click(0.3f, 0.4f);
    EXPECT_TRUE(rec.pending());
    rec.flush();
    EXPECT_EQ(fileBytes(rec.copyPath()), stateFileBytes(r));
    click(0.6f, 0.7f);
    rec.flush();
    EXPECT_EQ(fileBytes(rec.copyPath()), stateFileBytes(r)); // always the latest
    // The copy is an ordinary reading file: it opens like one.
    auto parsed = readStateFile(rec.copyPath());
    ASSERT_TRUE(parsed.has_value());

    // Undoing back to the opened state leaves nothing unsaved.
    ASSERT_TRUE(r.history().undo());
    ASSERT_TRUE(r.history().undo());
    EXPECT_FALSE(QFileInfo::exists(rec.copyPath()));
    ASSERT_TRUE(r.history().redo());
    rec.flush();
    EXPECT_TRUE(QFileInfo::exists(rec.copyPath()));

    // Saved: removed at once. The user's own file is all that was written.
    const QString mine = tmp.filePath(QStringLiteral("mine.orvd"));
    desk.fileNames.push_back(mine);
    ASSERT_TRUE(Save_State(r));
    const QByteArray savedBytes = fileBytes(mine);
    EXPECT_FALSE(QFileInfo::exists(rec.copyPath()));
    EXPECT_FALSE(rec.pending());

    // Discarded (another picture, answered No): removed too.
    click(0.5f, 0.5f);
    rec.flush();
    EXPECT_TRUE(QFileInfo::exists(rec.copyPath()));
    desk.answers3 = {DesktopPort::Answer::No};
    ASSERT_TRUE(main.Open_Pic(picture));
    EXPECT_FALSE(QFileInfo::exists(rec.copyPath()));
    EXPECT_EQ(fileBytes(mine), savedBytes); // the user's file: untouched by any of it

    // The normal end removes the copy and the lock.
    click(0.5f, 0.5f);
    rec.flush();
    const QString copy = rec.copyPath();
    {
        Recovery second(r, [] { return QByteArray(); }, folder); // a second program
        ASSERT_TRUE(second.start());
        EXPECT_TRUE(second.orphans().isEmpty()); // ours is held while we run
    }
    EXPECT_TRUE(QFileInfo::exists(copy));
}

TEST_F(Recovery_, TheNormalEndLeavesNothing)
{
    QString copy, lock;
    {
        Recovery rec(r, [this] { return stateFileBytes(r); }, folder);
        ASSERT_TRUE(rec.start());
        click(0.3f, 0.4f);
        rec.flush();
        copy = rec.copyPath();
        lock = copy.left(copy.size() - 5) + QStringLiteral(".lock");
        ASSERT_TRUE(QFileInfo::exists(copy));
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
    EXPECT_FALSE(QFileInfo::exists(lock));
}

TEST_F(Recovery_, CopiesOfEndedProgramsAreOfferedAndRestoredAsUnsaved)
{
    click(0.3f, 0.4f);
    click(0.6f, 0.7f);
    const QByteArray crashed = stateFileBytes(r);
    desk.answers3 = {DesktopPort::Answer::No};
    ASSERT_TRUE(main.Open_Pic(picture)); // a fresh start
    ASSERT_FALSE(r.hasPoints());
    desk.questions.clear();

    const QString older = orphan(QStringLiteral("reading-1-1"), "not a reading at all", false);
    const QString left = orphan(QStringLiteral("reading-2-2"), crashed);
    QFile touch(left);
    ASSERT_TRUE(touch.open(QIODevice::ReadWrite));
    touch.setFileTime(QDateTime::currentDateTimeUtc().addSecs(60), QFileDevice::FileModificationTime);
    touch.close();

    // A copy whose program still runs (here: this process holds its lock).
    QDir().mkpath(folder);
    QLockFile running(folder + QStringLiteral("/reading-3-3.lock"));
    ASSERT_TRUE(running.tryLock(0));
    const QString held = orphan(QStringLiteral("reading-3-3"), crashed, false);

    Recovery rec(r, [this] { return stateFileBytes(r); }, folder);
    ASSERT_TRUE(rec.start());
    EXPECT_EQ(rec.orphans(), QStringList({left, older}));

    desk.answers = {true};
    QStringList opened;
    EXPECT_TRUE(rec.offerRestore([&](const QString &p) {
        opened << p;
        return Load_State(r, p) == LoadResult::Loaded;
    }));
    EXPECT_EQ(opened, QStringList({left}));
    ASSERT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(desk.questions[0].text, Recovery::restoreQuestion());
    EXPECT_EQ(stateFileBytes(r), crashed);
    EXPECT_TRUE(r.history().isModified()); // restored, not saved
    EXPECT_EQ(r.GraphPic_Path, picture);
    EXPECT_TRUE(rec.pending());
    EXPECT_FALSE(QFileInfo::exists(left));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/old/reading-2-2.orvd")));
    EXPECT_TRUE(QFileInfo::exists(held)); // never touched

    // No: the copy goes to old/, not asked again.
    desk.questions.clear();
    desk.answers = {false};
    EXPECT_FALSE(rec.offerRestore([&](const QString &) { return true; }));
    EXPECT_EQ(desk.questions.size(), 1u);
    EXPECT_TRUE(rec.orphans().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/old/reading-1-1.orvd")));
    EXPECT_TRUE(QFileInfo::exists(held));
}

TEST_F(Recovery_, OldKeepsTheLastFive)
{
    Recovery rec(r, [] { return QByteArray(); }, folder);
    ASSERT_TRUE(rec.start());
    for (int i = 0; i < 7; ++i) {
        const QString p = orphan(QStringLiteral("reading-9-%1").arg(i), QByteArray::number(i));
        rec.retire(p);
        EXPECT_FALSE(QFileInfo::exists(p));
    }
    const QStringList kept = QDir(folder + QStringLiteral("/old")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(kept, QStringList({"reading-9-2.orvd", "reading-9-3.orvd", "reading-9-4.orvd", "reading-9-5.orvd",
                                 "reading-9-6.orvd"}));
    EXPECT_TRUE(rec.orphans().isEmpty());
}

TEST_F(Recovery_, APastedPictureIsKeptBesideTheCopyAndComesBack)
{
    QImage pasted(160, 120, QImage::Format_RGB32);
    pasted.fill(QColor(10, 200, 30));
    desk.clipboardPicture = pasted;
    main.ClipBoardPaste_Command_Click();
    ASSERT_TRUE(r.GraphPic_Path.isEmpty());
    graph.setPictureSize(160, 120);
    graph.mouseUp(Graph_Form::LeftButton, 0.1f, 0.1f);
    graph.mouseUp(Graph_Form::LeftButton, 0.9f, 0.9f);
    click(0.4f, 0.5f);
    const QByteArray points = stateFileBytes(r).split('\n').mid(7, 3).join('\n');

    QString text;
    {
        Recovery rec(r, [this] { return stateFileBytes(r); }, folder);
        ASSERT_TRUE(rec.start());
        rec.flush();
        const QString png = rec.copyPath().left(rec.copyPath().size() - 5) + QStringLiteral(".png");
        ASSERT_TRUE(QFileInfo::exists(png));
        EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), pasted);
        EXPECT_TRUE(r.GraphPic_Path.isEmpty()); // still a pasted picture
        text = QString::fromUtf8(fileBytes(rec.copyPath()));
        EXPECT_TRUE(text.contains(QStringLiteral("Graph Picture :") + png));
        // What a crashed program leaves: the copy and its picture, a dead lock.
        text.replace(png, folder + QStringLiteral("/reading-5-5.png"));
        QFile::copy(png, folder + QStringLiteral("/reading-5-5.png"));
    }
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("reading-*-*.png")}).size() == 1); // ours went at the end
    orphan(QStringLiteral("reading-5-5"), text.toUtf8());

    desk.answers3 = {DesktopPort::Answer::No};
    ASSERT_TRUE(main.Open_Pic(picture));
    Recovery rec(r, [this] { return stateFileBytes(r); }, folder);
    ASSERT_TRUE(rec.start());
    desk.answers = {true};
    ASSERT_TRUE(rec.offerRestore([&](const QString &p) { return Load_State(r, p) == LoadResult::Loaded; }));
    EXPECT_EQ(r.graph.picture().convertToFormat(QImage::Format_RGB32), pasted);
    EXPECT_TRUE(r.GraphPic_Path.isEmpty()); // saved as NAME.png beside the reading, like any pasted picture
    EXPECT_EQ(stateFileBytes(r).split('\n').mid(7, 3).join('\n'), points);
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/old/reading-5-5.png")));
}

TEST_F(Recovery_, ACopyWhoseProgramIsAZombieIsOffered)
{
    // A program that has ended but whose parent has not reaped it yet.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    QFile stat(QStringLiteral("/proc/%1/stat").arg(child));
    for (int i = 0; i < 500; ++i) { // until the child has ended
        stat.open(QIODevice::ReadOnly);
        const QByteArray line = stat.readAll();
        stat.close();
        if (line.contains(") Z "))
            break;
        ::usleep(2000);
    }
    const QString left = orphan(QStringLiteral("reading-7-7"), stateFileBytes(r), true, child);
    Recovery rec(r, [this] { return stateFileBytes(r); }, folder);
    ASSERT_TRUE(rec.start());
    EXPECT_EQ(rec.orphans(), QStringList({left}));
    desk.answers = {true};
    QStringList opened;
    EXPECT_TRUE(rec.offerRestore([&](const QString &p) {
        opened << p;
        return Load_State(r, p) == LoadResult::Loaded;
    }));
    EXPECT_EQ(opened, QStringList({left}));
    int status = 0;
    ::waitpid(child, &status, 0);
}

// The copies are the user's unsaved work: private whatever the umask, in
// folders that are private too (an existing wider one is narrowed).
TEST_F(Recovery_, CopiesLocksAndFoldersAreThoseOfTheUserAlone)
{
    struct Case {
        mode_t umask;
        int existingFolderMode; // 0: no folder yet
    };
    for (const Case c : {Case{0000, 0}, Case{0022, 0}, Case{0000, 0777}, Case{0022, 0755}}) {
        SCOPED_TRACE(QStringLiteral("umask %1, folder %2").arg(int(c.umask), 3, 8, QChar(u'0')).arg(c.existingFolderMode, 0, 8).toStdString());
        QTemporaryDir dir;
        const QString f = dir.filePath(QStringLiteral("recovery"));
        if (c.existingFolderMode) {
            ASSERT_TRUE(QDir().mkpath(f + QStringLiteral("/old")));
            ::chmod(QFile::encodeName(f).constData(), mode_t(c.existingFolderMode));
            ::chmod(QFile::encodeName(f + QStringLiteral("/old")).constData(), mode_t(c.existingFolderMode));
        }
        const mode_t saved = ::umask(c.umask);
        {
            QImage pasted(40, 30, QImage::Format_RGB32);
            pasted.fill(Qt::red);
            desk.clipboardPicture = pasted;
            desk.answers3 = {DesktopPort::Answer::No};
            main.ClipBoardPaste_Command_Click();
            graph.setPictureSize(40, 30);
            graph.mouseUp(Graph_Form::LeftButton, 0.1f, 0.1f);
            graph.mouseUp(Graph_Form::LeftButton, 0.9f, 0.9f);
            click(0.5f, 0.5f);
            Recovery rec(r, [this] { return stateFileBytes(r); }, f);
            ASSERT_TRUE(rec.start()) << rec.offReason().toStdString();
            rec.flush();
            const QString base = rec.copyPath().left(rec.copyPath().size() - 5);
            EXPECT_EQ(modeOf(f), 0700);
            EXPECT_EQ(modeOf(f + QStringLiteral("/old")), 0700);
            EXPECT_EQ(modeOf(rec.copyPath()), 0600);
            EXPECT_EQ(modeOf(base + QStringLiteral(".png")), 0600);
            EXPECT_EQ(modeOf(base + QStringLiteral(".lock")), 0600);
            click(0.6f, 0.6f);
            rec.flush(); // rewritten: still private
            EXPECT_EQ(modeOf(rec.copyPath()), 0600);
            // A copy retired to old/ stays as private as it was.
            const QString left = f + QStringLiteral("/reading-8-8.orvd");
            ASSERT_TRUE(writeFileSafely(left, "x", kPrivateFile));
            rec.retire(left);
            EXPECT_EQ(modeOf(f + QStringLiteral("/old/reading-8-8.orvd")), 0600);
        }
        ::umask(saved);
    }
}

// Where the folder cannot be made the user's alone, recovery is off and says why.
TEST_F(Recovery_, AFolderThatCannotBeUsedSwitchesRecoveryOffWithTheReason)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("plain"));
    ASSERT_TRUE(writeFileSafely(file, "not a folder"));
    const QString foreign = dir.filePath(QStringLiteral("foreign"));
    ASSERT_TRUE(QDir().mkpath(foreign));
    const bool root = ::geteuid() == 0; // only root can give a folder away
    if (root) {
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 4242, 4242), 0);
    }
    struct Case {
        QString folder;
        QString reasonNames;
    };
    std::vector<Case> cases = {{QString(), QString()},
                               {file, file},                              // a file where the folder should be
                               {file + QStringLiteral("/recovery"), file}}; // cannot be created
    if (root)
        cases.push_back({foreign, foreign});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        Recovery rec(r, [] { return QByteArray(); }, c.folder);
        EXPECT_FALSE(rec.start());
        EXPECT_FALSE(rec.started());
        EXPECT_FALSE(rec.offReason().isEmpty());
        EXPECT_TRUE(rec.offReason().contains(c.reasonNames)) << rec.offReason().toStdString();
        EXPECT_TRUE(Recovery::offMessage(rec.offReason()).contains(rec.offReason()));
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "not a folder");
}

// The user's own readings are documents: a new one follows the umask, one that
// replaces a file keeps that file's permissions (a shared or a private one).
TEST_F(Recovery_, SavedReadingsFollowTheUmaskOrTheFileTheyReplace)
{
    struct Case {
        mode_t umask;
        int existing; // 0: a new file
        int expected;
    };
    for (const Case c : {Case{0022, 0, 0644}, Case{0077, 0, 0600}, Case{0002, 0, 0664}, Case{0022, 0600, 0600},
                         Case{0077, 0664, 0664}, Case{0000, 0640, 0640}}) {
        SCOPED_TRACE(QStringLiteral("umask %1, existing %2").arg(int(c.umask), 3, 8, QChar(u'0')).arg(c.existing, 0, 8).toStdString());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mine.orvd"));
        if (c.existing) {
            ASSERT_TRUE(writeFileSafely(path, "old"));
            ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(c.existing)), 0);
        }
        const mode_t saved = ::umask(c.umask);
        desk.fileNames.push_back(path);
        const bool ok = Save_State(r);
        ::umask(saved);
        ASSERT_TRUE(ok);
        EXPECT_EQ(fileBytes(path), stateFileBytes(r));
        EXPECT_EQ(modeOf(path), c.expected);
    }
}
