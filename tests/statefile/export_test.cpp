// "orvalinetrix export": the values written are those the tables show.
#include "state_fixture.h"
#include "statefile/export_cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cmath>

using namespace orvtest;

namespace {

struct ExportFixture : StateFixture {
    QString file;
    QString outText, errText;

    void SetUp() override
    {
        StateFixture::SetUp();
        buildReading(false);
        file = path("reading.orvd");
        ASSERT_TRUE(save(file));
    }

    int run(QStringList args)
    {
        outText.clear();
        errText.clear();
        QTextStream out(&outText), err(&errText);
        return runExportCommand(args, out, err, prog);
    }
};

QString decodeCp932(const QByteArray &b)
{
    QStringDecoder d("Shift_JIS");
    return d.decode(b);
}

} // namespace

TEST_F(ExportFixture, CsvFilesHoldWhatTheTablesShow)
{
    const QString out = path("out");
    ASSERT_EQ(run({file, QStringLiteral("--out"), out}), 0) << s(errText);
    EXPECT_TRUE(errText.isEmpty()) << s(errText);
    for (int sr : {1, 3, 16}) {
        const QString csv = out + QStringLiteral("/series-%1.csv").arg(sr);
        EXPECT_TRUE(outText.contains(csv));
        // Built from the reading that was saved, cell by cell.
        QString expected = QStringLiteral("系列%1\r\n").arg(sr);
        const SeriesTable &t = r.grid(sr);
        for (int row = 1; row < t.rowCount(); ++row)
            expected += t.cell(row, 2) + u',' + t.cell(row, 3) + u',' + t.cell(row, 4) + QStringLiteral("\r\n");
        EXPECT_EQ(s(decodeCp932(readAll(csv))), s(expected)) << sr;
    }
    EXPECT_EQ(readAll(out + QStringLiteral("/series-1.csv")).left(5), QByteArray("\x8c\x6e\x97\xf1\x31"));
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("/series-2.csv")));
}

TEST_F(ExportFixture, JsonHasEveryPointInIdOrderAtFullPrecision)
{
    ASSERT_EQ(run({file, QStringLiteral("--format"), QStringLiteral("json")}), 0) << s(errText);
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(outText.toUtf8(), &pe);
    ASSERT_EQ(pe.error, QJsonParseError::NoError) << s(pe.errorString()) << s(outText);
    const QJsonObject root = doc.object();
    EXPECT_EQ(s(root[u"picture"].toString()), s(picture));
    EXPECT_EQ(s(root[u"mode"].toString()), "対角定義");
    const QJsonArray pts = root[u"points"].toArray();
    ASSERT_EQ(pts.size(), 4);
    const int ids[] = {1, 3, 4, 5};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject p = pts[i].toObject();
        const int id = ids[i];
        EXPECT_EQ(p[u"id"].toInt(), id);
        const QStringList rec = r.Pt_Array[size_t(id)].split(u',');
        const int sr = rec[1].toInt();
        EXPECT_EQ(p[u"series"].toInt(), sr);
        EXPECT_EQ(float(p[u"x"].toDouble()), rec[2].toFloat());
        EXPECT_EQ(float(p[u"y"].toDouble()), rec[3].toFloat());
        ASSERT_TRUE(r.Conv_Pt(rec[2].toFloat(), rec[3].toFloat()));
        EXPECT_EQ(p[u"X"].toDouble(), r.Conv_X); // bit for bit
        EXPECT_EQ(p[u"Y"].toDouble(), r.Conv_Y);
        const SeriesTable &t = r.grid(sr);
        int row = 1;
        while (t.cell(row, 1) != QString::number(id))
            ++row;
        EXPECT_EQ(s(p[u"X_text"].toString()), s(t.cell(row, 2)));
        EXPECT_EQ(s(p[u"Y_text"].toString()), s(t.cell(row, 3)));
        EXPECT_EQ(s(p[u"z"].toString()), s(t.cell(row, 4)));
    }
    EXPECT_EQ(s(pts[0].toObject()[u"z"].toString()), "3");
}

TEST_F(ExportFixture, AxisModesAndFormatsAreOptions)
{
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1000"));
    ASSERT_TRUE(save(file));
    ASSERT_EQ(run({file, QStringLiteral("--x-log"), QStringLiteral("--y-format=0.00e+0"), QStringLiteral("--format"),
                   QStringLiteral("json")}),
              0)
        << s(errText);
    const QJsonObject p = QJsonDocument::fromJson(outText.toUtf8()).object()[u"points"].toArray()[0].toObject();
    r.panel.setXLog(true);
    r.settings.yFormat.setText(QStringLiteral("0.00e+0"));
    ASSERT_TRUE(r.Conv_Pt(0.5f, 0.25f));
    EXPECT_EQ(p[u"X"].toDouble(), r.Conv_X);
    EXPECT_EQ(s(p[u"X_text"].toString()), s(r.Format_Val(u"X", r.Conv_X)));
    EXPECT_EQ(s(p[u"Y_text"].toString()), s(r.Format_Val(u"Y", r.Conv_Y)));
    EXPECT_TRUE(p[u"Y_text"].toString().contains(u'e'));
}

