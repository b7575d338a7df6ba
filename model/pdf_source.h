#pragma once
// PDF pages as pictures. A page is rendered once at a chosen resolution and
// then is a picture like any other (positions are fractions of it, so the
// resolution changes no value); the zoom view renders small regions of the
// same page again at its magnification so that vector charts stay sharp.

#include "model/picture.h"

#include <QFutureWatcher>
#include <QImage>
#include <QObject>
#include <QRect>
#include <QThreadPool>
#include <QSizeF>
#include <QString>
#include <expected>
#include <memory>
#include <optional>

namespace Poppler {
class Document;
}

namespace orv {

// A picture path as stored in a reading: a file name, for a PDF page other
// than the first followed by "#page=N" (N from 1).
struct PictureSource {
    QString file;
    int page = 0; // 0-based
    bool explicitPage = false; // the path named a page
};

// Splits "#page=N" off a path. A file that exists under the whole name is
// that file, whatever its name ends in.
PictureSource splitPictureSource(const QString &path);
// The stored path of page `page` (0-based) of `file`.
QString joinPictureSource(const QString &file, int page);
// Whether the file's extension says PDF.
bool isPdfFile(const QString &file);
// Whether the file a picture path names is a regular file.
bool pictureSourceExists(const QString &path);

// A page a picture path names in a PDF that opens but no longer has it (pages
// removed since the reading was saved).
struct MissingPdfPage {
    int page = 0;      // 0-based
    int pageCount = 0; // the pages the file has
};
std::optional<MissingPdfPage> missingPdfPage(const QString &path);

inline constexpr int kPdfMinDpi = 72;
inline constexpr int kPdfMaxDpi = 600;
// The default resolution makes the longer side of the page about this long.
inline constexpr int kPdfTargetLongSide = 3000;
// Pages beyond this size in points (200 inches, the format's own limit) or
// below one point are not pages anyone draws a chart on.
inline constexpr double kPdfMaxPagePoints = 14400;

class PdfDocument {
public:
    // Refuses files that are not PDFs, damaged beyond use, or locked by a
    // password (PictureError::Protected); asks for nothing.
    static std::expected<PdfDocument, PictureError> open(const QString &file);

    int pageCount() const;
    // The page's size in points (1/72 inch); an empty size when the page is
    // missing or of absurd size.
    QSizeF pageSize(int page) const;
    // The resolution that makes the page's longer side about
    // kPdfTargetLongSide pixels, within kPdfMinDpi..kPdfMaxDpi.
    int defaultDpi(int page) const;
    // `dpi` lowered as far as needed for the page to fit the picture pixel limit.
    double fittingDpi(int page, double dpi) const;
    // The whole page, antialiased on white, in the picture format.
    std::expected<QImage, PictureError> render(int page, double dpi) const;
    // A region of the page rendered at xres, yres (pixels of the page at that
    // resolution); a null image when the page cannot be rendered.
    QImage renderRegion(int page, double xres, double yres, const QRect &region) const;
    QImage thumbnail(int page, int longSide) const;

private:
    std::shared_ptr<Poppler::Document> m_doc;
};

// Renders regions of one PDF page on a worker thread, one at a time: a
// request made while another renders waits, and only the latest waiting one
// is kept (the pointer has moved on from the others). The worker keeps its
// own document, so nothing of the library is shared between threads.
class PdfRegionRenderer : public QObject {
    Q_OBJECT
public:
    explicit PdfRegionRenderer(QObject *parent = nullptr);
    ~PdfRegionRenderer() override;

    void setSource(const QString &file, int page);
    const QString &file() const { return m_file; }
    int page() const { return m_page; }
    void request(double xres, double yres, const QRect &region, quint64 ticket);
    // Whether nothing renders or waits (tests and benchmarks wait for this).
    bool idle() const { return !m_busy && !m_pending; }

Q_SIGNALS:
    void rendered(quint64 ticket, const QImage &image);

private:
    struct Job {
        QString file;
        int page = 0;
        double xres = 0, yres = 0;
        QRect region;
        quint64 ticket = 0;
    };
    struct WorkerDoc;
    void launch(const Job &job);

    QString m_file;
    int m_page = 0;
    bool m_busy = false;
    std::optional<Job> m_pending;
    std::shared_ptr<WorkerDoc> m_doc;
    QFutureWatcher<QImage> *m_watcher = nullptr;
    quint64 m_runningTicket = 0;
    QThreadPool m_pool;
};

// The message for a PDF locked by a password.
QString protectedPdfText();

// Renders a PDF page as the picture the reading shows: the page a "#page=N"
// suffix names (else the first), at `dpi` (0: the default resolution).
std::expected<QImage, PictureError> decodePdfPicture(const QString &path, double dpi = 0);

} // namespace orv
