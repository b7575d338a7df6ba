#include "model/numtext.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace orv;

namespace {
std::string s(const QString &q) { return q.toStdString(); }
std::string fmtAuto(double v) { return s(formatPattern(v, QStringView(autoPattern(v)))); }
} // namespace

TEST(AutoFormat, ChoosesDecimalsBySignedValue)
{
    EXPECT_EQ(fmtAuto(0), "0.0000e+0");
    EXPECT_EQ(fmtAuto(0.005), "5.0000e-3");
    EXPECT_EQ(fmtAuto(0.05), "0.050000");
    EXPECT_EQ(fmtAuto(0.5), "0.50000");
    EXPECT_EQ(fmtAuto(5), "5.0000");
    EXPECT_EQ(fmtAuto(50), "50.000");
    EXPECT_EQ(fmtAuto(500), "500.00");
    EXPECT_EQ(fmtAuto(5000), "5000.0");
    EXPECT_EQ(fmtAuto(50000), "50000");
    EXPECT_EQ(fmtAuto(500000), "5.0000e+5");
    // Negative values always take the exponent form.
    EXPECT_EQ(fmtAuto(-5), "-5.0000e+0");
    EXPECT_EQ(fmtAuto(-0.005), "-5.0000e-3");
}

TEST(AutoFormat, BoundariesBelongToTheUpperRow)
{
    EXPECT_EQ(fmtAuto(0.01), "0.010000");
    EXPECT_EQ(fmtAuto(0.1), "0.10000");
    EXPECT_EQ(fmtAuto(10), "10.000");
    EXPECT_EQ(fmtAuto(100000), "1.0000e+5");
    // The pattern is chosen before rounding.
    EXPECT_EQ(fmtAuto(99999.6), "100000");
    EXPECT_EQ(fmtAuto(9.99999), "10.0000");
    EXPECT_EQ(std::u16string(autoPattern(std::nan(""))), u"0.0000e+0");
    EXPECT_EQ(fmtAuto(std::numeric_limits<double>::quiet_NaN()), "NaN");
}

TEST(PatternFormat, FixedShapes)
{
    EXPECT_EQ(s(formatPattern(1234.5678, u"0.00")), "1234.57");
    EXPECT_EQ(s(formatPattern(-2.25, u"0.0000")), "-2.2500");
    EXPECT_EQ(s(formatPattern(0.001, u"0.00")), "0.00");
    EXPECT_EQ(s(formatPattern(-0.001, u"0.00")), "0.00"); // rounds to zero: no sign
    EXPECT_EQ(s(formatPattern(0.4, u"0")), "0");
    EXPECT_EQ(s(formatPattern(2.6, u"0")), "3");
    EXPECT_EQ(s(formatPattern(12345678.9, u"0.0")), "12345678.9");
    EXPECT_EQ(s(formatPattern(0.4, u"0.")), "0");
}

TEST(PatternFormat, ExponentShapes)
{
    EXPECT_EQ(s(formatPattern(1234.5, u"0.0000e+0")), "1.2345e+3");
    EXPECT_EQ(s(formatPattern(0.00123, u"0.0000e+0")), "1.2300e-3");
    EXPECT_EQ(s(formatPattern(0, u"0.0000e+0")), "0.0000e+0");
    EXPECT_EQ(s(formatPattern(-0.005, u"0.0000e+0")), "-5.0000e-3");
    EXPECT_EQ(s(formatPattern(9.99996e3, u"0.0000e+0")), "1.0000e+4"); // carry into the exponent
    EXPECT_EQ(s(formatPattern(1.5e-300, u"0.0e+0")), "1.5e-300");
    EXPECT_EQ(s(formatPattern(123, u"0.00e+0")), "1.23e+2");
    EXPECT_EQ(s(formatPattern(123, u"0.00E+00")), "1.23E+02");
    EXPECT_EQ(s(formatPattern(123, u"0.00e-0")), "1.23e2");
}

