// The undo history: every kind of edit taken back and repeated exactly, runs
// of nudges as one step, the modified flag, the hash check, and a long random
// session undone and redone to byte-identical reading files.

#include "graphwin/graph_form.h"
#include "mainwin/main_mdi_form.h"
#include "model/history.h"
#include "model/reading.h"
#include "processing/data_disposal_form.h"
#include "statefile/state_file.h"
#include "table/grid_form.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <bit>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace orv;

namespace {

// Everything undo promises to restore, as one comparable text: the reading
// file, the rows of every table (and whether it is open), every marker bit for
// bit, the frame lines and the mode.
std::string dump(const Reading &r)
{
    QByteArray out = stateFileBytes(r);
    auto marker = [&](const Marker &m) {
        out += QByteArray::number(std::bit_cast<quint32>(m.left)) + ' ' +
               QByteArray::number(std::bit_cast<quint32>(m.top)) + ' ' + (m.visible ? "v " : "h ") +
               m.toolTip.toUtf8() + '\n';
    };
    for (int s = 1; s <= Reading::kSeriesCount; ++s) {
        const SeriesTable &t = r.grid(s);
        // Whether an empty table's window is open is no part of the reading.
        if (t.isEmpty())
            continue;
        out += "table " + QByteArray::number(s) + (t.loaded() ? " open " : " closed ") +
               QByteArray::number(r.Grid_Opened[size_t(s)]) + '\n';
        for (const auto &row : t.rows())
            for (const QString &c : row)
                out += c.toUtf8() + '|';
        out += '\n';
    }
    for (int id = 1; id <= Reading::kMaxId; ++id)
        if (r.graph.pick(id)) {
            out += "pick " + QByteArray::number(id) + ' ';
            marker(*r.graph.pick(id));
        }
    for (int i = 0; i < 4; ++i)
        marker(r.graph.dfnt(i));
    for (const QLineF &l : r.graph.frameLines())
        out += QByteArray::number(l.x1()) + ',' + QByteArray::number(l.y1()) + ',' + QByteArray::number(l.x2()) +
               ',' + QByteArray::number(l.y2()) + ';';
    out += "\ntab " + QByteArray::number(r.panel.selectedTab()) + (r.Dfnt_Done ? " done" : " open");
    return out.toStdString();
}

class History_ : public ::testing::Test {
protected:
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form main{r};
    Graph_Form graph{r};
    std::array<std::unique_ptr<Grid_Form>, 17> grids;
    History &h = r.history();

    void SetUp() override
    {
        for (int s = 1; s <= Reading::kSeriesCount; ++s)
            grids[size_t(s)] = std::make_unique<Grid_Form>(r, s);
        h.setVerify(true);
        main.MDIForm_Load();
        r.showPicture(QImage(400, 300, QImage::Format_RGB32), QStringLiteral("p.png"));
        graph.setPictureSize(400, 300);
        r.Show_GridForm(1);
        // The frame placed by clicks: lower left, then upper right.
        graph.mouseUp(Graph_Form::LeftButton, 0.1f, 0.1f);
        graph.mouseUp(Graph_Form::LeftButton, 0.9f, 0.9f);
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        h.commitValue(CalibPanel::RUX_VLText);
        r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("100"));
        h.commitValue(CalibPanel::RUY_VLText);
        ASSERT_TRUE(r.Dfnt_Done);
    }

    void series(int s) { r.settings.keiretsu.setIndex(s - 1); }
    void click(float x, float y)
    {
        if (r.graph.selShape().visible || r.graph.selShapePt().visible)
            graph.mouseUp(Graph_Form::RightButton, x, y); // the first click deselects
        graph.mouseUp(Graph_Form::LeftButton, x, y);
    }
    Grid_Form &grid(int s) { return *grids[size_t(s)]; }

