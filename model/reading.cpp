#include "model/reading.h"
#include <QCoreApplication>

#include "model/datetext.h"
#include "model/frame_map.h"
#include "model/utilities.h"
#include "orv_version.h"

namespace orv {

const QString Reading::kFreeRecord = QStringLiteral("FALSE,0,0,0,0");

Reading::Reading(DesktopPort *port, QObject *parent) : QObject(parent), m_port(port)
{
    for (int s = 1; s <= kSeriesCount; ++s)
        m_grids[size_t(s)] = std::make_unique<SeriesTable>(s);
    for (auto &r : Pt_Array)
        r = kFreeRecord;
    // A ring placed in one frame mode would stay on a corner the other mode
    // derives or hides.
    connect(&panel, &CalibPanel::tabClicked, this, [this] { clearSelection(); });
    // The digits boxes offer date patterns on a date axis.
    connect(&panel, &CalibPanel::axisModeChanged, this, [this] {
        settings.xFormat.setItems(panel.xDate() ? datePatternItems() : ReadoutSettings::formatItems());
        settings.yFormat.setItems(panel.yDate() ? datePatternItems() : ReadoutSettings::formatItems());
    });
    m_history = std::make_unique<History>(*this);
}

Reading::~Reading() = default;

QString Reading::versionText()
{
    return QStringLiteral("%1.%2.%3").arg(ORV_VERSION_MAJOR).arg(ORV_VERSION_MINOR).arg(ORV_VERSION_PATCH);
}

void Reading::setPicLabel(const QString &caption, const QString &toolTip)
{
    m_picLabel = caption;
    m_picLabelTip = toolTip;
    Q_EMIT picLabelChanged();
}

void Reading::setStatusText(const QString &text)
{
    m_status = text;
    Q_EMIT statusTextChanged(text);
}

QString Reading::defineFrameText()
{
    return QCoreApplication::translate("Main", "開いたグラフ画像で枠線を定義するため、グラフの角を画像上で選択して下さい。 "
                                               "(対角定義、4点定義又は、射影定義)");
}

QString Reading::readPointsText()
{
    return QCoreApplication::translate("Graph", "読み出し値を追加する系列を選択し、グラフ画像上でポイントをクリックして下さい。");
}

void Reading::setDfntDone(bool done)
{
    if (Dfnt_Done == done)
        return;
    Dfnt_Done = done;
    Q_EMIT dfntDoneChanged(done);
}

void Reading::Init_App()
{
    m_mainCaption = QStringLiteral("Orvalinetrix    Version ") + versionText();
    Q_EMIT mainCaptionChanged(m_mainCaption);
    Init_Done = false;
    Close_Confirmed = false;
    panel.selectTab(1);
    // A Log option kept over the 0/1 value boxes would make every click fail.
    panel.setXLog(false);
    panel.setYLog(false);
    settings.keiretsu.setIndex(0);
    settings.xFormat.setIndex(0);
    settings.yFormat.setIndex(0);
    settings.zoom.setIndex(4);
    Q_EMIT zoomImageHidden();
    Q_EMIT initZoomRequested();
    Init_Done = true;
    Reset_Reading();
    if (graph.loaded())
        for (int i = 0; i < 4; ++i)
            graph.setDfntVisible(i, false);
}

void Reading::Reset_Reading(bool askTables)
{
    History::Suspend quiet(*m_history);
    GraphPic_Path.clear();
    clearSelection();
    Clear_AllPts();
    Init_PtArray();
    setPicLabel(QString(), m_picLabelTip);
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        panel.setPos(CalibPanel::PosBox(b), QString());
    panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("0"));
    panel.setVal(CalibPanel::LLY_VLText, QStringLiteral("0"));
    panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1"));
    panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("1"));
    settings.keiretsu.setIndex(0);
    Close_GridForms(askTables);
    setDfntDone(false);
    // Nothing of the reading is left to take back or to save.
    m_history->clear();
}

