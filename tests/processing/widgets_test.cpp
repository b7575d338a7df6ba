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
#include <QPushButton>
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
                    const QImage img = pic->drawing().toImage();
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
