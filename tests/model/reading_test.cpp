#include "model/reading.h"
#include "tests/support/reading_fixtures.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

struct Fixture : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};

    void SetUp() override { r.Init_App(); }

    void diagonalFrame()
    {
        orv::testing::setDiagonalFrame(r);
    }
    // The sequence a click runs.
    int addPoint(int series, float x, float y) { return orv::testing::addPoint(r, series, x, y); }
};

std::string s(const QString &q) { return q.toStdString(); }

} // namespace

TEST_F(Fixture, InitAppGivesACleanReading)
{
    // Everything Init_App resets, dirtied first.
    diagonalFrame();
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1"));
    r.panel.setVal(CalibPanel::LLY_VLText, QStringLiteral("2"));
    r.panel.setXLog(true);
    r.panel.setYLog(true);
    r.panel.selectTab(2);
    addPoint(3, 0.5f, 0.5f);
    r.settings.keiretsu.setIndex(4);
    r.settings.xFormat.setIndex(2);
    r.settings.yFormat.setIndex(3);
    r.settings.zoom.setIndex(1);
    r.GraphPic_Path = QStringLiteral("/x/y.png");
    ASSERT_TRUE(r.hasPoints());

    r.Init_App();
    EXPECT_EQ(s(r.mainCaption()), "Orvalinetrix    Version " + s(Reading::versionText()));
    for (int id = 1; id <= 255; ++id)
        EXPECT_EQ(s(r.Pt_Array[size_t(id)]), "FALSE,0,0,0,0");
    EXPECT_FALSE(r.grid(3).loaded());
    EXPECT_EQ(s(r.panel.val(CalibPanel::LLX_VLText)), "0");
    EXPECT_EQ(s(r.panel.val(CalibPanel::LLY_VLText)), "0");
    EXPECT_EQ(s(r.panel.val(CalibPanel::RUX_VLText)), "1");
    EXPECT_EQ(s(r.panel.val(CalibPanel::RUY_VLText)), "1");
    for (int b = 0; b < 8; ++b)
        EXPECT_TRUE(r.panel.pos(CalibPanel::PosBox(b)).isEmpty());
    // Both axes linear: a Log option over the 0/1 boxes would fail every click.
    EXPECT_FALSE(r.panel.xLog());
    EXPECT_FALSE(r.panel.yLog());
    EXPECT_TRUE(r.GraphPic_Path.isEmpty());
    EXPECT_FALSE(r.Dfnt_Done);
    EXPECT_TRUE(r.Init_Done);
    EXPECT_EQ(s(r.settings.zoom.text()), "5");
    EXPECT_EQ(s(r.settings.xFormat.text()), "AUTO");
    EXPECT_EQ(s(r.settings.yFormat.text()), "AUTO");
    EXPECT_EQ(s(r.settings.keiretsu.text()), "系列1");
    EXPECT_EQ(r.panel.selectedTab(), 1);
}

TEST(CalibPanelDiagonal, LuAndRlAreAlwaysTheDerivedCorners)
{
    CalibPanel p;
    ASSERT_TRUE(p.isDiagonal());
    // Whoever listens sees every box already in its final state.
    QStringList seen;
    QObject::connect(&p, &CalibPanel::posChanged, [&](CalibPanel::PosBox b) {
        seen << QStringLiteral("%1:%2/%3").arg(int(b)).arg(p.pos(CalibPanel::LUX_Text), p.pos(CalibPanel::RLY_Text));
    });
    p.setPos(CalibPanel::LLX_Text, QStringLiteral("0.1"));
    EXPECT_EQ(s(seen.join(u' ')), "0:0.1/ 2:0.1/");
    p.setPos(CalibPanel::LLY_Text, QStringLiteral("0.2"));
    p.setPos(CalibPanel::RUX_Text, QStringLiteral("0.9"));
    p.setPos(CalibPanel::RUY_Text, QStringLiteral("0.8"));
    // A text given to a derived box does not stick.
    seen.clear();
    p.setPos(CalibPanel::LUX_Text, QStringLiteral("0.3"));
    p.setPos(CalibPanel::RLY_Text, QStringLiteral("0.25"));
    EXPECT_TRUE(seen.isEmpty());
    const char *diag[8] = {"0.1", "0.2", "0.1", "0.8", "0.9", "0.8", "0.9", "0.2"};
    for (int b = 0; b < 8; ++b)
        EXPECT_EQ(s(p.pos(CalibPanel::PosBox(b))), diag[b]) << b;

    // The four-point mode keeps what is typed; back in the diagonal mode the
    // derived corners return before the tab's click is heard.
    p.selectTab(2);
    p.setPos(CalibPanel::LUX_Text, QStringLiteral("0.3"));
    EXPECT_EQ(s(p.pos(CalibPanel::LUX_Text)), "0.3");
    QString luAtClick;
    QObject::connect(&p, &CalibPanel::tabClicked, [&] { luAtClick = p.pos(CalibPanel::LUX_Text); });
    p.selectTab(1);
    EXPECT_EQ(s(luAtClick), "0.1");
}

