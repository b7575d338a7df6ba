#include "model/numtext.h"

#include <QCoreApplication>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace orv {

QString convErrorText(ConvError e)
{
    switch (e) {
    case ConvError::TypeMismatch: return QCoreApplication::translate("Messages", "型が一致しません。");
    case ConvError::InvalidArgument: return QCoreApplication::translate("Messages", "プロシージャの呼び出し、または引数が不正です。");
    case ConvError::Degenerate: return QCoreApplication::translate("Messages", "0 で除算しました。またはオーバーフローしました。");
    }
    return {};
}

QString convFailedMessage(ConvError e)
{
    return QCoreApplication::translate("Messages", "エラー！(No.2)(座標変換ができません。枠線の定義と軸の値を確認して下さい。)\r") +
           convErrorText(e);
}

namespace {

// General decimal text with `digits` significant digits, trailing zeros removed,
// switching to the exponent form outside [1E-4, 10^digits).
QString generalText(double v, int digits)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf");
    if (v == 0)
        return QStringLiteral("0");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, v);
    // buf: [-]d.ddddde[+-]xx
    const char *p = buf;
    bool neg = false;
    if (*p == '-') {
        neg = true;
        ++p;
    }
    char mant[32];
    int nm = 0;
    const char *e = std::strchr(p, 'e');
    for (const char *q = p; q < e; ++q)
        if (*q != '.')
            mant[nm++] = *q;
    while (nm > 1 && mant[nm - 1] == '0')
        --nm;
    const int exp10 = std::atoi(e + 1);

    char out[64];
    int n = 0;
    if (neg)
        out[n++] = '-';
    if (exp10 >= digits || exp10 < -4) {
        out[n++] = mant[0];
        if (nm > 1) {
            out[n++] = '.';
            for (int i = 1; i < nm; ++i)
                out[n++] = mant[i];
        }
        n += std::snprintf(out + n, sizeof out - n, "E%c%02d", exp10 < 0 ? '-' : '+', std::abs(exp10));
    } else if (exp10 >= 0) {
        for (int i = 0; i <= exp10; ++i)
            out[n++] = i < nm ? mant[i] : '0';
        if (nm > exp10 + 1) {
            out[n++] = '.';
            for (int i = exp10 + 1; i < nm; ++i)
                out[n++] = mant[i];
        }
    } else {
        out[n++] = '0';
        out[n++] = '.';
        for (int i = 0; i < -exp10 - 1; ++i)
            out[n++] = '0';
        for (int i = 0; i < nm; ++i)
            out[n++] = mant[i];
    }
    return QString::fromLatin1(out, n);
}

inline bool isIgnoredBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
inline bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The powers of ten that are exact doubles.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A number as scanned: the significant digits (leading zeros dropped), at most
// kKeptDigits of them, worth digits * 10^scale. Digits past the kept ones only
// shift the scale (integer part) or, when not zero, leave a sticky 1 behind the
// kept ones: 769 significant digits decide every correctly rounded double, and
// the sticky digit settles the halfway cases that a later digit breaks.
constexpr int kKeptDigits = 800;
constexpr std::int64_t kExpLimit = 1'000'000'000; // saturates long exponents

struct Scanned {
    bool negative = false;
    char digits[kKeptDigits + 1];
    int count = 0;          // digits written (the sticky one included)
    bool sticky = false;    // a non-zero digit was dropped
    std::int64_t scale = 0; // power of ten of the last kept digit
};

// Exact fast path: a mantissa of at most 15 digits and a power of ten up to
// 1e22 are both exact doubles, so one multiplication or division gives the
// correctly rounded result, the same bits from_chars gives.
bool parseFast(const Scanned &s, double *out)
{
    if (s.count > 15 || s.scale < -22 || s.scale > 22)
        return false;
    std::uint64_t mant = 0;
    for (int i = 0; i < s.count; ++i)
        mant = mant * 10 + std::uint64_t(s.digits[i] - '0');
    double v = double(mant);
    if (s.scale >= 0)
        v *= kPow10[s.scale];
    else
        v /= kPow10[-s.scale];
    *out = s.negative ? -v : v;
    return true;
}

