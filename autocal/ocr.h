#pragma once
// Reading the text of one small picture region. The calibration asks for one
// label at a time through this interface: the engine behind it is Tesseract,
// a PDF page's own text (exact, with Tesseract behind it for what the page
// does not hold as text), or in tests a table of known texts.

#include <QImage>
#include <QRectF>
#include <QString>
#include <memory>
#include <optional>

namespace orv::autocal {

struct OcrText {
    QString text;
    double confidence = 0; // 0..100
};

class OcrEngine {
public:
    virtual ~OcrEngine() = default;
    // `crop` is the region `where` (continuous picture pixels) cut out of the
    // picture in grey, at the picture's resolution. `exponent` asks for the
    // raised part of a power of ten, read on its own. Nothing when no text
    // could be read.
    virtual std::optional<OcrText> read(const QImage &crop, const QRectF &where, bool exponent) = 0;
};

// Tesseract, English, numbers only. Nothing (and `error` set) when the
// library cannot start, e.g. when its English data file is missing.
std::unique_ptr<OcrEngine> tesseractEngine(QString *error);

// Where the English data file is looked for, for the message.
QString ocrDataHint();

// Tesseract runs its recogniser on OpenMP threads; for regions this small
// that costs several times the work. The thread limit only takes effect when
// it is in the environment before the OpenMP library starts, i.e. before the
// program is loaded: when it is unset, this sets OMP_THREAD_LIMIT=1 and
// starts the program again in the same process (exec). A limit the user set
// is kept. Returns only when no restart was needed or it failed.
void limitOcrThreads(char **argv);

} // namespace orv::autocal
