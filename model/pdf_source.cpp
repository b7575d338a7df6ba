#include "model/pdf_source.h"

#include <QCoreApplication>
#include <QFile>
#include <QtConcurrent/QtConcurrentRun>
#include <QRegularExpression>
#include <cmath>
#include <mutex>
#include <new>
#include <poppler-qt6.h>

namespace orv {

namespace {

// The library reports every oddity of a damaged file on stderr; the user is
// told once, by the invalid-picture message.
void quietPoppler()
{
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant()); });
}

bool usableSize(QSizeF s)
{
    return std::isfinite(s.width()) && std::isfinite(s.height()) && s.width() >= 1 && s.height() >= 1 &&
           s.width() <= kPdfMaxPagePoints && s.height() <= kPdfMaxPagePoints;
}

} // namespace

PictureSource splitPictureSource(const QString &path)
{
    static const QRegularExpression suffix(QStringLiteral("#page=([1-9][0-9]{0,6})$"));
    if (isRegularFile(path))
        return {path, 0, false};
    const auto m = suffix.match(path);
    if (!m.hasMatch())
        return {path, 0, false};
    return {path.left(m.capturedStart()), m.captured(1).toInt() - 1, true};
}

QString joinPictureSource(const QString &file, int page)
{
    return page <= 0 ? file : file + QStringLiteral("#page=%1").arg(page + 1);
}

