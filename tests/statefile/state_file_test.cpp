// Saving and reopening readings: the file's layout, round trips in both frame
// modes, relative pictures, the reader's tolerance, and loading over a reading
// that still has points.
#include "state_fixture.h"

#include <QStringDecoder>
#include <QStringEncoder>

using namespace orvtest;

namespace {

QList<QByteArray> crlfLines(const QByteArray &bytes)
{
    QList<QByteArray> l = bytes.split('\n');
    if (!l.isEmpty() && l.last().isEmpty())
        l.removeLast();
    return l;
}

QByteArray sjis(const QString &s)
{
    QStringEncoder e("Shift_JIS");
    return e.encode(s);
}

} // namespace

TEST_F(StateFixture, SavedFileHasTheFixedLayout)
{
    buildReading(false);
    const QString file = path("a.orvd");
    ASSERT_TRUE(save(file));
    EXPECT_EQ(desk.messageCount(QStringLiteral("保存しました。")), 1);
    ASSERT_EQ(desk.dialogTitles.size(), 1u);
    EXPECT_EQ(s(desk.dialogTitles[0]), "保存先を入力");

    const QByteArray bytes = readAll(file);
    const QList<QByteArray> lines = crlfLines(bytes);
    ASSERT_EQ(lines.size(), 264);
    for (const QByteArray &l : lines)
        ASSERT_TRUE(l.endsWith('\r'));
    auto line = [&](int n) { return lines[n - 1].chopped(1); };
    EXPECT_EQ(line(1), "Orvalinetrix  :Version " + Reading::versionText().toLatin1());
    EXPECT_EQ(line(2), "Graph Picture :\\sample\\chart1.png");
    EXPECT_EQ(line(3), "Picture Size  :5400,7200");
    EXPECT_EQ(line(4), "Defnt.Style   :" + sjis(QStringLiteral("対角定義")));
    EXPECT_EQ(line(5), "Defnt.Point   :0.1,0.1,0.1,0.9,0.9,0.9,0.9,0.1");
    EXPECT_EQ(line(6), "Defnt.Pt.Val  :0,0,10,100");
    EXPECT_EQ(line(7).size(), 59);
    EXPECT_EQ(line(7), "ReadPtCood.   :" + QByteArray(44, '*'));
    for (int n = 8; n <= 262; ++n)
        ASSERT_TRUE(line(n).startsWith(" Array Data   :")) << n;
    EXPECT_EQ(line(8), " Array Data   :TRUE,1,0.5,0.25,3");
    EXPECT_EQ(line(9), " Array Data   :FALSE,0,0,0,0"); // deleted point 2
    EXPECT_EQ(line(10), " Array Data   :TRUE,3,0.123456,0.654321,-4.5");
    EXPECT_EQ(line(262), " Array Data   :FALSE,0,0,0,0");
    EXPECT_EQ(line(263), QByteArray(59, '*'));
    // After the fixed layout: the axis modes.
    EXPECT_EQ(line(264), "Axis Mode     :X=Linear,Y=Linear");
}

TEST_F(StateFixture, FourPointModeWritesItsCaptionInCodePage932)
{
    buildReading(true);
    const QByteArray bytes = stateFileBytes(r);
    EXPECT_TRUE(bytes.contains("\r\nDefnt.Style   :" + sjis(QStringLiteral("4点定義")) + "\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nDefnt.Point   :0.1,0.1,0.12,0.8,0.9,0.9,0.88,0.2\r\n"));
}

