#include "model/datetext.h"

#include <QCoreApplication>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace orv {

namespace {

// 1899-12-30 counted from 1970-01-01.
constexpr std::int64_t kEpochShift = 25569;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Reads 1..maxDigits digits at text[i]; false when there is none.
bool readInt(QStringView t, qsizetype &i, int minDigits, int maxDigits, std::int64_t &out)
{
    int n = 0;
    out = 0;
    while (i < t.size() && n < maxDigits && isDigit(t[i])) {
        out = out * 10 + (t[i].unicode() - u'0');
        ++i;
        ++n;
    }
    return n >= minDigits && !(i < t.size() && isDigit(t[i]));
}

// hh:mm[:ss[.fraction]] at t[i..]; nanoseconds of the day.
std::expected<std::int64_t, DateError> readTime(QStringView t, qsizetype &i)
{
    std::int64_t h = 0, m = 0, s = 0, frac = 0;
    if (!readInt(t, i, 1, 2, h) || i >= t.size() || t[i] != u':')
        return std::unexpected(DateError::NotADate);
    ++i;
    if (!readInt(t, i, 2, 2, m))
        return std::unexpected(DateError::NotADate);
    if (i < t.size() && t[i] == u':') {
        ++i;
        if (!readInt(t, i, 2, 2, s))
            return std::unexpected(DateError::NotADate);
        if (i < t.size() && t[i] == u'.') {
            ++i;
            int n = 0;
            while (i < t.size() && isDigit(t[i])) {
                // Finer than a nanosecond is below any axis's reading.
                if (n < 9) {
                    frac = frac * 10 + (t[i].unicode() - u'0');
                    ++n;
                }
                ++i;
            }
            if (n == 0)
                return std::unexpected(DateError::NotADate);
            for (; n < 9; ++n)
                frac *= 10;
        }
    }
    if (h == 24 && m == 0 && s == 0 && frac == 0)
        return std::int64_t(86400) * 1'000'000'000;
    if (h > 23 || m > 59 || s > 59)
        return std::unexpected(DateError::BadTime);
    return ((h * 60 + m) * 60 + s) * 1'000'000'000 + frac;
}

// Day and milliseconds of the day of a serial, rounded to `unitMs` (or
// truncated to the day).
void split(double serial, std::int64_t unitMs, bool truncateDay, std::int64_t &day, std::int64_t &ms)
{
    const double f = std::floor(serial);
    day = std::int64_t(f);
    if (truncateDay) {
        ms = 0;
        return;
    }
    const double units = (serial - f) * kMsPerDay / double(unitMs); // serial - f is exact
    ms = std::int64_t(std::floor(units + 0.5)) * unitMs;
    if (ms >= std::int64_t(kMsPerDay)) {
        ++day;
        ms -= std::int64_t(kMsPerDay);
    }
}

void appendNum(QString &out, std::int64_t v, int width)
{
    if (v < 0) {
        out += u'-';
        v = -v;
    }
    out += QString::number(v).rightJustified(width, u'0');
}

} // namespace

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[(m - 1) % 12];
}

