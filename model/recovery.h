#pragma once
// Crash recovery: while the reading has unsaved changes, a copy of it (an
// ordinary reading file, written with the safe writer) is kept in the
// recovery folder, at most a moment after each change. Each running program
// owns one copy, guarded by a lock file beside it; the copy goes when the
// reading is saved, discarded or the program ends normally. A copy whose
// program is no longer running was left by a crash: at the next start the
// user is asked whether to restore it, and a copy not restored is moved to
// old/ (the last few are kept there). The user's own reading files are never
// written or touched. The copies are the user's unsaved work: the folders are
// the user's alone (0700) and every file in them is 0600, whatever the umask.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <functional>
#include <memory>

class QLockFile;

namespace orv {

class Reading;

class Recovery : public QObject {
    Q_OBJECT
public:
    using BytesFn = std::function<QByteArray()>;
    // The longest a change waits before the copy is written.
    static constexpr int kDelayMs = 1500;
    static constexpr int kOldKept = 5;

    // `bytes` gives the reading file of the current reading; `folder` is the
    // recovery folder (defaultFolder() in the program, a temporary one in tests).
    Recovery(Reading &reading, BytesFn bytes, const QString &folder, QObject *parent = nullptr);
    // The normal end: the program's own copy and lock are removed.
    ~Recovery() override;

    // AppLocalDataLocation/recovery.
    static QString defaultFolder();
    static QString restoreQuestion();

    // Creates the folder (or narrows one that others could read) and takes
    // this program's lock; false when the folder cannot be used (then nothing
    // is written, the program works on, and offReason() says why).
    bool start();
    bool started() const { return bool(m_lock); }
    // Why start() failed, in the program's words ("" when it did not).
    const QString &offReason() const { return m_offReason; }
    // What the window tells the user when recovery is off: once as a message,
    // and for good in the status bar (statusNotice(), the message as its tip).
    static QString offMessage(const QString &reason);
    static QString statusNotice();
    const QString &folder() const { return m_folder; }
    // This program's copy (it exists only while there are unsaved changes).
    const QString &copyPath() const { return m_copy; }
    // A write is waiting for its moment.
    bool pending() const { return m_timer.isActive(); }

    // Copies whose program is no longer running, newest first.
    QStringList orphans() const;
    // Asks about each orphan, newest first, until one is restored: Yes calls
    // `open` with the copy (true when it opened), which the program then
    // treats as modified and unsaved; No moves the copy to old/. Returns
    // whether one was restored.
    bool offerRestore(const std::function<bool(const QString &path)> &open);
    // Moves a copy (and its lock) out of the way into old/, keeping the
    // newest kOldKept there.
    void retire(const QString &path);

    // Writes the copy now when the reading has unsaved changes, else removes
    // it; returns when done (earlier background writes included).
    void flush();
    // The timer's write: the file text is made here, the disk work (the safe
    // writer waits for the disk) happens on a worker thread, in order.
    void writeInBackground();
    // Waits for background writes.
    void waitForWrites() { m_pool.waitForDone(); }

Q_SIGNALS:
    void written(const QString &path);
    void removed(const QString &path);

private:
    void changed();
    // The copy's file text. A picture pasted from the clipboard has no file:
    // it is kept as PNG beside the copy (once per picture) and the copy
    // names it, so that a restored reading has its picture.
    QByteArray copyBytes();
    QString picturePath() const;
    // True when a live program holds the lock of copy `orvdPath`.
    static bool heldByRunningProgram(const QString &lockPath);
    // Makes `path` a folder only its owner can enter; the reason when it cannot.
    static QString makePrivateFolder(const QString &path);

    Reading &m_r;
    BytesFn m_bytes;
    QString m_folder, m_copy, m_offReason;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_timer;
    QThreadPool m_pool; // one thread: writes and removals stay in order
    qint64 m_pictureKey = 0; // the pasted picture already written beside the copy
};

} // namespace orv
