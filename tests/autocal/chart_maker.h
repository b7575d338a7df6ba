#pragma once
// Charts drawn by the calibration tests with a known mapping: a frame (a
// full box or only the left and bottom axes), ticks in or out, gridlines,
// labels in a chosen font and size (plain, decimal, negative, exponent, or
// powers of ten with a raised exponent), a title, a legend and a text box
// with numbers in them; then optionally turned, greyed and noised, and
// seen at an angle. The true graph value of every picture position is known.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>
#include <cmath>
#include <functional>
#include <vector>

namespace chartmaker {

struct Axis {
    double lo = 0, hi = 10; // values at the frame's ends
    bool log = false;
    std::vector<double> ticks;            // labelled ticks (values)
    std::function<QString(double)> label; // default: QString::number
    bool raised = false;                  // "10" with a raised exponent
    bool minorLog = false;                // minor ticks 2..9 in each decade
    int wrong = -1;                       // this label is drawn with a wrong value
};

struct ChartPlan {
    QSize size{1000, 700};
    QRectF frame{110, 60, 820, 540}; // the plot frame in the flat drawing
    Axis x, y;
    QString family = QStringLiteral("DejaVu Sans");
    int pointSize = 10;
    bool fullBox = true;
    bool ticksInside = false;
    bool grid = false;
    bool clutter = false; // title, legend and text box with numbers
    bool curve = true;
    double rotateDeg = 0;
    bool keystone = false;
    bool grey = false; // grey paper with noise
};

inline double frac(const Axis &a, double v)
{
    return a.log ? (std::log10(v) - std::log10(a.lo)) / (std::log10(a.hi) - std::log10(a.lo)) : (v - a.lo) / (a.hi - a.lo);
}
inline double valueAt(const Axis &a, double f)
{
    return a.log ? std::pow(10.0, std::log10(a.lo) + f * (std::log10(a.hi) - std::log10(a.lo))) : a.lo + f * (a.hi - a.lo);
}

struct Chart {
    ChartPlan plan;
    QImage image;
    QTransform warp; // flat drawing -> picture
    // Each text drawn beside an axis (a raised exponent on its own), in the
    // flat drawing: what a perfect OCR would read there.
    struct Text {
        QRectF box;
        QString text;
    };
    std::vector<Text> texts;

