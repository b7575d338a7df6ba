#pragma once
// The reading's undo history. Every edit a user makes to the reading (adding,
// moving, deleting points, typing a Z, re-reading or sorting a table, placing
// or moving a frame corner, switching the frame mode or an axis kind) runs
// inside a History::Step. Typing into a calibration box changes the reading at
// once (the conversion reads the boxes) but becomes a step only when it is
// committed: Enter or leaving the box (commitPosition, commitValue), or at the
// latest before the next step, undo, redo or save. The step takes a picture of the reading before and after the
// edit and pushes one command holding only what differs: the point records,
// markers, table rows and frame boxes that changed, before and after. Undo and
// redo write those values back into the reading; the windows follow the
// reading's signals as they do for any other change.
//
// Each command remembers a hash of the reading as it left it (and as it found
// it); with verification on (debug and test builds) undo and redo check it
// first, so a history that no longer matches its reading is dropped instead
// of writing stale values into it.

#include "model/graph_model.h"
#include "model/series_table.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QUndoCommand>
#include <QUndoStack>
#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace orv {

class CalibPanel;
class Reading;

// What the history keeps of the reading: the parts the listed edits change.
struct ReadingSnapshot {
    struct Table {
        bool loaded = false;
        int opened = 0; // Grid_Opened
        std::vector<SeriesTable::Row> rows;
        // The current cell, which comes back with the rows it names.
        int currentRow = 0, currentCol = 0;
    };
    std::array<QString, 256> records;
    std::array<std::optional<Marker>, 256> picks;
    std::array<Marker, 4> corners;
    std::array<QString, 8> positions;
    std::array<QString, 4> values;
    // Per axis (X, Y) the panel's axis kind as a number (axisKindOf), so that
    // a new kind needs no new field here.
    std::array<int, 2> axisKinds{};
    int tab = 1;
    bool frameDone = false;
    std::array<Table, 17> tables;

    static ReadingSnapshot of(const Reading &r);
    // What steps change (records, markers, table rows, the mode tab, the
    // calibration boxes and axis kinds). The frame-done flag is left out.
    quint64 hash() const;
};

// The calibration the user types and clicks (boxes, axis kinds) and the
// frame-done flag that typing can set: what a commit of typing makes a step of.
struct TypedCalibration {
    std::array<QString, 8> positions;
    std::array<QString, 4> values;
    std::array<int, 2> axisKinds{};
    bool frameDone = false;
    static TypedCalibration of(const Reading &r);
    // The boxes and kinds alike (the flag follows them).
    bool sameTyping(const TypedCalibration &o) const
    {
        return positions == o.positions && values == o.values && axisKinds == o.axisKinds;
    }
};

// The axis kind of axis 0 (X) or 1 (Y) as the history stores it, and back.
int axisKindOf(const CalibPanel &panel, int axis);
void setAxisKindOf(CalibPanel &panel, int axis, int kind);

// A run of elements replaced in a sequence: `before` by `after` at `at`.
template <class T> struct Splice {
    int at = 0;
    std::vector<T> before, after;
    bool empty() const { return before.empty() && after.empty(); }
    static Splice between(const std::vector<T> &a, const std::vector<T> &b)
    {
        Splice sp;
        const size_t na = a.size(), nb = b.size();
        size_t p = 0;
        while (p < na && p < nb && a[p] == b[p])
            ++p;
        size_t s = 0;
        while (s < na - p && s < nb - p && a[na - 1 - s] == b[nb - 1 - s])
            ++s;
        sp.at = int(p);
        sp.before.assign(a.begin() + qsizetype(p), a.end() - qsizetype(s));
        sp.after.assign(b.begin() + qsizetype(p), b.end() - qsizetype(s));
        return sp;
    }
    void apply(std::vector<T> &v, bool redo) const
    {
        const auto &from = redo ? before : after;
        const auto &to = redo ? after : before;
        auto it = v.begin() + at;
        it = v.erase(it, it + qsizetype(from.size()));
        v.insert(it, to.begin(), to.end());
    }
};

// The difference between two snapshots, and how to write either side back.
struct ReadingDelta {
    struct Record {
        int id;
        QString before, after;
    };
    struct Pick {
        int id;
        std::optional<Marker> before, after;
    };
    struct CornerMarker {
        int index;
        Marker before, after;
    };
    struct Position {
        int box;
        QString before, after;
    };
    struct Table {
        int series;
        bool loadedBefore, loadedAfter;
        int openedBefore, openedAfter;
        // The row numbers ("No.") and the rest of the rows apart: deleting a
        // row shifts the values up under numbers that stay, so each side
        // changes in one place only.
        Splice<QString> numbers;
        Splice<std::array<QString, 4>> values;
        std::array<int, 2> currentBefore{}, currentAfter{}; // row, column
    };
    std::vector<Record> records;
    std::vector<Pick> picks;
    std::vector<CornerMarker> corners;
    std::vector<Position> positions;
    std::vector<Position> values; // the value boxes
    struct AxisKind {
        int axis;
        int before, after;
    };
    std::vector<AxisKind> axisKinds;
    std::vector<Table> tables;
    int tabBefore = 1, tabAfter = 1;
    bool frameDoneBefore = false, frameDoneAfter = false;

    static ReadingDelta between(const ReadingSnapshot &a, const ReadingSnapshot &b);
    bool empty() const;
    void apply(Reading &r, bool redo) const;
    // The same on a snapshot (to find where a run of nudges started).
    void applyTo(ReadingSnapshot &s, bool redo) const;
    // Bytes held beyond the object itself (strings shared with the reading count).
    size_t approxBytes() const;
};

