#pragma once
// Curve fitting behind the inputs and outputs of the fit workbook: the kind's
// name, the degree, the intercept switch and text, the X and Y texts of at
// most 1000 rows in, the equation text and the R² text out. The native fitter
// solves the least-squares problems by QR on a centred and scaled design.

#include "processing/equation.h"

#include <QString>
#include <QStringList>
#include <expected>
#include <optional>
#include <span>
#include <vector>

namespace orv {

inline constexpr int kMaxFitRows = 1000;

struct FitRequest {
    QString kindName;       // "線形近似", ... (D1)
    int degree = 2;         // Jisu (D2), used by the polynomial kind
    bool intercept = false; // D3 "TRUE" / "FALSE"
    QString interceptText;  // D4
    QStringList xTexts;     // A2.. (as shown in the table)
    QStringList yTexts;     // B2..
};

struct FitResponse {
    QString equation; // D5
    QString r2;       // D6, the number as text
    int rowsLeftOut = 0; // rows without X or Y, not fitted
};

enum class FitError {
    UnknownKind,
    NoData,
    TooManyRows,
    NonFiniteData,
    NonPositiveX,  // log and power need x > 0
    NonPositiveY,  // power and exponential need y > 0
    BadIntercept,  // exponential with a fixed value <= 0, or a non-finite one
    BadDegree,     // a polynomial degree outside 1..6
    TooFewPoints,  // fewer distinct points than coefficients
    Singular,
    NonFiniteResult,
};

// A short English description (the command line prints it under the message).
QString fitErrorDetail(FitError e);
// "エラー！(No.4)(エクセル起動、又は近似式作成エラー)"
QString fitFailureMessage();
// The message with the reason in parentheses on a second line.
QString fitFailureMessage(const QString &reason);

// A row whose X or Y text is empty holds a point that could not be converted:
// it has no values and is left out of every fit, never taken as 0.
bool fitRowHasValues(const QString &xText, const QString &yText);
// The notice for rows left out of a fit ("" when none were).
QString rowsLeftOutText(int count);

// The workbook protocol as an interface.
class Fitter {
public:
    virtual ~Fitter() = default;
    virtual std::expected<FitResponse, FitError> fit(const FitRequest &request) = 0;
};

// A fitted curve with full-precision numbers.
struct CurveFit {
    FitKind kind = FitKind::Linear;
    // As for equationText: linear/poly a0..an; log b, a; power a, b; exp a, b.
    std::vector<double> coeffs;
    bool constantFixedAtZero = false;
    // The fitted y at each data x, computed in the well-conditioned basis.
    std::vector<double> fitted;
    // On the fitting scale: ln y for power and exponential.
    double r2 = 0;

    QString equation() const { return equationText(kind, coeffs, constantFixedAtZero); }
};

// Fits numbers; a coefficient whose term stays below 1e-12 of the data's y
// scale over the data's x range is rounding noise and is written as 0. `fixed` is the value of y at x = 0 for linear, polynomial and
// exponential; ignored for log and power. `degree` is used by the polynomial.
std::expected<CurveFit, FitError> fitCurve(FitKind kind, int degree, std::optional<double> fixed,
                                           std::span<const double> x, std::span<const double> y);

// Least squares for z = c0 + c1 t + ... + cn t^n (c0 fixed when given):
// coefficients in powers of t, the fitted values and R² (centred when c0 is
// free, about the fixed value otherwise).
struct PolyFit {
    std::vector<double> coeffs;
    std::vector<double> fitted;
    double r2 = 0;
};
std::expected<PolyFit, FitError> polyFit(std::span<const double> t, std::span<const double> z, int degree,
                                         std::optional<double> fixedC0);

class NativeFitter : public Fitter {
public:
    std::expected<FitResponse, FitError> fit(const FitRequest &request) override;
};

} // namespace orv