TEST_F(ExportFixture, StoredAxisModesApplyUnlessAnOptionSaysOtherwise)
{
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1000"));
    r.panel.setVal(CalibPanel::LLY_VLText, QStringLiteral("1"));
    r.panel.setXLog(true);
    ASSERT_TRUE(save(file));
    // The X and Y of point 1 (0.5, 0.25) in JSON.
    auto first = [this](QStringList args) {
        args.prepend(file);
        args << QStringLiteral("--format=json");
        EXPECT_EQ(run(args), 0) << s(errText);
        const QJsonObject p = QJsonDocument::fromJson(outText.toUtf8()).object()[u"points"].toArray()[0].toObject();
        return std::pair{p[u"X"].toDouble(), p[u"Y"].toDouble()};
    };
    auto expected = [this](bool xLog, bool yLog) {
        r.panel.setXLog(xLog);
        r.panel.setYLog(yLog);
        EXPECT_TRUE(r.Conv_Pt(0.5f, 0.25f));
        return std::pair{r.Conv_X, r.Conv_Y};
    };
    EXPECT_EQ(first({}), expected(true, false)); // as saved
    EXPECT_NEAR(first({}).first, std::sqrt(1000.0), 1e-3);
    EXPECT_EQ(first({QStringLiteral("--x-linear")}), expected(false, false));
    EXPECT_EQ(first({QStringLiteral("--y-log")}), expected(true, true));
    EXPECT_EQ(first({QStringLiteral("--x-linear"), QStringLiteral("--y-log")}), expected(false, true));

    EXPECT_EQ(run({file, QStringLiteral("--x-log"), QStringLiteral("--x-linear")}), 2);
    EXPECT_TRUE(errText.contains(QStringLiteral("両立しません"))) << s(errText);
    EXPECT_TRUE(exportHelpText().contains(QStringLiteral("--y-linear")));
}

TEST_F(ExportFixture, DiagonalFramesUseTheDerivedCornersAsTheWindowDoes)
{
    // A diagonal-mode file whose LU/RL corners are not the derived ones
    // (edited, or written by another tool).
    const QByteArray text = QByteArray("Orvalinetrix  :Version 1.0.0\r\n"
                                       "Graph Picture :\\sample\\chart1.png\r\n"
                                       "Picture Size  :5400,7200\r\n"
                                       "Defnt.Style   :\x91\xce\x8a\x70\x92\xe8\x8b\x60\r\n"
                                       "Defnt.Point   :0.1,0.1,0.3,0.8,0.9,0.9,0.7,0.2\r\n"
                                       "Defnt.Pt.Val  :0,0,10,10\r\n"
                                       " Array Data   :TRUE,1,0.3,0.8,0\r\n");
    writeAll(file, text);
    ASSERT_EQ(run({file, QStringLiteral("--format=json")}), 0) << s(errText);
    const QJsonObject p = QJsonDocument::fromJson(outText.toUtf8()).object()[u"points"].toArray()[0].toObject();
    EXPECT_NEAR(p[u"X"].toDouble(), 2.5, 1e-5);
    EXPECT_NEAR(p[u"Y"].toDouble(), 8.75, 1e-5);

    // The window's load gives the same values and shows the derived corners.
    r.Reset_Reading(false);
    ASSERT_EQ(Load_State(r, file), LoadResult::Loaded);
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColX)), "2.5000");
    EXPECT_EQ(s(r.grid(1).cell(1, SeriesTable::ColY)), "8.7500");
    EXPECT_EQ(s(r.panel.pos(CalibPanel::LUX_Text)), "0.1");
    EXPECT_EQ(s(r.panel.pos(CalibPanel::RLY_Text)), "0.1");
}

