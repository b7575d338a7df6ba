// The shipped sample reading: made by its tool from the shipped chart, read back
// by the built program to the chart's true values, and opened as the window
// opens it.
#include "model/reading.h"
#include "statefile/state_file.h"
#include "tools/sample_chart.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

using namespace orv;

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct ProcessResult {
    int exitCode = -1;
    QByteArray out, err;
};

ProcessResult run(const QString &program, const QStringList &args, const QString &cwd)
{
    QProcess p;
    p.setProgram(program);
    p.setArguments(args);
    p.setWorkingDirectory(cwd);
    p.start();
    ProcessResult r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

const QString kSource = QStringLiteral(ORV_SOURCE_DIR);
const QString kBuild = QStringLiteral(ORV_BUILD_DIR);

TEST(SampleReading, CommittedFileIsWhatTheToolWrites)
{
    // A stale sample would still load, but it would no longer be the reading of
    // the chart the tool and the picture describe.
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    ASSERT_TRUE(QDir(tmp.path()).mkpath(QStringLiteral("sample")));
    ASSERT_TRUE(QFile::copy(kSource + QStringLiteral("/sample/chart.png"), tmp.path() + QStringLiteral("/sample/chart.png")));
    const ProcessResult r = run(QStringLiteral(ORV_SAMPLE_TOOL), {tmp.path()}, tmp.path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray made = readAll(tmp.path() + QStringLiteral("/sample/chart.orvd"));
    const QByteArray committed = readAll(kSource + QStringLiteral("/sample/chart.orvd"));
    ASSERT_FALSE(made.isEmpty());
    EXPECT_TRUE(made == committed) << "sample/chart.orvd is out of date; run: build/tools/make_sample_reading .";
    EXPECT_EQ(made.count("\r\n"), 264); // the 263 lines of the layout and the axis modes
    EXPECT_TRUE(made.contains("Graph Picture :\\sample\\chart.png\r\n"));
}

TEST(SampleReading, ExportGivesTheChartsValuesFromAnyFolder)
{
    // Run from elsewhere: the picture is found beside the program, not the shell.
    QTemporaryDir cwd;
    ASSERT_TRUE(cwd.isValid());
    const ProcessResult r = run(QStringLiteral(ORV_EXE),
                      {QStringLiteral("export"), kBuild + QStringLiteral("/sample/chart.orvd"), QStringLiteral("--format"),
                       QStringLiteral("json")},
                      cwd.path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << "no warning expected (a missing picture is one): " << r.err.toStdString();

    QJsonParseError perr;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &perr);
    ASSERT_EQ(perr.error, QJsonParseError::NoError) << perr.errorString().toStdString();
    EXPECT_EQ(QDir::cleanPath(doc[QStringLiteral("picture")].toString()),
              QDir::cleanPath(kBuild + QStringLiteral("/sample/chart.png")));
    EXPECT_EQ(doc[QStringLiteral("mode")].toString(), QString::fromUtf16(CalibPanel::kDiagonal));

    std::vector<std::pair<int, QPointF>> expected;
    for (const QPointF &p : sample::dataPoints())
        expected.emplace_back(1, p);
    for (const QPointF &p : sample::secondSeries())
        expected.emplace_back(2, p);
    const QJsonArray pts = doc[QStringLiteral("points")].toArray();
    ASSERT_EQ(pts.size(), qsizetype(expected.size()));
    // A pixel is 0.015 in X and 0.21 in Y: these bounds catch a point off its marker.
    for (qsizetype i = 0; i < pts.size(); ++i) {
        const QJsonObject p = pts[i].toObject();
        const auto &[series, v] = expected[size_t(i)];
        SCOPED_TRACE("point " + std::to_string(i + 1));
        EXPECT_EQ(p[QStringLiteral("series")].toInt(), series);
        EXPECT_EQ(p[QStringLiteral("id")].toInt(), i + 1);
        EXPECT_NEAR(p[QStringLiteral("X")].toDouble(), v.x(), 1e-3);
        EXPECT_NEAR(p[QStringLiteral("Y")].toDouble(), v.y(), 1e-2);
    }
    // The two typed Z values come back in their rows, the others stay empty.
    QStringList zs;
    for (const auto &p : pts)
        zs << p.toObject()[QStringLiteral("z")].toString();
    EXPECT_EQ(zs.join(u'|').toStdString(), "|||12.5||||-3||||");
}

TEST(SampleReading, OpensInTheWindowWithPictureFrameAndTables)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = kBuild;
    r.Init_App();
    ASSERT_EQ(openReadingFile(r, kBuild + QStringLiteral("/sample/chart.orvd")), 0);
    EXPECT_TRUE(desk.messages.empty()) << desk.messages.front().text.toStdString();
    EXPECT_TRUE(r.graph.loaded());
    EXPECT_EQ(r.graph.picture().size(), QSize(sample::kWidth, sample::kHeight));
    EXPECT_TRUE(r.Dfnt_Done);
    EXPECT_EQ(r.graph.pickCount(), 12);
    EXPECT_EQ(r.grid(1).rowCount() - 1, 7);
    EXPECT_EQ(r.grid(2).rowCount() - 1, 5);
    // The frame lies on the axes box: LL and RU at its corners, in pixels.
    EXPECT_NEAR(readPrefix(r.panel.pos(CalibPanel::LLX_Text)) * sample::kWidth, sample::kLeft, 0.01);
    EXPECT_NEAR((1 - readPrefix(r.panel.pos(CalibPanel::LLY_Text))) * sample::kHeight, sample::kBottom, 0.01);
    EXPECT_NEAR(readPrefix(r.panel.pos(CalibPanel::RUX_Text)) * sample::kWidth, sample::kRight, 0.01);
    EXPECT_NEAR((1 - readPrefix(r.panel.pos(CalibPanel::RUY_Text))) * sample::kHeight, sample::kTop, 0.01);
}

TEST(DesktopFiles, IconIsAWellFormedSquareSvg)
{
    // Desktop environments draw the scalable icon themselves; an SVG that does
    // not parse leaves a blank tile in the menu.
    QFile f(kSource + QStringLiteral("/packaging/orvalinetrix.svg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    ASSERT_TRUE(xml.readNextStartElement());
    EXPECT_EQ(xml.name(), u"svg");
    EXPECT_EQ(xml.namespaceUri(), u"http://www.w3.org/2000/svg");
    const QStringList box = xml.attributes().value(QStringLiteral("viewBox")).toString().split(u' ');
    ASSERT_EQ(box.size(), 4);
    EXPECT_EQ(box[2], box[3]) << "the icon must be square";
    int elements = 0;
    while (!xml.atEnd())
        elements += xml.readNext() == QXmlStreamReader::StartElement;
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_GT(elements, 3);
}

} // namespace
