#include "processing/apprx_plot.h"

#include "processing/equation.h"
#include "processing/evaluator.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <optional>

namespace orv {

QPointF ApprxPlot::toPixel(QPointF v, QSizeF size) const
{
    return {(v.x() - left) / (right - left) * size.width(), (top - v.y()) / (top - bottom) * size.height()};
}

QPointF ApprxPlot::toValue(QPointF p, QSizeF size) const
{
    return {left + p.x() / size.width() * (right - left), top - p.y() / size.height() * (top - bottom)};
}

QSize fitPlotSize(QSizeF natural, QSize room)
{
    constexpr double minW = 120, minH = 100;
    double w = std::isfinite(natural.width()) ? std::max(minW, natural.width()) : minW;
    double h = std::isfinite(natural.height()) ? std::max(minH, natural.height()) : minH;
    const double k = std::min({1.0, std::max(minW, double(room.width())) / w, std::max(minH, double(room.height())) / h});
    w *= k;
    h *= k;
    return {std::max(int(minW), int(std::floor(w))), std::max(int(minH), int(std::floor(h)))};
}

QString plotRangeMessage()
{
    return QCoreApplication::translate("Processing", "エラー！(No.6)(グラフの範囲が不正です。左下と右上のX値、Y値にはそれぞれ異なる値を入力して下さい。)");
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
    // Where the curve is undefined (0 to a negative power, a fractional power
    // of a negative x, an overflow) the plot leaves a gap and draws the rest;
    // only a curve defined nowhere is a failure, reported with the first
    // failure's description. A value beyond the drawing's single precision
    // counts as an overflow.
    QString firstFailure;
    auto valueAt = [&](double v) -> std::optional<double> {
        auto y = curveValue(equation, kindName, v);
        if (y && !std::isfinite(float(*y)))
            y = std::unexpected(evalErrorText(EvalError::Overflow));
        if (!y) {
            if (firstFailure.isEmpty())
                firstFailure = y.error();
            return std::nullopt;
        }
        return *y;
    };
    // The previous segment's right end is the next one's left end: evaluate it once.
    auto y1 = valueAt(x);
    while (inside(x)) {
        const double x2 = x + dx;
        if (x2 == x) // a step below the resolution of x would never end
            return std::unexpected(plotRangeMessage());
        const auto y2 = valueAt(x2);
        if (y1 && y2)
            out.emplace_back(float(x), float(*y1), float(x2), float(*y2));
        x = x2;
        y1 = y2;
    }
    if (out.empty())
        return std::unexpected(firstFailure.isEmpty() ? evalErrorText(EvalError::InvalidArgument) : firstFailure);
    return out;
}

} // namespace orv
