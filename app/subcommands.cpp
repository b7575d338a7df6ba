#include "app/subcommands.h"

#include "autoread/extract_cli.h"
#include "model/language.h"
#include "orv_version.h"
#include "processing/cli.h"
#include "statefile/export_cli.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstring>

namespace orv {

namespace {

const Subcommand kSubcommands[] = {
    {"export", "write a saved reading's points as CSV or JSON"},
    {"extract", "read a curve or markers off a reading's picture by colour"},
    {"fit", "fit an approximation curve to X,Y lines"},
    {"eval", "evaluate an equation text at X"},
};

} // namespace

const Subcommand *subcommands(int *count)
{
    *count = int(std::size(kSubcommands));
    return kSubcommands;
}

QString mainHelpText()
{
    QString t = QStringLiteral(
        "Usage: orvalinetrix [--no-splash] [FILE]\n"
        "       orvalinetrix SUBCOMMAND [OPTION]... (no window)\n"
        "Reads numbers off a picture of a chart.\n"
        "\n"
        "  FILE         a chart picture (jpg, jpeg, bmp, gif, png), a PDF page (fig.pdf,\n"
        "               fig.pdf#page=N) or a reading (.orvd)\n"
        "               to open at once, as if it were dropped on the window\n"
        "  --no-splash  start without waiting for the splash window\n"
        "  --help       show this help and exit\n"
        "  --version    show the version and exit\n"
        "\n"
        "Subcommands (each takes --help and --version):\n");
    for (const Subcommand &s : kSubcommands)
        t += QStringLiteral("  %1 %2\n").arg(QString::fromLatin1(s.name).leftJustified(12), QString::fromUtf8(s.summary));
    t += QStringLiteral(
        "\n"
        "Exit status: 0 done; 1 the input could not be read or processed; 2 wrong\n"
        "arguments; 3 (export) written but some points could not be converted,\n"
        "(extract) nothing found; 4 an output file could not be written.\n"
        "\n"
        "Environment: ORV_LANG=ja or ORV_LANG=en sets the language of the windows;\n"
        "otherwise the choice in the menu Other > Language (from the next start),\n"
        "otherwise the desktop's language. Files and this output are the same in both.\n");
    return t;
}

QString subcommandHelpText(const QString &name)
{
    if (name == u"export")
        return exportHelpText();
    if (name == u"extract")
        return extractHelpText();
    if (name == u"fit")
        return fitHelpText();
    if (name == u"eval")
        return evalHelpText();
    return {};
}

int runSubcommand(int argc, char **argv)
{
    if (argc < 2)
        return -1;
    const char *name = argv[1];
    bool known = false;
    for (const Subcommand &s : kSubcommands)
        known = known || std::strcmp(s.name, name) == 0;
    if (!known)
        return -1;
    QCoreApplication app(argc, argv);
    // Messages on standard error in the windows' language; results on
    // standard output are the same in every language.
    if (!installLanguage(startupLanguage(*programSettings()), QCoreApplication::applicationDirPath()))
        QTextStream(stderr) << "orvalinetrix: no English catalogue ("
                            << catalogueFile(QCoreApplication::applicationDirPath(), Language::English)
                            << "); using Japanese\n";
    QTextStream out(stdout), err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(2);
    if (args.contains(QStringLiteral("--version"))) {
        out << "orvalinetrix " << name << " " << ORV_VERSION_STRING << "\n";
        return 0;
    }
    if (std::strcmp(name, "export") == 0)
        return runExportCommand(args, out, err, QCoreApplication::applicationDirPath());
    if (std::strcmp(name, "extract") == 0)
        return runExtractCommand(args, out, err, QCoreApplication::applicationDirPath());
    if (std::strcmp(name, "eval") == 0)
        return runEvalCommand(args, out, err);
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    return runFitCommand(args, out, err, &in);
}

namespace {

// Help text to troff: option lines become tagged paragraphs, the rest text.
QString troff(const QString &help)
{
    QString out;
    static const QRegularExpression optLine(QStringLiteral("^  (\\S.*?)\\s{2,}(\\S.*)$"));
    static const QRegularExpression contLine(QStringLiteral("^\\s{6,}(\\S.*)$"));
    for (QString line : help.split(u'\n')) {
        line.replace(u'\\', QStringLiteral("\\\\"));
        if (line.startsWith(u'-') || line.startsWith(u'.') || line.startsWith(u'\''))
            line.prepend(QStringLiteral("\\&"));
        if (line.isEmpty()) {
            out += QStringLiteral(".PP\n");
        } else if (auto m = optLine.match(line); m.hasMatch()) {
            out += QStringLiteral(".TP\n\\fB%1\\fR\n%2\n").arg(m.captured(1), m.captured(2));
        } else if (auto c = contLine.match(line); c.hasMatch()) {
            out += c.captured(1) + u'\n';
        } else {
            out += line + u'\n';
        }
    }
    return out;
}

} // namespace

QString manPage()
{
    QString t = QStringLiteral(".TH ORVALINETRIX 1 \"\" \"orvalinetrix " ORV_VERSION_STRING "\" \"User Commands\"\n"
                               ".SH NAME\norvalinetrix \\- read numbers off a picture of a chart\n"
                               ".SH SYNOPSIS\n.B orvalinetrix\n[\\-\\-no\\-splash] [\\fIFILE\\fR]\n.br\n"
                               ".B orvalinetrix\n\\fISUBCOMMAND\\fR [\\fIOPTION\\fR]...\n"
                               ".SH DESCRIPTION\n");
    t += troff(mainHelpText().section(u'\n', 2));
    int n = 0;
    const Subcommand *subs = subcommands(&n);
    for (int i = 0; i < n; ++i) {
        t += QStringLiteral(".SH \"%1\"\n").arg(QString::fromLatin1(subs[i].name).toUpper());
        t += troff(subcommandHelpText(QString::fromLatin1(subs[i].name)));
    }
    t += QStringLiteral(".SH FILES\n.TP\n\\fI*.orvd\\fR\na saved reading: picture path, frame, corner values and "
                        "every point record (text, CRLF, code page 932)\n");
    return t;
}

} // namespace orv