bool isPdfFile(const QString &file)
{
    const qsizetype cut = std::max(file.lastIndexOf(u'/'), file.lastIndexOf(u'\\'));
    return file.mid(cut + 1).endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

bool pictureSourceExists(const QString &path) { return isRegularFile(splitPictureSource(path).file); }

std::expected<PdfDocument, PictureError> PdfDocument::open(const QString &file)
{
    quietPoppler();
    if (!isRegularFile(file))
        return std::unexpected(PictureError::NotAFile);
    std::unique_ptr<Poppler::Document> doc;
    try {
        doc = Poppler::Document::load(file);
    } catch (const std::bad_alloc &) {
        return std::unexpected(PictureError::TooLarge);
    }
    if (!doc)
        return std::unexpected(PictureError::Unreadable);
    if (doc->isLocked())
        return std::unexpected(PictureError::Protected);
    if (doc->numPages() < 1)
        return std::unexpected(PictureError::Unreadable);
    doc->setRenderHint(Poppler::Document::Antialiasing);
    doc->setRenderHint(Poppler::Document::TextAntialiasing);
    doc->setPaperColor(Qt::white);
    PdfDocument d;
    d.m_doc = std::move(doc);
    return d;
}

int PdfDocument::pageCount() const { return m_doc ? m_doc->numPages() : 0; }

QSizeF PdfDocument::pageSize(int page) const
{
    if (!m_doc || page < 0 || page >= m_doc->numPages())
        return {};
    const auto p = m_doc->page(page);
    if (!p)
        return {};
    const QSizeF s = p->pageSizeF();
    return usableSize(s) ? s : QSizeF();
}

int PdfDocument::defaultDpi(int page) const
{
    const QSizeF s = pageSize(page);
    if (s.isEmpty())
        return kPdfMinDpi;
    const double dpi = kPdfTargetLongSide * 72.0 / std::max(s.width(), s.height());
    return int(std::lround(fittingDpi(page, std::clamp(dpi, double(kPdfMinDpi), double(kPdfMaxDpi)))));
}

double PdfDocument::fittingDpi(int page, double dpi) const
{
    const QSizeF s = pageSize(page);
    if (s.isEmpty())
        return dpi;
    // Pixels = w * h * (dpi / 72)^2, rounded up by the renderer.
    const double most = 72.0 * std::sqrt(double(kMaxPicturePixels) / (s.width() * s.height()));
    return std::min(dpi, std::floor(most * 0.999));
}

std::expected<QImage, PictureError> PdfDocument::render(int page, double dpi) const
{
    const QSizeF s = pageSize(page);
    if (s.isEmpty() || !std::isfinite(dpi) || dpi <= 0)
        return std::unexpected(PictureError::Unreadable);
    dpi = fittingDpi(page, dpi);
    QImage img;
    try {
        const auto p = m_doc->page(page);
        if (!p)
            return std::unexpected(PictureError::Unreadable);
        img = p->renderToImage(dpi, dpi);
        if (img.isNull())
            return std::unexpected(PictureError::Unreadable);
        if (qint64(img.width()) * img.height() > kMaxPicturePixels)
            return std::unexpected(PictureError::TooLarge);
        // The paper is white and opaque: one fast format for painting and sampling.
        if (img.format() != QImage::Format_RGB32)
            img = img.convertToFormat(QImage::Format_RGB32);
    } catch (const std::bad_alloc &) {
        return std::unexpected(PictureError::TooLarge);
    }
    return img;
}

QImage PdfDocument::renderRegion(int page, double xres, double yres, const QRect &region) const
{
    if (pageSize(page).isEmpty() || region.isEmpty() || !(xres > 0) || !(yres > 0))
        return {};
    if (qint64(region.width()) * region.height() > kMaxPicturePixels)
        return {};
    try {
        const auto p = m_doc->page(page);
        if (!p)
            return {};
        QImage img = p->renderToImage(xres, yres, region.x(), region.y(), region.width(), region.height());
        if (!img.isNull() && img.format() != QImage::Format_RGB32)
            img = img.convertToFormat(QImage::Format_RGB32);
        return img;
    } catch (const std::bad_alloc &) {
        return {};
    }
}

QImage PdfDocument::thumbnail(int page, int longSide) const
{
    const QSizeF s = pageSize(page);
    if (s.isEmpty() || longSide < 1)
        return {};
    const double dpi = longSide * 72.0 / std::max(s.width(), s.height());
    auto img = render(page, dpi);
    return img ? *img : QImage();
}

// Touched only by the one worker thread.
struct PdfRegionRenderer::WorkerDoc {
    QString file;
    std::optional<PdfDocument> doc;
};

PdfRegionRenderer::PdfRegionRenderer(QObject *parent)
    : QObject(parent), m_doc(std::make_shared<WorkerDoc>()), m_watcher(new QFutureWatcher<QImage>(this))
{
    m_pool.setMaxThreadCount(1);
    connect(m_watcher, &QFutureWatcherBase::finished, this, [this] {
        const QImage img = m_watcher->result();
        const quint64 ticket = m_runningTicket;
        m_busy = false;
        if (m_pending) {
            const Job next = *m_pending;
            m_pending.reset();
            launch(next);
        }
        Q_EMIT rendered(ticket, img);
    });
}

PdfRegionRenderer::~PdfRegionRenderer() { m_pool.waitForDone(); }

void PdfRegionRenderer::setSource(const QString &file, int page)
{
    m_file = file;
    m_page = page;
    m_pending.reset();
}

void PdfRegionRenderer::request(double xres, double yres, const QRect &region, quint64 ticket)
{
    if (m_file.isEmpty())
        return;
    Job job{m_file, m_page, xres, yres, region, ticket};
    if (m_busy)
        m_pending = job;
    else
        launch(job);
}

void PdfRegionRenderer::launch(const Job &job)
{
    m_busy = true;
    m_runningTicket = job.ticket;
    auto doc = m_doc;
    m_watcher->setFuture(QtConcurrent::run(&m_pool, [doc, job]() -> QImage {
        if (doc->file != job.file || !doc->doc) {
            doc->file = job.file;
            auto opened = PdfDocument::open(job.file);
            doc->doc = opened ? std::optional<PdfDocument>(*opened) : std::nullopt;
        }
        if (!doc->doc)
            return {};
        return doc->doc->renderRegion(job.page, job.xres, job.yres, job.region);
    }));
}

QString protectedPdfText()
{
    return QCoreApplication::translate("Messages", "エラー！(No.1)(パスワードで保護されたPDFファイルは開けません。)");
}

std::optional<MissingPdfPage> missingPdfPage(const QString &path)
{
    const PictureSource src = splitPictureSource(path);
    if (!src.explicitPage || !isPdfFile(src.file))
        return std::nullopt;
    auto doc = PdfDocument::open(src.file);
    if (!doc || src.page < doc->pageCount())
        return std::nullopt;
    return MissingPdfPage{src.page, doc->pageCount()};
}

std::expected<QImage, PictureError> decodePdfPicture(const QString &path, double dpi)
{
    const PictureSource src = splitPictureSource(path);
    auto doc = PdfDocument::open(src.file);
    if (!doc)
        return std::unexpected(doc.error());
    if (src.page >= doc->pageCount() || doc->pageSize(src.page).isEmpty())
        return std::unexpected(PictureError::Unreadable);
    return doc->render(src.page, dpi > 0 ? dpi : doc->defaultDpi(src.page));
}

} // namespace orv
