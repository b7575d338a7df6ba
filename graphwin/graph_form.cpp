#include "graphwin/graph_form.h"

#include "model/utilities.h"

#include <QCoreApplication>
#include <algorithm>

namespace orv {

namespace {
constexpr double kMarkerPx = 9.0;          // 135 twips
constexpr double kRingPx = 250.0 / 15.0;   // 250 twips
} // namespace

Graph_Form::Graph_Form(Reading &reading, QObject *parent) : QObject(parent), r(reading)
{
    // A readout of the previous picture would name a place on this one.
    connect(&r.graph, &GraphModel::pictureChanged, this, [this] { setStatus(QString()); });
}

bool Graph_Form::onPicture(float x, float y) { return x >= 0 && x <= 1 && y >= 0 && y <= 1; }

QString Graph_Form::closeQuestion()
{
    return QCoreApplication::translate("Graph", "グラフウィンドウを閉じると全ての読出し(系列)ウィンドウも閉じます。\rよろしいですか？");
}

QString Graph_Form::completionStatus() { return Reading::readPointsText(); }

QString Graph_Form::pointLimitMessage()
{
    return QCoreApplication::translate("Graph", "エラー！(No.2)(読み出しポイントは250点までです。不要なポイントを削除して下さい。)");
}

QString Graph_Form::deselectedStatus()
{
    return QCoreApplication::translate("Graph", "選択を解除しました。点を追加するには、もう一度クリックして下さい。");
}

QString Graph_Form::dropRefusedStatus(int draggedKind)
{
    return draggedKind == 2
               ? QCoreApplication::translate("Graph", "角は点や他の角の上には置けません。少しずらして放して下さい。")
               : QCoreApplication::translate("Graph", "点は他の点や角の上には置けません。少しずらして放して下さい。");
}

void Graph_Form::showNote(const QString &text)
{
    // A note replacing a note keeps the text from before the first.
    if (m_note.isEmpty() || r.statusText() != m_note)
        m_beforeNote = r.statusText();
    m_note = text;
    r.setStatusText(text);
}

void Graph_Form::endNote()
{
    // Unless something else has written the status bar since.
    if (!m_note.isEmpty() && r.statusText() == m_note)
        r.setStatusText(m_beforeNote);
    m_note.clear();
}

void Graph_Form::setPictureSize(int widthPx, int heightPx)
{
    if (widthPx <= 0 || heightPx <= 0)
        return;
    r.graph.markerWidth = float(kMarkerPx / widthPx);
    r.graph.markerHeight = float(kMarkerPx / heightPx);
    r.graph.ringWidth = float(kRingPx / widthPx);
    r.graph.ringHeight = float(kRingPx / heightPx);
    r.graph.picAreaWidthTwips = float(widthPx * kTwipsPerPixel);
    r.graph.picAreaHeightTwips = float(heightPx * kTwipsPerPixel);
}

Corner Graph_Form::quadrantCorner(float x, float y)
{
    if (x < 0.5f)
        return y < 0.5f ? LL : LU;
    return y < 0.5f ? RL : RU;
}

void Graph_Form::setStatus(const QString &text)
{
    if (m_status == text)
        return;
    m_status = text;
    Q_EMIT statusTextChanged(text);
}

void Graph_Form::mouseMove(float x, float y)
{
    if (!r.Dfnt_Done) {
        // Show which corner a click here would place.
        const Corner c = quadrantCorner(x, y);
        Hilight_DfntBox(r.panel, CalibPanel::xBox(c), CalibPanel::yBox(c), true);
    } else if (r.Conv_Pt(x, y)) {
        setStatus(QStringLiteral("X=") + r.Format_Val(u"X", r.Conv_X) + QStringLiteral(" , Y=") +
                  r.Format_Val(u"Y", r.Conv_Y));
    } else {
        // A frame that cannot convert (a value box holding text, say): no
        // readout rather than the number of an earlier place.
        setStatus(QString());
    }
    r.zoomFollow(x, y);
}

void Graph_Form::dragOver(float x, float y) { r.zoomFollow(x, y); }

void Graph_Form::mouseUp(int button, float x, float y)
{
    r.history().interrupt();
    endNote();
    // A press on the picture released beyond its edge places nothing there.
    if (!onPicture(x, y))
        return;
    const bool ringVisible = r.graph.selShape().visible || r.graph.selShapePt().visible;
    if (button == LeftButton && r.Drag_DfntNo == -1 && r.Dfnt_Done && !ringVisible) {
        addPoint(x, y);
    } else if (button != LeftButton || r.Dfnt_Done) {
        deselect();
        // A left click that would have added a point only ended the
        // selection: said, so that the click is not taken for lost.
        if (button == LeftButton)
            showNote(deselectedStatus());
    } else {
        placeCorner(x, y);
    }
}

void Graph_Form::deselect() { r.clearSelection(); }

void Graph_Form::addPoint(float x, float y)
{
    if (auto ok = r.Conv_Pt(x, y); !ok) {
        r.port().message(convFailedMessage(ok.error()));
        return;
    }
    const int series = r.settings.seriesNumber();
    if (!Reading::validSeries(series))
        return;
    const int id = r.Get_FreePtNo();
    if (id == 0) {
        r.port().message(pointLimitMessage());
        return;
    }
    History::Step step(r.history(), History::AddPoint);
    r.Put_PtImage(series, x, y, id);
    r.Set_GridPt(series, QStringLiteral("Add"), id);
    r.Draw_Frame();
}

void Graph_Form::writeCornerBoxes(int corner, float x, float y)
{
    const Corner c = Corner(corner);
    r.panel.setPos(CalibPanel::xBox(c), plainNumText(x));
    r.panel.setPos(CalibPanel::yBox(c), plainNumText(y));
}

void Graph_Form::placeCorner(float x, float y)
{
    const Corner c = quadrantCorner(x, y);
    History::Step step(r.history(), History::PlaceCorner);
    writeCornerBoxes(c, x, y);
    if (c == LL || c == RU || !r.panel.isDiagonal()) {
        Marker m = r.graph.dfnt(c);
        m.left = x - r.graph.markerWidth / 2;
        m.top = y + r.graph.markerHeight / 2;
        m.visible = true;
        r.graph.setDfnt(c, m);
    }
    if (r.Dfnt_Done)
        r.setStatusText(completionStatus());
    r.Draw_Frame();
}

void Graph_Form::pickMouseDown(int id)
{
    if (!r.graph.hasPick(id))
        return;
    r.history().interrupt();
    endNote();
    r.graph.setSelShapePt(r.graph.ringAround(*r.graph.pick(id)));
    r.Sel_PtNo = id;
    r.graph.hideSelShape();
    r.Sel_DfntNo = -1;
    r.Drag_PtNo = id;
    // The ring and the table's current row name the same point, so that
    // 選択行削除 deletes the point the ring shows.
    showInTable(id);
}

void Graph_Form::showInTable(int id)
{
    const int series = int(readPrefix(Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 1)));
    if (!Reading::validSeries(series))
        return;
    SeriesTable &t = r.grid(series);
    const int row = t.rowOfId(id);
    if (row < 0)
        return;
    t.setCurrent(row, std::max(int(SeriesTable::ColId), t.currentCol()));
    t.revealRow(row);
}