TEST_F(Fixture, ResetKeepsAxisModesAndTab)
{
    r.panel.setXLog(true);
    r.panel.selectTab(2);
    r.settings.yFormat.setIndex(3);
    r.Reset_Reading();
    EXPECT_TRUE(r.panel.xLog());
    EXPECT_EQ(r.panel.selectedTab(), 2);
    EXPECT_EQ(s(r.settings.yFormat.text()), "0.00");
}

TEST(GetField, SplitsLikeAPlainSplit)
{
    const QString sep = QStringLiteral(",");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("FALSE,0,0,0,0"), sep, 4)), "0");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("FALSE,0,0,0,0"), sep, 5)), "Error");
    EXPECT_EQ(s(Reading::Get_Field(QString(), sep, 0)), "Error");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("a,,b"), sep, 1)), "");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("a,,b"), sep, 2)), "b");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("a,"), sep, 1)), "");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("abc"), sep, 0)), "abc");
    EXPECT_EQ(s(Reading::Get_Field(QStringLiteral("TRUE,3"), sep, 2)), "Error");
}

TEST_F(Fixture, NewPointWritesRecordMarkerAndRow)
{
    diagonalFrame();
    r.graph.markerWidth = 0.02f;
    r.graph.markerHeight = 0.04f;
    r.settings.keiretsu.setIndex(2);
    const int id = addPoint(3, 0.5f, 0.25f);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,3,0.5,0.25,0");
    ASSERT_TRUE(r.graph.hasPick(1));
    EXPECT_FLOAT_EQ(r.graph.pick(1)->left, 0.49f);
    EXPECT_FLOAT_EQ(r.graph.pick(1)->top, 0.27f);
    EXPECT_EQ(s(r.graph.pick(1)->toolTip), "系列3：ID=1,X=5.0000,Y=18.750,Z=0");
    EXPECT_TRUE(r.grid(3).loaded());
    EXPECT_EQ(s(r.grid(3).caption()), "系列3");
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("系列3")));
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("系列2")));
    ASSERT_EQ(r.grid(3).rowCount(), 2);
    EXPECT_EQ(s(r.grid(3).cell(1, 0)), "1");
    EXPECT_EQ(s(r.grid(3).cell(1, 1)), "1");
    EXPECT_EQ(s(r.grid(3).cell(1, 2)), "5.0000");
    EXPECT_EQ(s(r.grid(3).cell(1, 3)), "18.750");
    EXPECT_EQ(s(r.grid(3).cell(1, 4)), "");
}

TEST_F(Fixture, IdsAreReusedLowestFirstAndLimitedTo250)
{
    diagonalFrame();
    EXPECT_EQ(addPoint(1, 0.2f, 0.2f), 1);
    EXPECT_EQ(addPoint(1, 0.2f, 0.2f), 2); // same spot: a second point
    EXPECT_EQ(addPoint(1, 0.3f, 0.3f), 3);
    r.Delete_Row(1, 2);
    EXPECT_EQ(r.Get_FreePtNo(), 2);
    EXPECT_EQ(addPoint(1, 0.4f, 0.4f), 2);

    for (int i = 0; i < 247; ++i)
        ASSERT_NE(addPoint(2, 0.5f, 0.5f), 0);
    EXPECT_EQ(r.Get_FreePtNo(), 0);
    // An ID of 0 creates nothing.
    r.Put_PtImage(1, 0.5f, 0.5f, 0);
    EXPECT_FALSE(r.graph.hasPick(0));
    EXPECT_EQ(s(r.Pt_Array[0]), "FALSE,0,0,0,0");
    EXPECT_EQ(r.graph.pickCount(), 250);
    // 251..255 are never handed out even when free.
    EXPECT_EQ(s(r.Pt_Array[251]), "FALSE,0,0,0,0");
}

