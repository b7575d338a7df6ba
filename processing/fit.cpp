#include "processing/fit.h"

#include "model/numtext.h"

#include <Eigen/Dense>
#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace orv {

QString fitErrorDetail(FitError e)
{
    switch (e) {
    case FitError::UnknownKind: return QCoreApplication::translate("Processing", "近似の種類が不明です");
    case FitError::NoData: return QCoreApplication::translate("Processing", "X と Y の両方がある行がありません");
    case FitError::TooManyRows: return QCoreApplication::translate("Processing", "1000 行を超えています");
    case FitError::NonFiniteData: return QCoreApplication::translate("Processing", "有限の数でない値があります");
    case FitError::NonPositiveX: return QCoreApplication::translate("Processing", "この種類では x がすべて 0 より大きい必要があります");
    case FitError::NonPositiveY: return QCoreApplication::translate("Processing", "この種類では y がすべて 0 より大きい必要があります");
    case FitError::BadIntercept:
        return QCoreApplication::translate("Processing", "固定値は有限の数で、指数近似では 0 より大きい必要があります");
    case FitError::BadDegree: return QCoreApplication::translate("Processing", "次数は 2 から 6 です");
    case FitError::TooFewPoints: return QCoreApplication::translate("Processing", "この種類と次数には、異なる x の値が足りません");
    case FitError::Singular: return QCoreApplication::translate("Processing", "連立方程式が特異で解けません");
    case FitError::NonFiniteResult: return QCoreApplication::translate("Processing", "結果が有限の数になりません");
    }
    return {};
}

QString fitFailureMessage() { return QCoreApplication::translate("Processing", "エラー！(No.4)(エクセル起動、又は近似式作成エラー)"); }

QString fitFailureMessage(const QString &reason) { return fitFailureMessage() + u'\n' + u'(' + reason + u')'; }

bool fitRowHasValues(const QString &xText, const QString &yText)
{
    return !xText.trimmed().isEmpty() && !yText.trimmed().isEmpty();
}

QString rowsLeftOutText(int count)
{
    if (count <= 0)
        return {};
    return QCoreApplication::translate("Processing", "X値またはY値のない%1行は近似に使いませんでした。").arg(count);
}

namespace {

bool allFinite(std::span<const double> v)
{
    return std::all_of(v.begin(), v.end(), [](double d) { return std::isfinite(d); });
}

int distinctCount(std::span<const double> t, bool skipZero)
{
    std::vector<double> s;
    s.reserve(t.size());
    for (double v : t)
        if (!(skipZero && v == 0))
            s.push_back(v);
    std::sort(s.begin(), s.end());
    return int(std::unique(s.begin(), s.end()) - s.begin());
}

} // namespace

