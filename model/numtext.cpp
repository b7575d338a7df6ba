#include "model/numtext.h"

#include <charconv>
#include <cstdint>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace orv {

QString convErrorText(ConvError e)
{
    switch (e) {
    case ConvError::TypeMismatch: return QStringLiteral("型が一致しません。");
    case ConvError::InvalidArgument: return QStringLiteral("プロシージャの呼び出し、または引数が不正です。");
    case ConvError::Degenerate: return QStringLiteral("0 で除算しました。またはオーバーフローしました。");
    }
    return {};
}

QString convFailedMessage(ConvError e)
{
    return QStringLiteral("エラー！(No.2)(座標変換ができません。枠線の定義と軸の値を確認して下さい。)\r") +
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

// Exact fast path: a mantissa of at most 15 digits and a power of ten up to
// 1e22 are both exact doubles, so one multiplication or division gives the
// correctly rounded result, the same bits from_chars gives.
bool parseFast(const char *b, const char *e, double *out)
{
    bool neg = false;
    if (b < e && (*b == '-' || *b == '+'))
        neg = *b++ == '-';
    std::uint64_t mant = 0;
    int sig = 0, scale = 0;
    bool dot = false;
    for (; b < e && *b != 'e'; ++b) {
        if (*b == '.') {
            dot = true;
            continue;
        }
        const int d = *b - '0';
        if (sig == 0 && d == 0) {
            if (dot)
                --scale;
            continue;
        }
        if (++sig > 15)
            return false;
        mant = mant * 10 + std::uint64_t(d);
        if (dot)
            --scale;
    }
    if (b < e) { // exponent
        ++b;
        bool eneg = false;
        if (b < e && (*b == '-' || *b == '+'))
            eneg = *b++ == '-';
        int ev = 0;
        for (; b < e; ++b) {
            ev = ev * 10 + (*b - '0');
            if (ev > 400)
                return false;
        }
        scale += eneg ? -ev : ev;
    }
    static constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    double v = double(mant);
    if (mant == 0)
        v = 0;
    else if (scale >= 0 && scale <= 22)
        v *= kPow10[scale];
    else if (scale < 0 && scale >= -22)
        v /= kPow10[-scale];
    else
        return false;
    *out = neg ? -v : v;
    return true;
}

// Parses buf[0..n) (ASCII, already validated as a number).
double parseAscii(const char *buf, int n, bool *overflow)
{
    double v = 0;
    if (parseFast(buf, buf + n, &v))
        return v;
    const char *b = buf;
    if (*b == '+')
        ++b;
    auto r = std::from_chars(b, buf + n, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        // from_chars reports both overflow and underflow; tell them apart.
        bool negative = (*b == '-');
        const char *ep = std::strpbrk(b, "eE");
        bool negExp = ep && ep[1] == '-';
        if (negExp) {
            v = negative ? -0.0 : 0.0;
        } else {
            *overflow = true;
            v = negative ? -HUGE_VAL : HUGE_VAL;
        }
    }
    return v;
}

// Scans a number at text[i..]: [sign] digits [. digits] [(E|D) [sign] digits].
// Writes the ASCII form to buf, returns the count written (0 when no mantissa
// digit was seen). `skipBlanks` ignores blanks anywhere (the prefix reading).
// `end` receives the index after the last consumed character.
int scanNumber(QStringView text, qsizetype i, bool skipBlanks, char *buf, int cap, qsizetype *end)
{
    const qsizetype len = text.size();
    auto skip = [&] {
        if (skipBlanks)
            while (i < len && isIgnoredBlank(text[i].unicode()))
                ++i;
    };
    int n = 0;
    auto put = [&](char c) {
        if (n < cap - 1)
            buf[n++] = c;
        else
            n = cap; // mark as too long
    };
    skip();
    if (i < len && (text[i] == u'-' || text[i] == u'+')) {
        put(char(text[i].unicode()));
        ++i;
        skip();
    }
    int digits = 0;
    while (i < len && isDigit(text[i].unicode())) {
        put(char(text[i].unicode()));
        ++i;
        ++digits;
        skip();
    }
    if (i < len && text[i] == u'.') {
        qsizetype save = i;
        put('.');
        ++i;
        skip();
        int frac = 0;
        while (i < len && isDigit(text[i].unicode())) {
            put(char(text[i].unicode()));
            ++i;
            ++frac;
            skip();
        }
        digits += frac;
        if (digits == 0) {
            *end = save;
            return 0;
        }
    }
    if (digits == 0) {
        *end = i;
        return 0;
    }
    *end = i;
    if (i < len) {
        char16_t c = text[i].unicode();
        if (c == u'e' || c == u'E' || c == u'd' || c == u'D') {
            qsizetype j = i + 1;
            int save = n;
            put('e');
            if (skipBlanks)
                while (j < len && isIgnoredBlank(text[j].unicode()))
                    ++j;
            if (j < len && (text[j] == u'-' || text[j] == u'+')) {
                put(char(text[j].unicode()));
                ++j;
                if (skipBlanks)
                    while (j < len && isIgnoredBlank(text[j].unicode()))
                        ++j;
            }
            int ed = 0;
            while (j < len && isDigit(text[j].unicode())) {
                put(char(text[j].unicode()));
                ++j;
                ++ed;
                if (skipBlanks)
                    while (j < len && isIgnoredBlank(text[j].unicode()))
                        ++j;
            }
            if (ed > 0) {
                *end = j;
            } else {
                n = save; // "1E" reads as 1
            }
        }
    }
    return n;
}

} // namespace

QString plainNumText(float v) { return generalText(double(v), 7); }
QString doubleText(double v) { return generalText(v, 15); }

double readPrefix(QStringView text)
{
    char buf[512];
    qsizetype end = 0;
    int n = scanNumber(text, 0, true, buf, int(sizeof buf), &end);
    if (n <= 0 || n >= int(sizeof buf))
        return 0;
    bool overflow = false;
    return parseAscii(buf, n, &overflow);
}

std::expected<double, ConvError> readStrict(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    QStringView t = text.mid(b, e - b);
    char buf[512];
    qsizetype end = 0;
    int n = scanNumber(t, 0, false, buf, int(sizeof buf), &end);
    if (n <= 0 || n >= int(sizeof buf) || end != t.size())
        return std::unexpected(ConvError::TypeMismatch);
    bool overflow = false;
    double v = parseAscii(buf, n, &overflow);
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
    if (!expForm) {
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
    const int head = int(ep - mant);
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
