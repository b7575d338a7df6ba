#include "processing/cli.h"

#include "model/datetext.h"
#include "model/numtext.h"
#include "processing/apprx_form.h"
#include "processing/equation.h"
#include "processing/evaluator.h"
#include "processing/fit.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

namespace orv {

namespace {

const char *kFitHelp =
    "Usage: orvalinetrix fit --kind KIND [--degree N] [--intercept V] [FILE|-]\n"
    "Fits an approximation curve to X,Y lines and prints the equation text and R²\n"
    "(four decimals, as the result window shows it), one per line.\n"
    "\n"
    "  --kind KIND      linear, log, poly, power or exp\n"
    "  --degree N       degree of the polynomial, 2 to 6 (default 2)\n"
    "  --intercept V    fix the value of y at x = 0 (linear, poly, exp)\n"
    "  --x-date         X holds dates and times (2020-03-01, \"2020-03-01 09:00\",\n"
    "                   09:30, or serial days): x is fitted as days since the\n"
    "                   earliest X date's midnight, which a third line names\n"
    "  FILE             lines \"X,Y[,Z]\"; a first line that is not a number (the\n"
    "                   series name of a saved CSV file) is skipped; - or no FILE\n"
    "                   reads standard input. At most 1000 rows are used.\n"
    "                   A row with an empty X or Y (a point that could not be\n"
    "                   converted) is left out; their count goes to standard error.\n"
    "  --help           show this help and exit\n"
    "\n"
    "Power and exponential curves are fitted on the log scale; their R² is on that scale.\n";

const char *kEvalHelp =
    "Usage: orvalinetrix eval EQUATION-TEXT --kind KIND X\n"
    "Prints the value of an equation text (as the fit prints it) at X, in the\n"
    "automatic display format.\n"
    "\n"
    "  --kind KIND      linear, log, poly, power or exp\n"
    "  --help           show this help and exit\n"
    "\n"
    "Example: orvalinetrix eval \"y=0.5x2-1.2x+3\" --kind poly -2\n";

} // namespace

QString fitHelpText() { return QString::fromUtf8(kFitHelp); }
QString evalHelpText() { return QString::fromUtf8(kEvalHelp); }

namespace {

// An option's value from "--opt V" or "--opt=V"; advances i.
bool optionValue(const QStringList &args, qsizetype &i, const QString &name, QString *value, bool *present)
{
    const QString &a = args[i];
    if (a == name) {
        if (i + 1 >= args.size())
            return false;
        *value = args[++i];
        *present = true;
        return true;
    }
    if (a.startsWith(name + u'=')) {
        *value = a.mid(name.size() + 1);
        *present = true;
        return true;
    }
    return true;
}

// Messages on standard error follow the user's language; results on standard
// output do not. (The same text as export's and extract's.)
QString tryHelp(const char *command)
{
    return QCoreApplication::translate("Cli", "'orvalinetrix %1 --help' で使い方を表示します。")
               .arg(QString::fromLatin1(command)) +
           u'\n';
}

QString unknownKind(const QString &kind)
{
    return QCoreApplication::translate("Cli", "不明な近似の種類「%1」(linear、log、poly、power 又は exp)").arg(kind);
}

bool looksLikeOption(const QString &a)
{
    // "-2" and "-.5" are numbers, not options.
    if (!a.startsWith(u'-') || a == u"-")
        return false;
    return !(a.size() > 1 && (a[1].isDigit() || a[1] == u'.'));
}

QString decodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString s = utf8.decode(bytes);
    if (!utf8.hasError())
        return s;
    QStringDecoder sjis("Shift_JIS");
    if (sjis.isValid())
        return sjis.decode(bytes);
    return QString::fromLatin1(bytes);
}

QStringList splitFields(const QString &line)
{
    if (line.contains(u','))
        return line.split(u',');
    if (line.contains(u'\t'))
        return line.split(u'\t');
    return line.simplified().split(u' ', Qt::SkipEmptyParts);
}

} // namespace

