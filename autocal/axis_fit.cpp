#include "autocal/axis_fit.h"

#include "model/numtext.h"

#include <cmath>
#include <limits>

namespace orv::autocal {

namespace {

// Residuals beyond this many pixels make a label an outlier.
constexpr double kInlierPx = 1.5;
// Labels that agree this well make an axis sure.
constexpr double kSurePx = 0.5;

struct LineFit {
    double a = 0, b = 0;
    std::vector<bool> in;
    int n = 0;
    double sumRes = 0, maxRes = 0;
};

double residualPx(double f, double y, double a, double b, double edgePx)
{
    return std::abs(y - (a + b * f)) / std::abs(b) * edgePx;
}

void score(LineFit &fit, const std::vector<double> &f, const std::vector<double> &y, double edgePx)
{
    fit.in.assign(f.size(), false);
    fit.n = 0;
    fit.sumRes = fit.maxRes = 0;
    for (size_t k = 0; k < f.size(); ++k) {
        const double r = residualPx(f[k], y[k], fit.a, fit.b, edgePx);
        if (r < kInlierPx) {
            fit.in[k] = true;
            ++fit.n;
            fit.sumRes += r;
            fit.maxRes = std::max(fit.maxRes, r);
        }
    }
}

LineFit robustFit(const std::vector<double> &f, const std::vector<double> &y, double edgePx)
{
    LineFit best;
    for (size_t i = 0; i < f.size(); ++i)
        for (size_t j = i + 1; j < f.size(); ++j) {
            // Two labels on one tick say nothing about the scale.
            if (std::abs(f[j] - f[i]) * edgePx < 2 || y[j] == y[i])
                continue;
            LineFit t;
            t.b = (y[j] - y[i]) / (f[j] - f[i]);
            t.a = y[i] - t.b * f[i];
            score(t, f, y, edgePx);
            if (t.n > best.n || (t.n == best.n && t.sumRes < best.sumRes))
                best = t;
        }
    // Least squares on the labels that agree, then their agreement again.
    for (int pass = 0; pass < 3 && best.n >= 2; ++pass) {
        double n = 0, sf = 0, sy = 0, sff = 0, sfy = 0;
        for (size_t k = 0; k < f.size(); ++k)
            if (best.in[k]) {
                n += 1;
                sf += f[k];
                sy += y[k];
                sff += f[k] * f[k];
                sfy += f[k] * y[k];
            }
        const double det = n * sff - sf * sf;
        if (std::abs(det) < 1e-15)
            break;
        LineFit t;
        t.b = (n * sfy - sf * sy) / det;
        t.a = (sy - t.b * sf) / n;
        if (t.b == 0)
            break;
        score(t, f, y, edgePx);
        if (t.n < 2)
            break;
        best = t;
    }
    return best;
}

// Ticks between two adjacent powers of ten where a log axis puts 2..9.
bool logMinorPattern(double f0, double f1, const std::vector<double> &ticks, double edgePx)
{
    int matched = 0;
    for (int k = 2; k <= 9; ++k) {
        const double expect = f0 + (f1 - f0) * std::log10(double(k));
        for (double t : ticks)
            if (std::abs(t - expect) * edgePx <= std::max(1.5, 0.01 * std::abs(f1 - f0) * edgePx)) {
                ++matched;
                break;
            }
    }
    return matched >= 6;
}

bool isPowerOfTen(double v, int *e)
{
    if (v <= 0)
        return false;
    const double l = std::log10(v);
    *e = int(std::lround(l));
    return std::abs(l - *e) < 1e-9;
}

} // namespace

AxisFit fitAxis(const std::vector<double> &fraction, const std::vector<double> &value, double edgePx,
                const std::vector<double> &tickFractions)
{
    AxisFit out;
    out.used.assign(value.size(), false);
    out.residualPx.assign(value.size(), std::numeric_limits<double>::infinity());
    if (value.size() < 2 || !(edgePx > 0))
        return out;
    LineFit lin = robustFit(fraction, value, edgePx);
    LineFit lg;
    std::vector<double> logs;
    bool positive = true;
    for (double v : value)
        positive = positive && v > 0;
    std::vector<size_t> posIdx;
    for (size_t k = 0; k < value.size(); ++k)
        if (value[k] > 0)
            posIdx.push_back(k);
    // The logarithm of the positive labels (a misread negative is an outlier there too).
    std::vector<double> pf, pl;
    for (size_t k : posIdx) {
        pf.push_back(fraction[k]);
        pl.push_back(std::log10(value[k]));
    }
    if (pf.size() >= 2)
        lg = robustFit(pf, pl, edgePx);
    bool useLog = lg.n >= 3 && (lg.n > lin.n || (lg.n == lin.n && lg.sumRes < lin.sumRes));
    if (!useLog && lin.n <= 2 && lg.n == 2) {
        // Only two labels: powers of ten a decade apart with the minor ticks of a log axis between them.
        std::vector<size_t> in;
        for (size_t k = 0; k < pf.size(); ++k)
            if (lg.in[k])
                in.push_back(k);
        int e0 = 0, e1 = 0;
        if (in.size() == 2 && isPowerOfTen(std::pow(10.0, pl[in[0]]), &e0) && isPowerOfTen(std::pow(10.0, pl[in[1]]), &e1)
            && std::abs(e1 - e0) == 1) {
            const double fa = e0 < e1 ? pf[in[0]] : pf[in[1]], fb = e0 < e1 ? pf[in[1]] : pf[in[0]];
            useLog = logMinorPattern(fa, fb, tickFractions, edgePx);
        }
    }
    const LineFit &fit = useLog ? lg : lin;
    if (fit.n < 2)
        return out;
    out.found = true;
    out.log = useLog;
    out.v0 = fit.a;
    out.v1 = fit.a + fit.b;
    double sum2 = 0;
    for (size_t k = 0; k < value.size(); ++k) {
        if (useLog && value[k] <= 0)
            continue;
        const double y = useLog ? std::log10(value[k]) : value[k];
        out.residualPx[k] = residualPx(fraction[k], y, fit.a, fit.b, edgePx);
    }
    if (useLog) {
        for (size_t i = 0; i < posIdx.size(); ++i)
            out.used[posIdx[i]] = fit.in[i];
    } else {
        out.used = fit.in;
    }
    for (size_t k = 0; k < value.size(); ++k)
        if (out.used[k])
            sum2 += out.residualPx[k] * out.residualPx[k];
    out.rmsPx = std::sqrt(sum2 / fit.n);
    // Sure: at least three labelled ticks agree with the fit within half a pixel.
    int close = 0;
    for (size_t k = 0; k < value.size(); ++k)
        close += out.used[k] && out.residualPx[k] < kSurePx;
    out.sure = close >= 3;
    return out;
}

QString shortestText(double target, double tolerance, bool log)
{
    QString best;
    auto consider = [&](const QString &t) {
        const auto v = readStrict(t);
        if (!v || !std::isfinite(*v) || (log && *v <= 0))
            return;
        const double y = log ? std::log10(*v) : *v;
        if (std::abs(y - target) > tolerance)
            return;
        const bool exp = t.contains(u'e');
        const bool bestExp = best.contains(u'e');
        if (best.isEmpty() || t.size() < best.size() || (t.size() == best.size() && bestExp && !exp))
            best = t;
    };
    const double v = log ? std::pow(10.0, target) : target;
    for (int p = 1; p <= 17; ++p)
        consider(QString::number(v, 'g', p));
    for (int d = 0; d <= 17; ++d)
        consider(QString::number(v, 'f', d));
    if (best.isEmpty())
        best = QString::number(v, 'g', 17);
    // "-0" reads as 0 but looks odd.
    if (best == u"-0")
        best = QStringLiteral("0");
    return best;
}

} // namespace orv::autocal