    // Runs `edit`, then checks that undo gives back `before` exactly and redo
    // the state after the edit; the step's caption names `kind`.
    void roundTrip(const char *what, History::Kind kind, const std::function<void()> &edit)
    {
        SCOPED_TRACE(what);
        const std::string before = dump(r);
        const int steps = h.count();
        edit();
        const std::string after = dump(r);
        ASSERT_NE(before, after) << "the edit changed nothing";
        ASSERT_EQ(h.count(), steps + 1) << "one step per edit";
        EXPECT_EQ(h.undoText(), History::kindText(kind));
        ASSERT_TRUE(h.undo());
        EXPECT_EQ(dump(r), before);
        ASSERT_TRUE(h.redo());
        EXPECT_EQ(dump(r), after);
        EXPECT_EQ(h.mismatches(), 0);
    }
};

} // namespace

TEST_F(History_, EveryKindOfEditIsUndoneAndRedoneExactly)
{
    roundTrip("add", History::AddPoint, [&] { click(0.3f, 0.4f); });
    // Adding to a series whose table is closed opens it; undo closes it again.
    const int steps = h.count();
    series(2); // the series combo opens its table
    EXPECT_TRUE(grid(2).queryUnload());
    EXPECT_EQ(h.count(), steps); // closing an empty table is no step
    roundTrip("add to a closed table", History::AddPoint, [&] { click(0.5f, 0.6f); });
    // Points found by the automatic reading: the whole batch is one step.
    roundTrip("found points", History::AddPoints, [&] {
        const auto res = r.addPoints(3, {QPointF(0.2, 0.3), QPointF(0.25, 0.35), QPointF(0.3, 0.4)});
        EXPECT_EQ(res.added, 3);
    });
    series(1);
    click(0.6f, 0.2f);
    click(0.7f, 0.7f);
    ASSERT_EQ(r.grid(1).rowCount(), 4);
    roundTrip("drag a point", History::MovePoint, [&] {
        graph.pickMouseDown(1);
        graph.dragDrop(0.35f, 0.45f);
    });
    roundTrip("delete key", History::DeletePoint, [&] {
        graph.pickMouseDown(3);
        graph.keyDown(Graph_Form::KeyDelete, 0);
    });
    roundTrip("Z", History::EditZ, [&] {
        grid(1).gridClick(1, SeriesTable::ColZ);
        grid(1).editorTextChanged(QStringLiteral("12.5"));
        grid(1).editorEnter();
    });
    roundTrip("re-read", History::Reread, [&] {
        r.settings.xFormat.setIndex(3); // another format: every X text changes
        grid(1).reread();
    });
    roundTrip("sort", History::Sort, [&] {
        DataDisposalForm d(r);
        d.setSeriesItems({QStringLiteral("系列1")}, QStringLiteral("系列1"));
        d.setSortKeyIndex(1);
        d.setSortAscending(false);
        d.Sort_Grid();
    });
    roundTrip("delete row", History::DeleteRow, [&] {
        r.grid(1).setCurrent(1, 1);
        grid(1).deleteSelectedRow();
    });
    roundTrip("drag a corner", History::MoveCorner, [&] {
        graph.dfntMouseDown(RU);
        graph.dragDrop(0.92f, 0.88f);
    });
    roundTrip("nudge a corner", History::NudgeCorner, [&] {
        graph.dfntMouseDown(LL);
        graph.keyUp(Graph_Form::KeyLeft, Graph_Form::Shift);
    });
    roundTrip("four corners", History::FrameMode, [&] { main.selectModeTab(2); });
    // The calibration: values and positions typed and committed, axis kinds.
    roundTrip("value typed", History::AxisValue, [&] {
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("2"));
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("25"));
        h.commitValue(CalibPanel::RUX_VLText);
    });
    roundTrip("position typed", History::FramePosition, [&] {
        r.panel.setPos(CalibPanel::LUY_Text, QStringLiteral("0.8"));
        h.commitPosition(CalibPanel::LUY_Text);
    });
    roundTrip("log axis", History::AxisKindChange, [&] { main.Y_Log_Option_Click(); });
    roundTrip("log axis, value corrected", History::AxisKindChange, [&] { main.X_Log_Option_Click(); });
    EXPECT_EQ(r.panel.val(CalibPanel::LLX_VLText), QStringLiteral("0.01"));
    roundTrip("linear axis", History::AxisKindChange, [&] { main.Y_Lnr_Option_Click(); });
    roundTrip("date axis", History::AxisKindChange, [&] { main.X_Date_Option_Click(); });
    // A click with the frame done adds a point; with the frame not done yet
    // (as after a load without one) it places the corner.
    graph.mouseUp(Graph_Form::RightButton, 0.5f, 0.5f);
    r.setDfntDone(false);
    roundTrip("place a corner", History::PlaceCorner,
              [&] { graph.mouseUp(Graph_Form::LeftButton, 0.12f, 0.85f); });
    roundTrip("delete all", History::DeleteAll, [&] { grid(1).deleteAll(); });
    roundTrip("close a table", History::CloseTable, [&] { grid(2).queryUnload(); });
    EXPECT_FALSE(r.grid(2).loaded());
    ASSERT_TRUE(h.undo());
    EXPECT_TRUE(r.grid(2).loaded()); // the closed table and its point are back
    EXPECT_EQ(r.grid(2).rowCount(), 2);
}

