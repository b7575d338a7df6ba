#include "processing/table_ops.h"
#include "table/grid_form.h"
#include "tests/support/reading_fixtures.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

struct TableFixture : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};
    std::unique_ptr<Grid_Form> g1, g2;

    void SetUp() override
    {
        r.Init_App();
        r.showPicture(QImage(100, 100, QImage::Format_RGB32), QStringLiteral("c.png"));
        orv::testing::setDiagonalFrame(r);
        g1 = std::make_unique<Grid_Form>(r, 1);
        g2 = std::make_unique<Grid_Form>(r, 2);
    }
    int add(int series, float x, float y) { return orv::testing::addPoint(r, series, x, y); }
};

} // namespace

TEST_F(TableFixture, OnlyZCellsOfDataRowsOpenTheEditor)
{
    add(1, 0.5f, 0.5f);
    SeriesTable &t = r.grid(1);
    for (int col = 0; col < 4; ++col) {
        g1->gridClick(1, col);
        EXPECT_FALSE(t.editorVisible()) << col;
    }
    g1->gridClick(0, 4); // the header
    EXPECT_FALSE(t.editorVisible());
    g1->gridClick(1, 4);
    EXPECT_TRUE(t.editorVisible());
    EXPECT_EQ(r.Cur_Keiretsu, 1);
}

TEST_F(TableFixture, ZEditorFiltersCommitsAndRestores)
{
    add(1, 0.5f, 0.5f);
    SeriesTable &t = r.grid(1);
    g1->gridClick(1, 4);
    EXPECT_EQ(s(g1->editorTextChanged(QStringLiteral("1a2"))), "12");
    EXPECT_EQ(desk.beeps, 1);
    EXPECT_EQ(s(g1->editorTextChanged(QStringLiteral("-3"))), "-3");
    EXPECT_EQ(s(g1->editorTextChanged(QStringLiteral("3-"))), "3");
    EXPECT_EQ(s(g1->editorTextChanged(QStringLiteral("4,5 /x"))), "45");
    EXPECT_EQ(desk.beeps, 6);
    EXPECT_EQ(s(g1->editorTextChanged(QStringLiteral("4.5"))), "4.5");
    g1->editorEnter();
    EXPECT_FALSE(t.editorVisible());
    EXPECT_EQ(s(t.cell(1, 4)), "4.5");
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.5,4.5");
    EXPECT_EQ(s(r.graph.pick(1)->toolTip), "系列1：ID=1,X=5.0000,Y=50.000,Z=4.5");
    // Escape restores the text the cell had when editing began.
    g1->gridClick(1, 4);
    g1->editorTextChanged(QStringLiteral("99"));
    t.setCell(1, 4, QStringLiteral("99"));
    g1->editorEscape();
    EXPECT_EQ(s(t.cell(1, 4)), "4.5");
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.5,4.5");
    // Selecting the row still rings the point at its position.
    g1->selectionChanged(1);
    EXPECT_TRUE(r.graph.selShapePt().visible);
    EXPECT_EQ(r.Sel_PtNo, 1);
    EXPECT_FLOAT_EQ(r.graph.selShapePt().left + r.graph.ringWidth / 2, 0.5f);
    g1->gridEscapeReleased();
    EXPECT_EQ(r.Sel_PtNo, 0);
    EXPECT_FALSE(r.graph.selShapePt().visible);
}

TEST_F(TableFixture, DeleteAllKeepsOtherSeries)
{
    add(1, 0.3f, 0.3f);
    add(2, 0.4f, 0.4f);
    add(2, 0.6f, 0.6f);
    g2->deleteAll();
    EXPECT_TRUE(r.grid(2).isEmpty());
    EXPECT_FALSE(g2->buttonsEnabled());
    EXPECT_TRUE(g1->buttonsEnabled());
    EXPECT_EQ(r.graph.pickCount(), 1);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.3,0.3,0");
    EXPECT_EQ(r.grid(1).rowCount(), 2);
}

TEST_F(TableFixture, RereadRecomputesXAndKeepsZ)
{
    add(1, 0.5f, 0.5f);
    add(1, 0.7f, 0.7f);
    r.grid(1).setCell(2, 4, QStringLiteral("8"));
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("2"));
    g1->reread();
    EXPECT_EQ(s(r.grid(1).cell(1, 2)), "6.0000");
    EXPECT_EQ(s(r.grid(1).cell(2, 2)), "8.0000");
    EXPECT_EQ(s(r.grid(1).cell(2, 4)), "8");
    EXPECT_EQ(s(r.grid(1).cell(1, 3)), "50.000");
    EXPECT_EQ(s(r.graph.pick(1)->toolTip), "系列1：ID=1,X=6.0000,Y=50.000,Z=0");
    EXPECT_TRUE(desk.messages.empty());
    // A frame that cannot convert any point: one message, every X and Y empty.
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("x"));
    g1->reread();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_NE(s(desk.messages[0].text).find("2点中2点"), std::string::npos) << s(desk.messages[0].text);
    for (int row = 1; row <= 2; ++row) {
        EXPECT_EQ(s(r.grid(1).cell(row, 2)), "") << row;
        EXPECT_EQ(s(r.grid(1).cell(row, 3)), "") << row;
    }
    EXPECT_EQ(s(r.grid(1).cell(2, 4)), "8");
}