class History : public QObject {
    Q_OBJECT
public:
    enum Kind {
        AddPoint,
        MovePoint,
        NudgePoint,
        DeletePoint,
        DeleteRow,
        DeleteAll,
        EditZ,
        Reread,
        Sort,
        PlaceCorner,
        MoveCorner,
        NudgeCorner,
        FrameMode,
        CloseTable,
        AddPoints, // several at once (automatic reading)
        AxisValue,  // a corner value typed (or set by a program) and committed
        FramePosition, // a corner position typed and committed
        AxisKindChange, // linear, log, ... of an axis
        AutoCalibrate,
    };
    // What a step changes beyond the snapshot (the corner values and axis
    // modes of an automatic calibration): written back after the rest.
    struct Extra {
        virtual ~Extra() = default;
        virtual void apply(Reading &r, bool redo) const = 0;
    };
    static QString kindText(Kind k);
    static QString undoPrefix() { return QCoreApplication::translate("History", "元に戻す"); }
    static QString redoPrefix() { return QCoreApplication::translate("History", "やり直し"); }

    explicit History(Reading &reading, QObject *parent = nullptr);
    ~History() override;

    // Runs around one edit; pushes a command when the edit changed anything.
    // Steps inside a step, while undoing or while suspended record nothing.
    // `mergeKey` >= 0 lets consecutive steps of the same kind and key merge.
    class Step {
    public:
        Step(History &h, Kind kind, int mergeKey = -1);
        ~Step();
        Step(const Step &) = delete;
        Step &operator=(const Step &) = delete;
        void attach(std::shared_ptr<const Extra> extra) { m_extra = std::move(extra); }

    private:
        History &m_h;
        Kind m_kind;
        int m_key;
        bool m_active;
        ReadingSnapshot m_before;
        std::shared_ptr<const Extra> m_extra;
    };
    // Records nothing while it lives (a reset or a load, after which the
    // history is cleared).
    class Suspend {
    public:
        explicit Suspend(History &h) : m_h(h) { ++m_h.m_suspended; }
        ~Suspend() { --m_h.m_suspended; }

    private:
        History &m_h;
    };

    // Typing not yet committed counts as the step undo would take back.
    bool canUndo() const { return m_stack.canUndo() || typingPending(); }
    bool canRedo() const { return m_stack.canRedo() && !typingPending(); }
    QString undoText() const { return typingPending() ? kindText(pendingKind()) : m_stack.undoText(); }
    QString redoText() const { return m_stack.redoText(); }
    int count() const { return m_stack.count(); }
    int index() const { return m_stack.index(); }
    // False when nothing was undone (nothing to undo, or the check failed).
    bool undo();
    bool redo();
    // Another picture or reading: no history, not modified.
    void clear();
    // Saved: not modified until the next change.
    void setClean();
    bool isModified() const { return !m_stack.isClean() || m_looseChange || typingPending(); }
    // A change outside the history (a restored recovery copy) that still has
    // to be saved.
    void markModified();

    // Typing in a calibration box is done (Enter, or the box lost focus): the
    // change since the last step becomes one step, "枠の位置の変更" for a
    // position box, "軸の値の変更" for a value box. Commits of the same box in
    // a row are one step. Nothing happens when nothing changed.
    void commitPosition(int posBox) { commitTyping(FramePosition, posBox); }
    void commitValue(int valBox) { commitTyping(AxisValue, 100 + valBox); }
    // A program setting the whole calibration at once (several boxes, kinds,
    // the mode) runs inside one History::Step instead, of any kind.
    // Whether the calibration boxes or kinds differ from the last step.
    bool typingPending() const;
    // Ends a run of nudges: the next one starts a new step.
    void interrupt() { m_mergeOpen = false; }
    bool recording() const { return m_depth == 0 && m_suspended == 0 && !m_applying; }

    // The hash check before each undo and redo: on in debug builds and where
    // ORV_HISTORY_CHECK=1 (the test suite).
    void setVerify(bool on) { m_verify = on; }
    bool verify() const { return m_verify; }
    // How many times the check found a history that did not match.
    int mismatches() const { return m_mismatches; }

    // Bytes the commands hold (for the memory figure).
    size_t approxBytes() const;

    QUndoStack &stack() { return m_stack; }

Q_SIGNALS:
    // Anything that changes what undo/redo would do or whether the reading is modified.
    void changed();
    void modifiedChanged(bool modified);
    // A step or an undo/redo changed the reading.
    void readingChanged();
    // The check found a history that no longer matches the reading (dropped).
    void mismatchFound();

private:
    friend class ReadingCommand;
    void push(Kind kind, int mergeKey, const ReadingSnapshot &before, std::shared_ptr<const Extra> extra = {});
    // Makes pending typing a step of `kind` (or, for -1, of the kind of what
    // changed) with `mergeKey`.
    void commitTyping(int kind, int mergeKey);
    Kind pendingKind() const;
    void takeCommitted() { m_committed = TypedCalibration::of(m_r); }
    void notifyModified();
    bool check(quint64 expected);

    Reading &m_r;
    QUndoStack m_stack;
    int m_depth = 0;
    int m_suspended = 0;
    bool m_applying = false;
    bool m_looseChange = false;
    bool m_mergeOpen = false;
    bool m_lastModified = false;
    int m_mismatches = 0;
    bool m_verify;
    TypedCalibration m_committed; // as the last step (or load) left it
};

} // namespace orv