TEST_F(History_, ArrowKeyRunsMergeIntoOneStepUntilAnotherAction)
{
    click(0.3f, 0.3f);
    click(0.6f, 0.6f);
    const std::string start = dump(r);
    const int steps = h.count();
    graph.pickMouseDown(1);
    for (int i = 0; i < 5; ++i)
        graph.keyUp(Graph_Form::KeyRight, Graph_Form::NoModifier);
    graph.keyUp(16, Graph_Form::Shift); // releasing Shift does not end the run
    graph.keyUp(Graph_Form::KeyUp, Graph_Form::Shift);
    EXPECT_EQ(h.count(), steps + 1);
    EXPECT_EQ(h.undoText(), History::kindText(History::NudgePoint));
    const std::string moved = dump(r);

    // Another point: a new step. Picking the first again: a new run.
    graph.pickMouseDown(2);
    graph.keyUp(Graph_Form::KeyDown, Graph_Form::NoModifier);
    EXPECT_EQ(h.count(), steps + 2);
    graph.pickMouseDown(1);
    graph.keyUp(Graph_Form::KeyDown, Graph_Form::NoModifier);
    EXPECT_EQ(h.count(), steps + 3);

    ASSERT_TRUE(h.undo());
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(dump(r), moved);
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(dump(r), start); // the whole run at once
    ASSERT_TRUE(h.redo());
    EXPECT_EQ(dump(r), moved);

    // A run never swallows the saved state: nudges after a save undo back to it.
    graph.pickMouseDown(1);
    graph.keyUp(Graph_Form::KeyLeft, Graph_Form::NoModifier);
    EXPECT_EQ(h.count(), steps + 2); // the redo part is gone
    h.setClean();
    const std::string saved = dump(r);
    graph.keyUp(Graph_Form::KeyLeft, Graph_Form::NoModifier);
    EXPECT_EQ(h.count(), steps + 3);
    graph.keyUp(Graph_Form::KeyLeft, Graph_Form::NoModifier);
    EXPECT_EQ(h.count(), steps + 3);
    ASSERT_TRUE(h.undo());
    EXPECT_FALSE(h.isModified());
    EXPECT_EQ(dump(r), saved);
}

TEST_F(History_, ModifiedFollowsTheSavedState)
{
    EXPECT_TRUE(h.isModified()); // the frame was placed since the picture opened
    h.setClean();
    EXPECT_FALSE(h.isModified());
    int signals_ = 0;
    QObject::connect(&h, &History::modifiedChanged, [&] { ++signals_; });
    click(0.4f, 0.4f);
    EXPECT_TRUE(h.isModified());
    ASSERT_TRUE(h.undo());
    EXPECT_FALSE(h.isModified()); // back at the saved state
    ASSERT_TRUE(h.redo());
    EXPECT_TRUE(h.isModified());
    EXPECT_EQ(signals_, 3);

    // A typed box is unsaved at once.
    h.setClean();
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("20"));
    EXPECT_TRUE(h.isModified());
    EXPECT_FALSE(h.canRedo());
    // Typed back as it was: nothing is unsaved.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    EXPECT_FALSE(h.isModified());
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("20"));

    // A save marks it clean; opening another reading empties the history.
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    desk.fileNames.push_back(dir + QStringLiteral("/a.orvd"));
    ASSERT_TRUE(Save_State(r));
    EXPECT_FALSE(h.isModified());
    EXPECT_TRUE(h.canUndo());
    click(0.2f, 0.7f);
    ASSERT_EQ(Load_State(r, dir + QStringLiteral("/a.orvd")), LoadResult::Loaded);
    EXPECT_FALSE(h.isModified());
    EXPECT_FALSE(h.canUndo());
    EXPECT_FALSE(h.canRedo());
}

