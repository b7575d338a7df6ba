#include "orv_version.h"
#include "statefile/export_cli.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>
#include <QTextStream>
#include <cstring>

namespace {

const char *kHelp =
    "Usage: orvalinetrix [OPTION]... [FILE]\n"
    "       orvalinetrix export FILE.orvd [OPTION]...\n"
    "Reads numbers off a picture of a chart.\n"
    "\n"
    "  export       write a saved reading's points as CSV or JSON without a window\n"
    "               (see: orvalinetrix export --help)\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n";

} // namespace

int main(int argc, char **argv)
{
    // Subcommands run headless: no display, no widgets.
    if (argc > 1 && std::strcmp(argv[1], "export") == 0) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout), err(stderr);
        return orv::runExportCommand(QCoreApplication::arguments().mid(2), out, err,
                                     QCoreApplication::applicationDirPath());
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
