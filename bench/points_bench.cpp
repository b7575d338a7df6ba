// Adding points one by one and re-reading a full table, with the table and
// graph windows open (offscreen), as the user experiences it.
#include "graphwin/graph_form_widget.h"
#include "table/grid_form_widget.h"

#include <QApplication>
#include <QMdiArea>
#include <benchmark/benchmark.h>

using namespace orv;

namespace {

struct Session {
    ScriptedDesktop desk;
    Reading r{&desk};
    QMdiArea mdi;
    GraphWindowHost graphs{r, &mdi};
    GridWindowsHost grids{r, &mdi};
    Session()
    {
        r.Init_App();
        const char *v[8] = {"0.1", "0.12", "0.11", "0.9", "0.92", "0.91", "0.9", "0.1"};
        for (int i = 0; i < 8; ++i)
            r.panel.setPos(CalibPanel::PosBox(i), QString::fromLatin1(v[i]));
        r.setDfntDone(true);
        QImage pic(1600, 1200, QImage::Format_RGB32);
        pic.fill(Qt::white);
        r.showPicture(pic, QStringLiteral("chart.png"));
        mdi.resize(1400, 1000);
        mdi.show();
        QApplication::processEvents();
    }
};

void BM_Add250PointsByClick(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto s = std::make_unique<Session>();
        Graph_Form &g = s->graphs.widget()->form();
        state.ResumeTiming();
        for (int i = 0; i < 250; ++i)
            g.mouseUp(Graph_Form::LeftButton, 0.1f + 0.003f * float(i), 0.2f + 0.002f * float(i));
        QApplication::processEvents(); // the repaints the clicks queued
        state.PauseTiming();
        if (s->r.graph.pickCount() != 250)
            state.SkipWithError("not all points were added");
        s.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Add250PointsByClick)->Unit(benchmark::kMillisecond);

void BM_Reread250Rows(benchmark::State &state)
{
    Session s;
    Graph_Form &g = s.graphs.widget()->form();
    for (int i = 0; i < 250; ++i)
        g.mouseUp(Graph_Form::LeftButton, 0.1f + 0.003f * float(i), 0.2f + 0.002f * float(i));
    QApplication::processEvents();
    GridFormWidget *w = s.grids.widget(1);
    for (auto _ : state) {
        s.r.panel.setVal(CalibPanel::RUX_VLText, state.iterations() % 2 ? QStringLiteral("10") : QStringLiteral("20"));
        w->form().reread();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_Reread250Rows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
