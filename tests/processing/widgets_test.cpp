// The three processing windows driven as a user would, offscreen. Modal
// dialogs are driven from timers scheduled before the click that opens them.
// With ORV_SHOT_DIR set, each window is also saved there as a PNG.

#include "model/reading.h"
#include "processing/apprx_form_widget.h"
#include "processing/data_disposal_form_widget.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace orv;

namespace {

void shot(QWidget *w, const char *name)
{
    const QByteArray dir = qgetenv("ORV_SHOT_DIR");
    if (!dir.isEmpty())
        w->grab().save(QString::fromLocal8Bit(dir) + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"));
}

template <class T> T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qWarning("no child %s", name);
    return c;
}

void click(QWidget *w, const char *name) { QTest::mouseClick(child<QPushButton>(w, name), Qt::LeftButton); }

// Runs `f` on the next modal dialog of type T once it is showing.
template <class T> void whenModal(std::function<void(T *)> f)
{
    QTimer::singleShot(0, [f] {
        auto *t = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!t) {
            whenModal<T>(f); // not shown yet: try on the next turn
            return;
        }
        f(t);
        // A failed check returns early: close what is still open so that
        // the test ends instead of waiting on a dialog.
        if (QTest::currentTestFailed())
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
                    d->reject();
    });
}

} // namespace

class ProcessingWidgets : public QObject {
    Q_OBJECT
    ScriptedDesktop desk;
    std::unique_ptr<Reading> r;

