// "orvalinetrix extract" on a reading of a chart the test draws: the options,
// the JSON and CSV output, the IDs new points take, --save and exit codes.

#include "autoread/extract_cli.h"
#include "chart_fixture.h"
#include "model/reading.h"
#include "model/utilities.h"
#include "statefile/state_file.h"

#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orv;

namespace {

class Extract : public ::testing::Test {
protected:
    QTemporaryDir dir;
    chart::Chart c = chart::standardChart();
    QString orvd, png;
    QString out, err;

    // A reading of the chart with `points` clicked points in series 1.
    void makeReading(int points = 0, bool yLog = false)
    {
        if (yLog) {
            c = chart::Chart();
            c.y0 = 1;
            c.y1 = 1000;
            c.yLog = true;
            c.curves = {{QColor(20, 150, 40), 2, [](double x) { return 2 * std::pow(10.0, 0.25 * x); }}};
        }
        png = dir.filePath(QStringLiteral("chart.png"));
        ASSERT_TRUE(c.draw().save(png));
        ScriptedDesktop desk;
        Reading r(&desk);
        r.Init_App();
        r.GraphPic_Path = png;
        c.setFrame(r.panel);
        std::vector<QPointF> clicks;
        for (int i = 0; i < points; ++i)
            clicks.emplace_back(0.5, 0.5);
        r.addPoints(1, clicks);
        orvd = dir.filePath(QStringLiteral("chart.orvd"));
        ASSERT_TRUE(writeStateFile(orvd, stateFileBytes(r)));
    }
    int run(QStringList args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        args.prepend(orvd);
        const int code = runExtractCommand(args, o, e, dir.path());
        o.flush();
        e.flush();
        return code;
    }
    QJsonArray points() const { return QJsonDocument::fromJson(out.toUtf8()).object().value(u"points").toArray(); }
};

} // namespace

TEST_F(Extract, PointsAlongXAsJsonWithTheExportShape)
{
    makeReading();
    ASSERT_EQ(run({QStringLiteral("--color"), QStringLiteral("#dc1e1e"), QStringLiteral("--points"),
                   QStringLiteral("21"), QStringLiteral("--from"), QStringLiteral("1"), QStringLiteral("--to"),
                   QStringLiteral("9")}),
              0)
        << err.toStdString();
    const QJsonObject doc = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(doc.value(u"picture").toString(), png);
    const QJsonArray pts = points();
    // Where the blue and green curves cross over the red one it is skipped.
    ASSERT_GE(pts.size(), 18);
    EXPECT_NE(err.indexOf(QStringLiteral("該当のない値 %1 個").arg(21 - pts.size())), -1);
    double lastX = 0;
    for (int i = 0; i < pts.size(); ++i) {
        const QJsonObject p = pts[i].toObject();
        for (const char *key : {"series", "id", "x", "y", "X", "Y", "X_text", "Y_text", "z"})
            EXPECT_TRUE(p.contains(QLatin1String(key))) << key;
        EXPECT_EQ(p.value(u"series").toInt(), 1);
        EXPECT_EQ(p.value(u"id").toInt(), i + 1); // lowest free IDs in X order
        const double m = (p.value(u"X").toDouble() - 1) / 0.4;
        EXPECT_NEAR(m, std::round(m), 1e-3);
        EXPECT_GT(p.value(u"X").toDouble(), lastX);
        lastX = p.value(u"X").toDouble();
        // Within half a pixel vertically or along the slope (5 px per unit of Y).
        const double x = p.value(u"X").toDouble();
        const double slope = std::abs(30 * 0.8 * std::cos(0.8 * x)) * 5 / 68;
        EXPECT_NEAR(p.value(u"Y").toDouble(), c.curves[0].f(x), 0.1 * (1 + slope));
    }
    // The same colour without "#".
    EXPECT_EQ(run({QStringLiteral("--color"), QStringLiteral("DC1E1E"), QStringLiteral("--x-step"), QStringLiteral("0.5")}), 0);
    EXPECT_GE(points().size(), 18);
}

TEST_F(Extract, IdsFollowTheReadingsPointsAndSeries)
{
    makeReading(3);
    ASSERT_EQ(run({QStringLiteral("--color"), QStringLiteral("f08c00"), QStringLiteral("--markers"),
                   QStringLiteral("--series"), QStringLiteral("4")}),
              0)
        << err.toStdString();
    const QJsonArray pts = points();
    ASSERT_EQ(pts.size(), 8); // six orange markers and the touching pair, split
    double lastX = -1e9;
    for (int i = 0; i < pts.size(); ++i) {
        const QJsonObject p = pts[i].toObject();
        EXPECT_EQ(p.value(u"series").toInt(), 4);
        EXPECT_EQ(p.value(u"id").toInt(), 4 + i);
        EXPECT_GE(p.value(u"X").toDouble(), lastX);
        lastX = p.value(u"X").toDouble();
    }
}

TEST_F(Extract, CsvAndLogAxisFactorSteps)
{
    makeReading(0, true);
    ASSERT_EQ(run({QStringLiteral("--color"), QStringLiteral("149628"), QStringLiteral("--y-step"),
                   QStringLiteral("2"), QStringLiteral("--format"), QStringLiteral("csv")}),
              0)
        << err.toStdString();
    const QStringList lines = out.trimmed().split(u'\n');
    EXPECT_EQ(lines.front(), QStringLiteral("series,id,X,Y"));
    // Y from 1 to 1000 by factors of 2: 1, 2, 4 ... 512. The curve starts at
    // Y = 2 on the frame's left edge, which the margin keeps off: 4 .. 512.
    ASSERT_EQ(lines.size(), 1 + 8);
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList f = lines[i].split(u',');
        EXPECT_EQ(f[1], QString::number(i));
        EXPECT_NEAR(f[3].toDouble(), std::pow(2, i + 1), 1e-3 * std::pow(2, i + 1));
    }
    // A factor of 1 or less does not step along a log axis.
    EXPECT_EQ(run({QStringLiteral("--color"), QStringLiteral("149628"), QStringLiteral("--y-step"), QStringLiteral("1")}), 2);
    EXPECT_NE(err.indexOf(QStringLiteral("刻み")), -1);
}

