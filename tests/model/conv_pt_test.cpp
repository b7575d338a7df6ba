#include "model/conv_pt.h"

#include <gtest/gtest.h>
#include <cmath>
#include <vector>

using namespace orv;

namespace {

// Single precision in the comparisons limits the result to about 1e-6 of the range.
constexpr double kTol = 2e-6;

struct Frame {
    CalibPanel p;
    // The four-point mode: every corner as given (the diagonal mode derives two).
    Frame() { p.selectTab(2); }
    void corners(float llx, float lly, float lux, float luy, float rux, float ruy, float rlx, float rly)
    {
        const float v[8] = {llx, lly, lux, luy, rux, ruy, rlx, rly};
        for (int i = 0; i < 8; ++i)
            p.setPos(CalibPanel::PosBox(i), plainNumText(v[i]));
    }
    void values(const char *llx, const char *lly, const char *rux, const char *ruy)
    {
        p.setVal(CalibPanel::LLX_VLText, QString::fromUtf8(llx));
        p.setVal(CalibPanel::LLY_VLText, QString::fromUtf8(lly));
        p.setVal(CalibPanel::RUX_VLText, QString::fromUtf8(rux));
        p.setVal(CalibPanel::RUY_VLText, QString::fromUtf8(ruy));
    }
    double X = -999, Y = -999;
    // The rectangle 0.1..0.9 with values 0..1 on linear axes.
    Frame &rectangle()
    {
        corners(0.1f, 0.1f, 0.1f, 0.9f, 0.9f, 0.9f, 0.9f, 0.1f);
        values("0", "0", "1", "1");
        p.setXLog(false);
        p.setYLog(false);
        X = Y = -999;
        return *this;
    }
    std::expected<void, ConvError> conv(float x, float y) { return convPt(p, x, y, X, Y); }
};


} // namespace

TEST(ConvPt, RectangleLinear)
{
    Frame f;
    f.rectangle();
    ASSERT_TRUE(f.conv(0.5f, 0.5f));
    EXPECT_NEAR(f.X, 0.5, kTol);
    EXPECT_NEAR(f.Y, 0.5, kTol);
    ASSERT_TRUE(f.conv(0.1f, 0.9f));
    EXPECT_NEAR(f.X, 0, kTol);
    EXPECT_NEAR(f.Y, 1, kTol);
    // The rectangle formula, at an arbitrary point and other corner values.
    f.values("-5", "100", "15", "300");
    ASSERT_TRUE(f.conv(0.3f, 0.77f));
    EXPECT_NEAR(f.X, -5 + (0.3f - 0.1f) / (0.9f - 0.1f) * 20.0, 20 * kTol);
    EXPECT_NEAR(f.Y, 100 + (0.77f - 0.1f) / (0.9f - 0.1f) * 200.0, 200 * kTol);
}

TEST(ConvPt, LogarithmicAxes)
{
    Frame f;
    f.rectangle();
    f.values("0", "1", "1", "1000");
    f.p.setYLog(true);
    ASSERT_TRUE(f.conv(0.5f, 0.5f));
    EXPECT_NEAR(f.Y, std::pow(10.0, 1.5), std::pow(10.0, 1.5) * 1e-5);
    ASSERT_TRUE(f.conv(0.5f, 0.1f));
    EXPECT_NEAR(f.Y, 1, 1e-5);
    f.p.setXLog(true);
    f.values("0.01", "1", "100", "1000");
    ASSERT_TRUE(f.conv(0.5f, 0.5f));
    EXPECT_NEAR(f.X, 1, 1e-5); // geometric middle of 0.01 .. 100
}

