#pragma once
// State of one series table window (the grid Sampling_Grid1 and its Z editor):
// rows of five cells (row 0 is the header: "No.", "ID", "X", "Y", "Z"), the
// current cell, the first visible data row, column widths in twips, the window
// size in twips. The grid widget is a view of this object.

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace orv {

class SeriesTable : public QObject {
    Q_OBJECT
public:
    using Row = std::array<QString, 5>;
    enum Column { ColNo = 0, ColId = 1, ColX = 2, ColY = 3, ColZ = 4 };

    explicit SeriesTable(int series, QObject *parent = nullptr);

    int series() const { return m_series; }

    bool loaded() const { return m_loaded; }
    const QString &caption() const { return m_caption; }

    int rowCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.size() <= 1; }
    const QString &cell(int row, int col) const;
    void setCell(int row, int col, const QString &text);
    void appendRow();
    void removeLastRow();
    // Copies columns 1..4 of every row after `row` one row up and drops the last
    // row; column 0 keeps counting 1, 2, 3 ...
    void shiftUpFrom(int row);
    // All rows, the header included.
    const std::vector<Row> &rows() const { return m_rows; }
    // Replaces every row (undo and redo of an edit); the header stays.
    void setRows(std::vector<Row> rows);

    // The data row showing point `id`; -1 when none does.
    int rowOfId(int id) const;

    int currentRow() const { return m_row; }
    int currentCol() const { return m_col; }
    void setCurrent(int row, int col);
    int topRow() const { return m_topRow; }

    // The selected block of cells (inclusive, any corner order); the current
    // cell alone when nothing larger is selected.
    void setSelection(int row1, int col1, int row2, int col2);
    // The selected cells as text: cells joined by tabs, rows by CR LF.
    QString selectionText() const;
    void setTopRow(int row);
    // Asks the view to scroll a row into view, as little as it must.
    void revealRow(int row) { Q_EMIT revealRequested(row); }

    std::array<int, 5> colWidths{500, 500, 750, 750, 750};
    // The narrowest each column may be: the width of its widest text, as the
    // view measures it (0 until measured). The layout never goes below it.
    std::array<int, 5> minColWidths{};
    int widthTwips = 3675;
    int heightTwips = 4440;

    // The Z editor Val_Text.
    bool editorVisible() const { return m_editorVisible; }
    const QString &editorText() const { return m_editorText; }
    const QString &rememberedText() const { return m_remembered; }
    void showEditor(const QString &text);
    void setEditorText(const QString &text);
    void hideEditor();

    // Form_Format: window size and Grid_Format.
    void formFormat();
    // Grid_Format: header only, headers written, initial column widths.
    void gridFormat();
    // Grid_Clear: header only, column widths kept.
    void gridClear();

    // Load / unload the window object; loading formats it the first time.
    void load(const QString &caption);
    void unload();

    // Many changes at once (e.g. loading a reading): one refresh at the end.
    void beginUpdate() { ++m_batch; }
    void endUpdate();

Q_SIGNALS:
    void loadedChanged(bool loaded);
    // Asked to show (again): a window already open comes to the front.
    void shown();
    void captionChanged(const QString &caption);
    // Rows added, removed or many cells changed: the view rereads everything.
    void reset();
    // One row appended at the end (outside a batch): views insert just it.
    void rowAboutToBeAppended(int row);
    void rowAppended(int row);
    void cellChanged(int row, int col);
    void currentChanged(int row, int col);
    void topRowChanged(int row);
    void revealRequested(int row);
    void editorChanged();

private:
    void changed();

    int m_series;
    bool m_loaded = false;
    QString m_caption;
    std::vector<Row> m_rows;
    int m_row = 0, m_col = 0, m_topRow = 1;
    int m_selR1 = 0, m_selC1 = 0, m_selR2 = 0, m_selC2 = 0;
    bool m_editorVisible = false;
    QString m_editorText, m_remembered;
    int m_batch = 0;
    bool m_dirty = false;
};

} // namespace orv
