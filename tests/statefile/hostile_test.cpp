// Broken and hostile reading files, and saves that cannot complete: each ends
// in a message or a documented tolerant result, never a crash, a hang or a
// half-loaded reading; a failed save leaves the previous file as it was.
#include "state_fixture.h"

#include <QRandomGenerator>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace orvtest;

namespace {

struct HostileFixture : StateFixture {
    QByteArray valid;

    void SetUp() override
    {
        StateFixture::SetUp();
        buildReading(false);
        valid = stateFileBytes(r);
        r.Reset_Reading(false);
        r.unloadGraph();
        desk.messages.clear();
    }

    QByteArray header(const QByteArray &picLine = "Graph Picture :\\sample\\chart1.png") const
    {
        return "Orvalinetrix  :Version 1.0.0\r\n" + picLine +
               "\r\nDefnt.Style   :\x91\xce\x8a\x70\x92\xe8\x8b\x60\r\n"
               "Defnt.Point   :0.1,0.1,0.1,0.9,0.9,0.9,0.9,0.1\r\nDefnt.Pt.Val  :0,0,10,100\r\n";
    }

    LoadResult load(const QByteArray &bytes, const char *name = "h.orvd")
    {
        const QString file = path(name);
        writeAll(file, bytes);
        return Load_State(r, file);
    }

    bool onlyMessageStartsWith(const QString &start) const
    {
        return desk.messages.size() == 1 && desk.messages[0].text.startsWith(start);
    }

    void expectCleanReading()
    {
        EXPECT_FALSE(r.hasPoints());
        EXPECT_EQ(r.graph.pickCount(), 0);
        EXPECT_FALSE(r.Dfnt_Done);
        EXPECT_FALSE(r.graph.loaded());
        for (int sr = 1; sr <= Reading::kSeriesCount; ++sr)
            EXPECT_FALSE(r.grid(sr).loaded()) << sr;
        for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
            EXPECT_TRUE(r.panel.pos(CalibPanel::PosBox(b)).isEmpty());
        EXPECT_TRUE(r.GraphPic_Path.isEmpty());
    }
};

const QString kBadPic = statetext::text(statetext::kBadPicture);

} // namespace

TEST_F(HostileFixture, TruncatedFileKeepsWhatItHasAndSaysWhatWasDropped)
{
    // Cut in the middle of the record of ID 3 (" Array Data   :TRUE,3,0.12").
    const qsizetype cut = valid.indexOf(" Array Data   :TRUE,3,") + 26;
    ASSERT_EQ(load(valid.left(cut)), LoadResult::Loaded);
    EXPECT_TRUE(r.graph.hasPick(1));
    // ID 3 read "0.12" for x and nothing for y: still a usable point at y 0.
    EXPECT_EQ(s(r.Pt_Array[3]), "TRUE,3,0.12,0,0");
    EXPECT_FALSE(r.graph.hasPick(4));
    EXPECT_TRUE(desk.messages.empty());

    // Cut inside the first field: the line is not a record any more.
    const qsizetype cut2 = valid.indexOf(" Array Data   :TRUE,3,") + 17;
    r.Reset_Reading(false);
    ASSERT_EQ(load(valid.left(cut2)), LoadResult::Loaded);
    EXPECT_FALSE(r.graph.hasPick(3));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("読み込めない点のデータを無視しました。(1行)")));
}

TEST_F(HostileFixture, ThreeHundredArrayLinesFillIdsUpTo255AndNoFurther)
{
    QByteArray f = header();
    for (int i = 1; i <= 300; ++i)
        f += " Array Data   :TRUE," + QByteArray::number(1 + i % 16) + ",0.5,0.5," + QByteArray::number(i) + "\r\n";
    ASSERT_EQ(load(f), LoadResult::Loaded);
    EXPECT_EQ(r.graph.pickCount(), 255);
    EXPECT_TRUE(r.Pt_Array[255].endsWith(u",255"));
    int rows = 0;
    for (int sr = 1; sr <= 16; ++sr)
        rows += r.grid(sr).rowCount() - 1;
    EXPECT_EQ(rows, 255);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("(45行)")));
    EXPECT_EQ(r.Get_FreePtNo(), 0); // all of 1..250 in use
}

TEST_F(HostileFixture, GarbageAndNonTextAreRefusedAndTheReadingKept)
{
    buildReading(false);
    const Snapshot current = Snapshot::of(r);
    QByteArray garbage(4096, '\0');
    QRandomGenerator rng(42);
    for (char &c : garbage)
        c = char(rng.bounded(256));
    const QByteArray latinGarbage = header() + " Array Data   :TRUE,1,\x82\xA0\xFF\xFE,0.5,0\r\n";
    const QByteArray noLabels = "just some text\r\nwith two lines\r\n";
    QByteArray manyHeaders;
    for (int i = 0; i < 1000; ++i)
        manyHeaders += "Defnt.Style   :x\r\n";
    for (const QByteArray &bad : {garbage, latinGarbage, noLabels, manyHeaders, QByteArray()}) {
        desk.messages.clear();
        EXPECT_EQ(load(bad), LoadResult::Failed);
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_TRUE(desk.messages[0].text.startsWith(QStringLiteral("エラー！(No.1)(不正な状態設定ファイルです。")))
            << s(desk.messages[0].text);
        EXPECT_TRUE(desk.questions.empty()); // refused before anything was asked
        expectSame(current, Snapshot::of(r));
    }
}

