#include "model/picture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orv;

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QString p = dir.filePath(name);
    QFile f(p);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return p;
}

QByteArray encoded(const char *format, int w = 40, int h = 30)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int x = 0; x < w; ++x)
        img.setPixel(x, h / 2, qRgb(255, 0, 0));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return bytes;
}

} // namespace

TEST(Picture, DecodesEveryKindByContent)
{
    QTemporaryDir dir;
    for (const char *fmt : {"png", "jpg", "bmp"}) {
        // The name's extension does not matter to the decoder.
        QString p = writeFile(dir, QStringLiteral("fig.3.2.%1").arg(QLatin1String(fmt)), encoded(fmt));
        auto img = decodePicture(p);
        ASSERT_TRUE(img.has_value()) << fmt;
        EXPECT_EQ(img->size(), QSize(40, 30));
    }
}

TEST(Picture, RefusesWhatIsNotARegularFile)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("x.jpg"));
    EXPECT_EQ(decodePicture(dir.filePath(QStringLiteral("x.jpg"))).error(), PictureError::NotAFile);
    const QString fifo = dir.filePath(QStringLiteral("y.bmp"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(decodePicture(fifo).error(), PictureError::NotAFile); // must not block on open
    EXPECT_EQ(decodePicture(dir.filePath(QStringLiteral("missing.png"))).error(), PictureError::NotAFile);
    EXPECT_EQ(decodePicture(QString()).error(), PictureError::NotAFile);
    EXPECT_EQ(decodePicture(QStringLiteral("/dev/zero")).error(), PictureError::NotAFile);
}

TEST(Picture, RefusesBrokenAndHugePictures)
{
    QTemporaryDir dir;
    EXPECT_FALSE(decodePicture(writeFile(dir, QStringLiteral("empty.jpg"), {})).has_value());
    EXPECT_FALSE(decodePicture(writeFile(dir, QStringLiteral("text.png"), "not a picture")).has_value());
    QByteArray jpg = encoded("jpg", 400, 300);
    EXPECT_EQ(decodePicture(writeFile(dir, QStringLiteral("cut.jpg"), jpg.left(jpg.size() / 2))).error(),
              PictureError::Truncated);
    QByteArray png = encoded("png", 400, 300);
    EXPECT_FALSE(decodePicture(writeFile(dir, QStringLiteral("cut.png"), png.left(png.size() / 2))).has_value());

    // A GIF header claiming 60000 x 60000 pixels.
    QByteArray gif("GIF89a");
    gif += char(0x60), gif += char(0xEA), gif += char(0x60), gif += char(0xEA); // 60000 x 60000
    gif += char(0x00), gif += char(0x00), gif += char(0x00);
    gif += char(0x2C);
    gif += QByteArray(8, '\0');
    gif += char(0x00);
    gif += char(0x02), gif += char(0x02), gif += char(0x44), gif += char(0x01), gif += char(0x00);
    gif += char(0x3B);
    auto r = decodePicture(writeFile(dir, QStringLiteral("huge.gif"), gif));
    ASSERT_FALSE(r.has_value()); // refused without allocating 14 GB
}

namespace {

QByteArray jpegBytes(int w, int h, bool progressive)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, (x ^ y) & 0xFF));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QImageWriter writer(&buf, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.setQuality(90);
    EXPECT_TRUE(writer.write(img));
    return bytes;
}

} // namespace

TEST(Picture, JpegsWithBytesAfterTheEndMarkerOpen)
{
    QTemporaryDir dir;
    for (bool progressive : {false, true}) {
        const QByteArray jpg = jpegBytes(320, 240, progressive);
        ASSERT_TRUE(jpg.endsWith("\xFF\xD9"));
        // What phones append: a trailer of a few kilobytes, a second (preview)
        // image, or bytes that look like markers.
        QByteArray trailer(5000, '\x55');
        trailer[100] = char(0xFF), trailer[101] = char(0xD9); // not the end of the picture
        for (const QByteArray &tail : {trailer, jpegBytes(64, 48, false), QByteArray(20, '\xFF')}) {
            auto img = decodePicture(writeFile(dir, QStringLiteral("photo.jpg"), jpg + tail));
            ASSERT_TRUE(img.has_value()) << progressive << " tail of " << tail.size();
            EXPECT_EQ(img->size(), QSize(320, 240));
        }
        // Cut anywhere in its scans, or with only the end marker missing, the
        // stream is incomplete however large it is.
        for (qsizetype keep : {jpg.size() / 3, jpg.size() / 2, jpg.size() - 40, jpg.size() - 2}) {
            auto cut = decodePicture(writeFile(dir, QStringLiteral("cut.jpg"), jpg.left(keep)));
            ASSERT_FALSE(cut.has_value()) << progressive << " " << keep;
            EXPECT_EQ(cut.error(), PictureError::Truncated) << progressive << " " << keep;
        }
    }
}

TEST(ReducedPicture, ALargeJpegOpensFromADecodeAtAFractionOfItsSize)
{
    QTemporaryDir dir;
    QImage big(3000, 2000, QImage::Format_RGB32);
    big.fill(qRgb(30, 90, 200));
    const QString jpg = dir.filePath(QStringLiteral("photo.jpg")), png = dir.filePath(QStringLiteral("photo.png"));
    ASSERT_TRUE(big.save(jpg, "JPEG", 90));
    ASSERT_TRUE(big.save(png, "PNG"));
    // Half its size: the smallest of 1/2, 1/4, 1/8 whose long side is >= 1400.
    auto r = orv::decodeReducedPicture(jpg, 1400);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->image.size(), QSize(1500, 1000));
    EXPECT_EQ(r->natural, QSize(3000, 2000));
    EXPECT_TRUE(r->reduced());
    EXPECT_NEAR(QColor(r->image.pixel(700, 500)).blue(), 200, 4);
    // A small one, and any other format, whole.
    r = orv::decodeReducedPicture(jpg, 2000);
    ASSERT_TRUE(r.has_value());
    EXPECT_FALSE(r->reduced());
    EXPECT_EQ(r->image.size(), QSize(3000, 2000));
    r = orv::decodeReducedPicture(png, 100);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->image.size(), QSize(3000, 2000));
    // A cut-off JPEG is refused as by the whole decode.
    QFile f(jpg);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.resize(f.size() / 2);
    f.close();
    r = orv::decodeReducedPicture(jpg, 1400);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error(), orv::PictureError::Truncated);
}
