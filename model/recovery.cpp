#include "model/recovery.h"

#include "model/file_io.h"
#include "model/reading.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace orv {

namespace {

QString lockPathOf(const QString &copy) { return copy.left(copy.size() - 5) + QStringLiteral(".lock"); }
QString picturePathOf(const QString &copy) { return copy.left(copy.size() - 5) + QStringLiteral(".png"); }

QFileInfoList copiesIn(const QString &folder)
{
    return QDir(folder).entryInfoList({QStringLiteral("*.orvd")}, QDir::Files, QDir::Time);
}

constexpr QFileDevice::Permissions kPrivateFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
constexpr QFileDevice::Permissions kOthersRights = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                   QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                   QFileDevice::WriteOther | QFileDevice::ExeOther;

#ifdef Q_OS_UNIX
// A process that has ended but was not yet reaped by its parent (a zombie)
// still answers kill(pid, 0); its state in /proc says it has ended.
bool zombie(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.read(4096);
    // "pid (name) S ...": the name may hold spaces and parentheses.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0 || close + 2 >= line.size())
        return false;
    const char state = line[close + 2];
    return state == 'Z' || state == 'X' || state == 'x';
}
#endif

} // namespace

Recovery::Recovery(Reading &reading, BytesFn bytes, const QString &folder, QObject *parent)
    : QObject(parent), m_r(reading), m_bytes(std::move(bytes)), m_folder(folder)
{
    m_timer.setSingleShot(true);
    m_pool.setMaxThreadCount(1);
    connect(&m_timer, &QTimer::timeout, this, &Recovery::writeInBackground);
    connect(&m_r.history(), &History::readingChanged, this, &Recovery::changed);
    connect(&m_r.history(), &History::modifiedChanged, this, &Recovery::changed);
}

Recovery::~Recovery()
{
    m_timer.stop();
    m_pool.waitForDone();
    if (m_lock) {
        QFile::remove(m_copy);
        QFile::remove(picturePath());
        m_lock.reset(); // unlocking removes the lock file
    }
}

QString Recovery::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/recovery");
}

QString Recovery::offMessage(const QString &reason)
{
    return QCoreApplication::translate("Messages", "クラッシュ時の復旧は働いていません。保存していない変更は、"
                                                   "プログラムが異常終了すると失われます。\r理由: %1")
        .arg(reason);
}

QString Recovery::statusNotice()
{
    return QCoreApplication::translate("Messages", "クラッシュ時の復旧: 無効");
}

QString Recovery::makePrivateFolder(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFileInfo fi(path);
    if (!fi.exists()) {
        const QString parent = fi.absolutePath();
        // Created private, never wider for a moment.
        if (!QDir().mkpath(parent) || !QDir(parent).mkdir(fi.fileName(), kPrivateFolder))
            return QCoreApplication::translate("Messages", "フォルダー %1 を作成できません。").arg(shown);
        fi.refresh();
    }
    if (!fi.isDir() || fi.isSymLink())
        return QCoreApplication::translate("Messages", "%1 はフォルダーではありません。").arg(shown);
#ifdef Q_OS_UNIX
    // Someone else's folder is never trusted with the user's work.
    if (fi.ownerId() != ::geteuid())
        return QCoreApplication::translate("Messages", "フォルダー %1 の所有者が別のユーザーです。").arg(shown);
#endif
    if (fi.permissions() & kOthersRights) {
        if (!QFile::setPermissions(path, kPrivateFolder))
            return QCoreApplication::translate("Messages", "フォルダー %1 を他のユーザーから読めないようにできません。")
                .arg(shown);
        fi.refresh();
        if (fi.permissions() & kOthersRights)
            return QCoreApplication::translate("Messages", "フォルダー %1 を他のユーザーから読めないようにできません。")
                .arg(shown);
    }
    return QString();
}

QString Recovery::restoreQuestion()
{
    return QCoreApplication::translate("Messages", "前回、保存されずに終了した読み取りがあります。\r復元しますか？");
}

