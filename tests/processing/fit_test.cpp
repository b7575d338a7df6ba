#include "model/numtext.h"
#include "processing/equation.h"
#include "processing/evaluator.h"
#include "processing/fit.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

// (-1)^i C(n-1, i) over n equally spaced points: its (n-1)-th difference
// property makes it orthogonal to every polynomial of degree < n - 1, so adding
// it to exact data leaves the least-squares curve exactly where it was.
std::vector<double> alternatingBinomial(int n, double scale)
{
    std::vector<double> w(static_cast<size_t>(n));
    double c = 1;
    for (int i = 0; i < n; ++i) {
        w[size_t(i)] = (i % 2 ? -c : c) * scale;
        c = c * (n - 1 - i) / (i + 1);
    }
    return w;
}

long double polyAt(const std::vector<double> &c, long double x)
{
    long double v = 0;
    for (size_t k = c.size(); k-- > 0;)
        v = v * x + c[k];
    return v;
}

double r2Of(const std::vector<double> &z, const std::vector<double> &res)
{
    long double mean = 0, tot = 0, rr = 0;
    for (double v : z)
        mean += v;
    mean /= z.size();
    for (size_t i = 0; i < z.size(); ++i) {
        tot += (z[i] - mean) * (z[i] - mean);
        rr += res[i] * res[i];
    }
    return double(1 - rr / tot);
}

// Evaluates the equation text at x the way the result window does.
double evalText(const CurveFit &f, double x)
{
    auto v = evaluateExpression(evalExpression(f.equation(), fitKindName(f.kind), x));
    EXPECT_TRUE(v.has_value()) << s(f.equation());
    return v.value_or(NAN);
}

void expectTextReproducesFit(const CurveFit &f, const std::vector<double> &x)
{
    for (size_t i = 0; i < x.size(); ++i) {
        const double want = f.fitted[i];
        EXPECT_NEAR(evalText(f, x[i]), want, 1e-9 * std::max(1.0, std::abs(want))) << s(f.equation()) << " x=" << x[i];
    }
}

} // namespace

TEST(Fit, PerfectLineReadsExactly)
{
    const std::vector<double> x{1, 2, 3, 4, 5}, y{3, 5, 7, 9, 11};
    auto f = fitCurve(FitKind::Linear, 2, std::nullopt, x, y);
    ASSERT_TRUE(f);
    EXPECT_EQ(s(f->equation()), "y=2x+1");
    EXPECT_EQ(s(formatPattern(f->r2, u"0.0000")), "1.0000");

    NativeFitter fitter;
    FitRequest req{QStringLiteral("線形近似"), 2, false, {}, {"0.0000e+0", "1.0000", "2.0000"}, {"1.0000", "3.0000", "5.0000"}};
    auto r = fitter.fit(req);
    ASSERT_TRUE(r);
    EXPECT_EQ(s(r->equation), "y=2x+1");
    EXPECT_EQ(s(formatPattern(readPrefix(r->r2), u"0.0000")), "1.0000");
}

TEST(Fit, PolynomialDegreesTwoToSixWithOrthogonalNoise)
{
    std::vector<double> x;
    for (int i = 0; i <= 10; ++i)
        x.push_back(-2.5 + 0.5 * i);
    const auto w = alternatingBinomial(11, 0.01);
    for (int deg = 2; deg <= 6; ++deg) {
        std::vector<double> c;
        for (int k = 0; k <= deg; ++k)
            c.push_back((k % 2 ? -1.0 : 1.0) * (1.5 + 0.25 * k));
        std::vector<double> y(x.size());
        for (size_t i = 0; i < x.size(); ++i)
            y[i] = double(polyAt(c, x[i])) + w[i];
        auto f = fitCurve(FitKind::Poly, deg, std::nullopt, x, y);
        ASSERT_TRUE(f) << deg;
        ASSERT_EQ(f->coeffs.size(), size_t(deg + 1));
        for (int k = 0; k <= deg; ++k)
            EXPECT_NEAR(f->coeffs[size_t(k)], c[size_t(k)], 1e-9) << "degree " << deg << " k " << k;
        std::vector<double> res(x.size());
        for (size_t i = 0; i < x.size(); ++i)
            res[i] = y[i] - double(polyAt(c, x[i]));
        EXPECT_NEAR(f->r2, r2Of(y, res), 1e-12);
        EXPECT_LT(f->r2, 1);
        expectTextReproducesFit(*f, x);
    }
}

