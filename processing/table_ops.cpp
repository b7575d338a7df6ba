#include "processing/table_ops.h"

#include "model/file_io.h"

#include "model/numtext.h"

#include <QStringEncoder>
#include <algorithm>
#include <cmath>
#include <vector>

namespace orv {

std::optional<int> resolveSeries(const QString &comboText)
{
    QString t = comboText;
    t.remove(QStringLiteral("系列"));
    const double v = std::nearbyint(readPrefix(t)); // the default rounding mode: halves to even
    if (!(v >= 1 && v <= 16))
        return std::nullopt;
    return int(v);
}

bool rowHasValues(const SeriesTable &table, int row)
{
    if (row < 1 || row >= table.rowCount())
        return false;
    for (int c : {int(SeriesTable::ColX), int(SeriesTable::ColY)}) {
        const auto v = readStrict(table.cell(row, c));
        if (!v || !std::isfinite(*v))
            return false;
    }
    return true;
}

void sortGrid(SeriesTable &table, SortKey key, bool ascending, const CellValue &value)
{
    const int col = key == SortKey::X ? SeriesTable::ColX : key == SortKey::Y ? SeriesTable::ColY : SeriesTable::ColZ;
    struct Item {
        bool hasValues;
        double key;
        int oldRow;
        SeriesTable::Row row;
    };
    std::vector<Item> items;
    for (int r = 1; r < table.rowCount(); ++r) {
        Item it{rowHasValues(table, r), readPrefix(table.cell(r, col)), r, {}};
        if (value) {
            const auto x = value(r, SeriesTable::ColX), y = value(r, SeriesTable::ColY);
            it.hasValues = x && y && std::isfinite(*x) && std::isfinite(*y);
            if (col != SeriesTable::ColZ && it.hasValues)
                it.key = col == SeriesTable::ColX ? *x : *y;
        }
        for (int c = 0; c < 5; ++c)
            it.row[size_t(c)] = table.cell(r, c);
        items.push_back(std::move(it));
    }
    // Rows without values compare after every row with values, whatever the direction.
    std::stable_sort(items.begin(), items.end(), [ascending](const Item &a, const Item &b) {
        if (a.hasValues != b.hasValues)
            return a.hasValues;
        if (!a.hasValues)
            return false;
        return ascending ? a.key < b.key : a.key > b.key;
    });
    const int oldCurrent = table.currentRow();
    table.beginUpdate();
    for (size_t i = 0; i < items.size(); ++i) {
        const int r = int(i) + 1;
        for (int c = SeriesTable::ColId; c <= SeriesTable::ColZ; ++c)
            if (table.cell(r, c) != items[i].row[size_t(c)])
                table.setCell(r, c, items[i].row[size_t(c)]);
        if (items[i].oldRow == oldCurrent)
            table.setCurrent(r, table.currentCol());
    }
    table.endUpdate();
}

std::optional<QByteArray> csvBytes(const QString &seriesName, const SeriesTable &table)
{
    QString text = seriesName + QStringLiteral("\r\n");
    for (int r = 1; r < table.rowCount(); ++r)
        text += table.cell(r, SeriesTable::ColX) + u',' + table.cell(r, SeriesTable::ColY) + u',' +
                table.cell(r, SeriesTable::ColZ) + QStringLiteral("\r\n");
    QStringEncoder enc("Shift_JIS");
    if (!enc.isValid())
        return std::nullopt;
    QByteArray out = enc.encode(text);
    if (enc.hasError())
        return std::nullopt;
    return out;
}

std::expected<void, QString> writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    auto written = writeFileSafely(path, bytes);
    if (!written)
        return std::unexpected(writeFailureReason(written.error()));
    return {};
}

} // namespace orv
