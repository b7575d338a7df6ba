#include "app/assembly.h"
#include "app/subcommands.h"
#include "autocal/ocr.h"
#include "mainwin/artwork.h"
#include "mainwin/main_window.h"
#include "mainwin/qt_desktop.h"
#include "mainwin/splash_widget.h"
#include "model/language.h"
#include "model/reading.h"
#include "model/recovery.h"
#include "model/startup_trace.h"
#include "orv_version.h"
#include "statefile/state_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>
#include <QWindow>
#include <cstring>

int main(int argc, char **argv)
{
    // One OCR thread: must be in the environment before the libraries load.
    orv::autocal::limitOcrThreads(argv);
    // Subcommands run headless: no display, no widgets.
    if (const int rc = orv::runSubcommand(argc, argv); rc >= 0)
        return rc;

    // Options that need no display are handled before Qt is started.
    bool noSplash = false;
    QString file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "orvalinetrix " << ORV_VERSION_STRING << "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            QTextStream(stdout) << orv::mainHelpText();
            return 0;
        }
        if (std::strcmp(argv[i], "--man") == 0) { // the build writes the manual page with it
            QTextStream(stdout) << orv::manPage();
            return 0;
        }
        if (std::strcmp(argv[i], "--no-splash") == 0) {
            noSplash = true;
        } else if (std::strncmp(argv[i], "--", 2) == 0 && argv[i][2] != '\0') {
            QTextStream(stderr) << "orvalinetrix: unknown option " << argv[i] << "\n"
                                << "Try 'orvalinetrix --help'.\n";
            return 2;
        } else if (file.isEmpty()) {
            file = QString::fromLocal8Bit(argv[i]);
        }
    }
    // ORV_STARTUP_TRACE=1 reports the start-up times on stderr.
    const bool trace = orv::startupTraceEnabled();
    QElapsedTimer &clock = orv::startupClock();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvalinetrix"));
    // Every window and dialog shows the program's icon.
    QApplication::setWindowIcon(orv::programIcon());
    // Japanese or English, before the first window; Qt's own dialogs follow.
    const orv::Language language = orv::startupLanguage(*orv::programSettings());
    if (!orv::installLanguage(language, QApplication::applicationDirPath()))
        QTextStream(stderr) << "orvalinetrix: no English catalogue ("
                            << orv::catalogueFile(QApplication::applicationDirPath(), language) << "); using Japanese\n";

    orv::QtDesktop desktop;
    orv::Reading reading(&desktop);
    reading.programFolder = QApplication::applicationDirPath();
    // Unsaved changes are copied aside a moment after each change, so that a
    // crash or a power cut loses (almost) nothing.
    orv::Recovery recovery(reading, [&reading] { return orv::stateFileBytes(reading); },
                           orv::Recovery::defaultFolder());
    if (!recovery.start())
        QTextStream(stderr) << "orvalinetrix: no crash recovery: " << recovery.offReason() << "\n";

    orv::AssembledWindow window;
    qint64 timerFiredAt = -1;
    auto showMain = [&] {
        if (window.main)
            return;
        window = orv::assembleMainWindow(reading);
        orv::MainWindow *mainWindow = window.main.get();
        desktop.setOwner(mainWindow);
        orv::fitToScreen(*mainWindow);
        mainWindow->show();
        if (trace) {
            // Measured when the window system has exposed the window.
            auto *poll = new QTimer(mainWindow);
            poll->setInterval(1);
            QObject::connect(poll, &QTimer::timeout, [&, poll, mainWindow] {
                if (!mainWindow->windowHandle() || !mainWindow->windowHandle()->isExposed())
                    return;
                poll->stop();
                orv::startupTrace("main window exposed");
                QTextStream(stderr) << "startup: main window exposed at " << clock.elapsed() << " ms"
                                    << (timerFiredAt >= 0 ? QStringLiteral(" (%1 ms after the splash timer)")
                                                                .arg(clock.elapsed() - timerFiredAt)
                                                          : QString())
                                    << "\n";
            });
            poll->start();
        }
        // A reading left by a program that did not end normally is offered
        // first; a path given on the command line opens like a dropped file,
        // once that question is answered.
        orv::runStartupOpenings(
            *mainWindow,
            [&reading, &recovery, mainWindow] {
                // A folder that cannot be used is not read either.
                if (!recovery.started())
                    return orv::announceRecoveryOff(*mainWindow, reading, recovery.offReason());
                recovery.offerRestore([&reading](const QString &path) {
                    return orv::Load_State(reading, path) == orv::LoadResult::Loaded;
                });
            },
            file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath(),
            [](const QString &error) { QTextStream(stderr) << error; });
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
    window.main.reset();
    return rc;
}
