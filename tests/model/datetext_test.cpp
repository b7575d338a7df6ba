#include "model/datetext.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace orv;

namespace {

std::string s(const QString &t) { return t.toStdString(); }

double at(int y, int m, int d, double hours = 0) { return double(serialOfDate({y, m, d})) + hours / 24; }

} // namespace

TEST(DateText, CalendarIsExactAndContinuous)
{
    struct Anchor {
        std::int64_t serial;
        CivilDate date;
    };
    // Spreadsheet serials after March 1900, continuous before it (no 29 February 1900).
    const Anchor anchors[] = {
        {0, {1899, 12, 30}},   {1, {1899, 12, 31}},     {2, {1900, 1, 1}},     {60, {1900, 2, 28}},
        {61, {1900, 3, 1}},    {-1, {1899, 12, 29}},    {25569, {1970, 1, 1}}, {36526, {2000, 1, 1}},
        {43890, {2020, 2, 29}}, {43891, {2020, 3, 1}},  {-36522, {1800, 1, 1}}, {2958465, {9999, 12, 31}},
        {-693593, {1, 1, 1}},
    };
    for (const auto &a : anchors) {
        EXPECT_EQ(serialOfDate(a.date), a.serial) << a.date.year << "-" << a.date.month << "-" << a.date.day;
        EXPECT_EQ(dateOfSerial(a.serial), a.date) << a.serial;
    }
    // Month lengths of 28..31 days in ordinary, leap and century years.
    struct Len {
        int year, month, days;
    };
    const Len lens[] = {{2019, 2, 28}, {2020, 2, 29}, {1900, 2, 28}, {2000, 2, 29}, {2100, 2, 28},
                        {2020, 4, 30}, {2020, 1, 31}, {2020, 12, 31}, {1899, 11, 30}};
    for (const auto &l : lens) {
        EXPECT_EQ(daysInMonth(l.year, l.month), l.days) << l.year << "-" << l.month;
        const std::int64_t last = serialOfDate({l.year, l.month, l.days});
        const CivilDate next = dateOfSerial(last + 1);
        EXPECT_EQ(next.day, 1);
        EXPECT_EQ(next.month, l.month % 12 + 1);
    }
    // Every day of years 1..9999 follows its predecessor.
    CivilDate prev = dateOfSerial(-693594);
    for (std::int64_t sday = -693593; sday <= 2958465; ++sday) {
        const CivilDate d = dateOfSerial(sday);
        const bool nextDay = d.year == prev.year && d.month == prev.month && d.day == prev.day + 1;
        const bool nextMonth = d.day == 1 && prev.day == daysInMonth(prev.year, prev.month) &&
                               ((d.month == prev.month + 1 && d.year == prev.year) ||
                                (d.month == 1 && prev.month == 12 && d.year == prev.year + 1));
        ASSERT_TRUE(nextDay || nextMonth) << sday;
        ASSERT_EQ(serialOfDate(d), sday);
        prev = d;
    }
}

