#include "model/grid_lines.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace orv;

namespace {

std::vector<double> v(std::initializer_list<double> l) { return l; }

void expectValues(const std::vector<double> &got, const std::vector<double> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_NEAR(got[i], want[i], 1e-12 * std::max(1.0, std::abs(want[i]))) << i;
}

} // namespace

TEST(GridValues, LinearAxesGetRoundOneTwoFiveSteps)
{
    expectValues(linearGridValues(0, 100), v({0, 20, 40, 60, 80, 100}));
    expectValues(linearGridValues(100, 0), v({100, 80, 60, 40, 20, 0})); // decreasing axis
    expectValues(linearGridValues(-3, 7), v({-2, 0, 2, 4, 6}));
    expectValues(linearGridValues(0.013, 0.0871), v({0.02, 0.03, 0.04, 0.05, 0.06, 0.07, 0.08}));
    // Corner values a rounding hair inside a round value keep it.
    expectValues(linearGridValues(1e-13, 10 - 1e-12), v({0, 2, 4, 6, 8, 10}));
    EXPECT_TRUE(linearGridValues(5, 5).empty());
    EXPECT_TRUE(linearGridValues(0, INFINITY).empty());
    EXPECT_TRUE(linearGridValues(NAN, 1).empty());

    // Any range: 1-2-5 steps, at most 10 lines and never fewer than 4.
    for (double lo = -7.3; lo < 7; lo += 0.91)
        for (double range : {0.0013, 0.37, 1.0, 2.6, 9.99, 10.0, 45.0, 123.4, 9.1e5}) {
            const auto g = linearGridValues(lo, lo + range);
            ASSERT_GE(g.size(), 4u) << lo << " " << range;
            ASSERT_LE(g.size(), 10u) << lo << " " << range;
            const double step = g[1] - g[0];
            const double mant = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
            EXPECT_TRUE(std::abs(mant - 1) < 1e-6 || std::abs(mant - 2) < 1e-6 || std::abs(mant - 5) < 1e-6) << step;
            for (double x : g) {
                EXPECT_GE(x, lo - 1e-9 * range);
                EXPECT_LE(x, lo + range + 1e-9 * range);
                EXPECT_NEAR(x / step, std::round(x / step), 1e-6);
            }
        }
}

TEST(GridValues, LogAxesGetDecadesWithTwoAndFiveWhenThereIsRoom)
{
    expectValues(logGridValues(1, 1000), v({1, 2, 5, 10, 20, 50, 100, 200, 500, 1000}));
    expectValues(logGridValues(1000, 1), v({1000, 500, 200, 100, 50, 20, 10, 5, 2, 1}));
    expectValues(logGridValues(0.01, 250), v({0.01, 0.1, 1, 10, 100})); // four and a half decades
    expectValues(logGridValues(1e-10, 1e10),
                 v({1e-10, 1e-8, 1e-6, 1e-4, 1e-2, 1, 1e2, 1e4, 1e6, 1e8, 1e10})); // every other decade
    expectValues(logGridValues(2, 8), v({2, 3, 4, 5, 6, 7, 8}));                       // under a decade
    expectValues(logGridValues(2, 3), v({2, 2.2, 2.4, 2.6, 2.8, 3}));
    EXPECT_TRUE(logGridValues(0, 10).empty());
    EXPECT_TRUE(logGridValues(-1, 10).empty());
}

