#pragma once
// The program's subcommands (no window) and the help texts of the command
// line; the manual page is generated from the same texts.

#include <QString>

namespace orv {

struct Subcommand {
    const char *name;
    const char *summary;
};

// "export", "extract", "fit", "eval".
const Subcommand *subcommands(int *count);
// The top-level --help text.
QString mainHelpText();
// The --help text of a subcommand ("" when there is none).
QString subcommandHelpText(const QString &name);
// Runs a subcommand; argv[1] is its name. Returns the exit code, or -1 when
// argv[1] names no subcommand.
int runSubcommand(int argc, char **argv);
// Writes the manual page (troff) built from the help texts.
QString manPage();

} // namespace orv
