#include "model/conv_pt.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace orv;

namespace {

// Single precision in the comparisons limits the result to about 1e-6 of the range.
constexpr double kTol = 2e-6;

struct Frame {
    CalibPanel p;
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
    // Huge coordinates fail cleanly instead of producing infinities.
    f.corners(0, 0, 0, 3e38f, 3e38f, 3e38f, 3e38f, 0);
    auto r = f.conv(1e38f, 1e38f);
    if (r) {
        EXPECT_TRUE(std::isfinite(f.X));
        EXPECT_TRUE(std::isfinite(f.Y));
    }
}
