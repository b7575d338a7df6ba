#include "autocal/labels.h"
#include "model/union_find.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace orv::autocal {

namespace {

double medianOf(std::vector<double> v)
{
    if (v.empty())
        return 0;
    auto mid = v.begin() + qsizetype(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

QString normalised(QString t)
{
    t.remove(u' ');
    for (QChar c : {QChar(0x2212), QChar(0x2013), QChar(0x2014), QChar(0x2010), QChar(0x2011)})
        t.replace(c, u'-');
    t.replace(QChar(0x00D7), u'x');
    t.replace(u'X', u'x');
    t.replace(u'*', u'x');
    // Thousands separators ("1,000") go; a lone comma is a decimal comma.
    static const QRegularExpression thousands(QStringLiteral("^[-+]?\\d{1,3}(,\\d{3})+$"));
    if (thousands.match(t).hasMatch())
        t.remove(u',');
    else
        t.replace(u',', u'.');
    return t;
}

} // namespace

std::vector<QRect> components(const Prepared &p)
{
    std::vector<QRect> out;
    std::vector<uint8_t> seen(p.dark.size(), 0);
    std::vector<int> stack;
    for (int y = 0; y < p.h; ++y) {
        for (int x = 0; x < p.w; ++x) {
            const size_t i0 = size_t(y) * size_t(p.w) + size_t(x);
            if (!p.dark[i0] || seen[i0])
                continue;
            int x0 = x, x1 = x, y0 = y, y1 = y;
            stack.assign(1, int(i0));
            seen[i0] = 1;
            while (!stack.empty()) {
                const int i = stack.back();
                stack.pop_back();
                const int cx = i % p.w, cy = i / p.w;
                x0 = std::min(x0, cx);
                x1 = std::max(x1, cx);
                y0 = std::min(y0, cy);
                y1 = std::max(y1, cy);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = cx + dx, ny = cy + dy;
                        if (nx < 0 || ny < 0 || nx >= p.w || ny >= p.h)
                            continue;
                        const size_t j = size_t(ny) * size_t(p.w) + size_t(nx);
                        if (p.dark[j] && !seen[j]) {
                            seen[j] = 1;
                            stack.push_back(int(j));
                        }
                    }
            }
            out.emplace_back(QPoint(x0, y0), QPoint(x1, y1));
        }
    }
    return out;
}

std::vector<Word> labelWords(const Prepared &p, const std::vector<QRect> &comps, const AxisLine &fullLine, int outward,
                             bool xAxis)
{
    const double f = p.factor;
    const AxisLine L = fullLine.scaled(1 / f);
    const double len = L.length();
    const int maxSide = std::max(p.w, p.h);
    struct Item {
        QRect r;
        double near; // distance of the nearest corner outside the line
    };
    std::vector<Item> items;
    for (const QRect &r : comps) {
        if (r.height() > 0.12 * maxSide || r.width() > 0.2 * maxSide)
            continue;
        const QPointF centre = QRectF(r).center() + QPointF(0.5, 0.5);
        const double along = L.along(centre);
        if (along < L.a0 - 0.08 * len || along > L.a1 + 0.08 * len)
            continue;
        double near = 1e9;
        for (QPointF c : {QPointF(r.left(), r.top()), QPointF(r.right() + 1, r.top()), QPointF(r.left(), r.bottom() + 1),
                          QPointF(r.right() + 1, r.bottom() + 1)})
            near = std::min(near, L.offset(c) * outward);
        if (near < 0.5 || near > 0.3 * len)
            continue;
        items.push_back({r, near});
        if (items.size() > 3000)
            break;
    }
    if (items.empty())
        return {};
    std::vector<double> heights;
    for (const Item &it : items)
        if (it.r.height() >= 3)
            heights.push_back(it.r.height());
    const double hmed = std::max(3.0, medianOf(heights));
    // Shapes of one label: side by side in a row, closer than half a character.
    std::vector<int> parent(items.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (size_t i = 0; i < items.size(); ++i)
        for (size_t j = i + 1; j < items.size(); ++j) {
            const QRect &a = items[i].r, &b = items[j].r;
            const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
            const int gap = std::max(a.left(), b.left()) - std::min(a.right(), b.right()) - 1;
            if (overlap >= 0.3 * std::min(a.height(), b.height()) && gap <= 0.5 * hmed)
                parent[size_t(findRoot(parent, int(i)))] = findRoot(parent, int(j));
        }
    struct Group {
        std::vector<QRect> parts;
        QRect box;
        double near = 1e9;
        int tallest = 0;
    };
    std::vector<Group> groups(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        Group &g = groups[size_t(findRoot(parent, int(i)))];
        g.parts.push_back(items[i].r);
        g.box = g.box.isNull() ? items[i].r : g.box.united(items[i].r);
        g.near = std::min(g.near, items[i].near);
        g.tallest = std::max(g.tallest, items[i].r.height());
    }
    std::vector<Group> words;
    for (Group &g : groups)
        if (!g.parts.empty() && g.tallest >= 0.45 * hmed && g.box.width() <= 15 * hmed)
            words.push_back(std::move(g));
    if (words.empty())
        return {};
    // The labels nearest the axis: the first distance at which two labels
    // start (one when there is only one); an axis title stands further out.
    std::sort(words.begin(), words.end(), [](const Group &a, const Group &b) { return a.near < b.near; });
    const double tol = xAxis ? 0.8 * hmed : 2.0 * hmed;
    double start = words.front().near;
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i + 1].near - words[i].near <= tol) {
            start = words[i].near;
            break;
        }
    std::vector<Word> out;
    for (const Group &g : words) {
        if (g.near < start - 0.01 || g.near > start + tol)
            continue;
        Word w;
        w.height = g.tallest * f;
        w.box = QRectF(g.box.left() * f, g.box.top() * f, (g.box.width()) * f, (g.box.height()) * f);
        w.along = L.along(w.box.center() / f) * f;
        // A raised exponent: the shapes at the right end whose bottom stands
        // well above the label's baseline, with a digit-sized one among them.
        std::vector<QRect> parts = g.parts;
        std::sort(parts.begin(), parts.end(), [](const QRect &a, const QRect &b) { return a.left() < b.left(); });
        int baseline = 0;
        for (const QRect &r : parts)
            if (r.height() >= 0.6 * g.tallest)
                baseline = std::max(baseline, r.bottom());
        size_t split = parts.size();
        while (split > 1 && parts[split - 1].bottom() <= baseline - 0.3 * g.tallest)
            --split;
        bool digit = false;
        for (size_t i = split; i < parts.size(); ++i)
            digit = digit || parts[i].height() >= 0.35 * g.tallest;
        QRect base, exp;
        for (size_t i = 0; i < parts.size(); ++i) {
            QRect &target = (digit && i >= split) ? exp : base;
            target = target.isNull() ? parts[i] : target.united(parts[i]);
        }
        auto toFull = [f](const QRect &r) { return QRectF(r.left() * f, r.top() * f, r.width() * f, r.height() * f); };
        w.base = toFull(base);
        if (!exp.isNull())
            w.exponent = toFull(exp);
        out.push_back(w);
    }
    std::sort(out.begin(), out.end(), [](const Word &a, const Word &b) { return a.along < b.along; });
    return out;
}