// A reading saved in the projective mode exports the projective values: the
// centre of a keystoned frame is the middle of both axes, which the bilinear
// map misses by more than 1 % of the range.
TEST_F(ExportFixture, ProjectiveFramesExportProjectiveValues)
{
    const QByteArray text = QByteArray("Orvalinetrix  :Version 1.0.0\r\n"
                                       "Graph Picture :\\sample\\chart1.png\r\n"
                                       "Picture Size  :5400,7200\r\n"
                                       "Defnt.Style   :") +
                            QStringEncoder("Shift_JIS").encode(QStringLiteral("射影定義")) +
                            "\r\nDefnt.Point   :0.1,0.1,0.4,0.5,0.6,0.5,0.9,0.1\r\n"
                            "Defnt.Pt.Val  :0,0,10,10\r\n"
                            " Array Data   :TRUE,1,0.5,0.2,0\r\n";
    writeAll(file, text);
    ASSERT_EQ(run({file, QStringLiteral("--format=json")}), 0) << s(errText);
    const QJsonObject doc = QJsonDocument::fromJson(outText.toUtf8()).object();
    EXPECT_EQ(doc[u"mode"].toString(), QStringLiteral("射影定義"));
    const QJsonObject p = doc[u"points"].toArray()[0].toObject();
    // On the centre line the chart's bottom (0), top (1) and infinity appear
    // at yb, yt and the vanishing point yv: the cross ratio gives the height.
    const double yb = 0.1, yt = 0.5, yv = 0.1 + 0.4 * 4.0 / 3.0, y = 0.2f;
    const double v = ((y - yb) / (yv - y)) / ((yt - yb) / (yv - yt));
    EXPECT_NEAR(p[u"X"].toDouble(), 5, 1e-5);
    EXPECT_NEAR(p[u"Y"].toDouble(), 10 * v, 1e-5);
    EXPECT_GT(std::abs(p[u"Y"].toDouble() - 10 * (y - yb) / (yt - yb)), 0.1); // not the bilinear value
}

TEST_F(ExportFixture, MissingPictureIsOnlyAWarning)
{
    ASSERT_TRUE(QFile::remove(picture));
    const QString out = path("o2");
    EXPECT_EQ(run({file, QStringLiteral("--out"), out}), 0);
    EXPECT_TRUE(errText.contains(QStringLiteral("画像ファイルがありません")));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("/series-3.csv")));
}

TEST_F(ExportFixture, UnconvertiblePointsCarryAnErrorAndExitThree)
{
    ASSERT_EQ(run({file, QStringLiteral("--y-log"), QStringLiteral("--format=json")}), 3);
    const QJsonArray pts = QJsonDocument::fromJson(outText.toUtf8()).object()[u"points"].toArray();
    ASSERT_EQ(pts.size(), 4);
    for (const auto &v : pts) {
        EXPECT_TRUE(v.toObject().contains(u"error"));
        EXPECT_FALSE(v.toObject().contains(u"X"));
    }
    EXPECT_TRUE(errText.contains(QStringLiteral("変換できない点")));
}

TEST_F(ExportFixture, FailuresHaveMessagesAndExitCodes)
{
    EXPECT_EQ(run({}), 2);
    EXPECT_TRUE(errText.contains(u"読取ファイルが指定されていません"));
    EXPECT_EQ(run({file, QStringLiteral("--bogus")}), 2);
    EXPECT_EQ(run({file, QStringLiteral("--format"), QStringLiteral("xml")}), 2);
    EXPECT_EQ(run({file, QStringLiteral("--x-format"), QStringLiteral("#,##0")}), 2);
    EXPECT_EQ(run({file, QStringLiteral("--out")}), 2);
    EXPECT_EQ(run({file, file}), 2);
    EXPECT_EQ(run({path("none.orvd")}), 1);
    EXPECT_TRUE(errText.contains(QStringLiteral("状態設定ファイルがありません。")));
    QByteArray bad = readAll(file);
    bad.replace("Defnt.Point   :0.1,", "Defnt.Point   :x,");
    writeAll(path("bad.orvd"), bad);
    EXPECT_EQ(run({path("bad.orvd")}), 1);
    EXPECT_TRUE(errText.contains(QStringLiteral("枠線定義の座標が数値ではありません。")));
    EXPECT_EQ(run({file, QStringLiteral("--out"), file}), 4); // a file, not a folder
    EXPECT_FALSE(errText.isEmpty());
    EXPECT_EQ(run({QStringLiteral("--help")}), 0);
    EXPECT_TRUE(outText.contains(u"--format csv|json"));
}

TEST_F(ExportFixture, TheProgramRunsItWithoutADisplay)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("ORV_LANG"), QStringLiteral("ja")); // its messages follow the language
    p.setProcessEnvironment(env);
    // The picture is stored relative to the test's program folder, not the
    // executable's: the export still works and warns about it.
    p.start(QStringLiteral(ORV_EXE), {QStringLiteral("export"), file, QStringLiteral("--format"), QStringLiteral("json")});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QJsonArray pts = QJsonDocument::fromJson(p.readAllStandardOutput()).object()[u"points"].toArray();
    EXPECT_EQ(pts.size(), 4);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("画像ファイルがありません")));
}