TEST(PatternFormat, LongPatternsAreFormattedInFull)
{
    // A pattern is any text of the two shapes (a typed one, or --x-format on the
    // command line), so its length has no bound.
    for (int n : {20, 130, 400, 1000}) {
        const QString zeros(n, u'0');
        const QString fixed = formatPattern(-1234.5, QStringLiteral("0.") + zeros);
        EXPECT_EQ(fixed.size(), 6 + n) << n;
        EXPECT_TRUE(fixed.startsWith(u"-1234.5000")) << n;
        EXPECT_EQ(s(formatPattern(1e300, QStringLiteral("0.") + zeros).left(6)), "100000") << n;

        const QString e = formatPattern(-1234.5, QStringLiteral("0.") + zeros + QStringLiteral("e+0"));
        EXPECT_EQ(e.size(), 3 + n + 3) << n;
        EXPECT_TRUE(e.startsWith(u"-1.2345000")) << n;
        EXPECT_TRUE(e.endsWith(u"0e+3")) << n;

        const QString wideExp = formatPattern(0.00123, QStringLiteral("0.0e-") + zeros);
        EXPECT_EQ(s(wideExp), "1.2e-" + std::string(size_t(n - 1), '0') + "3") << n;
    }
}

TEST(PatternFormat, UnknownPatternGivesPlainText)
{
    EXPECT_EQ(s(formatPattern(0.25, u"#,##0")), "0.25");
    EXPECT_EQ(s(formatPattern(0.25, u"")), "0.25");
    EXPECT_EQ(s(formatPattern(0.25, u"0.0x")), "0.25");
}

TEST(PlainNumText, SingleGeneralForm)
{
    EXPECT_EQ(s(plainNumText(0.5f)), "0.5");
    EXPECT_EQ(s(plainNumText(0.25f)), "0.25");
    EXPECT_EQ(s(plainNumText(0.1f)), "0.1");
    EXPECT_EQ(s(plainNumText(-0.1f)), "-0.1");
    EXPECT_EQ(s(plainNumText(0.0f)), "0");
    EXPECT_EQ(s(plainNumText(3.0f)), "3");
    EXPECT_EQ(s(plainNumText(7200.0f)), "7200");
    EXPECT_EQ(s(plainNumText(1234567.0f)), "1234567");
    EXPECT_EQ(s(plainNumText(12345678.0f)), "1.234568E+07");
    EXPECT_EQ(s(plainNumText(0.0001f)), "0.0001");
    EXPECT_EQ(s(plainNumText(0.00001f)), "1E-05");
    EXPECT_EQ(s(plainNumText(1.0f / 3.0f)), "0.3333333");
    EXPECT_EQ(s(plainNumText(1e30f)), "1E+30");
}

TEST(PlainNumText, ReadsBackWithinSevenDigits)
{
    for (float v : {0.123456789f, 0.987654f, 1e-7f, 3.4e38f, -0.5f, 0.0005f}) {
        double back = readPrefix(plainNumText(v));
        EXPECT_NEAR(back, v, std::abs(v) * 1e-6) << v;
        EXPECT_TRUE(readStrict(plainNumText(v)).has_value());
    }
}

TEST(DoubleText, FifteenDigits)
{
    EXPECT_EQ(s(doubleText(0.1)), "0.1");
    EXPECT_EQ(s(doubleText(1.0 / 3.0)), "0.333333333333333");
    EXPECT_EQ(s(doubleText(2)), "2");
    EXPECT_EQ(s(doubleText(-1234.5)), "-1234.5");
    EXPECT_EQ(s(doubleText(1e15)), "1E+15");
    EXPECT_EQ(s(doubleText(123456789012345.0)), "123456789012345");
    EXPECT_EQ(s(doubleText(0.00001)), "1E-05");
}

