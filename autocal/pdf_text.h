#pragma once
// The labels of a PDF page whose text is text: read exactly from the page's
// own characters under the region asked for. Regions without text (a chart
// pasted as a picture) go to the engine behind it.

#include "autocal/ocr.h"

#include <QSizeF>
#include <memory>

namespace orv::autocal {

// `file` and `page` (0-based) the PDF page rendered as a picture of
// `pictureSize` pixels. Nothing when the page cannot be opened; `fallback`
// may be null (then regions without text read as nothing).
std::unique_ptr<OcrEngine> pdfTextEngine(const QString &file, int page, QSizeF pictureSize,
                                         std::unique_ptr<OcrEngine> fallback);

} // namespace orv::autocal