TEST_F(Fixture, DeleteRowShiftsColumnsButKeepsNumbers)
{
    diagonalFrame();
    for (int i = 0; i < 4; ++i)
        addPoint(1, 0.1f + 0.1f * float(i), 0.5f);
    SeriesTable &t = r.grid(1);
    for (int row = 1; row <= 4; ++row)
        t.setCell(row, 4, QStringLiteral("z%1").arg(row));
    const QString x3 = t.cell(3, 2), x4 = t.cell(4, 2);
    r.graph.setSelShapePt(r.graph.ringAt(0.3f, 0.5f));
    r.Delete_Row(1, 2);
    ASSERT_EQ(t.rowCount(), 4);
    EXPECT_EQ(s(t.cell(1, 0)), "1");
    EXPECT_EQ(s(t.cell(2, 0)), "2");
    EXPECT_EQ(s(t.cell(3, 0)), "3");
    EXPECT_EQ(s(t.cell(1, 1)), "1");
    EXPECT_EQ(s(t.cell(2, 1)), "3");
    EXPECT_EQ(s(t.cell(3, 1)), "4");
    EXPECT_EQ(t.cell(2, 2), x3);
    EXPECT_EQ(t.cell(3, 2), x4);
    EXPECT_EQ(s(t.cell(2, 4)), "z3");
    EXPECT_EQ(s(t.cell(3, 4)), "z4");
    EXPECT_FALSE(r.graph.hasPick(2));
    EXPECT_EQ(s(r.Pt_Array[2]), "FALSE,0,0,0,0");
    EXPECT_FALSE(r.graph.selShapePt().visible);
    // Row 0 is the header: nothing happens but the editor is hidden.
    t.showEditor(QStringLiteral("1"));
    r.Delete_Row(1, 0);
    EXPECT_FALSE(t.editorVisible());
    EXPECT_EQ(t.rowCount(), 4);
}

TEST_F(Fixture, DeleteRowWithGarbageIdNeverTouchesTheTemplate)
{
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    r.grid(1).setCell(1, 1, QStringLiteral("x"));
    r.Delete_Row(1, 1); // ID cell reads as 0
    EXPECT_EQ(r.grid(1).rowCount(), 1);
    EXPECT_EQ(s(r.Pt_Array[0]), "FALSE,0,0,0,0");
    EXPECT_TRUE(r.graph.hasPick(1)); // the record was not named by the row
}

TEST_F(Fixture, TenthRowScrollsSoThatItIsTheNinthVisible)
{
    diagonalFrame();
    for (int i = 0; i < 9; ++i)
        addPoint(1, 0.5f, 0.5f);
    EXPECT_EQ(r.grid(1).topRow(), 1);
    addPoint(1, 0.5f, 0.5f);
    EXPECT_EQ(r.grid(1).topRow(), 2);
    addPoint(1, 0.5f, 0.5f);
    EXPECT_EQ(r.grid(1).topRow(), 3);
}

TEST_F(Fixture, ChangeRewritesTheRowCarryingTheId)
{
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    addPoint(1, 0.6f, 0.5f);
    r.grid(1).setCell(2, 4, QStringLiteral("7"));
    ASSERT_TRUE(r.Conv_Pt(0.7f, 0.7f));
    r.Set_GridPt(1, QStringLiteral("Change"), 2);
    EXPECT_EQ(s(r.grid(1).cell(2, 2)), "7.5000");
    EXPECT_EQ(s(r.grid(1).cell(2, 3)), "75.000");
    EXPECT_EQ(s(r.grid(1).cell(2, 4)), "7");
    EXPECT_EQ(s(r.grid(1).cell(2, 0)), "2");
    EXPECT_EQ(r.grid(1).rowCount(), 3);
    // An ID no row carries changes nothing.
    r.Set_GridPt(1, QStringLiteral("Change"), 99);
    EXPECT_EQ(r.grid(1).rowCount(), 3);
    EXPECT_EQ(s(r.grid(1).cell(1, 2)), "5.0000");
}

TEST_F(Fixture, ShowGridFormIgnoresSeries17)
{
    r.Show_GridForm(17);
    r.Show_GridForm(0);
    for (int sNo = 1; sNo <= 16; ++sNo)
        EXPECT_FALSE(r.grid(sNo).loaded());
    r.Show_GridForm(16);
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("系列16")));
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("Grid_Form")));
}

TEST_F(Fixture, ClosingTablesAsksOnlyWhenTheyHoldRows)
{
    diagonalFrame();
    r.Show_GridForm(2); // empty
    addPoint(1, 0.5f, 0.5f);
    desk.answers = {false};
    EXPECT_FALSE(r.closeGridForm(1));
    EXPECT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(s(desk.questions[0].title), "Notice!");
    EXPECT_TRUE(r.grid(1).loaded());
    EXPECT_TRUE(r.graph.hasPick(1)); // No keeps everything

    EXPECT_TRUE(r.closeGridForm(2)); // empty: no question
    EXPECT_EQ(desk.questions.size(), 1u);

    desk.answers = {true};
    EXPECT_TRUE(r.closeGridForm(1));
    EXPECT_FALSE(r.grid(1).loaded());
    EXPECT_FALSE(r.graph.hasPick(1));
    EXPECT_EQ(s(r.Pt_Array[1]), "FALSE,0,0,0,0");
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("系列1")));
}

