#include "table/grid_form_widget.h"

#include "model/readout_settings.h"
#include "model/utilities.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTableView>

namespace orv {

namespace {
constexpr double kTwips = kTwipsPerPixel;
int px(double twips) { return twipsToPx(twips); }

// The row-number column has a fixed width; asking the header for a size hint
// would measure the text of every row on each change of the current cell.
class FixedWidthHeader : public QHeaderView {
public:
    FixedWidthHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent) {}
    QSize sizeHint() const override { return QSize(width(), defaultSectionSize()); }
};
} // namespace

// ---------------------------------------------------------------------------

SeriesTableModel::SeriesTableModel(SeriesTable &table, QObject *parent) : QAbstractTableModel(parent), t(table)
{
    connect(&t, &SeriesTable::reset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&t, &SeriesTable::rowAboutToBeAppended, this, [this](int row) { beginInsertRows({}, row - 1, row - 1); });
    connect(&t, &SeriesTable::rowAppended, this, [this](int) { endInsertRows(); });
    connect(&t, &SeriesTable::cellChanged, this, [this](int row, int col) {
        if (row == 0 || col == 0) {
            Q_EMIT headerDataChanged(row == 0 ? Qt::Horizontal : Qt::Vertical, 0, std::max(0, rowCount() - 1));
            return;
        }
        const QModelIndex i = index(row - 1, col - 1);
        Q_EMIT dataChanged(i, i);
    });
}

int SeriesTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : t.rowCount() - 1;
}

int SeriesTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant SeriesTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return t.cell(index.row() + 1, index.column() + 1);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

QVariant SeriesTableModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Horizontal)
        return t.cell(0, section + 1);
    return t.cell(section + 1, 0);
}

// ---------------------------------------------------------------------------

