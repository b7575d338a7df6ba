#include "model/reading.h"
#include "processing/apprx_form.h"
#include "processing/data_disposal_form.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

// Records what the window hands to the fitter.
struct RecordingFitter : Fitter {
    std::vector<FitRequest> requests;
    std::expected<FitResponse, FitError> answer = FitResponse{QStringLiteral("y = 2.5x + 1.3"), QStringLiteral("0.98765")};
    std::expected<FitResponse, FitError> fit(const FitRequest &r) override
    {
        requests.push_back(r);
        return answer;
    }
};

struct Forms : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};
    RecordingFitter fitter;

    void SetUp() override { r.Init_App(); }

    void addRows(int series, int n, auto xOf, auto yOf)
    {
        r.Show_GridForm(series);
        SeriesTable &t = r.grid(series);
        t.beginUpdate();
        for (int i = 1; i <= n; ++i) {
            t.appendRow();
            const int row = t.rowCount() - 1;
            t.setCell(row, 0, QString::number(row));
            t.setCell(row, 1, QString::number(i));
            t.setCell(row, 2, r.Format_Val(u"X", xOf(i)));
            t.setCell(row, 3, r.Format_Val(u"Y", yOf(i)));
        }
        t.endUpdate();
    }
    std::unique_ptr<DataDisposalForm> open(int series, Fitter *f = nullptr)
    {
        auto d = std::make_unique<DataDisposalForm>(r, f);
        d->setSeriesItems({QStringLiteral("系列%1").arg(series)}, QStringLiteral("系列%1").arg(series));
        return d;
    }
    std::unique_ptr<ApprxForm> result(const char *kind, const char *eq)
    {
        auto a = std::make_unique<ApprxForm>(r, QStringLiteral("系列1"));
        a->setResult(QStringLiteral("系列1  -近似式"), QString::fromUtf8(kind), QString::fromUtf8(eq), QStringLiteral("1.0000"));
        return a;
    }
};

} // namespace

TEST_F(Forms, DataProcessingOpensOnTheFitTabWithDefaults)
{
    auto d = open(1);
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("DataDisposal_Form")));
    EXPECT_EQ(d->tab(), 1);
    EXPECT_EQ(s(d->okCaption()), "作成");
    EXPECT_TRUE(d->aprxFrameVisible());
    EXPECT_EQ(s(d->Aprx_Kind()), "線形近似");
    EXPECT_EQ(d->Jisu(), 2);
    EXPECT_FALSE(d->jisuEnabled());
    EXPECT_TRUE(d->intcptCheckEnabled());
    EXPECT_FALSE(d->intcptTextEnabled());
    EXPECT_TRUE(d->Intcpt_Val().isEmpty());
    EXPECT_TRUE(d->sortAscending());
    EXPECT_EQ(d->sortKeyIndex(), 0);
    d->TabStrip1_Click(2);
    EXPECT_EQ(s(d->okCaption()), "実行");
    EXPECT_TRUE(d->sortFrameVisible() && !d->aprxFrameVisible() && !d->csvFrameVisible());
    d->TabStrip1_Click(3);
    EXPECT_EQ(s(d->okCaption()), "保存");
    d.reset();
    EXPECT_FALSE(r.Is_FormOpen(QStringLiteral("DataDisposal_Form")));
}