// Typing in a calibration box changes the reading at once and becomes a step
// when committed; commits of one box in a row are one step; typing left
// uncommitted is committed before anything else is recorded, undone or saved.
TEST_F(History_, TypedCalibrationBecomesAStepWhenCommitted)
{
    click(0.4f, 0.4f);
    h.setClean();
    const std::string start = dump(r);
    const int steps = h.count();
    auto type = [&](CalibPanel::ValBox b, const char *text) { r.panel.setVal(b, QString::fromLatin1(text)); };

    type(CalibPanel::RUX_VLText, "2");
    type(CalibPanel::RUX_VLText, "20");
    EXPECT_EQ(h.count(), steps); // not yet a step
    EXPECT_TRUE(h.isModified());
    EXPECT_TRUE(h.canUndo());
    EXPECT_EQ(h.undoText(), History::kindText(History::AxisValue));
    h.commitValue(CalibPanel::RUX_VLText);
    h.commitValue(CalibPanel::RUX_VLText); // nothing new: nothing more
    EXPECT_EQ(h.count(), steps + 1);
    type(CalibPanel::RUX_VLText, "200");
    h.commitValue(CalibPanel::RUX_VLText);
    EXPECT_EQ(h.count(), steps + 1); // the same box again: merged
    type(CalibPanel::RUY_VLText, "7");
    h.commitValue(CalibPanel::RUY_VLText);
    type(CalibPanel::RUX_VLText, "5");
    h.commitValue(CalibPanel::RUX_VLText);
    EXPECT_EQ(h.count(), steps + 3); // another box between: three steps
    r.panel.setPos(CalibPanel::LLX_Text, QStringLiteral("0.12"));
    h.commitPosition(CalibPanel::LLX_Text);
    EXPECT_EQ(h.undoText(), History::kindText(History::FramePosition));
    ASSERT_TRUE(h.undo());
    ASSERT_TRUE(h.undo());
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(r.panel.val(CalibPanel::RUX_VLText), QStringLiteral("200"));
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(dump(r), start);
    EXPECT_FALSE(h.isModified());

    // Left uncommitted, then a point added: two steps, the typing first.
    type(CalibPanel::RUY_VLText, "1000");
    const std::string typed = dump(r);
    click(0.6f, 0.6f);
    EXPECT_EQ(h.count(), steps + 2);
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(dump(r), typed);
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(dump(r), start);

    // Undo with typing pending takes the typing back; redo brings it again.
    type(CalibPanel::LLY_VLText, "-3");
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(dump(r), start);
    EXPECT_FALSE(h.isModified());
    ASSERT_TRUE(h.redo());
    EXPECT_EQ(r.panel.val(CalibPanel::LLY_VLText), QStringLiteral("-3"));

    // Saved while typing: the typing is the saved state's last step.
    type(CalibPanel::LLY_VLText, "-4");
    h.setClean();
    EXPECT_FALSE(h.isModified());
    ASSERT_TRUE(h.undo());
    EXPECT_EQ(r.panel.val(CalibPanel::LLY_VLText), QStringLiteral("-3"));
    EXPECT_TRUE(h.isModified());
    EXPECT_EQ(h.mismatches(), 0);
}

