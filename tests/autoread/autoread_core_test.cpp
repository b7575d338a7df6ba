// The automatic reading on charts the tests draw: colour matching, the reading
// area, X and Y steps (crossing curves, gridlines, log axis, a chart seen at an
// angle, JPEG) and markers (merged pairs split, nothing found twice).

#include "autoread/colour_match.h"
#include "autoread/methods.h"
#include "chart_fixture.h"
#include "model/frame_map.h"
#include "model/reading.h"
#include "model/utilities.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace orv;
using namespace orv::autoread;

namespace {

struct ChartRead {
    chart::Chart c;
    QImage img;
    CalibPanel panel;
    ReadJob job;
    explicit ChartRead(const chart::Chart &chart, bool jpeg = false) : c(chart)
    {
        img = c.draw();
        if (jpeg)
            img = chart::Chart::jpeg(img);
        c.setFrame(panel);
        job.picture = img;
        auto f = readFrame(panel);
        EXPECT_TRUE(f.has_value());
        job.frame = *f;
        job.map = &frameMap(panel);
        job.panel = &panel;
    }
    ReadResult run()
    {
        auto r = runRead(job);
        EXPECT_TRUE(r.has_value());
        return r.value_or(ReadResult{});
    }
};

// Every found point within `tol` pixels of the curve; returns the worst.
double worstDistance(const ReadResult &r, const std::vector<QPointF> &trace)
{
    double worst = 0;
    for (const FoundPoint &p : r.points)
        worst = std::max(worst, chart::distanceToPolyline(p.pixel, trace));
    return worst;
}

} // namespace

TEST(ColourMatch, LabAndDistances)
{
    const Lab white = toLab(qRgb(255, 255, 255));
    EXPECT_NEAR(white.L, 100, 0.01);
    EXPECT_NEAR(white.a, 0, 0.01);
    EXPECT_NEAR(white.b, 0, 0.01);
    const Lab red = toLab(qRgb(255, 0, 0));
    EXPECT_NEAR(red.L, 53.24, 0.05);
    EXPECT_NEAR(red.a, 80.09, 0.05);
    EXPECT_NEAR(red.b, 67.20, 0.05);
    // Equal RGB steps are not equal distances: dark greys lie closer in RGB
    // terms than they look, which is why matching is done in Lab.
    EXPECT_GT(deltaE(qRgb(20, 20, 20), qRgb(40, 40, 40)), deltaE(qRgb(220, 220, 220), qRgb(240, 240, 240)));

    ColourMatcher m(qRgb(220, 30, 30), 15);
    EXPECT_TRUE(m.matches(qRgb(225, 40, 35)));
    EXPECT_FALSE(m.matches(qRgb(30, 60, 220)));
    EXPECT_FLOAT_EQ(m.weight(qRgb(220, 30, 30)), 1.0f);
    EXPECT_FLOAT_EQ(m.weight(qRgb(255, 255, 255)), 0.0f);
    // A half blend with the paper weighs about half.
    EXPECT_NEAR(m.weight(qRgb(238, 143, 143)), 0.5, 0.15);
    // The cache is keyed by the colour, not fooled by a colliding slot.
    for (int i = 0; i < 70000; ++i)
        m.distance(qRgb(i & 255, (i >> 8) & 255, 7));
    EXPECT_NEAR(m.distance(qRgb(220, 30, 30)), 0, 1e-4);
}

TEST(ColourMatch, EyedropperAveragesThreeByThree)
{
    QImage img(5, 5, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    img.setPixel(2, 2, qRgb(90, 180, 45));
    EXPECT_EQ(averageColour(img, 2, 2), qRgb(10, 20, 5));
    // At a corner only the pixels on the picture count.
    img.fill(qRgb(100, 100, 100));
    EXPECT_EQ(averageColour(img, 0, 0), qRgb(100, 100, 100));
}

TEST(ColourMatch, EyedropperTakesTheLineCore)
{
    // A 2 px antialiased line: a click on its edge, two pixels off, still
    // gives the colour as drawn, where an average lies far from it.
    const QColor blue(31, 119, 180);
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(blue, 2));
        p.drawLine(QPointF(0, 20.3), QPointF(40, 22.7));
    }
    const QRgb core = pickCoreColour(img, 20, 19);
    EXPECT_LT(deltaE(core, blue.rgb()), 3);
    EXPECT_GT(deltaE(averageColour(img, 20, 19), blue.rgb()), 15);
    // On the paper far from everything: the paper.
    EXPECT_EQ(pickCoreColour(img, 5, 5), qRgb(255, 255, 255));
}