TEST_F(Forms, KindSwitchGreysTheInterceptButKeepsItAndSendsIt)
{
    addRows(1, 3, [](int i) { return double(i); }, [](int i) { return 2.0 * i; });
    auto d = open(1, &fitter);
    d->Intcpt_Check_Click(true);
    EXPECT_TRUE(d->intcptTextEnabled());
    d->setIntcptText(QStringLiteral("1.50abc"));
    EXPECT_EQ(s(d->Intcpt_Val()), "1.5");
    d->Aprx_Kind_Picture_Click(3);
    EXPECT_TRUE(d->intcptChecked());
    EXPECT_FALSE(d->intcptCheckEnabled());
    EXPECT_FALSE(d->intcptTextEnabled());
    d->Aprx_Kind_Picture_Click(2);
    EXPECT_TRUE(d->jisuEnabled() && d->intcptTextEnabled());
    d->Aprx_Kind_Picture_Click(3);
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    ASSERT_EQ(fitter.requests.size(), 1u);
    EXPECT_EQ(s(fitter.requests[0].kindName), "累乗近似");
    EXPECT_TRUE(fitter.requests[0].intercept);
    EXPECT_EQ(s(fitter.requests[0].interceptText), "1.5");
    EXPECT_EQ(fitter.requests[0].xTexts, (QStringList{"1.0000", "2.0000", "3.0000"}));
    EXPECT_EQ(fitter.requests[0].yTexts, (QStringList{"2.0000", "4.0000", "6.0000"}));

    // Unchecked: FALSE with the last value typed; letters only read as 0.
    d->Aprx_Kind_Picture_Click(0);
    d->Intcpt_Check_Click(false);
    d->Jisu_Combo_Click(3);
    d->OK_Command_Click();
    EXPECT_FALSE(fitter.requests[1].intercept);
    EXPECT_EQ(s(fitter.requests[1].interceptText), "1.5");
    EXPECT_EQ(fitter.requests[1].degree, 5);
    d->Intcpt_Check_Click(true);
    d->setIntcptText(QStringLiteral("abc"));
    d->OK_Command_Click();
    EXPECT_EQ(s(fitter.requests[2].interceptText), "0");

    // A value beyond the number range is refused, not fitted as 0.
    for (const char *big : {"1E400", "-1E400"}) {
        d->setIntcptText(QString::fromLatin1(big));
        EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::StayOpen) << big;
    }
    EXPECT_EQ(fitter.requests.size(), 3u);
    EXPECT_EQ(desk.messageCount(fitFailureMessage(fitErrorDetail(FitError::BadIntercept))), 2);
    d->Aprx_Kind_Picture_Click(3); // the power kind ignores the value
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    EXPECT_EQ(fitter.requests.size(), 4u);
    d->Aprx_Kind_Picture_Click(0);
    // Unchecked, the typed value is not used and the fit goes ahead.
    d->Intcpt_Check_Click(false);
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    EXPECT_FALSE(fitter.requests.back().intercept);
}

TEST_F(Forms, ResultWindowIsFilledFromTheFit)
{
    addRows(1, 2, [](int i) { return double(i); }, [](int i) { return 2.0 * i; });
    auto d = open(1, &fitter);
    ASSERT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    auto a = d->takeResult();
    ASSERT_TRUE(a);
    EXPECT_EQ(s(a->caption()), "系列1  -近似式");
    EXPECT_EQ(s(a->frame1Caption()), "線形近似");
    EXPECT_EQ(s(a->apprxText()), "y=2.5x+1.3");
    EXPECT_EQ(s(a->backUpLabel()), "y=2.5x+1.3");
    EXPECT_EQ(s(a->r2Text()), "0.9877");
    EXPECT_EQ(a->lineWidth(), 2);
    EXPECT_EQ(a->curveColor(), QColor(255, 0, 255));
    EXPECT_EQ(s(a->xText()), "0");
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Forms, FitFailureShowsNumberFourWithTheReasonAndStaysOpen)
{
    addRows(1, 3, [](int i) { return double(-i); }, [](int i) { return double(i); });
    auto d = open(1); // the native fitter
    // Each failure keeps the numbered message and says why on a second line.
    auto failsWith = [&](const char *reason) {
        const size_t before = desk.messages.size();
        EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::StayOpen) << reason;
        ASSERT_EQ(desk.messages.size(), before + 1) << reason;
        EXPECT_EQ(s(desk.messages.back().text),
                  std::string("エラー！(No.4)(エクセル起動、又は近似式作成エラー)\n(") + reason + ")");
        EXPECT_FALSE(d->takeResult());
    };
    d->Aprx_Kind_Picture_Click(1); // log of negative x
    failsWith("この種類では x がすべて 0 より大きい必要があります");
    d->Aprx_Kind_Picture_Click(2);
    d->Jisu_Combo_Click(1); // a cubic through three points
    failsWith("この種類と次数には、異なる x の値が足りません");
    d->Aprx_Kind_Picture_Click(4);
    d->Intcpt_Check_Click(true);
    d->setIntcptText(QStringLiteral("-2"));
    failsWith("固定値は有限の数で、指数近似では 0 より大きい必要があります");
    d->Intcpt_Check_Click(false);
    d->Aprx_Kind_Picture_Click(0);
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    auto a = d->takeResult();
    EXPECT_EQ(s(a->apprxText()), "y=-1x+0");
    EXPECT_EQ(s(a->r2Text()), "1.0000");
}

