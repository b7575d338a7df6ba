#pragma once
// "orvalinetrix extract": the automatic reading without a window. Reads a
// saved reading's picture by colour through its frame, prints the points found
// (JSON like "export", or CSV) and optionally saves the reading with them.

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace orv {

// `args` are the arguments after "extract". Exit codes: 0 done, 1 the reading
// or its picture could not be read (or has no complete frame), 2 wrong
// arguments, 3 nothing found, 4 the --save file could not be written.
int runExtractCommand(const QStringList &args, QTextStream &out, QTextStream &err,
                      const QString &programFolder = QString());

QString extractHelpText();

} // namespace orv
