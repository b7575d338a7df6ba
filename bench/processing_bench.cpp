// Costs of the fit and of computing the curve plot.
#include "model/numtext.h"
#include "processing/apprx_plot.h"
#include "processing/fit.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace orv;

namespace {

// 1000 rows as the table holds them (display texts) through the fit protocol,
// degree 6: goal under 1 ms.
void BM_FitDegree6Of1000Rows(benchmark::State &state)
{
    FitRequest req;
    req.kindName = fitKindName(FitKind::Poly);
    req.degree = 6;
    for (int i = 0; i < 1000; ++i) {
        const double x = 0.01 * i;
        const double y = 1 + 0.5 * x - 0.2 * x * x + 0.01 * std::pow(x, 5) + 0.1 * std::sin(37.0 * i);
        req.xTexts << formatPattern(x, QStringView(autoPattern(x)));
        req.yTexts << formatPattern(y, QStringView(autoPattern(y)));
    }
    NativeFitter fitter;
    for (auto _ : state) {
        auto r = fitter.fit(req);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_FitDegree6Of1000Rows)->Unit(benchmark::kMicrosecond);

// The numeric fit alone (no text reading).
void BM_FitCurveDegree6(benchmark::State &state)
{
    std::vector<double> x(1000), y(1000);
    for (int i = 0; i < 1000; ++i) {
        x[size_t(i)] = 0.01 * i;
        y[size_t(i)] = 1 + 0.5 * x[size_t(i)] - 0.2 * x[size_t(i)] * x[size_t(i)] + 0.1 * std::sin(37.0 * i);
    }
    for (auto _ : state) {
        auto r = fitCurve(FitKind::Poly, 6, std::nullopt, x, y);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_FitCurveDegree6)->Unit(benchmark::kMicrosecond);

// The curve of a degree-6 polynomial across the frame (500 steps, each
// through the equation text and the evaluator): goal under 20 ms.
void BM_PlotCurveDegree6(benchmark::State &state)
{
    const QString eq = QStringLiteral("y=1.2345678901234E-05x6-0.00123456789012345x5+0.0234567890123456x4-"
                                      "0.345678901234567x3+1.23456789012345x2-2.34567890123456x+3.45678901234567");
    const QString kind = fitKindName(FitKind::Poly);
    for (auto _ : state) {
        auto frame = plotFrame(-3, 10, 0, 110);
        auto c = sampleCurve(eq, kind, -3, 10);
        benchmark::DoNotOptimize(frame);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_PlotCurveDegree6)->Unit(benchmark::kMillisecond);

// The same with a logarithmic curve over a frame from 0 (the x = 0.00001 rule).
void BM_PlotCurveLog(benchmark::State &state)
{
    const QString eq = QStringLiteral("y=12.3456789012345Ln(x)+3.45678901234567");
    const QString kind = fitKindName(FitKind::Log);
    for (auto _ : state) {
        auto c = sampleCurve(eq, kind, 0, 10);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(BM_PlotCurveLog)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