std::expected<PolyFit, FitError> polyFit(std::span<const double> t, std::span<const double> z, int degree,
                                         std::optional<double> fixedC0)
{
    const Eigen::Index n = Eigen::Index(std::min(t.size(), z.size()));
    if (n == 0)
        return std::unexpected(FitError::NoData);
    if (!allFinite(t.first(size_t(n))) || !allFinite(z.first(size_t(n))))
        return std::unexpected(FitError::NonFiniteData);
    if (degree < 1)
        return std::unexpected(FitError::BadDegree);
    if (fixedC0 && !std::isfinite(*fixedC0))
        return std::unexpected(FitError::BadIntercept);

    // With c0 fixed the model is z - c0 = t q(t), q of degree - 1.
    const bool fixed = fixedC0.has_value();
    const int cols = fixed ? degree : degree + 1;
    if (distinctCount(t.first(size_t(n)), fixed) < cols)
        return std::unexpected(FitError::TooFewPoints);

    // Centre and scale t to u in [-1, 1]: the powers of u stay well apart
    // where the powers of t (say 1000..1010) are nearly parallel. The scales
    // are powers of two so that scaling adds no rounding: exact data then
    // gives exact coefficients (y=2x+1, not 2.0000000000000004).
    const auto [mn, mx] = std::minmax_element(t.begin(), t.begin() + n);
    const double m = *mn / 2 + *mx / 2;
    const double half = *mx / 2 - *mn / 2;
    const double s = half > 0 ? std::ldexp(1.0, std::ilogb(half) + 1) : 1.0;

    Eigen::MatrixXd A(n, cols);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double u = (t[size_t(i)] - m) / s;
        double p = fixed ? t[size_t(i)] : 1.0;
        for (int k = 0; k < cols; ++k) {
            A(i, k) = p;
            p *= u;
        }
        b(i) = fixed ? z[size_t(i)] - *fixedC0 : z[size_t(i)];
    }
    Eigen::VectorXd scale(cols);
    for (int k = 0; k < cols; ++k) {
        const double norm = A.col(k).norm();
        if (!(norm > 0) || !std::isfinite(norm))
            return std::unexpected(FitError::Singular);
        scale(k) = std::ldexp(1.0, std::ilogb(norm));
        A.col(k) /= scale(k);
    }
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(A);
    if (qr.rank() < cols)
        return std::unexpected(FitError::Singular);
    Eigen::VectorXd d = qr.solve(b);
    // Two steps of refinement with the residual in long double bring the
    // solution to the accuracy the data allow.
    auto residual = [&](Eigen::VectorXd &r) {
        for (Eigen::Index i = 0; i < n; ++i) {
            long double acc = b(i);
            for (int k = 0; k < cols; ++k)
                acc -= static_cast<long double>(A(i, k)) * d(k);
            r(i) = double(acc);
        }
    };
    Eigen::VectorXd r(n);
    for (int step = 0; step < 2; ++step) {
        residual(r);
        if (!r.allFinite())
            return std::unexpected(FitError::NonFiniteResult);
        d += qr.solve(r);
    }
    Eigen::VectorXd fittedV(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        long double acc = 0;
        for (int k = 0; k < cols; ++k)
            acc += static_cast<long double>(A(i, k)) * d(k);
        fittedV(i) = double(acc);
    }
    d = d.cwiseQuotient(scale);

    PolyFit out;
    out.fitted.resize(size_t(n));
    for (Eigen::Index i = 0; i < n; ++i)
        out.fitted[size_t(i)] = fittedV(i) + (fixed ? *fixedC0 : 0.0);

    // Back to powers of t: Horner on the polynomial (t - m) / s, in long double
    // so that the conversion adds no error of its own beyond the final rounding.
    std::vector<long double> q{static_cast<long double>(d(cols - 1))};
    const long double alpha = 1.0L / s, beta = -static_cast<long double>(m) / s;
    for (int k = cols - 2; k >= 0; --k) {
        std::vector<long double> next(q.size() + 1, 0.0L);
        for (size_t j = 0; j < q.size(); ++j) {
            next[j] += beta * q[j];
            next[j + 1] += alpha * q[j];
        }
        next[0] += d(k);
        q = std::move(next);
    }
    if (fixed) {
        out.coeffs.push_back(*fixedC0);
        for (long double c : q)
            out.coeffs.push_back(double(c));
    } else {
        for (long double c : q)
            out.coeffs.push_back(double(c));
    }
    out.coeffs.resize(size_t(degree) + 1, 0.0);

    long double ssRes = 0, ssTot = 0, mean = 0;
    for (Eigen::Index i = 0; i < n; ++i)
        mean += z[size_t(i)];
    mean /= n;
    const long double ref = fixed ? static_cast<long double>(*fixedC0) : mean;
    for (Eigen::Index i = 0; i < n; ++i) {
        const long double r = static_cast<long double>(z[size_t(i)]) - out.fitted[size_t(i)];
        const long double c = static_cast<long double>(z[size_t(i)]) - ref;
        ssRes += r * r;
        ssTot += c * c;
    }
    out.r2 = ssTot > 0 ? double(1.0L - ssRes / ssTot) : (ssRes == 0 ? 1.0 : 0.0);

    if (!allFinite(out.coeffs) || !allFinite(out.fitted) || !std::isfinite(out.r2))
        return std::unexpected(FitError::NonFiniteResult);
    return out;
}

namespace {

// Rounding leaves traces where a coefficient should be 0 (constant data gives
// "6.8E-49x2", exact y = 1000x gives "-4.2E-17" as the constant). A term whose
// largest size over the data's x range stays below 1e-12 of the largest |y|
// is such a trace; it is written as 0. The fitted values are left as they
// are: they differ by less than that tolerance.
void zeroNoiseCoefficients(CurveFit &f, bool constantFixed, std::span<const double> x, std::span<const double> y)
{
    double yScale = 0, xMax = 0, lnMax = 0;
    for (double v : y)
        yScale = std::max(yScale, std::abs(v));
    for (double v : x) {
        xMax = std::max(xMax, std::abs(v));
        if (v > 0)
            lnMax = std::max(lnMax, std::abs(std::log(v)));
    }
    const double tol = 1e-12 * yScale;
    auto noise = [tol](double size) { return size < tol; };
    auto &c = f.coeffs;
    switch (f.kind) {
    case FitKind::Linear:
    case FitKind::Poly:
        for (size_t k = constantFixed ? 1 : 0; k < c.size(); ++k)
            if (noise(std::abs(c[k]) * std::pow(xMax, double(k))))
                c[k] = 0;
        break;
    case FitKind::Log: // b, a
        if (noise(std::abs(c[0])))
            c[0] = 0;
        if (noise(std::abs(c[1]) * lnMax))
            c[1] = 0;
        break;
    case FitKind::Power: // a x^b: b moves y by a (x^b - 1)
    case FitKind::Exp: { // a e^(b x): b moves y by a (e^(b x) - 1)
        double size = 0;
        for (double v : x)
            size = std::max(size, std::abs(c[0] * std::expm1(c[1] * (f.kind == FitKind::Power ? std::log(v) : v))));
        if (noise(size))
            c[1] = 0;
        break;
    }
    }
}

} // namespace

