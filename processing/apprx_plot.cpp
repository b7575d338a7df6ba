#include "processing/apprx_plot.h"

#include "processing/equation.h"
#include "processing/evaluator.h"

#include <cmath>

namespace orv {

QPointF ApprxPlot::toPixel(QPointF v, QSizeF size) const
{
    return {(v.x() - left) / (right - left) * size.width(), (top - v.y()) / (top - bottom) * size.height()};
}

QPointF ApprxPlot::toValue(QPointF p, QSizeF size) const
{
    return {left + p.x() / size.width() * (right - left), top - p.y() / size.height() * (top - bottom)};
}

QString plotRangeMessage()
{
    return QStringLiteral("エラー！(No.6)(グラフの範囲が不正です。左下と右上のX値、Y値にはそれぞれ異なる値を入力して下さい。)");
}

std::expected<ApprxPlot, QString> plotFrame(double llx, double rux, double lly, double ruy)
{
    const double dx = (rux - llx) / 500, dy = (ruy - lly) / 500;
    for (double v : {llx, rux, lly, ruy, dx, dy})
        if (!std::isfinite(v))
            return std::unexpected(plotRangeMessage());
    if (dx == 0 || dy == 0)
        return std::unexpected(plotRangeMessage());
    ApprxPlot p;
    p.left = llx - 50 * dx;
    p.right = rux + 50 * dx;
    p.top = ruy + 50 * dy;
    p.bottom = lly - 50 * dy;
    if (!(p.left != p.right && p.top != p.bottom) || !std::isfinite(p.right - p.left) ||
        !std::isfinite(p.top - p.bottom))
        return std::unexpected(plotRangeMessage());
    p.frame = {QLineF(llx, lly, rux, lly), QLineF(rux, lly, rux, ruy), QLineF(rux, ruy, llx, ruy),
               QLineF(llx, ruy, llx, lly)};
    return p;
}

std::expected<double, QString> curveValue(const QString &equation, const QString &kindName, double v)
{
    QString e = evalExpression(equation, kindName, v);
    if (!(v > 0) && e.contains(u"Log")) {
        e = replaceEqtn(equation, kindName, u"0.00001");
        e.replace(QStringLiteral("Ln"), QStringLiteral("Log"));
    }
    auto r = evaluateExpression(e);
    if (!r)
        return std::unexpected(evalErrorText(r.error()));
    return *r;
}

std::expected<std::vector<QLineF>, QString> sampleCurve(const QString &equation, const QString &kindName,
                                                         double llx, double rux)
{
    const double dx = (rux - llx) / 500;
    if (!std::isfinite(dx) || dx == 0)
        return std::unexpected(plotRangeMessage());
    std::vector<QLineF> out;
    out.reserve(502);
    double x = llx;
    auto inside = [&](double v) { return dx > 0 ? v <= rux : v >= rux; };
    // The previous segment's right end is the next one's left end: evaluate it once.
    auto y1 = curveValue(equation, kindName, x);
    if (!y1)
        return std::unexpected(y1.error());
    while (inside(x)) {
        const double x2 = x + dx;
        if (x2 == x) // a step below the resolution of x would never end
            return std::unexpected(plotRangeMessage());
        auto y2 = curveValue(equation, kindName, x2);
        if (!y2)
            return std::unexpected(y2.error());
        out.emplace_back(float(x), float(*y1), float(x2), float(*y2));
        x = x2;
        y1 = y2;
    }
    return out;
}

} // namespace orv
