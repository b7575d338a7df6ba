#include "model/history.h"

#include "model/reading.h"

#include <QCoreApplication>
#include <QHash>
#include <QtGlobal>
#include <bit>

namespace orv {

namespace {

bool sameMarker(const Marker &a, const Marker &b)
{
    return std::bit_cast<quint32>(a.left) == std::bit_cast<quint32>(b.left) &&
           std::bit_cast<quint32>(a.top) == std::bit_cast<quint32>(b.top) && a.visible == b.visible &&
           a.toolTip == b.toolTip;
}

bool sameMarker(const std::optional<Marker> &a, const std::optional<Marker> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || sameMarker(*a, *b);
}

size_t hashMarker(const Marker &m, size_t h)
{
    h = qHash(std::bit_cast<quint32>(m.left), h);
    h = qHash(std::bit_cast<quint32>(m.top), h);
    h = qHash(m.visible, h);
    return qHash(m.toolTip, h);
}

size_t stringBytes(const QString &s) { return sizeof(QString) + size_t(s.size()) * sizeof(QChar); }

template <size_t N> size_t rowBytes(const std::array<QString, N> &row)
{
    size_t n = 0;
    for (const QString &c : row)
        n += stringBytes(c);
    return n;
}

void splitRows(const std::vector<SeriesTable::Row> &rows, std::vector<QString> &numbers,
               std::vector<std::array<QString, 4>> &values)
{
    numbers.reserve(rows.size());
    values.reserve(rows.size());
    for (const auto &r : rows) {
        numbers.push_back(r[0]);
        values.push_back({r[1], r[2], r[3], r[4]});
    }
}

void applyToRows(const ReadingDelta::Table &t, std::vector<SeriesTable::Row> &rows, bool redo)
{
    std::vector<QString> numbers;
    std::vector<std::array<QString, 4>> values;
    splitRows(rows, numbers, values);
    t.numbers.apply(numbers, redo);
    t.values.apply(values, redo);
    rows.resize(std::min(numbers.size(), values.size()));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = {numbers[i], values[i][0], values[i][1], values[i][2], values[i][3]};
}

size_t markerBytes(const std::optional<Marker> &m) { return sizeof(m) + (m ? size_t(m->toolTip.size()) * 2 : 0); }

} // namespace

// --- Snapshot ------------------------------------------------------------------------

ReadingSnapshot ReadingSnapshot::of(const Reading &r)
{
    ReadingSnapshot s;
    s.records = r.Pt_Array;
    for (int id = 1; id <= Reading::kMaxId; ++id)
        s.picks[size_t(id)] = r.graph.pick(id);
    for (int i = 0; i < 4; ++i)
        s.corners[size_t(i)] = r.graph.dfnt(i);
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        s.positions[size_t(b)] = r.panel.pos(CalibPanel::PosBox(b));
    for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
        s.values[size_t(b)] = r.panel.val(CalibPanel::ValBox(b));
    for (int axis = 0; axis < 2; ++axis)
        s.axisKinds[size_t(axis)] = axisKindOf(r.panel, axis);
    s.tab = r.panel.selectedTab();
    s.frameDone = r.Dfnt_Done;
    for (int series = 1; series <= Reading::kSeriesCount; ++series) {
        const SeriesTable &t = r.grid(series);
        Table &out = s.tables[size_t(series)];
        out.loaded = t.loaded();
        out.opened = r.Grid_Opened[size_t(series)];
        out.rows = t.rows();
        out.currentRow = t.currentRow();
        out.currentCol = t.currentCol();
    }
    return s;
}

quint64 ReadingSnapshot::hash() const
{
    size_t h = 0x9e3779b97f4a7c15ULL;
    for (int id = 1; id <= Reading::kMaxId; ++id) {
        h = qHash(records[size_t(id)], h);
        const auto &p = picks[size_t(id)];
        h = p ? hashMarker(*p, h) : qHash(-1, h);
    }
    for (const Marker &m : corners)
        h = hashMarker(m, h);
    for (const QString &p : positions)
        h = qHash(p, h);
    for (const QString &v : values)
        h = qHash(v, h);
    for (int k : axisKinds)
        h = qHash(k, h);
    h = qHash(tab, h);
    for (int series = 1; series <= Reading::kSeriesCount; ++series) {
        const auto &rows = tables[size_t(series)].rows;
        h = qHash(qsizetype(rows.size()), h);
        for (const auto &row : rows)
            for (const QString &c : row)
                h = qHash(c, h);
    }
    return h;
}

TypedCalibration TypedCalibration::of(const Reading &r)
{
    TypedCalibration c;
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        c.positions[size_t(b)] = r.panel.pos(CalibPanel::PosBox(b));
    for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
        c.values[size_t(b)] = r.panel.val(CalibPanel::ValBox(b));
    for (int axis = 0; axis < 2; ++axis)
        c.axisKinds[size_t(axis)] = axisKindOf(r.panel, axis);
    c.frameDone = r.Dfnt_Done;
    return c;
}

int axisKindOf(const CalibPanel &panel, int axis) { return int(panel.kind(axis == 0)); }

// The kind first: switching to or from a date rewrites the axis's value boxes,
// which the step then sets to its own texts.
void setAxisKindOf(CalibPanel &panel, int axis, int kind)
{
    if (axis == 0)
        panel.setXKind(AxisKind(kind));
    else
        panel.setYKind(AxisKind(kind));
}

// --- Delta ---------------------------------------------------------------------------

ReadingDelta ReadingDelta::between(const ReadingSnapshot &a, const ReadingSnapshot &b)
{
    ReadingDelta d;
    for (int id = 1; id <= Reading::kMaxId; ++id) {
        if (a.records[size_t(id)] != b.records[size_t(id)])
            d.records.push_back({id, a.records[size_t(id)], b.records[size_t(id)]});
        if (!sameMarker(a.picks[size_t(id)], b.picks[size_t(id)]))
            d.picks.push_back({id, a.picks[size_t(id)], b.picks[size_t(id)]});
    }
    for (int i = 0; i < 4; ++i)
        if (!sameMarker(a.corners[size_t(i)], b.corners[size_t(i)]))
            d.corners.push_back({i, a.corners[size_t(i)], b.corners[size_t(i)]});
    for (int i = 0; i < CalibPanel::PosBoxCount; ++i)
        if (a.positions[size_t(i)] != b.positions[size_t(i)])
            d.positions.push_back({i, a.positions[size_t(i)], b.positions[size_t(i)]});
    for (int i = 0; i < CalibPanel::ValBoxCount; ++i)
        if (a.values[size_t(i)] != b.values[size_t(i)])
            d.values.push_back({i, a.values[size_t(i)], b.values[size_t(i)]});
    for (int axis = 0; axis < 2; ++axis)
        if (a.axisKinds[size_t(axis)] != b.axisKinds[size_t(axis)])
            d.axisKinds.push_back({axis, a.axisKinds[size_t(axis)], b.axisKinds[size_t(axis)]});
    d.tabBefore = a.tab;
    d.tabAfter = b.tab;
    d.frameDoneBefore = a.frameDone;
    d.frameDoneAfter = b.frameDone;
    for (int series = 1; series <= Reading::kSeriesCount; ++series) {
        const auto &ta = a.tables[size_t(series)], &tb = b.tables[size_t(series)];
        // Opening or closing an empty table window is no edit; whether the
        // window is open is restored with the rows it shows.
        if (ta.rows == tb.rows)
            continue;
        Table t{series, ta.loaded, tb.loaded, ta.opened, tb.opened, {}, {},
                {ta.currentRow, ta.currentCol}, {tb.currentRow, tb.currentCol}};
        std::vector<QString> na, nb;
        std::vector<std::array<QString, 4>> va, vb;
        splitRows(ta.rows, na, va);
        splitRows(tb.rows, nb, vb);
        t.numbers = Splice<QString>::between(na, nb);
        t.values = Splice<std::array<QString, 4>>::between(va, vb);
        d.tables.push_back(std::move(t));
    }
    return d;
}

bool ReadingDelta::empty() const
{
    return records.empty() && picks.empty() && corners.empty() && positions.empty() && values.empty() &&
           axisKinds.empty() && tables.empty() &&
           tabBefore == tabAfter && frameDoneBefore == frameDoneAfter;
}

void ReadingDelta::apply(Reading &r, bool redo) const
{
    // The mode first: switching it moves the corner markers, which are then
    // set to exactly what they were.
    const int tab = redo ? tabAfter : tabBefore;
    if (r.panel.selectedTab() != tab)
        r.panel.selectTab(tab);
    // The kinds before the values: switching a kind may rewrite the values,
    // which are then set to exactly what they were.
    for (const AxisKind &k : axisKinds)
        setAxisKindOf(r.panel, k.axis, redo ? k.after : k.before);
    for (const Position &v : values)
        r.panel.setVal(CalibPanel::ValBox(v.box), redo ? v.after : v.before);
    for (const Position &p : positions)
        r.panel.setPos(CalibPanel::PosBox(p.box), redo ? p.after : p.before);
    for (const CornerMarker &c : corners)
        r.graph.setDfnt(c.index, redo ? c.after : c.before);
    for (const Record &rec : records)
        r.Pt_Array[size_t(rec.id)] = redo ? rec.after : rec.before;
    for (const Pick &p : picks) {
        const auto &m = redo ? p.after : p.before;
        if (m)
            r.graph.loadPick(p.id, *m);
        else
            r.graph.unloadPick(p.id);
    }
    for (const Table &t : tables) {
        SeriesTable &table = r.grid(t.series);
        table.hideEditor();
        const bool loaded = redo ? t.loadedAfter : t.loadedBefore;
        if (loaded && !table.loaded())
            r.Show_GridForm(t.series);
        if (table.loaded() || loaded) {
            std::vector<SeriesTable::Row> rows = table.rows();
            applyToRows(t, rows, redo);
            table.setRows(std::move(rows));
            const auto &cur = redo ? t.currentAfter : t.currentBefore;
            if (cur[0] < table.rowCount())
                table.setCurrent(cur[0], cur[1]);
        }
        if (!loaded && table.loaded())
            table.unload();
        r.Grid_Opened[size_t(t.series)] = redo ? t.openedAfter : t.openedBefore;
    }
    r.setDfntDone(redo ? frameDoneAfter : frameDoneBefore);
}

void ReadingDelta::applyTo(ReadingSnapshot &s, bool redo) const
{
    s.tab = redo ? tabAfter : tabBefore;
    s.frameDone = redo ? frameDoneAfter : frameDoneBefore;
    for (const Position &p : positions)
        s.positions[size_t(p.box)] = redo ? p.after : p.before;
    for (const Position &v : values)
        s.values[size_t(v.box)] = redo ? v.after : v.before;
    for (const AxisKind &k : axisKinds)
        s.axisKinds[size_t(k.axis)] = redo ? k.after : k.before;
    for (const CornerMarker &c : corners)
        s.corners[size_t(c.index)] = redo ? c.after : c.before;
    for (const Record &rec : records)
        s.records[size_t(rec.id)] = redo ? rec.after : rec.before;
    for (const Pick &p : picks)
        s.picks[size_t(p.id)] = redo ? p.after : p.before;
    for (const Table &t : tables) {
        auto &table = s.tables[size_t(t.series)];
        table.loaded = redo ? t.loadedAfter : t.loadedBefore;
        table.opened = redo ? t.openedAfter : t.openedBefore;
        applyToRows(t, table.rows, redo);
        const auto &cur = redo ? t.currentAfter : t.currentBefore;
        table.currentRow = cur[0];
        table.currentCol = cur[1];
    }
}

size_t ReadingDelta::approxBytes() const
{
    size_t n = 0;
    for (const Record &r : records)
        n += sizeof(Record) + size_t(r.before.size() + r.after.size()) * 2;
    for (const Pick &p : picks)
        n += sizeof(int) + markerBytes(p.before) + markerBytes(p.after);
    for (const CornerMarker &c : corners)
        n += sizeof(CornerMarker) + size_t(c.before.toolTip.size() + c.after.toolTip.size()) * 2;
    for (const auto *list : {&positions, &values})
        for (const Position &p : *list)
            n += sizeof(Position) + size_t(p.before.size() + p.after.size()) * 2;
    n += axisKinds.size() * sizeof(AxisKind);
    for (const Table &t : tables) {
        n += sizeof(Table);
        for (const QString &c : t.numbers.before)
            n += stringBytes(c);
        for (const QString &c : t.numbers.after)
            n += stringBytes(c);
        for (const auto &row : t.values.before)
            n += rowBytes(row);
        for (const auto &row : t.values.after)
            n += rowBytes(row);
    }
    return n;
}

// --- Command -------------------------------------------------------------------------

class ReadingCommand : public QUndoCommand {
public:
    ReadingCommand(History &h, History::Kind kind, int key, ReadingDelta delta, quint64 beforeHash,
                   quint64 afterHash)
        : QUndoCommand(History::kindText(kind)), m_h(h), m_kind(kind), m_key(key), m_delta(std::move(delta)),
          m_beforeHash(beforeHash), m_afterHash(afterHash)
    {
    }

