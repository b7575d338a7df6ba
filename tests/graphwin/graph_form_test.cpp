#include "graphwin/graph_form.h"
#include "tests/support/reading_fixtures.h"

#include <gtest/gtest.h>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

struct GraphFixture : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};
    Graph_Form g{r};

    void SetUp() override
    {
        r.Init_App();
        r.showPicture(QImage(1000, 800, QImage::Format_RGB32), QStringLiteral("chart.png"));
        g.setPictureSize(1000, 800);
    }
    // A complete diagonal frame 0.1..0.9 with X 0..10, Y 0..100.
    void frame()
    {
        orv::testing::setDiagonalFrame(r);
    }
    int click(float x, float y, int button = Graph_Form::LeftButton)
    {
        const int before = r.graph.pickCount();
        g.mouseUp(button, x, y);
        return r.graph.pickCount() - before;
    }
};

} // namespace

TEST_F(GraphFixture, ClicksAddPointsOnlyWhenNothingIsSelected)
{
    frame();
    EXPECT_EQ(click(0.5f, 0.5f), 1);
    EXPECT_EQ(click(0.5f, 0.5f), 1); // same spot, second point
    EXPECT_EQ(r.grid(1).rowCount(), 3);
    EXPECT_EQ(s(r.grid(1).cell(2, 1)), "2");
    EXPECT_EQ(click(0.5f, 0.5f, Graph_Form::RightButton), 0);
    EXPECT_EQ(click(0.5f, 0.5f, Graph_Form::MiddleButton), 0);
    // A ring visible: the click only deselects.
    g.pickMouseDown(1);
    EXPECT_TRUE(r.graph.selShapePt().visible);
    EXPECT_EQ(click(0.3f, 0.3f), 0);
    EXPECT_FALSE(r.graph.selShapePt().visible);
    EXPECT_EQ(r.Sel_PtNo, -1);
    EXPECT_EQ(r.Drag_PtNo, -1);
    EXPECT_EQ(click(0.3f, 0.3f), 1);
    // The outline is drawn after a point is added.
    EXPECT_EQ(r.graph.frameLines().size(), 4u);
}

TEST_F(GraphFixture, PointsGoToTheChosenSeries)
{
    frame();
    r.settings.keiretsu.setIndex(1);
    click(0.5f, 0.5f);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,2,0.5,0.5,0");
    EXPECT_TRUE(r.grid(2).loaded());
    EXPECT_EQ(r.grid(1).rowCount(), 1);
}

TEST_F(GraphFixture, The251stPointIsRefusedWithAMessage)
{
    frame();
    for (int i = 0; i < 250; ++i)
        ASSERT_EQ(click(0.5f, 0.5f), 1);
    EXPECT_EQ(click(0.5f, 0.5f), 0);
    EXPECT_EQ(desk.messageCount(Graph_Form::pointLimitMessage()), 1);
    EXPECT_EQ(r.grid(1).rowCount(), 251);
}

TEST_F(GraphFixture, ConversionFailureCreatesNothing)
{
    frame();
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("abc"));
    EXPECT_EQ(click(0.5f, 0.5f), 0);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(QStringLiteral("エラー！(No.2)(座標変換")));
    EXPECT_EQ(s(r.Pt_Array[1]), "FALSE,0,0,0,0");
    // The readout is emptied rather than left on the number of an earlier
    // place.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    g.mouseMove(0.3f, 0.3f);
    EXPECT_EQ(s(g.statusText()), "X=2.5000 , Y=25.000");
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("abc"));
    g.mouseMove(0.5f, 0.5f);
    EXPECT_TRUE(g.statusText().isEmpty());
}

TEST_F(GraphFixture, ReleasesBeyondThePictureDoNothing)
{
    // Before the frame is complete: no corner outside the picture.
    g.mouseUp(Graph_Form::LeftButton, 1.375f, 0.5f);
    g.mouseUp(Graph_Form::LeftButton, 0.5f, -0.1f);
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        EXPECT_TRUE(r.panel.pos(CalibPanel::PosBox(b)).isEmpty()) << b;
    EXPECT_FALSE(r.graph.dfnt(RU).visible);
    // After it: no point, and a selection stays as it was.
    frame();
    EXPECT_EQ(click(1.5f, 0.5f), 0);
    EXPECT_EQ(click(0.5f, 1.01f), 0);
    EXPECT_EQ(s(r.Pt_Array[1]), "FALSE,0,0,0,0");
    EXPECT_EQ(click(0.5f, 0.5f), 1);
    g.pickMouseDown(1);
    g.dragDrop(-0.2f, 0.5f);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.5,0");
    EXPECT_TRUE(r.graph.selShapePt().visible);
    EXPECT_EQ(r.Sel_PtNo, 1);
    // The picture's own edges are on it.
    g.mouseUp(Graph_Form::LeftButton, 0.5f, 0.5f); // deselects
    EXPECT_EQ(click(1.0f, 0.0f), 1);
}

