#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "mainwin/qt_desktop.h"
#include "mainwin/splash_widget.h"
#include "model/reading.h"
#include "orv_version.h"
#include "processing/cli.h"
#include "processing/data_disposal_form_widget.h"
#include "table/grid_form_widget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

const char *kHelp =
    "Usage: orvalinetrix [OPTION]... [FILE]\n"
    "Reads numbers off a picture of a chart.\n"
    "\n"
    "  FILE         a chart picture (jpg, jpeg, bmp, gif, png) or a reading (.orvd)\n"
    "               to open at once\n"
    "  --no-splash  start without waiting for the splash window\n"
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
    // Options that need no display are handled before Qt is started.
    bool noSplash = false;
    QString file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "orvalinetrix " << ORV_VERSION_STRING << "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            QTextStream(stdout) << kHelp;
            return 0;
        }
        if (std::strcmp(argv[i], "--no-splash") == 0) {
            noSplash = true;
        } else if (std::strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0') {
            QTextStream(stderr) << "orvalinetrix: unknown option " << argv[i] << "\n" << kHelp;
            return 2;
        } else if (file.isEmpty()) {
            file = QString::fromLocal8Bit(argv[i]);
        }
    }
    // ORV_STARTUP_TRACE=1 reports the start-up times on stderr.
    const bool trace = qEnvironmentVariableIntValue("ORV_STARTUP_TRACE") != 0;
    QElapsedTimer clock;
    clock.start();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvalinetrix"));
    // The program speaks Japanese; Qt's own dialog buttons should too.
    QTranslator qtbase;
    if (qtbase.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtbase);

    orv::QtDesktop desktop;
    orv::Reading reading(&desktop);
    reading.programFolder = QApplication::applicationDirPath();

    std::unique_ptr<orv::MainWindow> mainWindow;
    qint64 timerFiredAt = -1;
    auto showMain = [&] {
        if (mainWindow)
            return;
        mainWindow = std::make_unique<orv::MainWindow>(reading);
        // The graph window and the series tables live in the document area.
        auto *graphs = new orv::GraphWindowHost(reading, mainWindow->mdiArea(), mainWindow.get());
        auto *grids = new orv::GridWindowsHost(reading, mainWindow->mdiArea(), mainWindow.get());
        grids->setEditMenu(mainWindow->editMenu());
        grids->openDataDisposal = [&reading](int series, QWidget *parent) {
            orv::openDataDisposal(reading, series, parent);
        };
        Q_UNUSED(graphs);
        // Saving and reopening a reading are connected here through
        // mainWindow->form().onSaveState / onLoadState.
        mainWindow->show();
        if (trace) {
            // Measured when the window system has exposed the window.
            auto *poll = new QTimer(mainWindow.get());
            poll->setInterval(1);
            QObject::connect(poll, &QTimer::timeout, [&, poll] {
                if (!mainWindow->windowHandle() || !mainWindow->windowHandle()->isExposed())
                    return;
                poll->stop();
                QTextStream(stderr) << "startup: main window exposed at " << clock.elapsed() << " ms"
                                    << (timerFiredAt >= 0 ? QStringLiteral(" (%1 ms after the splash timer)")
                                                                .arg(clock.elapsed() - timerFiredAt)
                                                          : QString())
                                    << "\n";
            });
            poll->start();
        }
        if (!file.isEmpty()) {
            // A path given on the command line is opened like a dropped file.
            const QString path = QFileInfo(file).absoluteFilePath();
            QTimer::singleShot(0, mainWindow.get(), [&, path] { mainWindow->form().Drop_Files(path); });
        }
    };

    if (noSplash || !file.isEmpty()) {
        showMain();
    } else {
        auto *splash = new orv::SplashWidget;
        splash->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(&splash->core(), &orv::frmSplash::showMainWindow, [&] {
            timerFiredAt = clock.elapsed();
            showMain();
        });
        QObject::connect(&splash->core(), &orv::frmSplash::closeWindow, splash, &QWidget::close);
        splash->show();
        splash->core().startTimer();
        if (trace)
            QTextStream(stderr) << "startup: splash shown at " << clock.elapsed() << " ms\n";
    }
    const int rc = app.exec();
    mainWindow.reset();
    return rc;
}