TEST(Fit, FixedInterceptConstrainsTheValueAtZero)
{
    std::vector<double> x;
    for (int i = 1; i <= 11; ++i)
        x.push_back(i);
    const auto w = alternatingBinomial(11, 0.05);
    // Linear: y = 3x + 5 + w with the value at 0 fixed at 5.
    std::vector<double> y(11);
    for (size_t i = 0; i < 11; ++i)
        y[i] = 3 * x[i] + 5 + w[i];
    auto lin = fitCurve(FitKind::Linear, 2, 5.0, x, y);
    ASSERT_TRUE(lin);
    EXPECT_NEAR(lin->coeffs[1], 3, 1e-12);
    EXPECT_EQ(lin->coeffs[0], 5);
    EXPECT_TRUE(s(lin->equation()).ends_with("x+5"));
    // A fixed value other than the free fit's moves the slope: a real constraint.
    auto lin0 = fitCurve(FitKind::Linear, 2, 0.0, x, y);
    ASSERT_TRUE(lin0);
    EXPECT_EQ(lin0->coeffs[0], 0);
    EXPECT_GT(lin0->coeffs[1], 3.5);
    EXPECT_FALSE(s(lin0->equation()).ends_with("+0"));
    expectTextReproducesFit(*lin0, x);

    // Polynomial of degree 3 through a fixed a0.
    const std::vector<double> c{-2, 0.5, -0.25, 0.125};
    for (size_t i = 0; i < 11; ++i)
        y[i] = double(polyAt(c, x[i])) + w[i];
    auto p = fitCurve(FitKind::Poly, 3, -2.0, x, y);
    ASSERT_TRUE(p);
    for (int k = 0; k <= 3; ++k)
        EXPECT_NEAR(p->coeffs[size_t(k)], c[size_t(k)], 1e-10) << k;
    expectTextReproducesFit(*p, x);

    // Exponential with a fixed: ln y = ln 2 + 0.3 x + w.
    for (size_t i = 0; i < 11; ++i)
        y[i] = 2 * std::exp(0.3 * x[i] + w[i]);
    auto e = fitCurve(FitKind::Exp, 2, 2.0, x, y);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->coeffs[0], 2);
    EXPECT_NEAR(e->coeffs[1], 0.3, 1e-12);
    expectTextReproducesFit(*e, x);
}

TEST(Fit, LogPowerAndExponentialAgainstKnownCoefficients)
{
    std::vector<double> x, y;
    for (int i = 1; i <= 11; ++i)
        x.push_back(0.5 * i);
    y.resize(x.size());

    for (size_t i = 0; i < x.size(); ++i)
        y[i] = 1.2 * std::log(x[i]) + 3;
    auto lg = fitCurve(FitKind::Log, 2, std::nullopt, x, y);
    ASSERT_TRUE(lg);
    EXPECT_NEAR(lg->coeffs[1], 1.2, 1e-12);
    EXPECT_NEAR(lg->coeffs[0], 3, 1e-12);
    EXPECT_TRUE(s(lg->equation()).find("Ln(x)") != std::string::npos);
    expectTextReproducesFit(*lg, x);

    for (size_t i = 0; i < x.size(); ++i)
        y[i] = 2.3 * std::pow(x[i], -1.5);
    auto pw = fitCurve(FitKind::Power, 2, std::nullopt, x, y);
    ASSERT_TRUE(pw);
    EXPECT_NEAR(pw->coeffs[0], 2.3, 1e-12);
    EXPECT_NEAR(pw->coeffs[1], -1.5, 1e-12);
    EXPECT_EQ(s(formatPattern(pw->r2, u"0.0000")), "1.0000");
    expectTextReproducesFit(*pw, x);

    // Exponential with noise orthogonal to 1 and x on the log scale: the fit is
    // exact there and R² is reported on that scale.
    const auto w = alternatingBinomial(11, 0.02);
    std::vector<double> ly(x.size()), res(x.size());
    for (size_t i = 0; i < x.size(); ++i) {
        ly[i] = std::log(1.2) + 0.5 * x[i] + w[i];
        y[i] = std::exp(ly[i]);
        res[i] = w[i];
    }
    auto ex = fitCurve(FitKind::Exp, 2, std::nullopt, x, y);
    ASSERT_TRUE(ex);
    EXPECT_NEAR(ex->coeffs[0], 1.2, 1e-12);
    EXPECT_NEAR(ex->coeffs[1], 0.5, 1e-12);
    EXPECT_NEAR(ex->r2, r2Of(ly, res), 1e-12);
    expectTextReproducesFit(*ex, x);
}