TEST(ColourMatch, DominantColoursInsideTheFrameWithoutPaper)
{
    const chart::Chart c = chart::standardChart();
    const QImage img = c.draw();
    const auto colours = dominantColours(img, c.plot.toRect().adjusted(3, 3, -3, -3));
    ASSERT_FALSE(colours.empty());
    EXPECT_LE(colours.size(), 8u);
    for (QRgb rgb : colours)
        EXPECT_GT(deltaE(rgb, qRgb(255, 255, 255)), 5) << std::hex << rgb;
    // The three curve colours and both marker colours are offered; the
    // thickest curve (green) covers most pixels and comes first.
    for (QColor want : {QColor(220, 30, 30), QColor(30, 60, 220), QColor(20, 150, 40), QColor(240, 140, 0),
                        QColor(140, 40, 170)}) {
        bool found = false;
        for (QRgb rgb : colours)
            found = found || deltaE(rgb, want.rgb()) < 15;
        EXPECT_TRUE(found) << want.name().toStdString();
    }
    // Most frequent first: the 3-pixel green before the 1.5-pixel blue.
    auto rank = [&](QRgb want) {
        for (size_t i = 0; i < colours.size(); ++i)
            if (deltaE(colours[i], want) < 15)
                return int(i);
        return -1;
    };
    EXPECT_LT(rank(qRgb(20, 150, 40)), rank(qRgb(30, 60, 220)));
    // Nothing else: not black, not the gridlines' grey; the antialiased
    // edges (blends with the paper) are not offered as colours.
    EXPECT_EQ(colours.size(), 5u);
    EXPECT_LT(rank(qRgb(190, 190, 190)), 0);
    // A chart of black and greys only: those, then.
    chart::Chart grey;
    grey.curves = {{QColor(0, 0, 0), 2, [](double x) { return 10 + 8 * x; }}};
    const auto mono = dominantColours(grey.draw(), grey.plot.toRect().adjusted(3, 3, -3, -3));
    bool black = false;
    for (QRgb rgb : mono)
        black = black || deltaE(rgb, qRgb(0, 0, 0)) < 15;
    EXPECT_TRUE(black);
    // Outside the frame (the labels' strip) the curve colours are absent.
    const auto strip = dominantColours(img, QRect(0, 545, 800, 55));
    for (QRgb rgb : strip)
        EXPECT_GT(deltaE(rgb, qRgb(220, 30, 30)), 20);
}

TEST(ReadAreaTest, MarginRectangleAndTiltedFrame)
{
    FrameSpec f;
    f.corner = {QPointF(0.1, 0.1), QPointF(0.1, 0.9), QPointF(0.9, 0.9), QPointF(0.9, 0.1)};
    const ReadArea a(f, QSize(100, 100), 3);
    EXPECT_TRUE(a.contains(50, 50));
    EXPECT_TRUE(a.contains(13.01, 50));
    EXPECT_FALSE(a.contains(12.9, 50)); // within the margin of the left edge
    EXPECT_FALSE(a.contains(50, 87.5));
    EXPECT_TRUE(a.bounds().contains(QRect(10, 10, 80, 80)));
    EXPECT_TRUE(QRect(9, 9, 82, 82).contains(a.bounds()));
    const ReadArea narrowed(f, QSize(100, 100), 3, QRectF(40, 40, 20, 20));
    EXPECT_TRUE(narrowed.contains(45, 45));
    EXPECT_FALSE(narrowed.contains(30, 45));
    EXPECT_EQ(narrowed.bounds(), QRect(40, 40, 20, 20));
    // Corners given clockwise or anticlockwise: the same inside.
    FrameSpec g = f;
    std::swap(g.corner[1], g.corner[3]);
    EXPECT_TRUE(ReadArea(g, QSize(100, 100), 3).contains(50, 50));
    // A tilted four-corner frame: near a slanted edge, inside is by distance.
    FrameSpec t;
    t.corner = {QPointF(0.2, 0.1), QPointF(0.1, 0.9), QPointF(0.9, 0.8), QPointF(0.8, 0.1)};
    const ReadArea ta(t, QSize(100, 100), 2);
    EXPECT_TRUE(ta.contains(50, 50));
    EXPECT_FALSE(ta.contains(15.5, 60)); // left of the slanted left edge's inset
}

