#include "model/picture_opening.h"

#include "model/reading.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <new>

namespace orv {

std::expected<ReducedPicture, PictureError> decodeForShowing(const QString &path)
{
    try {
        return decodeReducedPicture(path, kReducedLongSide);
    } catch (const std::bad_alloc &) {
        return std::unexpected(PictureError::TooLarge);
    }
}

QString wholePictureFailedText()
{
    return QCoreApplication::translate("Main", "エラー！(No.1)(画像全体を読み込めませんでした。)\r"
                                               "表示しているのは縮小した画像(%1×%2画素、元の画像は%3×%4画素)です。"
                                               "拡大ウィンドウと自動読取もこの細かさになります。");
}

QString reducedCaptionSuffix() { return QCoreApplication::translate("Main", " (縮小表示)"); }

void decodeWholeLater(Reading &reading, const QString &path, const QImage &shown, std::function<void(bool)> done)
{
    using Result = std::expected<QImage, PictureError>;
    auto *watcher = new QFutureWatcher<Result>(&reading);
    const qint64 shownKey = shown.cacheKey();
    const QSize reducedSize = shown.size();
    QObject::connect(watcher, &QFutureWatcherBase::finished, &reading,
                     [&reading, watcher, shownKey, reducedSize, done = std::move(done)] {
                         watcher->deleteLater();
                         const Result whole = watcher->result();
                         GraphModel &g = reading.graph;
                         // Another picture shown meanwhile: this one is no longer asked for.
                         const bool current = g.loaded() && g.picture().cacheKey() == shownKey;
                         bool ok = false;
                         if (current && whole)
                             ok = g.refinePicture(*whole);
                         if (current && !ok) {
                             g.setCaption(g.caption() + reducedCaptionSuffix());
                             const QSize natural = g.naturalSize();
                             reading.port().message(wholePictureFailedText()
                                                        .arg(reducedSize.width())
                                                        .arg(reducedSize.height())
                                                        .arg(natural.width())
                                                        .arg(natural.height()));
                         }
                         if (done)
                             done(ok);
                     });
    watcher->setFuture(QtConcurrent::run([path]() -> Result {
        try {
            return decodePicture(path);
        } catch (const std::bad_alloc &) {
            return std::unexpected(PictureError::TooLarge);
        }
    }));
}

} // namespace orv