TEST_F(Fixture, DeleteSeriesKeepsOtherSeries)
{
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    addPoint(2, 0.6f, 0.6f);
    addPoint(1, 0.7f, 0.7f);
    r.Pt_Array[253] = QStringLiteral("TRUE,2,0.1,0.1,0"); // as loaded from a file
    r.deleteSeriesPoints(2);
    EXPECT_TRUE(r.graph.hasPick(1));
    EXPECT_TRUE(r.graph.hasPick(3));
    EXPECT_FALSE(r.graph.hasPick(2));
    EXPECT_EQ(s(r.Pt_Array[253]), "FALSE,0,0,0,0");
}

TEST_F(Fixture, ConfirmDiscardAsksBeforeAnythingChanges)
{
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    addPoint(2, 0.5f, 0.5f);
    desk.answers = {true, false};
    EXPECT_FALSE(r.confirmDiscardTables());
    EXPECT_EQ(r.graph.pickCount(), 2);
    EXPECT_TRUE(r.grid(1).loaded());
    desk.answers = {true, true};
    EXPECT_TRUE(r.confirmDiscardTables());
    r.Reset_Reading(false);
    EXPECT_EQ(desk.questions.size(), 4u);
    EXPECT_EQ(r.graph.pickCount(), 0);
    EXPECT_FALSE(r.grid(1).loaded());
    EXPECT_FALSE(r.hasPoints());
}

TEST_F(Fixture, ClearAllPointsAndResetTouchOnlyWhatExists)
{
    int pickSignals = 0;
    QObject::connect(&r.graph, &GraphModel::pickChanged, [&](int) { ++pickSignals; });
    r.Clear_AllPts();
    EXPECT_EQ(pickSignals, 0);
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    r.Reset_Reading();
    EXPECT_FALSE(r.Dfnt_Done);
    EXPECT_TRUE(r.GraphPic_Path.isEmpty());
    EXPECT_EQ(r.graph.pickCount(), 0);
}

TEST_F(Fixture, FormatValUsesEachAxisCombo)
{
    r.settings.yFormat.setIndex(8); // "0.0e+0"
    EXPECT_EQ(s(r.Format_Val(u"X", 1234.5)), "1234.5");
    EXPECT_EQ(s(r.Format_Val(u"Y", 1234.5)), "1.2e+3");
    r.settings.xFormat.setIndex(3); // "0.00"
    EXPECT_EQ(s(r.Format_Val(u"X", 0.001)), "0.00");
    EXPECT_EQ(s(r.Format_Val(u"Z", 0.25)), "0.25");
}

TEST_F(Fixture, DrawFrameSkipsUnreadableLines)
{
    diagonalFrame();
    r.Draw_Frame();
    EXPECT_EQ(r.graph.frameLines().size(), 4u);
    r.panel.selectTab(2); // where LU can be typed
    r.panel.setPos(CalibPanel::LUX_Text, QStringLiteral("x"));
    r.Draw_Frame();
    // LL-LU and LU-RU need LU; RU-RL and RL-LL remain.
    ASSERT_EQ(r.graph.frameLines().size(), 2u);
    EXPECT_EQ(r.graph.frameLines()[0], QLineF(0.9f, 0.9f, 0.9f, 0.1f));
}

TEST_F(Fixture, WindowRegistryByNameAndCaption)
{
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("Graph_Form")));
    r.graph.setCaption(QStringLiteral("chart.png"));
    r.graph.setLoaded(true);
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("Graph_Form")));
    int h = r.registerWindow(QStringLiteral("DataDisposal_Form"), QStringLiteral("データ処理"));
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("データ処理")));
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("データ")));
    r.unregisterWindow(h);
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("DataDisposal_Form")));
}

TEST_F(Fixture, SelectionTextJoinsCellsWithTabsAndRowsWithCrLf)
{
    diagonalFrame();
    addPoint(1, 0.5f, 0.5f);
    addPoint(1, 0.7f, 0.7f);
    SeriesTable &t = r.grid(1);
    t.setCurrent(1, 1);
    t.setSelection(2, 3, 1, 1); // any corner order
    // CR LF between rows: a lone CR pastes as one line in many programs.
    EXPECT_EQ(s(t.selectionText()), "1\t5.0000\t50.000\r\n2\t7.5000\t75.000");
    t.setCurrent(2, 2);
    EXPECT_EQ(s(t.selectionText()), "7.5000");
}

TEST_F(Fixture, UnloadingTheGraphDropsMarkersButKeepsRecords)
{
    diagonalFrame();
    r.showPicture(QImage(10, 10, QImage::Format_RGB32), QStringLiteral("a.png"));
    addPoint(1, 0.5f, 0.5f);
    r.Close_Confirmed = true;
    r.unloadGraph();
    EXPECT_FALSE(r.graph.loaded());
    EXPECT_FALSE(r.graph.hasPick(1));
    EXPECT_FALSE(r.Close_Confirmed);
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("Graph_Form")));
}
