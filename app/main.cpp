#include "orv_version.h"
#include "processing/cli.h"

#include <QApplication>
#include <QFile>
#include <QMainWindow>
#include <QTextStream>
#include <cstring>

namespace {

const char *kHelp =
    "Usage: orvalinetrix [OPTION]... [FILE]\n"
    "Reads numbers off a picture of a chart.\n"
    "\n"
    "  --help       show this help and exit\n"
    "\n"
    "Subcommands (no window):\n"
    "  fit          fit an approximation curve to X,Y lines (see fit --help)\n"
    "  eval         evaluate an equation text at X (see eval --help)\n"
    "  --version    show the version and exit\n";

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "fit") == 0 || std::strcmp(argv[1], "eval") == 0)) {
        QStringList args;
        for (int i = 2; i < argc; ++i)
            args << QString::fromLocal8Bit(argv[i]);
        QTextStream out(stdout), err(stderr);
        if (std::strcmp(argv[1], "eval") == 0)
            return orv::runEvalCommand(args, out, err);
        QFile in;
        in.open(stdin, QIODevice::ReadOnly);
        return orv::runFitCommand(args, out, err, &in);
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "orvalinetrix " << ORV_VERSION_STRING << "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            QTextStream(stdout) << kHelp;
            return 0;
        }
    }
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Orvalinetrix    Version " ORV_VERSION_STRING));
    w.resize(800, 600);
    w.show();
    return app.exec();
}
