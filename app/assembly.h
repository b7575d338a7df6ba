#pragma once
// Puts the program's windows together: the main window, the graph window and
// series tables in its document area, data processing from the tables, and
// saving and reopening readings from its commands. The program and the
// end-to-end checks build the same window this way.

#include <QSize>
#include <QString>
#include <functional>
#include <memory>

namespace orv {

class GraphWindowHost;
class GridWindowsHost;
class MainWindow;
class Reading;

struct AssembledWindow {
    std::unique_ptr<MainWindow> main;
    GraphWindowHost *graphs = nullptr; // owned by the main window
    GridWindowsHost *grids = nullptr;  // owned by the main window
};

AssembledWindow assembleMainWindow(Reading &reading);

// Opens a file named on the command line as a dropped file is opened (a
// file of another kind gets the same message). A path that names no file
// opens nothing: the text for standard error is returned ("" otherwise).
QString openCommandLineFile(MainWindow &window, const QString &path);

// What a started program does first once its window shows: `offerRecovery`
// (the reading left by a program that did not end normally), and only when
// that question is answered, the file named on the command line ("" none),
// whose own questions (a PDF's page chooser) then come on their own. A
// missing file's text for standard error goes to `error`.
void runStartupOpenings(MainWindow &window, std::function<void()> offerRecovery, const QString &file,
                        std::function<void(const QString &)> error);

// Tells the user that crash recovery is off and why (`reason`, from
// Recovery::offReason()): once as a message, and for good as a notice in the
// status bar whose tool tip repeats the message.
void announceRecoveryOff(MainWindow &window, Reading &reading, const QString &reason);

// Sizes the main window to most of a large screen (never below its design
// size), so that the chart and its tables fit side by side, and centres it.
void fitToScreen(MainWindow &window);
// The size fitToScreen gives a window of `current` size on a screen whose
// free part is `available`: all but a narrow margin of its width (on a
// 1280-pixel screen the chart's readout and a table need nearly all of it),
// nine tenths of its height.
QSize screenFitSize(QSize current, QSize available);

} // namespace orv