TEST(ConvPt, ParallelogramAndExtrapolation)
{
    Frame f;
    f.corners(0.1f, 0.1f, 0.1f, 0.8f, 0.9f, 0.9f, 0.9f, 0.2f);
    f.values("0", "0", "10", "10");
    ASSERT_TRUE(f.conv(0.5f, 0.5f));
    EXPECT_NEAR(f.Y, 5, 10 * kTol);
    ASSERT_TRUE(f.conv(0.9f, 0.55f));
    EXPECT_NEAR(f.X, 10, 10 * kTol);
    EXPECT_NEAR(f.Y, 5, 10 * kTol);

    // Above and beside the frame: extrapolated, not clamped.
    Frame r;
    r.rectangle();
    ASSERT_TRUE(r.conv(0.5f, 0.95f));
    EXPECT_GT(r.Y, 1.05);
    EXPECT_NEAR(r.Y, (0.95f - 0.1f) / 0.8f, 1e-5);
    ASSERT_TRUE(r.conv(0.02f, 0.5f));
    EXPECT_LT(r.X, 0);
    EXPECT_NEAR(r.X, (0.02f - 0.1f) / 0.8f, 1e-5);
}

TEST(ConvPt, TrapezoidPhotographedAtAnAngle)
{
    // A frame narrower at the top, as in a photo taken from below: the midpoint of
    // the top edge maps to X = 0.5, Y = 1 and the centre of the bottom edge to Y = 0.
    Frame f;
    f.corners(0.1f, 0.1f, 0.3f, 0.9f, 0.7f, 0.9f, 0.9f, 0.1f);
    f.values("0", "0", "1", "1");
    ASSERT_TRUE(f.conv(0.5f, 0.9f));
    EXPECT_NEAR(f.X, 0.5, kTol);
    EXPECT_NEAR(f.Y, 1, kTol);
    ASSERT_TRUE(f.conv(0.2f, 0.5f)); // midpoint of the left edge
    EXPECT_NEAR(f.X, 0, 1e-5);
    EXPECT_NEAR(f.Y, 0.5, 1e-5);
}

TEST(ConvPt, FailuresAreTypedAndWriteNothingUnlessStated)
{
    Frame f;
    f.rectangle();
    f.p.setPos(CalibPanel::RUX_Text, QString());
    EXPECT_EQ(f.conv(0.5f, 0.5f).error(), ConvError::TypeMismatch);
    EXPECT_EQ(f.X, -999);
    EXPECT_EQ(f.Y, -999);

    f.rectangle();
    f.values("abc", "0", "1", "1");
    EXPECT_EQ(f.conv(0.5f, 0.5f).error(), ConvError::TypeMismatch);

    f.rectangle();
    f.p.setXLog(true);
    EXPECT_EQ(f.conv(0.5f, 0.5f).error(), ConvError::InvalidArgument); // LLX value "0"
    f.values("0.01", "0", "1", "1");
    EXPECT_TRUE(f.conv(0.5f, 0.5f));
    const double lastX = f.X, lastY = f.Y;
    f.values("0.01", "0", "-1", "1");
    EXPECT_EQ(f.conv(0.7f, 0.7f).error(), ConvError::InvalidArgument);
    EXPECT_EQ(f.X, lastX);
    EXPECT_EQ(f.Y, lastY);

    // A degenerate frame: all corners on one vertical line.
    Frame d;
    d.corners(0.5f, 0.1f, 0.5f, 0.9f, 0.5f, 0.9f, 0.5f, 0.1f);
    d.values("0", "0", "1", "1");
    EXPECT_EQ(d.conv(0.5f, 0.5f).error(), ConvError::Degenerate);
    EXPECT_EQ(d.X, -999);
    // All corners at one height.
    d.corners(0.1f, 0.5f, 0.1f, 0.5f, 0.9f, 0.5f, 0.9f, 0.5f);
    EXPECT_EQ(d.conv(0.5f, 0.5f).error(), ConvError::Degenerate);
}

TEST(ConvPt, XIsWrittenBeforeYCanFail)
{
    // Y overflows on the way back from the log scale; X is already written.
    Frame f;
    f.rectangle();
    f.values("0", "1", "1", "1E300");
    f.p.setYLog(true);
    const auto r = f.conv(0.5f, 0.99f);
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), ConvError::Degenerate);
    EXPECT_NEAR(f.X, 0.5, kTol);
    EXPECT_NEAR(f.Y, (0.99f - 0.1f) / 0.8 * 300, 1e-3); // log-scale value, written before the power failed
}

