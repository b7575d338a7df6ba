#include "model/series_table.h"
#include "processing/table_ops.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

void fill(SeriesTable &t, const std::vector<std::array<const char *, 4>> &rows)
{
    for (const auto &r : rows) {
        t.appendRow();
        const int n = t.rowCount() - 1;
        t.setCell(n, SeriesTable::ColNo, QString::number(n));
        for (int c = 0; c < 4; ++c)
            t.setCell(n, c + 1, QString::fromUtf8(r[size_t(c)]));
    }
}

std::vector<std::string> column(const SeriesTable &t, int col)
{
    std::vector<std::string> out;
    for (int r = 1; r < t.rowCount(); ++r)
        out.push_back(s(t.cell(r, col)));
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(SeriesResolution, NameToNumber)
{
    EXPECT_EQ(resolveSeries(QStringLiteral("系列3")), 3);
    EXPECT_EQ(resolveSeries(QStringLiteral("系列16")), 16);
    EXPECT_FALSE(resolveSeries(QStringLiteral("系列17")).has_value());
    EXPECT_FALSE(resolveSeries(QString()).has_value());
    EXPECT_EQ(resolveSeries(QStringLiteral("系列2.5")), 2); // halves to even
}

TEST(Sort, NumericOrderRowsMoveWholeNumbersStay)
{
    SeriesTable t(1);
    fill(t, {{"7", "2.0000", "20.000", "a"}, {"8", "10.000", "100.00", "b"}, {"9", "1.0000", "10.000", ""}});
    sortGrid(t, SortKey::X, true);
    EXPECT_EQ(column(t, SeriesTable::ColX), (V{"1.0000", "2.0000", "10.000"}));
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"9", "7", "8"}));
    EXPECT_EQ(column(t, SeriesTable::ColY), (V{"10.000", "20.000", "100.00"}));
    EXPECT_EQ(column(t, SeriesTable::ColZ), (V{"", "a", "b"}));
    EXPECT_EQ(column(t, SeriesTable::ColNo), (V{"1", "2", "3"}));
    sortGrid(t, SortKey::Y, false);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"8", "7", "9"}));
}

TEST(Sort, StableBothWaysAndExponentFormsReadInFull)
{
    SeriesTable t(1);
    fill(t, {{"1", "5", "1.2345e+3", ""}, {"2", "3", "5.0000e+2", ""}, {"3", "5", "1", ""}, {"4", "3", "-2.0000e+0", ""}});
    sortGrid(t, SortKey::X, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"2", "4", "1", "3"}));
    sortGrid(t, SortKey::X, false);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"1", "3", "2", "4"}));
    sortGrid(t, SortKey::Y, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"4", "3", "2", "1"}));
}

TEST(Sort, ZWithEmptyCellsCountsThemZero)
{
    SeriesTable t(1);
    fill(t, {{"1", "1", "1", ""}, {"2", "2", "2", ""}, {"3", "3", "3", ""}});
    sortGrid(t, SortKey::Z, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"1", "2", "3"}));
    sortGrid(t, SortKey::Z, false);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"1", "2", "3"}));
    t.setCell(2, SeriesTable::ColZ, QStringLiteral("-1"));
    t.setCell(3, SeriesTable::ColZ, QStringLiteral("4.5"));
    sortGrid(t, SortKey::Z, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"2", "1", "3"}));
    SeriesTable empty(2);
    sortGrid(empty, SortKey::X, true);
    EXPECT_EQ(empty.rowCount(), 1);
}

TEST(Sort, RowsWithoutValuesStayAndGoLast)
{
    SeriesTable t(1);
    // IDs 2 and 4 could not be converted: their X and Y are empty, not 0.
    fill(t, {{"1", "5", "1", "3"},
             {"2", "", "", "9"},
             {"3", "-2", "4", ""},
             {"4", "", "", "-7"},
             {"5", "1.0000e+1", "2", "1"}});
    EXPECT_TRUE(rowHasValues(t, 1));
    EXPECT_FALSE(rowHasValues(t, 2));
    EXPECT_TRUE(rowHasValues(t, 5)); // an exponent text is a value
    sortGrid(t, SortKey::X, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"3", "1", "5", "2", "4"}));
    sortGrid(t, SortKey::X, false);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"5", "1", "3", "2", "4"}));
    sortGrid(t, SortKey::Y, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"1", "5", "3", "2", "4"}));
    // Sorted by Z, they still go last though their Z are the largest and smallest.
    sortGrid(t, SortKey::Z, false);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"1", "5", "3", "2", "4"}));
    sortGrid(t, SortKey::Z, true);
    EXPECT_EQ(column(t, SeriesTable::ColId), (V{"3", "5", "1", "2", "4"}));
    EXPECT_EQ(t.rowCount(), 6);
    // Only a number counts as a value; one empty coordinate is enough to be left out.
    t.setCell(1, SeriesTable::ColY, QStringLiteral("x"));
    EXPECT_FALSE(rowHasValues(t, 1));
    t.setCell(1, SeriesTable::ColY, QStringLiteral("1"));
    t.setCell(1, SeriesTable::ColX, QStringLiteral(" "));
    EXPECT_FALSE(rowHasValues(t, 1));
    EXPECT_FALSE(rowHasValues(t, 0));  // the header
    EXPECT_FALSE(rowHasValues(t, 99));
}

TEST(Sort, TheCurrentRowFollowsItsPoint)
{
    SeriesTable t(1);
    fill(t, {{"1", "3", "1", ""}, {"2", "1", "1", ""}, {"3", "2", "1", ""}});
    t.setCurrent(1, SeriesTable::ColY); // ID 1
    sortGrid(t, SortKey::X, true);
    EXPECT_EQ(t.currentRow(), 3);
    EXPECT_EQ(s(t.cell(t.currentRow(), SeriesTable::ColId)), "1");
    EXPECT_EQ(t.currentCol(), int(SeriesTable::ColY));
    sortGrid(t, SortKey::X, false);
    EXPECT_EQ(s(t.cell(t.currentRow(), SeriesTable::ColId)), "1");
    EXPECT_EQ(t.currentRow(), 1);
}

TEST(Csv, BytesAreCodePage932WithCrLfAndTrailingComma)
{
    SeriesTable t(1);
    fill(t, {{"3", "1.0000", "2.5000", ""}, {"4", "1.2345e+3", "-5.0000e-3", "7"}});
    auto b = csvBytes(QStringLiteral("系列1"), t);
    ASSERT_TRUE(b);
    const QByteArray want = QByteArray("\x8c\x6e\x97\xf1\x31\r\n", 7) + "1.0000,2.5000,\r\n1.2345e+3,-5.0000e-3,7\r\n";
    EXPECT_EQ(b->toHex().toStdString(), want.toHex().toStdString());
    SeriesTable empty(2);
    EXPECT_EQ(*csvBytes(QStringLiteral("系列12"), empty), QByteArray("\x8c\x6e\x97\xf1\x31\x32\r\n"));
}

TEST(Csv, AtomicWriteReplacesOrFailsWithoutDamage)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.csv"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old contents that are longer\r\n");
    }
    ASSERT_TRUE(writeFileAtomically(path, "new\r\n"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("new\r\n"));

    auto bad = writeFileAtomically(dir.filePath(QStringLiteral("missing/dir/out.csv")), "x");
    ASSERT_FALSE(bad);
    EXPECT_FALSE(bad.error().isEmpty());
    EXPECT_FALSE(writeFileAtomically(dir.path(), "x")); // a folder, not a file
}