    // The edit itself already ran: the first redo (from push) does nothing.
    void redo() override
    {
        if (m_fresh) {
            m_fresh = false;
            return;
        }
        m_h.m_applying = true;
        m_delta.apply(m_h.m_r, true);
        if (m_extra)
            m_extra->apply(m_h.m_r, true);
        m_h.m_applying = false;
    }
    void undo() override
    {
        m_h.m_applying = true;
        if (m_extra)
            m_extra->apply(m_h.m_r, false);
        m_delta.apply(m_h.m_r, false);
        m_h.m_applying = false;
    }
    int id() const override { return m_key >= 0 ? 1000 + int(m_kind) : -1; }
    bool mergeWith(const QUndoCommand *other) override
    {
        auto *o = static_cast<const ReadingCommand *>(other);
        if (o->m_key != m_key || o->m_kind != m_kind || !o->m_merged)
            return false;
        m_delta = std::move(*o->m_merged);
        m_afterHash = o->m_afterHash;
        return true;
    }

    History &m_h;
    History::Kind m_kind;
    int m_key;
    ReadingDelta m_delta;
    quint64 m_beforeHash, m_afterHash;
    bool m_fresh = true;
    std::shared_ptr<const History::Extra> m_extra;
    // When pushed as the continuation of the command below: the two as one.
    mutable std::optional<ReadingDelta> m_merged;
};

// --- History -------------------------------------------------------------------------

QString History::kindText(Kind k)
{
    switch (k) {
    case AddPoint: return QCoreApplication::translate("History", "点の追加");
    case MovePoint: return QCoreApplication::translate("History", "点の移動");
    case NudgePoint: return QCoreApplication::translate("History", "点の移動(矢印キー)");
    case DeletePoint: return QCoreApplication::translate("History", "点の削除");
    case DeleteRow: return QCoreApplication::translate("History", "選択行削除");
    case DeleteAll: return QCoreApplication::translate("History", "全削除");
    case EditZ: return QCoreApplication::translate("History", "Zの入力");
    case Reread: return QCoreApplication::translate("History", "再読出し");
    case Sort: return QCoreApplication::translate("History", "並べ替え");
    case PlaceCorner: return QCoreApplication::translate("History", "枠の角の指定");
    case MoveCorner: return QCoreApplication::translate("History", "枠の角の移動");
    case NudgeCorner: return QCoreApplication::translate("History", "枠の角の移動(矢印キー)");
    case FrameMode: return QCoreApplication::translate("History", "枠の定義方法の切替");
    case CloseTable: return QCoreApplication::translate("History", "系列ウィンドウを閉じる");
    case AddPoints: return QCoreApplication::translate("History", "点の追加(複数)");
    case AxisValue: return QCoreApplication::translate("History", "軸の値の変更");
    case FramePosition: return QCoreApplication::translate("History", "枠の位置の変更");
    case AxisKindChange: return QCoreApplication::translate("History", "軸の種類の変更");
    case AutoCalibrate: return QCoreApplication::translate("History", "自動校正");
    }
    return QString();
}

History::History(Reading &reading, QObject *parent) : QObject(parent), m_r(reading)
{
#ifdef NDEBUG
    m_verify = qEnvironmentVariableIntValue("ORV_HISTORY_CHECK") != 0;
#else
    m_verify = true;
#endif
    connect(&m_stack, &QUndoStack::indexChanged, this, [this] {
        Q_EMIT changed();
        notifyModified();
    });
    connect(&m_stack, &QUndoStack::cleanChanged, this, [this] { notifyModified(); });
    // Typing is unsaved at once, and a step when committed.
    auto typed = [this] {
        if (!recording())
            return;
        notifyModified();
        Q_EMIT changed();
        Q_EMIT readingChanged();
    };
    connect(&m_r.panel, &CalibPanel::posChanged, this, typed);
    connect(&m_r.panel, &CalibPanel::valChanged, this, typed);
    connect(&m_r.panel, &CalibPanel::axisModeChanged, this, typed);
    takeCommitted();
}

History::~History() = default;

History::Step::Step(History &h, Kind kind, int mergeKey) : m_h(h), m_kind(kind), m_key(mergeKey), m_active(h.recording())
{
    // Typing left in a box is a step of its own, before this one.
    if (m_active)
        m_h.commitTyping(-1, -1);
    ++m_h.m_depth;
    if (m_active)
        m_before = ReadingSnapshot::of(m_h.m_r);
}

History::Step::~Step()
{
    --m_h.m_depth;
    if (m_active)
        m_h.push(m_kind, m_key, m_before, std::move(m_extra));
}

bool History::typingPending() const { return !m_committed.sameTyping(TypedCalibration::of(m_r)); }

History::Kind History::pendingKind() const
{
    const TypedCalibration now = TypedCalibration::of(m_r);
    if (now.axisKinds != m_committed.axisKinds)
        return AxisKindChange;
    return now.values != m_committed.values ? AxisValue : FramePosition;
}

void History::commitTyping(int kind, int mergeKey)
{
    if (!recording() || !typingPending())
        return;
    // The reading as it stands with the calibration as it was committed: the
    // rest of the reading cannot have changed since (every change of it is a
    // step, which commits first).
    ReadingSnapshot before = ReadingSnapshot::of(m_r);
    before.positions = m_committed.positions;
    before.values = m_committed.values;
    before.axisKinds = m_committed.axisKinds;
    before.frameDone = m_committed.frameDone;
    push(kind < 0 ? pendingKind() : Kind(kind), mergeKey, before);
    // The outline follows typed corners, as it does after an undo or redo.
    if (m_r.graph.loaded())
        m_r.Draw_Frame();
}

void History::push(Kind kind, int mergeKey, const ReadingSnapshot &before, std::shared_ptr<const Extra> extra)
{
    const ReadingSnapshot after = ReadingSnapshot::of(m_r);
    ReadingDelta delta = ReadingDelta::between(before, after);
    takeCommitted();
    if (delta.empty() && !extra)
        return;
    auto *cmd = new ReadingCommand(*this, kind, mergeKey, std::move(delta), before.hash(), after.hash());
    cmd->m_extra = std::move(extra);
    // A nudge right after a nudge of the same thing: QUndoStack merges the two
    // (mergeWith) unless the one below is the saved state.
    const int idx = m_stack.index();
    if (mergeKey >= 0 && m_mergeOpen && idx > 0 && idx == m_stack.count() && idx != m_stack.cleanIndex()) {
        auto *top = static_cast<const ReadingCommand *>(m_stack.command(idx - 1));
        if (top->m_kind == kind && top->m_key == mergeKey) {
            ReadingSnapshot first = before;
            top->m_delta.applyTo(first, false);
            cmd->m_merged = ReadingDelta::between(first, after);
        }
    }
    m_stack.push(cmd);
    // Unless merged (and deleted), the command keeps only its own step.
    if (m_stack.count() == idx + 1)
        static_cast<const ReadingCommand *>(m_stack.command(idx))->m_merged.reset();
    m_mergeOpen = mergeKey >= 0;
    Q_EMIT readingChanged();
}

bool History::check(quint64 expected)
{
    if (!m_verify)
        return true;
    if (ReadingSnapshot::of(m_r).hash() == expected)
        return true;
    // The reading was changed behind the history's back: its commands would
    // write stale values. Drop them (the reading stays modified).
    ++m_mismatches;
    qCritical("orvalinetrix: the undo history no longer matches the reading; history dropped");
    const bool wasModified = isModified();
    m_stack.clear();
    takeCommitted();
    m_looseChange = wasModified;
    notifyModified();
    Q_EMIT mismatchFound();
    return false;
}

bool History::undo()
{
    // Typing not committed yet is what undo takes back first.
    commitTyping(-1, -1);
    if (!m_stack.canUndo())
        return false;
    auto *cmd = static_cast<const ReadingCommand *>(m_stack.command(m_stack.index() - 1));
    if (!check(cmd->m_afterHash))
        return false;
    m_mergeOpen = false;
    m_r.clearSelection();
    m_stack.undo();
    takeCommitted();
    if (m_r.graph.loaded())
        m_r.Draw_Frame();
    Q_EMIT readingChanged();
    return true;
}

bool History::redo()
{
    if (!m_stack.canRedo() || typingPending())
        return false; // (typing would have to become a step, which drops the redo part)
    auto *cmd = static_cast<const ReadingCommand *>(m_stack.command(m_stack.index()));
    if (!check(cmd->m_beforeHash))
        return false;
    m_mergeOpen = false;
    m_r.clearSelection();
    m_stack.redo();
    takeCommitted();
    if (m_r.graph.loaded())
        m_r.Draw_Frame();
    Q_EMIT readingChanged();
    return true;
}

void History::clear()
{
    m_mergeOpen = false;
    m_looseChange = false;
    takeCommitted();
    m_stack.clear();
    notifyModified();
    Q_EMIT changed();
}

void History::setClean()
{
    // What is saved includes the typing: it becomes a step, so that undo
    // leads back to the saved state and past it.
    commitTyping(-1, -1);
    m_looseChange = false;
    m_mergeOpen = false;
    m_stack.setClean();
    notifyModified();
}

void History::markModified()
{
    m_looseChange = true;
    notifyModified();
    Q_EMIT readingChanged();
}

void History::notifyModified()
{
    const bool now = isModified();
    if (now == m_lastModified)
        return;
    m_lastModified = now;
    Q_EMIT modifiedChanged(now);
}

size_t History::approxBytes() const
{
    size_t n = 0;
    for (int i = 0; i < m_stack.count(); ++i) {
        auto *c = static_cast<const ReadingCommand *>(m_stack.command(i));
        n += sizeof(ReadingCommand) + size_t(c->text().size()) * 2 + c->m_delta.approxBytes();
    }
    return n;
}

} // namespace orv