TEST_F(TableFixture, RereadWritesEveryRowThatConvertsAndEmptiesTheOthers)
{
    add(1, 0.5f, 0.5f);
    add(1, 0.95f, 0.5f); // beyond the frame's right edge
    add(1, 0.3f, 0.5f);
    // X now ends near the largest double: only the point beyond the edge overflows.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1.7E308"));
    g1->reread();
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_NE(s(desk.messages[0].text).find("3点中1点"), std::string::npos) << s(desk.messages[0].text);
    const SeriesTable &t = r.grid(1);
    EXPECT_EQ(s(t.cell(1, 2)), "8.5000e+307");
    EXPECT_EQ(s(t.cell(2, 2)), "");
    EXPECT_EQ(s(t.cell(2, 3)), "");
    // The row after the failed one has its new value too, not the old frame's.
    EXPECT_EQ(s(t.cell(3, 2)), "4.2500e+307");
    EXPECT_EQ(s(t.cell(3, 3)), "50.000");
    // The tips name what the rows show, the empty values included.
    EXPECT_EQ(s(r.graph.pick(2)->toolTip), "系列1：ID=2,X=,Y=,Z=0");
    EXPECT_EQ(s(r.graph.pick(3)->toolTip), "系列1：ID=3,X=4.2500e+307,Y=50.000,Z=0");
    EXPECT_EQ(s(r.Pt_Array[2]), "TRUE,1,0.95,0.5,0"); // the point itself is kept
    // Typing a Z for the row without values keeps them empty, never (0, 0).
    g1->gridClick(2, 4);
    g1->editorTextChanged(QStringLiteral("7"));
    g1->editorEnter();
    EXPECT_EQ(s(r.graph.pick(2)->toolTip), "系列1：ID=2,X=,Y=,Z=7");
    EXPECT_EQ(s(r.Pt_Array[2]), "TRUE,1,0.95,0.5,7");
    // A frame that converts them all writes every row again.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    g1->reread();
    EXPECT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(t.cell(2, 2)), "10.625");
    EXPECT_EQ(s(r.graph.pick(2)->toolTip), "系列1：ID=2,X=10.625,Y=50.000,Z=7");
}

TEST_F(TableFixture, PastedControlCharactersAndCommasNeverReachTheRecord)
{
    add(1, 0.5f, 0.5f);
    g1->gridClick(1, 4);
    EXPECT_EQ(s(g1->editorTextChanged(QStringLiteral("1\r\n2\t3,4"))), "1234");
    EXPECT_EQ(desk.beeps, 4);
    g1->editorEnter();
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.5,1234");
    EXPECT_EQ(s(r.grid(1).cell(1, 4)), "1234");
}

TEST_F(TableFixture, DeletingTheSelectedRowAfterASortDeletesTheRingedPoint)
{
    add(1, 0.7f, 0.5f);
    add(1, 0.3f, 0.5f);
    add(1, 0.5f, 0.5f);
    SeriesTable &t = r.grid(1);
    t.setCurrent(1, SeriesTable::ColX); // the user clicks the first row: ID 1
    g1->selectionChanged(1);
    ASSERT_EQ(r.Sel_PtNo, 1);
    sortGrid(t, SortKey::X, true);
    EXPECT_EQ(s(t.cell(t.currentRow(), SeriesTable::ColId)), "1");
    g1->deleteSelectedRow();
    EXPECT_FALSE(r.graph.hasPick(1));
    EXPECT_TRUE(r.graph.hasPick(2));
    EXPECT_TRUE(r.graph.hasPick(3));
    EXPECT_EQ(t.rowCount(), 3);
}

TEST_F(TableFixture, RowsWhosePointsWereFreedNeverFail)
{
    add(1, 0.5f, 0.5f);
    add(1, 0.6f, 0.6f);
    r.Clear_AllPts(); // as a reset does before a table the user kept open
    g1->selectionChanged(1);
    EXPECT_FALSE(r.graph.selShapePt().visible);
    g1->reread();
    g1->gridClick(1, 4);
    g1->editorTextChanged(QStringLiteral("3"));
    g1->editorEnter();
    EXPECT_EQ(s(r.Pt_Array[1]), "FALSE,0,0,0,0"); // a free record stays free
    g1->deleteSelectedRow();
    EXPECT_EQ(r.grid(1).rowCount(), 2);
    r.grid(1).setCell(1, 1, QStringLiteral("999"));
    g1->selectionChanged(1);
    g1->deleteSelectedRow();
    EXPECT_TRUE(r.grid(1).isEmpty());
}