TEST_F(StateFixture, RoundTripRestoresEverythingInBothModes)
{
    for (bool four : {false, true}) {
        SCOPED_TRACE(four ? "four-point" : "diagonal");
        r.Init_App();
        r.unloadGraph();
        buildReading(four);
        const Snapshot before = Snapshot::of(r);
        const QString file = path(four ? "four.orvd" : "diag.orvd");
        ASSERT_TRUE(save(file));

        r.Reset_Reading(false);
        r.unloadGraph();
        r.panel.selectTab(four ? 1 : 2); // the file must set the tab back
        desk.messages.clear();
        ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
        EXPECT_TRUE(desk.messages.empty()) << s(desk.messages.front().text);
        expectSame(before, Snapshot::of(r));
        EXPECT_EQ(s(r.statusText()), s(Reading::readPointsText())); // the frame is complete
        EXPECT_EQ(s(r.picLabel()), "/sample/chart1.png");
        EXPECT_EQ(s(r.picLabelToolTip()), s(picture));
        EXPECT_EQ(r.Pic_Width, 40);
        EXPECT_EQ(r.Pic_Height, 30);
        // The Z typed before saving is back in record, cell and tooltip.
        EXPECT_TRUE(r.Pt_Array[3].endsWith(u",-4.5"));
        EXPECT_EQ(s(r.grid(3).cell(1, SeriesTable::ColZ)), "-4.5");
        EXPECT_TRUE(r.graph.pick(3)->toolTip.endsWith(u",Z=-4.5"));
        // A point without a typed Z: record "0", cell empty, as for a new point.
        EXPECT_TRUE(r.Pt_Array[4].endsWith(u",0"));
        EXPECT_EQ(s(r.grid(16).cell(1, SeriesTable::ColZ)), "");
        // Saving again gives the same bytes.
        EXPECT_EQ(stateFileBytes(r), readAll(file));
    }
}

// A keystoned frame in the projective mode: line 4 names the mode, every
// other line is as in the four-point mode, and the file reopens in that mode
// with the projective values.
TEST_F(StateFixture, ProjectiveModeIsSavedAndReopened)
{
    buildReading(true);
    const QByteArray four = stateFileBytes(r);
    static const char *const keystone[8] = {"0.14", "0.1", "0.26", "0.86", "0.78", "0.9", "0.92", "0.06"};
    placeFrame(keystone, 3);
    const QByteArray fourKeystone = [&] {
        r.panel.selectTab(2);
        return stateFileBytes(r);
    }();
    r.panel.selectTab(3);
    // Re-read the points through the projective map, as the window does.
    for (int id = 1; id <= Reading::kMaxId; ++id) {
        const QStringList f = r.Pt_Array[size_t(id)].split(u',');
        if (f[0] == u"TRUE") {
            ASSERT_TRUE(r.Conv_Pt(f[2].toFloat(), f[3].toFloat()));
            r.Set_GridPt(f[1].toInt(), QStringLiteral("Change"), id);
            r.graph.setPickToolTip(id, r.markerToolTip(f[1].toInt(), id, r.Format_Val(u"X", r.Conv_X),
                                                       r.Format_Val(u"Y", r.Conv_Y), f[4]));
        }
    }
    const QByteArray bytes = stateFileBytes(r);
    EXPECT_TRUE(bytes.contains("\r\nDefnt.Style   :" + sjis(QStringLiteral("射影定義")) + "\r\n"));
    QByteArray expected = fourKeystone;
    expected.replace("\r\nDefnt.Style   :" + sjis(QStringLiteral("4点定義")) + "\r\n",
                     "\r\nDefnt.Style   :" + sjis(QStringLiteral("射影定義")) + "\r\n");
    EXPECT_EQ(bytes, expected);
    EXPECT_NE(four, fourKeystone);

    const Snapshot before = Snapshot::of(r);
    const QString file = path("photo.orvd");
    ASSERT_TRUE(save(file));
    r.Reset_Reading(false);
    r.unloadGraph();
    r.panel.selectTab(1);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_EQ(r.panel.selectedTab(), 3);
    expectSame(before, Snapshot::of(r)); // the table values too: loading converts projectively
    EXPECT_EQ(stateFileBytes(r), readAll(file));
}

