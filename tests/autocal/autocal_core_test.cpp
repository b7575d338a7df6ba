// The automatic calibration on charts the tests draw with a known mapping:
// every point inside the frame must convert within a pixel of its true
// value, with the right axis modes and frame mode.

#include "autocal/calibrate.h"
#include "autocal/labels.h"
#include "chart_maker.h"
#include "model/frame_map.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QImageReader>
#include <gtest/gtest.h>

using namespace orv;
using namespace orv::autocal;
using chartmaker::Axis;
using chartmaker::ChartPlan;

namespace {

OcrEngine &tesseract()
{
    static std::unique_ptr<OcrEngine> e = tesseractEngine(nullptr);
    return *e;
}

QImage viaJpeg(const QImage &img, int quality)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPEG", quality);
    return QImage::fromData(bytes, "JPEG");
}

std::vector<double> range(double from, double to, double step)
{
    std::vector<double> v;
    for (double x = from; x <= to + step * 1e-6; x += step)
        v.push_back(std::abs(x) < step * 1e-9 ? 0 : x);
    return v;
}

Axis linear(double lo, double hi, std::vector<double> ticks, std::function<QString(double)> label = {})
{
    Axis a;
    a.lo = lo;
    a.hi = hi;
    a.ticks = std::move(ticks);
    a.label = std::move(label);
    return a;
}

Axis logAxis(double lo, double hi, bool raised)
{
    Axis a;
    a.lo = lo;
    a.hi = hi;
    a.log = true;
    a.raised = raised;
    a.minorLog = true;
    for (double d = std::ceil(std::log10(lo)); d <= std::log10(hi) + 1e-9; d += 1)
        a.ticks.push_back(std::pow(10.0, d));
    return a;
}

QString minusSign(double v) { return QString::number(v, 'g', 10).replace(u'-', QChar(0x2212)); }
QString expText(double v) { return QString::number(v, 'e', 0); }

struct Case {
    const char *name;
    ChartPlan plan;
    int jpegQuality; // 0: PNG-exact
    int tab;         // expected frame mode
    int wrongAxis = -1; // 0 X, 1 Y: a label drawn wrong on purpose
};

std::vector<Case> cases()
{
    std::vector<Case> cs;
    {
        ChartPlan s; // integers, full box, ticks outside
        s.x = linear(0, 100, range(0, 100, 20));
        s.y = linear(0, 50, range(0, 50, 10));
        cs.push_back({"integers", s, 0, 1});
    }
    {
        ChartPlan s; // small serif decimals and negatives, axes only, ticks inside, frame between ticks
        s.size = QSize(600, 450);
        s.frame = QRectF(70, 30, 500, 360);
        s.family = QStringLiteral("DejaVu Serif");
        s.pointSize = 8;
        s.fullBox = false;
        s.ticksInside = true;
        s.x = linear(-1.7, 1.7, range(-1.5, 1.5, 0.5), minusSign);
        s.y = linear(-0.45, 0.45, range(-0.4, 0.4, 0.2), [](double v) { return QString::number(v, 'f', 1); });
        cs.push_back({"decimals, negatives, axes only", s, 0, 1});
    }
    {
        ChartPlan s; // large labels with exponents, gridlines, title, legend and a text box
        s.size = QSize(2000, 1400);
        s.frame = QRectF(260, 140, 1600, 1040);
        s.pointSize = 16;
        s.grid = true;
        s.clutter = true;
        s.x = linear(0, 5e-3, range(0, 5e-3, 1e-3), expText);
        s.y = linear(-2e4, 6e4, range(-2e4, 6e4, 2e4), [](double v) { return QString::number(v, 'E', 0); });
        cs.push_back({"exponents, grid and clutter", s, 0, 1});
    }
    {
        ChartPlan s; // log Y with plain labels, a wrong X label
        s.family = QStringLiteral("DejaVu Sans Mono");
        s.pointSize = 12;
        s.x = linear(0, 10, range(0, 10, 2));
        s.x.wrong = 3;
        s.y = logAxis(1, 1e4, false);
        cs.push_back({"log Y plain, one X label wrong", s, 0, 1, 0});
    }
    {
        ChartPlan s; // log X with raised exponents
        s.size = QSize(900, 650);
        s.frame = QRectF(100, 50, 740, 500);
        s.pointSize = 12;
        s.x = logAxis(1e-2, 1e3, true);
        s.y = linear(0, 1, range(0, 1, 0.25));
        cs.push_back({"log X raised exponents", s, 0, 1});
    }
    {
        ChartPlan s; // a turned grey noisy scan
        s.size = QSize(1200, 850);
        s.frame = QRectF(140, 70, 980, 660);
        s.pointSize = 11;
        s.x = linear(0, 60, range(0, 60, 10));
        s.y = linear(0, 400, range(0, 400, 100));
        s.rotateDeg = 2.5;
        s.grey = true;
        cs.push_back({"rotated grey JPEG scan", s, 85, 2});
    }
    {
        ChartPlan s; // photographed at an angle
        s.size = QSize(1500, 1050);
        s.frame = QRectF(180, 90, 1220, 820);
        s.pointSize = 14;
        s.x = linear(0, 8, range(0, 8, 1));
        s.y = linear(10, 50, range(10, 50, 10));
        s.keystone = true;
        cs.push_back({"keystoned photo", s, 90, 3});
    }
    return cs;
}

} // namespace

