#include "table/grid_form.h"

#include "model/utilities.h"

#include <cmath>

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
    const QString z = t.editorText();
    t.hideEditor();
    if (row < 1 || row >= t.rowCount())
        return;
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
    const QString xText = r.Format_Val(u"X", readPrefix(t.cell(row, SeriesTable::ColX)));
    const QString yText = r.Format_Val(u"Y", readPrefix(t.cell(row, SeriesTable::ColY)));
    r.graph.setPickToolTip(id, r.markerToolTip(series(), id, xText, yText, z));
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
    const QString sep = QStringLiteral(",");
    t.beginUpdate();
    for (int row = 1; row < t.rowCount(); ++row) {
        const double idv = readPrefix(t.cell(row, SeriesTable::ColId));
        if (idv < 1 || idv > Reading::kMaxId)
            continue;
        const QString &rec = r.Pt_Array[size_t(int(idv))];
        if (Reading::Get_Field(rec, sep, 0) != u"TRUE")
            continue; // freed underneath: nothing to read
        const float x = float(readPrefix(Reading::Get_Field(rec, sep, 2)));
        const float y = float(readPrefix(Reading::Get_Field(rec, sep, 3)));
        if (auto ok = r.Conv_Pt(x, y); !ok) {
            t.endUpdate();
            r.port().message(convFailedMessage(ok.error()));
            return;
        }
        t.setCell(row, SeriesTable::ColX, r.Format_Val(u"X", r.Conv_X));
        t.setCell(row, SeriesTable::ColY, r.Format_Val(u"Y", r.Conv_Y));
    }
    t.endUpdate();
}

void Grid_Form::deleteSelectedRow() { r.Delete_Row(series(), table().currentRow()); }

void Grid_Form::deleteAll()
{
    SeriesTable &t = table();
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
                                       const std::array<int, 5> &currentWidths)
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
    l.colWidths[2] = roundTwips(dw / 3.0 + 1100);
    l.colWidths[3] = roundTwips(dw / 3.0 + 1100);
    l.colWidths[4] = roundTwips(dw / 3.0 + 800);
    return l;
}

void Grid_Form::resized(int width, int height, bool normalState, bool minimised)
{
    SeriesTable &t = table();
    t.hideEditor();
    const Layout l = layoutFor(width, height, normalState, minimised, t.colWidths);
    t.widthTwips = l.width;
    t.heightTwips = l.height;
    t.colWidths = l.colWidths;
}

} // namespace orv