TEST(PrefixReading, ReadsTheLongestNumber)
{
    EXPECT_EQ(readPrefix(u"Error"), 0);
    EXPECT_EQ(readPrefix(u""), 0);
    EXPECT_EQ(readPrefix(u"3.5abc"), 3.5);
    EXPECT_EQ(readPrefix(u" 1 2"), 12);
    EXPECT_EQ(readPrefix(u"\t-1\n5"), -15);
    EXPECT_EQ(readPrefix(u"1D3"), 1000);
    EXPECT_EQ(readPrefix(u"1e-2"), 0.01);
    EXPECT_EQ(readPrefix(u"2E"), 2);        // exponent without digits is not read
    EXPECT_EQ(readPrefix(u"2E+x"), 2);
    EXPECT_EQ(readPrefix(u".5"), 0.5);
    EXPECT_EQ(readPrefix(u"1.2.3"), 1.2);
    EXPECT_EQ(readPrefix(u"+7"), 7);
    EXPECT_EQ(readPrefix(u"-"), 0);
    EXPECT_EQ(readPrefix(u"."), 0);
    EXPECT_EQ(readPrefix(u"系列12"), 0);
    EXPECT_EQ(readPrefix(u"12系列"), 12);
    EXPECT_TRUE(std::isinf(readPrefix(u"1E999")));
    EXPECT_EQ(readPrefix(u"1E-999"), 0);
}

TEST(StrictReading, WholeTextMustBeANumber)
{
    EXPECT_EQ(readStrict(u"0.5").value(), 0.5);
    EXPECT_EQ(readStrict(u"  -2.5  ").value(), -2.5);
    EXPECT_EQ(readStrict(u"1E-05").value(), 1e-5);
    EXPECT_EQ(readStrict(u"1.234568E+07").value(), 12345680);
    EXPECT_EQ(readStrict(u"1D3").value(), 1000);
    EXPECT_EQ(readStrict(u"+3").value(), 3);
    EXPECT_EQ(readStrict(u".5").value(), 0.5);
    EXPECT_EQ(readStrict(u"5.").value(), 5);
    for (const char16_t *bad : {u"", u"   ", u"abc", u"3.5abc", u"1 2", u"1E", u"--1", u"Error", u".", u"-", u"1e+"})
        EXPECT_EQ(readStrict(QStringView(bad)).error(), ConvError::TypeMismatch) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(readStrict(u"1E999").error(), ConvError::Degenerate);
}

TEST(StrictReading, AgreesWithTheCLibraryToTheLastBit)
{
    // Short texts take an exact fast path; long ones the general parser.
    std::srand(12345);
    char buf[64];
    for (int i = 0; i < 20000; ++i) {
        const double mant = double(std::rand()) / RAND_MAX * 10.0;
        const int exp10 = std::rand() % 60 - 30;
        const double v = (i % 3 ? 1 : -1) * mant * std::pow(10.0, exp10);
        const int digits = 1 + i % 17;
        std::snprintf(buf, sizeof buf, "%.*g", digits, v);
        const double expect = std::strtod(buf, nullptr);
        auto got = readStrict(QString::fromLatin1(buf));
        ASSERT_TRUE(got.has_value()) << buf;
        ASSERT_EQ(*got, expect) << buf;
        ASSERT_EQ(readPrefix(QString::fromLatin1(buf)), expect) << buf;
    }
    EXPECT_EQ(readStrict(u"0.000000000000000000000000001").value(), 1e-27);
    EXPECT_EQ(readStrict(u"123456789012345678901234567890").value(), 1.2345678901234568e29);
}

namespace {
QString repeated(const char *head, int n, char16_t c, const char *tail = "")
{
    return QString::fromLatin1(head) + QString(n, c) + QString::fromLatin1(tail);
}
} // namespace

TEST(LongNumbers, OverflowWithoutExponentReadsOnlyTheDigits)
{
    // The text is scanned no further than its digits (under valgrind or the
    // sanitizers of the fuzz build a read past them is reported here). The first
    // texts fit the old 512-byte buffer, the last does not.
    for (int n : {309, 400, 510, 2000}) {
        SCOPED_TRACE(n);
        const QString big = repeated("1", n, u'0');
        EXPECT_EQ(readStrict(big).error(), ConvError::Degenerate);
        EXPECT_EQ(readPrefix(big), HUGE_VAL);
        EXPECT_EQ(readPrefix(QStringLiteral("-") + big), -HUGE_VAL);
    }
}

