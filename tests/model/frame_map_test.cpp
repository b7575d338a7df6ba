#include "model/frame_map.h"

#include "model/conv_pt.h"
#include "model/reading.h"
#include "tests/support/reading_fixtures.h"

#include <QTransform>
#include <gtest/gtest.h>
#include <cmath>

using namespace orv;

namespace {

// A frame given by decimal texts, so that the test's own homography is built
// from exactly the numbers the conversion reads.
struct Chart {
    double c[8]; // LL, LU, RU, RL (x, y)
    const char *xa, *ya, *xb, *yb;
    bool xLog = false, yLog = false;

    void apply(CalibPanel &p, int tab) const
    {
        p.selectTab(tab);
        for (int i = 0; i < 8; ++i)
            p.setPos(CalibPanel::PosBox(i), QString::number(c[i], 'g', 17));
        p.setVal(CalibPanel::LLX_VLText, QString::fromLatin1(xa));
        p.setVal(CalibPanel::LLY_VLText, QString::fromLatin1(ya));
        p.setVal(CalibPanel::RUX_VLText, QString::fromLatin1(xb));
        p.setVal(CalibPanel::RUY_VLText, QString::fromLatin1(yb));
        p.setXLog(xLog);
        p.setYLog(yLog);
    }
    // The chart's unit square -> the picture, by Qt's own construction.
    QTransform warp() const
    {
        QTransform t;
        const QPolygonF square({QPointF(0, 0), QPointF(0, 1), QPointF(1, 1), QPointF(1, 0)});
        const QPolygonF quad({QPointF(c[0], c[1]), QPointF(c[2], c[3]), QPointF(c[4], c[5]), QPointF(c[6], c[7])});
        EXPECT_TRUE(QTransform::quadToQuad(square, quad, t));
        return t;
    }
    // Axis value at fraction t, in the axis' own (linear or log10) space.
    static double at(const char *a, const char *b, bool log, double t)
    {
        double va = std::atof(a), vb = std::atof(b);
        if (log)
            va = std::log10(va), vb = std::log10(vb);
        return va + t * (vb - va);
    }
    static double span(const char *a, const char *b, bool log)
    {
        return std::abs(at(a, b, log, 1) - at(a, b, log, 0));
    }
};

double space(double v, bool log) { return log ? std::log10(v) : v; }

// Keystoned photos: the top edge further away (narrower), tilted, and one
// seen from the side.
const Chart kKeystone{{0.14, 0.10, 0.26, 0.86, 0.78, 0.90, 0.92, 0.06}, "0", "0", "100", "50"};
const Chart kSideways{{0.05, 0.22, 0.10, 0.80, 0.95, 0.97, 0.88, 0.02}, "-3", "2", "7", "-8"};

} // namespace

// Points of the chart warped into the picture read back as their values,
// exactly up to rounding, on linear, log and decreasing axes.
TEST(ProjectiveFrame, ReadsWarpedChartsExactly)
{
    Chart logChart = kSideways;
    logChart.xa = "0.1";
    logChart.xb = "1000";
    logChart.xLog = true;
    Chart decreasing = kKeystone;
    decreasing.xa = "250"; // X falls to the right, Y falls upwards on a log axis
    decreasing.xb = "-50";
    decreasing.ya = "1e4";
    decreasing.yb = "1";
    decreasing.yLog = true;
    for (const Chart *ch : {&kKeystone, &kSideways, static_cast<const Chart *>(&logChart), static_cast<const Chart *>(&decreasing)}) {
        CalibPanel p;
        ch->apply(p, 3);
        const QTransform w = ch->warp();
        const QTransform back = w.inverted();
        double worst = 0;
        for (double u = -0.1; u <= 1.1; u += 0.05)
            for (double v = -0.1; v <= 1.1; v += 0.05) {
                // The picture position, as a click gives it (single precision);
                // its true chart fractions are recovered from Qt's inverse.
                const QPointF pic = w.map(QPointF(u, v));
                // (volatile: the rounding to single precision must happen)
                volatile float vx = float(pic.x()), vy = float(pic.y());
                const float px = vx, py = vy;
                const QPointF truth = back.map(QPointF(px, py));
                double X = 0, Y = 0;
                ASSERT_TRUE(projectiveFrameMap().toValue(p, px, py, X, Y)) << u << "," << v;
                const double ex = std::abs(space(X, ch->xLog) - Chart::at(ch->xa, ch->xb, ch->xLog, truth.x())) /
                                  Chart::span(ch->xa, ch->xb, ch->xLog);
                const double ey = std::abs(space(Y, ch->yLog) - Chart::at(ch->ya, ch->yb, ch->yLog, truth.y())) /
                                  Chart::span(ch->ya, ch->yb, ch->yLog);
                worst = std::max({worst, ex, ey});
            }
        EXPECT_LT(worst, 1e-9) << ch->xa << " " << ch->xb;
    }
}

