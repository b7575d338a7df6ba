#include "table/grid_form_widget.h"
#include "tests/support/reading_fixtures.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include "statefile/state_file.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orv;

class GridWidgetTest : public QObject {
    Q_OBJECT

    ScriptedDesktop desk;
    std::unique_ptr<Reading> r;
    std::unique_ptr<QMdiArea> mdi;
    std::unique_ptr<GridWindowsHost> host;

    void add(int series, float x, float y) { QVERIFY(orv::testing::addPoint(*r, series, x, y) > 0); }
    QPoint cellCentre(QTableView *v, int row, int col) { return v->visualRect(v->model()->index(row, col)).center(); }
    // The first cell whose text is wider than its column leaves room for
    // (a cell paints its text between the style's margins, less the grid
    // line; a wider text is elided); "" when every text shows in full.
    static QString clippedCell(QTableView *v)
    {
        const int margin = 2 * (v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, v) + 1) + 1;
        const QFontMetricsF fm(v->font());
        for (int row = 0; row < v->model()->rowCount(); ++row)
            for (int col = 0; col < 4; ++col) {
                const QString text = v->model()->index(row, col).data().toString();
                const int room = v->columnWidth(col) - margin;
                if (fm.horizontalAdvance(text) > room)
                    return QStringLiteral("row %1 col %2: \"%3\" in %4 px").arg(row).arg(col).arg(text).arg(room);
            }
        return QString();
    }