TEST(LongNumbers, DigitsPastDoublePrecisionKeepTheirScale)
{
    // Texts longer than any working buffer: a value never collapses to 0 and the
    // digits past the seventeenth still count in their place.
    for (int n : {20, 400, 600, 5000}) {
        SCOPED_TRACE(n);
        const QString half = repeated("0.5", n, u'0');
        EXPECT_EQ(readStrict(half).value(), 0.5);
        EXPECT_EQ(readPrefix(half), 0.5);
        EXPECT_EQ(readPrefix(half + QStringLiteral("abc")), 0.5);
        const QString quarter = repeated("-0.", n, u'0', "25");
        EXPECT_EQ(readStrict(quarter).value(), std::strtod(quarter.toLatin1().constData(), nullptr));
        EXPECT_EQ(readStrict(repeated("0.", n, u'0', "5e") + QString::number(n + 1)).value(), 5);
        EXPECT_EQ(readStrict(repeated("1", n, u'0', "e-") + QString::number(n)).value(), 1);
        EXPECT_EQ(readPrefix(repeated("3", n, u'3', "e-") + QString::number(n)), 10.0 / 3);
    }
    EXPECT_EQ(readStrict(repeated("1", 300, u'0')).value(), 1e300);
    EXPECT_EQ(readPrefix(repeated("-1", 300, u'0')), -1e300);
    // Beyond the double range: an overflow, never 0.
    for (int n : {400, 600, 10000}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(readStrict(repeated("1", n, u'0')).error(), ConvError::Degenerate);
        EXPECT_EQ(readPrefix(repeated("1", n, u'0')), HUGE_VAL);
        EXPECT_EQ(readPrefix(repeated("-", n, u'7')), -HUGE_VAL);
        EXPECT_EQ(readStrict(repeated("0.", n, u'0', "1")).value(), 0); // underflow is 0
    }
    // Long exponents saturate instead of wrapping.
    EXPECT_EQ(readStrict(repeated("1e", 30, u'9')).error(), ConvError::Degenerate);
    EXPECT_EQ(readStrict(repeated("1e-", 30, u'9')).value(), 0);
    EXPECT_EQ(readStrict(repeated("1e", 500, u'0', "2")).value(), 100);
    EXPECT_EQ(readStrict(repeated("1", 400, u'0', "e-400")).value(), 1);
    // The blanks the prefix reading skips may sit among the many digits.
    EXPECT_EQ(readPrefix(repeated("0.5", 600, u'0', " 0 0 1e 1")), 5.000000000000000000001);
    // Not numbers however long.
    EXPECT_EQ(readStrict(repeated("0.5", 600, u'0', "x")).error(), ConvError::TypeMismatch);
    EXPECT_EQ(readStrict(repeated("1", 600, u'0', " 2")).error(), ConvError::TypeMismatch);
}

TEST(LongNumbers, HalfwayCasesAreDecidedByTheLastDigit)
{
    // 2^53 + 1 is exactly halfway between two doubles; ties go to even (2^53), and
    // any non-zero digit far behind tips it upwards, however many zeros come first.
    const double lo = 9007199254740992.0, hi = 9007199254740994.0;
    EXPECT_EQ(readStrict(u"9007199254740993").value(), lo);
    for (int n : {10, 800, 3000}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(readStrict(repeated("9007199254740993.", n, u'0')).value(), lo);
        EXPECT_EQ(readStrict(repeated("9007199254740993.", n, u'0', "1")).value(), hi);
        EXPECT_EQ(readPrefix(repeated("9007199254740993", n, u'0', "1e-") + QString::number(n + 1)), hi);
    }
}