TEST_F(Extract, SaveWritesTheReadingWithThePointsAndLeavesTheInput)
{
    makeReading(2);
    QFile in(orvd);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray before = in.readAll();
    in.close();
    const QString saved = dir.filePath(QStringLiteral("out.orvd"));
    ASSERT_EQ(run({QStringLiteral("--color"), QStringLiteral("8c28aa"), QStringLiteral("--markers"),
                   QStringLiteral("--save"), saved}),
              0)
        << err.toStdString();
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    EXPECT_EQ(in.readAll(), before);
    in.close();
    ScriptedDesktop desk;
    Reading r(&desk);
    r.Init_App();
    auto parsed = readStateFile(saved);
    ASSERT_TRUE(parsed);
    LoadOptions headless;
    headless.openPicture = false;
    ASSERT_TRUE(applyStateFile(r, *parsed, headless).ok);
    int count = 0;
    for (int id = 1; id <= Reading::kMaxId; ++id)
        count += Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 0) == u"TRUE";
    EXPECT_EQ(count, 2 + 4);
    EXPECT_EQ(r.grid(1).rowCount(), 1 + 6);
    // The saved positions are the printed ones.
    const QJsonObject p = points().at(0).toObject();
    const int id = p.value(u"id").toInt();
    EXPECT_EQ(Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 2).toFloat(),
              float(p.value(u"x").toDouble()));
    // A folder cannot be saved over.
    EXPECT_EQ(run({QStringLiteral("--color"), QStringLiteral("8c28aa"), QStringLiteral("--markers"),
                   QStringLiteral("--save"), dir.path()}),
              4);
}

TEST_F(Extract, LimitLeavesOutWhatDoesNotFit)
{
    makeReading(245);
    ASSERT_EQ(run({QStringLiteral("--color"), QStringLiteral("dc1e1e"), QStringLiteral("--points"), QStringLiteral("20")}), 0);
    EXPECT_EQ(points().size(), 5);
    EXPECT_NE(err.indexOf(QStringLiteral("点を追加しませんでした")), -1) << err.toStdString();
}

TEST_F(Extract, ExitCodes)
{
    makeReading();
    const QString red = QStringLiteral("dc1e1e");
    const QString col = QStringLiteral("--color");
    EXPECT_EQ(run({col, red}), 2); // no method
    EXPECT_NE(err.indexOf(QStringLiteral("方法を一つ指定して下さい")), -1);
    EXPECT_EQ(run({col, red, QStringLiteral("--markers"), QStringLiteral("--points"), QStringLiteral("5")}), 2);
    EXPECT_EQ(run({QStringLiteral("--markers")}), 2); // no colour
    EXPECT_EQ(run({col, QStringLiteral("red"), QStringLiteral("--markers")}), 2);
    EXPECT_EQ(run({col, QStringLiteral("#12345"), QStringLiteral("--markers")}), 2);
    EXPECT_EQ(run({col, red, QStringLiteral("--markers"), QStringLiteral("--from"), QStringLiteral("1")}), 2);
    EXPECT_EQ(run({col, red, QStringLiteral("--x-step"), QStringLiteral("0")}), 2);
    EXPECT_EQ(run({col, red, QStringLiteral("--points"), QStringLiteral("5"), QStringLiteral("--tolerance"),
                   QStringLiteral("61")}),
              2);
    EXPECT_EQ(run({col, red, QStringLiteral("--markers"), QStringLiteral("--series"), QStringLiteral("17")}), 2);
    EXPECT_EQ(run({col, red, QStringLiteral("--markers"), QStringLiteral("--bogus")}), 2);
    // Nothing of a colour the chart does not have.
    EXPECT_EQ(run({col, QStringLiteral("ffff00"), QStringLiteral("--points"), QStringLiteral("10")}), 3);
    EXPECT_TRUE(out.isEmpty());
    // The picture gone: unreadable.
    ASSERT_TRUE(QFile::remove(png));
    EXPECT_EQ(run({col, red, QStringLiteral("--points"), QStringLiteral("10")}), 1);
    // No such reading.
    orvd = dir.filePath(QStringLiteral("missing.orvd"));
    EXPECT_EQ(run({col, red, QStringLiteral("--points"), QStringLiteral("10")}), 1);
}

TEST_F(Extract, IncompleteFrameIsRefused)
{
    png = dir.filePath(QStringLiteral("chart.png"));
    ASSERT_TRUE(c.draw().save(png));
    ScriptedDesktop desk;
    Reading r(&desk);
    r.Init_App();
    r.GraphPic_Path = png;
    c.setFrame(r.panel);
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("abc"));
    orvd = dir.filePath(QStringLiteral("chart.orvd"));
    ASSERT_TRUE(writeStateFile(orvd, stateFileBytes(r)));
    EXPECT_EQ(run({QStringLiteral("--color"), QStringLiteral("dc1e1e"), QStringLiteral("--points"), QStringLiteral("10")}), 1);
    EXPECT_NE(err.indexOf(QStringLiteral("枠線の定義")), -1);
}

int main(int argc, char **argv)
{
    // Test discovery runs without the suite's environment: no display needed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
