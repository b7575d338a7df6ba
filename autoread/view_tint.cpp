#include "autoread/view_tint.h"

#include <algorithm>
#include <cmath>

namespace orv::autoread {

QImage viewTint(const QImage &picture, const ReadArea &area, const std::vector<QRectF> &exclusions,
                const ColourMatcher &matcher, const QRectF &source, QSize size, QRgb tint,
                const std::atomic<bool> *cancel)
{
    if (size.isEmpty() || source.isEmpty() || picture.isNull())
        return QImage();
    QImage out(size, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const QRect b = area.bounds().intersected(picture.rect());
    if (b.isEmpty())
        return out;
    // The picture pixels each output column and row covers (at least one).
    auto spans = [](double start, double step, int n, int lo, int hi) {
        std::vector<std::pair<int, int>> s(static_cast<size_t>(n));
        for (int k = 0; k < n; ++k) {
            const int a = int(std::floor(start + k * step));
            const int e = std::max(a + 1, int(std::ceil(start + (k + 1) * step)));
            s[size_t(k)] = {std::max(a, lo), std::min(e, hi + 1)};
        }
        return s;
    };
    const auto cols = spans(source.left(), source.width() / size.width(), size.width(), b.left(), b.right());
    const auto rows = spans(source.top(), source.height() / size.height(), size.height(), b.top(), b.bottom());
    auto excluded = [&](int i, int j) {
        for (const QRectF &e : exclusions)
            if (e.contains(i + 0.5, j + 0.5))
                return true;
        return false;
    };
    for (int oy = 0; oy < size.height(); ++oy) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return QImage();
        const auto [j0, j1] = rows[size_t(oy)];
        if (j0 >= j1)
            continue;
        QRgb *line = reinterpret_cast<QRgb *>(out.scanLine(oy));
        for (int ox = 0; ox < size.width(); ++ox) {
            const auto [i0, i1] = cols[size_t(ox)];
            bool hit = false;
            for (int j = j0; j < j1 && !hit; ++j) {
                const QRgb *in = reinterpret_cast<const QRgb *>(picture.constScanLine(j));
                for (int i = i0; i < i1 && !hit; ++i)
                    hit = matcher.matches(in[i]) && area.containsPixel(i, j) && !excluded(i, j);
            }
            if (hit)
                line[ox] = tint;
        }
    }
    return out;
}

} // namespace orv::autoread