TEST_F(HostileFixture, NonNumericCornersGiveAMessageAndACleanReading)
{
    for (const QByteArray &pts : {QByteArray("0.1,0.1,0.1,abc,0.9,0.9,0.9,0.1"), QByteArray("0.1,0.1"),
                                  QByteArray(""), QByteArray("1E999,0,0,0,0,0,0,0")}) {
        QByteArray f = valid;
        f.replace("Defnt.Point   :0.1,0.1,0.1,0.9,0.9,0.9,0.9,0.1", "Defnt.Point   :" + pts);
        desk.messages.clear();
        EXPECT_EQ(load(f), LoadResult::Failed) << pts.constData();
        EXPECT_TRUE(onlyMessageStartsWith(QStringLiteral("エラー！(No.1)(枠線定義の座標が数値ではありません。)")));
        expectCleanReading();
    }
}

TEST_F(HostileFixture, PicturesThatCannotBeOpenedGiveTheMessageAndACleanReading)
{
    QDir().mkpath(prog + QStringLiteral("/sample/folder.png"));
    writeAll(prog + QStringLiteral("/sample/notapicture.png"), "this is text");
    const QByteArray pics[] = {"Graph Picture :/dev/zero", "Graph Picture :\\sample\\folder.png",
                               "Graph Picture :\\sample\\missing.png", "Graph Picture :\\sample\\notapicture.png",
                               "Graph Picture :"};
    for (const QByteArray &pic : pics) {
        desk.messages.clear();
        QByteArray f = header(pic) + " Array Data   :TRUE,1,0.5,0.5,0\r\n";
        EXPECT_EQ(load(f), LoadResult::Failed) << pic.constData();
        EXPECT_TRUE(onlyMessageStartsWith(kBadPic)) << pic.constData();
        expectCleanReading();
    }
    // No picture line at all: the same message, nothing replaced.
    desk.messages.clear();
    EXPECT_EQ(load("Defnt.Point   :0.1,0.1,0.1,0.9,0.9,0.9,0.9,0.1\r\n"), LoadResult::Failed);
    EXPECT_TRUE(onlyMessageStartsWith(kBadPic));
}

TEST_F(HostileFixture, PathsThatAreNotFilesAreRefusedUnread)
{
    const QString fifo = path("fifo.orvd");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QDir().mkpath(path("dir.orvd"));
    for (const QString &p : {QStringLiteral("/dev/zero"), fifo, path("dir.orvd")}) {
        desk.messages.clear();
        EXPECT_EQ(Load_State(r, p), LoadResult::Failed);
        ASSERT_EQ(desk.messages.size(), 1u);
        EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("通常のファイルではありません。"))) << s(p);
    }
    desk.messages.clear();
    EXPECT_EQ(Load_State(r, path("nothing-here.orvd")), LoadResult::Failed);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("状態設定ファイルがありません。")));
}

TEST_F(HostileFixture, HugeFilesAndHugeLinesAreRefusedWithoutReadingThemWhole)
{
    // 50 MB on one line: refused by its size.
    {
        const QString file = path("huge.orvd");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray chunk(1 << 20, 'A');
        f.write("Graph Picture :");
        for (int i = 0; i < 50; ++i)
            f.write(chunk);
        f.close();
        EXPECT_EQ(Load_State(r, file), LoadResult::Failed);
        EXPECT_TRUE(desk.messages.back().text.contains(QStringLiteral("ファイルが大きすぎます。")));
    }
    // 1 MB on one line in an otherwise valid file: refused by the line cap.
    QByteArray f = valid;
    f.insert(f.indexOf("Defnt.Style"), "Comment        :" + QByteArray(1 << 20, 'x') + "\r\n");
    EXPECT_EQ(load(f), LoadResult::Failed);
    EXPECT_TRUE(desk.messages.back().text.contains(QStringLiteral("長すぎる行があります。")));
    // Just under the cap is an ordinary unknown line.
    QByteArray g = valid;
    g.insert(g.indexOf("Defnt.Style"), "Comment        :" + QByteArray(60000, 'x') + "\r\n");
    EXPECT_EQ(load(g), LoadResult::Loaded);
}