void Graph_Form::dfntMouseDown(int index)
{
    if (index < 0 || index > 3)
        return;
    r.history().interrupt();
    endNote();
    r.graph.setSelShape(r.graph.ringAround(r.graph.dfnt(index)));
    r.Sel_DfntNo = index;
    r.graph.hideSelShapePt();
    r.Sel_PtNo = -1;
    r.Drag_DfntNo = index;
}

void Graph_Form::dragDrop(float x, float y)
{
    if (!onPicture(x, y))
        return;
    // A drag and drop is one step, whether of a corner or of a point.
    const bool corner = r.graph.selShape().visible && r.Drag_DfntNo >= 0 && r.Drag_DfntNo <= 3;
    History::Step step(r.history(), corner ? History::MoveCorner : History::MovePoint);
    r.history().interrupt();
    if (r.graph.selShape().visible && r.Drag_DfntNo >= 0 && r.Drag_DfntNo <= 3) {
        const int i = r.Drag_DfntNo;
        Marker m = r.graph.dfnt(i);
        m.left = x - r.graph.markerWidth / 2;
        m.top = y + r.graph.markerHeight / 2;
        r.graph.setDfnt(i, m);
        r.graph.setSelShape(r.graph.ringAt(x, y));
        writeCornerBoxes(i, x, y);
        r.Drag_DfntNo = -1;
        r.Draw_Frame();
    }
    const int n = r.Drag_PtNo;
    if (!r.graph.selShapePt().visible || n == -1 || !r.graph.hasPick(n)) {
        r.Draw_Frame();
        return;
    }
    // Convert first: a point that cannot be converted stays where it was.
    if (auto ok = r.Conv_Pt(x, y); !ok) {
        r.port().message(convFailedMessage(ok.error()));
        r.Drag_PtNo = -1;
        r.Draw_Frame();
        return;
    }
    r.graph.movePick(n, x - r.graph.markerWidth / 2, y + r.graph.markerHeight / 2);
    r.graph.setSelShapePt(r.graph.ringAt(x, y));
    const QString sep = QStringLiteral(",");
    const QString &rec = r.Pt_Array[size_t(n)];
    const QString s = Reading::Get_Field(rec, sep, 1), z = Reading::Get_Field(rec, sep, 4);
    const int series = int(readPrefix(s));
    r.graph.setPickToolTip(
        n, r.markerToolTip(series, n, r.Format_Val(u"X", r.Conv_X), r.Format_Val(u"Y", r.Conv_Y), z));
    r.Pt_Array[size_t(n)] = QStringLiteral("TRUE,%1,%2,%3,%4").arg(s, plainNumText(x), plainNumText(y), z);
    r.Set_GridPt(series, QStringLiteral("Change"), n);
    r.Drag_PtNo = -1;
    r.Draw_Frame();
}