void Reading::Init_PtArray()
{
    for (int i = 1; i <= kMaxId; ++i)
        Pt_Array[size_t(i)] = kFreeRecord;
    for (int s = 1; s <= kSeriesCount; ++s)
        Grid_Opened[size_t(s)] = 0;
    Drag_DfntNo = -1;
    Drag_PtNo = -1;
}

void Reading::Clear_AllPts()
{
    for (int id = 1; id <= kMaxId; ++id) {
        if (Get_Field(Pt_Array[size_t(id)], QStringLiteral(","), 0) == u"TRUE")
            Delete_Pt(id);
    }
}

void Reading::Delete_Pt(int id)
{
    if (id < 1 || id > kMaxId)
        return; // element 0 is the template, never a point
    graph.setPickToolTip(id, QString());
    graph.unloadPick(id);
    Pt_Array[size_t(id)] = kFreeRecord;
    if (id == Sel_PtNo || id == Drag_PtNo) {
        // The ring and the indices would otherwise name a point that is gone
        // (or the next point given this ID).
        graph.hideSelShapePt();
        Sel_PtNo = -1;
        Drag_PtNo = -1;
    }
}

void Reading::clearSelection()
{
    graph.hideRings();
    Sel_DfntNo = -1;
    Sel_PtNo = -1;
    Drag_DfntNo = -1;
    Drag_PtNo = -1;
}

bool Reading::hasPoints() const
{
    for (int id = 1; id <= kMaxId; ++id)
        if (Pt_Array[size_t(id)].startsWith(u"TRUE,"))
            return true;
    return false;
}

QString Reading::tableCloseQuestion()
{
    return QCoreApplication::translate("Messages", "ウィンドウを閉じると読み出したデータが破棄されます。\rウィンドウを閉じますか？");
}

QString Reading::unsavedQuestion()
{
    return QCoreApplication::translate("Messages", "保存されていない変更があります。\r保存しますか？");
}

bool Reading::confirmDiscardChanges(bool askTables)
{
    if (!m_history->isModified())
        return !askTables || confirmDiscardTables();
    switch (m_port->askYesNoCancel(unsavedQuestion(), QStringLiteral("Notice!"))) {
    case DesktopPort::Answer::Cancel: return false;
    case DesktopPort::Answer::No: break;
    case DesktopPort::Answer::Yes:
        // A cancelled or failed save leaves the reading modified: stop.
        if (saveHandler)
            saveHandler();
        if (m_history->isModified())
            return false;
        break;
    }
    return true;
}

bool Reading::confirmDiscardTables()
{
    if (Close_Confirmed)
        return true;
    for (int s = 1; s <= kSeriesCount; ++s) {
        const SeriesTable &t = grid(s);
        if (t.loaded() && !t.isEmpty() && !m_port->askYesNo(tableCloseQuestion(), QStringLiteral("Notice!")))
            return false;
    }
    return true;
}

void Reading::Close_GridForms(bool ask)
{
    for (int s = 1; s <= kSeriesCount; ++s)
        if (grid(s).loaded())
            closeGridForm(s, ask);
}

bool Reading::closeGridForm(int series, bool ask)
{
    if (!validSeries(series))
        return false;
    SeriesTable &t = grid(series);
    if (!t.loaded())
        return true;
    t.hideEditor();
    if (!Close_Confirmed && !t.isEmpty() && ask && !m_port->askYesNo(tableCloseQuestion(), QStringLiteral("Notice!")))
        return false;
    // Closing a table with rows deletes its points: a step that can be taken back.
    History::Step step(*m_history, History::CloseTable);
    if (!Close_Confirmed && !t.isEmpty())
        deleteSeriesPoints(series);
    Grid_Opened[size_t(series)] = 0;
    t.unload();
    return true;
}