TEST(Fit, IllConditionedQuarticMatchesTheExactLeastSquaresCurve)
{
    // x = 1000..1010, degree 4: the normal equations in powers of x are far
    // beyond double precision. The data are P(x) plus a vector orthogonal to
    // all quartics on these points, so the exact least-squares curve is P.
    auto P = [](long double x) {
        const long double u = x - 1005;
        return 2 + 0.5L * u - 0.25L * u * u + 0.125L * u * u * u + 0.0625L * u * u * u * u;
    };
    const auto w = alternatingBinomial(11, 0.01);
    std::vector<double> x, y;
    for (int i = 0; i <= 10; ++i) {
        x.push_back(1000 + i);
        y.push_back(double(P(1000 + i)) + w[size_t(i)]);
    }
    auto f = fitCurve(FitKind::Poly, 4, std::nullopt, x, y);
    ASSERT_TRUE(f);
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(f->fitted[i], double(P(x[i])), 1e-9 * 40) << x[i];
    // The power-basis coefficients of P, expanded exactly.
    const long double m = -1005;
    const long double cu[5] = {2, 0.5L, -0.25L, 0.125L, 0.0625L};
    long double cx[5] = {0, 0, 0, 0, 0};
    const int binom[5][5] = {{1}, {1, 1}, {1, 2, 1}, {1, 3, 3, 1}, {1, 4, 6, 4, 1}};
    for (int k = 0; k < 5; ++k)
        for (int j = 0; j <= k; ++j)
            cx[j] += cu[k] * binom[k][j] * std::pow(m, k - j);
    for (int j = 0; j < 5; ++j)
        EXPECT_NEAR(f->coeffs[size_t(j)], double(cx[j]), 1e-9 * std::abs(double(cx[j]))) << j;
    // The equation text, evaluated in double powers of x, carries the
    // cancellation of terms near 6e10; it still follows the curve closely.
    for (size_t i = 0; i < x.size(); ++i)
        EXPECT_NEAR(evalText(*f, x[i]), double(P(x[i])), 1e-3) << x[i];
}

TEST(Fit, DataTheKindCannotTakeFail)
{
    const std::vector<double> x{-1, 1, 2, 3}, y{1, 2, 3, 4}, yNeg{1, -2, 3, 4}, pos{1, 2, 3, 4};
    EXPECT_EQ(fitCurve(FitKind::Log, 2, {}, x, y).error(), FitError::NonPositiveX);
    EXPECT_EQ(fitCurve(FitKind::Power, 2, {}, x, y).error(), FitError::NonPositiveX);
    EXPECT_EQ(fitCurve(FitKind::Power, 2, {}, pos, yNeg).error(), FitError::NonPositiveY);
    EXPECT_EQ(fitCurve(FitKind::Exp, 2, {}, pos, yNeg).error(), FitError::NonPositiveY);
    EXPECT_EQ(fitCurve(FitKind::Exp, 2, 0.0, pos, y).error(), FitError::BadIntercept);
    EXPECT_EQ(fitCurve(FitKind::Linear, 2, {}, std::vector<double>{}, std::vector<double>{}).error(), FitError::NoData);
    const std::vector<double> same{2, 2, 2}, three{1, 2, 3};
    EXPECT_EQ(fitCurve(FitKind::Linear, 2, {}, same, three).error(), FitError::TooFewPoints);
    const std::vector<double> dup{1, 1, 2, 2, 3, 3}, dupY{1, 2, 3, 4, 5, 6};
    EXPECT_EQ(fitCurve(FitKind::Poly, 3, {}, dup, dupY).error(), FitError::TooFewPoints);
    EXPECT_TRUE(fitCurve(FitKind::Poly, 2, {}, dup, dupY).has_value());
    // Fixed at zero, x = 0 carries no information about the slope.
    const std::vector<double> zeros{0, 0}, zy{1, 2};
    EXPECT_EQ(fitCurve(FitKind::Linear, 2, 1.0, zeros, zy).error(), FitError::TooFewPoints);
    const std::vector<double> inf{1, INFINITY, 3};
    EXPECT_EQ(fitCurve(FitKind::Linear, 2, {}, inf, three).error(), FitError::NonFiniteData);
    const std::vector<double> hugeY{1e308, -1e308, 1e308};
    EXPECT_FALSE(fitCurve(FitKind::Poly, 2, {}, three, hugeY).has_value());

    NativeFitter fitter;
    FitRequest req{QStringLiteral("なし"), 2, false, {}, {"1", "2"}, {"1", "2"}};
    EXPECT_EQ(fitter.fit(req).error(), FitError::UnknownKind);
    req.kindName = QStringLiteral("線形近似");
    req.xTexts = QStringList(1001, QStringLiteral("1"));
    req.yTexts = QStringList(1001, QStringLiteral("1"));
    EXPECT_EQ(fitter.fit(req).error(), FitError::TooManyRows);
    EXPECT_EQ(s(fitFailureMessage()), "エラー！(No.4)(エクセル起動、又は近似式作成エラー)");
}

