#include "model/series_table.h"

#include "model/numtext.h"

#include <algorithm>

namespace orv {

SeriesTable::SeriesTable(int series, QObject *parent) : QObject(parent), m_series(series)
{
    gridFormat();
}

const QString &SeriesTable::cell(int row, int col) const
{
    static const QString empty;
    if (row < 0 || row >= rowCount() || col < 0 || col > 4)
        return empty;
    return m_rows[size_t(row)][size_t(col)];
}

void SeriesTable::setCell(int row, int col, const QString &text)
{
    if (row < 0 || row >= rowCount() || col < 0 || col > 4)
        return;
    m_rows[size_t(row)][size_t(col)] = text;
    if (m_batch)
        m_dirty = true;
    else
        Q_EMIT cellChanged(row, col);
}

void SeriesTable::appendRow()
{
    if (m_batch) {
        m_rows.emplace_back();
        m_dirty = true;
        return;
    }
    const int row = rowCount();
    Q_EMIT rowAboutToBeAppended(row);
    m_rows.emplace_back();
    Q_EMIT rowAppended(row);
}

void SeriesTable::removeLastRow()
{
    if (m_rows.size() <= 1)
        return;
    m_rows.pop_back();
    if (m_row >= rowCount())
        m_row = rowCount() - 1;
    changed();
}

void SeriesTable::shiftUpFrom(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    for (int r = row; r <= rowCount() - 2; ++r)
        for (int c = 1; c <= 4; ++c)
            m_rows[size_t(r)][size_t(c)] = m_rows[size_t(r + 1)][size_t(c)];
    removeLastRow();
}

void SeriesTable::setRows(std::vector<Row> rows)
{
    if (rows.empty())
        return; // never without its header
    m_rows = std::move(rows);
    if (m_row >= rowCount())
        m_row = rowCount() - 1;
    if (m_topRow >= rowCount())
        m_topRow = std::max(1, rowCount() - 1);
    changed();
}

int SeriesTable::rowOfId(int id) const
{
    for (int r = 1; r < rowCount(); ++r)
        if (readPrefix(cell(r, ColId)) == id)
            return r;
    return -1;
}

void SeriesTable::setCurrent(int row, int col)
{
    m_selR1 = m_selR2 = row;
    m_selC1 = m_selC2 = col;
    if (row == m_row && col == m_col)
        return;
    m_row = row;
    m_col = col;
    if (!m_batch)
        Q_EMIT currentChanged(row, col);
    else
        m_dirty = true;
}

void SeriesTable::setSelection(int row1, int col1, int row2, int col2)
{
    m_selR1 = row1, m_selC1 = col1, m_selR2 = row2, m_selC2 = col2;
}

QString SeriesTable::selectionText() const
{
    const int r1 = std::min(m_selR1, m_selR2), r2 = std::max(m_selR1, m_selR2);
    const int c1 = std::min(m_selC1, m_selC2), c2 = std::max(m_selC1, m_selC2);
    QString out;
    for (int r = r1; r <= r2; ++r) {
        if (r > r1)
            out += QStringLiteral("\r\n");
        for (int c = c1; c <= c2; ++c) {
            if (c > c1)
                out += u'\t';
            out += cell(r, c);
        }
    }
    return out;
}

void SeriesTable::setTopRow(int row)
{
    if (row == m_topRow)
        return;
    m_topRow = row;
    if (!m_batch)
        Q_EMIT topRowChanged(row);
    else
        m_dirty = true;
}

void SeriesTable::showEditor(const QString &text)
{
    m_editorText = text;
    m_remembered = text;
    m_editorVisible = true;
    Q_EMIT editorChanged();
}

void SeriesTable::setEditorText(const QString &text)
{
    if (m_editorText == text)
        return;
    m_editorText = text;
    Q_EMIT editorChanged();
}

void SeriesTable::hideEditor()
{
    if (!m_editorVisible)
        return;
    m_editorVisible = false;
    Q_EMIT editorChanged();
}

void SeriesTable::formFormat()
{
    heightTwips = 4440;
    widthTwips = 3675;
    gridFormat();
}

void SeriesTable::gridFormat()
{
    colWidths = {500, 500, 750, 750, 750};
    gridClear();
}

void SeriesTable::gridClear()
{
    m_rows.clear();
    m_rows.push_back(Row{QStringLiteral("No."), QStringLiteral("ID"), QStringLiteral("X"), QStringLiteral("Y"),
                         QStringLiteral("Z")});
    m_row = 0;
    m_col = 0;
    m_topRow = 1;
    changed();
}

void SeriesTable::load(const QString &caption)
{
    if (!m_loaded) {
        formFormat();
        m_loaded = true;
        Q_EMIT loadedChanged(true);
    }
    if (m_caption != caption) {
        m_caption = caption;
        Q_EMIT captionChanged(caption);
    }
    Q_EMIT shown();
}

void SeriesTable::unload()
{
    if (!m_loaded)
        return;
    m_editorVisible = false;
    gridClear();
    m_loaded = false;
    Q_EMIT loadedChanged(false);
}

void SeriesTable::endUpdate()
{
    if (m_batch > 0 && --m_batch == 0 && m_dirty) {
        m_dirty = false;
        Q_EMIT reset();
    }
}

void SeriesTable::changed()
{
    if (m_batch)
        m_dirty = true;
    else
        Q_EMIT reset();
}

} // namespace orv
