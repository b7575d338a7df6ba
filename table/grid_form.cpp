#include "table/grid_form.h"

#include "model/utilities.h"

#include <QCoreApplication>
#include <cmath>
#include <optional>
#include <vector>

namespace orv {

namespace {

int roundTwips(double v) { return int(std::nearbyint(v)); }

} // namespace

Grid_Form::Grid_Form(Reading &reading, int series, QObject *parent) : QObject(parent), r(reading), m_series(series)
{
}

int Grid_Form::series() const
{
    QString c = table().caption();
    c.remove(QStringLiteral("系列"));
    const int s = int(readPrefix(c));
    return Reading::validSeries(s) ? s : m_series;
}

void Grid_Form::gridClick(int row, int col)
{
    r.Cur_Keiretsu = series();
    SeriesTable &t = table();
    t.hideEditor();
    if (row >= 1 && row < t.rowCount() && col == SeriesTable::ColZ) {
        t.setCurrent(row, col);
        t.showEditor(t.cell(row, col));
    }
}

QString Grid_Form::editorTextChanged(const QString &text)
{
    QString s = text;
    int caret = int(s.size());
    while (Check_NumText(s, caret))
        r.port().beep();
    table().setEditorText(s);
    return s;
}

void Grid_Form::editorEnter()
{
    SeriesTable &t = table();
    if (!t.editorVisible())
        return;
    const int row = t.currentRow();
    QString z = t.editorText();
    t.hideEditor();
    if (row < 1 || row >= t.rowCount())
        return;
    History::Step step(r.history(), History::EditZ);
    // The editor filters every change; this guards the record against a text
    // that reached the editor some other way (a control character or comma
    // would split the record and the CSV line).
    for (int caret = 0; Check_NumText(z, caret);) {
    }
    t.setCell(row, SeriesTable::ColZ, z);
    const double idv = readPrefix(t.cell(row, SeriesTable::ColId));
    if (idv < 1 || idv > Reading::kMaxId)
        return;
    const int id = int(idv);
    QString &rec = r.Pt_Array[size_t(id)];
    const QString sep = QStringLiteral(",");
    // A row whose point was freed underneath keeps its text only in the grid.
    if (Reading::Get_Field(rec, sep, 0) != u"TRUE")
        return;
    rec = QStringLiteral("TRUE,%1,%2,%3,%4")
              .arg(Reading::Get_Field(rec, sep, 1), Reading::Get_Field(rec, sep, 2), Reading::Get_Field(rec, sep, 3), z);
    // The tip names the values the row shows: empty ones (a point the frame
    // could not convert) stay empty rather than reading as 0.
    r.graph.setPickToolTip(id, r.markerToolTip(series(), id, t.cell(row, SeriesTable::ColX),
                                               t.cell(row, SeriesTable::ColY), z));
}

void Grid_Form::editorEscape()
{
    SeriesTable &t = table();
    if (!t.editorVisible())
        return;
    t.hideEditor();
    t.setCell(t.currentRow(), SeriesTable::ColZ, t.rememberedText());
}

void Grid_Form::selectionChanged(int row)
{
    SeriesTable &t = table();
    t.hideEditor();
    if (t.isEmpty() || row < 1 || row >= t.rowCount())
        return;
    const double idv = readPrefix(t.cell(row, SeriesTable::ColId));
    if (idv < 1 || idv > Reading::kMaxId)
        return;
    const int id = int(idv);
    const QString &rec = r.Pt_Array[size_t(id)];
    const QString sep = QStringLiteral(",");
    if (Reading::Get_Field(rec, sep, 0) != u"TRUE")
        return; // the point is gone: nothing to ring
    const float x = float(readPrefix(Reading::Get_Field(rec, sep, 2)));
    const float y = float(readPrefix(Reading::Get_Field(rec, sep, 3)));
    r.graph.setSelShapePt(r.graph.ringAt(x, y));
    r.Sel_PtNo = id;
}

void Grid_Form::gridEscapeReleased()
{
    r.Sel_PtNo = 0;
    r.graph.hideSelShapePt();
}

bool Grid_Form::rightButtonReleased()
{
    if (table().isEmpty())
        return false;
    r.Cur_Keiretsu = series();
    return true;
}

void Grid_Form::reread()
{
    SeriesTable &t = table();
    History::Step step(r.history(), History::Reread);
    const QString sep = QStringLiteral(",");
    // Every row is converted before any is written, so that one point the
    // frame cannot convert never leaves the table half old, half new.
    struct Result {
        int row, id;
        QString x, y; // empty when the point could not be converted
        QString z;
    };
    std::vector<Result> results;
    int failed = 0;
    std::optional<ConvError> firstError;
    for (int row = 1; row < t.rowCount(); ++row) {
        const double idv = readPrefix(t.cell(row, SeriesTable::ColId));
        if (idv < 1 || idv > Reading::kMaxId)
            continue;
        const int id = int(idv);
        const QString &rec = r.Pt_Array[size_t(id)];
        if (Reading::Get_Field(rec, sep, 0) != u"TRUE")
            continue; // freed underneath: nothing to read
        const float x = float(readPrefix(Reading::Get_Field(rec, sep, 2)));
        const float y = float(readPrefix(Reading::Get_Field(rec, sep, 3)));
        Result res{row, id, {}, {}, Reading::Get_Field(rec, sep, 4)};
        auto ok = r.Conv_Pt(x, y);
        if (ok && std::isfinite(r.Conv_X) && std::isfinite(r.Conv_Y)) {
            res.x = r.Format_Val(u"X", r.Conv_X);
            res.y = r.Format_Val(u"Y", r.Conv_Y);
        } else {
            ++failed;
            if (!firstError)
                firstError = ok ? ConvError::Degenerate : ok.error();
        }
        results.push_back(std::move(res));
    }
    t.beginUpdate();
    for (const Result &res : results) {
        t.setCell(res.row, SeriesTable::ColX, res.x);
        t.setCell(res.row, SeriesTable::ColY, res.y);
        r.graph.setPickToolTip(res.id, r.markerToolTip(series(), res.id, res.x, res.y, res.z));
    }
    t.endUpdate();
    if (failed)
        r.port().message(convFailedMessage(*firstError) +
                         QCoreApplication::translate("Table", "\r%1点中%2点のX、Yを変換できなかったため、空欄にしました。")
                             .arg(results.size())
                             .arg(failed));
}

void Grid_Form::deleteSelectedRow()
{
    History::Step step(r.history(), History::DeleteRow);
    r.Delete_Row(series(), table().currentRow());
}

void Grid_Form::deleteAll()
{
    SeriesTable &t = table();
    History::Step step(r.history(), History::DeleteAll);
    t.hideEditor();
    t.gridClear();
    r.deleteSeriesPoints(series());
    r.graph.hideRings();
}

void Grid_Form::dataDisposal()
{
    if (openDataDisposal)
        openDataDisposal(series());
}

bool Grid_Form::queryUnload() { return r.closeGridForm(m_series); }

Grid_Form::Layout Grid_Form::layoutFor(int width, int height, bool normalState, bool minimised,
                                       const std::array<int, 5> &currentWidths, const std::array<int, 5> &minWidths)
{
    Layout l{};
    l.width = width;
    l.height = height;
    if (normalState) {
        l.height = std::max(height, 2000);
        l.width = std::max(width, 4500);
    }
    l.colWidths = currentWidths;
    if (minimised)
        return l;
    const int dh = roundTwips(l.height - 4410.0), dw = roundTwips(l.width - 4500.0);
    l.frameHeight = dh + 3855;
    l.frameWidth = dw + 4300;
    l.gridHeight = dh + 3225;
    l.gridWidth = dw + 4155;
    l.buttonTop = dh + 3480;
    l.dataDisposalWidth = dw + 1125;
    // X, Y and Z share the grid's width beyond "No." and ID, 1100 : 1100 : 800
    // at the design size, each widening by a third of the extra width.
    const int idExtra = std::max(0, minWidths[1] - 500);
    l.colWidths[1] = 500 + idExtra;
    const std::array<double, 3> share{dw / 3.0 + 1100, dw / 3.0 + 1100, dw / 3.0 + 800};
    std::array<int, 3> floorW{};
    for (int i = 0; i < 3; ++i)
        floorW[size_t(i)] = std::max(kMinValueColTwips, minWidths[size_t(i + 2)]);
    // A column whose text needs more than its share takes what it needs; the
    // others share the rest in the same proportions, never below their own
    // texts. Without such a column this is the plain proportional rule.
    std::array<bool, 3> atMin{};
    for (bool again = true; again;) {
        again = false;
        double rest = 3000.0 + dw - idExtra, weights = 0;
        for (int i = 0; i < 3; ++i) {
            if (atMin[size_t(i)])
                rest -= floorW[size_t(i)];
            else
                weights += share[size_t(i)];
        }
        const bool anyAtMin = atMin[0] || atMin[1] || atMin[2];
        for (int i = 0; i < 3; ++i) {
            if (atMin[size_t(i)]) {
                l.colWidths[size_t(i + 2)] = floorW[size_t(i)];
                continue;
            }
            const int w = anyAtMin || idExtra ? int(std::floor(rest * share[size_t(i)] / weights))
                                              : roundTwips(share[size_t(i)]);
            if (w < floorW[size_t(i)]) {
                atMin[size_t(i)] = true;
                again = true;
            }
            l.colWidths[size_t(i + 2)] = w;
        }
    }
    return l;
}

int Grid_Form::widthToFit(int width, const std::array<int, 5> &minWidths)
{
    // The columns fill the grid exactly when X, Y and Z together have
    // 3000 twips plus the window's extra width, less what ID takes beyond 500.
    int need = std::max(0, minWidths[1] - 500);
    for (int c = 2; c <= 4; ++c)
        need += std::max(kMinValueColTwips, minWidths[size_t(c)]);
    return std::max({width, 4500, 4500 + need - 3000});
}

void Grid_Form::resized(int width, int height, bool normalState, bool minimised)
{
    SeriesTable &t = table();
    t.hideEditor();
    const Layout l = layoutFor(width, height, normalState, minimised, t.colWidths, t.minColWidths);
    t.widthTwips = l.width;
    t.heightTwips = l.height;
    t.colWidths = l.colWidths;
}

} // namespace orv