TEST(StepValuesTest, LinearLogAndBadSteps)
{
    FrameSpec f;
    f.xa = 0;
    f.xb = 10;
    auto v = stepValues(f, false, StepOptions{.step = 2.5});
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, (std::vector<double>{0, 2.5, 5, 7.5, 10}));
    v = stepValues(f, false, StepOptions{.from = 8, .to = 2, .points = 4});
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, (std::vector<double>{8, 6, 4, 2}));
    EXPECT_FALSE(stepValues(f, false, StepOptions{.step = 0}));
    EXPECT_FALSE(stepValues(f, false, StepOptions{.step = -1}));
    EXPECT_FALSE(stepValues(f, false, StepOptions{.points = 0}));
    EXPECT_FALSE(stepValues(f, false, StepOptions{.step = 1e-9}));
    // A log axis: the step is a factor, the points even in log10.
    f.yLog = true;
    f.ya = 0;
    f.yb = 3; // 1 .. 1000
    v = stepValues(f, true, StepOptions{.step = 10});
    ASSERT_TRUE(v);
    EXPECT_EQ(v->size(), 4u);
    EXPECT_NEAR((*v)[2], 2, 1e-12);
    v = stepValues(f, true, StepOptions{.from = 10, .to = 1000, .points = 3});
    ASSERT_TRUE(v);
    EXPECT_NEAR((*v)[1], 2, 1e-12); // 100
    EXPECT_FALSE(stepValues(f, true, StepOptions{.step = 1}));
    EXPECT_FALSE(stepValues(f, true, StepOptions{.from = -1}));
}

TEST(XSteps, FollowsEachOfThreeCrossingCurvesWithinHalfAPixel)
{
    ChartRead s(chart::standardChart());
    s.job.steps.points = 200;
    for (const chart::Curve &curve : s.c.curves) {
        s.job.colour = curve.colour.rgb();
        s.job.tolerance = curve.width < 2 ? 35 : 20;
        const ReadResult r = s.run();
        SCOPED_TRACE(curve.colour.name().toStdString());
        // Crossings and the margin cost a few values, never most of them.
        EXPECT_GE(r.points.size(), 180u);
        EXPECT_EQ(r.skipped, 200 - int(r.points.size()));
        EXPECT_LE(worstDistance(r, s.c.trace(curve)), 0.5);
        // Stepping order, and the values lie on the stepping lines.
        for (size_t i = 1; i < r.points.size(); ++i)
            EXPECT_LT(r.points[i - 1].X, r.points[i].X);
        // Each point lies on its stepping line: X is a stepped value.
        for (const FoundPoint &p : r.points)
            EXPECT_NEAR(p.X * 199 / 10, std::round(p.X * 199 / 10), 1e-3) << p.X;
    }
}

TEST(XSteps, TrackingKeepsToTheCurveItStartedOn)
{
    // Two curves of one colour: the one read from the left edge, and a
    // steeper one (heavier runs on a vertical line) that starts at X = 3 and
    // crosses it. Nearest-run tracking stays on the first through the crossing.
    chart::Chart c;
    const QColor red(220, 30, 30);
    c.curves = {{red, 2, [](double x) { return 20 + 6 * x; }},
                {red, 2, [](double x) { return 90 - 12 * (x - 3); }, false, 3}};
    ChartRead s(c);
    s.job.colour = red.rgb();
    s.job.tolerance = 25;
    s.job.steps.step = 0.1;
    const ReadResult r = s.run();
    ASSERT_GE(r.points.size(), 85u);
    // Where the two cross, the run is both lines'.
    EXPECT_LE(worstDistance(r, s.c.trace(c.curves[0])), 1.0);
    EXPECT_GT(r.points.back().X, 9.5);
}

