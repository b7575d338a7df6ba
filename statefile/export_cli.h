#pragma once
// "orvalinetrix export": a reading file's points as CSV files (one per series,
// as the series tables show them) or as one JSON document, without any window.

#include "model/desktop_port.h"
#include "model/reading.h"
#include "model/series_table.h"
#include "statefile/state_file.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>

namespace orv {

// Walks a subcommand's arguments: "--name=value" is split at the '=', and an
// option's value comes from there or from the next argument.
class ArgCursor {
public:
    explicit ArgCursor(const QStringList &args) : m_args(args) {}
    // Moves to the next argument; false past the last.
    bool next();
    const QString &name() const { return m_name; }
    const QString &value() const { return m_value; }
    bool hasInlineValue() const { return m_inline; }
    const QString &raw() const { return m_args[m_i]; }
    // The option's value; false when the option is the last argument.
    bool takeValue();

private:
    const QStringList &m_args;
    qsizetype m_i = -1;
    QString m_name, m_value;
    bool m_inline = false;
};

// `args` are the arguments after "export". Results go to `out`, messages to
// `err`. Exit codes: 0 done, 1 the reading file could not be read, 2 wrong
// arguments, 3 written but some points could not be converted, 4 an output
// file could not be written. `programFolder` resolves pictures stored relative
// to the program ("" = the running program's folder).
int runExportCommand(const QStringList &args, QTextStream &out, QTextStream &err,
                     const QString &programFolder = QString());

QString exportHelpText();

// "Try 'orvalinetrix COMMAND --help'." in the user's language, with its newline.
QString tryHelpText(const char *command);

// A reading without any window, as the subcommands use it: questions are
// answered Yes, messages are collected and printed by load().
struct HeadlessReading {
    ScriptedDesktop desk;
    Reading r{&desk};
    // `programFolder` "" = the running program's folder.
    explicit HeadlessReading(const QString &programFolder);
    // Reads `file` without opening its picture; every message goes to `err`
    // after `me`. Nothing when the file cannot be read or applied.
    std::optional<LoadReport> load(const QString &file, std::optional<AxisKind> xKind, std::optional<AxisKind> yKind,
                                   QTextStream &err, const QString &me);
    // "--x-log", "--y-linear", "--x-date", ...: sets the kind of the named axis
    // (false when `option` is none of them). A second, different kind for the
    // same axis is a usage error, reported in `error`.
    static bool kindOption(const QString &option, std::optional<AxisKind> &xKind, std::optional<AxisKind> &yKind,
                           QString &error);
};

// The JSON document of `export --format json` (points in ID order, those
// `include` accepts when given); counts the points that cannot be converted.
// The JSON pieces of that document: a string, a stored (single precision)
// position, a converted value at full precision.
QString jsonString(const QString &s);
QString floatJson(float v);
QString doubleJson(double v);

QString exportJsonDocument(Reading &reading, int *failed, const std::function<bool(int id)> &include = {});

// A series table as a CSV file: the series name, then "X,Y,Z" per row as the
// cells stand; CRLF; code page 932 (UTF-8 when a cell holds text outside it).
QByteArray seriesCsvBytes(const SeriesTable &table);

} // namespace orv