TEST_F(StateFixture, PointsKeepTheirIdsAndTheirRowOrder)
{
    openPicture(picture);
    diagonalFrame();
    for (int i = 0; i < 9; ++i)
        addPoint(i % 2 ? 2 : 5, 0.1f + 0.08f * float(i), 0.5f);
    r.Delete_Row(5, 2); // frees ID 3
    r.Delete_Row(2, 1); // frees ID 2
    const Snapshot before = Snapshot::of(r);
    const QString file = path("ids.orvd");
    ASSERT_TRUE(save(file));
    r.Reset_Reading(false);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    expectSame(before, Snapshot::of(r));
    EXPECT_EQ(s(r.Pt_Array[2]), "FALSE,0,0,0,0");
    EXPECT_EQ(s(r.grid(2).cell(1, SeriesTable::ColId)), "4");
    EXPECT_EQ(r.Get_FreePtNo(), 2);
}

TEST_F(StateFixture, TheFileRemembersItsAxisModes)
{
    openPicture(picture);
    diagonalFrame();
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("100"));
    r.panel.setXLog(true);
    addPoint(1, 0.5f, 0.5f);
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColX)), "10.000"); // halfway between 1 and 100 on a log scale
    const QString file = path("modes.orvd");
    ASSERT_TRUE(save(file));
    const QByteArray saved = readAll(file);
    EXPECT_TRUE(saved.endsWith("\r\nAxis Mode     :X=Log,Y=Linear\r\n"));

    // Reopened with the other options selected: the file's modes are set
    // first, without the Log check's message, and convert the points.
    r.Reset_Reading(false);
    r.panel.setXLog(false);
    r.panel.setYLog(true);
    desk.messages.clear();
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_TRUE(desk.messages.empty()) << s(desk.messages.front().text);
    EXPECT_TRUE(r.panel.xLog());
    EXPECT_FALSE(r.panel.yLog());
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColX)), "10.000");
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColY)), "50.000");
    EXPECT_EQ(stateFileBytes(r), saved);

    // A file without the line converts with the options in effect, as before.
    QByteArray older = saved;
    older.chop(older.size() - older.indexOf("Axis Mode"));
    writeAll(file, older);
    r.Reset_Reading(false);
    r.panel.setXLog(false);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_FALSE(r.panel.xLog());
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColX)), "50.500");

    // A line that cannot be read leaves the options and says so.
    writeAll(file, older + "Axis Mode     :X=Logarithmic,Y=Log\r\n");
    r.Reset_Reading(false);
    desk.messages.clear();
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_FALSE(r.panel.xLog());
    EXPECT_TRUE(r.panel.yLog());
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("Linear/Log"))) << s(desk.messages[0].text);
}

TEST_F(StateFixture, RelativePictureIsFoundFromAnotherInstallation)
{
    buildReading(false);
    const QString file = path("moved.orvd");
    ASSERT_TRUE(save(file));

    const QString other = tmp.path() + QStringLiteral("/elsewhere/install");
    makePicture(other + QStringLiteral("/sample/chart1.png"), 64, 48);
    ScriptedDesktop desk2;
    Reading r2(&desk2);
    r2.programFolder = other + u'/'; // a trailing slash changes nothing
    r2.Init_App();
    ASSERT_EQ(Load_State(r2, file), LoadResult::Loaded);
    EXPECT_EQ(s(r2.GraphPic_Path), s(other + QStringLiteral("/sample/chart1.png")));
    EXPECT_EQ(r2.Pic_Width, 64);
    EXPECT_EQ(r2.graph.pickCount(), 4);
}