TEST_F(History_, AHistoryThatNoLongerMatchesItsReadingIsDroppedNotApplied)
{
    click(0.4f, 0.4f);
    click(0.5f, 0.5f);
    // Changed behind the history's back.
    r.Pt_Array[1] = QStringLiteral("TRUE,1,0.25,0.25,0");
    const std::string tampered = dump(r);
    EXPECT_FALSE(h.undo());
    EXPECT_EQ(h.mismatches(), 1);
    EXPECT_EQ(dump(r), tampered); // nothing written
    EXPECT_FALSE(h.canUndo());
    EXPECT_TRUE(h.isModified()); // still to be saved

    // Off (a release build), the same undo writes what it remembers.
    click(0.6f, 0.6f);
    r.Pt_Array[1] = QStringLiteral("TRUE,1,0.3,0.3,0");
    h.setVerify(false);
    EXPECT_TRUE(h.undo());
    EXPECT_EQ(h.mismatches(), 1);
}

TEST_F(History_, OnlyWhatAStepChangedIsKept)
{
    for (int i = 0; i < 200; ++i)
        click(0.15f + 0.0035f * float(i), 0.2f + 0.003f * float(i));
    const size_t adds = h.approxBytes();
    // Moving the first of 200 rows keeps that row, not the 199 below it.
    graph.pickMouseDown(1);
    graph.dragDrop(0.5f, 0.5f);
    EXPECT_LT(h.approxBytes() - adds, 2000u);
    EXPECT_LT(adds / 200, 2000u);
}