std::expected<CurveFit, FitError> fitCurve(FitKind kind, int degree, std::optional<double> fixed,
                                           std::span<const double> x, std::span<const double> y)
{
    const size_t n = std::min(x.size(), y.size());
    x = x.first(n);
    y = y.first(n);
    if (n == 0)
        return std::unexpected(FitError::NoData);
    if (!allFinite(x) || !allFinite(y))
        return std::unexpected(FitError::NonFiniteData);

    CurveFit out;
    out.kind = kind;
    auto positive = [](std::span<const double> v) {
        return std::all_of(v.begin(), v.end(), [](double d) { return d > 0; });
    };
    auto logOf = [](std::span<const double> v) {
        std::vector<double> r(v.size());
        std::transform(v.begin(), v.end(), r.begin(), [](double d) { return std::log(d); });
        return r;
    };

    switch (kind) {
    case FitKind::Linear:
    case FitKind::Poly: {
        const int deg = kind == FitKind::Linear ? 1 : degree;
        if (deg < 1 || deg > 6)
            return std::unexpected(FitError::BadDegree);
        auto p = polyFit(x, y, deg, fixed);
        if (!p)
            return std::unexpected(p.error());
        out.coeffs = std::move(p->coeffs);
        out.fitted = std::move(p->fitted);
        out.r2 = p->r2;
        out.constantFixedAtZero = fixed && *fixed == 0;
        break;
    }
    case FitKind::Log: {
        if (!positive(x))
            return std::unexpected(FitError::NonPositiveX);
        const auto lx = logOf(x);
        auto p = polyFit(lx, y, 1, std::nullopt);
        if (!p)
            return std::unexpected(p.error());
        out.coeffs = std::move(p->coeffs); // b, a
        out.fitted = std::move(p->fitted);
        out.r2 = p->r2;
        break;
    }
    case FitKind::Power:
    case FitKind::Exp: {
        // Fitted on the log scale, as spreadsheet trendlines are: ln y = ln a + b t.
        if (kind == FitKind::Power && !positive(x))
            return std::unexpected(FitError::NonPositiveX);
        if (!positive(y))
            return std::unexpected(FitError::NonPositiveY);
        std::optional<double> lnA;
        if (kind == FitKind::Exp && fixed) {
            if (!(*fixed > 0) || !std::isfinite(*fixed))
                return std::unexpected(FitError::BadIntercept);
            lnA = std::log(*fixed);
        }
        const auto ly = logOf(y);
        const auto lx = kind == FitKind::Power ? logOf(x) : std::vector<double>(x.begin(), x.end());
        auto p = polyFit(lx, ly, 1, lnA);
        if (!p)
            return std::unexpected(p.error());
        const double a = lnA ? *fixed : std::exp(p->coeffs[0]);
        out.coeffs = {a, p->coeffs[1]};
        out.fitted.resize(n);
        for (size_t i = 0; i < n; ++i)
            out.fitted[i] = std::exp(p->fitted[i]);
        out.r2 = p->r2;
        break;
    }
    }
    if (!allFinite(out.coeffs) || !allFinite(out.fitted))
        return std::unexpected(FitError::NonFiniteResult);
    zeroNoiseCoefficients(out, fixed.has_value(), x, y);
    return out;
}

std::expected<FitResponse, FitError> NativeFitter::fit(const FitRequest &req)
{
    const auto kind = fitKindFromName(req.kindName);
    if (!kind)
        return std::unexpected(FitError::UnknownKind);
    const qsizetype n = std::min(req.xTexts.size(), req.yTexts.size());
    if (n > kMaxFitRows)
        return std::unexpected(FitError::TooManyRows);
    std::vector<double> x, y;
    x.reserve(size_t(n));
    y.reserve(size_t(n));
    int leftOut = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (!fitRowHasValues(req.xTexts[i], req.yTexts[i])) {
            ++leftOut;
            continue;
        }
        x.push_back(readPrefix(req.xTexts[i]));
        y.push_back(readPrefix(req.yTexts[i]));
    }
    std::optional<double> fixed;
    if (req.intercept && *kind != FitKind::Log && *kind != FitKind::Power)
        fixed = readPrefix(req.interceptText);
    auto f = fitCurve(*kind, req.degree, fixed, x, y);
    if (!f)
        return std::unexpected(f.error());
    return FitResponse{f->equation(), shortestText(f->r2), leftOut};
}

} // namespace orv
