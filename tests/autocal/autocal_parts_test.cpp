// The parts of the automatic calibration that need no OCR: reading a
// label's text as a number, the axis fit and its choice of linear or log,
// the corner value texts and the frame mode.

#include "autocal/axis_fit.h"
#include "autocal/calibrate.h"
#include "autocal/labels.h"
#include "model/numtext.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace orv;
using namespace orv::autocal;

TEST(AutoCalibrateParts, LabelTextsReadAsNumbersOrNotAtAll)
{
    const struct {
        const char *base, *exponent;
        std::optional<double> value;
    } cases[] = {
        {"42", "", 42},
        {"-3.5", "", -3.5},
        {"\u22123.5", "", -3.5},  // minus sign
        {"\u20130.25", "", -0.25}, // en dash
        {"+7", "", 7},
        {".5", "", 0.5},
        {"1e-3", "", 1e-3},
        {"1E+03", "", 1e3},
        {"1.5\u00d710^4", "", 1.5e4},
        {"10^-2", "", 1e-2},
        {"10", "3", 1e3},
        {"10", "\u22122", 1e-2},
        {"2x10", "5", 2e5},
        {"1,000", "", 1000},
        {"0,5", "", 0.5},
        {"12", "3", std::nullopt}, // a raised part on something not a power of ten
        {"abc", "", std::nullopt},
        {"1.2.3", "", std::nullopt},
        {"", "", std::nullopt},
        {"--5", "", std::nullopt},
        {"10", "x", std::nullopt},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.base);
        const auto v = parseLabel(QString::fromUtf8(k.base), QString::fromUtf8(k.exponent));
        ASSERT_EQ(v.has_value(), k.value.has_value());
        if (v) {
            EXPECT_DOUBLE_EQ(*v, *k.value);
        }
    }
}

TEST(AutoCalibrateParts, AxisFitLeavesOutMisreadLabelsAndChoosesLogOnlyOnEvidence)
{
    const double edge = 800;
    const struct {
        const char *name;
        std::vector<double> fraction, value, ticks;
        bool found, sure, log;
        std::vector<bool> used;
    } cases[] = {
        {"linear, one misread", {0.1, 0.3, 0.5, 0.7, 0.9}, {1, 3, 8, 7, 9}, {}, true, true, false, {1, 1, 0, 1, 1}},
        {"log decades", {0, 0.25, 0.5, 0.75}, {1, 10, 100, 1000}, {}, true, true, true, {1, 1, 1, 1}},
        {"geometric 1 2 4 8", {0.1, 0.4, 0.7, 1.0}, {1, 2, 4, 8}, {}, true, true, true, {1, 1, 1, 1}},
        {"two labels: found, unsure, linear", {0.2, 0.8}, {10, 100}, {}, true, false, false, {1, 1}},
        {"two powers of ten with log minor ticks", {0.2, 0.8}, {10, 100},
         {0.2, 0.2 + 0.6 * std::log10(2.0), 0.2 + 0.6 * std::log10(3.0), 0.2 + 0.6 * std::log10(4.0),
          0.2 + 0.6 * std::log10(5.0), 0.2 + 0.6 * std::log10(6.0), 0.2 + 0.6 * std::log10(7.0),
          0.2 + 0.6 * std::log10(8.0), 0.2 + 0.6 * std::log10(9.0), 0.8},
         true, false, true, {1, 1}},
        {"one label", {0.5}, {3}, {}, false, false, false, {0}},
        {"two labels on one tick", {0.5, 0.5}, {3, 4}, {}, false, false, false, {0, 0}},
        {"three agree roughly", {0.1, 0.5, 0.9}, {1, 5.0 + 1.0 / edge * 10, 9}, {}, true, false, false, {1, 1, 1}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.name);
        const AxisFit f = fitAxis(k.fraction, k.value, edge, k.ticks);
        EXPECT_EQ(f.found, k.found);
        EXPECT_EQ(f.sure, k.sure);
        EXPECT_EQ(f.log, k.log);
        ASSERT_EQ(f.used.size(), k.used.size());
        for (size_t i = 0; i < k.used.size(); ++i)
            EXPECT_EQ(f.used[i], k.used[i]) << i;
    }
    // The misread label is reported at its distance from the fit.
    const AxisFit f = fitAxis({0.1, 0.3, 0.5, 0.7, 0.9}, {1, 3, 8, 7, 9}, edge, {});
    EXPECT_NEAR(f.v0, 0, 1e-9);
    EXPECT_NEAR(f.v1, 10, 1e-9);
    EXPECT_NEAR(f.residualPx[2], 3.0 / 10 * edge, 1e-6);
}

TEST(AutoCalibrateParts, CornerTextsAreTheShortestThatReadBack)
{
    const struct {
        double target, tolerance;
        bool log;
        const char *text;
    } cases[] = {
        {0, 1e-4, false, "0"},
        {-0.37123456, 1e-4, false, "-0.3712"},
        {99.99999, 1e-3, false, "100"},
        {1.5e-7, 1e-10, false, "1.5e-07"},
        {2.0, 1e-3, true, "100"},      // log10 100
        {-3.0, 1e-3, true, "0.001"},
        {-5.0, 1e-4, true, "1e-05"},
        {12345678.9, 0.5, false, "12345679"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.text);
        const QString t = shortestText(k.target, k.tolerance, k.log);
        EXPECT_EQ(t, QString::fromLatin1(k.text));
        const double back = *readStrict(t);
        EXPECT_LE(std::abs((k.log ? std::log10(back) : back) - k.target), k.tolerance);
    }
}

TEST(AutoCalibrateParts, FrameModeByQuarterPixelRules)
{
    using C = std::array<QPointF, 4>; // LL, LU, RU, RL
    EXPECT_EQ(frameTab(C{QPointF(10, 500), QPointF(10.2, 20), QPointF(900, 20.1), QPointF(900, 500)}), 1);
    EXPECT_EQ(frameTab(C{QPointF(10, 500), QPointF(10.4, 20), QPointF(900.4, 20), QPointF(900, 500)}), 2);
    // Turned: a parallelogram.
    EXPECT_EQ(frameTab(C{QPointF(10, 500), QPointF(30, 20), QPointF(920, 60), QPointF(900, 540)}), 2);
    // Keystoned.
    EXPECT_EQ(frameTab(C{QPointF(10, 500), QPointF(30, 20), QPointF(900, 40), QPointF(920, 540)}), 3);
}
