#pragma once
// The five approximation kinds and the equation text rules: how a fitted
// curve is written ("y=0.5x2-1.2x+3", "y=1.2Ln(x)+3", "y=2.3x1.5",
// "y=1.2e0.5x") and how x is replaced in it (Replace_Eqtn), for the
// spreadsheet formula, for evaluation at a value and for drawing the curve.

#include <QString>
#include <QStringView>
#include <optional>
#include <span>

namespace orv {

enum class FitKind { Linear = 0, Log = 1, Poly = 2, Power = 3, Exp = 4 };

inline constexpr int kFitKindCount = 5;

// "線形近似", "対数近似", "多項式近似", "累乗近似", "指数近似".
QString fitKindName(FitKind k);
// The same name in the user's language, for the windows (fitKindName is the key).
QString fitKindDisplayName(FitKind k);
std::optional<FitKind> fitKindFromName(QStringView name);
// Command-line names: linear, log, poly, power, exp (the Japanese names too).
std::optional<FitKind> fitKindFromCliName(QStringView name);

// Shortest decimal text that reads back as the same double, with an upper-case
// "E" where an exponent is needed ("2", "0.1", "1.5E-07", "1E+20"); -0 is "0".
QString shortestText(double v);

// The equation text of a fitted curve. `coeffs` holds, by kind:
//  Linear, Poly: a0, a1, ..., an (powers of x, constant first);
//  Log: b, a for y = a Ln(x) + b;  Power: a, b for y = a x^b;
//  Exp: a, b for y = a e^(b x).
// `omitConstant` leaves out a constant term fixed at 0 (linear and
// polynomial fits through the origin read "y=2.5x").
QString equationText(FitKind kind, std::span<const double> coeffs, bool omitConstant = false);

// Replace_Eqtn: `equation` is the text as received (spaces removed), `kindName`
// the kind's Japanese name, `t` the text put in the place of x.
QString replaceEqtn(QStringView equation, QStringView kindName, QStringView t);

// The text of x to put into an equation that is to be evaluated: the double
// text, wrapped in parentheses when negative so that its minus is not bound
// below a following "^" ("0.5*(-2)^2", not "0.5*-2^2").
QString evalArgText(double x);

// The expression to evaluate for the equation at x: Replace_Eqtn with x's text,
// "Ln" turned into "Log", spaces removed.
QString evalExpression(QStringView equation, QStringView kindName, double x);

} // namespace orv
