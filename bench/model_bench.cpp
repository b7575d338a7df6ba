// Conversion and display-format costs on the pointer-move path.
#include "alloc_counter.h"
#include "model/conv_pt.h"
#include "model/frame_map.h"
#include "model/numtext.h"
#include "model/reading.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace orv;

namespace {

void setFrame(CalibPanel &p)
{
    const char *v[8] = {"0.12", "0.08", "0.15", "0.93", "0.88", "0.91", "0.86", "0.11"};
    for (int i = 0; i < 8; ++i)
        p.setPos(CalibPanel::PosBox(i), QString::fromLatin1(v[i]));
    p.setVal(CalibPanel::LLX_VLText, QStringLiteral("1"));
    p.setVal(CalibPanel::LLY_VLText, QStringLiteral("0.01"));
    p.setVal(CalibPanel::RUX_VLText, QStringLiteral("1000"));
    p.setVal(CalibPanel::RUY_VLText, QStringLiteral("250"));
    p.setYLog(true);
}

// The same 1100 passes and mapping on already-parsed doubles: the floor
// that the conversion with its twelve box reads is measured against.
double bareConversion(const double c[8], const double vals[4], float px, float py, double &outY)
{
    double LLx = c[0], LLy = c[1], LUx = c[2], LUy = c[3], RUx = c[4], RUy = c[5], RLx = c[6], RLy = c[7];
    double xLeft = 0, xRight = 0;
    for (int i = 0; i < 100; ++i) {
        double MLx = (LLx + LUx) / 2, MLy = (LLy + LUy) / 2, MRx = (RLx + RUx) / 2, MRy = (RLy + RUy) / 2;
        double s = (MRy - MLy) / (MRx - MLx);
        float yl = float(MLy - s * MLx + s * px);
        if (yl > py)
            LUx = MLx, LUy = MLy, RUx = MRx, RUy = MRy;
        else
            LLx = MLx, LLy = MLy, RLx = MRx, RLy = MRy;
        xLeft = MLx, xRight = MRx;
    }
    LLx = c[0], LLy = c[1], LUx = c[2], LUy = c[3], RUx = c[4], RUy = c[5], RLx = c[6], RLy = c[7];
    double yTop = 0, yBottom = 0;
    for (int i = 0; i < 1000; ++i) {
        double MTx = (RUx + LUx) / 2, MTy = (RUy + LUy) / 2, MBx = (RLx + LLx) / 2, MBy = (RLy + LLy) / 2;
        double k = (MBx - MTx) / (MBy - MTy);
        float xl = float(MTx - k * MTy + k * py);
        if (xl > px)
            RUx = MTx, RUy = MTy, RLx = MBx, RLy = MBy;
        else
            LUx = MTx, LUy = MTy, LLx = MBx, LLy = MBy;
        yTop = MTy, yBottom = MBy;
    }
    double ya = std::log(vals[1]) / std::log(10.0), yb = std::log(vals[3]) / std::log(10.0);
    outY = std::pow(10.0, (py - yBottom) / (yTop - yBottom) * (yb - ya) + ya);
    return (px - xLeft) / (xRight - xLeft) * (vals[2] - vals[0]) + vals[0];
}

void BM_BareLoop1100Passes(benchmark::State &state)
{
    double c[8] = {0.12, 0.08, 0.15, 0.93, 0.88, 0.91, 0.86, 0.11};
    double vals[4] = {1, 0.01, 1000, 250};
    float px = 0.4f, py = 0.6f;
    for (auto _ : state) {
        // Opaque inputs: the compiler must not fold the passes at build time.
        benchmark::DoNotOptimize(c);
        benchmark::DoNotOptimize(vals);
        benchmark::DoNotOptimize(px);
        benchmark::DoNotOptimize(py);
        double y;
        benchmark::DoNotOptimize(bareConversion(c, vals, px, py, y));
        benchmark::DoNotOptimize(y);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BareLoop1100Passes);

void BM_ConvPt(benchmark::State &state)
{
    CalibPanel p;
    setFrame(p);
    double X = 0, Y = 0;
    float px = 0.4f, py = 0.6f;
    const long long before = orvbench::g_allocs.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(px);
        benchmark::DoNotOptimize(py);
        benchmark::DoNotOptimize(convPt(p, px, py, X, Y));
        benchmark::DoNotOptimize(X);
        benchmark::DoNotOptimize(Y);
    }
    state.counters["allocs_per_call"] =
        double(orvbench::g_allocs.load() - before) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
}
BENCHMARK(BM_ConvPt);

// The same frame converted through the projective mode (texts read, the
// homography solved and inverted, the point mapped: all at every call).
void BM_ConvProjective(benchmark::State &state)
{
    CalibPanel p;
    setFrame(p);
    p.selectTab(3);
    const FrameMap &map = frameMap(p);
    double X = 0, Y = 0;
    float px = 0.4f, py = 0.6f;
    const long long before = orvbench::g_allocs.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(px);
        benchmark::DoNotOptimize(py);
        benchmark::DoNotOptimize(map.toValue(p, px, py, X, Y));
        benchmark::DoNotOptimize(X);
        benchmark::DoNotOptimize(Y);
    }
    state.counters["allocs_per_call"] =
        double(orvbench::g_allocs.load() - before) / double(std::max<benchmark::IterationCount>(state.iterations(), 1));
}
BENCHMARK(BM_ConvProjective);

