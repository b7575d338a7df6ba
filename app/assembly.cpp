#include "app/assembly.h"

#include "autocal/autocal_widget.h"
#include "autoread/autoread_widget.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "processing/data_disposal_form_widget.h"
#include "statefile/state_file.h"
#include "table/grid_form_widget.h"

#include <QFileInfo>
#include <QScreen>

namespace orv {

AssembledWindow assembleMainWindow(Reading &reading)
{
    AssembledWindow a;
    a.main = std::make_unique<MainWindow>(reading);
    a.graphs = new GraphWindowHost(reading, a.main->mdiArea(), a.main.get());
    a.grids = new GridWindowsHost(reading, a.main->mdiArea(), a.main.get());
    a.grids->setEditMenu(a.main->editMenu());
    a.grids->openDataDisposal = [&reading](int series, QWidget *parent) { openDataDisposal(reading, series, parent); };
    a.main->form().onSaveState = [&reading] { Save_State(reading); };
    // "Save?" Yes runs the same save.
    reading.saveHandler = [&reading] { Save_State(reading); };
    a.main->form().onLoadState = [&reading](const QString &path) { openReadingFile(reading, path); };
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

void fitToScreen(MainWindow &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    const QRect avail = screen->availableGeometry();
    const QSize want(std::max(window.width(), avail.width() * 9 / 10),
                     std::max(window.height(), avail.height() * 9 / 10));
    window.resize(want.boundedTo(avail.size()));
    window.move(avail.center() - QPoint(window.width() / 2, window.height() / 2));
}

} // namespace orv