TEST(Fit, InterceptSwitchIgnoredByLogAndPowerThroughTheProtocol)
{
    NativeFitter fitter;
    FitRequest req{QStringLiteral("累乗近似"), 2, true, QStringLiteral("7"), {"1", "2", "4"}, {"3", "6", "12"}};
    auto r = fitter.fit(req);
    ASSERT_TRUE(r);
    // y = 3x: the fixed value 7 has no meaning for this kind.
    ASSERT_TRUE(r->equation.startsWith(u"y=")) << s(r->equation);
    const qsizetype xAt = r->equation.indexOf(u'x');
    EXPECT_NEAR(readPrefix(r->equation.mid(2, xAt - 2)), 3, 1e-12);
    EXPECT_NEAR(readPrefix(r->equation.mid(xAt + 1)), 1, 1e-12);
    req.kindName = QStringLiteral("指数近似");
    req.interceptText = QStringLiteral("-1");
    EXPECT_FALSE(fitter.fit(req).has_value());
}

TEST(Fit, RoundingNoiseIsWrittenAsZeroRealTermsStay)
{
    // Constant data: every term but the constant is noise.
    const std::vector<double> x{1, 2, 3, 4, 5, 6}, flat(6, 3.7);
    auto f = fitCurve(FitKind::Poly, 2, std::nullopt, x, flat);
    ASSERT_TRUE(f);
    EXPECT_EQ(s(f->equation()), "y=0x2+0x+3.7");
    for (double v : f->fitted)
        EXPECT_NEAR(v, 3.7, 1e-12);
    // exp(ln 3.7) may round in the last digit; the exponent is what is noise.
    f = fitCurve(FitKind::Exp, 2, std::nullopt, x, flat);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->equation().endsWith(u"e0x")) << s(f->equation());
    f = fitCurve(FitKind::Power, 2, std::nullopt, x, flat);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->equation().endsWith(u"x0")) << s(f->equation());
    f = fitCurve(FitKind::Log, 2, std::nullopt, x, flat);
    ASSERT_TRUE(f);
    EXPECT_EQ(s(f->equation()), "y=0Ln(x)+3.7");

    // Exact y = 1000x over fractional x: no leftover constant.
    const std::vector<double> xs{0.1, 0.2, 0.3, 0.7, 1.1}, ys{100, 200, 300, 700, 1100};
    f = fitCurve(FitKind::Linear, 2, std::nullopt, xs, ys);
    ASSERT_TRUE(f);
    EXPECT_TRUE(f->equation().endsWith(u"x+0")) << s(f->equation());
    EXPECT_NEAR(f->coeffs[1], 1000, 1e-9);

    // Small but real terms are kept: 1e-6 x2 adds 1e-4 to a y of 1000 (1e-7 of
    // the scale), and a constant of 1e-9 under y of 1 is 1e-9 of the scale.
    std::vector<double> yq;
    for (double v : x)
        yq.push_back(1000 + 1e-6 * v * v);
    f = fitCurve(FitKind::Poly, 2, std::nullopt, x, yq);
    ASSERT_TRUE(f);
    EXPECT_NEAR(f->coeffs[2], 1e-6, 1e-9);
    const std::vector<double> yl{1 + 1e-9, 2 + 1e-9, 3 + 1e-9, 4 + 1e-9, 5 + 1e-9, 6 + 1e-9};
    f = fitCurve(FitKind::Linear, 2, std::nullopt, x, yl);
    ASSERT_TRUE(f);
    EXPECT_NE(f->coeffs[0], 0);
    EXPECT_NEAR(f->coeffs[0], 1e-9, 1e-12);
    // A fixed value is the user's, whatever its size.
    f = fitCurve(FitKind::Linear, 2, 1e-30, x, x);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->coeffs[0], 1e-30);
}

TEST(Fit, RowsWithoutValuesAreLeftOutAndCounted)
{
    NativeFitter fitter;
    // The second and fourth rows hold points that could not be converted:
    // taken as (0, 0) they would pull the line y = 2x + 1 away.
    FitRequest req{QStringLiteral("線形近似"), 2, false, {}, {"1", "", "2", "9", " ", "3"}, {"3", "", "5", "", "4", "7"}};
    auto r = fitter.fit(req);
    ASSERT_TRUE(r);
    EXPECT_EQ(s(r->equation), "y=2x+1");
    EXPECT_EQ(r->rowsLeftOut, 3);
    EXPECT_TRUE(fitRowHasValues(QStringLiteral("0"), QStringLiteral("0.0000e+0")));
    EXPECT_FALSE(fitRowHasValues(QStringLiteral("1"), QString()));
    // Nothing but such rows: no data, not a fit through the origin.
    req.xTexts = {"", "1"};
    req.yTexts = {"2", ""};
    EXPECT_EQ(fitter.fit(req).error(), FitError::NoData);
    EXPECT_TRUE(rowsLeftOutText(0).isEmpty());
    EXPECT_EQ(s(rowsLeftOutText(2)), "X値またはY値のない2行は近似に使いませんでした。");
}