void BM_FormatValAuto(benchmark::State &state)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    double v = 0.0123;
    for (auto _ : state) {
        QString t = r.Format_Val(u"X", v);
        benchmark::DoNotOptimize(t);
        v = v * 1.7 + 0.001;
        if (v > 1e7)
            v = 0.0123;
    }
}
BENCHMARK(BM_FormatValAuto);

void BM_FormatValExponent(benchmark::State &state)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.settings.yFormat.setIndex(11);
    for (auto _ : state) {
        QString t = r.Format_Val(u"Y", 12345.678);
        benchmark::DoNotOptimize(t);
    }
}
BENCHMARK(BM_FormatValExponent);

void BM_PointerReadout(benchmark::State &state)
{
    // Conversion plus the status text, as one pointer move in reading mode.
    ScriptedDesktop desk;
    Reading r(&desk);
    setFrame(r.panel);
    float px = 0.3f;
    for (auto _ : state) {
        (void)r.Conv_Pt(px, 0.5f);
        QString t = QStringLiteral("X=") + r.Format_Val(u"X", r.Conv_X) + QStringLiteral(" , Y=") +
                    r.Format_Val(u"Y", r.Conv_Y);
        benchmark::DoNotOptimize(t);
        px = px < 0.7f ? px + 0.001f : 0.3f;
    }
}
BENCHMARK(BM_PointerReadout);

void BM_PointerReadoutDateAxis(benchmark::State &state)
{
    // The same on a date X axis (one year, AUTO: minutes): the corner dates
    // are parsed and the calendar text built at every move.
    ScriptedDesktop desk;
    Reading r(&desk);
    setFrame(r.panel);
    r.panel.setXKind(AxisKind::Date);
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("2020-01-01"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("2020-12-31 12:00"));
    float px = 0.3f;
    for (auto _ : state) {
        (void)r.Conv_Pt(px, 0.5f);
        QString t = QStringLiteral("X=") + r.Format_Val(u"X", r.Conv_X) + QStringLiteral(" , Y=") +
                    r.Format_Val(u"Y", r.Conv_Y);
        benchmark::DoNotOptimize(t);
        px = px < 0.7f ? px + 0.001f : 0.3f;
    }
}
BENCHMARK(BM_PointerReadoutDateAxis);

} // namespace

BENCHMARK_MAIN();