    void fillSeries(int series, const std::vector<std::pair<double, double>> &pts)
    {
        r->Show_GridForm(series);
        for (auto [x, y] : pts) {
            r->Conv_X = x;
            r->Conv_Y = y;
            const int id = r->Get_FreePtNo();
            r->Put_PtImage(series, float(x / 10), float(y / 110), id);
            r->Set_GridPt(series, QStringLiteral("Add"), id);
        }
    }

private Q_SLOTS:
    void init()
    {
        desk = ScriptedDesktop();
        r = std::make_unique<Reading>(&desk);
        r->Init_App();
        r->panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        r->panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("110"));
        r->graph.picAreaWidthTwips = 7200;
        r->graph.picAreaHeightTwips = 6000;
    }

    void modalChainFitResultAndPlot()
    {
        fillSeries(1, {{1, 6.2}, {2, 13.1}, {3, 23.8}, {4, 38.5}, {5, 56.0}, {6, 78.9}, {7, 102.3}, {8.5, 104.0}});
        fillSeries(3, {{1, 1}});
        bool sawResult = false, sawPlot = false;
        QString status;

        whenModal<DataDisposalFormWidget>([&](DataDisposalFormWidget *d) {
            auto *combo = child<QComboBox>(d, "Keiretsu_Combo");
            QCOMPARE(combo->count(), 2);
            QCOMPARE(combo->currentText(), QStringLiteral("系列1"));
            QCOMPARE(child<QPushButton>(d, "OK_Command")->text(), QStringLiteral("作成"));
            QTest::mouseClick(child<QWidget>(d, "Aprx_Kind_Picture2"), Qt::LeftButton);
            QVERIFY(child<QComboBox>(d, "Jisu_Combo")->isEnabled());
            shot(d, "data_processing");

            whenModal<ApprxFormWidget>([&](ApprxFormWidget *a) {
                sawResult = true;
                QCOMPARE(a->windowTitle(), QStringLiteral("系列1  -近似式"));
                QCOMPARE(child<QGroupBox>(a, "Frame1")->title(), QStringLiteral("多項式近似"));
                const QString eq = child<QLineEdit>(a, "Apprx_Text")->text();
                QVERIFY2(eq.startsWith(u"y=") && eq.contains(u"x2"), qPrintable(eq));
                auto *x = child<QLineEdit>(a, "xText");
                QCOMPARE(x->text(), QStringLiteral("0"));
                x->selectAll();
                QTest::keyClicks(x, QStringLiteral("4"));
                click(a, "UserCalc_Command");
                const double y4 = child<QLineEdit>(a, "yText_Calc")->text().toDouble();
                QVERIFY2(y4 > 30 && y4 < 45, qPrintable(child<QLineEdit>(a, "yText_Calc")->text()));
                desk.colors.push_back(QColor(0, 200, 255));
                QTest::mouseClick(child<QLabel>(a, "Picture1"), Qt::LeftButton);
                QCOMPARE(a->form().curveColor(), QColor(0, 200, 255));
                child<QComboBox>(a, "LineWdth_Combo")->setCurrentIndex(2);
                Q_EMIT child<QComboBox>(a, "LineWdth_Combo")->activated(2);
                QCOMPARE(a->form().lineWidth(), 3);
                shot(a, "result");

                whenModal<ApprxGraphFormWidget>([&](ApprxGraphFormWidget *g) {
                    sawPlot = true;
                    QCOMPARE(g->windowTitle(), QStringLiteral("系列1  -近似式"));
                    auto *pic = g->picture();
                    QCOMPARE(pic->size(), QSize(480, 400));
                    const auto markers = pic->findChildren<QLabel *>(QStringLiteral("Pick_Image"));
                    QCOMPARE(markers.size(), 8);
                    QCOMPARE(markers[0]->toolTip(), QStringLiteral("系列1：ID=1,X=1.0000,Y=6.2000,Z=0"));
                    // The frame is red at the lower-left corner's pixel (40, 366.67).
                    const QImage img = pic->drawing();
                    QVERIFY(QColor(img.pixel(200, 366)) == QColor(255, 0, 0) ||
                            QColor(img.pixel(200, 367)) == QColor(255, 0, 0));
                    QCOMPARE(QColor(img.pixel(2, 2)), QColor(64, 64, 64));
                    // The curve's colour appears on the picture.
                    bool curve = false;
                    for (int yy = 0; yy < img.height() && !curve; ++yy)
                        for (int xx = 0; xx < img.width() && !curve; ++xx)
                            curve = QColor(img.pixel(xx, yy)) == QColor(0, 200, 255);
                    QVERIFY(curve);
                    QTest::mouseMove(pic, QPoint(40, 367));
                    status = g->statusBar()->currentMessage();
                    shot(g, "plot");
                    QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(100, 100));
                });
                click(a, "DrawGraph_Command");
                click(a, "Closel_Command");
            });
            click(d, "OK_Command");
            QVERIFY(d->isVisible()); // the fit leaves the window open
            click(d, "Cancel_Command");
        });
        DataDisposalFormWidget *unused = nullptr;
        Q_UNUSED(unused);
        const int rc = openDataDisposal(*r, 1, nullptr);
        QCOMPARE(rc, int(QDialog::Rejected));
        QVERIFY(sawResult);
        QVERIFY(sawPlot);
        QVERIFY2(status.startsWith(u"X=") && status.contains(u" , Y="), qPrintable(status));
        QVERIFY(desk.messages.empty());
        QVERIFY(!r->Is_FormOpen(QStringLiteral("DataDisposal_Form")));
    }

    void tabsSortAndCsvThroughTheWindow()
    {
        fillSeries(1, {{2, 1}, {10, 2}, {1, 3}});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("s.csv"));
        whenModal<DataDisposalFormWidget>([&](DataDisposalFormWidget *d) {
            auto *tabs = child<QTabBar>(d, "TabStrip1");
            tabs->setCurrentIndex(1);
            QCOMPARE(child<QPushButton>(d, "OK_Command")->text(), QStringLiteral("実行"));
            QVERIFY(child<QWidget>(d, "Sort_Frame")->isVisible());
            QVERIFY(!child<QWidget>(d, "Aprx_Frame")->isVisible());
            tabs->setCurrentIndex(2);
            QCOMPARE(child<QPushButton>(d, "OK_Command")->text(), QStringLiteral("保存"));
            desk.fileNames.push_back(path);
            click(d, "BrowsCommand");
            QCOMPARE(child<QLabel>(d, "CSV_Save_Label")->text(), path);
            shot(d, "data_processing_csv");
            click(d, "OK_Command");
        });
        QCOMPARE(openDataDisposal(*r, 1, nullptr), int(QDialog::Accepted));
        QCOMPARE(desk.messageCount(QStringLiteral("保存しました。")), 1);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().mid(7), QByteArray("2.0000,1.0000,\r\n10.000,2.0000,\r\n1.0000,3.0000,\r\n"));

        whenModal<DataDisposalFormWidget>([&](DataDisposalFormWidget *d) {
            child<QTabBar>(d, "TabStrip1")->setCurrentIndex(1);
            shot(d, "data_processing_sort");
            click(d, "OK_Command");
        });
        QCOMPARE(openDataDisposal(*r, 1, nullptr), int(QDialog::Accepted));
        QCOMPARE(r->grid(1).cell(1, SeriesTable::ColX), QStringLiteral("1.0000"));
        QCOMPARE(r->grid(1).cell(3, SeriesTable::ColX), QStringLiteral("10.000"));
        QCOMPARE(r->grid(1).cell(1, SeriesTable::ColNo), QStringLiteral("1"));
    }

    void interceptControlsFollowTheKind()
    {
        fillSeries(1, {{1, 1}, {2, 2}});
        whenModal<DataDisposalFormWidget>([&](DataDisposalFormWidget *d) {
            auto *check = child<QCheckBox>(d, "Intcpt_Check");
            auto *text = child<QLineEdit>(d, "Intcpt_Text");
            QVERIFY(!text->isEnabled());
            QTest::mouseClick(check, Qt::LeftButton);
            QVERIFY(text->isEnabled());
            QTest::mouseClick(child<QWidget>(d, "Aprx_Kind_Picture3"), Qt::LeftButton);
            QVERIFY(check->isChecked() && !check->isEnabled() && !text->isEnabled());
            auto *kind3 = d->findChild<KindPicture *>(QStringLiteral("Aprx_Kind_Picture3"));
            QVERIFY(kind3->selected());
            QVERIFY(!d->findChild<KindPicture *>(QStringLiteral("Aprx_Kind_Picture0"))->selected());
            click(d, "Cancel_Command");
        });
        QCOMPARE(openDataDisposal(*r, 1, nullptr), int(QDialog::Rejected));
    }

    void dataProcessingTextsPicturesAndControls()
    {
        fillSeries(1, {{1, 1}, {2, 2}});
        whenModal<DataDisposalFormWidget>([&](DataDisposalFormWidget *d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("データ処理"));
            QStringList labels;
            for (QLabel *l : d->findChildren<QLabel *>())
                labels << l->text();
            for (const char *t : {"処理する系列　：", "次数：", "線形近似", "対数近似", "多項式近似", "累乗近似", "指数近似"})
                QVERIFY2(labels.contains(QString::fromUtf8(t)), t);
            for (int i = 0; i < 5; ++i)
                QCOMPARE(child<QLabel>(d, qPrintable(QStringLiteral("Label%1").arg(i + 2)))->text(),
                         fitKindName(FitKind(i)));
            auto *tabs = child<QTabBar>(d, "TabStrip1");
            QCOMPARE(tabs->count(), 3);
            QCOMPARE(tabs->tabText(0), QStringLiteral("近似式"));
            QCOMPARE(tabs->tabText(1), QStringLiteral("並び替え"));
            QCOMPARE(tabs->tabText(2), QStringLiteral("CSV保存"));
            QCOMPARE(tabs->currentIndex(), 0);
            QCOMPARE(child<QPushButton>(d, "OK_Command")->text(), QStringLiteral("作成"));
            QCOMPARE(child<QPushButton>(d, "Cancel_Command")->text(), QStringLiteral("閉じる"));
            QCOMPARE(child<QPushButton>(d, "BrowsCommand")->text(), QStringLiteral("参照"));
            QCOMPARE(child<QRadioButton>(d, "Sort_Option0")->text(), QStringLiteral("昇順"));
            QCOMPARE(child<QRadioButton>(d, "Sort_Option1")->text(), QStringLiteral("降順"));
            QVERIFY(child<QRadioButton>(d, "Sort_Option0")->isChecked());
            auto *key = child<QComboBox>(d, "XY_Sort_Sel_Combo");
            QCOMPARE(key->count(), 3);
            QCOMPARE(key->itemText(0) + key->itemText(1) + key->itemText(2), QStringLiteral("XYZ"));
            QCOMPARE(key->currentText(), QStringLiteral("X"));
            QVERIFY(child<QLabel>(d, "CSV_Save_Label")->text().isEmpty());

            auto *jisu = child<QComboBox>(d, "Jisu_Combo");
            QCOMPARE(jisu->count(), 5);
            for (int i = 0; i < 5; ++i)
                QCOMPARE(jisu->itemText(i), QString::number(i + 2));
            QCOMPARE(jisu->currentText(), QStringLiteral("2"));
            auto *check = child<QCheckBox>(d, "Intcpt_Check");
            auto *text = child<QLineEdit>(d, "Intcpt_Text");
            QCOMPARE(check->text(), QStringLiteral("切片を指定"));
            QVERIFY(!check->isChecked());
            QCOMPARE(text->text(), QStringLiteral("0"));

            // Per kind: the one red frame, and which of degree, intercept box and
            // intercept text can be used (the box checked, so the text follows it).
            QTest::mouseClick(check, Qt::LeftButton);
            const bool jisuOn[] = {false, false, true, false, false};
            const bool checkOn[] = {true, false, true, false, true};
            for (int k : {0, 1, 2, 3, 4, 0}) {
                auto *pic = d->findChild<KindPicture *>(QStringLiteral("Aprx_Kind_Picture%1").arg(k));
                QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(40, 30));
                QCOMPARE(d->form().Aprx_Kind(), fitKindName(FitKind(k)));
                QCOMPARE(jisu->isEnabled(), jisuOn[k]);
                QCOMPARE(check->isEnabled(), checkOn[k]);
                QCOMPARE(text->isEnabled(), checkOn[k]);
                QVERIFY(check->isChecked());
                for (int i = 0; i < 5; ++i) {
                    auto *p = d->findChild<KindPicture *>(QStringLiteral("Aprx_Kind_Picture%1").arg(i));
                    const QImage img = p->grab().toImage();
                    const bool red = QColor(img.pixel(0, 0)) == QColor(Qt::red) &&
                                     QColor(img.pixel(2, img.height() / 2)) == QColor(Qt::red) &&
                                     QColor(img.pixel(img.width() - 3, img.height() - 1)) == QColor(Qt::red);
                    QCOMPARE(red, i == k);
                    // The frame is 3 pixels wide: the fourth pixel is the picture again.
                    QVERIFY(QColor(img.pixel(3, img.height() / 2)) != QColor(Qt::red));
                }
            }
            QTest::mouseClick(check, Qt::LeftButton);
            QVERIFY(!text->isEnabled());
            shot(d, "data_processing_defaults");
            click(d, "Cancel_Command");
        });
        QCOMPARE(openDataDisposal(*r, 1, nullptr), int(QDialog::Rejected));
    }

    void resultWindowTextsButtonsAndClipboard()
    {
        r->panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1.50abc"));
        ApprxForm a(*r, QStringLiteral("系列1"));
        a.setResult(QStringLiteral("系列1  -近似式"), QStringLiteral("線形近似"), QStringLiteral("y = 2.5x + 1.3"),
                    QStringLiteral("0.9877"));
        ApprxFormWidget w(a);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("系列1  -近似式"));
        QCOMPARE(child<QGroupBox>(&w, "Frame1")->title(), QStringLiteral("線形近似"));
        QCOMPARE(child<QGroupBox>(&w, "Frame3")->title(), QStringLiteral("任意点の近似値"));
        QCOMPARE(child<QGroupBox>(&w, "Frame2")->title(), QStringLiteral("グラフ描画"));
        QStringList labels;
        for (QLabel *l : w.findChildren<QLabel *>())
            labels << l->text();
        for (const char *t : {"近似式", "R^2値", "X値", "Y値(近似値)", "線幅", "描画色"})
            QVERIFY2(labels.contains(QString::fromUtf8(t)), t);
        QCOMPARE(child<QPushButton>(&w, "Command1")->text(), QStringLiteral("Excel用に置換"));
        QCOMPARE(child<QPushButton>(&w, "CopyClipBoard_Command")->text(), QStringLiteral("Clipboardにコピー"));
        QCOMPARE(child<QPushButton>(&w, "UserCalc_Command")->text(), QStringLiteral("計算"));
        QCOMPARE(child<QPushButton>(&w, "CopyClipBoard_Command1")->text(), QStringLiteral("Clipboardにコピー"));
        QCOMPARE(child<QPushButton>(&w, "DrawGraph_Command")->text(), QStringLiteral("グラフに描画"));
        QCOMPARE(child<QPushButton>(&w, "Closel_Command")->text(), QStringLiteral("Close"));
        QCOMPARE(child<QLineEdit>(&w, "Apprx_Text")->text(), QStringLiteral("y=2.5x+1.3"));
        QCOMPARE(child<QLineEdit>(&w, "R2_Text")->text(), QStringLiteral("0.9877"));
        QCOMPARE(child<QLineEdit>(&w, "xText")->text(), QStringLiteral("1.5"));
        QVERIFY(child<QLineEdit>(&w, "yText_Calc")->text().isEmpty());
        auto *width = child<QComboBox>(&w, "LineWdth_Combo");
        QCOMPARE(width->count(), 6);
        for (int i = 0; i < 6; ++i)
            QCOMPARE(width->itemText(i), QString::number(i + 1));
        QCOMPARE(width->currentText(), QStringLiteral("2"));
        const QImage swatch = child<QLabel>(&w, "Picture1")->grab().toImage();
        QCOMPARE(QColor(swatch.pixel(swatch.width() / 2, swatch.height() / 2)), QColor(255, 0, 255));

        desk.inputs = {QStringLiteral("B2")};
        click(&w, "Command1");
        QCOMPARE(child<QLineEdit>(&w, "Apprx_Text")->text(), QStringLiteral("=2.5*B2+1.3"));
        click(&w, "CopyClipBoard_Command");
        QCOMPARE(desk.clipboardText, QStringLiteral("=2.5*B2+1.3"));
        auto *x = child<QLineEdit>(&w, "xText");
        x->selectAll();
        QTest::keyClicks(x, QStringLiteral("2"));
        click(&w, "UserCalc_Command");
        QCOMPARE(child<QLineEdit>(&w, "yText_Calc")->text(), QStringLiteral("6.3000"));
        click(&w, "CopyClipBoard_Command1");
        QCOMPARE(desk.clipboardText, QStringLiteral("6.3000"));
        shot(&w, "result_texts");
        QVERIFY(desk.messages.empty());
    }

    void plotMarginsMarkersAndReadout()
    {
        // LLX 0, RUX 10, LLY 0, RUY 110 on a 480 x 400 picture: the plot spans
        // X -1 .. 11 and Y -11 .. 121, 40 pixels per X unit, 400/132 per Y unit.
        fillSeries(1, {{4, 20}, {8, 90}});
        ApprxForm a(*r, QStringLiteral("系列1"));
        a.setResult(QStringLiteral("系列1  -近似式"), QStringLiteral("線形近似"), QStringLiteral("y=10x+5"),
                    QStringLiteral("1.0000"));
        ApprxFormWidget w(a);
        w.show();
        child<QComboBox>(&w, "LineWdth_Combo")->setCurrentIndex(3);
        Q_EMIT child<QComboBox>(&w, "LineWdth_Combo")->activated(3);
        bool seen = false;
        whenModal<ApprxGraphFormWidget>([&](ApprxGraphFormWidget *g) {
            seen = true;
            auto *pic = g->picture();
            QCOMPARE(pic->size(), QSize(480, 400));
            const QImage img = pic->drawing();
            auto isRed = [&](int x, int y) { return QColor(img.pixel(x, y)) == QColor(255, 0, 0); };
            const QColor grey(64, 64, 64);
            // The frame's four sides at the tenth margins.
            for (int y : {60, 200, 340}) {
                QVERIFY2(isRed(40, y), qPrintable(QString::number(y)));
                QVERIFY(isRed(440, y) || isRed(439, y));
                QCOMPARE(QColor(img.pixel(20, y)), grey);
                QCOMPARE(QColor(img.pixel(460, y)), grey);
            }
            for (int x : {100, 200, 300, 400}) {
                QVERIFY(isRed(x, 366) || isRed(x, 367));
                QVERIFY(isRed(x, 33) || isRed(x, 34));
                QCOMPARE(QColor(img.pixel(x, 15)), grey);
                QCOMPARE(QColor(img.pixel(x, 385)), grey);
            }
            // The curve y = 10x + 5 passes through X 5, Y 55: pixel (240, 200), in magenta.
            bool magenta = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    magenta = magenta || QColor(img.pixel(240 + dx, 200 + dy)) == QColor(255, 0, 255);
            QVERIFY(magenta);
            QCOMPARE(QColor(img.pixel(100, 100)), grey);

            const auto markers = pic->findChildren<QLabel *>(QStringLiteral("Pick_Image"));
            QCOMPARE(markers.size(), 2);
            const QPointF centres[] = {{200, (121 - 20) * 400 / 132.0}, {360, (121 - 90) * 400 / 132.0}};
            const char *tips[] = {"系列1：ID=1,X=4.0000,Y=20.000,Z=0", "系列1：ID=2,X=8.0000,Y=90.000,Z=0"};
            for (int i = 0; i < 2; ++i) {
                QCOMPARE(markers[i]->toolTip(), QString::fromUtf8(tips[i]));
                QCOMPARE(markers[i]->size(), QSize(9, 9));
                const QPointF c = QRectF(markers[i]->geometry()).center();
                QVERIFY2(std::abs(c.x() - centres[i].x()) <= 1 && std::abs(c.y() - centres[i].y()) <= 1,
                         qPrintable(QStringLiteral("%1,%2").arg(c.x()).arg(c.y())));
            }

            QVERIFY(g->statusBar()->currentMessage().isEmpty());
            // Pointer moves as the window system delivers them (QTest's own move
            // only reaches the widget once under the offscreen platform).
            auto moveTo = [pic](QPoint p) {
                QMouseEvent e(QEvent::MouseMove, QPointF(p), pic->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
                QCoreApplication::sendEvent(pic, &e);
            };
            moveTo(QPoint(240, 200));
            QCOMPARE(g->statusBar()->currentMessage(), QStringLiteral("X=5.0000 , Y=55.000"));
            moveTo(QPoint(80, 300));
            QCOMPARE(g->statusBar()->currentMessage(), QStringLiteral("X=1.0000 , Y=22.000"));
            shot(g, "plot_margins");
            // A click on a point marker is the marker's: the plot stays open.
            QTest::mouseClick(markers[0], Qt::LeftButton, {}, QPoint(4, 4));
            QVERIFY(g->isVisible());
            QTest::mouseClick(pic, Qt::LeftButton, {}, QPoint(100, 100));
        });
        click(&w, "DrawGraph_Command");
        QVERIFY(seen);
        QVERIFY(!r->Is_FormOpen(QStringLiteral("Apprx_Graph_Form")));
        QVERIFY(desk.messages.empty());
    }

    void largePictureFitsTheScreenAndTheWindowResizes()
    {
        // A 6000 x 4000 picture: the window fits the screen's free area, keeps
        // the picture's proportions and its readout on the screen.
        r->graph.picAreaWidthTwips = 6000 * 15;
        r->graph.picAreaHeightTwips = 4000 * 15;
        fillSeries(1, {{4, 20}});
        ApprxForm a(*r, QStringLiteral("系列1"));
        a.setResult(QStringLiteral("系列1  -近似式"), QStringLiteral("線形近似"), QStringLiteral("y=10x+5"),
                    QStringLiteral("1.0000"));
        auto plot = a.Draw_Apprx();
        QVERIFY(plot);
        ApprxGraphForm graph(*r, std::move(*plot));
        ApprxGraphFormWidget g(graph);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        const QRect avail = g.screen()->availableGeometry();
        auto *pic = g.picture();
        QVERIFY2(avail.contains(g.frameGeometry()), qPrintable(QStringLiteral("%1x%2 in %3x%4")
                                                                  .arg(g.frameGeometry().width())
                                                                  .arg(g.frameGeometry().height())
                                                                  .arg(avail.width())
                                                                  .arg(avail.height())));
        QVERIFY(avail.contains(g.statusBar()->mapToGlobal(g.statusBar()->rect().bottomRight())));
        QVERIFY(pic->width() < 6000 && pic->width() >= avail.width() / 2);
        QVERIFY2(std::abs(double(pic->width()) / pic->height() - 1.5) < 0.01,
                 qPrintable(QStringLiteral("%1x%2").arg(pic->width()).arg(pic->height())));
        QCOMPARE(pic->drawing().size(), pic->size());
        shot(&g, "plot_large_picture");

        // Resized by the user: the drawing, the markers and the readout follow.
        g.resize(420, 380);
        QCoreApplication::processEvents();
        const QSize sz = pic->size();
        QVERIFY(sz.width() < 420 && sz.height() < 380);
        const QImage img = pic->drawing();
        QCOMPARE(img.size(), sz);
        const QPointF ll = graph.plot().toPixel({0, 0}, QSizeF(sz));
        QCOMPARE(QColor(img.pixel(int(ll.x()) + 20, int(std::floor(ll.y())))), QColor(255, 0, 0));
        const auto markers = pic->findChildren<QLabel *>(QStringLiteral("Pick_Image"));
        QCOMPARE(markers.size(), 1);
        const QPointF m = graph.plot().toPixel({4, 20}, QSizeF(sz));
        QVERIFY(std::abs(QRectF(markers[0]->geometry()).center().x() - m.x()) <= 1);
        QMouseEvent e(QEvent::MouseMove, m, pic->mapToGlobal(m), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(pic, &e);
        const QString readout = g.statusBar()->currentMessage();
        QVERIFY2(readout.startsWith(u"X=4.0") && readout.contains(u"Y=20."), qPrintable(readout));
        g.close();
    }

    void failedPlotShowsTheMessageAndNoWindow()
    {
        r->panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("0"));
        ApprxForm a(*r, QStringLiteral("系列1"));
        a.setResult(QStringLiteral("系列1  -近似式"), QStringLiteral("線形近似"), QStringLiteral("y=2x+1"),
                    QStringLiteral("1.0000"));
        ApprxFormWidget w(a);
        w.show();
        click(&w, "DrawGraph_Command"); // would block if a plot window opened
        QCOMPARE(desk.messages.size(), size_t(1));
        QVERIFY(desk.messages[0].text.startsWith(u"エラー！(No.6)"));
    }
};

QTEST_MAIN(ProcessingWidgets)
#include "widgets_test.moc"