TEST_F(GraphFixture, StaleTextsAreCleared)
{
    // The highlighted corner boxes return to normal when the window goes.
    g.mouseMove(0.2f, 0.2f);
    EXPECT_TRUE(r.panel.highlighted(CalibPanel::LLX_Text));
    r.unloadGraph();
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        EXPECT_FALSE(r.panel.highlighted(CalibPanel::PosBox(b))) << b;
    // A new picture empties the readout of the previous one.
    r.showPicture(QImage(1000, 800, QImage::Format_RGB32), QStringLiteral("chart.png"));
    frame();
    g.mouseMove(0.5f, 0.5f);
    ASSERT_FALSE(g.statusText().isEmpty());
    QString shown = g.statusText();
    QObject::connect(&g, &Graph_Form::statusTextChanged, [&](const QString &t) { shown = t; });
    r.Init_App();
    r.showPicture(QImage(300, 200, QImage::Format_RGB32), QStringLiteral("other.png"));
    EXPECT_TRUE(g.statusText().isEmpty());
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(GraphFixture, RingsGoWithWhatTheySelect)
{
    auto expectNoSelection = [this](const char *when) {
        SCOPED_TRACE(when);
        EXPECT_FALSE(r.graph.selShape().visible);
        EXPECT_FALSE(r.graph.selShapePt().visible);
        EXPECT_EQ(r.Sel_PtNo, -1);
        EXPECT_EQ(r.Sel_DfntNo, -1);
        EXPECT_EQ(r.Drag_PtNo, -1);
        EXPECT_EQ(r.Drag_DfntNo, -1);
    };
    // A new picture (the opening flow resets the reading): the first click on
    // it adds a point instead of only deselecting.
    frame();
    click(0.5f, 0.5f);
    g.pickMouseDown(1);
    g.dfntMouseDown(LL);
    g.pickMouseDown(1);
    ASSERT_TRUE(r.graph.selShapePt().visible);
    r.Init_App();
    r.showPicture(QImage(500, 400, QImage::Format_RGB32), QStringLiteral("next.png"));
    expectNoSelection("new picture");
    frame();
    EXPECT_EQ(click(0.4f, 0.4f), 1);

    // Closing the selected point's table deletes the point and its ring.
    r.settings.keiretsu.setIndex(1);
    click(0.6f, 0.6f); // ID 2 in series 2
    g.pickMouseDown(2);
    desk.answers = {true};
    ASSERT_TRUE(r.closeGridForm(2));
    EXPECT_FALSE(r.graph.hasPick(2));
    expectNoSelection("table closed");
    // Its ID, given to the next point, is not selected by it.
    EXPECT_EQ(click(0.7f, 0.7f), 1);
    EXPECT_TRUE(r.graph.hasPick(2));
    EXPECT_EQ(r.Sel_PtNo, -1);

    // Deleting the selected point's row from its table.
    g.pickMouseDown(1);
    r.Delete_Row(1, 1);
    EXPECT_FALSE(r.graph.hasPick(1));
    expectNoSelection("row deleted");

    // A switch of the frame mode.
    g.dfntMouseDown(RU);
    ASSERT_TRUE(r.graph.selShape().visible);
    r.panel.selectTab(2);
    expectNoSelection("tab switched");
}

TEST_F(GraphFixture, ReadoutAfterCompletionHighlightBefore)
{
    g.mouseMove(0.5f, 0.5f); // exactly on the middle: RU
    EXPECT_TRUE(r.panel.highlighted(CalibPanel::RUX_Text));
    EXPECT_TRUE(r.panel.highlighted(CalibPanel::RUY_Text));
    EXPECT_FALSE(r.panel.highlighted(CalibPanel::LLX_Text));
    g.mouseMove(0.49f, 0.5f); // LU
    EXPECT_TRUE(r.panel.highlighted(CalibPanel::LUX_Text));
    EXPECT_FALSE(r.panel.highlighted(CalibPanel::RUX_Text));
    g.mouseMove(0.5f, 0.49f); // RL
    EXPECT_TRUE(r.panel.highlighted(CalibPanel::RLY_Text));
    EXPECT_TRUE(g.statusText().isEmpty());
    frame();
    g.mouseMove(0.5f, 0.5f);
    EXPECT_EQ(s(g.statusText()), "X=5.0000 , Y=50.000");
}

TEST_F(GraphFixture, ZoomFollowsPointerAndDrag)
{
    std::vector<std::pair<float, float>> follows;
    QObject::connect(&r, &Reading::zoomFollowRequested, [&](float x, float y) { follows.push_back({x, y}); });
    g.mouseMove(0.2f, 0.3f);
    g.dragOver(0.4f, 0.6f);
    ASSERT_EQ(follows.size(), 2u);
    EXPECT_EQ(follows[1], std::make_pair(0.4f, 0.6f));
}

TEST_F(GraphFixture, DraggingAPointKeepsItsIdRowAndZ)
{
    frame();
    click(0.3f, 0.3f);
    click(0.5f, 0.5f);
    r.Pt_Array[2] = QStringLiteral("TRUE,1,0.5,0.5,4.5");
    r.grid(1).setCell(2, 4, QStringLiteral("4.5"));
    g.pickMouseDown(2);
    EXPECT_EQ(r.Drag_PtNo, 2);
    g.dragDrop(0.7f, 0.7f);
    EXPECT_EQ(s(r.Pt_Array[2]), "TRUE,1,0.7,0.7,4.5");
    EXPECT_EQ(s(r.grid(1).cell(2, 0)), "2");
    EXPECT_EQ(s(r.grid(1).cell(2, 1)), "2");
    EXPECT_EQ(s(r.grid(1).cell(2, 2)), "7.5000");
    EXPECT_EQ(s(r.grid(1).cell(2, 4)), "4.5");
    EXPECT_EQ(s(r.graph.pick(2)->toolTip), "系列1：ID=2,X=7.5000,Y=75.000,Z=4.5");
    EXPECT_TRUE(r.graph.selShapePt().visible); // still selected
    EXPECT_EQ(r.Drag_PtNo, -1);
    // A drop with nothing dragged only redraws.
    g.dragDrop(0.1f, 0.1f);
    EXPECT_EQ(s(r.Pt_Array[2]), "TRUE,1,0.7,0.7,4.5");
}

TEST_F(GraphFixture, DraggingACornerUpdatesItsBoxes)
{
    frame();
    r.graph.setDfnt(0, Marker{0.1f - r.graph.markerWidth / 2, 0.1f + r.graph.markerHeight / 2, true, {}});
    g.pickMouseDown(99); // no such marker: nothing
    g.dfntMouseDown(0);
    EXPECT_TRUE(r.graph.selShape().visible);
    EXPECT_EQ(r.Sel_DfntNo, 0);
    EXPECT_EQ(r.Drag_DfntNo, 0);
    g.dragDrop(0.15f, 0.12f);
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LLX_Text)), "0.15");
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LLY_Text)), "0.12");
    EXPECT_EQ(r.Drag_DfntNo, -1);
    EXPECT_TRUE(r.graph.selShape().visible);
    EXPECT_FLOAT_EQ(r.graph.dfnt(0).left + r.graph.markerWidth / 2, 0.15f);
}