std::int64_t serialOfDate(const CivilDate &d)
{
    const std::int64_t y = d.year - (d.month <= 2);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (d.month + (d.month > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + kEpochShift;
}

CivilDate dateOfSerial(std::int64_t serial)
{
    const std::int64_t z = serial - kEpochShift + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilDate d;
    d.day = int(doy - (153 * mp + 2) / 5 + 1);
    d.month = int(mp < 10 ? mp + 3 : mp - 9);
    d.year = int(yoe + era * 400 + (d.month <= 2));
    return d;
}

std::expected<ParsedDate, DateError> parseDateText(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    ParsedDate out;
    std::int64_t day = 0;
    // A date starts with a four-digit year and its separator; anything else
    // may only be a time alone.
    const bool dated = t.size() >= 5 && isDigit(t[0]) && isDigit(t[1]) && isDigit(t[2]) && isDigit(t[3]) &&
                       (t[4] == u'-' || t[4] == u'/');
    if (dated) {
        std::int64_t y = 0, m = 0, d = 0;
        readInt(t, i, 4, 4, y);
        const QChar sep = t[i++];
        if (!readInt(t, i, 1, 2, m) || i >= t.size() || t[i] != sep)
            return std::unexpected(DateError::NotADate);
        ++i;
        if (!readInt(t, i, 1, 2, d))
            return std::unexpected(DateError::NotADate);
        if (y < 1)
            return std::unexpected(DateError::OutOfRange);
        if (m < 1 || m > 12)
            return std::unexpected(DateError::BadMonth);
        if (d < 1 || d > daysInMonth(int(y), int(m)))
            return std::unexpected(DateError::BadDay);
        day = serialOfDate({int(y), int(m), int(d)});
        if (i == t.size()) {
            out.serial = double(day);
            return out;
        }
        if (t[i] == u'T') {
            ++i;
        } else if (t[i] == u' ') {
            while (i < t.size() && t[i] == u' ')
                ++i;
        } else {
            return std::unexpected(DateError::NotADate);
        }
    } else {
        out.timeOnly = true;
    }
    const auto ns = readTime(t, i);
    if (!ns)
        return std::unexpected(ns.error());
    if (i != t.size())
        return std::unexpected(DateError::NotADate);
    // One correctly rounded division of exact integers: the same double
    // whatever decimals the seconds were typed with.
    out.serial = double(day) + double(*ns) / (kMsPerDay * 1e6);
    return out;
}

QString dateErrorText(DateError e, QStringView text)
{
    const QString t = text.trimmed().toString();
    switch (e) {
    case DateError::NotADate:
        return QCoreApplication::translate("Dates", "「%1」は日付でも時刻でもありません。2020-03-01、2020/3/1、2020-03-01 09:00、"
                                                    "09:30 のように入力して下さい。")
            .arg(t);
    case DateError::BadMonth: return QCoreApplication::translate("Dates", "「%1」の月が 1～12 の範囲にありません。").arg(t);
    case DateError::BadDay: return QCoreApplication::translate("Dates", "「%1」の日がその月の日数を超えています。").arg(t);
    case DateError::BadTime:
        return QCoreApplication::translate("Dates", "「%1」の時刻が範囲外です（時 0～23、分と秒 0～59）。").arg(t);
    case DateError::OutOfRange: return QCoreApplication::translate("Dates", "「%1」の年が 1～9999 の範囲にありません。").arg(t);
    }
    return {};
}

std::expected<double, ConvError> readDateValue(QStringView text)
{
    if (auto v = readStrict(text))
        return v;
    if (auto d = parseDateText(text))
        return d->serial;
    return std::unexpected(ConvError::TypeMismatch);
}

bool isTimeOnlyText(QStringView text)
{
    const auto d = parseDateText(text);
    return d && d->timeOnly;
}

QStringList datePatternItems()
{
    return {QStringLiteral("AUTO"),
            QStringLiteral("yyyy"),
            QStringLiteral("yyyy-MM"),
            QStringLiteral("yyyy-MM-dd"),
            QStringLiteral("yyyy-MM-dd hh:mm"),
            QStringLiteral("yyyy-MM-dd hh:mm:ss"),
            QStringLiteral("hh:mm:ss"),
            QStringLiteral("hh:mm:ss.zzz")};
}

bool isDatePattern(QStringView pattern)
{
    for (QChar c : pattern)
        if (c == u'y' || c == u'M' || c == u'd' || c == u'h' || c == u'm' || c == u's' || c == u'z')
            return true;
    return false;
}

QString formatDate(double serial, QStringView pat)
{
    if (!std::isfinite(serial) || std::fabs(serial) > kMaxSerial)
        return doubleText(serial);
    // The finest token shown decides the rounding.
    std::int64_t unitMs = 0;
    bool truncate = true;
    auto finer = [&](std::int64_t u) {
        if (unitMs == 0 || u < unitMs)
            unitMs = u;
    };
    if (pat.contains(u"zzz"))
        finer(1), truncate = false;
    if (pat.contains(u"ss"))
        finer(1000), truncate = false;
    if (pat.contains(u"mm"))
        finer(60000), truncate = false;
    if (pat.contains(u"hh"))
        finer(3600000), truncate = false;
    if (pat.contains(u"dd"))
        finer(std::int64_t(kMsPerDay)), truncate = false;
    if (unitMs == 0)
        unitMs = std::int64_t(kMsPerDay);
    std::int64_t day = 0, ms = 0;
    split(serial, unitMs, truncate, day, ms);
    const CivilDate d = dateOfSerial(day);
    QString out;
    out.reserve(pat.size() + 4);
    for (qsizetype i = 0; i < pat.size();) {
        const QStringView rest = pat.mid(i);
        if (rest.startsWith(u"yyyy")) {
            appendNum(out, d.year, 4);
            i += 4;
        } else if (rest.startsWith(u"MM")) {
            appendNum(out, d.month, 2);
            i += 2;
        } else if (rest.startsWith(u"dd")) {
            appendNum(out, d.day, 2);
            i += 2;
        } else if (rest.startsWith(u"hh")) {
            appendNum(out, ms / 3600000, 2);
            i += 2;
        } else if (rest.startsWith(u"mm")) {
            appendNum(out, ms / 60000 % 60, 2);
            i += 2;
        } else if (rest.startsWith(u"ss")) {
            appendNum(out, ms / 1000 % 60, 2);
            i += 2;
        } else if (rest.startsWith(u"zzz")) {
            appendNum(out, ms % 1000, 3);
            i += 3;
        } else {
            out += pat[i];
            ++i;
        }
    }
    return out;
}

const char16_t *autoDatePattern(double spanDays, bool timeOnly)
{
    const double span = std::fabs(spanDays);
    // NaN fails every comparison and takes the finest.
    if (!timeOnly && span / 500 >= 1)
        return u"yyyy-MM-dd";
    if (span / 500 >= 1.0 / 1440)
        return timeOnly ? u"hh:mm" : u"yyyy-MM-dd hh:mm";
    if (span / 500 >= 1.0 / 86400)
        return timeOnly ? u"hh:mm:ss" : u"yyyy-MM-dd hh:mm:ss";
    return timeOnly ? u"hh:mm:ss.zzz" : u"yyyy-MM-dd hh:mm:ss.zzz";
}

QString shortestNumText(double v)
{
    if (!std::isfinite(v))
        return doubleText(v);
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, r.ptr - buf);
}

QString exactDateText(double serial, bool timeOnly)
{
    if (!std::isfinite(serial) || std::fabs(serial) > kMaxSerial)
        return shortestNumText(serial);
    auto exact = [&](const QString &t) {
        const auto back = parseDateText(t);
        return back && back->serial == serial;
    };
    if (timeOnly && serial >= 0 && serial <= 1) {
        if (serial == 1)
            return QStringLiteral("24:00");
        for (const char16_t *p : {u"hh:mm", u"hh:mm:ss", u"hh:mm:ss.zzz"}) {
            const QString t = formatDate(serial, p);
            if (exact(t))
                return t;
        }
    }
    for (const char16_t *p : {u"yyyy-MM-dd", u"yyyy-MM-dd hh:mm", u"yyyy-MM-dd hh:mm:ss", u"yyyy-MM-dd hh:mm:ss.zzz"}) {
        const QString t = formatDate(serial, p);
        if (exact(t))
            return t;
    }
    return shortestNumText(serial);
}

std::expected<Duration, QString> parseDuration(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    while (i < t.size() && (isDigit(t[i]) || t[i] == u'.'))
        ++i;
    const auto count = readStrict(t.left(i));
    QStringView unit = t.mid(i).trimmed();
    const QString bad = QCoreApplication::translate("Dates", "「%1」は時間の長さではありません。30s、15min、6h、1d、1mo、1y "
                                                             "のように指定して下さい。")
                            .arg(t.toString());
    if (!count || !(*count > 0) || !std::isfinite(*count))
        return std::unexpected(bad);
    struct Unit {
        const char16_t *name;
        double days;
        int months;
    };
    static constexpr Unit kUnits[] = {{u"ms", 1 / kMsPerDay, 0}, {u"s", 1 / 86400.0, 0},  {u"sec", 1 / 86400.0, 0},
                                      {u"min", 1 / 1440.0, 0},   {u"h", 1 / 24.0, 0},     {u"d", 1, 0},
                                      {u"w", 7, 0},              {u"mo", 0, 1},           {u"y", 0, 12}};
    for (const Unit &u : kUnits) {
        if (unit.compare(QStringView(u.name), Qt::CaseInsensitive) != 0)
            continue;
        Duration d;
        if (u.months) {
            if (*count != std::floor(*count) || *count > 12000)
                return std::unexpected(bad);
            d.months = int(*count) * u.months;
        } else {
            // Whole seconds and milliseconds as exact integers first: 30s is
            // 30/86400 with one rounding.
            d.days = u.days == 1 / kMsPerDay   ? *count / kMsPerDay
                     : u.days == 1 / 86400.0   ? *count / 86400.0
                     : u.days == 1 / 1440.0    ? *count / 1440.0
                     : u.days == 1 / 24.0      ? *count / 24.0
                                               : *count * u.days;
        }
        return d;
    }
    return std::unexpected(bad);
}

double addDuration(double start, const Duration &d, std::int64_t k)
{
    if (!d.calendar())
        return start + double(k) * d.days;
    const double f = std::floor(start);
    const double timeOfDay = start - f;
    const CivilDate c = dateOfSerial(std::int64_t(f));
    const std::int64_t total = std::int64_t(c.year) * 12 + (c.month - 1) + k * d.months;
    const int y = int(floorDiv(total, 12));
    const int m = int(total - std::int64_t(y) * 12) + 1;
    const int day = std::min(c.day, daysInMonth(y, m));
    return double(serialOfDate({y, m, day})) + timeOfDay;
}

} // namespace orv