void Graph_Form::dropRefused(int draggedKind)
{
    if (draggedKind == 1 || draggedKind == 2)
        showNote(dropRefusedStatus(draggedKind));
}

void Graph_Form::keyDown(int key, int)
{
    endNote();
    if (key != KeyDelete || !r.graph.selShapePt().visible)
        return;
    const int id = r.Sel_PtNo;
    if (id < 1 || id > Reading::kMaxId)
        return;
    const int series = int(readPrefix(Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 1)));
    if (!Reading::validSeries(series))
        return;
    SeriesTable &t = r.grid(series);
    const int row = t.rowOfId(id);
    if (row < 0)
        return; // not in its table: the key is ignored
    History::Step step(r.history(), History::DeletePoint);
    r.graph.hideRings();
    t.setCurrent(row, t.currentCol());
    r.Delete_Row(series, row);
    r.Sel_PtNo = -1;
}

void Graph_Form::keyUp(int key, int modifiers)
{
    const double step = modifiers == NoModifier ? 0.0005 : modifiers == Shift ? 0.01 : 0.0;
    const bool arrow = key == KeyLeft || key == KeyUp || key == KeyRight || key == KeyDown;
    const bool vertical = key == KeyUp || key == KeyDown;
    const double dir = (key == KeyRight || key == KeyUp) ? 1.0 : -1.0;

    // A run of arrow keys on one corner or one point is one step; any other
    // key ends the run.
    const bool cornerSelected = r.graph.selShape().visible && r.Sel_DfntNo >= 0 && r.Sel_DfntNo <= 3;
    const bool modifierKey = key >= 16 && key <= 18; // Shift, Ctrl, Alt released
    if (!arrow && !modifierKey)
        r.history().interrupt();
    History::Step nudge(r.history(), cornerSelected ? History::NudgeCorner : History::NudgePoint,
                       cornerSelected ? r.Sel_DfntNo : std::max(0, r.Sel_PtNo));

    // The selected corner.
    if (r.graph.selShape().visible && r.Sel_DfntNo >= 0 && r.Sel_DfntNo <= 3) {
        const Corner c = Corner(r.Sel_DfntNo);
        if (arrow) {
            const auto box = vertical ? CalibPanel::yBox(c) : CalibPanel::xBox(c);
            // A box that is empty or holds no number cannot be nudged.
            if (auto cur = readStrict(r.panel.pos(box))) {
                const double v = step * dir + *cur;
                r.panel.setPos(box, doubleText(v));
                Marker m = r.graph.dfnt(c);
                Ring ring = r.graph.selShape();
                if (vertical) {
                    m.top = float(v + r.graph.markerHeight / 2);
                    ring.top = float(v + r.graph.ringHeight / 2);
                } else {
                    m.left = float(v - r.graph.markerWidth / 2);
                    ring.left = float(v - r.graph.ringWidth / 2);
                }
                r.graph.setDfnt(c, m);
                r.graph.setSelShape(ring);
            }
        }
        const Ring &ring = r.graph.selShape();
        r.zoomFollow(ring.left + r.graph.ringWidth / 2, ring.top - r.graph.ringHeight / 2);
    }

    r.Draw_Frame();

    // The selected point.
    const int n = r.Sel_PtNo;
    if (r.graph.selShapePt().visible && r.graph.hasPick(n)) {
        Marker m = *r.graph.pick(n);
        Ring ring = r.graph.selShapePt();
        if (arrow) {
            const float d = float(step * dir);
            if (vertical) {
                m.top += d;
                ring.top += d;
            } else {
                m.left += d;
                ring.left += d;
            }
        }
        // Read again at the marker's (new) centre. A frame that cannot convert
        // leaves the point where it was, so that its marker, record and row
        // stay in step.
        const float cx = m.left + r.graph.markerWidth / 2;
        const float cy = m.top - r.graph.markerHeight / 2;
        if (auto ok = r.Conv_Pt(cx, cy); !ok) {
            r.port().message(convFailedMessage(ok.error()));
        } else {
            if (arrow) {
                r.graph.movePick(n, m.left, m.top);
                r.graph.setSelShapePt(ring);
            }
            rereadSelectedPoint(cx, cy);
        }
        const Ring &blue = r.graph.selShapePt();
        r.zoomFollow(blue.left + r.graph.ringWidth / 2, blue.top - r.graph.ringHeight / 2);
    }

    if (key == KeyEscape) {
        r.Sel_PtNo = 0;
        r.graph.hideSelShapePt();
    }
}

void Graph_Form::rereadSelectedPoint(float cx, float cy)
{
    const int n = r.Sel_PtNo;
    const QString sep = QStringLiteral(",");
    const QString &rec = r.Pt_Array[size_t(n)];
    const QString s = Reading::Get_Field(rec, sep, 1), z = Reading::Get_Field(rec, sep, 4);
    const int series = int(readPrefix(s));
    r.Pt_Array[size_t(n)] = QStringLiteral("TRUE,%1,%2,%3,%4").arg(s, plainNumText(cx), plainNumText(cy), z);
    r.graph.setPickToolTip(
        n, r.markerToolTip(series, n, r.Format_Val(u"X", r.Conv_X), r.Format_Val(u"Y", r.Conv_Y), z));
    r.Set_GridPt(series, QStringLiteral("Change"), n);
}

bool Graph_Form::queryUnload()
{
    if (r.Close_Confirmed)
        return true;
    if (!r.port().askYesNo(closeQuestion(), QStringLiteral("Notice!")))
        return false;
    r.setDfntDone(false);
    r.Close_Confirmed = true;
    r.Reset_Reading();
    return true;
}

void Graph_Form::unload() { r.unloadGraph(); }

} // namespace orv