TEST_F(Forms, RowsWithoutValuesAreLeftOutOfTheFitAndCounted)
{
    addRows(1, 5, [](int i) { return double(i); }, [](int i) { return 2.0 * i + 1; });
    // Rows 2 and 4 hold points that could not be converted.
    r.grid(1).setCell(2, SeriesTable::ColX, QString());
    r.grid(1).setCell(4, SeriesTable::ColY, QString());
    auto d = open(1, &fitter);
    ASSERT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    EXPECT_EQ(fitter.requests[0].xTexts, (QStringList{"1.0000", "3.0000", "5.0000"}));
    EXPECT_EQ(fitter.requests[0].yTexts, (QStringList{"3.0000", "7.0000", "11.000"}));
    EXPECT_EQ(desk.messageCount(QStringLiteral("X値またはY値のない2行は近似に使いませんでした。")), 1);

    // With the native fitter the line is the one through the converted points.
    auto n = open(1);
    ASSERT_EQ(n->OK_Command_Click(), DataDisposalForm::Outcome::ShowResult);
    EXPECT_EQ(s(n->takeResult()->apprxText()), "y=2x+1");

    // Too few rows with values left: the failure says so too.
    r.grid(1).setCell(1, SeriesTable::ColY, QString());
    r.grid(1).setCell(3, SeriesTable::ColY, QString());
    EXPECT_EQ(n->OK_Command_Click(), DataDisposalForm::Outcome::StayOpen);
    EXPECT_EQ(s(desk.messages.back().text), "エラー！(No.4)(エクセル起動、又は近似式作成エラー)\n"
                                            "(この種類と次数には、異なる x の値が足りません、"
                                            "X 又は Y のない 4 行は除きました)");
}

TEST_F(Forms, ThousandRowsShowTheMessageAndFitTheFirstThousand)
{
    addRows(1, 999, [](int i) { return double(i); }, [](int i) { return double(i); });
    auto d = open(1, &fitter);
    d->OK_Command_Click();
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(fitter.requests.back().xTexts.size(), 999);
    addRows(1, 2, [](int i) { return 1000.0 + i; }, [](int) { return 1.0; });
    d->OK_Command_Click();
    EXPECT_EQ(desk.messageCount(QStringLiteral("1000個以上のデータには対応できません。")), 1);
    EXPECT_EQ(fitter.requests.back().xTexts.size(), 1000);
    EXPECT_EQ(s(fitter.requests.back().xTexts.back()), "1001.0");
}

TEST_F(Forms, SortRunsOnTheChosenSeriesAndCloses)
{
    addRows(2, 3, [](int i) { return i == 1 ? 2.0 : i == 2 ? 10.0 : 1.0; }, [](int i) { return double(i); });
    auto d = open(2);
    d->TabStrip1_Click(2);
    d->setSortAscending(false);
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::Close);
    EXPECT_EQ(s(r.grid(2).cell(1, SeriesTable::ColId)), "2");
    EXPECT_EQ(s(r.grid(2).cell(3, SeriesTable::ColId)), "3");
    EXPECT_EQ(s(r.grid(2).cell(1, SeriesTable::ColNo)), "1");
}