double parseScanned(const Scanned &s, bool *overflow)
{
    const double zero = s.negative ? -0.0 : 0.0;
    if (s.count == 0)
        return zero;
    double v = 0;
    if (parseFast(s, &v))
        return v;
    // The power of ten of the leading digit decides the range before the
    // exponent is printed: no double lies outside 1e-325 .. 1e309.
    const std::int64_t lead = s.scale + s.count - 1;
    if (lead > 310) {
        *overflow = true;
        return s.negative ? -HUGE_VAL : HUGE_VAL;
    }
    if (lead < -330)
        return zero;
    char buf[kKeptDigits + 32];
    int n = 0;
    if (s.negative)
        buf[n++] = '-';
    std::memcpy(buf + n, s.digits, size_t(s.count));
    n += s.count;
    n += std::snprintf(buf + n, sizeof buf - size_t(n), "e%lld", static_cast<long long>(s.scale));
    const auto r = std::from_chars(buf, buf + n, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars reports both overflow and underflow.
        if (lead > 0) {
            *overflow = true;
            return s.negative ? -HUGE_VAL : HUGE_VAL;
        }
        return zero;
    }
    return v;
}

// Scans a number at text[i..]: [sign] digits [. digits] [(E|D) [sign] digits],
// of any length. Returns false when no mantissa digit was seen. `skipBlanks`
// ignores blanks anywhere (the prefix reading). `end` receives the index after
// the last consumed character.
bool scanNumber(QStringView text, qsizetype i, bool skipBlanks, Scanned &out, qsizetype *end)
{
    const qsizetype len = text.size();
    auto skip = [&] {
        if (skipBlanks)
            while (i < len && isIgnoredBlank(text[i].unicode()))
                ++i;
    };
    bool fraction = false;
    auto digit = [&](char16_t c) {
        if (out.count == 0 && c == u'0') {
            if (fraction)
                --out.scale;
        } else if (out.count < kKeptDigits) {
            out.digits[out.count++] = char(c);
            if (fraction)
                --out.scale;
        } else {
            if (c != u'0')
                out.sticky = true;
            if (!fraction && out.scale < kExpLimit)
                ++out.scale;
        }
    };
    skip();
    if (i < len && (text[i] == u'-' || text[i] == u'+')) {
        out.negative = text[i] == u'-';
        ++i;
        skip();
    }
    int digits = 0;
    while (i < len && isDigit(text[i].unicode())) {
        digit(text[i].unicode());
        ++i;
        ++digits;
        skip();
    }
    if (i < len && text[i] == u'.') {
        qsizetype save = i;
        ++i;
        skip();
        fraction = true;
        while (i < len && isDigit(text[i].unicode())) {
            digit(text[i].unicode());
            ++i;
            ++digits;
            skip();
        }
        if (digits == 0) {
            *end = save;
            return false;
        }
    }
    if (digits == 0) {
        *end = i;
        return false;
    }
    *end = i;
    if (i < len) {
        char16_t c = text[i].unicode();
        if (c == u'e' || c == u'E' || c == u'd' || c == u'D') {
            qsizetype j = i + 1;
            auto skipAt = [&] {
                if (skipBlanks)
                    while (j < len && isIgnoredBlank(text[j].unicode()))
                        ++j;
            };
            skipAt();
            bool negExp = false;
            if (j < len && (text[j] == u'-' || text[j] == u'+')) {
                negExp = text[j] == u'-';
                ++j;
                skipAt();
            }
            int ed = 0;
            std::int64_t ev = 0;
            while (j < len && isDigit(text[j].unicode())) {
                ev = std::min<std::int64_t>(ev * 10 + (text[j].unicode() - u'0'), kExpLimit);
                ++j;
                ++ed;
                skipAt();
            }
            if (ed > 0) { // "1E" reads as 1
                *end = j;
                out.scale += negExp ? -ev : ev;
            }
        }
    }
    if (out.sticky) {
        out.digits[out.count++] = '1';
        --out.scale;
    } else {
        // Trailing zeros only cost time ("0.5000" takes the fast path).
        while (out.count > 0 && out.digits[out.count - 1] == '0') {
            --out.count;
            ++out.scale;
        }
    }
    return true;
}

