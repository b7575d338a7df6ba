#include "autocal/pdf_text.h"

#include <poppler-qt6.h>

#include <algorithm>
#include <vector>

namespace orv::autocal {

namespace {

class PdfTextEngine : public OcrEngine {
public:
    struct Char {
        QRectF box; // picture pixels
        QChar c;
    };
    PdfTextEngine(std::vector<Char> chars, std::unique_ptr<OcrEngine> fallback)
        : m_chars(std::move(chars)), m_fallback(std::move(fallback))
    {
    }

    std::optional<OcrText> read(const QImage &crop, const QRectF &where, bool exponent) override
    {
        std::vector<const Char *> in;
        for (const Char &c : m_chars)
            if (where.contains(c.box.center()))
                in.push_back(&c);
        if (in.empty())
            return m_fallback ? m_fallback->read(crop, where, exponent) : std::nullopt;
        std::sort(in.begin(), in.end(), [](const Char *a, const Char *b) { return a->box.left() < b->box.left(); });
        OcrText t;
        for (const Char *c : in)
            t.text += c->c;
        t.confidence = 100;
        return t;
    }

private:
    std::vector<Char> m_chars;
    std::unique_ptr<OcrEngine> m_fallback;
};

} // namespace

std::unique_ptr<OcrEngine> pdfTextEngine(const QString &file, int page, QSizeF pictureSize,
                                         std::unique_ptr<OcrEngine> fallback)
{
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(file);
    if (!doc || doc->isLocked() || page < 0 || page >= doc->numPages())
        return nullptr;
    std::unique_ptr<Poppler::Page> pg = doc->page(page);
    if (!pg)
        return nullptr;
    const QSizeF pts = pg->pageSizeF();
    if (pts.isEmpty() || pictureSize.isEmpty())
        return nullptr;
    const double sx = pictureSize.width() / pts.width(), sy = pictureSize.height() / pts.height();
    std::vector<PdfTextEngine::Char> chars;
    for (const auto &box : pg->textList()) {
        const QString text = box->text();
        for (int i = 0; i < text.size(); ++i) {
            const QRectF r = box->charBoundingBox(i);
            chars.push_back({QRectF(r.left() * sx, r.top() * sy, r.width() * sx, r.height() * sy), text[i]});
        }
    }
    return std::make_unique<PdfTextEngine>(std::move(chars), std::move(fallback));
}

} // namespace orv::autocal
