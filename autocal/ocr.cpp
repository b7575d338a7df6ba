#include "autocal/ocr.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdlib>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <tesseract/baseapi.h>
#include <unistd.h>

namespace orv::autocal {

namespace {

// Crops this tall (in pixels; the text in them a little less) read best.
constexpr double kTargetHeight = 48;

// Ink to black and paper to white: a grey, noisy scan reads like a clean print.
void stretchContrast(QImage &g)
{
    int hist[256] = {};
    for (int y = 0; y < g.height(); ++y) {
        const uchar *row = g.constScanLine(y);
        for (int x = 0; x < g.width(); ++x)
            ++hist[row[x]];
    }
    const int n = g.width() * g.height();
    int lo = 0, hi = 255;
    for (int acc = 0; lo < 255 && (acc += hist[lo]) < n / 20;)
        ++lo;
    for (int acc = 0; hi > 0 && (acc += hist[hi]) < n / 10;)
        --hi;
    if (hi - lo < 20)
        return;
    uchar map[256];
    for (int v = 0; v < 256; ++v)
        map[v] = uchar(std::clamp((v - lo) * 255 / (hi - lo), 0, 255));
    for (int y = 0; y < g.height(); ++y) {
        uchar *row = g.scanLine(y);
        for (int x = 0; x < g.width(); ++x)
            row[x] = map[row[x]];
    }
}

class TesseractEngine : public OcrEngine {
public:
    bool init(QString *error)
    {
        // Tesseract reports a missing data file on stderr; the caller gets a message of its own.
        if (m_api.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY) != 0) {
            if (error)
                *error = QCoreApplication::translate("AutoCal", "文字認識のデータ(英語)が見つかりません: %1")
                             .arg(ocrDataHint());
            return false;
        }
        m_api.SetVariable("debug_file", "/dev/null");
        m_api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        return true;
    }

    std::optional<OcrText> read(const QImage &crop, const QRectF &, bool exponent) override
    {
        if (crop.isNull() || crop.width() < 2 || crop.height() < 2)
            return std::nullopt;
        QImage g = crop.convertToFormat(QImage::Format_Grayscale8);
        stretchContrast(g);
        // Small text is enlarged, large text reduced, to the height the
        // recogniser was trained on; a white margin around it.
        const double factor = std::clamp(kTargetHeight / g.height(), 0.25, 8.0);
        if (std::abs(factor - 1) > 0.1)
            g = g.scaled(std::max(1, int(std::lround(g.width() * factor))), std::max(1, int(std::lround(g.height() * factor))),
                         Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const int pad = 12;
        QImage padded(g.width() + 2 * pad, g.height() + 2 * pad, QImage::Format_Grayscale8);
        padded.fill(255);
        for (int y = 0; y < g.height(); ++y)
            std::memcpy(padded.scanLine(y + pad) + pad, g.constScanLine(y), size_t(g.width()));
        m_api.SetVariable("tessedit_char_whitelist", exponent ? "0123456789-+" : "0123456789.,-+eExX^");
        // One line in both cases: as a single word, a lone or signed raised digit is often lost.
        m_api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        m_api.SetImage(padded.constBits(), padded.width(), padded.height(), 1, int(padded.bytesPerLine()));
        m_api.SetSourceResolution(300);
        char *raw = m_api.GetUTF8Text();
        if (!raw)
            return std::nullopt;
        OcrText t;
        t.text = QString::fromUtf8(raw).trimmed();
        delete[] raw;
        t.confidence = std::max(0, m_api.MeanTextConf());
        m_api.Clear();
        if (t.text.isEmpty())
            return std::nullopt;
        return t;
    }

private:
    tesseract::TessBaseAPI m_api;
};

} // namespace

std::unique_ptr<OcrEngine> tesseractEngine(QString *error)
{
    auto e = std::make_unique<TesseractEngine>();
    if (!e->init(error))
        return nullptr;
    return e;
}

QString ocrDataHint()
{
    const QByteArray prefix = qgetenv("TESSDATA_PREFIX");
    const QString folder = prefix.isEmpty() ? QStringLiteral("/usr/share/tesseract-ocr/5/tessdata")
                                            : QString::fromLocal8Bit(prefix);
    return QDir(folder).filePath(QStringLiteral("eng.traineddata")) + QStringLiteral(" (tesseract-ocr-eng)");
}

void limitOcrThreads(char **argv)
{
    if (std::getenv("OMP_THREAD_LIMIT") || !argv || !argv[0])
        return;
    ::setenv("OMP_THREAD_LIMIT", "1", 1);
    // The same program file, whatever the link or folder it was started from.
    ::execv("/proc/self/exe", argv);
    // exec failed: go on with the threads the library chooses.
}

} // namespace orv::autocal