TEST(YSteps, ReadsASteepCurveAlongY)
{
    chart::Chart c;
    const QColor blue(30, 60, 220);
    // X of Y: nearly vertical, where X steps would give a handful of points.
    c.curves = {{blue, 2, [](double y) { return 3 + 0.02 * y + 0.3 * std::sin(y / 15); }, true}};
    ChartRead s(c);
    s.job.method = Method::YSteps;
    s.job.colour = blue.rgb();
    s.job.steps.points = 100;
    const ReadResult r = s.run();
    EXPECT_GE(r.points.size(), 95u);
    EXPECT_LE(worstDistance(r, s.c.trace(c.curves[0])), 0.5);
    for (size_t i = 1; i < r.points.size(); ++i)
        EXPECT_LT(r.points[i - 1].Y, r.points[i].Y);
}

TEST(XSteps, LogYAxis)
{
    chart::Chart c;
    c.y0 = 1;
    c.y1 = 1000;
    c.yLog = true;
    const QColor green(20, 150, 40);
    c.curves = {{green, 2, [](double x) { return 2 * std::pow(10.0, 0.25 * x); }}};
    ChartRead s(c);
    s.job.colour = green.rgb();
    s.job.steps.step = 0.25;
    const ReadResult r = s.run();
    EXPECT_GE(r.points.size(), 38u);
    EXPECT_LE(worstDistance(r, s.c.trace(c.curves[0])), 0.5);
    for (const FoundPoint &p : r.points)
        EXPECT_NEAR(std::log10(p.Y), std::log10(c.curves[0].f(p.X)), 0.5 * 3 / 500.0);
}

TEST(XSteps, ChartSeenAtAnAngleWithAFourCornerFrame)
{
    chart::Chart c = chart::standardChart();
    QPolygonF from(QRectF(0, 0, 800, 600)), to;
    from.removeLast();
    to << QPointF(40, 20) << QPointF(760, 60) << QPointF(720, 590) << QPointF(60, 540);
    ASSERT_TRUE(QTransform::quadToQuad(from, to, c.warp));
    ChartRead s(c);
    ASSERT_TRUE(s.panel.isProjective());
    s.job.steps.points = 100;
    const chart::Curve &red = c.curves[0];
    s.job.colour = red.colour.rgb();
    s.job.tolerance = 25;
    const ReadResult r = s.run();
    EXPECT_GE(r.points.size(), 85u);
    EXPECT_LE(worstDistance(r, s.c.trace(red)), 0.5);
    // Each point's X is the stepped value: the lines of constant X are the
    // frame mapping's, not picture columns.
    auto values = stepValues(s.job.frame, false, s.job.steps);
    for (const FoundPoint &p : r.points) {
        double nearest = 1e9;
        for (double v : *values)
            nearest = std::min(nearest, std::abs(v - p.X));
        EXPECT_LT(nearest, 1e-3);
    }
}

TEST(XSteps, JpegQuality75)
{
    chart::Chart c = chart::standardChart();
    for (auto &curve : c.curves)
        curve.width = 3;
    ChartRead s(c, true);
    s.job.steps.points = 100;
    for (const chart::Curve &curve : c.curves) {
        s.job.colour = curve.colour.rgb();
        s.job.tolerance = 30;
        const ReadResult r = s.run();
        SCOPED_TRACE(curve.colour.name().toStdString());
        EXPECT_GE(r.points.size(), 85u);
        // Where another curve crosses, the compressed run is kept though
        // partly covered: within a pixel.
        EXPECT_LE(worstDistance(r, s.c.trace(curve)), 1.0);
    }
}

TEST(XSteps, NothingOfTheColourSkipsEverything)
{
    ChartRead s(chart::standardChart());
    s.job.colour = qRgb(255, 255, 0);
    s.job.steps.points = 20;
    const ReadResult r = s.run();
    EXPECT_TRUE(r.points.empty());
    EXPECT_EQ(r.skipped, 20);
    // The frame's own black lines stay out thanks to the margin.
    s.job.colour = qRgb(0, 0, 0);
    EXPECT_TRUE(s.run().points.empty());
    s.job.margin = 0;
    EXPECT_FALSE(s.run().points.empty());
}

