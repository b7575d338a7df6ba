#include "app/assembly.h"

#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"
#include "processing/data_disposal_form_widget.h"
#include "statefile/state_file.h"
#include "table/grid_form_widget.h"

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
    a.main->form().onLoadState = [&reading](const QString &path) { openReadingFile(reading, path); };
    return a;
}

} // namespace orv