TEST_F(History_, ARandomSessionUndoneAndRedoneGivesTheSameFiles)
{
    std::mt19937 rng(20261208);
    auto uni = [&](float a, float b) { return std::uniform_real_distribution<float>(a, b)(rng); };
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto someId = [&]() {
        std::vector<int> ids;
        for (int id = 1; id <= Reading::kMaxId; ++id)
            if (r.graph.hasPick(id))
                ids.push_back(id);
        return ids.empty() ? 0 : ids[size_t(pick(int(ids.size())))];
    };
    auto someTable = [&]() {
        std::vector<int> ss;
        for (int s = 1; s <= 4; ++s)
            if (r.grid(s).loaded() && !r.grid(s).isEmpty())
                ss.push_back(s);
        return ss.empty() ? 0 : ss[size_t(pick(int(ss.size())))];
    };
    const int arrows[4] = {Graph_Form::KeyLeft, Graph_Form::KeyUp, Graph_Form::KeyRight, Graph_Form::KeyDown};

    // The session starts from a reading file this program wrote, opened.
    QTemporaryDir tmp;
    auto fileOf = [&](const QString &name) {
        QFile f(tmp.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    click(0.3f, 0.3f);
    desk.fileNames.push_back(tmp.filePath(QStringLiteral("opened.orvd")));
    ASSERT_TRUE(Save_State(r));
    const QByteArray opened = fileOf(QStringLiteral("opened.orvd"));
    ASSERT_EQ(Load_State(r, tmp.filePath(QStringLiteral("opened.orvd"))), LoadResult::Loaded);
    EXPECT_FALSE(h.canUndo());
    const QByteArray fileBefore = stateFileBytes(r);
    ASSERT_EQ(fileBefore, opened);
    const std::string before = dump(r);
    const char *values[] = {"0", "1", "10", "2.5", "-3", "1e3", "0.01", "100"};
    for (int op = 0; op < 2000; ++op) {
        const int kind = pick(110);
        if (kind >= 100) {
            // The calibration: typed values and positions, committed or left
            // in the box (the next step commits them), and the axis kinds.
            if (kind < 104) {
                const auto box = CalibPanel::ValBox(pick(CalibPanel::ValBoxCount));
                r.panel.setVal(box, QString::fromLatin1(values[pick(8)]));
                if (pick(3))
                    h.commitValue(box);
            } else if (kind < 107) {
                const auto box = CalibPanel::PosBox(pick(CalibPanel::PosBoxCount));
                const bool low = box == CalibPanel::LLX_Text || box == CalibPanel::LLY_Text ||
                                 box == CalibPanel::LUX_Text || box == CalibPanel::RLY_Text;
                r.panel.setPos(box, QString::number(low ? uni(0.05f, 0.2f) : uni(0.8f, 0.95f)));
                if (pick(3))
                    h.commitPosition(box);
            } else {
                switch (pick(4)) {
                case 0: main.X_Log_Option_Click(); break;
                case 1: main.X_Lnr_Option_Click(); break;
                case 2: main.Y_Log_Option_Click(); break;
                default: main.Y_Lnr_Option_Click(); break;
                }
            }
            continue;
        }
        if (kind < 30) {
            series(1 + pick(4));
            click(uni(0.12f, 0.88f), uni(0.12f, 0.88f));
        } else if (kind < 42) {
            if (int id = someId()) {
                graph.pickMouseDown(id);
                graph.dragDrop(uni(0.12f, 0.88f), uni(0.12f, 0.88f));
            }
        } else if (kind < 52) {
            if (int id = someId()) {
                graph.pickMouseDown(id);
                for (int k = 1 + pick(4); k > 0; --k)
                    graph.keyUp(arrows[pick(4)], pick(2) ? Graph_Form::NoModifier : Graph_Form::Shift);
            }
        } else if (kind < 58) {
            if (int id = someId()) {
                graph.pickMouseDown(id);
                graph.keyDown(Graph_Form::KeyDelete, 0);
            }
        } else if (kind < 64) {
            if (int s = someTable()) {
                r.grid(s).setCurrent(1 + pick(r.grid(s).rowCount() - 1), 1);
                grid(s).deleteSelectedRow();
            }
        } else if (kind < 66) {
            if (int s = someTable())
                grid(s).deleteAll();
        } else if (kind < 74) {
            if (int s = someTable()) {
                grid(s).gridClick(1 + pick(r.grid(s).rowCount() - 1), SeriesTable::ColZ);
                grid(s).editorTextChanged(QString::number(pick(1000)) + QStringLiteral(".5"));
                grid(s).editorEnter();
            }
        } else if (kind < 79) {
            if (int s = someTable()) {
                r.settings.xFormat.setIndex(pick(5));
                grid(s).reread();
            }
        } else if (kind < 84) {
            if (int s = someTable()) {
                DataDisposalForm d(r);
                const QString name = QStringLiteral("系列%1").arg(s);
                d.setSeriesItems({name}, name);
                d.setSortKeyIndex(pick(3));
                d.setSortAscending(pick(2));
                d.Sort_Grid();
            }
        } else if (kind < 90) {
            const int c = pick(2) ? LL : RU;
            graph.dfntMouseDown(c);
            if (pick(2))
                graph.dragDrop(c == LL ? uni(0.05f, 0.2f) : uni(0.8f, 0.95f), c == LL ? uni(0.05f, 0.2f) : uni(0.8f, 0.95f));
            else
                graph.keyUp(arrows[pick(4)], Graph_Form::NoModifier);
        } else if (kind < 93) {
            main.selectModeTab(1 + pick(3)); // diagonal, four corners, projective
        } else if (kind < 95) {
            if (int s = someTable())
                grid(s).queryUnload();
        } else {
            graph.mouseUp(Graph_Form::RightButton, 0.5f, 0.5f);
        }
    }
    const QByteArray fileAfter = stateFileBytes(r);
    const std::string after = dump(r);
    ASSERT_NE(fileBefore, fileAfter);
    const int steps = h.count();
    EXPECT_GT(steps, 1000);

    while (h.canUndo())
        ASSERT_TRUE(h.undo()) << h.index();
    EXPECT_EQ(dump(r), before);
    EXPECT_FALSE(h.isModified());
    // Saved now, the file is the one opened, byte for byte.
    desk.fileNames.push_back(tmp.filePath(QStringLiteral("undone.orvd")));
    ASSERT_TRUE(Save_State(r));
    EXPECT_EQ(fileOf(QStringLiteral("undone.orvd")), opened);
    while (h.canRedo())
        ASSERT_TRUE(h.redo()) << h.index();
    EXPECT_EQ(dump(r), after);
    desk.fileNames.push_back(tmp.filePath(QStringLiteral("redone.orvd")));
    ASSERT_TRUE(Save_State(r));
    EXPECT_EQ(fileOf(QStringLiteral("redone.orvd")), fileAfter);
    EXPECT_EQ(h.mismatches(), 0);
}