GridFormWidget::GridFormWidget(Reading &reading, int series, QWidget *parent)
    : QWidget(parent), m_form(reading, series), m_model(reading.grid(series)), m_frame(new QGroupBox(this)),
      m_grid(new QTableView(this)), m_allClear(new QPushButton(QCoreApplication::translate("Table", "全削除"), this)),
      m_deleteRow(new QPushButton(QCoreApplication::translate("Table", "選択行削除"), this)),
      m_reread(new QPushButton(QCoreApplication::translate("Table", "再読出し"), this)),
      m_dataDisposal(new QPushButton(QCoreApplication::translate("Table", "データ処理"), this)), m_editor(new QLineEdit(m_grid->viewport()))
{
    setObjectName(QStringLiteral("Grid_Form"));
    m_frame->setObjectName(QStringLiteral("Read_Data_Frame"));
    m_grid->setObjectName(QStringLiteral("Sampling_Grid1"));
    m_allClear->setObjectName(QStringLiteral("AllClear_Command"));
    m_deleteRow->setObjectName(QStringLiteral("DeleteRow_Command"));
    m_reread->setObjectName(QStringLiteral("Reread_Command"));
    m_dataDisposal->setObjectName(QStringLiteral("DataDisposal_Command"));
    m_editor->setObjectName(QStringLiteral("Val_Text"));
    m_allClear->setToolTip(QCoreApplication::translate("Table", "この系列の読み出しデータを全て削除します。"));
    m_deleteRow->setToolTip(QCoreApplication::translate("Table", "選択した行の読み出しデータを削除します。"));
    m_dataDisposal->setToolTip(QCoreApplication::translate("Table", "CSV保存、近似式作成等を行います。"));
    m_editor->setToolTip(
        QCoreApplication::translate("Table", "3次元グラフの場合等にユーザが入力します。(近似式作成等はできません。)"));
    m_editor->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(192,192,255); border: 1px solid gray; }"));
    m_editor->hide();
    m_editor->installEventFilter(this);

    m_grid->setVerticalHeader(new FixedWidthHeader(m_grid));
    // A row number selects its row, as a column header selects its column.
    m_grid->verticalHeader()->setSectionsClickable(true);
    m_grid->setModel(&m_model);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(px(255));
    m_grid->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->setCornerButtonEnabled(false);
    m_grid->setWordWrap(false);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    m_grid->horizontalHeader()->viewport()->installEventFilter(this);
    m_grid->verticalHeader()->viewport()->installEventFilter(this);
    // "No." above the row numbers. The table's corner button paints a bare
    // header section; the filter below paints it with its text.
    if (auto *corner = m_grid->findChild<QAbstractButton *>()) {
        m_corner = corner;
        corner->setText(QStringLiteral("No."));
        corner->installEventFilter(this);
    }

    SeriesTable &t = m_form.table();
    connect(&t, &SeriesTable::reset, this, [this] {
        refreshButtons();
        measureColumns();
        syncCurrent();
    });
    connect(&t, &SeriesTable::rowAppended, this, [this](int row) {
        refreshButtons();
        measureColumns(row);
    });
    connect(&t, &SeriesTable::cellChanged, this, [this](int row, int) { measureColumns(row); });
    connect(&t, &SeriesTable::currentChanged, this, &GridFormWidget::syncCurrent);
    connect(&t, &SeriesTable::revealRequested, this, [this](int row) {
        if (row >= 1 && row < m_form.table().rowCount())
            m_grid->scrollTo(m_model.index(row - 1, 0), QAbstractItemView::EnsureVisible);
    });
    connect(&t, &SeriesTable::topRowChanged, this, [this](int top) {
        if (top >= 1)
            m_grid->verticalScrollBar()->setValue(top - 1);
    });
    // The table's first visible row follows the user's scrolling, so that a
    // later change of a row scrolls it into place again even when the row
    // asks for the same first row as before.
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { m_resetting = true; });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] { m_resetting = false; });
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncing && !m_resetting)
            m_form.table().setTopRow(value + 1);
    });
    connect(&t, &SeriesTable::editorChanged, this, [this] {
        const SeriesTable &tb = m_form.table();
        if (!tb.editorVisible()) {
            if (m_editor->isVisible())
                m_editor->hide();
            return;
        }
        if (m_editor->text() != tb.editorText())
            m_editor->setText(tb.editorText());
        if (!m_editor->isVisible()) {
            placeEditor();
            m_editor->show();
            m_editor->setFocus();
            m_editor->selectAll();
        }
    });
    connect(m_editor, &QLineEdit::textEdited, this, [this](const QString &text) {
        const QString kept = m_form.editorTextChanged(text);
        if (kept != text) {
            m_editor->setText(kept);
            m_editor->setCursorPosition(int(kept.size()));
        }
    });
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &GridFormWidget::viewCurrentChanged);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &GridFormWidget::viewSelectionChanged);
    connect(m_grid, &QTableView::pressed, this, [this](const QModelIndex &i) {
        m_form.gridClick(i.row() + 1, i.column() + 1);
    });
    connect(m_allClear, &QPushButton::clicked, this, [this] { m_form.deleteAll(); });
    connect(m_deleteRow, &QPushButton::clicked, this, [this] { m_form.deleteSelectedRow(); });
    connect(m_reread, &QPushButton::clicked, this, [this] { m_form.reread(); });
    connect(m_dataDisposal, &QPushButton::clicked, this, [this] { m_form.dataDisposal(); });

    resize(px(t.widthTwips), px(t.heightTwips));
    measureColumns();
    applyLayout(true, false);
    refreshButtons();
    syncCurrent();
}

QSize GridFormWidget::sizeHint() const
{
    const SeriesTable &t = m_form.table();
    return QSize(px(t.widthTwips), px(t.heightTwips));
}

