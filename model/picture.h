#pragma once
// Decoding chart pictures. A picture is decoded once; the graph window and the
// zoom view share the QImage (implicitly shared, never copied).

#include <QImage>
#include <QString>
#include <expected>

class QIODevice;

namespace orv {

enum class PictureError {
    NotAFile,   // missing, a folder, a device, a FIFO ...
    Unreadable, // not a picture the program can decode, or empty
    TooLarge,   // more pixels than the program accepts
    Truncated,  // the file ends before the picture does
    Protected,  // a PDF locked by a password
};

// Pictures up to this many pixels open (a 100-megapixel photo included).
inline constexpr qint64 kMaxPicturePixels = 150'000'000;

// Decodes a picture file. Refuses anything that is not a regular file without
// reading it, and checks the size the header claims before decoding. A PDF
// (see pdf_source.h) is rendered at its default resolution.
std::expected<QImage, PictureError> decodePicture(const QString &path);
// Decodes from a device (the clipboard's bytes, tests).
std::expected<QImage, PictureError> decodePicture(QIODevice *device, const QByteArray &format = QByteArray());

bool isRegularFile(const QString &path);

// A picture decoded at a reduced size, and the size of the whole picture.
struct ReducedPicture {
    QImage image;
    QSize natural;
    bool reduced() const { return image.size() != natural; }
};

// A large JPEG decoded at 1/2, 1/4 or 1/8 of its size (the decoder does this
// almost for free), the smallest of these whose longer side is still at least
// minLongSide pixels; any other picture whole. The same checks as
// decodePicture; the whole picture is decoded later with decodePicture.
std::expected<ReducedPicture, PictureError> decodeReducedPicture(const QString &path, int minLongSide);

} // namespace orv
