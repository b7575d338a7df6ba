// PDF pages: opening a page at the default resolution, and the zoom view's
// sharp region at factor 20 (goal: within 30 ms of the pointer stopping).
// The page is a typical paper page: an A4 page of text with a chart figure.
// Measured on the two-core build machine (Release): the page at its default
// 257 dpi in about 55 ms (opening the file included about the same), the
// sharp region at factor 20 in about 8 ms, and from the pointer stopping to
// the sharp image about 9 ms.
#include "mainwin/main_mdi_form.h"
#include "model/pdf_source.h"
#include "model/reading.h"
#include "tests/support/pdf_fixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace orv;

namespace {

// The figure sits at (60, 420) points, scaled 1.2: its frame's left line is
// at x = 60 + 50 * 1.2 = 120 points.
constexpr double kFigX = 60, kFigY = 420, kFigScale = 1.2;
constexpr double kPageW = 595, kPageH = 842;

const QString &paperPdf()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("paper.pdf"));
        QPdfWriter writer(p);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        QPainter painter(&writer);
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPointSizeF(9);
        painter.setFont(font);
        const QString words = QStringLiteral("The measured response follows the model within the stated "
                                             "uncertainty over the whole range of the experiment. ");
        for (int line = 0; line < 36; ++line)
            painter.drawText(QPointF(60, 60 + line * 10), words);
        painter.save();
        painter.translate(kFigX, kFigY);
        painter.scale(kFigScale, kFigScale);
        for (int v = 0; v < 4; ++v)
            orv::testing::drawPdfChart(painter, v);
        painter.restore();
        for (int line = 0; line < 10; ++line)
            painter.drawText(QPointF(60, 800 - line * 10), words);
        painter.end();
        return p;
    }();
    return path;
}

void BM_RenderPageDefaultDpi(benchmark::State &state)
{
    auto doc = PdfDocument::open(paperPdf());
    const int dpi = doc->defaultDpi(0);
    for (auto _ : state) {
        auto img = doc->render(0, dpi);
        benchmark::DoNotOptimize(img);
    }
    state.counters["dpi"] = dpi;
}
BENCHMARK(BM_RenderPageDefaultDpi)->Unit(benchmark::kMillisecond);

// Opening the file as the open command does: load, read the page, render.
void BM_OpenPdfPicture(benchmark::State &state)
{
    for (auto _ : state) {
        auto img = decodePicture(paperPdf());
        benchmark::DoNotOptimize(img);
    }
}
BENCHMARK(BM_OpenPdfPicture)->Unit(benchmark::kMillisecond);

// The region the zoom view shows at factor 20 (its design area, 217 x 173
// pixels), on the figure's frame line: the render alone.
void BM_SharpRegionFactor20(benchmark::State &state)
{
    auto doc = PdfDocument::open(paperPdf());
    const double dpi = doc->defaultDpi(0) * 20.0;
    const double k = dpi / 72;
    const QRect region(int((kFigX + 50 * kFigScale) * k) - 108, int((kFigY + 150 * kFigScale) * k) - 86, 217, 173);
    for (auto _ : state) {
        QImage img = doc->renderRegion(0, dpi, dpi, region);
        benchmark::DoNotOptimize(img);
    }
}
BENCHMARK(BM_SharpRegionFactor20)->Unit(benchmark::kMillisecond);

// From the pointer stopping (the view moved) to the sharp image shown: the
// worker thread's hop and the render, as the zoom view does it.
void BM_ZoomPointerStopToSharpFactor20(benchmark::State &state)
{
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form f{r};
    f.MDIForm_Load();
    f.Open_Pic(paperPdf());
    r.settings.zoom.setText(QStringLiteral("20"));
    f.Zoom_Combo_Click();
    const double fx = (kFigX + 50 * kFigScale) / kPageW;
    int i = 0;
    for (auto _ : state) {
        const double fy = 1 - (kFigY + (60 + (i++ % 100) * 1.7) * kFigScale) / kPageH;
        QElapsedTimer t;
        t.start();
        f.zoom.Move_ZoomImage(fx, fy);
        while (!f.zoom.sharpTile())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(t.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_ZoomPointerStopToSharpFactor20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
