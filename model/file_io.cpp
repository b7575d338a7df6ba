#include "model/file_io.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>

namespace orv {

std::expected<void, WriteFailure> writeFileSafely(const QString &path, const QByteArray &bytes,
                                                  std::optional<QFileDevice::Permissions> permissions)
{
    if (path.isEmpty())
        return std::unexpected(WriteFailure::NoPath);
    if (QFileInfo(path).isDir())
        return std::unexpected(WriteFailure::IsFolder);
    QSaveFile f(path);
    // Unbuffered: with Qt's buffer a short write at commit time (disk full,
    // file size limit) goes unnoticed and the truncated file replaces the old one.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return std::unexpected(WriteFailure::CannotOpen);
    // Set on the temporary file, which the rename puts in place.
    if (permissions && !f.setPermissions(*permissions)) {
        f.cancelWriting();
        f.commit();
        return std::unexpected(WriteFailure::CannotOpen);
    }
    if (f.write(bytes) != bytes.size()) {
        f.cancelWriting();
        f.commit(); // removes the temporary file; the old file stays
        return std::unexpected(WriteFailure::CannotWrite);
    }
    if (!f.commit())
        return std::unexpected(WriteFailure::CannotWrite);
    return {};
}

QString writeFailureReason(WriteFailure f)
{
    switch (f) {
    case WriteFailure::NoPath: return QCoreApplication::translate("Messages", "保存先がありません。");
    case WriteFailure::IsFolder: return QCoreApplication::translate("Messages", "保存先がフォルダーです。");
    case WriteFailure::CannotOpen: return QCoreApplication::translate("Messages", "保存先のフォルダーがないか、書き込みが許可されていません。");
    case WriteFailure::CannotWrite:
        return QCoreApplication::translate("Messages", "書き込み中にエラーが発生しました。ディスクの空き容量を確認して下さい。");
    }
    return {};
}

} // namespace orv