TEST(ConvPt, DeterministicAndFinite)
{
    Frame f;
    f.corners(0.12f, 0.08f, 0.15f, 0.93f, 0.88f, 0.91f, 0.86f, 0.11f);
    f.values("1", "-3", "7", "12");
    ASSERT_TRUE(f.conv(0.4321f, 0.6543f));
    const double x1 = f.X, y1 = f.Y;
    ASSERT_TRUE(f.conv(0.4321f, 0.6543f));
    EXPECT_EQ(f.X, x1);
    EXPECT_EQ(f.Y, y1);
}

TEST(ConvPt, OverflowAnywhereFailsCleanly)
{
    // Each case overflows at a different step; every step's check is needed, as
    // without it the conversion goes on to a finite but meaningless value (or an
    // infinite one). Nothing is written past the failing step.
    using B = CalibPanel::PosBox;
    struct Case {
        const char *what;
        std::vector<B> huge; // corner positions beyond the single range
        const char *values[4];
        bool xLog, yLog;
        int written; // 0 nothing, 1 X (before Y fails), 2 both (their log-scale values)
    };
    const Case cases[] = {
        {"the top corners' height (horizontal pass)", {B::LUY_Text, B::RUY_Text}, {"0", "0", "1", "1"}, false, false, 0},
        {"the right corners' x (vertical pass)", {B::RUX_Text, B::RLX_Text}, {"0", "0", "1", "1"}, false, false, 0},
        {"the X range", {}, {"-1.5E308", "0", "1.5E308", "1"}, false, false, 0},
        {"the Y range", {}, {"0", "-1.5E308", "1", "1.5E308"}, false, false, 1},
        {"X back from the log scale", {}, {"1", "0", "1E300", "1"}, true, false, 2},
        {"Y back from the log scale", {}, {"0", "1", "1", "1E300"}, false, true, 2},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        Frame f;
        f.rectangle();
        for (B box : k.huge)
            f.p.setPos(box, QStringLiteral("8E38"));
        f.values(k.values[0], k.values[1], k.values[2], k.values[3]);
        f.p.setXLog(k.xLog);
        f.p.setYLog(k.yLog);
        const auto r = f.conv(0.95f, 0.95f);
        ASSERT_FALSE(r) << f.X << ", " << f.Y;
        EXPECT_EQ(r.error(), ConvError::Degenerate);
        if (k.written >= 1)
            EXPECT_TRUE(std::isfinite(f.X)) << f.X;
        else
            EXPECT_EQ(f.X, -999);
        if (k.written >= 2)
            EXPECT_TRUE(std::isfinite(f.Y)) << f.Y;
        else
            EXPECT_EQ(f.Y, -999);
    }
}