namespace {

void expectMarkers(const ReadResult &r, const std::vector<QPointF> &truth, double tol)
{
    std::vector<int> hits(truth.size(), 0);
    for (const FoundPoint &p : r.points) {
        int best = -1;
        double bd = 1e9;
        for (size_t i = 0; i < truth.size(); ++i) {
            const double d = std::hypot(p.pixel.x() - truth[i].x(), p.pixel.y() - truth[i].y());
            if (d < bd) {
                bd = d;
                best = int(i);
            }
        }
        EXPECT_LE(bd, tol) << p.pixel.x() << "," << p.pixel.y();
        if (best >= 0)
            ++hits[size_t(best)];
    }
    for (size_t i = 0; i < truth.size(); ++i)
        EXPECT_EQ(hits[i], 1) << "marker at " << truth[i].x() << "," << truth[i].y();
}

std::vector<QPointF> markerCentres(const chart::Chart &c, QColor colour)
{
    std::vector<QPointF> out;
    for (const auto &m : c.markers)
        if (m.colour == colour)
            out.push_back(c.pixel(m.value.x(), m.value.y()));
    return out;
}

} // namespace

TEST(Markers, EveryDiscOnceWithinAThirdOfAPixel)
{
    ChartRead s(chart::standardChart());
    s.job.method = Method::Markers;
    for (QColor colour : {QColor(240, 140, 0), QColor(140, 40, 170)}) {
        SCOPED_TRACE(colour.name().toStdString());
        s.job.colour = colour.rgb();
        const ReadResult r = s.run();
        const auto truth = markerCentres(s.c, colour);
        EXPECT_EQ(r.points.size(), truth.size());
        expectMarkers(r, truth, 0.3);
        for (size_t i = 1; i < r.points.size(); ++i)
            EXPECT_LE(r.points[i - 1].X, r.points[i].X);
    }
}

TEST(Markers, MergedPairSplitOrLeftOut)
{
    ChartRead s(chart::standardChart());
    s.job.method = Method::Markers;
    const QColor orange(240, 140, 0);
    s.job.colour = orange.rgb();
    ReadResult r = s.run();
    EXPECT_EQ(r.mergedRegions, 1);
    int merged = 0;
    for (const FoundPoint &p : r.points)
        merged += p.merged;
    EXPECT_EQ(merged, 2);
    s.job.markers.splitMerged = false;
    r = s.run();
    EXPECT_EQ(r.leftOut, 1);
    auto truth = markerCentres(s.c, orange);
    truth.erase(truth.end() - 2, truth.end()); // the touching pair
    expectMarkers(r, truth, 0.3);
}

TEST(Markers, JpegQuality75)
{
    chart::Chart c = chart::standardChart();
    for (auto &m : c.markers)
        m.radius = 6;
    // Keep the pair touching at the larger size.
    c.markers[c.markers.size() - 5].value.setX(5.0 + 12.0 / 68);
    ChartRead s(c, true);
    s.job.method = Method::Markers;
    s.job.tolerance = 30;
    for (QColor colour : {QColor(240, 140, 0), QColor(140, 40, 170)}) {
        SCOPED_TRACE(colour.name().toStdString());
        s.job.colour = colour.rgb();
        const ReadResult r = s.run();
        // The centre of the box, to the pixel's fraction the compressed
        // edge allows.
        expectMarkers(r, markerCentres(s.c, colour), 0.6);
    }
}