TEST_F(TableFixture, ClosingAsksBeforeDiscarding)
{
    add(1, 0.5f, 0.5f);
    desk.answers = {false};
    EXPECT_FALSE(g1->queryUnload());
    EXPECT_TRUE(r.grid(1).loaded());
    EXPECT_EQ(r.graph.pickCount(), 1);
    ASSERT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(desk.questions[0].text, Reading::tableCloseQuestion());
    desk.answers = {true};
    EXPECT_TRUE(g1->queryUnload());
    EXPECT_EQ(r.graph.pickCount(), 0);
    // An empty table closes without a question.
    r.Show_GridForm(3);
    Grid_Form g3(r, 3);
    EXPECT_TRUE(g3.queryUnload());
    EXPECT_EQ(desk.questions.size(), 2u);
}

TEST_F(TableFixture, DataDisposalButtonOpensForThisSeries)
{
    int opened = 0;
    g2->openDataDisposal = [&](int series) { opened = series; };
    add(2, 0.5f, 0.5f);
    g2->dataDisposal();
    EXPECT_EQ(opened, 2);
}

TEST(TableLayout, ResizeRules)
{
    const std::array<int, 5> w0{500, 500, 750, 750, 750};
    auto l = Grid_Form::layoutFor(3675, 4440, true, false, w0);
    EXPECT_EQ(l.width, 4500); // the minimum width
    EXPECT_EQ(l.colWidths[2], 1100);
    EXPECT_EQ(l.colWidths[3], 1100);
    EXPECT_EQ(l.colWidths[4], 800);
    EXPECT_EQ(l.gridWidth, 4155);
    EXPECT_EQ(l.frameHeight, 3885);
    l = Grid_Form::layoutFor(6000, 1000, true, false, w0);
    EXPECT_EQ(l.height, 2000);
    EXPECT_EQ(l.colWidths[2], 1600);
    EXPECT_EQ(l.colWidths[4], 1300);
    EXPECT_EQ(l.dataDisposalWidth, 2625);
    EXPECT_EQ(l.buttonTop, 2000 - 4410 + 3480);
    EXPECT_EQ(l.colWidths[0], 500);
    l = Grid_Form::layoutFor(100, 100, false, true, w0); // minimised: untouched
    EXPECT_EQ(l.width, 100);
    EXPECT_EQ(l.colWidths[2], 750);
}

TEST(TableLayout, ColumnsAreNeverNarrowerThanTheirTexts)
{
    const std::array<int, 5> w0{500, 500, 750, 750, 750};
    // X needs 1200 twips: it gets them, Y and Z share the rest of the 3000
    // in their proportions, and the columns still fill the grid.
    std::array<int, 5> need{0, 300, 1200, 400, 0};
    auto l = Grid_Form::layoutFor(4500, 4440, true, false, w0, need);
    EXPECT_EQ(l.colWidths[2], 1200);
    EXPECT_EQ(l.colWidths[3], 1800 * 1100 / 1900);
    EXPECT_EQ(l.colWidths[4], 1800 * 800 / 1900);
    // Needing 1500, X leaves too little for Z's share: Z keeps its least
    // width and Y takes the rest.
    need[2] = 1500;
    l = Grid_Form::layoutFor(4500, 4440, true, false, w0, need);
    EXPECT_EQ(l.colWidths[4], Grid_Form::kMinValueColTwips);
    EXPECT_EQ(l.colWidths[3], 3000 - 1500 - 750);
    EXPECT_EQ(Grid_Form::widthToFit(4500, need), 4500); // it fits as it is
    // X and Y need 1600 each: no share is left for Z's least width, so the
    // window must grow by what they need beyond 3000 with Z at 750.
    need = {0, 0, 1600, 1600, 0};
    l = Grid_Form::layoutFor(4500, 4440, true, false, w0, need);
    EXPECT_EQ(l.colWidths[2], 1600);
    EXPECT_EQ(l.colWidths[4], Grid_Form::kMinValueColTwips);
    const int w = Grid_Form::widthToFit(4500, need);
    EXPECT_EQ(w, 4500 + 1600 + 1600 + 750 - 3000);
    l = Grid_Form::layoutFor(w, 4440, true, false, w0, need);
    int sum = 0;
    for (int c : l.colWidths)
        sum += c;
    EXPECT_LE(sum, l.gridWidth);
    EXPECT_GE(l.colWidths[3], 1600);
    EXPECT_GE(l.colWidths[4], 750);
    // A wider ID column comes out of the value columns' room, while they have
    // room above their least widths.
    need = {0, 800, 0, 0, 0};
    EXPECT_EQ(Grid_Form::widthToFit(4500, need), 4500);
    l = Grid_Form::layoutFor(6000, 4440, true, false, w0, need);
    EXPECT_EQ(l.colWidths[1], 800);
    EXPECT_NEAR(l.colWidths[2] + l.colWidths[3] + l.colWidths[4], 4500 - 300, 2);
    need = {0, 800, 1600, 1600, 0};
    EXPECT_EQ(Grid_Form::widthToFit(4500, need), 4500 + 300 + 1600 + 1600 + 750 - 3000);
    // A window already wide enough stays as it is.
    EXPECT_EQ(Grid_Form::widthToFit(9000, {0, 0, 1600, 1600, 0}), 9000);
}