namespace {

// The conversion written out step by step, as plainly as possible, to hold the
// optimised routine to the same bits.
void referenceConv(const double c[8], float px, float py, double vllx, double vlly, double vrux, double vruy, bool xLog,
                   bool yLog, double &X, double &Y)
{
    double LLx = c[0], LLy = c[1], LUx = c[2], LUy = c[3], RUx = c[4], RUy = c[5], RLx = c[6], RLy = c[7];
    double xLeft = 0, xRight = 0;
    for (int pass = 0; pass < 100; ++pass) {
        double MLx = (LLx + LUx) / 2, MLy = (LLy + LUy) / 2;
        double MRx = (RLx + RUx) / 2, MRy = (RLy + RUy) / 2;
        double s = (MRy - MLy) / (MRx - MLx);
        double yLine = MLy - s * MLx + s * px;
        xLeft = MLx;
        xRight = MRx;
        if (float(yLine) > py) {
            LUx = MLx, LUy = MLy, RUx = MRx, RUy = MRy;
        } else {
            LLx = MLx, LLy = MLy, RLx = MRx, RLy = MRy;
        }
    }
    LLx = c[0], LLy = c[1], LUx = c[2], LUy = c[3], RUx = c[4], RUy = c[5], RLx = c[6], RLy = c[7];
    double yTop = 0, yBottom = 0;
    for (int pass = 0; pass < 1000; ++pass) {
        double MTx = (RUx + LUx) / 2, MTy = (RUy + LUy) / 2;
        double MBx = (RLx + LLx) / 2, MBy = (RLy + LLy) / 2;
        double k = (MBx - MTx) / (MBy - MTy);
        double xLine = MTx - k * MTy + k * py;
        yTop = MTy;
        yBottom = MBy;
        if (float(xLine) > px) {
            RUx = MTx, RUy = MTy, RLx = MBx, RLy = MBy;
        } else {
            LUx = MTx, LUy = MTy, LLx = MBx, LLy = MBy;
        }
    }
    const double xa = xLog ? std::log(vllx) / std::log(10.0) : vllx, xb = xLog ? std::log(vrux) / std::log(10.0) : vrux;
    const double ya = yLog ? std::log(vlly) / std::log(10.0) : vlly, yb = yLog ? std::log(vruy) / std::log(10.0) : vruy;
    X = (px - xLeft) / (xRight - xLeft) * (xb - xa) + xa;
    Y = (py - yBottom) / (yTop - yBottom) * (yb - ya) + ya;
    if (xLog)
        X = std::pow(10.0, X);
    if (yLog)
        Y = std::pow(10.0, Y);
}

} // namespace

TEST(ConvPt, MatchesTheStatedStepsToTheLastBit)
{
    struct Case {
        float c[8];
        const char *v[4];
        bool xLog, yLog;
    };
    const Case cases[] = {
        {{0.1f, 0.1f, 0.1f, 0.9f, 0.9f, 0.9f, 0.9f, 0.1f}, {"0", "0", "1", "1"}, false, false},
        {{0.12f, 0.08f, 0.15f, 0.93f, 0.88f, 0.91f, 0.86f, 0.11f}, {"1", "-3", "7", "12"}, false, false},
        {{0.1f, 0.1f, 0.3f, 0.9f, 0.7f, 0.9f, 0.9f, 0.1f}, {"0.01", "1", "1000", "1E6"}, true, true},
        {{0.2f, 0.15f, 0.1f, 0.85f, 0.95f, 0.7f, 0.8f, 0.05f}, {"-50", "2", "50", "2000"}, false, true},
    };
    for (const Case &k : cases) {
        Frame f;
        f.corners(k.c[0], k.c[1], k.c[2], k.c[3], k.c[4], k.c[5], k.c[6], k.c[7]);
        f.values(k.v[0], k.v[1], k.v[2], k.v[3]);
        f.p.setXLog(k.xLog);
        f.p.setYLog(k.yLog);
        double c[8];
        for (int i = 0; i < 8; ++i)
            c[i] = *readStrict(f.p.pos(CalibPanel::PosBox(i)));
        const double v[4] = {*readStrict(f.p.val(CalibPanel::LLX_VLText)), *readStrict(f.p.val(CalibPanel::LLY_VLText)),
                             *readStrict(f.p.val(CalibPanel::RUX_VLText)), *readStrict(f.p.val(CalibPanel::RUY_VLText))};
        // Inside, on the edges and outside the frame.
        for (int i = -2; i <= 12; ++i) {
            for (int j = -2; j <= 12; ++j) {
                const float px = 0.0837f * float(i) + 0.013f, py = 0.0791f * float(j) + 0.021f;
                ASSERT_TRUE(f.conv(px, py)) << px << "," << py;
                double X, Y;
                referenceConv(c, px, py, v[0], v[1], v[2], v[3], k.xLog, k.yLog, X, Y);
                ASSERT_EQ(f.X, X) << px << "," << py;
                ASSERT_EQ(f.Y, Y) << px << "," << py;
            }
        }
    }
}