TEST(StatePaths, OnlyPicturesInsideTheProgramFolderBecomeRelative)
{
    const QString pf = QStringLiteral("/opt/orv");
    EXPECT_EQ(s(storedPicturePath(QStringLiteral("/opt/orv/a/b.jpg"), pf)), "\\a\\b.jpg");
    EXPECT_EQ(s(storedPicturePath(QStringLiteral("/opt/orv/a/b.jpg"), pf + u'/')), "\\a\\b.jpg");
    // A sibling folder that merely starts with the same letters stays whole.
    EXPECT_EQ(s(storedPicturePath(QStringLiteral("/opt/orvx/b.jpg"), pf)), "/opt/orvx/b.jpg");
    EXPECT_EQ(s(storedPicturePath(QStringLiteral("/home/u/opt/orv/b.jpg"), pf)), "/home/u/opt/orv/b.jpg");
    EXPECT_EQ(s(storedPicturePath(QStringLiteral("/opt/orv/b.jpg"), QString())), "/opt/orv/b.jpg");

    EXPECT_EQ(s(resolvePicturePath(QStringLiteral("\\a\\b.jpg"), pf)), "/opt/orv/a/b.jpg");
    EXPECT_EQ(s(resolvePicturePath(QStringLiteral("\\a/b.jpg"), pf)), "/opt/orv/a/b.jpg");
    EXPECT_EQ(s(resolvePicturePath(QStringLiteral("/abs/b.jpg"), pf)), "/abs/b.jpg");

    EXPECT_TRUE(isStateFilePath(QStringLiteral("/x/y/Chart.ORVD")));
    EXPECT_TRUE(isStateFilePath(QStringLiteral("/x/my.graph.orvd")));
    EXPECT_FALSE(isStateFilePath(QStringLiteral("/x/chart.orvd.bak")));
    EXPECT_FALSE(isStateFilePath(QStringLiteral("/x.orvd/chart.jpg")));
    EXPECT_EQ(s(pathFileName(QStringLiteral("C:\\a\\b\\c.jpg"))), "c.jpg");
}

TEST_F(StateFixture, PictureOutsideTheProgramFolderKeepsItsFullPath)
{
    const QString outside = tmp.path() + QStringLiteral("/pics/chart.png");
    makePicture(outside);
    openPicture(outside);
    diagonalFrame();
    EXPECT_TRUE(stateFileBytes(r).contains("\r\nGraph Picture :" + outside.toUtf8() + "\r\n"));
}

TEST_F(StateFixture, ReaderAcceptsOtherLineEndsEncodingsAndStrayLines)
{
    // UTF-8 with a BOM, LF and lone CR line ends, "/" in the relative path, an
    // empty line, another version's header, unknown labels and short lines.
    const QByteArray text =
        "\xEF\xBB\xBFOrvalinetrix  :Version 9.9.9\n"
        "\n"
        "Graph Picture :\\sample/chart1.png\r"
        "Comment        :whatever\r\n"
        "xy\n"
        "Defnt.Style   :4点定義\n"
        "Defnt.Point   :0.1,0.1,0.12,0.8,0.9,0.9,0.88,0.2\n"
        "Defnt.Pt.Val  :0,0,10,100\n"
        " Array Data   :TRUE,2,0.5,0.5,7.25\n"
        " Array Data   :FALSE,0,0,0,0\n"
        " Array Data   :TRUE,2,0.6,0.5\n";
    const QString file = path("loose.orvd");
    writeAll(file, text);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(s(r.GraphPic_Path), s(picture));
    EXPECT_EQ(r.panel.selectedTab(), 2);
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(r.graph.dfnt(c).visible) << c;
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,2,0.5,0.5,7.25");
    EXPECT_EQ(s(r.Pt_Array[3]), "TRUE,2,0.6,0.5,0"); // no Z field: the new point's "0"
    EXPECT_EQ(r.grid(2).rowCount(), 3);
    EXPECT_EQ(s(r.grid(2).cell(1, SeriesTable::ColZ)), "7.25");
    EXPECT_TRUE(r.Dfnt_Done);

    // The same reading in code page 932 with CRLF reads the same.
    QStringDecoder u8(QStringDecoder::Utf8);
    const QString decoded = u8.decode(text);
    QString crlf = decoded;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n').replace(u'\n', QStringLiteral("\r\n"));
    writeAll(file, sjis(crlf));
    const Snapshot first = Snapshot::of(r);
    r.Reset_Reading(false);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    expectSame(first, Snapshot::of(r));
}

