// "orvalinetrix calibrate": options, exit codes, the text and JSON reports,
// --save through the safe writer, a PDF page's own text, and hostile
// pictures that must end cleanly.

#include "autocal/calibrate_cli.h"
#include "autocal/ocr.h"
#include "chart_maker.h"
#include "statefile/state_file.h"

#include <QBuffer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orv;

namespace {

struct CliRun {
    int code;
    QString out, err;
};

CliRun calibrateCli(const QStringList &args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = autocal::runCalibrateCommand(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}

chartmaker::ChartPlan simpleChart()
{
    chartmaker::ChartPlan s;
    s.x.lo = 0;
    s.x.hi = 10;
    s.y.lo = -5;
    s.y.hi = 5;
    for (int v = 0; v <= 10; v += 2)
        s.x.ticks.push_back(v);
    for (int v = -4; v <= 4; v += 2)
        s.y.ticks.push_back(v);
    return s;
}

// A PNG whose header claims a size the file does not hold.
QByteArray claimedPng(quint32 w, quint32 h)
{
    QImage small(4, 4, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    small.save(&buf, "PNG");
    // IHDR data starts at 16; its CRC (of type and data) follows at 29.
    auto put = [&](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char((v >> (24 - 8 * i)) & 0xff);
    };
    put(16, w);
    put(20, h);
    quint32 crc = 0xffffffffu;
    for (int i = 12; i < 29; ++i) {
        crc ^= quint8(bytes[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    put(29, ~crc);
    return bytes;
}

} // namespace

TEST(CalibrateCli, OptionsAndExitCodes)
{
    QTemporaryDir dir;
    const QString chart = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(chartmaker::draw(simpleChart()).image.save(chart));
    QImage black(500, 400, QImage::Format_RGB32);
    black.fill(Qt::black);
    black.save(dir.filePath(QStringLiteral("black.png")));
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::white);
    one.save(dir.filePath(QStringLiteral("one.png")));
    QImage text(700, 500, QImage::Format_RGB32);
    text.fill(Qt::white);
    {
        QPainter p(&text);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        for (int r = 0; r < 15; ++r)
            p.drawText(QPointF(20, 30 + 30 * r), QStringLiteral("Line %1: 12.5 34 -7 and some words 1e-3").arg(r));
    }
    text.save(dir.filePath(QStringLiteral("text.png")));
    QFile huge(dir.filePath(QStringLiteral("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    huge.write(claimedPng(20000, 20000));
    huge.close();

    const QString out = dir.filePath(QStringLiteral("out.orvd"));
    const struct {
        QStringList args;
        int code;
        const char *says; // in the output (stdout or stderr)
    } cases[] = {
        {{}, 2, "no picture given"},
        {{chart, QStringLiteral("--format"), QStringLiteral("xml")}, 2, "--format must be text or json"},
        {{chart, QStringLiteral("--page"), QStringLiteral("2")}, 2, "--page belongs to a PDF file"},
        {{chart, QStringLiteral("--page"), QStringLiteral("0")}, 2, "--page must be a page number"},
        {{chart, QStringLiteral("--colour")}, 2, "unknown option"},
        {{chart, chart}, 2, "only one picture"},
        {{chart, QStringLiteral("--save")}, 2, "--save needs a file name"},
        {{QStringLiteral("--help")}, 0, "Usage: orvalinetrix calibrate"},
        {{dir.filePath(QStringLiteral("missing.png"))}, 1, "cannot read the picture"},
        {{dir.filePath(QStringLiteral("huge.png"))}, 1, "cannot read the picture"},
        {{dir.filePath(QStringLiteral("one.png")), QStringLiteral("--save"), out}, 3, "no axis lines"},
        {{dir.filePath(QStringLiteral("black.png"))}, 3, "no axis lines"},
        {{dir.filePath(QStringLiteral("text.png"))}, 3, "no axis lines"},
        {{chart}, 0, "frame: diagonal (full box)"},
        {{chart, QStringLiteral("--save"), dir.filePath(QStringLiteral("no/such/folder/out.orvd"))}, 4, ""},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(qPrintable(k.args.join(u' ')));
        const CliRun r = calibrateCli(k.args);
        EXPECT_EQ(r.code, k.code) << qPrintable(r.err);
        EXPECT_TRUE((r.out + r.err).contains(QString::fromUtf8(k.says))) << qPrintable(r.out + r.err);
    }
    // Nothing found: nothing saved.
    EXPECT_FALSE(QFile::exists(out));
}

TEST(CalibrateCli, JsonReportAndSavedReading)
{
    QTemporaryDir dir;
    const QString chart = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(chartmaker::draw(simpleChart()).image.save(chart));
    const QString saved = dir.filePath(QStringLiteral("chart.orvd"));
    const CliRun r = calibrateCli({chart, QStringLiteral("--format"), QStringLiteral("json"), QStringLiteral("--save"), saved});
    ASSERT_EQ(r.code, 0) << qPrintable(r.err);
    const QJsonObject j = QJsonDocument::fromJson(r.out.toUtf8()).object();
    EXPECT_EQ(j[QStringLiteral("width")].toInt(), 1000);
    const QJsonObject frame = j[QStringLiteral("frame")].toObject();
    EXPECT_EQ(frame[QStringLiteral("mode")].toString(), QStringLiteral("diagonal"));
    for (const char *c : {"LL", "LU", "RU", "RL"}) {
        EXPECT_EQ(frame[QStringLiteral("corners")].toObject()[QLatin1String(c)].toArray().size(), 2);
        EXPECT_EQ(frame[QStringLiteral("normalised")].toObject()[QLatin1String(c)].toArray().size(), 2);
    }
    // The frame is drawn at x 110..930 (values 0..10), y 60..600 (5..-5).
    const QJsonArray ll = frame[QStringLiteral("corners")].toObject()[QStringLiteral("LL")].toArray();
    EXPECT_NEAR(ll[0].toDouble(), 110.5, 1.0);
    EXPECT_NEAR(ll[1].toDouble(), 599.5, 1.0);
    const QJsonObject x = j[QStringLiteral("axes")].toObject()[QStringLiteral("X")].toObject();
    const QJsonObject y = j[QStringLiteral("axes")].toObject()[QStringLiteral("Y")].toObject();
    EXPECT_EQ(x[QStringLiteral("mode")].toString(), QStringLiteral("linear"));
    EXPECT_TRUE(x[QStringLiteral("sure")].toBool());
    EXPECT_TRUE(y[QStringLiteral("sure")].toBool());
    EXPECT_NEAR(x[QStringLiteral("low")].toString().toDouble(), 0, 0.02);
    EXPECT_NEAR(y[QStringLiteral("high")].toString().toDouble(), 5, 0.02);
    int used = 0;
    for (const QJsonValue &l : j[QStringLiteral("labels")].toArray()) {
        const QJsonObject o = l.toObject();
        for (const char *key : {"axis", "box", "text", "value", "confidence", "residualPx", "used"})
            EXPECT_TRUE(o.contains(QLatin1String(key))) << key;
        used += o[QStringLiteral("used")].toBool();
    }
    EXPECT_EQ(used, 11);

    // The saved reading: the picture by its absolute path and size, the frame and values, free points.
    auto parsed = readStateFile(saved);
    ASSERT_TRUE(parsed.has_value());
    QFile f(saved);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    EXPECT_EQ(lines.size(), 265); // 263 lines, the Axis Mode line, nothing after the last CRLF
    EXPECT_EQ(lines[1].trimmed(), "Graph Picture :" + chart.toUtf8());
    EXPECT_TRUE(lines[3].startsWith("Defnt.Style   :"));
    EXPECT_EQ(lines.count(" Array Data   :FALSE,0,0,0,0\r"), 255);
    EXPECT_EQ(lines[263].trimmed(), "Axis Mode     :X=Linear,Y=Linear");
}

TEST(CalibrateCli, PdfPageLabelsComeFromItsText)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("figure.pdf"));
    {
        // Page 2 holds the chart, drawn as vector lines and real text.
        QPdfWriter w(pdf);
        w.setResolution(72);
        w.setPageSize(QPageSize(QSizeF(500, 380), QPageSize::Point));
        QPainter p(&w);
        w.newPage();
        const QRectF f(70, 30, 400, 300);
        p.setPen(QPen(Qt::black, 0.8));
        p.drawRect(f);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        for (int i = 0; i <= 5; ++i) {
            const double x = f.left() + i * f.width() / 5, y = f.bottom() - i * f.height() / 5;
            p.drawLine(QPointF(x, f.bottom()), QPointF(x, f.bottom() + 4));
            p.drawLine(QPointF(f.left(), y), QPointF(f.left() - 4, y));
            p.drawText(QRectF(x - 20, f.bottom() + 6, 40, 12), Qt::AlignCenter, QString::number(0.25 * i));
            p.drawText(QRectF(f.left() - 50, y - 6, 42, 12), Qt::AlignRight | Qt::AlignVCenter, QString::number(-200 + 100 * i));
        }
    }
    if (const QString keep = qEnvironmentVariable("ORV_TEST_PICTURES"); !keep.isEmpty())
        QFile::copy(pdf, keep + QStringLiteral("/figure.pdf"));
    for (const QStringList &args : {QStringList{pdf, QStringLiteral("--page"), QStringLiteral("2"), QStringLiteral("--format"), QStringLiteral("json")},
                                    QStringList{pdf + QStringLiteral("#page=2"), QStringLiteral("--format"), QStringLiteral("json")}}) {
        const CliRun r = calibrateCli(args);
        ASSERT_EQ(r.code, 0) << qPrintable(r.err + r.out);
        const QJsonObject j = QJsonDocument::fromJson(r.out.toUtf8()).object();
        EXPECT_TRUE(j[QStringLiteral("picture")].toString().endsWith(QStringLiteral("figure.pdf#page=2")));
        int exact = 0;
        for (const QJsonValue &l : j[QStringLiteral("labels")].toArray())
            exact += l.toObject()[QStringLiteral("confidence")].toInt() == 100 && l.toObject()[QStringLiteral("used")].toBool();
        EXPECT_EQ(exact, 12);
        const QJsonObject y = j[QStringLiteral("axes")].toObject()[QStringLiteral("Y")].toObject();
        EXPECT_NEAR(y[QStringLiteral("low")].toString().toDouble(), -200, 0.5);
        EXPECT_NEAR(y[QStringLiteral("high")].toString().toDouble(), 300, 0.5);
    }
}

TEST(CalibrateCli, MissingOcrDataIsAClearMessage)
{
    QTemporaryDir dir, empty;
    const QString chart = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(chartmaker::draw(simpleChart()).image.save(chart));
    const QByteArray before = qgetenv("TESSDATA_PREFIX");
    qputenv("TESSDATA_PREFIX", empty.path().toLocal8Bit());
    QString why;
    EXPECT_EQ(autocal::tesseractEngine(&why), nullptr);
    const CliRun r = calibrateCli({chart});
    if (before.isEmpty())
        qunsetenv("TESSDATA_PREFIX");
    else
        qputenv("TESSDATA_PREFIX", before);
    EXPECT_TRUE(why.contains(empty.path() + QStringLiteral("/eng.traineddata"))) << qPrintable(why);
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("the OCR data for English is missing"))) << qPrintable(r.err);
}
