#pragma once
// "orvalinetrix calibrate": the automatic calibration without a window.
// Prints the frame, the axis values and modes and every label read, as text
// or JSON, and optionally saves a reading with that calibration.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace orv::autocal {

// `args` are the arguments after "calibrate". Exit codes: 0 both axes found,
// 1 the picture could not be read (or the OCR could not start), 2 wrong
// arguments, 3 no chart axes found or only one (nothing saved), 4 the --save
// file could not be written.
int runCalibrateCommand(const QStringList &args, QTextStream &out, QTextStream &err);

QString calibrateHelpText();

} // namespace orv::autocal