// The bilinear map of the stated modes is off on such a photo by far more
// than a click: the reason for the projective mode.
TEST(ProjectiveFrame, DiffersFromTheFourPointModeOnAKeystonedPhoto)
{
    CalibPanel p4, pp;
    kKeystone.apply(p4, 2);
    kKeystone.apply(pp, 3);
    const QPointF pic = kKeystone.warp().map(QPointF(0.5, 0.5));
    double X4 = 0, Y4 = 0, Xp = 0, Yp = 0;
    ASSERT_TRUE(frameMap(p4).toValue(p4, float(pic.x()), float(pic.y()), X4, Y4));
    ASSERT_TRUE(frameMap(pp).toValue(pp, float(pic.x()), float(pic.y()), Xp, Yp));
    EXPECT_NEAR(Xp, 50, 1e-5);
    EXPECT_NEAR(Yp, 25, 1e-5);
    EXPECT_GT(std::abs(Y4 - 25) / 50, 0.005); // half a percent of the range and more
}

// On a chart that is only moved, scaled or turned, both maps are the same
// affine map: the projective mode gives the stated modes' values.
TEST(ProjectiveFrame, AgreesWithTheStatedModesOnAffineCharts)
{
    // Axis-parallel: the stated bisection is exact there.
    const Chart parallel{{0.1, 0.15, 0.1, 0.85, 0.9, 0.85, 0.9, 0.15}, "0", "10", "1e3", "20"};
    // Turned by 20 degrees about (0.5, 0.5).
    Chart turned{{}, "-1", "0.001", "1", "1000"};
    turned.yLog = true;
    {
        QTransform rot;
        rot.translate(0.5, 0.5).rotate(20).translate(-0.5, -0.5);
        const QPointF sq[4] = {QPointF(0.2, 0.25), QPointF(0.2, 0.75), QPointF(0.8, 0.75), QPointF(0.8, 0.25)};
        for (int i = 0; i < 4; ++i) {
            const QPointF q = rot.map(sq[i]);
            turned.c[2 * i] = q.x();
            turned.c[2 * i + 1] = q.y();
        }
    }
    struct Case {
        const Chart *chart;
        int statedTab;
        double tolerance; // the stated bisection compares in single precision
    };
    for (const Case &k : {Case{&parallel, 1, 1e-9}, Case{&parallel, 2, 1e-9}, Case{&turned, 2, 2e-6}}) {
        CalibPanel stated, proj;
        k.chart->apply(stated, k.statedTab);
        k.chart->apply(proj, 3);
        const QTransform back = k.chart->warp().inverted();
        for (float px = 0.12f; px < 0.9f; px += 0.07f)
            for (float py = 0.17f; py < 0.85f; py += 0.07f) {
                const QPointF t = back.map(QPointF(px, py));
                if (t.x() < 0 || t.x() > 1 || t.y() < 0 || t.y() > 1)
                    continue; // the stated bisection does not extrapolate across the edges
                double Xs = 0, Ys = 0, Xp = 0, Yp = 0;
                ASSERT_TRUE(convPt(stated, px, py, Xs, Ys));
                ASSERT_TRUE(frameMap(proj).toValue(proj, px, py, Xp, Yp));
                const Chart &c = *k.chart;
                EXPECT_NEAR(space(Xp, c.xLog), space(Xs, c.xLog), k.tolerance * Chart::span(c.xa, c.xb, c.xLog));
                EXPECT_NEAR(space(Yp, c.yLog), space(Ys, c.yLog), k.tolerance * Chart::span(c.ya, c.yb, c.yLog));
                // And the projective value is the affine truth itself.
                EXPECT_NEAR(space(Yp, c.yLog), Chart::at(c.ya, c.yb, c.yLog, t.y()),
                            1e-9 * Chart::span(c.ya, c.yb, c.yLog));
            }
    }
}