void GridFormWidget::measureColumns(int row)
{
    SeriesTable &t = m_form.table();
    std::array<int, 5> widths = row < 0 ? std::array<int, 5>{} : t.minColWidths;
    const QFontMetricsF fm(m_grid->font());
    // The cell paints its text between margins on both sides, less the grid
    // line; advances are fractional, so a pixel is kept spare.
    const int margin = 2 * (m_grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_grid) + 1) + 2;
    auto need = [](double pixels) { return int(std::ceil(std::ceil(pixels) * kTwips)); };
    const int first = row < 0 ? 1 : row, last = row < 0 ? t.rowCount() - 1 : row;
    for (int c = SeriesTable::ColId; c <= SeriesTable::ColZ; ++c) {
        int &w = widths[size_t(c)];
        if (row < 0 || row == 0)
            w = std::max(w, need(m_grid->horizontalHeader()->sectionSizeHint(c - 1)));
        for (int r = std::max(first, 1); r <= last; ++r)
            if (!t.cell(r, c).isEmpty())
                w = std::max(w, need(fm.horizontalAdvance(t.cell(r, c)) + margin));
    }
    // The widths are kept with the table, which another view of it (a window
    // closing while a reading loads) may have measured already: this view
    // lays them out unless it did so itself.
    if (widths == t.minColWidths && widths == m_laidOutMin)
        return;
    t.minColWidths = widths;
    growToFit();
}

void GridFormWidget::growToFit()
{
    const SeriesTable &t = m_form.table();
    const int want = Grid_Form::widthToFit(int(std::lround(width() * kTwips)), t.minColWidths);
    const int extra = int(std::ceil(want / kTwips)) - width();
    QWidget *win = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (!win && isWindow())
        win = this;
    if (extra > 0 && win && !win->isMaximized() && !win->isMinimized()) {
        // The window grows up to the edge of the space it stands in (beside
        // the graph window); beyond that the grid scrolls sideways.
        int room = win->width() + extra;
        if (auto *sub = qobject_cast<QMdiSubWindow *>(win); sub && sub->mdiArea())
            room = sub->mdiArea()->viewport()->width() - sub->x();
        else if (const QScreen *sc = win->screen()) {
            const QRect frame = win->frameGeometry();
            room = sc->availableGeometry().right() + 1 - frame.left() - (frame.width() - win->width());
        }
        const int newWidth = std::min(win->width() + extra, room);
        if (newWidth > win->width())
            win->resize(newWidth, win->height()); // lays the window out again
    }
    relayout();
}

void GridFormWidget::relayout()
{
    const QWidget *win = window();
    const bool minimised = win && win->isMinimized();
    const bool normal = !minimised && !(win && win->isMaximized());
    applyLayout(normal, minimised);
}

void GridFormWidget::refreshButtons()
{
    const bool on = m_form.buttonsEnabled();
    for (QPushButton *b : {m_allClear, m_deleteRow, m_reread, m_dataDisposal})
        b->setEnabled(on);
}

void GridFormWidget::syncCurrent()
{
    const SeriesTable &t = m_form.table();
    if (t.currentRow() < 1 || t.currentRow() >= t.rowCount())
        return;
    m_syncing = true;
    const QModelIndex i = m_model.index(t.currentRow() - 1, std::max(0, t.currentCol() - 1));
    if (m_grid->currentIndex() != i)
        m_grid->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    if (t.topRow() >= 1)
        m_grid->verticalScrollBar()->setValue(t.topRow() - 1);
    m_syncing = false;
}

void GridFormWidget::viewCurrentChanged(const QModelIndex &now, const QModelIndex &before)
{
    if (m_syncing || !now.isValid())
        return;
    SeriesTable &t = m_form.table();
    t.setCurrent(now.row() + 1, now.column() + 1);
    // Setting the current cell makes it the whole selection; a drag or a
    // Shift+arrow moves the current cell after (or before) widening the
    // block, so the block is taken again from the view.
    viewSelectionChanged();
    refreshButtons();
    if (!before.isValid() || before.row() != now.row() || before.column() != now.column())
        m_form.selectionChanged(now.row() + 1);
}