// True when v lies exactly halfway between two multiples of 10^-decimals
// (decimals may be negative). A double M * 2^-q (M odd, q > 0) has exactly q
// decimals, the last a 5, so it is a half at `decimals` when q = decimals + 1.
// A half at 10^n (n > 0) is an odd multiple of 5 * 10^(n-1), which needs
// 5^n < 2^53, so n <= 22, where 10^n is exact and fmod is too.
bool isExactHalf(double v, std::int64_t decimals)
{
    v = std::fabs(v);
    if (decimals >= 0) {
        if (decimals > 1100) // beyond the smallest subnormal's 1074 decimals
            return false;
        const double t = std::ldexp(v, int(decimals) + 1);
        return std::isfinite(t) && t == std::floor(t) && std::fmod(t, 2.0) == 1.0;
    }
    const std::int64_t n = -decimals;
    if (n > 22)
        return false;
    return std::fmod(v, kPow10[n]) == 5 * kPow10[n - 1];
}

std::string printed(const char *fmt, int precision, double v)
{
    std::string out(size_t(std::snprintf(nullptr, 0, fmt, precision, v)), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, precision, v);
    return out;
}

// `text` is a value printed exactly with one decimal more than wanted, that
// decimal a 5: drops it and rounds away from zero. Returns true when the carry
// runs out of the leading digit (all digits are then 0).
bool roundHalfAway(std::string &text)
{
    text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    for (size_t k = text.size(); k-- > 0;) {
        char &c = text[k];
        if (c == '.')
            continue;
        if (c == '-')
            break;
        if (c < '9') {
            ++c;
            return false;
        }
        c = '0';
    }
    return true;
}

} // namespace

QString plainNumText(float v) { return generalText(double(v), 7); }
QString doubleText(double v) { return generalText(v, 15); }

double readPrefix(QStringView text)
{
    Scanned num;
    qsizetype end = 0;
    if (!scanNumber(text, 0, true, num, &end))
        return 0;
    bool overflow = false;
    return parseScanned(num, &overflow);
}

std::expected<double, ConvError> readStrict(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    QStringView t = text.mid(b, e - b);
    Scanned num;
    qsizetype end = 0;
    if (!scanNumber(t, 0, false, num, &end) || end != t.size())
        return std::unexpected(ConvError::TypeMismatch);
    bool overflow = false;
    double v = parseScanned(num, &overflow);
    if (overflow)
        return std::unexpected(ConvError::Degenerate);
    return v;
}

const char16_t *autoPattern(double v)
{
    // Compared as signed values; NaN fails every comparison and lands in the first row.
    if (!(v >= 0.01))
        return u"0.0000e+0";
    if (v < 0.1)
        return u"0.000000";
    if (v < 1)
        return u"0.00000";
    if (v < 10)
        return u"0.0000";
    if (v < 100)
        return u"0.000";
    if (v < 1000)
        return u"0.00";
    if (v < 10000)
        return u"0.0";
    if (v < 100000)
        return u"0";
    return u"0.0000e+0";
}

