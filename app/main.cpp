#include "orv_version.h"

#include <QApplication>
#include <QMainWindow>
#include <QTextStream>
#include <cstring>

namespace {

const char *kHelp =
    "Usage: orvalinetrix [OPTION]... [FILE]\n"
    "Reads numbers off a picture of a chart.\n"
    "\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n";

} // namespace

int main(int argc, char **argv)
{
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