int runFitCommand(const QStringList &args, QTextStream &out, QTextStream &err, QIODevice *stdinDevice)
{
    QString kindText, degreeText, interceptText, file;
    bool hasKind = false, hasDegree = false, hasIntercept = false, hasFile = false, xDate = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--help" || a == u"-h") {
            out << kFitHelp;
            return 0;
        }
        if (a == u"--x-date") {
            xDate = true;
            continue;
        }
        if (a.startsWith(u"--kind") || a.startsWith(u"--degree") || a.startsWith(u"--intercept")) {
            const QString name = a.section(u'=', 0, 0);
            QString *target = name == u"--kind" ? &kindText : name == u"--degree" ? &degreeText
                                                            : name == u"--intercept" ? &interceptText : nullptr;
            bool *flag = name == u"--kind" ? &hasKind : name == u"--degree" ? &hasDegree : &hasIntercept;
            if (!target) {
                err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "不明なオプション %1").arg(a) << "\n" << tryHelp("fit");
                return 2;
            }
            if (!optionValue(args, i, name, target, flag)) {
                err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "%1 には値が必要です").arg(name) << "\n";
                return 2;
            }
            continue;
        }
        if (looksLikeOption(a)) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "不明なオプション %1").arg(a) << "\n" << tryHelp("fit");
            return 2;
        }
        if (hasFile) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "入力ファイルは一つだけ指定できます") << "\n";
            return 2;
        }
        file = a;
        hasFile = true;
    }
    if (!hasKind) {
        err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "--kind が必要です(linear、log、poly、power 又は exp)") << "\n";
        return 2;
    }
    const auto kind = fitKindFromCliName(kindText);
    if (!kind) {
        err << "orvalinetrix fit: " << unknownKind(kindText) << "\n";
        return 2;
    }
    int degree = 2;
    if (hasDegree) {
        auto d = readStrict(degreeText);
        if (!d || *d != std::trunc(*d) || *d < 2 || *d > 6) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "--degree は 2 から 6 の整数です") << "\n";
            return 2;
        }
        degree = int(*d);
    }
    if (hasIntercept) {
        if (*kind == FitKind::Log || *kind == FitKind::Power) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "--intercept は linear、poly、exp でのみ使えます") << "\n";
            return 2;
        }
        auto v = readStrict(interceptText);
        if (!v || !std::isfinite(*v)) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "--intercept には数値が必要です(「%1」は数値ではありません)").arg(interceptText) << "\n";
            return 2;
        }
    }

    QByteArray bytes;
    if (!hasFile || file == u"-") {
        if (!stdinDevice || !stdinDevice->isReadable()) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "標準入力を読めません") << "\n";
            return 1;
        }
        bytes = stdinDevice->readAll();
    } else {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "%1 を読めません: %2").arg(file, f.errorString()) << "\n";
            return 1;
        }
        bytes = f.readAll();
    }

    FitRequest req;
    req.kindName = fitKindName(*kind);
    req.degree = degree;
    req.intercept = hasIntercept;
    req.interceptText = interceptText;
    const QStringList lines = decodeText(bytes).split(u'\n');
    bool firstLine = true;
    bool truncated = false;
    int leftOut = 0;
    for (qsizetype ln = 0; ln < lines.size(); ++ln) {
        const QString line = lines[ln].trimmed();
        if (line.isEmpty())
            continue;
        const QStringList f = splitFields(line);
        const QString xText = f.value(0).trimmed(), yText = f.value(1).trimmed();
        auto x = xDate ? readDateValue(xText) : readStrict(xText);
        auto y = readStrict(yText);
        if (firstLine && !x && !xText.isEmpty()) {
            firstLine = false; // the series-name line of a saved CSV file
            continue;
        }
        firstLine = false;
        if (f.size() > 1 && !fitRowHasValues(xText, yText)) {
            ++leftOut; // a saved row whose point could not be converted
            continue;
        }
        if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y)) {
            err << "orvalinetrix fit: "
                << (xDate ? QCoreApplication::translate("Cli", "%1 行目: X は日付又は時刻、Y は数値です(「%2」)")
                          : QCoreApplication::translate("Cli", "%1 行目: X,Y の数値ではありません(「%2」)"))
                       .arg(ln + 1)
                       .arg(line)
                << "\n";
            return 1;
        }
        if (req.xTexts.size() == kMaxFitRows) {
            truncated = true;
            break;
        }
        req.xTexts << (xDate ? shortestNumText(*x) : f.value(0).trimmed());
        req.yTexts << f.value(1).trimmed();
    }
    // Dates are fitted as days since the earliest one's midnight.
    double origin = 0;
    if (xDate && !req.xTexts.isEmpty()) {
        origin = HUGE_VAL;
        for (const QString &t : req.xTexts)
            origin = std::min(origin, readStrict(t).value_or(HUGE_VAL));
        origin = std::floor(origin);
        for (QString &t : req.xTexts)
            t = shortestNumText(readStrict(t).value_or(0) - origin);
    }
    if (truncated)
        err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "1000個以上のデータには対応できません。") << "\n";
    if (leftOut > 0)
        err << "orvalinetrix fit: " << QCoreApplication::translate("Cli", "X 又は Y のない %1 行を除きました").arg(leftOut) << "\n";
    NativeFitter fitter;
    auto res = fitter.fit(req);
    if (!res) {
        err << "orvalinetrix fit: " << fitFailureMessage() << "\n  (" << fitErrorDetail(res.error()) << ")\n";
        return 1;
    }
    out << res->equation << "\n" << formatPattern(readPrefix(res->r2), u"0.0000") << "\n";
    if (xDate)
        out << "x = days since " << exactDateText(origin, false) << "\n";
    return 0;
}

int runEvalCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    QString kindText;
    bool hasKind = false;
    QStringList positional;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == u"--help" || a == u"-h") {
            out << kEvalHelp;
            return 0;
        }
        if (a == u"--kind" || a.startsWith(u"--kind=")) {
            if (!optionValue(args, i, QStringLiteral("--kind"), &kindText, &hasKind)) {
                err << "orvalinetrix eval: " << QCoreApplication::translate("Cli", "%1 には値が必要です").arg(QStringLiteral("--kind")) << "\n";
                return 2;
            }
            continue;
        }
        if (looksLikeOption(a)) {
            err << "orvalinetrix eval: " << QCoreApplication::translate("Cli", "不明なオプション %1").arg(a) << "\n" << tryHelp("eval");
            return 2;
        }
        positional << a;
    }
    if (positional.size() != 2) {
        err << "orvalinetrix eval: " << QCoreApplication::translate("Cli", "式の文字列と X を指定して下さい") << "\n" << tryHelp("eval");
        return 2;
    }
    if (!hasKind) {
        err << "orvalinetrix eval: " << QCoreApplication::translate("Cli", "--kind が必要です(linear、log、poly、power 又は exp)") << "\n";
        return 2;
    }
    const auto kind = fitKindFromCliName(kindText);
    if (!kind) {
        err << "orvalinetrix eval: " << unknownKind(kindText) << "\n";
        return 2;
    }
    QString equation = positional[0];
    equation.remove(u' ');
    if (!equation.startsWith(u"y=")) {
        err << "orvalinetrix eval: " << QCoreApplication::translate("Cli", "式の文字列は y= で始まります") << "\n";
        return 2;
    }
    auto x = readStrict(positional[1]);
    if (!x || !std::isfinite(*x)) {
        err << "orvalinetrix eval: " << QCoreApplication::translate("Cli", "X には数値が必要です(「%1」は数値ではありません)").arg(positional[1]) << "\n";
        return 2;
    }
    const QString kindName = fitKindName(*kind);
    const QString e = evalExpression(equation, kindName, *x);
    if (e.contains(u"Log") && !(*x > 0)) {
        err << "orvalinetrix eval: " << ApprxForm::lnMessage() << "\n";
        return 1;
    }
    auto y = evaluateExpression(e);
    if (!y) {
        err << "orvalinetrix eval: " << ApprxForm::evalFailureMessage(evalErrorText(y.error())) << "\n";
        return 1;
    }
    out << formatPattern(*y, QStringView(autoPattern(*y))) << "\n";
    return 0;
}

} // namespace orv
