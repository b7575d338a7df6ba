#include "processing/evaluator.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace orv;

namespace {
double ev(QStringView t)
{
    auto r = evaluateExpression(t);
    EXPECT_TRUE(r.has_value()) << t.left(40).toString().toStdString();
    return r.value_or(NAN);
}
EvalError err(QStringView t)
{
    auto r = evaluateExpression(t);
    EXPECT_FALSE(r.has_value()) << t.left(40).toString().toStdString() << " gave " << r.value_or(0);
    return r.has_value() ? EvalError(-1) : r.error();
}
} // namespace

TEST(Evaluator, PrecedenceAndAssociativity)
{
    EXPECT_EQ(ev(u"-2^2"), -4);
    EXPECT_EQ(ev(u"2^3^2"), 64);
    EXPECT_EQ(ev(u"2+3*4"), 14);
    EXPECT_EQ(ev(u"2*3^2"), 18);
    EXPECT_EQ(ev(u"(2+3)*4"), 20);
    EXPECT_EQ(ev(u"10-4-3"), 3);
    EXPECT_EQ(ev(u"100/10/5"), 2);
    EXPECT_EQ(ev(u"8/2*4"), 16);
    EXPECT_EQ(ev(u"-3*-2"), 6);
    EXPECT_EQ(ev(u"2-(-3)"), 5);
    EXPECT_EQ(ev(u"0.5*(-2)^2"), 2);
    EXPECT_EQ(ev(u"0.5*-2^2"), -2); // why a negative x must go in parentheses
    EXPECT_EQ(ev(u" 1 + 2 "), 3);
}

TEST(Evaluator, NumbersExponentSignsAndLog)
{
    EXPECT_EQ(ev(u"1.5E+3"), 1500);
    EXPECT_EQ(ev(u"2.5E-05*2"), 5e-5);
    EXPECT_EQ(ev(u".5"), 0.5);
    EXPECT_EQ(ev(u"2^-1"), 0.5);
    EXPECT_EQ(ev(u"4^+0.5"), 2);
    EXPECT_DOUBLE_EQ(ev(u"2.3*4^-1.5"), 2.3 / 8);
    EXPECT_EQ(ev(u"(-2)^3"), -8);
    EXPECT_EQ(ev(u"Log(1)"), 0);
    EXPECT_NEAR(ev(u"Log(2.71828182845904)"), 1, 1e-14);
    EXPECT_NEAR(ev(u"1.2*2.71828182845904^(0.5*2)"), 1.2 * std::exp(1.0), 1e-13);
    EXPECT_EQ(ev(u"1E-400"), 0);
}

TEST(Evaluator, FailuresAreReportedNotComputed)
{
    EXPECT_EQ(err(u"1/0"), EvalError::DivisionByZero);
    EXPECT_EQ(err(u"0^-1"), EvalError::DivisionByZero);
    EXPECT_EQ(err(u"Log(0)"), EvalError::InvalidArgument);
    EXPECT_EQ(err(u"Log(-1)"), EvalError::InvalidArgument);
    EXPECT_EQ(err(u"(-8)^0.5"), EvalError::InvalidArgument);
    EXPECT_EQ(err(u"1E308*10"), EvalError::Overflow);
    EXPECT_EQ(err(u"10^400"), EvalError::Overflow);
    EXPECT_EQ(err(u"1E999"), EvalError::Overflow);
    for (const char16_t *t : {u"", u"2+", u"(2", u"2)", u"abc", u"2**3", u"Ln(2)", u"1E", u"2 3", u"Inf", u"NaN",
                              u"1,5", u"Log 2"})
        EXPECT_EQ(err(t), EvalError::Syntax) << QString::fromUtf16(t).toStdString();
    // A failure late in the text is still a failure, not the value so far.
    EXPECT_EQ(err(u"2+3*4-1/0"), EvalError::DivisionByZero);
    EXPECT_EQ(err(u"Log(1)+Log(0)"), EvalError::InvalidArgument);
    EXPECT_EQ(err(u"1+2^3^400"), EvalError::Overflow);
    // Deep nesting is refused as a syntax error, not a stack overflow, while
    // nesting of a sane depth still computes.
    EXPECT_EQ(err(QString(QString(100000, u'(') + u'1' + QString(100000, u')'))), EvalError::Syntax);
    EXPECT_EQ(err(QString(QString(100000, u'-') + u'1')), EvalError::Syntax);
    EXPECT_EQ(ev(QString(QString(200, u'(') + u'7' + QString(200, u')'))), 7);
    // The user tells the failures apart by their descriptions.
    const EvalError all[] = {EvalError::Syntax, EvalError::DivisionByZero, EvalError::Overflow,
                             EvalError::InvalidArgument};
    for (size_t i = 0; i < std::size(all); ++i) {
        EXPECT_FALSE(evalErrorText(all[i]).isEmpty());
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(evalErrorText(all[i]), evalErrorText(all[j]));
    }
}
