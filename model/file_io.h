#pragma once
// Writing a whole file so that a failure never leaves a half-written file:
// through a temporary file renamed into place, any earlier file untouched.

#include <QByteArray>
#include <QString>
#include <expected>

namespace orv {

enum class WriteFailure {
    NoPath,      // the empty path
    IsFolder,    // the path names a folder
    CannotOpen,  // no such folder, or writing is not allowed
    CannotWrite, // the write or the rename failed (a full disk, say)
};

std::expected<void, WriteFailure> writeFileSafely(const QString &path, const QByteArray &bytes);

// The reason in the program's words, for its messages.
QString writeFailureReason(WriteFailure f);

} // namespace orv
