#pragma once
// Behaviour of a series table window: the grid of one series' points, the Z
// editor, re-read, row and series deletion, the data-processing button and the
// closing question. The widget turns clicks and keys into these calls.

#include "model/reading.h"

#include <QObject>
#include <functional>

namespace orv {

class Grid_Form : public QObject {
    Q_OBJECT
public:
    Grid_Form(Reading &reading, int series, QObject *parent = nullptr);

    Reading &reading() const { return r; }
    SeriesTable &table() const { return r.grid(m_series); }
    // The series number the caption names ("系列" removed, read as a number).
    int series() const;

    // All four buttons are enabled exactly when the grid has data rows.
    bool buttonsEnabled() const { return !table().isEmpty(); }

    void gridClick(int row, int col);
    // The Z editor's text changed: characters that may not appear in a number
    // are removed one at a time, each with a beep. Returns the text to show.
    QString editorTextChanged(const QString &text);
    void editorEnter();
    void editorEscape();
    void selectionChanged(int row);
    void gridEscapeReleased();
    // Right button released over the grid: true when the Edit popup is to show
    // (the grid has rows); this table is then the one Copy copies from.
    bool rightButtonReleased();

    void reread();
    void deleteSelectedRow();
    void deleteAll();
    void dataDisposal();
    // Closing: the question when rows would be discarded; false keeps it open.
    bool queryUnload();

    // Opens the data-processing window for this window's series (set by the GUI).
    std::function<void(int series)> openDataDisposal;

    // Resize rules, all in twips.
    struct Layout {
        int width, height;              // window size after the minimums
        int frameWidth, frameHeight;    // Read_Data_Frame
        int gridWidth, gridHeight;      // Sampling_Grid1
        int buttonTop;                  // all four buttons
        int dataDisposalWidth;          // DataDisposal_Command
        std::array<int, 5> colWidths;   // "No.", "ID", X, Y, Z
    };
    // Columns ID, X, Y and Z are never narrower than `minWidths` (their widest
    // texts); the grid scrolls sideways when they are wider than it.
    static Layout layoutFor(int width, int height, bool normalState, bool minimised,
                            const std::array<int, 5> &currentWidths, const std::array<int, 5> &minWidths = {});
    // The narrowest window width, not below `width`, at which columns of at
    // least `minWidths` fit side by side in the grid.
    static int widthToFit(int width, const std::array<int, 5> &minWidths);
    // No value column gets narrower than this (the Z editor opens over a cell).
    static constexpr int kMinValueColTwips = 750;
    void resized(int width, int height, bool normalState, bool minimised);


private:
    Reading &r;
    int m_series;
};

} // namespace orv
