#include "model/picture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <filesystem>
#include <system_error>

namespace orv {

bool isRegularFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path.toStdString()), ec) && !ec;
}

namespace {

// A JPEG ends with the EOI marker (FF D9), perhaps followed by padding. The
// decoder silently fills a cut-off file with grey, so check the end ourselves.
bool jpegLooksComplete(QIODevice *dev)
{
    const qint64 size = dev->size();
    if (size < 4)
        return false;
    const qint64 tail = std::min<qint64>(size, 64);
    const qint64 pos = dev->pos();
    if (!dev->seek(size - tail))
        return true; // sequential device: cannot tell
    QByteArray bytes = dev->read(tail);
    dev->seek(pos);
    qsizetype end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\0' || bytes[end - 1] == '\n' || bytes[end - 1] == '\r' ||
                       bytes[end - 1] == ' '))
        --end;
    for (qsizetype i = end - 2; i >= 0 && i >= end - 16; --i)
        if (uchar(bytes[i]) == 0xFF && uchar(bytes[i + 1]) == 0xD9)
            return true;
    return false;
}

} // namespace

std::expected<QImage, PictureError> decodePicture(QIODevice *device, const QByteArray &format)
{
    QImageReader reader(device, format);
    // Big enough for a 150-megapixel photo in 32 bits; beyond that the picture
    // is refused before anything is allocated.
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    reader.setAutoTransform(true);
    if (!reader.canRead())
        return std::unexpected(PictureError::Unreadable);
    const QSize claimed = reader.size();
    if (claimed.isValid() && qint64(claimed.width()) * claimed.height() > kMaxPicturePixels)
        return std::unexpected(PictureError::TooLarge);
    const QByteArray fmt = reader.format();
    if ((fmt == "jpeg" || fmt == "jpg") && !device->isSequential() && !jpegLooksComplete(device))
        return std::unexpected(PictureError::Truncated);
    QImage img;
    if (!reader.read(&img) || img.isNull()) {
        if (reader.error() == QImageReader::InvalidDataError && claimed.isValid() &&
            qint64(claimed.width()) * claimed.height() * 4 > qint64(reader.allocationLimit()) * 1024 * 1024)
            return std::unexpected(PictureError::TooLarge);
        return std::unexpected(PictureError::Unreadable);
    }
    if (qint64(img.width()) * img.height() > kMaxPicturePixels)
        return std::unexpected(PictureError::TooLarge);
    // One fast format for painting and sampling.
    if (img.format() != QImage::Format_RGB32 && img.format() != QImage::Format_ARGB32_Premultiplied)
        img = img.hasAlphaChannel() ? img.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                    : img.convertToFormat(QImage::Format_RGB32);
    return img;
}

std::expected<QImage, PictureError> decodePicture(const QString &path)
{
    if (!isRegularFile(path))
        return std::unexpected(PictureError::NotAFile);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::unexpected(PictureError::Unreadable);
    if (f.size() == 0)
        return std::unexpected(PictureError::Unreadable);
    return decodePicture(&f);
}

} // namespace orv