TEST_F(HostileFixture, UnusableRecordsAreSkippedAndCounted)
{
    QByteArray f = header();
    f += " Array Data   :TRUE,99,0.5,0.5,0\r\n";   // no such series
    f += " Array Data   :TRUE,0,0.5,0.5,0\r\n";    // nor this
    f += " Array Data   :TRUE,2,1E999,0.5,0\r\n";  // x overflows single precision
    f += " Array Data   :TRUE,2,0.5,0.5,8\r\n";    // fine, ID 4
    f += " Array Data   :maybe\r\n";
    f += " Array Data   :\r\n";
    ASSERT_EQ(load(f), LoadResult::Loaded);
    EXPECT_EQ(r.graph.pickCount(), 1);
    EXPECT_TRUE(r.graph.hasPick(4));
    for (int id : {1, 2, 3, 5, 6})
        EXPECT_EQ(s(r.Pt_Array[size_t(id)]), "FALSE,0,0,0,0") << id;
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("(5行)")));
    // The freed IDs are handed out again.
    EXPECT_EQ(r.Get_FreePtNo(), 1);
}

TEST_F(HostileFixture, PointsThatCannotBeConvertedAreKeptWithEmptyValues)
{
    // Y on a log axis with a lower-left value of 0: every conversion fails.
    QByteArray logY = valid;
    logY.replace("Axis Mode     :X=Linear,Y=Linear", "Axis Mode     :X=Linear,Y=Log");
    ASSERT_EQ(load(logY), LoadResult::Loaded);
    EXPECT_TRUE(r.panel.yLog());
    EXPECT_EQ(r.graph.pickCount(), 4);
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColX)), "");
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColY)), "");
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColZ)), "3");
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.25,3");
    EXPECT_EQ(s(r.graph.pick(1)->toolTip), "系列1：ID=1,X=,Y=,Z=3");
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(QStringLiteral("エラー！(No.2)(X、Yの値に変換できない点がありました。(4点))")));
}

TEST_F(HostileFixture, FailedSavesLeaveThePreviousFileIntact)
{
    buildReading(false);
    const QString file = path("keep.orvd");
    const QByteArray previous = "Orvalinetrix  :Version 0.9.0\r\nprevious contents\r\n";
    writeAll(file, previous);

    // A "folder" that is a regular file.
    desk.messages.clear();
    EXPECT_FALSE(save(file + QStringLiteral("/inside.orvd")));
    EXPECT_EQ(desk.messageCount(QStringLiteral("保存しました。")), 0);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(QStringLiteral("エラー！(No.3)(ファイルを保存できませんでした。")));
    EXPECT_EQ(readAll(file), previous);

    // A path that is a folder: the folder and its contents stay.
    const QString dir = path("adir.orvd");
    QDir().mkpath(dir);
    writeAll(dir + QStringLiteral("/x"), "x");
    desk.messages.clear();
    EXPECT_FALSE(save(dir));
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("保存先がフォルダーです。")));
    EXPECT_TRUE(QFileInfo(dir).isDir());
    EXPECT_EQ(readAll(dir + QStringLiteral("/x")), "x");

    // A disk that fills up while writing (a file size limit, which holds for
    // root too): the previous file is untouched and no temporary file is left.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    desk.messages.clear();
    const bool saved = save(file);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(desk.messageCount(QStringLiteral("保存しました。")), 0);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("ディスクの空き容量")));
    EXPECT_EQ(readAll(file), previous);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::Files).size(), 1) << s(QDir(tmp.path()).entryList().join(u' '));

    // And a save that can complete replaces it.
    EXPECT_TRUE(save(file));
    EXPECT_EQ(readAll(file), stateFileBytes(r));
}

TEST_F(HostileFixture, StrayControlBytesAreDroppedAndOnlyBinaryFilesRefused)
{
    // A NUL in an ignored line, the old end-of-file mark at the end, a form
    // feed inside a point's record: the file loads, the record as if the byte
    // were not there, and the bytes of known lines are counted.
    QByteArray stray = valid;
    stray.replace("ReadPtCood.   :", QByteArray("Comment\0\0       :x\r\nReadPtCood.   :", 29));
    stray.replace(" Array Data   :TRUE,1,0.5,0.25,3", " Array Data   :TRUE,1,0.5,0.\x0c" "25,3");
    stray += '\x1a';
    ASSERT_EQ(load(stray), LoadResult::Loaded);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.25,3");
    EXPECT_EQ(r.graph.pickCount(), 4);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("制御文字を取り除きました。(1文字)")))
        << s(desk.messages[0].text);

    // The same reading as UTF-16 (every other byte a NUL) is not a text file.
    const Snapshot current = Snapshot::of(r);
    QByteArray utf16;
    for (char c : valid)
        utf16 += QByteArray(1, c) + '\0';
    desk.messages.clear();
    EXPECT_EQ(load(utf16), LoadResult::Failed);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("テキストファイルではありません"))) << s(desk.messages[0].text);
    expectSame(current, Snapshot::of(r));
}