void Reading::deleteSeriesPoints(int series)
{
    // All of 1..255: points restored from a file may carry IDs above 250.
    const QString sep = QStringLiteral(",");
    for (int id = 1; id <= kMaxId; ++id) {
        const QString &rec = Pt_Array[size_t(id)];
        if (Get_Field(rec, sep, 0) == u"TRUE" && int(readPrefix(Get_Field(rec, sep, 1))) == series)
            Delete_Pt(id);
    }
}

QString Reading::Get_Field(const QString &text, const QString &sep, int n)
{
    if (text.isEmpty() || n < 0)
        return QStringLiteral("Error");
    qsizetype start = 0;
    for (int i = 0; i < n; ++i) {
        qsizetype p = text.indexOf(sep, start);
        if (p < 0)
            return QStringLiteral("Error");
        start = p + sep.size();
    }
    qsizetype end = text.indexOf(sep, start);
    return text.mid(start, end < 0 ? -1 : end - start);
}

bool Reading::Is_FormOpen(const QString &key) const
{
    if (graph.loaded() && (key == u"Graph_Form" || key == graph.caption()))
        return true;
    for (int s = 1; s <= kSeriesCount; ++s) {
        const SeriesTable &t = grid(s);
        if (t.loaded() && (key == u"Grid_Form" || key == t.caption()))
            return true;
    }
    for (const auto &w : m_windows)
        if (w.name == key || w.caption == key)
            return true;
    return false;
}

int Reading::registerWindow(const QString &name, const QString &caption)
{
    m_windows.push_back({m_nextHandle, name, caption});
    return m_nextHandle++;
}

void Reading::setWindowCaption(int handle, const QString &caption)
{
    for (auto &w : m_windows)
        if (w.handle == handle)
            w.caption = caption;
}

void Reading::unregisterWindow(int handle)
{
    std::erase_if(m_windows, [handle](const WindowEntry &w) { return w.handle == handle; });
}

std::expected<void, ConvError> Reading::Conv_Pt(float px, float py)
{
    return frameMap(panel).toValue(panel, px, py, Conv_X, Conv_Y);
}

QString Reading::Format_Val(QStringView axis, double v) const
{
    const Combo *c = axis == u"X" ? &settings.xFormat : axis == u"Y" ? &settings.yFormat : nullptr;
    if (!c)
        return doubleText(v);
    if (panel.kind(axis == u"X") == AxisKind::Date)
        return formatDateValue(axis == u"X", v, c->text());
    if (c->text() == u"AUTO")
        return formatPattern(v, QStringView(autoPattern(v)));
    return formatPattern(v, c->text());
}

int Reading::Get_FreePtNo() const
{
    const QString sep = QStringLiteral(",");
    for (int id = 1; id <= kMaxFreeId; ++id)
        if (Get_Field(Pt_Array[size_t(id)], sep, 0) == u"FALSE")
            return id;
    return 0;
}

QString Reading::markerToolTip(int series, int id, const QString &xText, const QString &yText, const QString &z) const
{
    return QCoreApplication::translate("Main", "系列%1：ID=%2,X=%3,Y=%4,Z=%5").arg(series).arg(id).arg(xText, yText, z);
}

void Reading::Put_PtImage(int series, float x, float y, int id)
{
    if (id < 1 || id > kMaxId || !validSeries(series))
        return; // 0 means "no free ID": never a marker or record
    Marker m;
    m.left = x - graph.markerWidth / 2;
    m.top = y + graph.markerHeight / 2;
    m.toolTip = markerToolTip(series, id, Format_Val(u"X", Conv_X), Format_Val(u"Y", Conv_Y), QStringLiteral("0"));
    m.visible = true;
    graph.loadPick(id, m);
    Pt_Array[size_t(id)] = QStringLiteral("TRUE,%1,%2,%3,0").arg(series).arg(plainNumText(x), plainNumText(y));
}