TEST(PatternFormat, ExactHalvesRoundAwayFromZero)
{
    // Binary values that lie exactly halfway: the spreadsheet rule, not printf's
    // ties-to-even.
    EXPECT_EQ(s(formatPattern(2.5, u"0")), "3");
    EXPECT_EQ(s(formatPattern(12.5, u"0")), "13");
    EXPECT_EQ(s(formatPattern(0.5, u"0")), "1");
    EXPECT_EQ(s(formatPattern(0.5, u"0.")), "1");
    EXPECT_EQ(s(formatPattern(-2.5, u"0")), "-3");
    EXPECT_EQ(s(formatPattern(-0.5, u"0")), "-1");
    EXPECT_EQ(s(formatPattern(9.5, u"0")), "10");
    EXPECT_EQ(s(formatPattern(3.5, u"0")), "4"); // was right already
    EXPECT_EQ(s(formatPattern(0.125, u"0.00")), "0.13");
    EXPECT_EQ(s(formatPattern(-0.125, u"0.00")), "-0.13");
    EXPECT_EQ(s(formatPattern(99.875, u"0.00")), "99.88");
    EXPECT_EQ(s(formatPattern(9.96875, u"0.0000")), "9.9688");
    EXPECT_EQ(s(formatPattern(-999.9375, u"0.000")), "-999.938");
    EXPECT_EQ(s(formatPattern(0.0078125, u"0.000000")), "0.007813");
    // Not halves: rounded by their binary value (2.675 is stored below the half).
    EXPECT_EQ(s(formatPattern(2.675, u"0.00")), "2.67");
    EXPECT_EQ(s(formatPattern(std::nextafter(0.125, 0.0), u"0.00")), "0.12");
    EXPECT_EQ(s(formatPattern(std::nextafter(2.5, 0.0), u"0")), "2");
    // The smallest subnormal is a half at its 1073rd decimal.
    const QString tiny = formatPattern(std::ldexp(1.0, -1074), QStringLiteral("0.") + QString(1073, u'0'));
    EXPECT_EQ(tiny.size(), 2 + 1073);
    EXPECT_TRUE(tiny.endsWith(u"8753868250641971826553344726563")) << s(tiny.right(31));
    EXPECT_TRUE(tiny.startsWith(u"0.000")) << s(tiny.left(10));

    EXPECT_EQ(s(formatPattern(1.25, u"0.0e+0")), "1.3e+0");
    EXPECT_EQ(s(formatPattern(-1.25, u"0.0e+0")), "-1.3e+0");
    EXPECT_EQ(s(formatPattern(2.5, u"0e+0")), "3e+0");
    EXPECT_EQ(s(formatPattern(125, u"0.0e+0")), "1.3e+2");
    EXPECT_EQ(s(formatPattern(0.03125, u"0.00E+00")), "3.13E-02");
    EXPECT_EQ(s(formatPattern(9.5, u"0e+0")), "1e+1");      // carry into the exponent
    EXPECT_EQ(s(formatPattern(-99.5, u"0.0e-0")), "-1.0e2");
    EXPECT_EQ(s(formatPattern(1.5e21, u"0e+0")), "2e+21");
    EXPECT_EQ(s(formatPattern(2.5e21, u"0e+0")), "3e+21");
    EXPECT_EQ(s(formatPattern(2.5e22, u"0e+0")), "2e+22"); // not a double: stored below the half
    EXPECT_EQ(s(formatPattern(std::nextafter(1.25, 0.0), u"0.0e+0")), "1.2e+0");
    EXPECT_EQ(s(formatPattern(1.35, u"0.0e+0")), "1.4e+0"); // above the half in binary
    EXPECT_EQ(s(formatPattern(1.45, u"0.0e+0")), "1.4e+0"); // below it

    // AUTO goes through the same patterns.
    EXPECT_EQ(fmtAuto(12345.5), "12346");
    EXPECT_EQ(fmtAuto(1234.25), "1234.3");
    EXPECT_EQ(fmtAuto(2.00005), "2.0000"); // not a binary half: stored below it
    EXPECT_EQ(fmtAuto(0.5078125 / 8), "0.063477");
    EXPECT_EQ(fmtAuto(-0.125), "-1.2500e-1");
    EXPECT_EQ(fmtAuto(-1.03125), "-1.0313e+0");
    EXPECT_EQ(fmtAuto(262144.5), "2.6214e+5");
    EXPECT_EQ(fmtAuto(262145), "2.6215e+5"); // 2.62145e5: a half in the exponent form
}
