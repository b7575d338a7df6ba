#include "processing/evaluator.h"

#include <QCoreApplication>
#include <algorithm>
#include <charconv>
#include <cmath>

namespace orv {

QString evalErrorText(EvalError e)
{
    switch (e) {
    case EvalError::Syntax: return QCoreApplication::translate("Messages", "構文エラーです。");
    case EvalError::DivisionByZero: return QCoreApplication::translate("Messages", "0 で除算しました。");
    case EvalError::Overflow: return QCoreApplication::translate("Messages", "オーバーフローしました。");
    case EvalError::InvalidArgument: return QCoreApplication::translate("Messages", "プロシージャの呼び出し、または引数が不正です。");
    }
    return {};
}

namespace {

// Recursive descent over the UTF-16 text; blanks between tokens are skipped.
class Parser {
public:
    explicit Parser(QStringView t) : m_t(t) {}

    std::expected<double, EvalError> run()
    {
        auto v = expr();
        if (!v)
            return v;
        skip();
        if (m_i != m_t.size())
            return std::unexpected(EvalError::Syntax);
        return v;
    }

private:
    using R = std::expected<double, EvalError>;

    static R checked(double v)
    {
        if (std::isnan(v))
            return std::unexpected(EvalError::InvalidArgument);
        if (std::isinf(v))
            return std::unexpected(EvalError::Overflow);
        return v;
    }

    void skip()
    {
        while (m_i < m_t.size() && (m_t[m_i] == u' ' || m_t[m_i] == u'\t'))
            ++m_i;
    }
    bool eat(char16_t c)
    {
        skip();
        if (m_i < m_t.size() && m_t[m_i] == c) {
            ++m_i;
            return true;
        }
        return false;
    }

    // Applies a binary operator to the left value and a parsed right operand;
    // a failed operand or result ends the expression.
    template <class Op>
    static R combine(double left, R right, Op op)
    {
        if (!right)
            return right;
        return op(left, *right);
    }

    // expr := term (('+' | '-') term)*
    R expr()
    {
        R v = term();
        while (v) {
            if (eat(u'+'))
                v = combine(*v, term(), [](double a, double b) { return checked(a + b); });
            else if (eat(u'-'))
                v = combine(*v, term(), [](double a, double b) { return checked(a - b); });
            else
                break;
        }
        return v;
    }

    // term := unary (('*' | '/') unary)*
    R term()
    {
        R v = unary();
        while (v) {
            if (eat(u'*'))
                v = combine(*v, unary(), [](double a, double b) { return checked(a * b); });
            else if (eat(u'/'))
                v = combine(*v, unary(), [](double a, double b) -> R {
                    if (b == 0)
                        return std::unexpected(EvalError::DivisionByZero);
                    return checked(a / b);
                });
            else
                break;
        }
        return v;
    }

    // unary := ('-' | '+') unary | power
    R unary()
    {
        if (++m_depth > kMaxDepth)
            return std::unexpected(EvalError::Syntax);
        R r;
        if (eat(u'-')) {
            r = unary();
            if (r)
                r = -*r;
        } else if (eat(u'+')) {
            r = unary();
        } else {
            r = power();
        }
        --m_depth;
        return r;
    }

    // power := primary ('^' ('-' | '+')* primary)*, applied left to right.
    R power()
    {
        auto a = primary();
        if (!a)
            return a;
        double v = *a;
        while (eat(u'^')) {
            bool neg = false;
            for (;;) {
                if (eat(u'-'))
                    neg = !neg;
                else if (!eat(u'+'))
                    break;
            }
            auto b = primary();
            if (!b)
                return b;
            const double e = neg ? -*b : *b;
            if (v == 0 && e < 0)
                return std::unexpected(EvalError::DivisionByZero);
            if (v < 0 && e != std::trunc(e))
                return std::unexpected(EvalError::InvalidArgument);
            auto r = checked(std::pow(v, e));
            if (!r)
                return r;
            v = *r;
        }
        return v;
    }

    // primary := number | '(' expr ')' | 'Log' '(' expr ')'
    R primary()
    {
        skip();
        if (m_i >= m_t.size())
            return std::unexpected(EvalError::Syntax);
        const char16_t c = m_t[m_i].unicode();
        if (c == u'(') {
            ++m_i;
            if (++m_depth > kMaxDepth)
                return std::unexpected(EvalError::Syntax);
            auto v = expr();
            --m_depth;
            if (!v)
                return v;
            if (!eat(u')'))
                return std::unexpected(EvalError::Syntax);
            return v;
        }
        if (m_t.mid(m_i).startsWith(u"Log", Qt::CaseInsensitive)) {
            m_i += 3;
            if (!eat(u'('))
                return std::unexpected(EvalError::Syntax);
            if (++m_depth > kMaxDepth)
                return std::unexpected(EvalError::Syntax);
            auto v = expr();
            --m_depth;
            if (!v)
                return v;
            if (!eat(u')'))
                return std::unexpected(EvalError::Syntax);
            if (*v <= 0)
                return std::unexpected(EvalError::InvalidArgument);
            return std::log(*v);
        }
        return number();
    }

    // digits [. digits] [E [sign] digits], or . digits ...
    R number()
    {
        char buf[128];
        int n = 0;
        auto put = [&](char ch) {
            if (n < int(sizeof buf) - 1)
                buf[n++] = ch;
        };
        int digits = 0;
        while (m_i < m_t.size() && m_t[m_i] >= u'0' && m_t[m_i] <= u'9') {
            put(char(m_t[m_i].unicode()));
            ++m_i, ++digits;
        }
        if (m_i < m_t.size() && m_t[m_i] == u'.') {
            put('.');
            ++m_i;
            while (m_i < m_t.size() && m_t[m_i] >= u'0' && m_t[m_i] <= u'9') {
                put(char(m_t[m_i].unicode()));
                ++m_i, ++digits;
            }
        }
        if (digits == 0)
            return std::unexpected(EvalError::Syntax);
        if (m_i < m_t.size() && (m_t[m_i] == u'E' || m_t[m_i] == u'e')) {
            put('e');
            ++m_i;
            if (m_i < m_t.size() && (m_t[m_i] == u'+' || m_t[m_i] == u'-')) {
                if (m_t[m_i] == u'-')
                    put('-');
                ++m_i;
            }
            int ed = 0;
            while (m_i < m_t.size() && m_t[m_i] >= u'0' && m_t[m_i] <= u'9') {
                put(char(m_t[m_i].unicode()));
                ++m_i, ++ed;
            }
            if (ed == 0)
                return std::unexpected(EvalError::Syntax);
        }
        if (n >= int(sizeof buf) - 1)
            return std::unexpected(EvalError::Syntax);
        double v = 0;
        auto r = std::from_chars(buf, buf + n, v, std::chars_format::general);
        if (r.ec == std::errc::result_out_of_range) {
            // Underflow reads as 0; overflow is an error.
            const char *ep = std::find(buf, buf + n, 'e');
            if (ep != buf + n && ep + 1 < buf + n && ep[1] == '-')
                return 0.0;
            return std::unexpected(EvalError::Overflow);
        }
        if (r.ec != std::errc() || r.ptr != buf + n)
            return std::unexpected(EvalError::Syntax);
        return v;
    }

    static constexpr int kMaxDepth = 500;
    QStringView m_t;
    qsizetype m_i = 0;
    int m_depth = 0;
};

} // namespace

std::expected<double, EvalError> evaluateExpression(QStringView text)
{
    return Parser(text).run();
}

} // namespace orv
