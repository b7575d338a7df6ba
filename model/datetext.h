#pragma once
// Dates and times on an axis. Inside the program a date is one number, its
// serial day: days since 1899-12-30 00:00, the time of day as the fraction,
// continuous before that day too (-1.25 is 1899-12-28 18:00). The calendar is
// the proleptic Gregorian one without time zones or daylight saving, and there
// is no 29 February 1900. Only the texts below know calendars.
//
//  * serialOfDate / dateOfSerial: exact calendar arithmetic on whole days.
//  * parseDateText: the typed forms "2020-03-01", "2020/3/1", "2020-03-01 09:00",
//    "2020-03-01T09:00:00.250", "09:30", "09:30:15.5" (a time alone is on day 0).
//  * formatDate: patterns of the tokens yyyy, MM, dd, hh, mm, ss, zzz; rounds to
//    the finest token shown, except that a year or month alone truncates.
//  * autoDatePattern: the AUTO rule from the axis's span.
//  * parseDuration / addDuration: steps such as "30s", "15min", "6h", "1d" and
//    the calendar steps "1mo", "1y".

#include "model/numtext.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <expected>

namespace orv {

struct CivilDate {
    int year = 1899;
    int month = 12; // 1..12
    int day = 30;   // 1..31
    bool operator==(const CivilDate &) const = default;
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);
// The serial day of a date's midnight; the date must be valid.
std::int64_t serialOfDate(const CivilDate &d);
CivilDate dateOfSerial(std::int64_t serialDay);

constexpr double kMsPerDay = 86400000.0;
// Serial days outside this range are no dates any text can show (beyond the
// years -9999..99999); they are shown as numbers.
constexpr double kMaxSerial = 35'000'000.0;

enum class DateError {
    NotADate,   // no date or time form
    BadMonth,   // month not 1..12
    BadDay,     // day past the month's end
    BadTime,    // hour, minute or second out of range
    OutOfRange, // year outside 1..9999
};

struct ParsedDate {
    double serial = 0;
    bool timeOnly = false; // typed as a time of day alone
};

// The whole text (surrounding blanks aside) must be one of the typed forms.
std::expected<ParsedDate, DateError> parseDateText(QStringView text);
// The message for a text that is no date, naming the text.
QString dateErrorText(DateError e, QStringView text);

// A value on a date axis: a date text, or a plain number read as the serial
// day (the state file and the command line write serial days).
std::expected<double, ConvError> readDateValue(QStringView text);
// True when the text is a time of day alone ("09:30").
bool isTimeOnlyText(QStringView text);

// The patterns the digits box offers on a date axis (AUTO first).
QStringList datePatternItems();
bool isDatePattern(QStringView pattern);
// The text of a serial day in a pattern of the tokens yyyy, MM, dd, hh, mm,
// ss, zzz (other characters shown as they are). Non-finite or far values give
// the plain number text.
QString formatDate(double serial, QStringView pattern);
// AUTO: the coarsest of day, minute, second, millisecond whose unit is at
// most 1/500 of the span (in days; the finest when none is), with the date
// part only when `timeOnly` is false.
const char16_t *autoDatePattern(double spanDays, bool timeOnly);

// The shortest plain text that reads back to the same double ("43891.375").
QString shortestNumText(double v);
// The text a date box shows for a value: the coarsest of the typed forms that
// reads back to exactly the same serial day, a time alone when `timeOnly`
// (and the value lies in day 0), else the plain number.
QString exactDateText(double serial, bool timeOnly);

// A step length: a fixed number of days, or whole calendar months.
struct Duration {
    double days = 0; // fixed steps (seconds .. days)
    int months = 0;  // calendar steps (1mo = 1, 1y = 12)
    bool calendar() const { return months != 0; }
};
// "30s", "15min", "6h", "1d", "2w", "1mo", "1y" (also "500ms", "1.5h"; a blank
// may stand between number and unit). Zero and negative lengths fail.
std::expected<Duration, QString> parseDuration(QStringView text);
// start + k steps. Calendar steps keep the time of day and the day of month,
// clamped to the month's last day (Jan 31 + 1mo = Feb 29 in a leap year),
// always counted from the start so that no clamp carries over.
double addDuration(double start, const Duration &d, std::int64_t k);

} // namespace orv