TEST_F(StateFixture, DiagonalFileShowsOnlyTheTwoPlacedCorners)
{
    buildReading(true);
    const QString four = path("four.orvd");
    ASSERT_TRUE(save(four));
    r.Reset_Reading(false);
    r.unloadGraph();
    buildReading(false);
    const QString diag = path("diag.orvd");
    ASSERT_TRUE(save(diag));

    ASSERT_EQ(Load_State(r, four), LoadResult::Loaded);
    for (int c = 0; c < 4; ++c)
        EXPECT_TRUE(r.graph.dfnt(c).visible);
    // Loading the diagonal file over it hides the four-point corners again.
    ASSERT_EQ(Load_State(r, diag), LoadResult::Loaded);
    EXPECT_TRUE(r.graph.dfnt(LL).visible);
    EXPECT_FALSE(r.graph.dfnt(LU).visible);
    EXPECT_TRUE(r.graph.dfnt(RU).visible);
    EXPECT_FALSE(r.graph.dfnt(RL).visible);
}

TEST_F(StateFixture, LoadedFrameIsOutlinedInsteadOfThePreviousOne)
{
    buildReading(true);
    const QString four = path("four.orvd");
    ASSERT_TRUE(save(four));
    r.Reset_Reading(false);
    r.unloadGraph();
    buildReading(false);
    r.Draw_Frame(); // the diagonal reading's outline is on the picture

    ASSERT_EQ(Load_State(r, four), LoadResult::Loaded);
    const std::vector<QLineF> expected = {QLineF(0.1f, 0.1f, 0.12f, 0.8f), QLineF(0.12f, 0.8f, 0.9f, 0.9f),
                                          QLineF(0.9f, 0.9f, 0.88f, 0.2f), QLineF(0.88f, 0.2f, 0.1f, 0.1f)};
    EXPECT_EQ(r.graph.frameLines(), expected);

    // A file that cannot be loaded leaves no outline behind either.
    writeAll(four, QByteArray(readAll(four)).replace("Graph Picture :", "Graph Picture :\\nothing"));
    desk.answers = {true, true, true};
    EXPECT_EQ(Load_State(r, four), LoadResult::Failed);
    EXPECT_TRUE(r.graph.frameLines().empty());
}

TEST_F(StateFixture, LoadingOverPointsAsksFirstAndNoKeepsTheReading)
{
    buildReading(false);
    const QString file = path("a.orvd");
    ASSERT_TRUE(save(file));
    addPoint(2, 0.4f, 0.4f); // something that is not in the file
    const Snapshot current = Snapshot::of(r);

    desk.answers = {false};
    EXPECT_EQ(Load_State(r, file), LoadResult::Cancelled);
    EXPECT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(s(desk.questions[0].title), "Notice!");
    expectSame(current, Snapshot::of(r));

    desk.answers = {true, true, true, true};
    EXPECT_EQ(openReadingFile(r, file), 0);
    EXPECT_FALSE(r.grid(2).loaded());
    EXPECT_EQ(r.graph.pickCount(), 4);
    EXPECT_EQ(s(r.Pt_Array[2]), "FALSE,0,0,0,0"); // the added point had taken the free ID 2
}