QString formatPattern(double v, QStringView pat)
{
    // Parse the pattern: "0" ["." zeros] [("e"|"E") ("+"|"-") zeros]
    qsizetype i = 0;
    const qsizetype len = pat.size();
    if (len == 0 || pat[0] != u'0')
        return doubleText(v);
    i = 1;
    int decimals = 0;
    if (i < len && pat[i] == u'.') {
        ++i;
        while (i < len && pat[i] == u'0') {
            ++decimals;
            ++i;
        }
    }
    bool expForm = false;
    char expLetter = 'e';
    bool alwaysSign = true;
    int expDigits = 1;
    if (i < len) {
        if ((pat[i] == u'e' || pat[i] == u'E') && i + 1 < len && (pat[i + 1] == u'+' || pat[i + 1] == u'-')) {
            expForm = true;
            expLetter = char(pat[i].unicode());
            alwaysSign = pat[i + 1] == u'+';
            i += 2;
            expDigits = 0;
            while (i < len && pat[i] == u'0') {
                ++expDigits;
                ++i;
            }
            if (expDigits == 0)
                return doubleText(v);
        }
        if (i != len)
            return doubleText(v);
    }
    if (!std::isfinite(v))
        return std::isnan(v) ? QStringLiteral("NaN") : (v > 0 ? QStringLiteral("Inf") : QStringLiteral("-Inf"));

    // The usual patterns fit the stack buffer; a long typed pattern gets a
    // buffer of its own rather than a cut-off (or overrun) text.
    char small[400];
    std::vector<char> large;
    auto print = [&](const char *fmt) -> const char * {
        int n = std::snprintf(small, sizeof small, fmt, decimals, v);
        if (n < 0)
            return nullptr;
        if (n < int(sizeof small))
            return small;
        large.resize(size_t(n) + 1);
        std::snprintf(large.data(), large.size(), fmt, decimals, v);
        return large.data();
    };
    // printf rounds exact halves to even; the display rounds them away from
    // zero, as spreadsheets do (2.5 -> 3, 0.125 -> 0.13). Other values are
    // rounded by their binary value, which printf does exactly.
    if (!expForm) {
        if (isExactHalf(v, decimals)) {
            std::string t = printed("%.*f", decimals + 1, v); // exact: ends in 5
            if (roundHalfAway(t))
                t.insert(t[0] == '-' ? 1 : 0, 1, '1');
            return QString::fromLatin1(t.data(), qsizetype(t.size()));
        }
        const char *buf = print("%.*f");
        if (!buf)
            return doubleText(v);
        const int n = int(std::strlen(buf));
        // A value that rounds to zero is not negative.
        if (buf[0] == '-') {
            bool allZero = true;
            for (int k = 1; k < n; ++k)
                if (buf[k] != '0' && buf[k] != '.')
                    allZero = false;
            if (allZero)
                return QString::fromLatin1(buf + 1, n - 1);
        }
        return QString::fromLatin1(buf, n);
    }
    const char *buf = print("%.*e");
    const char *ep = buf ? std::strchr(buf, 'e') : nullptr;
    if (!ep)
        return doubleText(v);
    int exp10 = std::atoi(ep + 1);
    if (v == 0)
        exp10 = 0;
    const char *mant = buf;
    if (buf[0] == '-' && v == 0) // -0 shows as 0
        ++mant;
    int head = int(ep - mant);
    // A half at the last decimal shown. When printf carried into the exponent
    // (9.96 -> 1.0e+1) the value was no half there, or one rounded up already.
    std::string halfText;
    if (v != 0 && isExactHalf(v, std::int64_t(decimals) - exp10)) {
        halfText = printed("%.*e", decimals + 1, v); // exact: the mantissa ends in 5
        halfText.resize(halfText.find('e'));
        if (roundHalfAway(halfText)) {
            halfText[halfText[0] == '-' ? 1 : 0] = '1';
            ++exp10;
        }
        mant = halfText.data();
        head = int(halfText.size());
    }
    char digits[16];
    const int nd = std::snprintf(digits, sizeof digits, "%d", std::abs(exp10));
    const int pad = expDigits > nd ? expDigits - nd : 0;
    char fast[448];
    std::vector<char> slow;
    char *out = fast;
    const size_t need = size_t(head) + 2 + size_t(pad) + size_t(nd);
    if (need > sizeof fast) {
        slow.resize(need);
        out = slow.data();
    }
    std::memcpy(out, mant, size_t(head));
    int m = head;
    out[m++] = expLetter;
    if (exp10 < 0)
        out[m++] = '-';
    else if (alwaysSign)
        out[m++] = '+';
    std::memset(out + m, '0', size_t(pad));
    m += pad;
    std::memcpy(out + m, digits, size_t(nd));
    m += nd;
    return QString::fromLatin1(out, m);
}

} // namespace orv