std::optional<double> parseLabel(const QString &baseText, const QString &exponentText)
{
    const QString base = normalised(baseText);
    auto finite = [](double v) -> std::optional<double> {
        if (std::isfinite(v))
            return v;
        return std::nullopt;
    };
    static const QRegularExpression plain(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d{1,3})?$"));
    static const QRegularExpression times(QStringLiteral("^(?:([+-]?(?:\\d+\\.?\\d*|\\.\\d+))x)?10(?:\\^([+-]?\\d{1,3}))?$"));
    if (!exponentText.isEmpty()) {
        const QString e = normalised(exponentText);
        static const QRegularExpression intRe(QStringLiteral("^[+-]?\\d{1,3}$"));
        if (!intRe.match(e).hasMatch())
            return std::nullopt;
        const auto m = times.match(base);
        if (!m.hasMatch() || !m.captured(2).isEmpty())
            return std::nullopt;
        const double mant = m.captured(1).isEmpty() ? 1.0 : m.captured(1).toDouble();
        return finite(mant * std::pow(10.0, e.toInt()));
    }
    if (plain.match(base).hasMatch())
        return finite(base.toDouble());
    if (const auto m = times.match(base); m.hasMatch() && !m.captured(2).isEmpty()) {
        const double mant = m.captured(1).isEmpty() ? 1.0 : m.captured(1).toDouble();
        return finite(mant * std::pow(10.0, m.captured(2).toInt()));
    }
    return std::nullopt;
}

} // namespace orv::autocal