TEST_F(StateFixture, SavingNeedsAFrameAndACancelledDialogWritesNothing)
{
    openPicture(picture);
    const QString file = path("never.orvd");
    desk.fileNames.push_back(file);
    EXPECT_FALSE(Save_State(r));
    EXPECT_EQ(desk.messageCount(QStringLiteral("枠線定義以降にのみ保存可能です。")), 1);
    EXPECT_TRUE(desk.dialogTitles.empty());

    diagonalFrame();
    // A corner typed as text: the file could not be opened again, so no file.
    r.panel.setPos(CalibPanel::RUY_Text, QStringLiteral("0.9a"));
    desk.fileNames.push_back(file);
    EXPECT_FALSE(Save_State(r));
    EXPECT_TRUE(desk.messages.back().text.startsWith(QStringLiteral("エラー！(No.1)(枠線定義の座標が数値ではありません。)")));
    EXPECT_FALSE(QFile::exists(file));
    r.panel.setPos(CalibPanel::RUY_Text, QStringLiteral("0.9"));

    // A value typed with a comma would shift the values after it on reading.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1,000"));
    desk.fileNames.push_back(file);
    EXPECT_FALSE(Save_State(r));
    EXPECT_EQ(desk.messageCount(statetext::text(statetext::kCommaInValue)), 1);
    EXPECT_FALSE(QFile::exists(file));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1000"));

    desk.fileNames.clear();
    desk.dialogTitles.clear();
    EXPECT_FALSE(Save_State(r)); // dialog answers ""
    EXPECT_EQ(desk.dialogTitles.size(), 1u);
    EXPECT_EQ(desk.messageCount(QStringLiteral("保存しました。")), 0);
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(StateFixture, TextOutsideCodePage932IsKeptByWritingUtf8)
{
    const QString odd = prog + QStringLiteral("/sample/график😀.png");
    makePicture(odd);
    openPicture(odd);
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    const QString file = path("utf8.orvd");
    ASSERT_TRUE(save(file));
    EXPECT_TRUE(readAll(file).contains(QStringLiteral("\\sample\\график😀.png").toUtf8()));
    r.Reset_Reading(false);
    r.unloadGraph();
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_EQ(s(r.GraphPic_Path), s(odd));
    EXPECT_EQ(s(r.panel.tabCaption()), "対角定義");
}

TEST_F(StateFixture, ControlCharactersInATextCannotBreakTheFile)
{
    buildReading(false);
    typeZ(1, 1, QStringLiteral("1\r\n2\x01"));
    const QList<QByteArray> lines = crlfLines(stateFileBytes(r));
    ASSERT_EQ(lines.size(), 264);
    EXPECT_EQ(lines[7], " Array Data   :TRUE,1,0.5,0.25,12\r");

    // Code page 932 decodes the byte 7F as a control character: it is dropped
    // on reading, so what is loaded saves and reads back the same.
    QByteArray f = stateFileBytes(r);
    f.replace(" Array Data   :TRUE,1,0.5,0.25,12", " Array Data   :TRUE,1,0.5,0.25,1\x7f" "2");
    const QString file = path("del.orvd");
    writeAll(file, f);
    r.Reset_Reading(false);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.25,12");
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColZ)), "12");
}

