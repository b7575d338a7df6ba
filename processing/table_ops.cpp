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

void sortGrid(SeriesTable &table, SortKey key, bool ascending)
{
    const int col = key == SortKey::X ? SeriesTable::ColX : key == SortKey::Y ? SeriesTable::ColY : SeriesTable::ColZ;
    struct Item {
        double key;
        SeriesTable::Row row;
    };
    std::vector<Item> items;
    for (int r = 1; r < table.rowCount(); ++r) {
        Item it{readPrefix(table.cell(r, col)), {}};
        for (int c = 0; c < 5; ++c)
            it.row[size_t(c)] = table.cell(r, c);
        items.push_back(std::move(it));
    }
    if (ascending)
        std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.key < b.key; });
    else
        std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) { return a.key > b.key; });
    table.beginUpdate();
    for (size_t i = 0; i < items.size(); ++i) {
        const int r = int(i) + 1;
        for (int c = SeriesTable::ColId; c <= SeriesTable::ColZ; ++c)
            if (table.cell(r, c) != items[i].row[size_t(c)])
                table.setCell(r, c, items[i].row[size_t(c)]);
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
