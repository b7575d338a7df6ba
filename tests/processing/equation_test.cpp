#include "model/numtext.h"
#include "processing/equation.h"

#include <gtest/gtest.h>
#include <random>

using namespace orv;

namespace {
std::string s(const QString &q) { return q.toStdString(); }
QString q(const char *t) { return QString::fromUtf8(t); }
} // namespace

TEST(ReplaceEqtn, EveryKindAsTabled)
{
    struct Case {
        const char *kind, *eq, *expected;
    } cases[] = {
        {"線形近似", "y=2.5x+1.3", "2.5*A1+1.3"},
        {"線形近似", "y=2.5x", "2.5*A1"},
        {"線形近似", "y=2x-1", "2*A1-1"},
        {"多項式近似", "y=0.5x2-1.2x+3", "0.5*A1^2-1.2*A1+3"},
        {"多項式近似", "y=-1E-07x3+2x2-1.5E+03x-4", "-1E-07*A1^3+2*A1^2-1.5E+03*A1-4"},
        {"累乗近似", "y=2.3x1.5", "2.3*A1^1.5"},
        {"対数近似", "y=1.2Ln(x)+3", "1.2*Ln(A1)+3"},
        {"対数近似", "y=-1.2Ln(x)-3", "-1.2*Ln(A1)-3"},
        {"指数近似", "y=1.2e0.5x", "1.2*2.71828182845904^(0.5*A1)"},
        {"指数近似", "y=e0.5x", "2.71828182845904^(0.5*A1)"},
        {"指数近似", "y=1.5E-05e-0.25x", "1.5E-05*2.71828182845904^(-0.25*A1)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(s(replaceEqtn(q(c.eq), q(c.kind), u"A1")), c.expected) << c.kind << " " << c.eq;
}

TEST(ReplaceEqtn, PowerKeepsTheSignOfItsOwnExponent)
{
    // y=2.3x-1.5 is 2.3*x^-1.5; turning "^-" into "-" would give 2.3*A1-1.5.
    EXPECT_EQ(s(replaceEqtn(u"y=2.3x-1.5", u"累乗近似", u"A1")), "2.3*A1^-1.5");
    EXPECT_EQ(s(replaceEqtn(u"y=2.3x1E-05", u"累乗近似", u"A1")), "2.3*A1^1E-05");
}

TEST(ReplaceEqtn, TextGoesInAsTypedAndSpacesAreDropped)
{
    EXPECT_EQ(s(replaceEqtn(u"y=2.5x+1.3", u"線形近似", u"$A$1")), "2.5*$A$1+1.3");
    EXPECT_EQ(s(replaceEqtn(u"y=2.5x+1.3", u"線形近似", u"-2")), "2.5*-2+1.3");
    EXPECT_EQ(s(replaceEqtn(u"y=2.5x+1.3", u"線形近似", u"B 2")), "2.5*B2+1.3");
    // A lower-case reference stays as typed in every kind, the exponential's
    // base letter included.
    EXPECT_EQ(s(replaceEqtn(u"y=1.2e0.5x", u"指数近似", u"e1")), "1.2*2.71828182845904^(0.5*e1)");
    EXPECT_EQ(s(replaceEqtn(u"y=e-2x", u"指数近似", u"$e$12")), "2.71828182845904^(-2*$e$12)");
    EXPECT_EQ(s(replaceEqtn(u"y=0.5x2+1", u"多項式近似", u"ex1")), "0.5*ex1^2+1");
}

TEST(EvalExpression, NegativeXIsParenthesisedAndSmallXInExponentForm)
{
    EXPECT_EQ(s(evalExpression(u"y=0.5x2", u"多項式近似", -2)), "0.5*(-2)^2");
    EXPECT_EQ(s(evalExpression(u"y=2.5x+1.3", u"線形近似", 0.00001)), "2.5*1E-05+1.3");
    EXPECT_EQ(s(evalExpression(u"y=1.2Ln(x)+3", u"対数近似", 1)), "1.2*Log(1)+3");
    EXPECT_EQ(s(evalExpression(u"y=1.2e0.5x", u"指数近似", -4)), "1.2*2.71828182845904^(0.5*(-4))");
}

TEST(ShortestText, RoundTripsWithUpperCaseExponent)
{
    EXPECT_EQ(s(shortestText(2)), "2");
    EXPECT_EQ(s(shortestText(0.1)), "0.1");
    EXPECT_EQ(s(shortestText(-1.25)), "-1.25");
    EXPECT_EQ(s(shortestText(-0.0)), "0");
    EXPECT_EQ(s(shortestText(1e20)), "1E+20");
    EXPECT_EQ(s(shortestText(1.5e-7)), "1.5E-07");
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mant(-10, 10);
    std::uniform_int_distribution<int> ex(-40, 40);
    for (int i = 0; i < 2000; ++i) {
        const double v = std::ldexp(mant(rng), ex(rng));
        const QString t = shortestText(v);
        EXPECT_FALSE(t.contains(u'e')) << s(t);
        auto back = readStrict(t);
        ASSERT_TRUE(back.has_value()) << s(t);
        EXPECT_EQ(*back, v) << s(t);
    }
}

TEST(EquationText, FormOfEachKind)
{
    const double lin[] = {1, 2};
    EXPECT_EQ(s(equationText(FitKind::Linear, lin)), "y=2x+1");
    const double linNeg[] = {-1, -2};
    EXPECT_EQ(s(equationText(FitKind::Linear, linNeg)), "y=-2x-1");
    const double through0[] = {0, 2.5};
    EXPECT_EQ(s(equationText(FitKind::Linear, through0, true)), "y=2.5x");
    EXPECT_EQ(s(equationText(FitKind::Linear, through0)), "y=2.5x+0");
    const double poly[] = {3, -1.2, 0.5};
    EXPECT_EQ(s(equationText(FitKind::Poly, poly)), "y=0.5x2-1.2x+3");
    const double poly6[] = {1, 1, 0, 1, 1, 1, 1};
    EXPECT_EQ(s(equationText(FitKind::Poly, poly6)), "y=1x6+1x5+1x4+1x3+0x2+1x+1");
    const double lg[] = {3, 1.2};
    EXPECT_EQ(s(equationText(FitKind::Log, lg)), "y=1.2Ln(x)+3");
    const double pw[] = {2.3, -1.5};
    EXPECT_EQ(s(equationText(FitKind::Power, pw)), "y=2.3x-1.5");
    const double ex[] = {1.2, 0.5};
    EXPECT_EQ(s(equationText(FitKind::Exp, ex)), "y=1.2e0.5x");
    const double exSmall[] = {1.5e-5, -2e-7};
    EXPECT_EQ(s(equationText(FitKind::Exp, exSmall)), "y=1.5E-05e-2E-07x");
}

TEST(FitKinds, NamesBothWays)
{
    for (int i = 0; i < kFitKindCount; ++i)
        EXPECT_EQ(fitKindFromName(fitKindName(FitKind(i))), FitKind(i));
    EXPECT_EQ(s(fitKindName(FitKind::Poly)), "多項式近似");
    EXPECT_EQ(fitKindFromCliName(u"exp"), FitKind::Exp);
    EXPECT_EQ(fitKindFromCliName(u"POWER"), FitKind::Power);
    EXPECT_FALSE(fitKindFromCliName(u"cubic").has_value());
}