TEST_F(GraphFixture, ArrowKeysNudgeTheSelectedCornerAndPoint)
{
    frame();
    r.panel.setPos(CalibPanel::LLY_Text, QStringLiteral("0.5"));
    r.graph.setDfnt(0, Marker{0.1f, 0.5f, true, {}});
    g.dfntMouseDown(0);
    g.keyUp(Graph_Form::KeyUp, Graph_Form::NoModifier);
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LLY_Text)), "0.5005");
    g.keyUp(Graph_Form::KeyRight, Graph_Form::Ctrl); // Ctrl: step 0
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LLX_Text)), "0.1");
    g.keyUp(Graph_Form::KeyLeft, Graph_Form::Shift);
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LLX_Text)), "0.09");
    // An unreadable box is left alone.
    r.panel.setPos(CalibPanel::LLX_Text, QStringLiteral("x"));
    g.keyUp(Graph_Form::KeyLeft, Graph_Form::NoModifier);
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LLX_Text)), "x");
    r.panel.setPos(CalibPanel::LLX_Text, QStringLiteral("0.1"));

    g.mouseUp(Graph_Form::RightButton, 0.5f, 0.5f); // deselect
    click(0.5f, 0.5f);
    g.pickMouseDown(1);
    const float left0 = r.graph.pick(1)->left;
    g.keyUp(Graph_Form::KeyRight, Graph_Form::Shift);
    EXPECT_NEAR(r.graph.pick(1)->left - left0, 0.01f, 1e-7);
    EXPECT_NEAR(readPrefix(Reading::Get_Field(r.Pt_Array[1], QStringLiteral(","), 2)), 0.51, 1e-6);
    EXPECT_EQ(s(r.grid(1).cell(1, 2)), "5.1250");
    EXPECT_NEAR(r.graph.selShapePt().left + r.graph.ringWidth / 2, 0.51f, 1e-6);
}