TEST_F(StateFixture, PictureMovedWithItsReadingIsFoundBesideIt)
{
    const QString outside = tmp.path() + QStringLiteral("/pics/chart.png");
    makePicture(outside, 50, 20);
    openPicture(outside);
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    ASSERT_TRUE(save(tmp.path() + QStringLiteral("/pics/r.orvd")));

    // Both moved to another folder: the recorded path no longer exists.
    const QString moved = tmp.path() + QStringLiteral("/moved");
    ASSERT_TRUE(QDir().mkpath(moved));
    ASSERT_TRUE(QFile::rename(outside, moved + QStringLiteral("/chart.png")));
    ASSERT_TRUE(QFile::rename(tmp.path() + QStringLiteral("/pics/r.orvd"), moved + QStringLiteral("/r.orvd")));
    r.Reset_Reading(false);
    r.unloadGraph();
    desk.messages.clear();
    ASSERT_EQ(Load_State(r, moved + QStringLiteral("/r.orvd")), LoadResult::Loaded);
    EXPECT_EQ(s(r.GraphPic_Path), s(moved + QStringLiteral("/chart.png")));
    EXPECT_TRUE(r.graph.loaded());
    EXPECT_EQ(r.Pic_Width, 50);
    EXPECT_EQ(r.graph.pickCount(), 1);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.contains(QStringLiteral("同じフォルダの画像")));
    EXPECT_TRUE(desk.messages[0].text.contains(moved + QStringLiteral("/chart.png")));

    // A path written on another system ("\" separators) is found the same way.
    QByteArray bytes = readAll(moved + QStringLiteral("/r.orvd"));
    const qsizetype at = bytes.indexOf("Graph Picture :") + 15;
    bytes.replace(at, bytes.indexOf('\r', at) - at, "C:\\Users\\someone\\chart.png");
    writeAll(moved + QStringLiteral("/w.orvd"), bytes);
    r.Reset_Reading(false);
    ASSERT_EQ(Load_State(r, moved + QStringLiteral("/w.orvd")), LoadResult::Loaded);
    EXPECT_EQ(s(r.GraphPic_Path), s(moved + QStringLiteral("/chart.png")));

    // Nothing beside it either: the picture error, as before.
    ASSERT_TRUE(QFile::remove(moved + QStringLiteral("/chart.png")));
    r.Reset_Reading(false);
    desk.messages.clear();
    EXPECT_EQ(Load_State(r, moved + QStringLiteral("/r.orvd")), LoadResult::Failed);
    EXPECT_EQ(desk.messageCount(statetext::text(statetext::kBadPicture)), 1);
    EXPECT_FALSE(r.graph.loaded());
}

TEST_F(StateFixture, PastedPictureIsSavedBesideTheReading)
{
    // A pasted picture: shown, with no file.
    QImage pasted(30, 20, QImage::Format_RGB32);
    pasted.fill(Qt::red);
    pasted.setPixel(3, 4, qRgb(0, 0, 255));
    r.showPicture(pasted, QStringLiteral("ClipBoard1"));
    ASSERT_TRUE(r.GraphPic_Path.isEmpty());
    diagonalFrame();
    addPoint(2, 0.5f, 0.5f);
    const QString file = path("pasted.orvd");
    const QString png = path("pasted.png");
    ASSERT_TRUE(save(file));
    EXPECT_EQ(s(r.GraphPic_Path), s(png));
    EXPECT_EQ(s(r.picLabelToolTip()), s(png));
    const QImage written(png);
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), pasted);
    EXPECT_TRUE(readAll(file).contains("\r\nGraph Picture :" + png.toUtf8() + "\r\n"));

    // It reopens with its picture and points.
    const QString record = r.Pt_Array[1];
    r.Reset_Reading(false);
    r.unloadGraph();
    desk.messages.clear();
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_TRUE(desk.messages.empty()) << s(desk.messages.front().text);
    EXPECT_TRUE(r.graph.loaded());
    EXPECT_EQ(r.graph.picture().convertToFormat(QImage::Format_RGB32), pasted);
    EXPECT_EQ(s(r.Pt_Array[1]), s(record));
    EXPECT_EQ(s(r.grid(2).cell(1, SeriesTable::ColX)), "5.0000");

    // Saving another pasted reading over an existing picture asks first; No
    // writes nothing at all.
    r.Reset_Reading(false);
    r.showPicture(QImage(8, 8, QImage::Format_RGB32), QStringLiteral("ClipBoard1"));
    diagonalFrame();
    const QByteArray oldPng = readAll(png), oldFile = readAll(file);
    desk.answers.push_back(false);
    desk.questions.clear();
    EXPECT_FALSE(save(file));
    ASSERT_EQ(desk.questions.size(), 1u);
    EXPECT_TRUE(desk.questions[0].text.contains(png));
    EXPECT_EQ(readAll(png), oldPng);
    EXPECT_EQ(readAll(file), oldFile);
    EXPECT_TRUE(r.GraphPic_Path.isEmpty());
    desk.answers.push_back(true);
    EXPECT_TRUE(save(file));
    EXPECT_EQ(QImage(png).size(), QSize(8, 8));
}
