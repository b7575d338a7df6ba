// Feeds arbitrary texts to the number readers and the values they give to the
// display patterns. The C library is the reference: strtod for the strict
// reading (correctly rounded for any length), printf for the patterns (exact,
// apart from its rounding of exact halves to even, which the display replaces
// by rounding away from zero).
//
// Input: one control byte, then the text (Latin-1, or UTF-16 when bit 0 of
// the control byte is set). The control byte's upper bits choose the decimals.
#include "model/numtext.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace orv;

namespace {

[[noreturn]] void fail(const char *what, const QString &text, double v = 0)
{
    std::fprintf(stderr, "%s\n  value: %.17g\n  text: %s\n", what, v, qPrintable(text.left(300)));
    std::abort();
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

std::string cprint(const char *fmt, int precision, double v)
{
    std::string out(size_t(std::snprintf(nullptr, 0, fmt, precision, v)), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, precision, v);
    return out;
}

// The strict reading against strtod on the same text.
void checkStrict(const QString &text)
{
    const auto got = readStrict(text);
    // The text without the blanks around it, as the strict reading sees it.
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == u' ')
        ++b;
    while (e > b && text[e - 1] == u' ')
        --e;
    QByteArray ascii = text.mid(b, e - b).toLatin1();
    for (char &c : ascii)
        if (c == 'd' || c == 'D')
            c = 'e';
    char *end = nullptr;
    const double want = std::strtod(ascii.constData(), &end);
    if (!got) {
        // strtod also takes hexadecimal, "inf", "nan" and leading white space;
        // in the decimal alphabet, a text it takes whole is a number.
        const bool decimal = !ascii.isEmpty() &&
                             ascii.toStdString().find_first_not_of("0123456789+-.eE") == std::string::npos;
        const bool whole = end == ascii.constData() + ascii.size();
        if (decimal && whole && !(got.error() == ConvError::Degenerate && std::isinf(want)))
            fail("a decimal number the strict reading refuses", text, want);
        return;
    }
    if (!sameBits(*got, want))
        fail("strict reading differs from strtod", text, *got);
    if (!sameBits(readPrefix(text), *got))
        fail("prefix reading differs from the strict one", text, *got);
}

void checkOverflow(const QString &text)
{
    const auto got = readStrict(text);
    if (got || got.error() != ConvError::Degenerate)
        return;
    if (!std::isinf(readPrefix(text)))
        fail("strict overflow but the prefix reading is finite", text);
}

// Exact decimal texts: a double has at most 1074 decimals and 767 significant digits.
bool exactHalfAt(const std::string &exact, size_t firstDropped)
{
    if (firstDropped >= exact.size() || exact[firstDropped] != '5')
        return false;
    for (size_t k = firstDropped + 1; k < exact.size() && exact[k] != 'e'; ++k)
        if (exact[k] != '0')
            return false;
    return true;
}

void checkFixed(double v, int decimals)
{
    const QString pattern = decimals ? QStringLiteral("0.") + QString(decimals, u'0') : QStringLiteral("0");
    const QString got = formatPattern(v, pattern);
    std::string want = cprint("%.*f", decimals, v);
    const std::string exact = cprint("%.*f", decimals + 1100, v);
    const size_t dot = exact.find('.');
    if (exactHalfAt(exact, dot + 1 + size_t(decimals))) {
        // Away from zero: not the truncated text, and not smaller in magnitude.
        std::string truncated = exact.substr(0, dot + (decimals ? 1 + size_t(decimals) : 0));
        if (got.toStdString() == truncated)
            fail("fixed: a half rounded towards zero", got, v);
        const auto back = readStrict(got);
        if (!back || std::signbit(*back) != std::signbit(v) || std::fabs(*back) < std::fabs(v))
            fail("fixed: a half not rounded away from zero", got, v);
        return;
    }
    bool zero = want[0] == '-' && want.find_first_not_of("0.", 1) == std::string::npos;
    if (zero)
        want.erase(0, 1);
    if (got.toStdString() != want)
        fail(("fixed: expected " + want.substr(0, 200)).c_str(), got, v);
}

void checkExponent(double v, int decimals)
{
    const QString pattern =
        QStringLiteral("0") + (decimals ? QStringLiteral(".") + QString(decimals, u'0') : QString()) + QStringLiteral("e+0");
    const std::string got = formatPattern(v, pattern).toStdString();
    const size_t ge = got.find('e');
    if (ge == std::string::npos)
        fail("exponent: no exponent", QString::fromStdString(got), v);
    const std::string gotMant = got.substr(0, ge);
    const long gotExp = std::strtol(got.c_str() + ge + 1, nullptr, 10);

    const std::string exact = cprint("%.*e", decimals + 800, v);
    const size_t firstDropped = exact.find('.') + 1 + size_t(decimals);
    if (v != 0 && exactHalfAt(exact, firstDropped)) {
        std::string truncated = exact.substr(0, decimals ? firstDropped : firstDropped - 1);
        const long exactExp = std::strtol(exact.c_str() + exact.find('e') + 1, nullptr, 10);
        if (gotMant == truncated && gotExp == exactExp)
            fail("exponent: a half rounded towards zero", QString::fromStdString(got), v);
        const auto back = readStrict(QString::fromStdString(got));
        if (!back || std::signbit(*back) != std::signbit(v) || std::fabs(*back) < std::fabs(v))
            fail("exponent: a half not rounded away from zero", QString::fromStdString(got), v);
        return;
    }
    const std::string want = cprint("%.*e", decimals, v);
    const size_t we = want.find('e');
    std::string wantMant = want.substr(0, we);
    if (v == 0 && wantMant[0] == '-')
        wantMant.erase(0, 1);
    const long wantExp = v == 0 ? 0 : std::strtol(want.c_str() + we + 1, nullptr, 10);
    if (gotMant != wantMant || gotExp != wantExp)
        fail(("exponent: expected " + want.substr(0, 200)).c_str(), QString::fromStdString(got), v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t control = data[0];
    ++data;
    --size;
    QString text;
    if (control & 1)
        text = QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    else
        text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));

    const double prefix = readPrefix(text);
    checkStrict(text);
    checkOverflow(text);

    // Any text may be a pattern (typed ones are); the patterns' own rules are
    // checked below with values the readers gave.
    (void)formatPattern(prefix, text.left(64));
    if (!std::isfinite(prefix))
        return 0;
    (void)formatPattern(prefix, QStringView(autoPattern(prefix)));
    // Mostly short patterns, now and then one past the 17 digits a double holds.
    const int decimals = (control >> 1) < 100 ? (control >> 1) % 12 : (control >> 1) * 3;
    checkFixed(prefix, decimals);
    checkExponent(prefix, decimals);
    // The raw bits of the text, for values no decimal text gives quickly.
    if (size >= 9) {
        double raw;
        std::memcpy(&raw, data + 1, sizeof raw);
        if (std::isfinite(raw)) {
            checkFixed(raw, decimals);
            checkExponent(raw, decimals);
        }
    }
    return 0;
}
