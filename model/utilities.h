#pragma once
// Small utilities the windows share: the highlight of the corner position
// boxes, file dialogs and path handling, the numeric filter of a text box, the
// colour chooser, the help document, and the twips-to-pixels conversion of the
// design layouts. Everything that touches the desktop goes through the port.

#include "model/calib_panel.h"

#include <QColor>
#include <QString>
#include <cmath>

namespace orv {

class Reading;
class DesktopPort;

// Layout lengths are designed in twips; Qt works in logical pixels.
inline constexpr double kTwipsPerPixel = 15.0;
inline int twipsToPx(double twips) { return int(std::lround(twips / kTwipsPerPixel)); }
inline double pxToTwips(double px) { return px * kTwipsPerPixel; }

// Returns the eight position boxes to their normal colour, then highlights
// boxes `a` and `b` when `flag` is set.
void Hilight_DfntBox(CalibPanel &panel, CalibPanel::PosBox a, CalibPanel::PosBox b, bool flag);

// The open dialog, starting in the program's folder with an empty name; ""
// when cancelled. The filter has the "Name(*.ext)|*.ext|..." form.
// `folder`, when set, is where the dialog starts instead.
QString Get_FileName(Reading &reading, const QString &title, const QString &filter, const QString &folder = {});

// Mode 1: the file name; 2: the folder without the final separator; 3: the
// folder with it; anything else: "". Both "\" and "/" separate.
QString Split_Path(const QString &path, int mode);

// The text after the last "." of a name (the whole name when it has none), so
// that fig.3.2.png is a png and my.graph.orvd a reading file.
QString Get_Ext(const QString &name);

// True only for an existing regular file (a link to one included): false for
// folders, devices, FIFOs, sockets, names with wildcards and the empty text.
// Never opens the file.
bool File_Exists(const QString &path);

// The larger of the numbers the two texts start with (text without a number
// counts as 0).
double Max_Val(const QString &a, const QString &b);

// The numeric filter of an entry box: removes the first character that may not
// appear in a number (anything but digits, ".", a leading "-"; control
// characters go too, a pasted line break or tab included) and puts the caret
// at the end. True when it removed one; the
// caller then gives the box the focus. One character per call, as the box's
// change notification calls it again after each removal.
bool Check_NumText(QString &text, int &caret);

// The colour chooser, starting on black. Returns the chosen colour as a colour
// value (red + 256 green + 65536 blue), -2 for a value outside 24 bits, 0 when
// cancelled.
int Pick_Color(DesktopPort &port);
int Pick_Color(Reading &reading);
// A colour value as returned by Pick_Color as a QColor (invalid for -2).
QColor colorFromValue(int value);

// Path of the help document beside the program.
QString helpDocumentPath(const Reading &reading);
// Asks the desktop to open the help document; never blocks, reports nothing.
void Show_Help(Reading &reading);

} // namespace orv
