// The zoom view on a large photo: repaint cost per pointer move at the
// smallest and largest factors, and the memory a factor change costs (the
// view draws only the visible part, never a magnified copy of the photo).
#include "mainwin/main_mdi_form.h"
#include "mainwin/main_window.h"
#include "model/reading.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <fstream>
#include <unistd.h>

using namespace orv;

namespace {

double residentMB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QImage photo()
{
    static const QImage img = [] {
        QImage p(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < p.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(p.scanLine(y));
            for (int x = 0; x < p.width(); ++x)
                line[x] = qRgb(x & 255, y & 255, (x ^ y) & 255);
        }
        return p;
    }();
    return img;
}

struct Setup {
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form f{r};
    QImage canvas{217, 173, QImage::Format_RGB32};
    explicit Setup(int zoomIndex)
    {
        f.MDIForm_Load();
        r.showPicture(photo(), QStringLiteral("photo.jpg"));
        r.settings.zoom.setIndex(zoomIndex);
    }
    void paintAt(float x, float y)
    {
        r.zoomFollow(x, y);
        QPainter p(&canvas);
        ZoomPictureWidget::paintZoom(p, canvas.size(), f.zoom);
    }
};

void zoomRepaint(benchmark::State &state, int zoomIndex)
{
    Setup s(zoomIndex);
    int i = 0;
    for (auto _ : state) {
        // A pointer sweeping across the photo.
        const float x = float((i * 37) % 1000) / 1000.f, y = float((i * 53) % 1000) / 1000.f;
        s.paintAt(x, y);
        benchmark::DoNotOptimize(s.canvas.constBits());
        ++i;
    }
}

void BM_ZoomRepaint_6000x4000_Factor20(benchmark::State &state) { zoomRepaint(state, 11); }
void BM_ZoomRepaint_6000x4000_Factor1(benchmark::State &state) { zoomRepaint(state, 0); }
BENCHMARK(BM_ZoomRepaint_6000x4000_Factor20)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ZoomRepaint_6000x4000_Factor1)->Unit(benchmark::kMicrosecond);

void BM_ZoomFactorSwitchMemory(benchmark::State &state)
{
    Setup s(0);
    s.paintAt(0.5f, 0.5f);
    const double before = residentMB();
    double growth = 0;
    for (auto _ : state) {
        s.r.settings.zoom.setIndex(11); // "20"
        s.paintAt(0.5f, 0.5f);
        s.paintAt(0.01f, 0.99f);
        growth = std::max(growth, residentMB() - before);
        s.r.settings.zoom.setIndex(0); // "1"
        s.paintAt(0.5f, 0.5f);
    }
    state.counters["rss_growth_MB"] = growth;
    if (growth >= 64)
        state.SkipWithError("switching the zoom factor grew the resident memory by 64 MB or more");
}
BENCHMARK(BM_ZoomFactorSwitchMemory)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