TEST(AutoCalibrate, DrawnChartsConvertWithinOnePixel)
{
    for (const Case &k : cases()) {
        SCOPED_TRACE(k.name);
        const chartmaker::Chart chart = chartmaker::draw(k.plan);
        const QImage picture = k.jpegQuality ? viaJpeg(chart.image, k.jpegQuality) : chart.image;
        // ORV_TEST_PICTURES=folder keeps the pictures for a look.
        if (const QString keep = qEnvironmentVariable("ORV_TEST_PICTURES"); !keep.isEmpty())
            picture.save(keep + u'/' + QString::fromLatin1(k.name).replace(u' ', u'_').remove(u',') + QStringLiteral(".png"));
        auto cal = calibrate(picture, tesseract());
        ASSERT_TRUE(cal.has_value());
        ASSERT_TRUE(cal->frameFound);
        for (const FoundLabel &l : cal->labels)
            std::printf("  %s %s [%s] %s res %.2f %s\n", k.name, qPrintable(axisName(l.axis)), qPrintable(l.text),
                        l.value ? qPrintable(QString::number(*l.value)) : "-", l.residualPx, l.used ? "used" : "out");
        ASSERT_TRUE(cal->complete()) << qPrintable(missingTextEnglish(cal->missing));
        EXPECT_EQ(cal->tab, k.tab);
        EXPECT_EQ(cal->x.log, k.plan.x.log);
        EXPECT_EQ(cal->y.log, k.plan.y.log);
        EXPECT_TRUE(cal->x.sure);
        EXPECT_TRUE(cal->y.sure);
        CalibPanel panel;
        applyToPanel(*cal, panel);
        // Points all over the frame, each within a pixel of its true value.
        double worstX = 0, worstY = 0;
        for (double u = 0.02; u < 1; u += 0.12)
            for (double v = 0.02; v < 1; v += 0.12) {
                const QPointF at = chart.picturePoint(u, v);
                double X = 0, Y = 0;
                ASSERT_TRUE(frameMap(panel).toValue(panel, float(at.x() / picture.width()),
                                                    float(1 - at.y() / picture.height()), X, Y));
                worstX = std::max(worstX, std::abs(chartmaker::frac(k.plan.x, X) - u) * k.plan.frame.width());
                worstY = std::max(worstY, std::abs(chartmaker::frac(k.plan.y, Y) - v) * k.plan.frame.height());
            }
        EXPECT_LE(worstX, 1.0);
        EXPECT_LE(worstY, 1.0);
        std::printf("%s: X %s..%s, Y %s..%s, worst %.2f / %.2f px\n", k.name, qPrintable(cal->x.lowText),
                    qPrintable(cal->x.highText), qPrintable(cal->y.lowText), qPrintable(cal->y.highText), worstX, worstY);
        if (k.wrongAxis >= 0) {
            // The label drawn wrong is read, and left out of the fit.
            const AxisId id = AxisId(k.wrongAxis);
            const Axis &a = k.wrongAxis == 0 ? k.plan.x : k.plan.y;
            int leftOut = 0;
            for (const FoundLabel &l : cal->labels)
                leftOut += l.axis == id && l.value && !l.used && std::abs(*l.value - a.ticks[size_t(a.wrong)]) > 1e-9;
            EXPECT_EQ(leftOut, 1);
        }
    }
}

namespace {

QImage tableOfNumbers()
{
    QImage img(800, 500, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSize(11);
    p.setFont(f);
    for (int r = 0; r < 14; ++r)
        for (int c = 0; c < 6; ++c)
            p.drawText(QPointF(30 + c * 125, 40 + r * 32), QString::number((r + 1) * 13.5 + c * 101, 'f', 1));
    return img;
}

} // namespace

TEST(AutoCalibrate, PicturesWithoutAChartFindNothing)
{
    QImage noise(900, 600, QImage::Format_RGB32);
    QRandomGenerator rng(3);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x) {
            const int g = int(rng.bounded(256));
            noise.setPixel(x, y, qRgb(g, g, g));
        }
    QImage black(600, 400, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::white);
    const struct {
        const char *name;
        QImage picture;
    } pictures[] = {{"noise", noise}, {"table of numbers", tableOfNumbers()}, {"all black", black}, {"1 x 1", one}};
    for (const auto &k : pictures) {
        SCOPED_TRACE(k.name);
        auto cal = calibrate(k.picture, tesseract());
        ASSERT_TRUE(cal.has_value());
        EXPECT_FALSE(cal->complete());
        EXPECT_FALSE(cal->x.found && cal->y.found);
    }
}

// The test suite does not set the limit: this program restarted itself with
// it, as the installed program does, before the OpenMP library started.
TEST(AutoCalibrate, OcrRunsOnOneThread)
{
    EXPECT_EQ(qgetenv("OMP_THREAD_LIMIT"), QByteArray("1"));
}

int main(int argc, char **argv)
{
    // One OCR thread, as the program runs it.
    orv::autocal::limitOcrThreads(argv);
    // The charts are drawn with fonts; no display needed (test discovery has none).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
