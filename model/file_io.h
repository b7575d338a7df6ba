#pragma once
// Writing a whole file so that a failure never leaves a half-written file:
// through a temporary file renamed into place, any earlier file untouched.

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <expected>
#include <optional>

namespace orv {

enum class WriteFailure {
    NoPath,      // the empty path
    IsFolder,    // the path names a folder
    CannotOpen,  // no such folder, or writing is not allowed
    CannotWrite, // the write or the rename failed (a full disk, say)
};

// A file that replaces another keeps the other's permissions; a new one gets
// the umask's, as any document. `permissions`, when given, are set instead
// before a byte is written (a private copy is never readable by others, not
// even for a moment).
std::expected<void, WriteFailure> writeFileSafely(const QString &path, const QByteArray &bytes,
                                                  std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// Read and write for the owner only (0600).
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// The reason in the program's words, for its messages.
QString writeFailureReason(WriteFailure f);

} // namespace orv
