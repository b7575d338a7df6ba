#include "model/grid_lines.h"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

QString label(double v)
{
    if (std::abs(v) < 1e-300)
        v = 0; // no "-0"
    return QString::number(v, 'g', 6);
}

} // namespace

std::vector<double> linearGridValues(double a, double b)
{
    std::vector<double> out;
    const double lo = std::min(a, b), hi = std::max(a, b), range = hi - lo;
    if (!std::isfinite(range) || !(range > 0))
        return out;
    const double base = std::pow(10.0, std::floor(std::log10(range / 10)));
    // A value a hair beyond an end (rounding of the corner text) still counts.
    double step = base;
    long long first = 0, last = -1;
    for (double m : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0}) {
        step = m * base;
        const double eps = 1e-9 * range / step;
        first = (long long)std::ceil(lo / step - eps);
        last = (long long)std::floor(hi / step + eps);
        if (last - first + 1 <= 10)
            break;
    }
    for (long long k = first; k <= last; ++k)
        out.push_back(double(k) * step);
    if (a > b)
        std::reverse(out.begin(), out.end());
    return out;
}

std::vector<double> logGridValues(double a, double b)
{
    std::vector<double> out;
    if (!(a > 0) || !(b > 0) || !std::isfinite(a) || !std::isfinite(b) || a == b)
        return out;
    const double lo = std::min(a, b), hi = std::max(a, b);
    const double la = std::log10(lo), lb = std::log10(hi), decades = lb - la;
    const double eps = 1e-9 * decades;
    auto inside = [&](double v) { const double l = std::log10(v); return l >= la - eps && l <= lb + eps; };
    const int e0 = int(std::floor(la)) , e1 = int(std::ceil(lb));
    const int every = decades > 10 ? int(std::ceil(decades / 10)) : 1;
    std::vector<int> mults = {1};
    if (decades <= 4)
        mults = {1, 2, 5};
    for (int pass = 0; pass < 2; ++pass) {
        out.clear();
        for (int e = e0; e <= e1; ++e) {
            if (e % every != 0)
                continue;
            for (int m : mults) {
                const double v = m * std::pow(10.0, e);
                if (inside(v))
                    out.push_back(v);
            }
        }
        if (out.size() >= 3 || decades > 1)
            break;
        mults = {1, 2, 3, 4, 5, 6, 7, 8, 9}; // under a decade: every digit
    }
    if (out.size() < 3)
        out = linearGridValues(lo, hi); // within one digit's step: plain round values
    if (a > b)
        std::reverse(out.begin(), out.end());
    return out;
}

std::expected<std::vector<GridLine>, ConvError> frameGridLines(const FrameMap &map, const FrameSpec &f)
{
    std::vector<GridLine> out;
    for (int axis = 0; axis < 2; ++axis) {
        const bool x = axis == 0;
        const double a = x ? f.xa : f.ya, b = x ? f.xb : f.yb; // in the axis' own space
        const bool log = x ? f.xLog : f.yLog;
        if (!(a != b))
            continue;
        const std::vector<double> values =
            log ? logGridValues(std::pow(10.0, a), std::pow(10.0, b)) : linearGridValues(a, b);
        for (double v : values) {
            const double t = ((log ? std::log10(v) : v) - a) / (b - a);
            auto p1 = x ? map.fractionToPicture(f, t, 0) : map.fractionToPicture(f, 0, t);
            auto p2 = x ? map.fractionToPicture(f, t, 1) : map.fractionToPicture(f, 1, t);
            if (!p1)
                return std::unexpected(p1.error());
            if (!p2)
                return std::unexpected(p2.error());
            out.push_back({x, v, label(v), QLineF(*p1, *p2)});
        }
    }
    return out;
}

std::expected<std::vector<GridLine>, ConvError> frameGridLines(const CalibPanel &panel)
{
    auto f = readFrame(panel);
    if (!f)
        return std::unexpected(f.error());
    return frameGridLines(frameMap(panel), *f);
}

} // namespace orv