TEST(DateText, ParsesTypedDatesAndTimes)
{
    struct Good {
        const char16_t *text;
        double serial;
        bool timeOnly;
    };
    const Good good[] = {
        {u"2020-03-01", 43891, false},
        {u"2020/3/1", 43891, false},
        {u" 2020/03/01 ", 43891, false},
        {u"2020-03-01 09:00", 43891.375, false},
        {u"2020-03-01  9:00", 43891.375, false},
        {u"2020-03-01T09:00:00.250", 43891 + (9 * 3600000.0 + 250) / kMsPerDay, false},
        {u"2020-02-29", 43890, false},
        {u"1899-12-28 18:00", -1.25, false},
        {u"1900-03-01", 61, false},
        {u"09:30", 570 / 1440.0, true},
        {u"09:30:15.5", 34215.5 / 86400, true},
        {u"00:00", 0, true},
        {u"24:00", 1, true},
        {u"23:59:59.999", 86399999 / kMsPerDay, true},
    };
    for (const auto &g : good) {
        const auto p = parseDateText(g.text);
        ASSERT_TRUE(p.has_value()) << s(QString::fromUtf16(g.text));
        EXPECT_EQ(p->serial, g.serial) << s(QString::fromUtf16(g.text));
        EXPECT_EQ(p->timeOnly, g.timeOnly) << s(QString::fromUtf16(g.text));
    }
    struct Bad {
        const char16_t *text;
        DateError error;
    };
    const Bad bad[] = {
        {u"", DateError::NotADate},           {u"abc", DateError::NotADate},
        {u"2020", DateError::NotADate},       {u"2020-03", DateError::NotADate},
        {u"2020/03-01", DateError::NotADate}, {u"2020-03-01x", DateError::NotADate},
        {u"2020-03-01 9", DateError::NotADate}, {u"20-03-01", DateError::NotADate},
        {u"9:5", DateError::NotADate},        {u"09:30:15.", DateError::NotADate},
        {u"1900-02-29", DateError::BadDay},   {u"2021-02-29", DateError::BadDay},
        {u"2020-04-31", DateError::BadDay},   {u"2020-01-00", DateError::BadDay},
        {u"2020-13-01", DateError::BadMonth}, {u"2020-00-10", DateError::BadMonth},
        {u"25:00", DateError::BadTime},       {u"09:60", DateError::BadTime},
        {u"24:00:01", DateError::BadTime},    {u"0000-01-01", DateError::OutOfRange},
    };
    for (const auto &b : bad) {
        const auto p = parseDateText(b.text);
        ASSERT_FALSE(p.has_value()) << s(QString::fromUtf16(b.text));
        EXPECT_EQ(p.error(), b.error) << s(QString::fromUtf16(b.text));
        EXPECT_TRUE(dateErrorText(p.error(), b.text).contains(QString::fromUtf16(b.text).trimmed()));
    }
    // A date axis reads plain numbers as serial days too.
    EXPECT_EQ(readDateValue(u"43891.375").value(), 43891.375);
    EXPECT_EQ(readDateValue(u"2020-03-01 09:00").value(), 43891.375);
    EXPECT_FALSE(readDateValue(u"2020-02-30").has_value());
}