TEST_F(Forms, CsvSaveCancelFailureAndSuccess)
{
    addRows(1, 2, [](int i) { return double(i); }, [](int i) { return double(i); });
    auto d = open(1);
    d->TabStrip1_Click(3);
    // Cancelled dialog: nothing written, no message, window stays.
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::StayOpen);
    EXPECT_EQ(s(desk.dialogTitles.at(0)), "CSVファイル保存");
    EXPECT_TRUE(desk.messages.empty());

    QTemporaryDir dir;
    desk.fileNames.push_back(dir.filePath(QStringLiteral("no/such/dir/a.csv")));
    d->BrowsCommand_Click();
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::StayOpen);
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(u"エラー！(No.3)"));
    EXPECT_EQ(desk.messageCount(QStringLiteral("保存しました。")), 0);

    const QString path = dir.filePath(QStringLiteral("a.csv"));
    desk.fileNames.push_back(path);
    d->BrowsCommand_Click();
    d->CSV_Save_Label_Click();
    EXPECT_EQ(d->csvToolTip(), path);
    EXPECT_EQ(d->OK_Command_Click(), DataDisposalForm::Outcome::Close);
    EXPECT_EQ(desk.messageCount(QStringLiteral("保存しました。")), 1);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\x8c\x6e\x97\xf1\x31\r\n1.0000,1.0000,\r\n2.0000,2.0000,\r\n"));

    // Browsing and cancelling empties the path.
    d->BrowsCommand_Click();
    EXPECT_TRUE(d->csvPath().isEmpty());
}

TEST_F(Forms, SpreadsheetFormulaStartsFromTheReceivedEquation)
{
    auto a = result("線形近似", "y=2.5x+1.3");
    desk.inputs = {QStringLiteral("A1"), QStringLiteral("B2"), QString(), std::nullopt, QStringLiteral("$A$1")};
    a->Command1_Click();
    EXPECT_EQ(s(a->apprxText()), "=2.5*A1+1.3");
    a->Command1_Click();
    EXPECT_EQ(s(a->apprxText()), "=2.5*B2+1.3");
    a->Command1_Click();
    a->Command1_Click();
    EXPECT_EQ(s(a->apprxText()), "=2.5*B2+1.3");
    a->Command1_Click();
    EXPECT_EQ(s(a->apprxText()), "=2.5*$A$1+1.3");
    a->CopyClipBoard_Command_Click();
    EXPECT_EQ(s(desk.clipboardText), "=2.5*$A$1+1.3");

    auto p = result("累乗近似", "y=2.3x-1.5");
    desk.inputs = {QStringLiteral("A1")};
    p->Command1_Click();
    EXPECT_EQ(s(p->apprxText()), "=2.3*A1^-1.5");
}

TEST_F(Forms, EvaluationAtXInTheYFormat)
{
    auto a = result("線形近似", "y=2.5x+1.3");
    a->setXText(QStringLiteral("2"));
    a->UserCalc_Command_Click();
    EXPECT_EQ(s(a->yTextCalc()), "6.3000");
    a->CopyClipBoard_Command1_Click();
    EXPECT_EQ(s(desk.clipboardText), "6.3000");
    r.settings.yFormat.setIndex(3);
    a->UserCalc_Command_Click();
    EXPECT_EQ(s(a->yTextCalc()), "6.30");

    auto q = result("多項式近似", "y=0.5x2");
    q->setXText(QStringLiteral("-2"));
    q->UserCalc_Command_Click();
    EXPECT_EQ(s(q->yTextCalc()), "2.00"); // not -2: the negative x is bound below ^

    auto p = result("累乗近似", "y=2x-1");
    p->setXText(QStringLiteral("4"));
    p->UserCalc_Command_Click();
    EXPECT_EQ(s(p->yTextCalc()), "0.50");
}

TEST_F(Forms, LogCheckAndEvaluationFailuresKeepThePreviousResult)
{
    auto a = result("対数近似", "y=1.2Ln(x)+3");
    a->setXText(QStringLiteral("1"));
    a->UserCalc_Command_Click();
    EXPECT_EQ(s(a->yTextCalc()), "3.0000");
    for (const char *x : {"0", "-1"}) {
        a->setXText(QString::fromLatin1(x));
        a->UserCalc_Command_Click();
        EXPECT_EQ(s(a->yTextCalc()), "3.0000");
    }
    EXPECT_EQ(desk.messageCount(QStringLiteral("Lｎにおいて0又は0以下の数値は計算できません。")), 2);

    auto p = result("累乗近似", "y=2.3x1.5");
    p->setXText(QStringLiteral("4"));
    p->UserCalc_Command_Click();
    EXPECT_EQ(s(p->yTextCalc()), "18.400");
    p->setXText(QStringLiteral("-4")); // a negative base to a fractional power
    p->UserCalc_Command_Click();
    EXPECT_EQ(s(p->yTextCalc()), "18.400");
    EXPECT_TRUE(desk.messages.back().text.startsWith(u"エラー！(No.5)"));

    auto e = result("指数近似", "y=1e1000x");
    e->setXText(QStringLiteral("5"));
    e->UserCalc_Command_Click();
    EXPECT_TRUE(e->yTextCalc().isEmpty());
    EXPECT_TRUE(desk.messages.back().text.contains(u"オーバーフロー"));
}

