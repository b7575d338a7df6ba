// The automatic reading on the charts people read: each case draws its own
// chart (peaks, steps, sawtooth, a curve leaving the frame, two curves a few
// ΔE apart, a legend sample, ten marker shapes, markers on their own line, a
// JPEG at quality 40, a noisy turned scan) and reads it with the colour as
// drawn and the default (automatic) tolerance. Every point must lie within
// 2 px of its own curve; at least 90 % (85 % on JPEG and scan) of the steps
// where the curve is visible must be answered; every marker once, within
// 1 px of the centre of its bounding box (2 px on JPEG).

#include "autoread/methods.h"
#include "chart_fixture.h"
#include "model/frame_map.h"

#include <gtest/gtest.h>

using namespace orv;
using namespace orv::autoread;

namespace {

using Shape = chart::Chart::Shape;

const QColor kBlue(31, 119, 180), kNearBlue(20, 108, 168), kRed(214, 39, 40), kOrange(255, 127, 14),
    kGreen(44, 160, 44);

enum class Picture { Clean, Jpeg40, Scan };

struct Case {
    const char *name;
    std::function<chart::Chart()> make;
    Method method = Method::XSteps;
    int curve = 0;          // steps: the curve asked for (its colour)
    QColor markerColour;    // markers: the colour asked for
    StepOptions steps{.points = 100};
    Picture picture = Picture::Clean;
    bool legend = false;    // a legend sample of the asked colour is drawn
    bool lineUnderMarkers = false;
};

chart::Chart oneCurve(QColor colour, double width, std::function<double(double)> f)
{
    chart::Chart c;
    c.curves = {{colour, width, std::move(f)}};
    return c;
}

// Two curves of matched colours crossing twice; the asked one is curve 0
// and starts at X = 2, so that the steps before it have only the other
// colour to give, and must give nothing.
chart::Chart nearBlues(bool askNear)
{
    chart::Chart c;
    chart::Curve a{kBlue, 2, [](double x) { return 50 + 35 * std::sin(0.6 * x); }, false, askNear ? -1e300 : 2};
    chart::Curve b{kNearBlue, 2, [](double x) { return 20 + 7 * x; }, false, askNear ? 2 : -1e300};
    c.curves = askNear ? std::vector{b, a} : std::vector{a, b};
    return c;
}

chart::Chart markersChart(bool onLine, int shapeCount = 10)
{
    chart::Chart c;
    const Shape shapes[] = {Shape::Circle,   Shape::Square,   Shape::Diamond, Shape::TriangleUp, Shape::TriangleDown,
                            Shape::Star,     Shape::Pentagon, Shape::Hexagon, Shape::Cross,      Shape::Plus};
    auto f = [](double x) { return 30 + 5 * x + 10 * std::sin(x); };
    for (int i = 0; i < shapeCount; ++i) {
        const double x = 0.6 + 0.95 * i;
        c.markers.push_back({QPointF(x, f(x)), kOrange, 6, onLine ? Shape::Circle : shapes[i]});
    }
    if (onLine)
        c.curves = {{kOrange, 1.5, f}};
    return c;
}

const std::vector<Case> &cases()
{
    static const std::vector<Case> all = [] {
        std::vector<Case> v;
        v.push_back({"NarrowPeak", [] { return oneCurve(kRed, 2, [](double x) { return 10 + 80 * std::exp(-std::pow((x - 5) / 0.25, 2)); }); }});
        v.push_back({"StepFunction", [] { return oneCurve(kRed, 2, [](double x) { return x < 4.02 ? 20.0 : x < 7.03 ? 75.0 : 45.0; }); }});
        v.push_back({"Sawtooth", [] { return oneCurve(kRed, 2, [](double x) { return 10 + 80 * (x / 2.5 - std::floor(x / 2.5)); }); }});
        v.push_back({"LeavesTheFrameAndComesBack", [] { return oneCurve(kGreen, 2, [](double x) { return 50 + 75 * std::sin(1.1 * x); }); }});
        v.push_back({"TwoBluesFourApartFirst", [] { return nearBlues(false); }});
        v.push_back({"TwoBluesFourApartSecond", [] { return nearBlues(true); }});
        Case decay{"YStepsOnADecay", [] { return oneCurve(kBlue, 2, [](double x) { return 95 * std::exp(-x / 3); }); }};
        decay.method = Method::YSteps;
        decay.steps = StepOptions{.step = 2};
        v.push_back(decay);
        Case legend{"LegendSampleLeftOut", [] {
                        chart::Chart c = oneCurve(kRed, 2, [](double x) { return 15 + 6 * x; });
                        c.legends = {{kRed, 2, QRectF(600, 60, 40, 10)}};
                        return c;
                    }};
        legend.legend = true;
        v.push_back(legend);
        Case jpeg{"Jpeg40", [] {
                      chart::Chart c = chart::standardChart();
                      c.markers.clear();
                      for (auto &curve : c.curves)
                          curve.width = 2; // a plotting program's usual line
                      return c;
                  }};
        jpeg.picture = Picture::Jpeg40;
        for (int k = 0; k < 3; ++k) {
            jpeg.curve = k;
            v.push_back(jpeg);
        }
        Case scan{"NoisyTurnedScan", [] {
                      chart::Chart c = chart::standardChart();
                      c.markers.clear();
                      c.turn(1.5);
                      return c;
                  }};
        scan.picture = Picture::Scan;
        for (int k = 0; k < 3; ++k) {
            scan.curve = k;
            v.push_back(scan);
        }
        Case shapes{"TenMarkerShapes", [] { return markersChart(false); }, Method::Markers};
        shapes.markerColour = kOrange;
        v.push_back(shapes);
        Case onLine{"MarkersOnTheirOwnLine", [] { return markersChart(true); }, Method::Markers};
        onLine.markerColour = kOrange;
        onLine.lineUnderMarkers = true;
        v.push_back(onLine);
        // Crosses and pluses (thin strokes) lose their colour at this
        // quality: the filled shapes.
        Case jpegMarkers{"FilledMarkerShapesJpeg40", [] { return markersChart(false, 8); }, Method::Markers};
        jpegMarkers.markerColour = kOrange;
        jpegMarkers.picture = Picture::Jpeg40;
        v.push_back(jpegMarkers);
        return v;
    }();
    return all;
}

void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class ChartCase : public ::testing::TestWithParam<Case> {};

TEST_P(ChartCase, ReadsWhatIsVisibleAndNothingElse)
{
    const Case &k = GetParam();
    const chart::Chart c = k.make();
    QImage img = c.draw();
    if (k.picture == Picture::Jpeg40)
        img = chart::Chart::jpeg(img, 40);
    else if (k.picture == Picture::Scan)
        img = chart::Chart::grain(img, 6);
    CalibPanel panel;
    c.setFrame(panel);
    auto frame = readFrame(panel);
    ASSERT_TRUE(frame);
    ReadJob job;
    job.picture = img;
    job.frame = *frame;
    job.map = &frameMap(panel);
    job.panel = &panel;
    job.autoTolerance = true;
    job.method = k.method;
    job.steps = k.steps;
    job.colour = (k.method == Method::Markers ? k.markerColour : c.curves[size_t(k.curve)].colour).rgb();
    auto res = runRead(job);
    ASSERT_TRUE(res);
    EXPECT_GT(res->toleranceUsed, 0);

    if (k.method == Method::Markers) {
        std::vector<QPointF> truth;
        for (const auto &m : c.markers)
            if (m.colour == k.markerColour)
                truth.push_back(c.markerCentre(m));
        std::vector<int> hits(truth.size(), 0);
        for (const FoundPoint &p : res->points) {
            size_t best = 0;
            double bd = 1e9;
            for (size_t i = 0; i < truth.size(); ++i) {
                const double d = std::hypot(p.pixel.x() - truth[i].x(), p.pixel.y() - truth[i].y());
                if (d < bd) {
                    bd = d;
                    best = i;
                }
            }
            // A tip faded by compression shifts the box.
            EXPECT_LE(bd, k.picture == Picture::Clean ? 1.0 : 2.0) << "marker " << best << " found at " << p.pixel.x() << "," << p.pixel.y();
            ++hits[best];
        }
        for (size_t i = 0; i < truth.size(); ++i)
            EXPECT_EQ(hits[i], 1) << "marker " << i << " (shape " << int(c.markers[i].shape) << ")";
        EXPECT_EQ(res->lineUnderMarkers, k.lineUnderMarkers);
        return;
    }

    const auto trace = c.trace(c.curves[size_t(k.curve)]);
    for (const FoundPoint &p : res->points)
        EXPECT_LE(chart::distanceToPolyline(p.pixel, trace), 2.0) << "at " << p.X << "," << p.Y;
    // Visible steps: the stepping line meets the curve well inside the area.
    const bool alongY = k.method == Method::YSteps;
    auto values = stepValues(job.frame, alongY, job.steps);
    ASSERT_TRUE(values);
    const ReadArea inner(job.frame, img.size(), job.margin + 3);
    const double a = alongY ? job.frame.ya : job.frame.xa, b = alongY ? job.frame.yb : job.frame.xb;
    int visible = 0;
    for (double v : *values) {
        const double t = (v - a) / (b - a);
        auto p0 = alongY ? job.map->fractionToPicture(job.frame, 0, t) : job.map->fractionToPicture(job.frame, t, 0);
        auto p1 = alongY ? job.map->fractionToPicture(job.frame, 1, t) : job.map->fractionToPicture(job.frame, t, 1);
        ASSERT_TRUE(p0 && p1);
        const QPointF A(p0->x() * img.width(), (1 - p0->y()) * img.height()),
            B(p1->x() * img.width(), (1 - p1->y()) * img.height());
        bool seen = false;
        for (const QPointF &q : trace)
            if (inner.contains(q.x(), q.y()) && chart::distanceToPolyline(q, {A, B}) < 0.6) {
                seen = true;
                break;
            }
        visible += seen;
    }
    const double want = k.picture == Picture::Clean ? 0.9 : 0.85;
    EXPECT_GE(double(res->points.size()), want * visible) << res->points.size() << " of " << visible << " visible, detached " << res->detachedLeftOut << " tol " << res->toleranceUsed;
    EXPECT_EQ(res->skipped, int(values->size()) - int(res->points.size()));
    if (k.legend)
        EXPECT_GE(res->detachedLeftOut, 1);
}

INSTANTIATE_TEST_SUITE_P(Charts, ChartCase, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case> &i) {
                             return std::string(i.param.name) + "_" + std::to_string(i.index);
                         });

} // namespace