// Every grid line lies where the mode's conversion reads its value: points
// along an X line convert to that X, along a Y line to that Y, in all three
// modes (the stated ones to their single-precision exactness).
TEST(FrameGrid, LinesLieWhereTheConversionReadsTheirValues)
{
    struct Case {
        int tab;
        const char *pos[8];
        bool xLog, yLog;
        const char *vals[4]; // LLX, LLY, RUX, RUY
    };
    const Case cases[] = {
        {1, {"0.1", "0.12", "0.1", "0.9", "0.85", "0.9", "0.85", "0.12"}, false, true, {"0", "1", "50", "1e4"}},
        {2, {"0.1", "0.1", "0.15", "0.93", "0.88", "0.91", "0.86", "0.11"}, true, false, {"1", "100", "1000", "-20"}},
        {3, {"0.14", "0.1", "0.26", "0.86", "0.78", "0.9", "0.92", "0.06"}, false, false, {"0", "0", "100", "50"}},
        {3, {"0.05", "0.22", "0.1", "0.8", "0.95", "0.97", "0.88", "0.02"}, true, true, {"0.1", "1e3", "1e3", "1"}},
    };
    for (const Case &c : cases) {
        CalibPanel p;
        p.selectTab(c.tab);
        for (int i = 0; i < 8; ++i)
            p.setPos(CalibPanel::PosBox(i), QString::fromLatin1(c.pos[i]));
        p.setVal(CalibPanel::LLX_VLText, QString::fromLatin1(c.vals[0]));
        p.setVal(CalibPanel::LLY_VLText, QString::fromLatin1(c.vals[1]));
        p.setVal(CalibPanel::RUX_VLText, QString::fromLatin1(c.vals[2]));
        p.setVal(CalibPanel::RUY_VLText, QString::fromLatin1(c.vals[3]));
        p.setXLog(c.xLog);
        p.setYLog(c.yLog);
        auto lines = frameGridLines(p);
        ASSERT_TRUE(lines) << c.tab;
        int xs = 0, ys = 0;
        for (const GridLine &g : *lines) {
            (g.xLine ? xs : ys)++;
            const bool log = g.xLine ? c.xLog : c.yLog;
            for (double t : {0.0, 0.3, 0.7, 1.0}) {
                const QPointF at = g.line.pointAt(t);
                double X = 0, Y = 0;
                ASSERT_TRUE(frameMap(p).toValue(p, float(at.x()), float(at.y()), X, Y));
                const double got = g.xLine ? X : Y;
                if (log)
                    EXPECT_NEAR(std::log10(got), std::log10(g.value), 1e-4) << c.tab << " " << g.value << " " << t;
                else
                    EXPECT_NEAR(got, g.value, 1e-4 * std::abs(std::atof(c.vals[g.xLine ? 2 : 3]) -
                                                              std::atof(c.vals[g.xLine ? 0 : 1])))
                        << c.tab << " " << g.value << " " << t;
            }
            EXPECT_FALSE(g.label.isEmpty());
        }
        EXPECT_GE(xs, 4);
        EXPECT_GE(ys, 4);
    }

    // A frame that cannot map has no grid.
    CalibPanel p;
    p.selectTab(3);
    const char *bowtie[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.1", "0.9", "0.9"};
    for (int i = 0; i < 8; ++i)
        p.setPos(CalibPanel::PosBox(i), QString::fromLatin1(bowtie[i]));
    EXPECT_FALSE(frameGridLines(p));
    p.selectTab(2);
    p.setPos(CalibPanel::LLX_Text, QString());
    EXPECT_FALSE(frameGridLines(p));
}

TEST(FrameGrid, LabelsAreTheRoundValues)
{
    CalibPanel p;
    p.selectTab(2);
    const char *pos[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.9", "0.9", "0.1"};
    for (int i = 0; i < 8; ++i)
        p.setPos(CalibPanel::PosBox(i), QString::fromLatin1(pos[i]));
    p.setVal(CalibPanel::LLX_VLText, QStringLiteral("-0.3"));
    p.setVal(CalibPanel::RUX_VLText, QStringLiteral("0.3"));
    auto lines = frameGridLines(p);
    ASSERT_TRUE(lines);
    QStringList xl;
    for (const GridLine &g : *lines)
        if (g.xLine)
            xl << g.label;
    EXPECT_EQ(xl.join(u' ').toStdString(), "-0.3 -0.2 -0.1 0 0.1 0.2 0.3");
    // X labels sit on the lower edge, Y labels on the left edge.
    for (const GridLine &g : *lines)
        EXPECT_NEAR(g.xLine ? g.line.p1().y() : g.line.p1().x(), 0.1, 1e-12);
}