TEST(DateText, FormatsPatternsRoundingToTheShownUnit)
{
    const double leapNoon = at(2020, 2, 29, 12);
    struct Case {
        double serial;
        const char16_t *pattern;
        const char *text;
    };
    const Case cases[] = {
        {43891.375, u"yyyy-MM-dd hh:mm", "2020-03-01 09:00"},
        {leapNoon, u"yyyy-MM-dd", "2020-03-01"}, // noon rounds up
        {leapNoon - 1e-6, u"yyyy-MM-dd", "2020-02-29"},
        {leapNoon, u"yyyy-MM", "2020-02"}, // months and years truncate
        {at(2020, 12, 31, 23.99), u"yyyy", "2020"},
        {at(2020, 12, 31, 23.99), u"yyyy-MM-dd", "2021-01-01"},
        {-1.25, u"yyyy-MM-dd hh:mm", "1899-12-28 18:00"},
        {-0.5, u"yyyy-MM-dd hh:mm:ss", "1899-12-29 12:00:00"},
        {0.5 + 0.25 / 86400, u"hh:mm:ss.zzz", "12:00:00.250"},
        {at(2021, 2, 28) + 86399.6 / 86400, u"yyyy-MM-dd hh:mm:ss", "2021-03-01 00:00:00"},
        {at(2021, 2, 28) + 86399.6 / 86400, u"yyyy-MM-dd hh:mm:ss.zzz", "2021-02-28 23:59:59.600"},
        {at(1850, 6, 30, 6), u"yyyy-MM-dd hh:mm", "1850-06-30 06:00"},
        {at(2050, 1, 31, 11), u"dd.MM.yyyy", "31.01.2050"},
        {NAN, u"yyyy-MM-dd", "NaN"},
        {1e12, u"yyyy-MM-dd", "1000000000000"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(s(formatDate(c.serial, c.pattern)), c.text) << s(QString::fromUtf16(c.pattern));

    EXPECT_TRUE(isDatePattern(u"yyyy-MM"));
    EXPECT_TRUE(isDatePattern(u"hh:mm:ss.zzz"));
    EXPECT_FALSE(isDatePattern(u"0.000e+0"));
    EXPECT_FALSE(isDatePattern(u"AUTO"));
    for (const QString &p : datePatternItems().mid(1))
        EXPECT_TRUE(isDatePattern(p)) << s(p);
}

TEST(DateText, AutoTakesTheCoarsestUnitWithinAFiveHundredthOfTheSpan)
{
    struct Case {
        double span;
        bool timeOnly;
        const char16_t *pattern;
    };
    const Case cases[] = {
        {3650, false, u"yyyy-MM-dd"},        {500, false, u"yyyy-MM-dd"},
        {499, false, u"yyyy-MM-dd hh:mm"},   {365, false, u"yyyy-MM-dd hh:mm"},
        {-365, false, u"yyyy-MM-dd hh:mm"},  {1.0 / 24, false, u"yyyy-MM-dd hh:mm:ss"},
        {0.001, false, u"yyyy-MM-dd hh:mm:ss.zzz"}, {0, false, u"yyyy-MM-dd hh:mm:ss.zzz"},
        {NAN, false, u"yyyy-MM-dd hh:mm:ss.zzz"},   {1, true, u"hh:mm"},
        {1.0 / 24, true, u"hh:mm:ss"},       {0.001, true, u"hh:mm:ss.zzz"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(QStringView(autoDatePattern(c.span, c.timeOnly)), QStringView(c.pattern)) << c.span;
}

TEST(DateText, BoxTextsReadBackToTheSameSerial)
{
    struct Case {
        double serial;
        bool timeOnly;
        const char *text; // nullptr: only the round trip is checked
    };
    const Case cases[] = {
        {43891, false, "2020-03-01"},
        {43891.375, false, "2020-03-01 09:00"},
        {parseDateText(u"2020-03-01T09:00:00.250")->serial, false, "2020-03-01 09:00:00.250"},
        {parseDateText(u"09:30")->serial, true, "09:30"},
        {parseDateText(u"09:30:15.5")->serial, true, "09:30:15.500"},
        {1, true, "24:00"},
        {0.5, false, "1899-12-30 12:00"},
        {-1.25, false, "1899-12-28 18:00"},
        {43891.123456789, false, "43891.123456789"},
        {0.1, false, nullptr},
        {1e300, false, "1e+300"},
    };
    for (const auto &c : cases) {
        const QString t = exactDateText(c.serial, c.timeOnly);
        if (c.text) {
            EXPECT_EQ(s(t), c.text);
        }
        EXPECT_EQ(readDateValue(t).value(), c.serial) << s(t);
    }
    for (double v : {43891.375, 0.1, 1.0 / 3, -1.25, 2958465.999, 1e-7})
        EXPECT_EQ(readStrict(shortestNumText(v)).value(), v) << v;
    EXPECT_EQ(s(shortestNumText(43891)), "43891");
}

TEST(DateText, DurationsAndCalendarSteps)
{
    struct Good {
        const char16_t *text;
        double days;
        int months;
    };
    const Good good[] = {
        {u"30s", 30 / 86400.0, 0}, {u"15min", 15 / 1440.0, 0}, {u"6h", 0.25, 0}, {u"1d", 1, 0},
        {u"2w", 14, 0},           {u"500ms", 500 / kMsPerDay, 0}, {u"1.5h", 1.5 / 24, 0}, {u" 2 d", 2, 0},
        {u"1mo", 0, 1},           {u"3mo", 0, 3},          {u"1y", 0, 12}, {u"10Y", 0, 120},
    };
    for (const auto &g : good) {
        const auto d = parseDuration(g.text);
        ASSERT_TRUE(d.has_value()) << s(QString::fromUtf16(g.text));
        EXPECT_EQ(d->days, g.days) << s(QString::fromUtf16(g.text));
        EXPECT_EQ(d->months, g.months);
    }
    for (const char16_t *bad : {u"", u"5", u"0s", u"-1d", u"1m", u"1.5mo", u"abc", u"d", u"1 day"}) {
        const auto d = parseDuration(bad);
        EXPECT_FALSE(d.has_value()) << s(QString::fromUtf16(bad));
        if (!d) {
            EXPECT_TRUE(d.error().contains(u"1mo"));
        }
    }

    const Duration month{0, 1}, year{0, 12}, hours{0.25, 0};
    struct Step {
        double start;
        Duration d;
        std::int64_t k;
        double expected;
    };
    const Step steps[] = {
        {at(2020, 1, 31), month, 1, at(2020, 2, 29)},  {at(2020, 1, 31), month, 2, at(2020, 3, 31)},
        {at(2020, 1, 31), month, 3, at(2020, 4, 30)},  {at(2021, 1, 31), month, 1, at(2021, 2, 28)},
        {at(2020, 2, 29), year, 1, at(2021, 2, 28)},   {at(2020, 2, 29), year, 4, at(2024, 2, 29)},
        {at(2020, 3, 15, 9), month, -3, at(2019, 12, 15, 9)}, {at(1899, 11, 30, 6), month, 3, at(1900, 2, 28, 6)},
        {at(1850, 1, 1), year, 200, at(2050, 1, 1)},   {at(2020, 3, 1), hours, 5, at(2020, 3, 2, 6)},
    };
    for (const auto &st : steps)
        EXPECT_DOUBLE_EQ(addDuration(st.start, st.d, st.k), st.expected) << st.k;
}
