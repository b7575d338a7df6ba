#pragma once
// What the data processing window does to a series table: find the series a
// combo text names, sort the rows, write them as CSV.

#include "model/series_table.h"

#include <QByteArray>
#include <QString>
#include <expected>
#include <functional>
#include <optional>

namespace orv {

// "系列3" -> 3: every "系列" removed, the rest read as a number and rounded
// (halves to even). nullopt outside 1..16.
std::optional<int> resolveSeries(const QString &comboText);
// The series' name in its CSV file: "系列3", the same in every language.
inline QString seriesFileName(int series) { return QStringLiteral("系列%1").arg(series); }

// A data row has values when its X and Y cells both hold numbers. A point the
// frame could not convert has them empty: it is no point at (0, 0), so fits
// leave it out and sorting puts it last.
bool rowHasValues(const SeriesTable &table, int row);

enum class SortKey { X, Y, Z };

// Sorts the data rows by the numbers read from the key column (numeric-prefix
// reading, an empty Z counting 0). Rows without values (see rowHasValues) go
// last in either direction, in their order. Stable in both directions: rows
// with equal keys keep their order. Columns ID, X, Y and Z move together; the
// "No." column keeps counting 1, 2, 3 from the top. The current row follows
// its point (its ID), so the highlighted row still names the ringed point.
//
// `value` (when given) reads the X and Y cells instead of the texts: a date
// axis sorts by its points' serial days, never by the shown texts. A row has
// values when it gives both.
using CellValue = std::function<std::optional<double>(int row, int col)>;
void sortGrid(SeriesTable &table, SortKey key, bool ascending, const CellValue &value = {});

// The CSV file's bytes: the series name, then "X,Y,Z" per data row as the cells
// stand, every line ending in CR LF, code page 932. nullopt when a text cannot
// be written in that code page.
std::optional<QByteArray> csvBytes(const QString &seriesName, const SeriesTable &table);

// Writes the bytes through a temporary file renamed into place, so a failed
// write leaves any earlier file as it was. The error text on failure.
std::expected<void, QString> writeFileAtomically(const QString &path, const QByteArray &bytes);

} // namespace orv