    // The frame fractions of a picture position (inverse of the warp).
    QPointF fractions(QPointF picture) const
    {
        const QPointF flat = warp.inverted().map(picture);
        return QPointF((flat.x() - plan.frame.left()) / plan.frame.width(),
                       (plan.frame.bottom() - flat.y()) / plan.frame.height());
    }
    QPointF picturePoint(double u, double v) const
    {
        return warp.map(QPointF(plan.frame.left() + u * plan.frame.width(), plan.frame.bottom() - v * plan.frame.height()));
    }
};

inline QString defaultLabel(double v) { return QString::number(v, 'g', 10); }

inline Chart draw(const ChartPlan &s)
{
    Chart c;
    c.plan = s;
    QImage flat(s.size, QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QRectF f = s.frame;
        auto X = [&](double v) { return f.left() + frac(s.x, v) * f.width(); };
        auto Y = [&](double v) { return f.bottom() - frac(s.y, v) * f.height(); };
        QFont font(s.family);
        font.setPointSize(s.pointSize);
        p.setFont(font);
        const QFontMetricsF fm(font);
        QFont small = font;
        small.setPointSizeF(s.pointSize * 0.7);
        const QFontMetricsF sm(small);
        const double tick = 6, dir = s.ticksInside ? -1 : 1;
        if (s.grid) {
            p.setPen(QPen(QColor(200, 200, 200), 1));
            for (double v : s.x.ticks)
                p.drawLine(QPointF(X(v), f.top()), QPointF(X(v), f.bottom()));
            for (double v : s.y.ticks)
                p.drawLine(QPointF(f.left(), Y(v)), QPointF(f.right(), Y(v)));
        }
        if (s.curve) {
            p.setPen(QPen(QColor(30, 90, 200), 2));
            QPolygonF poly;
            for (int i = 0; i <= 200; ++i) {
                const double u = i / 200.0;
                poly << QPointF(f.left() + u * f.width(), f.bottom() - (0.15 + 0.7 * u * u) * f.height());
            }
            p.drawPolyline(poly);
        }
        p.setPen(QPen(Qt::black, 1.5));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 1));
        if (s.fullBox)
            p.drawRect(f.adjusted(0, 0, -1, -1));
        else {
            p.drawLine(QPointF(f.left(), f.top()), QPointF(f.left(), f.bottom() - 1));
            p.drawLine(QPointF(f.left(), f.bottom() - 1), QPointF(f.right() - 1, f.bottom() - 1));
        }
        // Ticks and labels.
        auto labelText = [](const Axis &a, int i) {
            double v = a.ticks[size_t(i)];
            if (i == a.wrong)
                v = v + (a.ticks.size() > 1 ? 3.7 * (a.ticks[1] - a.ticks[0]) : 7);
            return a.label ? a.label(v) : defaultLabel(v);
        };
        auto drawLabel = [&](const Axis &a, int i, QPointF anchor, bool below) {
            if (a.raised) {
                // 10 with its exponent raised, in a smaller size.
                const int e = int(std::lround(std::log10(a.ticks[size_t(i)]))) + (i == a.wrong ? 2 : 0);
                const QString base = QStringLiteral("10"), exp = QString::number(e).replace(u'-', QChar(0x2212));
                const double w = fm.horizontalAdvance(base) + sm.horizontalAdvance(exp);
                const double x0 = below ? anchor.x() - w / 2 : anchor.x() - w;
                const double baseY = below ? anchor.y() + fm.ascent() + 0.3 * fm.ascent() : anchor.y() + fm.ascent() / 2 - 1;
                p.setFont(font);
                p.drawText(QPointF(x0, baseY), base);
                p.setFont(small);
                p.drawText(QPointF(x0 + fm.horizontalAdvance(base), baseY - 0.5 * fm.ascent()), exp);
                p.setFont(font);
                c.texts.push_back({QRectF(x0, baseY - fm.ascent(), fm.horizontalAdvance(base), fm.ascent()), base});
                c.texts.push_back({QRectF(x0 + fm.horizontalAdvance(base), baseY - 0.5 * fm.ascent() - sm.ascent(),
                                          sm.horizontalAdvance(exp), sm.ascent()),
                                   exp});
                return;
            }
            const QString t = labelText(a, i);
            const double w = fm.horizontalAdvance(t);
            const QPointF at = below ? QPointF(anchor.x() - w / 2, anchor.y() + fm.ascent())
                                     : QPointF(anchor.x() - w, anchor.y() + fm.ascent() / 2 - 1);
            p.drawText(at, t);
            c.texts.push_back({QRectF(at.x(), at.y() - fm.ascent(), w, fm.ascent()), t});
        };
        const double gap = 4;
        // Ticks where their values are (antialiased), not snapped to pixels.
        p.setRenderHint(QPainter::Antialiasing, true);
        for (int i = 0; i < int(s.x.ticks.size()); ++i) {
            const double x = X(s.x.ticks[size_t(i)]);
            p.drawLine(QPointF(x, f.bottom() - 0.5), QPointF(x, f.bottom() - 0.5 + dir * tick));
            drawLabel(s.x, i, QPointF(X(s.x.ticks[size_t(i)]), f.bottom() + (s.ticksInside ? 0 : tick) + gap), true);
        }
        for (int i = 0; i < int(s.y.ticks.size()); ++i) {
            const double y = Y(s.y.ticks[size_t(i)]);
            p.drawLine(QPointF(f.left() + 0.5, y), QPointF(f.left() + 0.5 - dir * tick, y));
            drawLabel(s.y, i, QPointF(f.left() - (s.ticksInside ? 0 : tick) - gap, Y(s.y.ticks[size_t(i)])), false);
        }
        for (const Axis *a : {&s.x, &s.y}) {
            if (!a->minorLog)
                continue;
            for (double d = std::floor(std::log10(a->lo)); d < std::log10(a->hi); d += 1)
                for (int k = 2; k <= 9; ++k) {
                    const double v = k * std::pow(10.0, d);
                    if (v <= a->lo || v >= a->hi)
                        continue;
                    if (a == &s.x) {
                        const double x = X(v);
                        p.drawLine(QPointF(x, f.bottom() - 0.5), QPointF(x, f.bottom() - 0.5 + dir * tick / 2));
                    } else {
                        const double y = Y(v);
                        p.drawLine(QPointF(f.left() + 0.5, y), QPointF(f.left() + 0.5 - dir * tick / 2, y));
                    }
                }
        }
        if (s.clutter) {
            QFont big = font;
            big.setPointSize(s.pointSize + 4);
            p.setFont(big);
            p.drawText(QRectF(0, 0, s.size.width(), f.top()), Qt::AlignCenter, QStringLiteral("Run 42: 2019 to 2023"));
            p.setFont(font);
            const QRectF legend(f.right() - 190, f.top() + 15, 170, 2.6 * fm.height());
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(Qt::white);
            p.drawRect(legend);
            p.drawText(legend.adjusted(8, 4, 0, 0), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("T = 300 K\nn = 25"));
            p.drawText(QPointF(f.left() + 30, f.top() + 40), QStringLiteral("R2 = 0.987"));
            p.drawText(QPointF(f.center().x() - 40, s.size.height() - 8), QStringLiteral("Time (s) 10 20"));
        }
    }
    c.image = flat;
    const QSizeF size = s.size;
    if (s.rotateDeg != 0) {
        c.warp.translate(size.width() / 2, size.height() / 2);
        c.warp.rotate(s.rotateDeg);
        c.warp.translate(-size.width() / 2, -size.height() / 2);
    }
    if (s.keystone) {
        const QPolygonF from{QPointF(0, 0), QPointF(size.width(), 0), QPointF(size.width(), size.height()),
                             QPointF(0, size.height())};
        const QPolygonF to{QPointF(0.06 * size.width(), 0.05 * size.height()), QPointF(0.95 * size.width(), 0.0),
                           QPointF(size.width(), size.height()), QPointF(0.0, 0.93 * size.height())};
        QTransform::quadToQuad(from, to, c.warp);
    }
    if (s.rotateDeg != 0 || s.keystone || s.grey) {
        QImage out(s.size, QImage::Format_RGB32);
        out.fill(s.grey ? QColor(215, 212, 205) : QColor(Qt::white));
        {
            QPainter p(&out);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.setRenderHint(QPainter::Antialiasing);
            p.setTransform(c.warp);
            if (s.grey)
                p.setCompositionMode(QPainter::CompositionMode_Multiply);
            p.drawImage(0, 0, flat);
        }
        if (s.grey) {
            QRandomGenerator rng(7);
            for (int y = 0; y < out.height(); ++y) {
                QRgb *row = reinterpret_cast<QRgb *>(out.scanLine(y));
                for (int x = 0; x < out.width(); ++x) {
                    const int n = int(rng.bounded(25)) - 12;
                    const int g = std::clamp(qGray(row[x]) + n, 0, 255);
                    row[x] = qRgb(g, g, g);
                }
            }
        }
        c.image = out;
    }
    return c;
}

} // namespace chartmaker