TEST(ProjectiveFrame, DegenerateFramesAndPointsFail)
{
    const Chart bad[] = {
        {{0.1, 0.1, 0.1, 0.5, 0.1, 0.9, 0.9, 0.1}, "0", "0", "1", "1"}, // LL, LU, RU on one line
        {{0.1, 0.1, 0.1, 0.9, 0.9, 0.1, 0.9, 0.9}, "0", "0", "1", "1"}, // edges crossing (RU, RL swapped)
        {{0.1, 0.1, 0.5, 0.3, 0.9, 0.9, 0.9, 0.1}, "0", "0", "1", "1"}, // LU inside the others
        {{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5}, "0", "0", "1", "1"}, // all in one spot
    };
    for (const Chart &c : bad) {
        CalibPanel p;
        c.apply(p, 3);
        double X = 7, Y = 8;
        auto r = frameMap(p).toValue(p, 0.5f, 0.5f, X, Y);
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error(), ConvError::Degenerate);
        EXPECT_EQ(X, 7); // nothing written
        EXPECT_EQ(Y, 8);
    }

    // A strong keystone: its vanishing line crosses the picture above the frame.
    const Chart steep{{0.1, 0.1, 0.4, 0.5, 0.6, 0.5, 0.9, 0.1}, "0", "0", "1", "1"};
    CalibPanel p;
    steep.apply(p, 3);
    // The edges LL-LU and RL-RU meet at (0.5, 0.6333...); the horizon runs
    // through it, parallel to the bottom and top edges.
    const double horizon = 0.1 + 0.4 * (0.4 / 0.3);
    double X = 7, Y = 8;
    EXPECT_TRUE(frameMap(p).toValue(p, 0.5f, 0.55f, X, Y)); // between the top and the horizon: far, but a value
    for (float y : {float(horizon), 0.7f, 0.95f}) {
        X = 7, Y = 8;
        auto r = frameMap(p).toValue(p, 0.5f, y, X, Y);
        ASSERT_FALSE(r) << y;
        EXPECT_EQ(r.error(), ConvError::Degenerate);
        EXPECT_EQ(X, 7);
    }
    // Non-numbers and log of zero fail as in the stated modes.
    p.setVal(CalibPanel::LLX_VLText, QStringLiteral("0"));
    p.setXLog(true);
    EXPECT_EQ(frameMap(p).toValue(p, 0.5f, 0.2f, X, Y).error(), ConvError::InvalidArgument);
    p.setPos(CalibPanel::RLY_Text, QStringLiteral("x"));
    EXPECT_EQ(frameMap(p).toValue(p, 0.5f, 0.2f, X, Y).error(), ConvError::TypeMismatch);
}

// The reading converts through the selected mode's map: a click in the
// projective mode stores the projective value; one beyond the horizon is
// refused with the conversion message and stores nothing.
TEST(ProjectiveFrame, ReadingUsesTheSelectedMode)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.Init_App();
    kKeystone.apply(r.panel, 3);
    r.setDfntDone(true);
    const QPointF mid = kKeystone.warp().map(QPointF(0.25, 0.75));
    ASSERT_TRUE(r.Conv_Pt(float(mid.x()), float(mid.y())));
    EXPECT_NEAR(r.Conv_X, 25, 1e-5);
    EXPECT_NEAR(r.Conv_Y, 37.5, 1e-5);
    r.panel.selectTab(2);
    ASSERT_TRUE(r.Conv_Pt(float(mid.x()), float(mid.y())));
    EXPECT_GT(std::abs(r.Conv_Y - 37.5), 0.25);
}
