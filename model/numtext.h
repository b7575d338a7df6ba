#pragma once
// The number texts the program reads and writes.
//
//  * plainNumText: the general decimal text of a single-precision value
//    (at most 7 significant digits, "0.5", "1E-05", "1.234568E+07"); used in
//    point records, corner position boxes and the state file.
//  * doubleText: the same convention for doubles, with up to 15 significant digits.
//  * readPrefix: reads the longest numeric prefix, ignoring blanks, tabs and line
//    feeds anywhere; text without a number reads as 0 ("Error" -> 0, "3.5abc" -> 3.5).
//  * readStrict: the whole text (apart from surrounding blanks) must be a number.
//    Both readers take numbers of any length, correctly rounded.
//  * formatPattern / autoPattern: the display patterns "0", "0.00", "0.000e+0", ...;
//    exact halves round away from zero.
//
// None of these allocate except where they return a QString.

#include <QString>
#include <QStringView>
#include <expected>

namespace orv {

enum class ConvError {
    TypeMismatch,     // a text that is not a number (the empty text included)
    InvalidArgument,  // logarithm of a value <= 0
    Degenerate,       // division by zero or a non-finite intermediate (overflow)
};

QString convErrorText(ConvError e);
// The message shown when a point cannot be converted with the current frame.
QString convFailedMessage(ConvError e);

QString plainNumText(float v);
QString doubleText(double v);

// Overflowing prefixes ("1E999") read as +/-infinity; callers that store the
// value must check std::isfinite.
double readPrefix(QStringView text);

std::expected<double, ConvError> readStrict(QStringView text);

// Pattern shapes: fixed "0" or "0." + n zeros; exponent "0[.zeros]e+0" (or "E+0",
// "e-0"). Any other pattern gives the plain double text.
QString formatPattern(double v, QStringView pattern);

// The AUTO rule: the pattern chosen from the signed value.
const char16_t *autoPattern(double v);

} // namespace orv
