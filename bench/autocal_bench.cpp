// The automatic calibration's speed goals: a 1000 x 700 chart in under a
// second, a 6000 x 4000 photo (turned, grey, noisy, JPEG) in under three,
// with Tesseract reading the labels; and one small label read by Tesseract.
// OMP_THREAD_LIMIT is set for the run as the program sets it; start the
// benchmark with OMP_THREAD_LIMIT=64 to see the library's own threads.
#include "autocal/calibrate.h"
#include "tests/autocal/chart_maker.h"

#include <QBuffer>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

using namespace orv::autocal;

namespace {

OcrEngine &engine()
{
    static std::unique_ptr<OcrEngine> e = tesseractEngine(nullptr);
    return *e;
}

QImage viaJpeg(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPEG", 88);
    return QImage::fromData(bytes, "JPEG");
}

chartmaker::ChartPlan chart(QSize size, int pointSize)
{
    chartmaker::ChartPlan s;
    const double k = size.width() / 1000.0;
    s.size = size;
    s.frame = QRectF(110 * k, 60 * k, size.width() - 180 * k, size.height() - 160 * k);
    s.pointSize = pointSize;
    s.grid = true;
    s.x.lo = 0;
    s.x.hi = 100;
    s.y.lo = 0;
    s.y.hi = 50;
    for (int v = 0; v <= 100; v += 10)
        s.x.ticks.push_back(v);
    for (int v = 0; v <= 50; v += 10)
        s.y.ticks.push_back(v);
    return s;
}

void run(benchmark::State &state, const QImage &img)
{
    int used = 0;
    for (auto _ : state) {
        auto cal = calibrate(img, engine());
        if (!cal || !cal->complete()) {
            state.SkipWithError("not calibrated");
            return;
        }
        used = cal->x.used + cal->y.used;
    }
    state.counters["labels"] = used;
}

void BM_Calibrate1000x700(benchmark::State &state)
{
    static const QImage img = chartmaker::draw(chart(QSize(1000, 700), 10)).image;
    run(state, img);
}
BENCHMARK(BM_Calibrate1000x700)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_CalibratePhoto6000x4000(benchmark::State &state)
{
    static const QImage img = [] {
        chartmaker::ChartPlan s = chart(QSize(6000, 4000), 48);
        s.rotateDeg = 1.5;
        s.grey = true;
        return viaJpeg(chartmaker::draw(s).image);
    }();
    run(state, img);
}
BENCHMARK(BM_CalibratePhoto6000x4000)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_OcrOneLabel(benchmark::State &state)
{
    static const QImage label = [] {
        QImage img(40, 16, QImage::Format_Grayscale8);
        img.fill(255);
        QPainter p(&img);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(12);
        p.setFont(f);
        p.drawText(QRectF(0, 0, 40, 16), Qt::AlignCenter, QStringLiteral("-2.5"));
        return img;
    }();
    for (auto _ : state)
        benchmark::DoNotOptimize(engine().read(label, QRectF(0, 0, 40, 16), false));
}
BENCHMARK(BM_OcrOneLabel)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    limitOcrThreads(argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