void Reading::Set_GridPt(int series, const QString &mode, int id)
{
    if (!validSeries(series))
        return;
    if (!Is_FormOpen(QStringLiteral("系列%1").arg(series)))
        Show_GridForm(series);
    SeriesTable &t = grid(series);
    int row;
    if (mode == u"Add") {
        t.appendRow();
        row = t.rowCount() - 1;
        t.setCurrent(row, t.currentCol());
        t.setCell(row, SeriesTable::ColNo, QString::number(t.rowCount() - 1));
    } else if (mode == u"Change") {
        row = -1;
        for (int r = 1; r < t.rowCount(); ++r) {
            if (readPrefix(t.cell(r, SeriesTable::ColId)) == id) {
                row = r;
                break;
            }
        }
        if (row < 0)
            return;
        t.setCurrent(row, t.currentCol());
    } else {
        return;
    }
    t.setCell(row, SeriesTable::ColId, QString::number(id));
    t.setCell(row, SeriesTable::ColX, Format_Val(u"X", Conv_X));
    t.setCell(row, SeriesTable::ColY, Format_Val(u"Y", Conv_Y));
    if (row - 8 > 1)
        t.setTopRow(row - 8);
}

Reading::BatchResult Reading::addPoints(int series, const std::vector<QPointF> &positions)
{
    BatchResult res;
    if (!validSeries(series))
        return res;
    // The whole batch is one step: one Ctrl+Z takes every found point back.
    History::Step step(*m_history, History::AddPoints);
    SeriesTable &t = grid(series);
    if (!Is_FormOpen(QStringLiteral("系列%1").arg(series)))
        Show_GridForm(series);
    t.beginUpdate(); // one refresh of the table, not one per point
    for (size_t i = 0; i < positions.size(); ++i) {
        const float x = float(positions[i].x()), y = float(positions[i].y());
        if (!Conv_Pt(x, y)) {
            ++res.unconverted;
            continue;
        }
        const int id = Get_FreePtNo();
        if (id == 0) {
            res.leftOut = int(positions.size() - i);
            break;
        }
        Put_PtImage(series, x, y, id);
        Set_GridPt(series, QStringLiteral("Add"), id);
        ++res.added;
    }
    t.endUpdate();
    Draw_Frame();
    return res;
}

void Reading::Delete_Row(int series, int row)
{
    if (!validSeries(series))
        return;
    SeriesTable &t = grid(series);
    t.hideEditor();
    if (row <= 0 || row >= t.rowCount())
        return;
    const double idv = readPrefix(t.cell(row, SeriesTable::ColId));
    t.shiftUpFrom(row);
    if (idv >= 1 && idv <= kMaxId)
        Delete_Pt(int(idv));
    graph.hideRings();
}

void Reading::Show_GridForm(int series)
{
    if (!validSeries(series))
        return; // 17 (and anything else outside 1..16) is ignored
    grid(series).load(QStringLiteral("系列%1").arg(series));
}

void Reading::Draw_Frame()
{
    graph.setFrameLines(GraphModel::outlineOf(cornerPositions(panel)));
}

} // namespace orv

namespace orv {

void Reading::showPicture(const QImage &picture, const QString &caption)
{
    showPicture(picture, picture.size(), caption);
}

void Reading::showPicture(const QImage &reduced, QSize natural, const QString &caption)
{
    graph.setPicture(reduced, natural);
    graph.setCaption(caption);
    graph.setLoaded(true);
    Q_EMIT pictureShown();
}

void Reading::unloadGraph()
{
    if (!graph.loaded())
        return;
    for (int id = 1; id <= kMaxId; ++id)
        graph.unloadPick(id);
    for (int i = 0; i < 4; ++i)
        graph.setDfntVisible(i, false);
    clearSelection();
    // No window left to show which corner a click would place.
    Hilight_DfntBox(panel, CalibPanel::LLX_Text, CalibPanel::LLY_Text, false);
    graph.setFrameLines({});
    graph.setLoaded(false);
    Close_Confirmed = false;
    Q_EMIT zoomImageHidden();
}

} // namespace orv
