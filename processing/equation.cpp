#include "processing/equation.h"

#include "model/numtext.h"

#include <QCoreApplication>
#include <array>
#include <charconv>
#include <cmath>

namespace orv {

namespace {

constexpr std::array<const char16_t *, kFitKindCount> kNames{u"線形近似", u"対数近似", u"多項式近似", u"累乗近似",
                                                             u"指数近似"};
constexpr std::array<const char16_t *, kFitKindCount> kCliNames{u"linear", u"log", u"poly", u"power", u"exp"};

// Joins a term to the text: "+c" or "-|c|" (the first term keeps its own sign).
void appendCoeff(QString &out, double c, bool first)
{
    const QString t = shortestText(c);
    if (first || t.startsWith(u'-'))
        out += t;
    else
        out += u'+' + t;
}

} // namespace

QString fitKindName(FitKind k) { return QString::fromUtf16(kNames[size_t(k)]); }

QString fitKindDisplayName(FitKind k)
{
    // The same names as kNames, for the windows only: kNames are keys.
    static const char *const texts[kFitKindCount] = {
        QT_TRANSLATE_NOOP("Processing", "線形近似"), QT_TRANSLATE_NOOP("Processing", "対数近似"),
        QT_TRANSLATE_NOOP("Processing", "多項式近似"), QT_TRANSLATE_NOOP("Processing", "累乗近似"),
        QT_TRANSLATE_NOOP("Processing", "指数近似")};
    return QCoreApplication::translate("Processing", texts[size_t(k)]);
}

std::optional<FitKind> fitKindFromName(QStringView name)
{
    for (int i = 0; i < kFitKindCount; ++i)
        if (name == QStringView(kNames[size_t(i)]))
            return FitKind(i);
    return std::nullopt;
}

std::optional<FitKind> fitKindFromCliName(QStringView name)
{
    for (int i = 0; i < kFitKindCount; ++i)
        if (name.compare(QStringView(kCliNames[size_t(i)]), Qt::CaseInsensitive) == 0)
            return FitKind(i);
    if (name.compare(u"polynomial", Qt::CaseInsensitive) == 0)
        return FitKind::Poly;
    if (name.compare(u"exponential", Qt::CaseInsensitive) == 0)
        return FitKind::Exp;
    if (name.compare(u"logarithmic", Qt::CaseInsensitive) == 0)
        return FitKind::Log;
    return fitKindFromName(name);
}

QString shortestText(double v)
{
    if (v == 0)
        return QStringLiteral("0");
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    QString out = QString::fromLatin1(buf, int(r.ptr - buf));
    // to_chars writes "1e+20"; the equation's only lower-case e is the exponential's.
    out.replace(u'e', u'E');
    return out;
}

QString equationText(FitKind kind, std::span<const double> c, bool omitConstant)
{
    QString out = QStringLiteral("y=");
    switch (kind) {
    case FitKind::Linear:
    case FitKind::Poly: {
        const int n = int(c.size()) - 1;
        bool first = true;
        for (int k = n; k >= 1; --k) {
            appendCoeff(out, c[size_t(k)], first);
            first = false;
            out += u'x';
            if (k > 1)
                out += QString::number(k);
        }
        if (!omitConstant || first)
            appendCoeff(out, c.empty() ? 0.0 : c[0], first);
        break;
    }
    case FitKind::Log:
        appendCoeff(out, c[1], true);
        out += u"Ln(x)";
        appendCoeff(out, c[0], false);
        break;
    case FitKind::Power:
        appendCoeff(out, c[0], true);
        out += u'x';
        out += shortestText(c[1]);
        break;
    case FitKind::Exp:
        appendCoeff(out, c[0], true);
        out += u'e';
        out += shortestText(c[1]);
        out += u'x';
        break;
    }
    return out;
}

QString replaceEqtn(QStringView equation, QStringView kindName, QStringView t)
{
    QString e = equation.toString();
    e.remove(QStringLiteral("y="));
    const auto kind = fitKindFromName(kindName);
    if (kind == FitKind::Linear || kind == FitKind::Poly || kind == FitKind::Power) {
        e.replace(QStringLiteral("x"), QString(u'*' + t.toString() + u'^'));
        // A power's exponent follows x directly and may be negative
        // ("2.3x-1.5" is 2.3*x^-1.5): there "^-" and "^+" are the exponent's
        // sign, not the join of the next term.
        if (kind != FitKind::Power) {
            e.replace(QStringLiteral("^+"), QStringLiteral("+"));
            e.replace(QStringLiteral("^-"), QStringLiteral("-"));
        }
        if (e.endsWith(u'^'))
            e.chop(1);
    } else if (kind == FitKind::Log) {
        e.replace(QStringLiteral("Ln(x)"), QStringLiteral("*Ln(") + t.toString() + u')');
    } else if (kind == FitKind::Exp) {
        // The constant goes in before the reference: a reference with a
        // lower-case e ("e1") must not be taken for the base.
        e += u')';
        e.replace(QStringLiteral("e"), QStringLiteral("*2.71828182845904^("));
        e.replace(QStringLiteral("x"), QString(u'*' + t.toString()));
        if (e.startsWith(u'*'))
            e.remove(0, 1);
    }
    e.remove(u' ');
    return e;
}

QString evalArgText(double x)
{
    const QString t = doubleText(x);
    return x < 0 ? u'(' + t + u')' : t;
}

QString evalExpression(QStringView equation, QStringView kindName, double x)
{
    QString e = replaceEqtn(equation, kindName, evalArgText(x));
    e.replace(QStringLiteral("Ln"), QStringLiteral("Log"));
    e.remove(u' ');
    return e;
}

} // namespace orv