bool Recovery::start()
{
    if (m_lock)
        return false;
    m_offReason.clear();
    if (m_folder.isEmpty()) {
        m_offReason = QCoreApplication::translate("Messages", "データを保存するフォルダーがありません。");
        return false;
    }
    for (const QString &dir : {m_folder, m_folder + QStringLiteral("/old")}) {
        m_offReason = makePrivateFolder(dir);
        if (!m_offReason.isEmpty())
            return false;
    }
    const QString base = m_folder + QStringLiteral("/reading-%1-%2")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(QDateTime::currentMSecsSinceEpoch());
    auto lock = std::make_unique<QLockFile>(base + QStringLiteral(".lock"));
    lock->setStaleLockTime(0); // held as long as this program runs
    if (!lock->tryLock(0)) {
        m_offReason = QCoreApplication::translate("Messages", "フォルダー %1 に書き込めません。")
                          .arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    QFile::setPermissions(base + QStringLiteral(".lock"), kPrivateFile);
    m_lock = std::move(lock);
    m_copy = base + QStringLiteral(".orvd");
    // Locks of programs that ended abruptly without a copy guard nothing.
    for (const QFileInfo &fi : QDir(m_folder).entryInfoList({QStringLiteral("*.lock")}, QDir::Files)) {
        const QString lockPath = fi.absoluteFilePath();
        const QString copy = lockPath.left(lockPath.size() - 5) + QStringLiteral(".orvd");
        // (a picture left beside a copy goes with the copy)
        if (!QFileInfo::exists(copy) && !heldByRunningProgram(lockPath))
            QFile::remove(lockPath);
    }
    if (m_r.history().isModified())
        changed();
    return true;
}

void Recovery::changed()
{
    if (!m_lock)
        return;
    if (m_r.history().isModified()) {
        // The first change starts the clock; later ones ride on it, so a copy
        // is never older than the delay even while the user keeps clicking.
        if (!m_timer.isActive())
            m_timer.start(kDelayMs);
    } else {
        // Saved or discarded: nothing left to recover.
        m_timer.stop();
        flush();
    }
}

void Recovery::writeInBackground()
{
    if (!m_lock)
        return;
    if (!m_r.history().isModified()) {
        flush();
        return;
    }
    const QByteArray bytes = copyBytes();
    m_pool.start([path = m_copy, bytes] { writeFileSafely(path, bytes, kPrivateFile); });
}

QString Recovery::picturePath() const { return picturePathOf(m_copy); }

QByteArray Recovery::copyBytes()
{
    if (!m_r.GraphPic_Path.isEmpty() || !m_r.graph.loaded() || m_r.graph.picture().isNull())
        return m_bytes();
    const QImage picture = m_r.graph.picture(); // shared, not copied
    if (picture.cacheKey() != m_pictureKey) {
        m_pictureKey = picture.cacheKey();
        m_pool.start([path = picturePath(), picture] {
            QByteArray png;
            QBuffer buffer(&png);
            if (buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"))
                writeFileSafely(path, png, kPrivateFile);
        });
    }
    // The copy names the picture beside it; the reading itself stays "pasted".
    m_r.GraphPic_Path = picturePath();
    QByteArray bytes = m_bytes();
    m_r.GraphPic_Path.clear();
    return bytes;
}

void Recovery::flush()
{
    if (!m_lock)
        return;
    m_timer.stop();
    m_pool.waitForDone();
    if (m_r.history().isModified()) {
        const QByteArray bytes = copyBytes();
        m_pool.waitForDone();
        if (writeFileSafely(m_copy, bytes, kPrivateFile))
            Q_EMIT written(m_copy);
    } else {
        QFile::remove(picturePath());
        m_pictureKey = 0;
        if (QFile::exists(m_copy) && QFile::remove(m_copy))
            Q_EMIT removed(m_copy);
    }
}

bool Recovery::heldByRunningProgram(const QString &lockPath)
{
    if (!QFileInfo::exists(lockPath))
        return false;
    QLockFile probe(lockPath);
    qint64 pid = 0;
    QString host, app;
    if (!probe.getLockInfo(&pid, &host, &app))
        return true; // being written by a program starting right now
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return true; // another machine's program: never taken from here
    if (pid == QCoreApplication::applicationPid())
        return true;
#ifdef Q_OS_UNIX
    // Alive (or not ours to signal): held, unless it has ended and waits to
    // be reaped. A reused process number only delays the question until that
    // process ends.
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return false;
    return !zombie(pid);
#else
    return !probe.tryLock(0);
#endif
}

QStringList Recovery::orphans() const
{
    QStringList out;
    for (const QFileInfo &fi : copiesIn(m_folder)) {
        const QString path = fi.absoluteFilePath();
        if (path == QFileInfo(m_copy).absoluteFilePath())
            continue;
        if (!heldByRunningProgram(lockPathOf(path)))
            out << path;
    }
    return out;
}

bool Recovery::offerRestore(const std::function<bool(const QString &)> &open)
{
    for (const QString &path : orphans()) {
        // Claimed first, so that a program started meanwhile leaves it alone.
        QLockFile claim(lockPathOf(path));
        claim.setStaleLockTime(0);
        if (!claim.tryLock(0)) {
            // The lock of an ended program that still waits to be reaped
            // looks alive to the lock file itself.
            if (heldByRunningProgram(lockPathOf(path)) || !claim.removeStaleLockFile() || !claim.tryLock(0))
                continue;
        }
        if (!QFileInfo::exists(path))
            continue; // taken by another program between the look and the claim
        const bool yes = m_r.port().askYesNo(restoreQuestion(), QStringLiteral("Notice!"));
        const bool restored = yes && open && open(path);
        // A pasted picture came back from beside the copy, which is about to
        // move: the reading treats it as pasted again (saved as a PNG beside
        // the reading, as any pasted picture).
        if (restored && m_r.GraphPic_Path == picturePathOf(path))
            m_r.GraphPic_Path.clear();
        claim.unlock();
        // Restored, it lives on as this program's own copy; either way the
        // file left behind is kept in old/ for a while.
        retire(path);
        if (restored) {
            m_r.history().markModified();
            return true;
        }
        if (yes)
            return false; // could not be opened (the message was shown)
    }
    return false;
}

void Recovery::retire(const QString &path)
{
    const QString oldDir = m_folder + QStringLiteral("/old");
    if (!makePrivateFolder(oldDir).isEmpty())
        return; // left where it is rather than put where others could read it
    const QString target = oldDir + u'/' + QFileInfo(path).fileName();
    QFile::remove(target);
    if (QFile::rename(path, target)) {
        QFile f(target);
        if (f.open(QIODevice::ReadWrite))
            f.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    } else {
        return; // left where it is (and asked about again) rather than lost
    }
    QFile::remove(lockPathOf(path));
    if (QFileInfo::exists(picturePathOf(path))) {
        const QString oldPicture = picturePathOf(target);
        QFile::remove(oldPicture);
        QFile::rename(picturePathOf(path), oldPicture);
    }
    const QFileInfoList kept = copiesIn(oldDir);
    for (qsizetype i = kOldKept; i < kept.size(); ++i) {
        QFile::remove(kept[i].absoluteFilePath());
        QFile::remove(picturePathOf(kept[i].absoluteFilePath()));
    }
}

} // namespace orv