TEST_F(Forms, ColourChooserStartsOnBlackAndCancelKeepsTheColour)
{
    // Records the colour each chooser opens on.
    struct Chooser : ScriptedDesktop {
        std::vector<QColor> initial;
        std::optional<QColor> chooseColor(const QColor &c) override
        {
            initial.push_back(c);
            return ScriptedDesktop::chooseColor(c);
        }
    } chooser;
    Reading rc{&chooser};
    rc.Init_App();
    ApprxForm a(rc, QStringLiteral("系列1"));
    chooser.colors = {std::nullopt, QColor(0, 128, 0), QColor(0, 0, 0)};
    a.Picture1_Click();
    EXPECT_EQ(a.curveColor(), QColor(255, 0, 255));
    a.Picture1_Click();
    EXPECT_EQ(a.curveColor(), QColor(0, 128, 0));
    a.Picture1_Click(); // black is a colour like any other
    EXPECT_EQ(a.curveColor(), QColor(0, 0, 0));
    // Every time on black, not on the swatch's colour.
    EXPECT_EQ(chooser.initial, (std::vector<QColor>(3, QColor(0, 0, 0))));
    a.setLineWidthIndex(4);
    EXPECT_EQ(a.lineWidth(), 5);
}

TEST_F(Forms, PlotCoordinateSystemFrameAndCurve)
{
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("110"));
    addRows(1, 2, [](int i) { return 2.0 * i; }, [](int i) { return 10.0 * i; });
    auto a = result("線形近似", "y=10x+5");
    a->setLineWidthIndex(3);
    auto p = a->Draw_Apprx();
    ASSERT_TRUE(p);
    EXPECT_DOUBLE_EQ(p->left, -1);
    EXPECT_DOUBLE_EQ(p->right, 11);
    EXPECT_DOUBLE_EQ(p->top, 121);
    EXPECT_DOUBLE_EQ(p->bottom, -11);
    EXPECT_EQ(p->frame[0], QLineF(0, 0, 10, 0));
    EXPECT_EQ(p->frame[1], QLineF(10, 0, 10, 110));
    EXPECT_EQ(p->frame[2], QLineF(10, 110, 0, 110));
    EXPECT_EQ(p->frame[3], QLineF(0, 110, 0, 0));
    EXPECT_EQ(p->lineWidth, 4);
    EXPECT_EQ(p->color, QColor(255, 0, 255));
    EXPECT_EQ(s(p->caption), "系列1  -近似式");
    ASSERT_GE(p->curve.size(), 500u);
    ASSERT_LE(p->curve.size(), 501u);
    EXPECT_NEAR(p->curve[0].x2() - p->curve[0].x1(), 0.02, 1e-6);
    EXPECT_EQ(p->curve[0].p1(), QPointF(0, 5));
    EXPECT_NEAR(p->curve.back().x2(), 10, 0.021);
    for (const auto &l : p->curve)
        EXPECT_NEAR(l.y2(), 10 * l.x2() + 5, 1e-3);
    // The frame's corners at the picture's tenth margins.
    const QSizeF sz(1200, 1320);
    EXPECT_NEAR(p->toPixel({0, 0}, sz).x(), 100, 1e-9);
    EXPECT_NEAR(p->toPixel({0, 0}, sz).y(), 1210, 1e-9);
    EXPECT_NEAR(p->toPixel({10, 110}, sz).x(), 1100, 1e-9);
    EXPECT_NEAR(p->toPixel({10, 110}, sz).y(), 110, 1e-9);

    ASSERT_EQ(p->markers.size(), 2u);
    EXPECT_EQ(s(p->markers[1].toolTip), "系列1：ID=2,X=4.0000,Y=20.000,Z=0");
    EXPECT_EQ(p->markers[1].x, 4);

    ApprxGraphForm g(r, *p);
    EXPECT_TRUE(r.Is_FormOpen(QStringLiteral("系列1  -近似式")));
    g.mouseMove(p->toPixel({0, 0}, sz), sz);
    EXPECT_EQ(s(g.statusText()), "X=0.0000e+0 , Y=0.0000e+0");
}