void GridFormWidget::viewSelectionChanged()
{
    const QModelIndexList sel = m_grid->selectionModel()->selectedIndexes();
    if (sel.isEmpty())
        return;
    int r1 = INT_MAX, r2 = -1, c1 = INT_MAX, c2 = -1;
    for (const QModelIndex &i : sel) {
        r1 = std::min(r1, i.row()), r2 = std::max(r2, i.row());
        c1 = std::min(c1, i.column()), c2 = std::max(c2, i.column());
    }
    m_form.table().setSelection(r1 + 1, c1 + 1, r2 + 1, c2 + 1);
}

void GridFormWidget::placeEditor()
{
    const SeriesTable &t = m_form.table();
    const QRect cell = m_grid->visualRect(m_model.index(t.currentRow() - 1, t.currentCol() - 1));
    m_editor->setGeometry(cell.left(), cell.top(), cell.width(), std::max(px(265), cell.height()));
}

void GridFormWidget::applyLayout(bool normalState, bool minimised)
{
    SeriesTable &t = m_form.table();
    m_form.resized(int(std::lround(width() * kTwips)), int(std::lround(height() * kTwips)), normalState, minimised);
    if (minimised)
        return;
    const auto l =
        Grid_Form::layoutFor(t.widthTwips, t.heightTwips, normalState, minimised, t.colWidths, t.minColWidths);
    m_frame->setGeometry(px(30), 0, px(l.frameWidth), px(l.frameHeight));
    m_grid->setGeometry(px(90), px(240), px(l.gridWidth), px(l.gridHeight));
    m_allClear->setGeometry(px(90), px(l.buttonTop), px(885), px(315));
    m_deleteRow->setGeometry(px(990), px(l.buttonTop), px(1070), px(315));
    m_reread->setGeometry(px(2070), px(l.buttonTop), px(1000), px(315));
    m_dataDisposal->setGeometry(px(3090), px(l.buttonTop), px(l.dataDisposalWidth), px(315));
    m_laidOutMin = t.minColWidths;
    m_grid->verticalHeader()->setFixedWidth(px(l.colWidths[0]));
    for (int c = 1; c <= 4; ++c)
        m_grid->horizontalHeader()->resizeSection(c - 1, px(l.colWidths[size_t(c)]));
}

void GridFormWidget::resizeEvent(QResizeEvent *) { relayout(); }

