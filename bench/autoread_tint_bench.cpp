// The automatic reading's live tint on a 6000 x 4000 photo: made for the part
// in view at the view's scale (the whole picture in a 1000 x 667 view, and a
// 1000 x 700 part at 100 %), against a full-size tint of the whole picture.
#include "autoread/methods.h"
#include "autoread/view_tint.h"
#include "model/frame_map.h"
#include "tests/autoread/chart_fixture.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace orv;
using namespace orv::autoread;

namespace {

struct Photo {
    chart::Chart c = chart::standardChart();
    QImage img;
    CalibPanel panel;
    FrameSpec frame;
    Photo()
    {
        c.size = QSize(6000, 4000);
        c.plot = QRectF(600, 300, 5000, 3300);
        for (auto &curve : c.curves)
            curve.width *= 4;
        img = c.draw();
        c.setFrame(panel);
        frame = *readFrame(panel);
    }
};

Photo &photo()
{
    static Photo p;
    return p;
}

void tint(benchmark::State &state, QRectF source, QSize size)
{
    Photo &p = photo();
    const ReadArea area(p.frame, p.img.size(), 3);
    int tol = 15;
    qint64 bytes = 0;
    for (auto _ : state) {
        tol = tol == 15 ? 16 : 15; // a slider move: a fresh matcher
        QImage t = viewTint(p.img, area, {}, ColourMatcher(qRgb(220, 30, 30), tol), source, size, qRgba(0, 200, 255, 150));
        bytes = t.sizeInBytes();
        benchmark::DoNotOptimize(t);
    }
    state.counters["tint_MB"] = double(bytes) / 1e6;
}

void BM_TintWholePhotoInView(benchmark::State &state) { tint(state, QRectF(0, 0, 6000, 4000), QSize(1000, 667)); }
BENCHMARK(BM_TintWholePhotoInView)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TintPartAt100Percent(benchmark::State &state) { tint(state, QRectF(2500, 1500, 1000, 700), QSize(1000, 700)); }
BENCHMARK(BM_TintPartAt100Percent)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a full-size tint of the same photo costs.
void BM_TintFullSize(benchmark::State &state)
{
    Photo &p = photo();
    const ReadArea area(p.frame, p.img.size(), 3);
    int tol = 15;
    qint64 bytes = 0;
    for (auto _ : state) {
        tol = tol == 15 ? 16 : 15;
        QImage t = matchTint(p.img, area, ColourMatcher(qRgb(220, 30, 30), tol), qRgba(0, 200, 255, 150));
        bytes = t.sizeInBytes();
        benchmark::DoNotOptimize(t);
    }
    state.counters["tint_MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_TintFullSize)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