TEST_F(Forms, PlotEdgeFrames)
{
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("10"));
    // Log over a frame starting at 0: drawn at x = 0.00001 there.
    auto lg = result("対数近似", "y=1Ln(x)+0");
    auto p = lg->Draw_Apprx();
    ASSERT_TRUE(p);
    EXPECT_NEAR(p->curve[0].y1(), std::log(1e-5), 1e-4);
    EXPECT_TRUE(desk.messages.empty());

    // Backwards X frame: negative step, X grows to the left.
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("10"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("0"));
    auto a = result("線形近似", "y=1x+0");
    p = a->Draw_Apprx();
    ASSERT_TRUE(p);
    EXPECT_GT(p->left, p->right);
    EXPECT_LT(p->curve[0].x2(), p->curve[0].x1());
    EXPECT_GT(p->toPixel({0, 0}, QSizeF(100, 100)).x(), p->toPixel({10, 0}, QSizeF(100, 100)).x());

    // Equal corner values: a message, no plot, no endless loop.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    EXPECT_FALSE(a->Draw_Apprx());
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_TRUE(desk.messages[0].text.startsWith(u"エラー！(No.6)"));
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("0"));
    r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("0"));
    EXPECT_FALSE(a->Draw_Apprx());
    // A step below the resolution of x.
    r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("1"));
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1E20"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1.000000000000001E20"));
    EXPECT_FALSE(a->Draw_Apprx());

}

TEST(PlotSize, FitsTheRoomKeepingProportions)
{
    EXPECT_EQ(fitPlotSize(QSizeF(480, 400), QSize(1200, 900)), QSize(480, 400));
    EXPECT_EQ(fitPlotSize(QSizeF(6000, 4000), QSize(780, 700)), QSize(780, 520));
    EXPECT_EQ(fitPlotSize(QSizeF(4000, 6000), QSize(780, 700)), QSize(466, 700));
    EXPECT_EQ(fitPlotSize(QSizeF(60, 40), QSize(780, 700)), QSize(120, 100));
    EXPECT_EQ(fitPlotSize(QSizeF(6000, 4000), QSize(0, -5)), QSize(120, 100));
}

TEST_F(Forms, PlotLeavesGapsWhereTheCurveIsUndefined)
{
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("10"));
    // A negative power over a frame starting at X = 0: only the first segment
    // (which starts at 0^-1) is missing.
    auto inv = result("累乗近似", "y=2x-1");
    auto p = inv->Draw_Apprx();
    ASSERT_TRUE(p);
    ASSERT_GE(p->curve.size(), 499u);
    EXPECT_NEAR(p->curve.front().x1(), 0.02, 1e-6);
    EXPECT_NEAR(p->curve.front().y1(), 100, 1e-3);
    EXPECT_NEAR(p->curve.back().y2(), 0.2, 1e-3);

    // An exponential that overflows at the far end (beyond the drawing's
    // single precision from x = 0.111 on): drawn up to there.
    auto big = result("指数近似", "y=1e800x");
    p = big->Draw_Apprx();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->curve.size(), 5u);
    EXPECT_NEAR(p->curve.back().x2(), 0.1, 1e-6);

    // A fractional power with LLX < 0: the right half.
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("-1"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1"));
    auto root = result("累乗近似", "y=1x0.5");
    p = root->Draw_Apprx();
    ASSERT_TRUE(p);
    EXPECT_GE(p->curve.size(), 249u);
    EXPECT_LE(p->curve.size(), 251u);
    for (const QLineF &l : p->curve) {
        EXPECT_GE(l.x1(), -1e-6);
        EXPECT_NEAR(l.y2(), std::sqrt(std::max(0.0, l.x2())), 1e-4);
    }
    EXPECT_TRUE(desk.messages.empty());

    // Defined nowhere over the frame: the evaluation's description, no plot.
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("-0.5"));
    EXPECT_FALSE(root->Draw_Apprx());
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(desk.messages.back().text), "プロシージャの呼び出し、または引数が不正です。");
}
