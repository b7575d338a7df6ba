#pragma once
// The expression evaluator that computes equation values: decimal numbers
// (with "." and an optional "E" exponent), + - * / ^, unary minus,
// parentheses and Log (natural logarithm). Precedence, highest first: ^,
// unary minus, * and /, + and -; equal ranks apply from left to right, so
// -2^2 is -4 and 2^3^2 is 64. An exponent may carry its own sign (2^-1).

#include <QString>
#include <QStringView>
#include <expected>

namespace orv {

enum class EvalError {
    Syntax,          // a text that is not an expression of the above form
    DivisionByZero,  // x/0, 0^negative
    Overflow,        // a result beyond the double range
    InvalidArgument, // Log of a value <= 0, a negative base with a fractional exponent
};

// The description shown for a failure, worded as the run-time's messages.
QString evalErrorText(EvalError e);

std::expected<double, EvalError> evaluateExpression(QStringView text);

} // namespace orv
