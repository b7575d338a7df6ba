// Charts with an axis of dates: points at known dates read back through the
// reading (tables, exact values), through the reading file and through
// "orvalinetrix export"; sorting and fitting on the serial days.
#include "model/datetext.h"
#include "model/frame_map.h"
#include "processing/apprx_form.h"
#include "processing/cli.h"
#include "processing/data_disposal_form.h"
#include "processing/table_ops.h"
#include "state_fixture.h"
#include "statefile/export_cli.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <cmath>

using namespace orvtest;

namespace {

double serial(const char16_t *text) { return parseDateText(text).value().serial; }

struct DateChart : StateFixture {
    bool xAxis = true;
    double a = 0, b = 1; // the date axis's values at the lower-left and upper-right corners

    // A diagonal frame from 0.1 to 0.9 both ways; the date axis runs from
    // `lo` to `hi`, the other from 0 to 100.
    void dateFrame(bool onX, const char16_t *lo, const char16_t *hi, const QString &pattern = QStringLiteral("AUTO"))
    {
        xAxis = onX;
        openPicture(picture);
        static const char *const v[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.9", "0.9", "0.1"};
        placeFrame(v, 1);
        if (onX)
            r.panel.setXKind(AxisKind::Date);
        else
            r.panel.setYKind(AxisKind::Date);
        r.panel.setVal(onX ? CalibPanel::LLX_VLText : CalibPanel::LLY_VLText, QString::fromUtf16(lo));
        r.panel.setVal(onX ? CalibPanel::RUX_VLText : CalibPanel::RUY_VLText, QString::fromUtf16(hi));
        r.panel.setVal(onX ? CalibPanel::LLY_VLText : CalibPanel::LLX_VLText, QStringLiteral("0"));
        r.panel.setVal(onX ? CalibPanel::RUY_VLText : CalibPanel::RUX_VLText, QStringLiteral("100"));
        (onX ? r.settings.xFormat : r.settings.yFormat).setText(pattern);
        a = serial(lo);
        b = serial(hi);
    }
    // The frame position of a date and the value its stored position holds.
    float posOf(double v) const { return float(0.1 + 0.8 * (v - a) / (b - a)); }
    // The value of a point's stored position on the same frame with plain
    // numbers (the serial days) on the date axis.
    double numberAxisValue(int id) const
    {
        CalibPanel lin;
        lin.selectTab(r.panel.selectedTab());
        for (int i = 0; i < CalibPanel::PosBoxCount; ++i)
            lin.setPos(CalibPanel::PosBox(i), r.panel.pos(CalibPanel::PosBox(i)));
        for (int i = 0; i < CalibPanel::ValBoxCount; ++i)
            lin.setVal(CalibPanel::ValBox(i), shortestNumText(r.panel.value(CalibPanel::ValBox(i)).value()));
        const QStringList rec = r.Pt_Array[size_t(id)].split(u',');
        double x = 0, y = 0;
        EXPECT_TRUE(frameMap(lin).toValue(lin, rec[2].toFloat(), rec[3].toFloat(), x, y));
        return xAxis ? x : y;
    }
    int addDate(double v, double other = 50)
    {
        const float p = posOf(v), q = float(0.1 + 0.8 * other / 100);
        return xAxis ? addPoint(1, p, q) : addPoint(1, q, p);
    }
    int col() const { return xAxis ? SeriesTable::ColX : SeriesTable::ColY; }
};

struct Known {
    const char16_t *date;
    const char *shown;
};

struct ChartCase {
    const char *name;
    bool xAxis;
    const char16_t *lo, *hi;
    const char16_t *pattern;
    std::vector<Known> points;
};

const ChartCase kCharts[] = {
    {"leap year and month ends", true, u"2019-12-01", u"2021-01-01", u"AUTO",
     {{u"2019-12-01", "2019-12-01 00:00"},
      {u"2020-01-31 23:59", "2020-01-31 23:59"},
      {u"2020-02-01", "2020-02-01 00:00"},
      {u"2020-02-28", "2020-02-28 00:00"},
      {u"2020-02-29", "2020-02-29 00:00"},
      {u"2020-03-01", "2020-03-01 00:00"},
      {u"2020-04-30 12:30", "2020-04-30 12:30"},
      {u"2020-05-01", "2020-05-01 00:00"},
      {u"2020-12-31 23:59", "2020-12-31 23:59"},
      {u"2021-01-01", "2021-01-01 00:00"}}},
    {"ordinary year on Y by day", false, u"2021-01-01", u"2022-01-01", u"yyyy-MM-dd",
     {{u"2021-02-28 06:00", "2021-02-28"},
      {u"2021-03-01 06:00", "2021-03-01"},
      {u"2021-09-30 06:00", "2021-09-30"},
      {u"2021-10-01 06:00", "2021-10-01"},
      {u"2021-12-31 06:00", "2021-12-31"}}},
    {"one hour with seconds", true, u"2020-03-01 09:00", u"2020-03-01 10:00", u"AUTO",
     {{u"2020-03-01 09:00:01", "2020-03-01 09:00:01"},
      {u"2020-03-01 09:17:43", "2020-03-01 09:17:43"},
      {u"2020-03-01 09:59:59", "2020-03-01 09:59:59"},
      {u"2020-03-01 10:00", "2020-03-01 10:00:00"}}},
    {"times of day alone", true, u"09:00", u"10:00", u"AUTO",
     {{u"09:30:15", "09:30:15"}, {u"09:00:01", "09:00:01"}}},
    {"two centuries", true, u"1850-01-01", u"2050-01-01", u"AUTO",
     {{u"1852-02-29", "1852-02-29"},
      {u"1899-12-29", "1899-12-29"},
      {u"1899-12-30", "1899-12-30"},
      {u"1899-12-31", "1899-12-31"},
      {u"1900-02-28", "1900-02-28"},
      {u"1900-03-01", "1900-03-01"},
      {u"2000-02-29", "2000-02-29"},
      {u"2049-12-31", "2049-12-31"}}},
    {"reversed axis", true, u"2021-01-01", u"2020-01-01", u"AUTO",
     {{u"2020-02-29", "2020-02-29 00:00"}, {u"2020-03-31 18:45", "2020-03-31 18:45"}, {u"2020-11-30", "2020-11-30 00:00"}}},
    {"Y by month (truncated)", false, u"2020-01-01", u"2020-12-31", u"yyyy-MM",
     {{u"2020-02-29 12:00", "2020-02"}, {u"2020-03-31 23:00", "2020-03"}, {u"2020-04-01 01:00", "2020-04"}}},
};

} // namespace

TEST_F(DateChart, KnownDatesReadBackExactlyThroughTheReadingTheFileAndExport)
{
    for (const ChartCase &c : kCharts) {
        SCOPED_TRACE(c.name);
        r.Init_App();
        dateFrame(c.xAxis, c.lo, c.hi, QString::fromUtf16(c.pattern));
        const double span = std::fabs(b - a);
        double worst = 0;
        for (const Known &k : c.points)
            addDate(serial(k.date));
        const SeriesTable &t = r.grid(1);
        ASSERT_EQ(t.rowCount() - 1, int(c.points.size()));
        std::vector<double> values;
        for (size_t i = 0; i < c.points.size(); ++i) {
            const int row = int(i) + 1;
            const double known = serial(c.points[i].date);
            EXPECT_EQ(s(t.cell(row, col())), c.points[i].shown) << s(QString::fromUtf16(c.points[i].date));
            const auto v = r.cellValue(t, row, col());
            ASSERT_TRUE(v.has_value());
            // Dates add no error of their own: the same bits as a number axis
            // holding the serial days gives for the stored position.
            EXPECT_EQ(*v, numberAxisValue(t.cell(row, SeriesTable::ColId).toInt()));
            // The stored position (7 digits) and the conversion keep it within 1.5e-7 of the span.
            EXPECT_NEAR(*v, known, 1.5e-7 * span);
            worst = std::max(worst, std::fabs(*v - known) / span);
            values.push_back(*v);
        }

        RecordProperty(c.name, QString::number(worst).toStdString());

        // The same through the reading file and the export.
        const QString file = path("dates.orvd");
        ASSERT_TRUE(save(file));
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        ASSERT_EQ(runExportCommand({file, QStringLiteral("--format=json"),
                                    QString::fromLatin1(c.xAxis ? "--x-format" : "--y-format"), QString::fromUtf16(c.pattern)},
                                   out, err, prog),
                  0)
            << s(errText);
        const QJsonArray pts = QJsonDocument::fromJson(outText.toUtf8()).object()[u"points"].toArray();
        ASSERT_EQ(pts.size(), qsizetype(c.points.size()));
        for (qsizetype i = 0; i < pts.size(); ++i) {
            const QJsonObject p = pts[i].toObject();
            EXPECT_EQ(p[c.xAxis ? u"X" : u"Y"].toDouble(), values[size_t(i)]); // bit for bit
            EXPECT_EQ(s(p[c.xAxis ? u"X_text" : u"Y_text"].toString()), c.points[size_t(i)].shown);
        }
    }
}

TEST_F(DateChart, ReadingFileHoldsSerialDaysAndReadsBackAsDates)
{
    dateFrame(true, u"2020-03-01T09:00:00.250", u"2020-03-02");
    EXPECT_EQ(s(r.panel.val(CalibPanel::LLX_VLText)), "2020-03-01T09:00:00.250");
    addDate(serial(u"2020-03-01 12:00"));
    addDate(serial(u"2020-03-01 18:30"));
    const QString file = path("dates.orvd");
    ASSERT_TRUE(save(file));
    QStringDecoder sjis("Shift_JIS");
    const QString text = sjis.decode(readAll(file));
    EXPECT_TRUE(text.contains(QStringLiteral("\r\nAxis Mode     :X=Date,Y=Linear\r\n"))) << s(text);
    // Serial days in the plain layout, each the shortest text of its double.
    const QString lo = shortestNumText(serial(u"2020-03-01T09:00:00.250"));
    EXPECT_TRUE(text.contains(QStringLiteral("Defnt.Pt.Val  :%1,0,43892,100\r\n").arg(lo))) << s(text);
    EXPECT_EQ(readStrict(lo).value(), serial(u"2020-03-01T09:00:00.250"));

    const Snapshot before = Snapshot::of(r);
    ScriptedDesktop desk2;
    Reading back(&desk2);
    back.programFolder = prog;
    back.Init_App();
    ASSERT_EQ(Load_State(back, file), LoadResult::Loaded);
    EXPECT_TRUE(back.panel.xDate());
    EXPECT_EQ(s(back.panel.val(CalibPanel::LLX_VLText)), "2020-03-01 09:00:00.250");
    EXPECT_EQ(s(back.panel.val(CalibPanel::RUX_VLText)), "2020-03-02");
    Snapshot after = Snapshot::of(back);
    after.frame[CalibPanel::PosBoxCount] = before.frame[CalibPanel::PosBoxCount]; // the typed form of the same day
    expectSame(before, after);
    EXPECT_EQ(back.settings.xFormat.items(), datePatternItems());

    // Back to linear: the boxes keep the serial days as numbers.
    back.panel.setXLog(false);
    EXPECT_EQ(s(back.panel.val(CalibPanel::RUX_VLText)), "43892");
    EXPECT_EQ(back.settings.xFormat.items(), ReadoutSettings::formatItems());
}

TEST_F(DateChart, CsvShowsTheDatesAndFitReadsThemBack)
{
    dateFrame(true, u"2020-01-01", u"2020-12-31", QStringLiteral("yyyy-MM-dd"));
    // y = 2 * days since 2020-01-01 + 5 on whole days.
    for (int d : {0, 31, 59, 60, 120, 200})
        addDate(a + d, 2 * d / 4.0 + 5);
    const QByteArray bytes = csvBytes(QStringLiteral("系列1"), r.grid(1)).value();
    QStringDecoder sjis("Shift_JIS");
    const QString csv = sjis.decode(bytes);
    EXPECT_TRUE(csv.contains(QStringLiteral("\r\n2020-02-29,")) && csv.contains(QStringLiteral("\r\n2020-03-01,")))
        << s(csv);

    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    ASSERT_EQ(runFitCommand({QStringLiteral("--kind"), QStringLiteral("linear"), QStringLiteral("--x-date")}, out, err, &in),
              0)
        << s(errText);
    const QStringList lines = outText.split(u'\n');
    EXPECT_EQ(s(lines.value(2)), "x = days since 2020-01-01");
    // Slope 0.5 per day: the texts are whole days, so the fit is exact.
    EXPECT_EQ(s(lines.value(0)), "y=0.5x+5");
    // Without --x-date a date is no number.
    in.seek(0);
    EXPECT_EQ(runFitCommand({QStringLiteral("--kind"), QStringLiteral("linear")}, out, err, &in), 1);
}

namespace {
struct RecordingFitter : Fitter {
    std::vector<FitRequest> requests;
    std::expected<FitResponse, FitError> fit(const FitRequest &r) override
    {
        requests.push_back(r);
        return FitResponse{QStringLiteral("y = 2.5x + 1.3"), QStringLiteral("0.98765")};
    }
};
} // namespace

TEST_F(DateChart, SortingFittingAndThePlotUseTheSerialDays)
{
    // Shown by year only: every text is "2020", the values differ.
    dateFrame(true, u"2020-01-01", u"2021-01-01", QStringLiteral("yyyy"));
    const double days[] = {200.25, 10.5, 100, 300.75};
    for (double d : days)
        addDate(a + d, d / 4);
    SeriesTable &t = r.grid(1);
    for (int row = 1; row < t.rowCount(); ++row)
        EXPECT_EQ(s(t.cell(row, SeriesTable::ColX)), "2020");

    DataDisposalForm form(r);
    form.setSeriesItems({QStringLiteral("系列1")}, QStringLiteral("系列1"));
    form.setSortKeyIndex(0);
    form.setSortAscending(false);
    form.Sort_Grid();
    QStringList ids;
    for (int row = 1; row < t.rowCount(); ++row)
        ids << t.cell(row, SeriesTable::ColId);
    EXPECT_EQ(s(ids.join(u',')), "4,1,3,2");

    RecordingFitter fitter;
    DataDisposalForm fitForm(r, &fitter);
    fitForm.setSeriesItems({QStringLiteral("系列1")}, QStringLiteral("系列1"));
    ASSERT_TRUE(fitForm.Make_Apprx());
    ASSERT_EQ(fitter.requests.size(), 1u);
    const FitRequest &req = fitter.requests[0];
    ASSERT_EQ(req.xTexts.size(), 4);
    for (int row = 1; row < t.rowCount(); ++row) {
        const double v = r.cellValue(t, row, SeriesTable::ColX).value();
        EXPECT_EQ(readStrict(req.xTexts[row - 1]).value(), v - a); // days since the lower-left date, exact
        EXPECT_NEAR(v - a, days[t.cell(row, SeriesTable::ColId).toInt() - 1], 1e-4);
    }
    auto result = fitForm.takeResult();
    ASSERT_TRUE(result);
    EXPECT_EQ(s(result->dateNote()), "x は 2020-01-01 からの日数");
    desk.inputs.push_back(QStringLiteral("A2"));
    result->Command1_Click();
    EXPECT_EQ(s(result->apprxText()), "=2.5*(A2-43831)+1.3");
    // x is typed as a date; the value is 2.5 * 10 + 1.3.
    result->setXText(QStringLiteral("2020-01-11"));
    result->UserCalc_Command_Click();
    EXPECT_EQ(s(result->yTextCalc()), "26.300");
    result->setXText(QStringLiteral("2020-02-30"));
    const auto shown = desk.messages.size();
    result->UserCalc_Command_Click();
    ASSERT_EQ(desk.messages.size(), shown + 1);
    EXPECT_TRUE(desk.messages.back().text.contains(u"2020-02-30"));

    // The plot is in days since the lower-left date, its readout in dates.
    const auto plot = result->Draw_Apprx();
    ASSERT_TRUE(plot.has_value());
    EXPECT_NEAR(plot->left, -36.6, 1e-9); // the frame and a tenth of 366 days either side
    ASSERT_EQ(plot->markers.size(), 4u);
    EXPECT_NEAR(plot->markers[0].x, 300.75, 1e-4);
    EXPECT_EQ(plot->xOrigin, a);
}

TEST_F(DateChart, TypedValuesNeedDatesAndExportChecksPatterns)
{
    dateFrame(true, u"2020-01-01", u"2020-12-31");
    // A box that is no date leaves the frame unusable with the type message.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("2020-02-30"));
    EXPECT_EQ(r.Conv_Pt(0.5f, 0.5f).error(), ConvError::TypeMismatch);
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("2020/12/31"));
    ASSERT_TRUE(r.Conv_Pt(0.5f, 0.5f));
    EXPECT_NEAR(r.Conv_X, a + 0.5 * 365, 1e-6);
    addDate(a + 1);
    const QString file = path("dates.orvd");
    ASSERT_TRUE(save(file));
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(runExportCommand({file, QStringLiteral("--x-format=0.00")}, out, err, prog), 2);
    EXPECT_TRUE(errText.contains(u"日時の軸")) << s(errText);
    EXPECT_EQ(runExportCommand({file, QStringLiteral("--y-format=yyyy")}, out, err, prog), 2);
    EXPECT_EQ(runExportCommand({file, QStringLiteral("--x-date"), QStringLiteral("--x-log")}, out, err, prog), 2);
    // --x-linear reads the same file's serial days as plain numbers.
    outText.clear();
    ASSERT_EQ(runExportCommand({file, QStringLiteral("--x-linear"), QStringLiteral("--format=json")}, out, err, prog), 0);
    const QJsonObject p = QJsonDocument::fromJson(outText.toUtf8()).object()[u"points"].toArray()[0].toObject();
    EXPECT_NEAR(p[u"X"].toDouble(), a + 1, 1e-4);
    EXPECT_EQ(s(p[u"X_text"].toString()), "43832");
}
