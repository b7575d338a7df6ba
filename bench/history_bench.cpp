// The undo history and the recovery copy. Goals: undoing "全削除" of a
// 250-point table and redoing it each under 20 ms; writing the recovery copy
// of a 255-point reading under 5 ms; a 10,000-step history under 20 MB
// (reported as counters: bytes the commands hold, and the growth of the
// process's resident memory).
#include "graphwin/graph_form.h"
#include "mainwin/main_mdi_form.h"
#include "model/reading.h"
#include "model/recovery.h"
#include "statefile/state_file.h"
#include "table/grid_form.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using namespace orv;

namespace {

// A reading with a frame and `points` points of series 1, added by clicks.
struct Session {
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form main{r};
    Graph_Form graph{r};
    Grid_Form grid{r, 1};

    explicit Session(int points)
    {
        main.MDIForm_Load();
        r.showPicture(QImage(800, 600, QImage::Format_RGB32), QStringLiteral("b.png"));
        graph.setPictureSize(800, 600);
        r.Show_GridForm(1);
        graph.mouseUp(Graph_Form::LeftButton, 0.1f, 0.1f);
        graph.mouseUp(Graph_Form::LeftButton, 0.9f, 0.9f);
        for (int i = 0; i < points; ++i)
            graph.mouseUp(Graph_Form::LeftButton, 0.12f + 0.76f * float(i % 25) / 24, 0.12f + 0.76f * float(i / 25) / 10);
    }
};

long residentKb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLong() * 4 : 0; // pages of 4 KiB
}

void BM_UndoDeleteAllOf250Points(benchmark::State &state)
{
    Session s(250);
    if (s.r.grid(1).rowCount() != 251) {
        state.SkipWithError("setup did not add 250 points");
        return;
    }
    s.grid.deleteAll();
    for (auto _ : state) {
        s.r.history().undo();
        state.PauseTiming();
        if (s.r.grid(1).rowCount() != 251 || !s.r.hasPoints())
            state.SkipWithError("undo did not restore the points");
        s.r.history().redo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoDeleteAllOf250Points)->Unit(benchmark::kMillisecond);

void BM_RedoDeleteAllOf250Points(benchmark::State &state)
{
    Session s(250);
    s.grid.deleteAll();
    for (auto _ : state) {
        state.PauseTiming();
        s.r.history().undo();
        state.ResumeTiming();
        s.r.history().redo();
    }
}
BENCHMARK(BM_RedoDeleteAllOf250Points)->Unit(benchmark::kMillisecond);

void BM_RecoveryCopyOf255Points(benchmark::State &state)
{
    Session s(250);
    for (int id = 251; id <= 255; ++id) // the IDs only a loaded file uses
        s.r.Pt_Array[size_t(id)] = QStringLiteral("TRUE,2,0.5,0.5,1");
    QTemporaryDir tmp;
    Recovery rec(s.r, [&s] { return stateFileBytes(s.r); }, tmp.filePath(QStringLiteral("recovery")));
    if (!rec.start()) {
        state.SkipWithError("no recovery folder");
        return;
    }
    if (state.range(0) == 0) {
        // Written and on the disk (the safe writer waits for it).
        for (auto _ : state)
            rec.flush();
    } else {
        // What the program's own thread spends: the text, then the hand-over.
        for (auto _ : state) {
            rec.writeInBackground();
            state.PauseTiming();
            rec.waitForWrites();
            state.ResumeTiming();
        }
    }
    if (QFile(rec.copyPath()).size() < 255 * 20)
        state.SkipWithError("the copy was not written");
}
BENCHMARK(BM_RecoveryCopyOf255Points)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 10,000 steps of a user's kind: adds, drags and nudge runs over a growing
// table, with deletes and Z edits between them.
void BM_HistoryOf10000Steps(benchmark::State &state)
{
    for (auto _ : state) {
        const long before = residentKb();
        Session s(0);
        int steps = 0;
        for (int i = 0; steps < 10000; ++i) {
            const float x = 0.12f + 0.76f * float(i % 97) / 96, y = 0.12f + 0.76f * float(i % 89) / 88;
            const int n = s.r.grid(1).rowCount() - 1;
            if (n < 200 || i % 3 == 0) {
                s.graph.mouseUp(Graph_Form::RightButton, x, y);
                s.graph.mouseUp(Graph_Form::LeftButton, x, y);
            } else if (i % 3 == 1) {
                const int id = int(readPrefix(s.r.grid(1).cell(1 + i % n, SeriesTable::ColId)));
                s.graph.pickMouseDown(id);
                s.graph.dragDrop(x, y);
            } else if (i % 7 == 2) {
                s.r.grid(1).setCurrent(1 + i % n, 1);
                s.grid.deleteSelectedRow();
            } else {
                s.grid.gridClick(1 + i % n, SeriesTable::ColZ);
                s.grid.editorTextChanged(QString::number(i));
                s.grid.editorEnter();
            }
            steps = s.r.history().count();
        }
        state.counters["steps"] = steps;
        state.counters["history_MB"] = double(s.r.history().approxBytes()) / 1e6;
        state.counters["rss_growth_MB"] = double(residentKb() - before) / 1024;
    }
}
BENCHMARK(BM_HistoryOf10000Steps)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
