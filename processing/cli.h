#pragma once
// Headless subcommands of the program (no display, no widgets):
//   orvalinetrix fit --kind linear|log|poly|power|exp [--degree N] [--intercept V] [FILE|-]
//   orvalinetrix eval EQUATION-TEXT --kind K X
// Return the process exit code: 0 done, 1 the data or the fit failed, 2 usage.

#include <QIODevice>
#include <QStringList>
#include <QTextStream>

namespace orv {

// Reads "X,Y" lines (the program's CSV with its series-name line included)
// from FILE, or from `stdinDevice` for "-" or no FILE; prints the equation
// text and the R² text, one per line.
int runFitCommand(const QStringList &args, QTextStream &out, QTextStream &err, QIODevice *stdinDevice);

// Prints the equation's value at X as the result window shows it.
int runEvalCommand(const QStringList &args, QTextStream &out, QTextStream &err);

// The --help texts of the two subcommands.
QString fitHelpText();
QString evalHelpText();

} // namespace orv
