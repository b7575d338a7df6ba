#pragma once
// The series table window: a view of one SeriesTable with its four buttons
// and the Z editor, and the host that opens and closes the sixteen windows in
// the main window's document area as the reading loads and unloads them.

#include "table/grid_form.h"

#include <QAbstractTableModel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <array>

class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QMdiArea;
class QMenu;
class QPushButton;
class QTableView;

namespace orv {

// Data rows 1.. of the table as view rows 0..; columns ID, X, Y, Z; the "No."
// column is the vertical header and row 0 the horizontal header.
class SeriesTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit SeriesTableModel(SeriesTable &table, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

private:
    SeriesTable &t;
};

class GridFormWidget : public QWidget {
    Q_OBJECT
public:
    GridFormWidget(Reading &reading, int series, QWidget *parent = nullptr);

    Grid_Form &form() { return m_form; }
    QTableView *grid() const { return m_grid; }
    QLineEdit *editor() const { return m_editor; }
    QPushButton *allClearButton() const { return m_allClear; }
    QPushButton *deleteRowButton() const { return m_deleteRow; }
    QPushButton *rereadButton() const { return m_reread; }
    QPushButton *dataDisposalButton() const { return m_dataDisposal; }
    // The main window's Edit menu, popped up by a right click on the grid.
    void setEditMenu(QMenu *menu) { m_editMenu = menu; }

    QSize sizeHint() const override;

    // Applies the resize rules for a window of this size in twips.
    void applyLayout(bool normalState, bool minimised);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    // Measures the widest text of each column (of one row, or all with -1) and
    // widens the columns and the window when a text no longer fits.
    void measureColumns(int row = -1);
    void growToFit();
    void relayout();
    void refreshButtons();
    void syncCurrent();
    void placeEditor();
    void viewCurrentChanged(const QModelIndex &now, const QModelIndex &before);
    void viewSelectionChanged();

    Grid_Form m_form;
    SeriesTableModel m_model;
    QGroupBox *m_frame;
    QTableView *m_grid;
    QPushButton *m_allClear, *m_deleteRow, *m_reread, *m_dataDisposal;
    QLineEdit *m_editor;
    QPointer<QMenu> m_editMenu;
    QPointer<QAbstractButton> m_corner;
    // The column minimums this view last laid its columns out for.
    std::array<int, 5> m_laidOutMin{};
    bool m_syncing = false;
    bool m_resetting = false;
};

class GridWindowsHost : public QObject {
    Q_OBJECT
public:
    GridWindowsHost(Reading &reading, QMdiArea *area, QObject *parent = nullptr);
    GridFormWidget *widget(int series) const { return m_widgets[size_t(series)]; }
    QMdiSubWindow *subWindow(int series) const { return m_subs[size_t(series)]; }
    void setEditMenu(QMenu *menu);
    // Opens the data-processing window for a series (set by the application).
    std::function<void(int series, QWidget *parent)> openDataDisposal;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void open(int series);
    void close(int series);

    Reading &r;
    QMdiArea *m_area;
    QPointer<QMenu> m_editMenu;
    std::array<QPointer<QMdiSubWindow>, 17> m_subs;
    std::array<QPointer<GridFormWidget>, 17> m_widgets;
    std::array<bool, 17> m_closing{};
};

} // namespace orv