TEST_F(GraphFixture, ANudgeTheFrameCannotConvertLeavesThePointInStep)
{
    frame();
    click(0.5f, 0.5f);
    g.pickMouseDown(1);
    const Marker before = *r.graph.pick(1);
    const Ring ringBefore = r.graph.selShapePt();
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("abc"));
    g.keyUp(Graph_Form::KeyRight, Graph_Form::Shift);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(QStringLiteral("エラー！(No.2)(座標変換")));
    // Marker, ring, record and row all stay where they were.
    EXPECT_EQ(r.graph.pick(1)->left, before.left);
    EXPECT_EQ(r.graph.selShapePt().left, ringBefore.left);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.5,0.5,0");
    EXPECT_EQ(s(r.grid(1).cell(1, 2)), "5.0000");
    // With the frame mended the same key moves all of them together.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    g.keyUp(Graph_Form::KeyRight, Graph_Form::Shift);
    EXPECT_EQ(desk.messages.size(), 1u);
    EXPECT_FLOAT_EQ(r.graph.pick(1)->left, before.left + 0.01f);
    EXPECT_EQ(s(r.Pt_Array[1]), "TRUE,1,0.51,0.5,0");
    EXPECT_EQ(s(r.grid(1).cell(1, 2)), "5.1250");
}

TEST_F(GraphFixture, EscapeThenDeleteDoesNothingDeleteRemovesTheRow)
{
    frame();
    click(0.3f, 0.3f);
    click(0.5f, 0.5f);
    click(0.7f, 0.7f);
    g.pickMouseDown(2);
    g.keyUp(Graph_Form::KeyEscape, 0);
    EXPECT_EQ(r.Sel_PtNo, 0);
    EXPECT_FALSE(r.graph.selShapePt().visible);
    g.keyDown(Graph_Form::KeyDelete, 0);
    EXPECT_EQ(r.graph.pickCount(), 3);

    g.pickMouseDown(2);
    g.keyDown(Graph_Form::KeyDelete, 0);
    EXPECT_EQ(r.graph.pickCount(), 2);
    EXPECT_FALSE(r.graph.hasPick(2));
    ASSERT_EQ(r.grid(1).rowCount(), 3);
    EXPECT_EQ(s(r.grid(1).cell(2, 0)), "2");
    EXPECT_EQ(s(r.grid(1).cell(2, 1)), "3");
    EXPECT_EQ(r.Sel_PtNo, -1);
    EXPECT_FALSE(r.graph.selShapePt().visible);
    EXPECT_EQ(click(0.6f, 0.6f), 1);
    EXPECT_TRUE(r.graph.hasPick(2)); // the freed ID is handed out again
}

TEST_F(GraphFixture, ClosingAsksAndNoKeepsEverything)
{
    frame();
    click(0.5f, 0.5f);
    desk.answers = {false};
    EXPECT_FALSE(g.queryUnload());
    EXPECT_EQ(r.graph.pickCount(), 1);
    EXPECT_TRUE(r.Dfnt_Done);
    ASSERT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(s(desk.questions[0].title), "Notice!");
    EXPECT_EQ(desk.questions[0].text, Graph_Form::closeQuestion());

    desk.answers = {true};
    EXPECT_TRUE(g.queryUnload());
    g.unload();
    EXPECT_EQ(desk.questions.size(), 2u); // the table closed without asking
    EXPECT_FALSE(r.Dfnt_Done);
    EXPECT_FALSE(r.hasPoints());
    EXPECT_FALSE(r.grid(1).loaded());
    EXPECT_TRUE(r.panel.pos(CalibPanel::LLX_Text).isEmpty());
    EXPECT_FALSE(r.graph.loaded());
    EXPECT_FALSE(r.Close_Confirmed);
}