private Q_SLOTS:
    void init()
    {
        desk = ScriptedDesktop();
        r = std::make_unique<Reading>(&desk);
        r->Init_App();
        orv::testing::setDiagonalFrame(*r);
        r->showPicture(QImage(100, 100, QImage::Format_RGB32), QStringLiteral("c.png"));
        mdi = std::make_unique<QMdiArea>();
        mdi->resize(900, 700);
        host = std::make_unique<GridWindowsHost>(*r, mdi.get());
        mdi->show();
        QVERIFY(QTest::qWaitForWindowExposed(mdi.get()));
    }
    void cleanup()
    {
        host.reset();
        mdi.reset();
        r.reset();
    }

    void windowOpensWithTheFirstPoint()
    {
        QVERIFY(!host->subWindow(1));
        add(1, 0.5f, 0.5f);
        QVERIFY(host->subWindow(1));
        QCOMPARE(host->subWindow(1)->windowTitle(), QStringLiteral("系列1"));
        GridFormWidget *w = host->widget(1);
        QCOMPARE(w->grid()->model()->rowCount(), 1);
        QCOMPARE(w->grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("ID"));
        QCOMPARE(w->grid()->model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QVERIFY(w->allClearButton()->isEnabled());
        QCOMPARE(w->dataDisposalButton()->toolTip(), QStringLiteral("CSV保存、近似式作成等を行います。"));
        // Column widths at the minimum window width of 4500 twips.
        QCOMPARE(w->grid()->horizontalHeader()->sectionSize(1), 1100 / 15);
        QCOMPARE(w->grid()->horizontalHeader()->sectionSize(3), 800 / 15);

        // Dragged smaller, the window keeps 4500 x 2000 twips, and the
        // layout is that of the window's real size.
        host->subWindow(1)->resize(120, 60);
        QCOMPARE(w->size(), QSize(4500 / 15, 134));
        QCOMPARE(r->grid(1).heightTwips, w->height() * 15);
        QVERIFY(w->dataDisposalButton()->geometry().bottom() < w->height());
    }

    void headerRowAndNumberColumnAreLabelled()
    {
        add(1, 0.5f, 0.5f);
        QTableView *v = host->widget(1)->grid();
        auto *corner = v->findChild<QAbstractButton *>();
        QVERIFY(corner);
        QCOMPARE(corner->geometry().width(), v->verticalHeader()->width());
        // Each header shows its label, centred: the text-dark pixels span the
        // width of the label's glyphs around the middle of the section. An
        // empty or another label ("ID" over the row numbers) spans otherwise.
        auto checkLabel = [](const QImage &img, const QFont &font, const QString &label) {
            int left = img.width(), right = -1;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (qGray(img.pixel(x, y)) < 80)
                        left = std::min(left, x), right = std::max(right, x);
            const int want = QFontMetrics(font).tightBoundingRect(label).width();
            const QString where = QStringLiteral("label %1: dark pixels %2..%3 of %4, glyphs %5 wide")
                                      .arg(label).arg(left).arg(right).arg(img.width()).arg(want);
            return right >= 0 && std::abs((right - left + 1) - want) <= 2 &&
                           std::abs((left + right + 1) - img.width()) <= 4
                       ? QString()
                       : where;
        };
        const QString cornerLabel = checkLabel(corner->grab().toImage(), corner->font(), QStringLiteral("No."));
        QVERIFY2(cornerLabel.isEmpty(), qPrintable(cornerLabel));
        QHeaderView *h = v->horizontalHeader();
        for (int c = 0; c < 4; ++c) {
            const QRect section(h->sectionViewportPosition(c), 0, h->sectionSize(c), h->height());
            const QImage shot = h->grab(section).toImage();
            const QString label = checkLabel(shot, h->font(), QStringList{"ID", "X", "Y", "Z"}[c]);
            QVERIFY2(label.isEmpty(), qPrintable(label));
        }
        QHeaderView *vh = v->verticalHeader();
        const QRect rowSection(0, vh->sectionViewportPosition(0), vh->width(), vh->sectionSize(0));
        const QImage rowShot = vh->grab(rowSection).toImage();
        const QString rowLabel = checkLabel(rowShot, vh->font(), QStringLiteral("1"));
        QVERIFY2(rowLabel.isEmpty(), qPrintable(rowLabel));
    }

    void exponentValuesShowInFullAndTheWindowGrowsForThem()
    {
        // X from -5 to 5 and Y up to 2.5E6, AUTO: every value has an exponent.
        orv::testing::setDiagonalFrame(*r, "5", "2.5E6");
        r->panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("-5"));
        add(1, 0.5f, 0.5f);
        QMdiSubWindow *sub = host->subWindow(1);
        const int startWidth = sub->width();
        for (float x : {0.14f, 0.23f, 0.86f})
            add(1, x, 0.85f);
        QTableView *v = host->widget(1)->grid();
        QVERIFY(r->grid(1).cell(2, 2).contains(u'e'));
        QVERIFY(r->grid(1).cell(2, 3).contains(u'e'));
        const QString clipped = clippedCell(v);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
        QVERIFY(sub->width() > startWidth);
        // Every column fits side by side: no sideways scrolling in this window.
        QCOMPARE(v->horizontalScrollBar()->maximum(), 0);
        QVERIFY(sub->geometry().right() < mdi->viewport()->width());
    }

    void besideANarrowSpaceTheGridScrollsSideways()
    {
        mdi->resize(330, 700);
        orv::testing::setDiagonalFrame(*r, "5E300", "-2.5E-300");
        r->panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("-5E300"));
        for (float x : {0.14f, 0.23f, 0.86f})
            add(1, x, 0.85f);
        QMdiSubWindow *sub = host->subWindow(1);
        QTableView *v = host->widget(1)->grid();
        // The window stops at the area's edge; the columns keep their widths.
        QTRY_VERIFY(v->horizontalScrollBar()->maximum() > 0);
        QVERIFY(sub->geometry().right() < mdi->viewport()->width());
        QVERIFY(sub->width() > 4500 / 15);
        const int margin = 2 * (v->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, v) + 1) + 1;
        for (int col = 1; col <= 2; ++col) {
            const QString text = v->model()->index(0, col).data().toString();
            QVERIFY2(v->columnWidth(col) - margin >= QFontMetricsF(v->font()).horizontalAdvance(text), qPrintable(text));
        }
    }

    void pastingIntoTheZEditorDropsControlCharacters()
    {
        add(1, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QGuiApplication::clipboard()->setText(QStringLiteral("1\r\n2\t3"));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        w->editor()->paste();
        QCOMPARE(w->editor()->text(), QStringLiteral("123"));
        QTest::keyClick(w->editor(), Qt::Key_Return);
        QCOMPARE(r->Pt_Array[1], QStringLiteral("TRUE,1,0.5,0.5,123"));
    }

    void addingAndChangingRowsScrollsThemIntoView()
    {
        add(1, 0.2f, 0.5f);
        host->subWindow(1)->resize(10, 10); // a low window: only a few rows show
        for (int i = 1; i < 12; ++i)
            add(1, 0.2f + 0.05f * i, 0.5f);
        QTableView *v = host->widget(1)->grid();
        // The twelfth row makes row 4 the first visible data row.
        QTRY_COMPARE(v->rowAt(0), 3);
        // The user scrolls back to the top; re-reading point 12 (a drag or a
        // key does) scrolls row 4 to the top again.
        v->verticalScrollBar()->setValue(0);
        QCOMPARE(v->rowAt(0), 0);
        QVERIFY(r->Conv_Pt(0.7f, 0.6f));
        r->Set_GridPt(1, QStringLiteral("Change"), 12);
        QTRY_COMPARE(v->rowAt(0), 3);
    }

    void choosingAnOpenSeriesBringsItsWindowToTheFront()
    {
        add(1, 0.5f, 0.5f);
        add(2, 0.5f, 0.5f);
        QTRY_COMPARE(mdi->activeSubWindow(), host->subWindow(2));
        r->Show_GridForm(1);
        QCOMPARE(mdi->activeSubWindow(), host->subWindow(1));
    }

    void typingInTheZEditor()
    {
        add(1, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        QTest::keyClicks(w->editor(), QStringLiteral("1a2"));
        QCOMPARE(w->editor()->text(), QStringLiteral("12"));
        QCOMPARE(desk.beeps, 1);
        QTest::keyClick(w->editor(), Qt::Key_Return);
        QVERIFY(!w->editor()->isVisible());
        QCOMPARE(r->grid(1).cell(1, 4), QStringLiteral("12"));
        QCOMPARE(r->Pt_Array[1], QStringLiteral("TRUE,1,0.5,0.5,12"));
        // Escape restores.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        QTest::keyClicks(w->editor(), QStringLiteral("-3"));
        QTest::keyClick(w->editor(), Qt::Key_Escape);
        QCOMPARE(r->grid(1).cell(1, 4), QStringLiteral("12"));
        // X cells never open it.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 1));
        QVERIFY(!w->editor()->isVisible());
    }

    void zEditorKeysAndLeavingWithoutEnter()
    {
        add(1, 0.3f, 0.3f);
        add(1, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 3));
        QTRY_VERIFY(w->editor()->hasFocus());
        // Over the clicked cell, light blue.
        QCOMPARE(w->editor()->geometry().topLeft(), v->visualRect(v->model()->index(1, 3)).topLeft());
        QCOMPARE(w->editor()->width(), v->visualRect(v->model()->index(1, 3)).width());
        QCOMPARE(w->editor()->grab().toImage().pixelColor(w->editor()->width() - 3, w->editor()->height() / 2),
                 QColor(192, 192, 255));
        QTest::keyClicks(w->editor(), QStringLiteral("3-"));
        QCOMPARE(w->editor()->text(), QStringLiteral("3"));
        QTest::keyClick(w->editor(), Qt::Key_Backspace);
        QTest::keyClicks(w->editor(), QStringLiteral("-3"));
        QCOMPARE(w->editor()->text(), QStringLiteral("-3"));
        QCOMPARE(desk.beeps, 1);
        // Clicking another cell leaves the editor without committing.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 1));
        QTRY_VERIFY(!w->editor()->isVisible());
        QCOMPARE(r->grid(1).cell(2, 4), QString());
        QCOMPARE(r->Pt_Array[2], QStringLiteral("TRUE,1,0.5,0.5,0"));
        // After Enter the row still rings its point, where it was.
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 3));
        QTRY_VERIFY(w->editor()->isVisible());
        QTest::keyClicks(w->editor(), QStringLiteral("4.5"));
        QTest::keyClick(w->editor(), Qt::Key_Enter);
        QCOMPARE(r->Pt_Array[2], QStringLiteral("TRUE,1,0.5,0.5,4.5"));
        QCOMPARE(r->graph.pick(2)->toolTip, QStringLiteral("系列1：ID=2,X=5.0000,Y=50.000,Z=4.5"));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 0));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 0));
        QCOMPARE(r->Sel_PtNo, 2);
        QVERIFY(r->graph.selShapePt().visible);
        QCOMPARE(r->graph.selShapePt().left + r->graph.ringWidth / 2, 0.5f);
    }

    void selectingARowRingsThePointAndCopyTakesTheBlock()
    {
        add(1, 0.3f, 0.3f);
        add(1, 0.6f, 0.6f);
        add(1, 0.7f, 0.7f);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 0));
        QCOMPARE(r->Sel_PtNo, 2);
        QVERIFY(r->graph.selShapePt().visible);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(v, 2, 2));
        QCOMPARE(r->grid(1).selectionText(), QStringLiteral("2\t6.2500\t62.500\r\n3\t7.5000\t75.000"));
        QTest::keyClick(v, Qt::Key_Escape);
        QCOMPARE(r->Sel_PtNo, 0);
        QVERIFY(!r->graph.selShapePt().visible);
    }

    // However a block is selected (dragged either way, widened with
    // Shift+arrows, a whole column or row by its header), Copy takes all of
    // it, in rows and columns as the grid shows them.
    void everySelectionCopiesWhole()
    {
        for (float x : {0.2f, 0.3f, 0.4f, 0.5f, 0.6f})
            add(2, x, x + 0.1f);
        QTableView *v = host->widget(2)->grid();
        QHeaderView *h = v->horizontalHeader(), *vh = v->verticalHeader();
        enum How { Drag, Keys, ColumnHeader, RowHeader };
        struct Case {
            const char *name;
            How how;
            int row1, col1, row2, col2; // view cells: where it starts, where it ends
            int top, left, bottom, right; // the block in the table's rows 1.. and columns 1..4
        };
        const Case cases[] = {
            {"drag down and right (row 4 X to row 5 Y)", Drag, 3, 1, 4, 2, 4, 2, 5, 3},
            {"drag up and left", Drag, 4, 2, 1, 0, 2, 1, 5, 3},
            {"Shift+Down, Shift+Right", Keys, 1, 1, 2, 2, 2, 2, 3, 3},
            {"the X column's header", ColumnHeader, 0, 1, 4, 1, 1, 2, 5, 2},
            {"row 3's header", RowHeader, 2, 0, 2, 3, 3, 1, 3, 4},
        };
        for (const Case &c : cases) {
            QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 0, 0)); // somewhere else first
            switch (c.how) {
            case Drag:
                QTest::mousePress(v->viewport(), Qt::LeftButton, {}, cellCentre(v, c.row1, c.col1));
                QTest::mouseMove(v->viewport(), cellCentre(v, (c.row1 + c.row2) / 2, c.col1));
                QTest::mouseMove(v->viewport(), cellCentre(v, c.row2, c.col2));
                QTest::mouseRelease(v->viewport(), Qt::LeftButton, {}, cellCentre(v, c.row2, c.col2));
                break;
            case Keys:
                QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, c.row1, c.col1));
                QTest::keyClick(v, Qt::Key_Down, Qt::ShiftModifier);
                QTest::keyClick(v, Qt::Key_Right, Qt::ShiftModifier);
                break;
            case ColumnHeader:
                QTest::mouseClick(h->viewport(), Qt::LeftButton, {},
                                  QPoint(h->sectionViewportPosition(c.col1) + h->sectionSize(c.col1) / 2, h->height() / 2));
                break;
            case RowHeader:
                QTest::mouseClick(vh->viewport(), Qt::LeftButton, {},
                                  QPoint(vh->width() / 2, vh->sectionViewportPosition(c.row1) + vh->sectionSize(c.row1) / 2));
                break;
            }
            QStringList rows;
            for (int row = c.top; row <= c.bottom; ++row) {
                QStringList cells;
                for (int col = c.left; col <= c.right; ++col)
                    cells << r->grid(2).cell(row, col);
                rows << cells.join(u'\t');
            }
            QCOMPARE(v->selectionModel()->selectedIndexes().size(), (c.bottom - c.top + 1) * (c.right - c.left + 1));
            QVERIFY2(r->grid(2).selectionText() == rows.join(QStringLiteral("\r\n")),
                     qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(c.name), r->grid(2).selectionText())));
        }
    }

    // Opening a reading with wider values over an open table: the new
    // window's columns take the new values' widths, though the window that
    // closed measured the same texts first.
    void aReadingOpenedOverAnOpenTableShowsItsValuesInFull()
    {
        add(1, 0.5f, 0.5f);
        QTemporaryDir tmp;
        const QString dir = tmp.path();
        QImage(100, 100, QImage::Format_RGB32).save(dir + QStringLiteral("/c.png"));
        // A reading file whose series 1 has values of the frame's range.
        auto write = [&](const QString &name, const char *xMin, const char *xMax, const char *yMax) {
            ScriptedDesktop d2;
            Reading wide(&d2);
            wide.Init_App();
            orv::testing::setDiagonalFrame(wide, xMax, yMax);
            wide.panel.setVal(CalibPanel::LLX_VLText, QString::fromLatin1(xMin));
            wide.showPicture(QImage(100, 100, QImage::Format_RGB32), QStringLiteral("c.png"));
            wide.GraphPic_Path = dir + QStringLiteral("/c.png");
            for (float x : {0.14f, 0.23f, 0.86f})
                QVERIFY(orv::testing::addPoint(wide, 1, x, 0.85f) > 0);
            QFile f(dir + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(stateFileBytes(wide));
        };
        write(QStringLiteral("/a.orvd"), "-5", "5", "2.5E6");
        write(QStringLiteral("/b.orvd"), "-5E300", "5E300", "-2.5E-300");

        QCOMPARE(Load_State(*r, dir + QStringLiteral("/a.orvd")), LoadResult::Loaded);
        QCOMPARE(r->grid(1).cell(1, 2), QStringLiteral("-4.5000e+0"));
        QTRY_VERIFY(host->widget(1));
        QTableView *v = host->widget(1)->grid();
        QString clipped = clippedCell(v);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
        QCOMPARE(v->horizontalScrollBar()->maximum(), 0);

        // In a narrow space the window stops at its edge and the grid
        // scrolls sideways, its columns as wide as their texts.
        mdi->resize(330, 700);
        r->Close_Confirmed = true;
        QCOMPARE(Load_State(*r, dir + QStringLiteral("/b.orvd")), LoadResult::Loaded);
        QTRY_VERIFY(host->widget(1));
        v = host->widget(1)->grid();
        clipped = clippedCell(v);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped));
        QTRY_VERIFY(v->horizontalScrollBar()->maximum() > 0);
        QVERIFY(host->subWindow(1)->geometry().right() < mdi->viewport()->width());
    }

    // Undoing 全削除 brings back the current row with the rows, highlighted.
    void undoingDeleteAllBringsTheCurrentRowBack()
    {
        for (float x : {0.3f, 0.5f, 0.7f})
            add(1, x, x);
        GridFormWidget *w = host->widget(1);
        QTableView *v = w->grid();
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, cellCentre(v, 1, 1));
        QTest::mouseClick(w->allClearButton(), Qt::LeftButton);
        QVERIFY(r->grid(1).isEmpty());
        QVERIFY(r->history().undo());
        QCOMPARE(r->grid(1).rowCount(), 4);
        QCOMPARE(r->grid(1).currentRow(), 2);
        QCOMPARE(v->currentIndex(), v->model()->index(1, 1));
        QVERIFY(v->selectionModel()->isSelected(v->model()->index(1, 1)));
        // 選択行削除 now deletes that row's point.
        QTest::mouseClick(w->deleteRowButton(), Qt::LeftButton);
        QVERIFY(!r->graph.hasPick(2));
        QVERIFY(r->graph.hasPick(1) && r->graph.hasPick(3));
    }

    void aClickOnTheHeadersNamesTheTableForCopy()
    {
        add(1, 0.3f, 0.3f);
        add(2, 0.6f, 0.6f);
        QTableView *v1 = host->widget(1)->grid(), *v2 = host->widget(2)->grid();
        QTest::mouseClick(v2->viewport(), Qt::LeftButton, {}, cellCentre(v2, 0, 3));
        QTRY_VERIFY(host->widget(2)->editor()->isVisible());
        QCOMPARE(r->Cur_Keiretsu, 2);
        QTest::mouseClick(v1->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(r->Cur_Keiretsu, 1);
        QTest::mouseClick(v2->verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(r->Cur_Keiretsu, 2);
        QVERIFY(!host->widget(2)->editor()->isVisible());
        // Below the last row.
        QTest::mouseClick(v1->viewport(), Qt::LeftButton, {}, QPoint(5, v1->viewport()->height() - 3));
        QCOMPARE(r->Cur_Keiretsu, 1);
    }

    void buttonsDeleteAndDisable()
    {
        add(1, 0.3f, 0.3f);
        add(1, 0.6f, 0.6f);
        GridFormWidget *w = host->widget(1);
        QTest::mouseClick(w->grid()->viewport(), Qt::LeftButton, {}, cellCentre(w->grid(), 0, 0));
        QTest::mouseClick(w->deleteRowButton(), Qt::LeftButton);
        QCOMPARE(r->grid(1).rowCount(), 2);
        QCOMPARE(r->grid(1).cell(1, 1), QStringLiteral("2"));
        QTest::mouseClick(w->allClearButton(), Qt::LeftButton);
        QVERIFY(r->grid(1).isEmpty());
        QVERIFY(!w->allClearButton()->isEnabled());
        QVERIFY(!w->rereadButton()->isEnabled());
        QVERIFY(!r->hasPoints());
    }

    void closeBoxAsksAndNoKeepsPoints()
    {
        add(1, 0.5f, 0.5f);
        desk.answers = {false};
        host->subWindow(1)->close();
        QVERIFY(host->subWindow(1));
        QCOMPARE(r->graph.pickCount(), 1);
        desk.answers = {true};
        host->subWindow(1)->close();
        QTRY_VERIFY(!host->subWindow(1));
        QVERIFY(!r->grid(1).loaded());
        QCOMPARE(r->graph.pickCount(), 0);
        QCOMPARE(r->Grid_Opened[1], 0);
        // A reset closes the others without a window failing.
        add(2, 0.5f, 0.5f);
        r->Close_Confirmed = true;
        r->Reset_Reading();
        QTRY_VERIFY(!host->subWindow(2));
    }

    void rightClickPopsUpTheEditMenu()
    {
        QMenu menu;
        menu.addAction(QStringLiteral("コピー(&C)"));
        host->setEditMenu(&menu);
        add(3, 0.5f, 0.5f);
        GridFormWidget *w = host->widget(3);
        QTest::mouseClick(w->grid()->viewport(), Qt::RightButton, {}, cellCentre(w->grid(), 0, 0));
        QTRY_VERIFY(menu.isVisible());
        QCOMPARE(r->Cur_Keiretsu, 3);
        menu.hide();
    }
};

QTEST_MAIN(GridWidgetTest)
#include "grid_widget_test.moc"
