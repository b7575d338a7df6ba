// The automatic reading's speed goals: X steps (200 points) and markers inside
// a full frame on a 6000 x 4000 picture (the picture's colours grouped, the
// tolerance automatic, as by default), and the re-tint after a slider move
// on a 1000 x 750 picture.
#include "autoread/methods.h"
#include "model/frame_map.h"
#include "tests/autoread/chart_fixture.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace orv;
using namespace orv::autoread;

namespace {

struct Big {
    chart::Chart c = chart::standardChart();
    QImage img;
    CalibPanel panel;
    ReadJob job;
    explicit Big(QSize size)
    {
        const double s = size.width() / 800.0;
        c.size = size;
        c.plot = QRectF(80 * s, 40 * s * size.height() / 600.0 * 800.0 / size.width(), 680 * s,
                        size.height() - 100 * s * size.height() / 600.0 * 800.0 / size.width());
        for (auto &curve : c.curves)
            curve.width *= s / 2;
        for (auto &m : c.markers)
            m.radius *= s / 2;
        img = c.draw();
        c.setFrame(panel);
        job.picture = img;
        job.frame = *readFrame(panel);
        job.map = &frameMap(panel);
        job.panel = &panel;
        job.autoTolerance = true; // the default: the picture's colours grouped first
    }
};

Big &big()
{
    static Big b(QSize(6000, 4000));
    return b;
}

void BM_XSteps200On6000x4000(benchmark::State &state)
{
    Big &b = big();
    b.job.method = Method::XSteps;
    b.job.steps.points = 200;
    b.job.colour = qRgb(220, 30, 30);
    size_t found = 0;
    for (auto _ : state) {
        auto r = runRead(b.job);
        found = r ? r->points.size() : 0;
    }
    state.counters["found"] = double(found);
    if (found < 150)
        state.SkipWithError("the curve was not read");
}
BENCHMARK(BM_XSteps200On6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MarkersOn6000x4000(benchmark::State &state)
{
    Big &b = big();
    b.job.method = Method::Markers;
    b.job.colour = qRgb(240, 140, 0);
    size_t found = 0;
    for (auto _ : state) {
        auto r = runRead(b.job);
        found = r ? r->points.size() : 0;
    }
    state.counters["found"] = double(found);
    if (found != 8)
        state.SkipWithError("not every marker was found");
}
BENCHMARK(BM_MarkersOn6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RetintOn1000x750(benchmark::State &state)
{
    static Big b(QSize(1000, 750));
    const ReadArea area(b.job.frame, b.img.size(), 3);
    int tol = 10;
    for (auto _ : state) {
        // A slider move: a new tolerance, a fresh matcher (its cache empty).
        tol = tol == 10 ? 11 : 10;
        QImage t = matchTint(b.img, area, ColourMatcher(qRgb(220, 30, 30), tol), qRgba(0, 200, 255, 150));
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_RetintOn1000x750)->Unit(benchmark::kMillisecond)->UseRealTime();

// A photograph-like picture: JPEG noise gives nearly every pixel its own
// colour, so the matcher's cache helps little.
void BM_RetintOnJpeg1000x750(benchmark::State &state)
{
    static Big b(QSize(1000, 750));
    static const QImage noisy = chart::Chart::jpeg(b.img, 75);
    const ReadArea area(b.job.frame, noisy.size(), 3);
    int tol = 10;
    for (auto _ : state) {
        tol = tol == 10 ? 11 : 10;
        QImage t = matchTint(noisy, area, ColourMatcher(qRgb(220, 30, 30), tol), qRgba(0, 200, 255, 150));
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_RetintOnJpeg1000x750)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MarkersOnJpeg6000x4000(benchmark::State &state)
{
    Big &b = big();
    ReadJob job = b.job;
    static const QImage noisy = chart::Chart::jpeg(b.img, 75);
    job.picture = noisy;
    job.method = Method::Markers;
    job.colour = qRgb(240, 140, 0);
    size_t found = 0;
    for (auto _ : state) {
        auto r = runRead(job);
        found = r ? r->points.size() : 0;
    }
    state.counters["found"] = double(found);
}
BENCHMARK(BM_MarkersOnJpeg6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

// X steps on a compressed picture: nearly every pixel its own colour, so the
// per-colour tables help least.
void BM_XSteps200OnJpeg6000x4000(benchmark::State &state)
{
    Big &b = big();
    ReadJob job = b.job;
    static const QImage noisy = chart::Chart::jpeg(b.img, 40);
    job.picture = noisy;
    job.method = Method::XSteps;
    job.steps.points = 200;
    job.colour = qRgb(220, 30, 30);
    size_t found = 0;
    for (auto _ : state) {
        auto r = runRead(job);
        found = r ? r->points.size() : 0;
    }
    state.counters["found"] = double(found);
    if (found < 150)
        state.SkipWithError("the curve was not read");
}
BENCHMARK(BM_XSteps200OnJpeg6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
