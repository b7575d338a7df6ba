#include "app/assembly.h"

#include "autocal/autocal_widget.h"
#include "autoread/autoread_widget.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "model/recovery.h"
#include "processing/data_disposal_form_widget.h"
#include "statefile/state_file.h"
#include "table/grid_form_widget.h"

#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QStatusBar>

namespace orv {

AssembledWindow assembleMainWindow(Reading &reading)
{
    AssembledWindow a;
    a.main = std::make_unique<MainWindow>(reading);
    a.graphs = new GraphWindowHost(reading, a.main->mdiArea(), a.main.get());
    // The graph window leaves the tables their column.
    a.graphs->chartRoom = [main = a.main.get()] { return main->chartRoom(); };
    a.grids = new GridWindowsHost(reading, a.main->mdiArea(), a.main.get());
    a.grids->setEditMenu(a.main->editMenu());
    a.grids->openDataDisposal = [&reading](int series, QWidget *parent) { openDataDisposal(reading, series, parent); };
    a.main->form().onSaveState = [&reading] { Save_State(reading); };
    // "Save?" Yes runs the same save.
    reading.saveHandler = [&reading] { Save_State(reading); };
    a.main->form().onLoadState = [&reading](const QString &path) { return openReadingFile(reading, path) == 0; };
    a.main->form().onAutoRead = [&reading, graphs = a.graphs, main = a.main.get()] {
        autoread::openAutoReadPanel(reading, graphs, main);
    };
    auto *autoCal = new autocal::AutoCalibrateUi(reading, a.graphs, a.main.get());
    autoCal->calibrator().setTabSwitch([main = a.main.get()](int tab) { main->form().selectModeTab(tab); });
    a.main->form().onAutoCalibrate = [autoCal] { autoCal->run(); };
    return a;
}

QString openCommandLineFile(MainWindow &window, const QString &path)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("orvalinetrix: %1: no such file\n").arg(path);
    window.form().Drop_Files(path);
    return QString();
}

void runStartupOpenings(MainWindow &window, std::function<void()> offerRecovery, const QString &file,
                        std::function<void(const QString &)> error)
{
    // One queued call, not two: a question's dialog runs the event loop, and
    // a second queued call would open the file (and its page chooser) while
    // the recovery question is still waiting for its answer.
    QTimer::singleShot(0, &window, [&window, offerRecovery = std::move(offerRecovery), file, error = std::move(error)] {
        if (offerRecovery)
            offerRecovery();
        if (file.isEmpty())
            return;
        if (const QString text = openCommandLineFile(window, file); !text.isEmpty() && error)
            error(text);
    });
}

QSize screenFitSize(QSize current, QSize available)
{
    const QSize want(std::max({current.width(), available.width() * 9 / 10, available.width() - 40}),
                     std::max(current.height(), available.height() * 9 / 10));
    return want.boundedTo(available);
}

void announceRecoveryOff(MainWindow &window, Reading &reading, const QString &reason)
{
    const QString message = Recovery::offMessage(reason);
    auto *notice = new QLabel(Recovery::statusNotice(), window.statusBar());
    notice->setObjectName(QStringLiteral("RecoveryOffNotice"));
    notice->setToolTip(QString(message).replace(u'\r', u'\n'));
    window.statusBar()->addPermanentWidget(notice);
    reading.port().message(message);
}

void fitToScreen(MainWindow &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    window.resize(screenFitSize(window.size(), avail.size()));
    window.move(avail.center() - QPoint(window.width() / 2, window.height() / 2));
}

} // namespace orv
