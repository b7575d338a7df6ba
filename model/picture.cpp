#include "model/picture.h"
#include "model/pdf_source.h"

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

// The decoder silently fills a cut-off JPEG with grey, so the stream's
// structure is checked here: its segments are walked from the start marker,
// each scan's entropy-coded data is skipped, and the stream is whole when an
// end marker follows the last scan. Whatever comes after that marker (the
// trailers and second images many cameras append) is not part of the picture.
bool jpegStreamComplete(const QByteArray &bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n < 4 || b[0] != 0xFF || b[1] != 0xD8)
        return false;
    qsizetype i = 2;
    bool inScan = false; // after a start-of-scan header, inside its data
    while (i < n) {
        if (inScan) {
            // Entropy-coded data ends at the first marker that is not a
            // stuffed zero (FF 00), a restart marker (FF D0..D7) or fill.
            if (b[i] != 0xFF) {
                ++i;
                continue;
            }
            if (i + 1 >= n)
                return false;
            const uchar m = b[i + 1];
            if (m == 0x00 || (m >= 0xD0 && m <= 0xD7)) {
                i += 2;
                continue;
            }
            if (m == 0xFF) { // fill byte before a marker
                ++i;
                continue;
            }
            inScan = false;
            continue; // b[i] starts the next marker
        }
        if (b[i] != 0xFF)
            return false; // garbage where a marker must be
        while (i < n && b[i] == 0xFF)
            ++i;
        if (i >= n)
            return false;
        const uchar m = b[i++];
        if (m == 0xD9)
            return true; // end of image
        if ((m >= 0xD0 && m <= 0xD7) || m == 0x01)
            continue; // markers without a length
        if (i + 2 > n)
            return false;
        const qsizetype len = (qsizetype(b[i]) << 8) | b[i + 1];
        if (len < 2 || i + len > n)
            return false;
        i += len;
        if (m == 0xDA)
            inScan = true;
    }
    return false;
}

bool jpegLooksComplete(QIODevice *dev)
{
    const qint64 pos = dev->pos();
    if (!dev->seek(0))
        return true; // cannot tell: the decoder decides
    const QByteArray bytes = dev->readAll();
    dev->seek(pos);
    return jpegStreamComplete(bytes);
}

} // namespace

namespace {
// The scale the JPEG decoder applies for free: 1/d with d 2, 4 or 8.
int jpegReduction(QSize size, int minLongSide)
{
    const int longSide = std::max(size.width(), size.height());
    for (int d : {8, 4, 2})
        if (longSide / d >= minLongSide)
            return d;
    return 1;
}
} // namespace

std::expected<ReducedPicture, PictureError> decodeReducedPicture(const QString &path, int minLongSide)
{
    if (isPdfFile(splitPictureSource(path).file)) {
        auto page = decodePdfPicture(path);
        if (!page)
            return std::unexpected(page.error());
        return ReducedPicture{*page, page->size()};
    }
    if (!isRegularFile(path))
        return std::unexpected(PictureError::NotAFile);
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() == 0)
        return std::unexpected(PictureError::Unreadable);
    int d = 1;
    QSize natural;
    {
        QImageReader probe(&f);
        probe.setAutoTransform(true);
        const QByteArray fmt = probe.format();
        const QSize stored = probe.size();
        if ((fmt == "jpeg" || fmt == "jpg") && stored.isValid() &&
            qint64(stored.width()) * stored.height() <= kMaxPicturePixels) {
            d = jpegReduction(stored, minLongSide);
            // A quarter turn from the camera's orientation swaps the sides.
            natural = probe.transformation() & QImageIOHandler::TransformationRotate90 ? stored.transposed() : stored;
        }
    }
    f.seek(0);
    if (d == 1) {
        auto whole = decodePicture(&f);
        if (!whole)
            return std::unexpected(whole.error());
        return ReducedPicture{*whole, whole->size()};
    }
    if (!jpegLooksComplete(&f))
        return std::unexpected(PictureError::Truncated);
    f.seek(0);
    QImageReader reader(&f, "jpeg");
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    // Rounded up as the decoder rounds.
    reader.setScaledSize(QSize((stored.width() + d - 1) / d, (stored.height() + d - 1) / d));
    QImage img;
    if (!reader.read(&img) || img.isNull())
        return std::unexpected(PictureError::Unreadable);
    if (img.format() != QImage::Format_RGB32)
        img = img.convertToFormat(QImage::Format_RGB32);
    return ReducedPicture{img, natural};
}

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
    if (isPdfFile(splitPictureSource(path).file))
        return decodePdfPicture(path);
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