bool GridFormWidget::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_corner && e->type() == QEvent::Paint) {
        QPainter p(m_corner);
        QStyleOptionHeader opt;
        opt.initFrom(m_corner);
        // Drawn like the other headers, though the button itself is disabled.
        opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
        opt.palette.setCurrentColorGroup(QPalette::Active);
        opt.rect = m_corner->rect();
        opt.position = QStyleOptionHeader::OnlyOneSection;
        opt.orientation = Qt::Horizontal;
        opt.text = m_corner->text();
        opt.textAlignment = Qt::AlignCenter;
        m_corner->style()->drawControl(QStyle::CE_Header, &opt, &p, m_corner);
        return true;
    }
    if (watched == m_editor && e->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            m_form.editorEnter();
            m_grid->setFocus();
            return true;
        }
        if (ke->key() == Qt::Key_Escape) {
            m_form.editorEscape();
            m_grid->setFocus();
            return true;
        }
    }
    if (watched == m_editor && e->type() == QEvent::FocusOut) {
        // Leaving the editor any other way hides it without committing.
        if (m_form.table().editorVisible() && !m_editor->hasFocus())
            m_form.table().hideEditor();
    }
    if (watched == m_grid && e->type() == QEvent::KeyRelease) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if (ke->key() == Qt::Key_Escape && !ke->isAutoRepeat())
            m_form.gridEscapeReleased();
    }
    if (e->type() == QEvent::MouseButtonPress) {
        // A click on the grid outside its data cells (a header, the space
        // below the rows) is a click on the grid too: it names this table for
        // the Copy command and leaves the Z editor. Data cells arrive by
        // the view's pressed signal.
        const auto *me = static_cast<QMouseEvent *>(e);
        const QPoint p = me->position().toPoint();
        if (watched == m_grid->horizontalHeader()->viewport())
            m_form.gridClick(0, m_grid->horizontalHeader()->logicalIndexAt(p) + 1);
        else if (watched == m_grid->verticalHeader()->viewport())
            m_form.gridClick(m_grid->verticalHeader()->logicalIndexAt(p) + 1, 0);
        else if (watched == m_grid->viewport() && !m_grid->indexAt(p).isValid())
            m_form.gridClick(0, 0);
    }
    if (watched == m_grid->viewport() && e->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(e);
        if (me->button() == Qt::RightButton && m_editMenu && m_form.rightButtonReleased()) {
            m_editMenu->popup(me->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------

GridWindowsHost::GridWindowsHost(Reading &reading, QMdiArea *area, QObject *parent)
    : QObject(parent), r(reading), m_area(area)
{
    for (int s = 1; s <= Reading::kSeriesCount; ++s) {
        connect(&r.grid(s), &SeriesTable::loadedChanged, this, [this, s](bool loaded) {
            loaded ? open(s) : close(s);
        });
        connect(&r.grid(s), &SeriesTable::shown, this, [this, s] {
            if (QMdiSubWindow *sub = m_subs[size_t(s)]) {
                sub->show();
                m_area->setActiveSubWindow(sub);
            }
        });
        connect(&r.grid(s), &SeriesTable::captionChanged, this, [this, s](const QString &c) {
            if (m_subs[size_t(s)])
                m_subs[size_t(s)]->setWindowTitle(seriesDisplayName(c));
        });
        if (r.grid(s).loaded())
            open(s);
    }
}

void GridWindowsHost::setEditMenu(QMenu *menu)
{
    m_editMenu = menu;
    for (auto &w : m_widgets)
        if (w)
            w->setEditMenu(menu);
}

void GridWindowsHost::open(int s)
{
    if (m_subs[size_t(s)]) {
        m_subs[size_t(s)]->show();
        return;
    }
    auto *w = new GridFormWidget(r, s);
    w->setEditMenu(m_editMenu);
    w->form().openDataDisposal = [this, w](int series) {
        if (openDataDisposal)
            openDataDisposal(series, w);
    };
    QMdiSubWindow *sub = m_area->addSubWindow(w);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(seriesDisplayName(r.grid(s).caption()));
    sub->installEventFilter(this);
    m_subs[size_t(s)] = sub;
    m_widgets[size_t(s)] = w;
    sub->show();
    // The window's design size is that of its contents, plus the frame.
    sub->resize(sub->sizeHint());
    // The minimum size of the window's layout (4500 x 2000 twips) plus the
    // frame: the window springs back to it in the normal state.
    sub->setMinimumSize(sub->width(), sub->height() - w->height() + int(std::ceil(2000 / kTwips)));
}

void GridWindowsHost::close(int s)
{
    if (!m_subs[size_t(s)])
        return;
    m_closing[size_t(s)] = true;
    const bool closed = m_subs[size_t(s)]->close();
    m_closing[size_t(s)] = false;
    // A closed window is deleted later (WA_DeleteOnClose): a table reopened
    // before then must get a new window, never this one.
    if (closed) {
        m_subs[size_t(s)] = nullptr;
        m_widgets[size_t(s)] = nullptr;
    }
}

bool GridWindowsHost::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::Close) {
        for (int s = 1; s <= Reading::kSeriesCount; ++s) {
            if (m_subs[size_t(s)] != watched)
                continue;
            if (m_closing[size_t(s)])
                return false; // the reading unloaded the table already
            m_closing[size_t(s)] = true;
            const bool ok = r.closeGridForm(s);
            m_closing[size_t(s)] = false;
            if (!ok) {
                e->ignore();
                return true;
            }
            return false;
        }
    }
    return QObject::eventFilter(watched, e);
}

} // namespace orv