TEST(Markers, ACurveOrADashedLineIsNoMarker)
{
    // Only a curve of the colour: no region is a marker.
    chart::Chart c;
    const QColor red(220, 30, 30);
    c.curves = {{red, 2, [](double x) { return 20 + 0.7 * x * x; }}};
    ChartRead s(c);
    s.job.method = Method::Markers;
    s.job.colour = red.rgb();
    EXPECT_TRUE(s.run().points.empty());
    // Squares on a dashed line of their colour: the many dashes do not set
    // the markers' size, the squares do.
    chart::Chart d;
    QImage img = d.draw();
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(red, 1.5, Qt::DashLine));
        p.drawLine(d.pixel(0, 0), d.pixel(10, 100));
        p.setPen(Qt::NoPen);
        p.setBrush(red);
        for (int x : {1, 3, 5, 7, 9})
            p.drawRect(QRectF(d.pixel(x, 10 * x) - QPointF(5, 5), QSizeF(10, 10)));
    }
    ChartRead t(d);
    t.job.picture = img;
    t.job.method = Method::Markers;
    t.job.colour = red.rgb();
    const ReadResult r = t.run();
    ASSERT_EQ(r.points.size(), 5u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_NEAR(r.points[i].X, 1 + 2.0 * double(i), 0.05);
}

TEST(Markers, AreaLimitsFromTheUser)
{
    ChartRead s(chart::standardChart());
    s.job.method = Method::Markers;
    s.job.colour = QColor(240, 140, 0).rgb();
    const ReadResult all = s.run();
    ASSERT_GT(all.medianArea, 40);
    // A minimum above every marker's area leaves nothing.
    s.job.markers.minArea = all.medianArea * 3;
    EXPECT_TRUE(s.run().points.empty());
}

TEST(Cancel, ACancelledReadStopsAndSaysSo)
{
    ChartRead s(chart::standardChart());
    std::atomic<bool> cancel{true};
    s.job.colour = QColor(220, 30, 30).rgb();
    auto r = runRead(s.job, Progress{&cancel, {}});
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->cancelled);
    EXPECT_TRUE(r->points.empty());
}

TEST(Cancel, AReadStopsMidwayWhenCancelled)
{
    // The most steps allowed, over a range far wider than the frame: the
    // read is cancelled from its first progress report, and stops there
    // rather than walking the rest.
    ChartRead s(chart::standardChart());
    s.job.colour = QColor(220, 30, 30).rgb();
    s.job.steps.points = 100000;
    s.job.steps.from = -1e5;
    s.job.steps.to = 1e5;
    std::atomic<bool> cancel{false};
    std::atomic<int> reports{0}, lastDone{0};
    Progress p{&cancel, [&](int done, int) {
                   ++reports;
                   lastDone = done;
                   cancel = true;
               }};
    auto r = runRead(s.job, p);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->cancelled);
    EXPECT_TRUE(r->points.empty());
    EXPECT_LT(lastDone.load(), 100000);
}

TEST(ReadingBatch, AddsInOrderWithLowestFreeIdsUpToTheLimit)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.Init_App();
    chart::standardChart().setFrame(r.panel);
    // IDs 1 and 3 taken, 2 free.
    std::vector<QPointF> two = {QPointF(0.3, 0.3), QPointF(0.35, 0.3), QPointF(0.4, 0.3)};
    ASSERT_EQ(r.addPoints(1, two).added, 3);
    r.Delete_Row(1, 2);
    std::vector<QPointF> pos;
    for (int i = 0; i < 252; ++i)
        pos.emplace_back(0.2 + i * 0.002, 0.5 + 0.1234567 / (i + 1));
    const Reading::BatchResult res = r.addPoints(2, pos);
    EXPECT_EQ(res.added, 248);
    EXPECT_EQ(res.leftOut, 4);
    EXPECT_EQ(Reading::Get_Field(r.Pt_Array[2], QStringLiteral(","), 1), QStringLiteral("2"));
    // The first found point took the free ID 2, the next ones 4, 5, ...
    EXPECT_EQ(r.grid(2).cell(1, SeriesTable::ColId), QStringLiteral("2"));
    EXPECT_EQ(r.grid(2).cell(2, SeriesTable::ColId), QStringLiteral("4"));
    EXPECT_EQ(r.grid(2).rowCount(), 249);
    // Positions are stored as given (single precision, as clicks are).
    EXPECT_EQ(Reading::Get_Field(r.Pt_Array[2], QStringLiteral(","), 3), plainNumText(float(pos[0].y())));
}

// The charts' labels need fonts, hence an application object.
int main(int argc, char **argv)
{
    // Test discovery runs without the suite's environment: no display needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
