#include "processing/data_disposal_form.h"

#include "model/datetext.h"
#include "model/reading.h"
#include "model/readout_settings.h"
#include "processing/table_ops.h"

#include <QCoreApplication>
#include <cmath>

namespace orv {

namespace {
NativeFitter &nativeFitter()
{
    static NativeFitter f;
    return f;
}
} // namespace

DataDisposalForm::DataDisposalForm(Reading &reading, Fitter *fitter, QObject *parent)
    : QObject(parent), m_r(reading), m_fitter(fitter ? fitter : &nativeFitter())
{
    m_handle = m_r.registerWindow(QStringLiteral("DataDisposal_Form"), captionText());
    // Form_Load: the first tab, then Form_Format and Init_Hensu.
    TabStrip1_Click(TabApprx);
    m_sortKey = 0;
    Jisu_Combo_Click(0);
    Aprx_Kind_Picture_Click(0);
    m_intcptChecked = false;
    m_intcptTextEnabled = false;
    m_aprxKind = fitKindName(FitKind::Linear);
    m_intcptVal.clear();
}

DataDisposalForm::~DataDisposalForm() { m_r.unregisterWindow(m_handle); }

QStringList DataDisposalForm::tabCaptions()
{
    return {QCoreApplication::translate("Processing", "近似式"), QCoreApplication::translate("Processing", "並び替え"), QCoreApplication::translate("Processing", "CSV保存")};
}

QString DataDisposalForm::csvFailureMessage(const QString &path, const QString &reason)
{
    return QCoreApplication::translate("Processing", "エラー！(No.3)(CSVファイルを保存できませんでした。)\r\n%1\r\n%2").arg(path, reason);
}

void DataDisposalForm::setSeriesItems(const QStringList &items, const QString &selected)
{
    m_seriesItems = items;
    m_seriesIndex = int(items.indexOf(selected));
    Q_EMIT changed();
}

void DataDisposalForm::setSeriesIndex(int i)
{
    if (i < 0 || i >= m_seriesItems.size() || i == m_seriesIndex)
        return;
    m_seriesIndex = i;
    Q_EMIT changed();
}

QString DataDisposalForm::seriesText() const
{
    return m_seriesIndex >= 0 && m_seriesIndex < m_seriesItems.size() ? m_seriesItems[m_seriesIndex] : QString();
}

void DataDisposalForm::TabStrip1_Click(int tab)
{
    if (tab < TabApprx || tab > TabCsv)
        return;
    m_tab = tab;
    static const char *const ok[] = {QT_TRANSLATE_NOOP("Processing", "作成"), QT_TRANSLATE_NOOP("Processing", "実行"),
                                     QT_TRANSLATE_NOOP("Processing", "保存")};
    m_okCaption = QCoreApplication::translate("Processing", ok[tab - 1]);
    Q_EMIT changed();
}

void DataDisposalForm::setSortAscending(bool asc)
{
    m_ascending = asc;
    Q_EMIT changed();
}

QStringList DataDisposalForm::sortKeyItems() { return {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("Z")}; }

void DataDisposalForm::setSortKeyIndex(int i)
{
    if (i < 0 || i > 2)
        return;
    m_sortKey = i;
    Q_EMIT changed();
}

void DataDisposalForm::BrowsCommand_Click()
{
    m_csvPath = m_r.port().saveFileName(QCoreApplication::translate("Processing", "CSVファイル保存"), QCoreApplication::translate("Processing", "CSVファイル(*.csv)|*.csv"));
    Q_EMIT changed();
}

void DataDisposalForm::CSV_Save_Label_Click()
{
    m_csvToolTip = m_csvPath;
    Q_EMIT changed();
}

QStringList DataDisposalForm::jisuItems()
{
    return {QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")};
}

void DataDisposalForm::Jisu_Combo_Click(int index)
{
    if (index < 0 || index > 4)
        return;
    m_jisuIndex = index;
    m_jisu = index + 2;
    Q_EMIT changed();
}

void DataDisposalForm::Aprx_Kind_Picture_Click(int index)
{
    if (index < 0 || index >= kFitKindCount)
        return;
    m_kind = index;
    m_aprxKind = fitKindName(FitKind(index));
    applyKindState();
    Q_EMIT changed();
}

void DataDisposalForm::applyKindState()
{
    const auto k = FitKind(m_kind);
    const bool intercept = k == FitKind::Linear || k == FitKind::Poly || k == FitKind::Exp;
    // Disabling the box does not clear it.
    m_intcptCheckEnabled = intercept;
    m_intcptTextEnabled = intercept && m_intcptChecked;
    m_jisuEnabled = k == FitKind::Poly;
}

void DataDisposalForm::Intcpt_Check_Click(bool checked)
{
    m_intcptChecked = checked;
    m_intcptTextEnabled = checked;
    Q_EMIT changed();
}

void DataDisposalForm::setIntcptText(const QString &t)
{
    m_intcptText = t;
    m_intcptVal = doubleText(readPrefix(t));
    Q_EMIT changed();
}

DataDisposalForm::Outcome DataDisposalForm::OK_Command_Click()
{
    // The button acts by the tab it was set for (its caption is translated);
    // before any tab is chosen it does nothing.
    if (m_okCaption.isEmpty())
        return Outcome::StayOpen;
    if (m_tab == TabCsv) {
        if (m_csvPath.isEmpty())
            BrowsCommand_Click();
        if (m_csvPath.isEmpty())
            return Outcome::StayOpen;
        return SaveCSV() ? Outcome::Close : Outcome::StayOpen;
    }
    if (m_tab == TabSort) {
        Sort_Grid();
        return Outcome::Close;
    }
    if (m_tab == TabApprx)
        return Make_Apprx() ? Outcome::ShowResult : Outcome::StayOpen;
    return Outcome::StayOpen;
}

bool DataDisposalForm::SaveCSV()
{
    auto s = resolveSeries(seriesText());
    if (!s) {
        m_r.port().message(csvFailureMessage(m_csvPath, QCoreApplication::translate("Processing", "系列がありません。")));
        return false;
    }
    // The file names the series the same way in every language.
    auto bytes = csvBytes(seriesFileName(*s), m_r.grid(*s));
    if (!bytes) {
        m_r.port().message(csvFailureMessage(m_csvPath, QCoreApplication::translate("Processing", "文字コードを変換できません。")));
        return false;
    }
    auto w = writeFileAtomically(m_csvPath, *bytes);
    if (!w) {
        m_r.port().message(csvFailureMessage(m_csvPath, w.error()));
        return false;
    }
    m_r.port().message(savedMessage());
    return true;
}

void DataDisposalForm::Sort_Grid()
{
    auto s = resolveSeries(seriesText());
    if (!s)
        return;
    History::Step step(m_r.history(), History::Sort);
    SeriesTable &t = m_r.grid(*s);
    CellValue value;
    if (m_r.isDateAxis(true) || m_r.isDateAxis(false))
        value = [this, &t](int row, int col) { return m_r.cellValue(t, row, col); };
    sortGrid(t, SortKey(m_sortKey), m_ascending, value);
}

bool DataDisposalForm::Make_Apprx()
{
    FitRequest req;
    req.kindName = m_aprxKind;
    req.degree = m_jisu;
    req.intercept = m_intcptChecked;
    if (m_intcptChecked) {
        const double v = readPrefix(m_intcptText);
        m_intcptVal = doubleText(v);
        // A value beyond the double range ("1E400") has no number text: the
        // fit would read its "Inf" as 0 and fix the curve at a value nobody
        // typed. The log and power kinds do not use the value.
        const auto k = FitKind(m_kind);
        if (!std::isfinite(v) && k != FitKind::Log && k != FitKind::Power) {
            m_r.port().message(fitFailureMessage(fitErrorDetail(FitError::BadIntercept)));
            return false;
        }
    }
    req.interceptText = m_intcptVal;

    auto s = resolveSeries(seriesText());
    if (!s) {
        m_r.port().message(fitFailureMessage(noSeriesText()));
        return false;
    }
    const SeriesTable &t = m_r.grid(*s);
    // Rows whose point could not be converted have no values: they are left
    // out (and counted), never handed over as 0.
    int leftOut = 0;
    // A date axis is fitted on days since its lower-left date, from the
    // points' own values (the texts are rounded to the shown unit).
    const bool dates = m_r.isDateAxis(true) || m_r.isDateAxis(false);
    const double xOrigin = m_r.dateOrigin(true), yOrigin = m_r.dateOrigin(false);
    for (int r = 1; r < t.rowCount(); ++r) {
        QString x = t.cell(r, SeriesTable::ColX), y = t.cell(r, SeriesTable::ColY);
        if (dates && fitRowHasValues(x, y)) {
            const auto vx = m_r.cellValue(t, r, SeriesTable::ColX), vy = m_r.cellValue(t, r, SeriesTable::ColY);
            x = vx ? shortestNumText(*vx - xOrigin) : QString();
            y = vy ? shortestNumText(*vy - yOrigin) : QString();
        }
        if (fitRowHasValues(x, y)) {
            req.xTexts << x;
            req.yTexts << y;
        } else {
            ++leftOut;
        }
        if (r == kMaxFitRows) {
            m_r.port().message(tooManyRowsMessage());
            break;
        }
    }
    auto res = m_fitter->fit(req);
    if (!res) {
        QString reason = fitErrorDetail(res.error());
        if (leftOut > 0)
            reason += QCoreApplication::translate("Processing", "、X 又は Y のない %1 行は除きました").arg(leftOut);
        m_r.port().message(fitFailureMessage(reason));
        return false;
    }
    if (leftOut > 0)
        m_r.port().message(rowsLeftOutText(leftOut));
    m_result = std::make_unique<ApprxForm>(m_r, seriesText());
    m_result->setResult(seriesDisplayName(seriesText()) + QCoreApplication::translate("Processing", "  -近似式"), m_aprxKind, res->equation,
                        formatPattern(readPrefix(res->r2), u"0.0000"));
    return true;
}

} // namespace orv
