// The PDF page chooser: thumbnails of every page, the page box and the list
// agreeing, the resolution following the page until it is set by hand, and
// what OK and Cancel give through the desktop port. The zoom view painting a
// PDF page sharp at factor 20.
#include "mainwin/main_window.h"
#include "mainwin/pdf_page_dialog.h"
#include "mainwin/qt_desktop.h"
#include "model/reading.h"
#include "tests/support/pdf_fixtures.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace orv;

class PdfPageDialogTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    // Three chart pages, then a small one (a higher default resolution).
    QString mixedPdf()
    {
        const QString p = m_dir.filePath(QStringLiteral("mixed.pdf"));
        QPdfWriter writer(p);
        writer.setPageSize(QPageSize(QSizeF(400, 300), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        QPainter painter(&writer);
        for (int i = 0; i < 3; ++i) {
            if (i)
                writer.newPage();
            orv::testing::drawPdfChart(painter, i);
        }
        writer.setPageSize(QPageSize(QSizeF(200, 150), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.newPage();
        painter.setPen(QPen(Qt::black, 4));
        painter.drawLine(0, 0, 200, 150);
        painter.end();
        return p;
    }

private Q_SLOTS:
    void pageBoxListAndResolutionAgree()
    {
        auto doc = PdfDocument::open(mixedPdf());
        QVERIFY(doc);
        QCOMPARE(doc->pageCount(), 4);
        PdfPageDialog d(*doc, QStringLiteral("mixed.pdf"), PdfPageChoice{1, 540});
        QCOMPARE(d.pageList()->count(), 4);
        QCOMPARE(d.pageBox()->value(), 2);
        QCOMPARE(d.pageList()->currentRow(), 1);
        QCOMPARE(d.dpiBox()->minimum(), 72);
        QCOMPARE(d.dpiBox()->maximum(), 600);
        d.renderAllThumbnails();
        for (int i = 0; i < 4; ++i) {
            const QImage thumb = d.pageList()->item(i)->icon().pixmap(150).toImage();
            QVERIFY2(!thumb.isNull(), qPrintable(QString::number(i)));
            // Drawn: something on the page is darker than paper.
            bool ink = false;
            for (int y = 0; y < thumb.height() && !ink; ++y)
                for (int x = 2; x < thumb.width() - 2 && !ink; ++x)
                    ink = qGray(thumb.pixel(x, y)) < 100 && qAlpha(thumb.pixel(x, y)) == 255;
            QVERIFY2(ink, qPrintable(QString::number(i)));
        }
        // The small page has its own default: 600 dpi (capped) for 200 points.
        d.pageList()->setCurrentRow(3);
        QCOMPARE(d.pageBox()->value(), 4);
        QCOMPARE(d.dpiBox()->value(), 600);
        d.pageBox()->setValue(1);
        QCOMPARE(d.pageList()->currentRow(), 0);
        QCOMPARE(d.dpiBox()->value(), 540);
        // Set by hand, the resolution stays when the page changes.
        d.dpiBox()->setValue(150);
        d.pageBox()->setValue(4);
        QCOMPARE(d.choice(), (PdfPageChoice{3, 150}));
        d.dpiBox()->setValue(5000);
        QCOMPARE(d.choice().dpi, 600);
        if (qEnvironmentVariableIsSet("ORV_SHOT_DIR")) {
            d.pageBox()->setValue(2);
            d.show();
            QTest::qWait(50);
            d.grab().save(qEnvironmentVariable("ORV_SHOT_DIR") + QStringLiteral("/pdf-page-dialog.png"));
        }
    }

    // Grey values along a row of the zoom view, from the cross-hair's left
    // end to its right: how many pixels are neither paper nor ink.
    static int blurredPixels(const QImage &g, int row)
    {
        int between = 0;
        for (int x = 2; x < g.width() - 2; ++x) {
            const int v = qGray(g.pixel(x, row));
            between += v > 40 && v < 215 && g.pixel(x, row) != qRgb(0, 0, 255); // not the cross-hair
        }
        return between;
    }

    void zoomViewPaintsThePageSharp()
    {
        ScriptedDesktop desk;
        Reading r{&desk};
        MainWindow w{r};
        w.resize(1200, 800);
        w.show();
        const QString p = m_dir.filePath(QStringLiteral("chart.pdf"));
        QVERIFY(orv::testing::writePdf(p));
        QVERIFY(w.form().Open_Pic(p));
        auto *combo = w.findChild<QComboBox *>(QStringLiteral("Zoom_Combo"));
        const int i20 = combo->findText(QStringLiteral("20"));
        QVERIFY(i20 >= 0);
        combo->setCurrentIndex(i20);
        emit combo->activated(i20);
        auto *zoom = w.findChild<QWidget *>(QStringLiteral("Zoom_Picture"));
        // On the curve where it falls at about 37 degrees: its antialiased
        // edges are steps of 20-pixel blocks when magnified.
        using C = orv::testing::PdfChart;
        r.zoomFollow(float(C::pageX(5) / C::kWidth), float(1 - C::pageY(50 + 40 * std::sin(5.0)) / C::kHeight));
        const int row = zoom->height() / 2 - 12;
        // At once: the magnified pixels, the line's edges smeared over blocks.
        const QImage before = zoom->grab().toImage();
        QVERIFY2(blurredPixels(before, row) >= 15, qPrintable(QString::number(blurredPixels(before, row))));
        QElapsedTimer t;
        t.start();
        while (!w.form().zoom.sharpTile() && t.elapsed() < 10000)
            QTest::qWait(5);
        QVERIFY(w.form().zoom.sharpTile());
        const QImage after = zoom->grab().toImage();
        QVERIFY2(blurredPixels(after, row) <= 6, qPrintable(QString::number(blurredPixels(after, row))));
        if (qEnvironmentVariableIsSet("ORV_SHOT_DIR")) {
            const QString dir = qEnvironmentVariable("ORV_SHOT_DIR");
            before.scaled(before.size() * 2).save(dir + QStringLiteral("/pdf-zoom-magnified.png"));
            after.scaled(after.size() * 2).save(dir + QStringLiteral("/pdf-zoom-sharp.png"));
            w.grab().save(dir + QStringLiteral("/pdf-window.png"));
        }
    }

    void okAndCancelThroughThePort()
    {
        auto doc = PdfDocument::open(mixedPdf());
        QVERIFY(doc);
        QtDesktop port;
        for (bool ok : {false, true}) {
            QTimer::singleShot(0, [ok] {
                for (QWidget *w : QApplication::topLevelWidgets())
                    if (auto *d = qobject_cast<PdfPageDialog *>(w); d && d->isVisible()) {
                        d->pageBox()->setValue(3);
                        d->dpiBox()->setValue(200);
                        auto *box = d->findChild<QDialogButtonBox *>();
                        box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
                    }
            });
            const auto choice = port.choosePdfPage(*doc, QStringLiteral("mixed.pdf"), PdfPageChoice{0, 540});
            if (ok) {
                QVERIFY(choice);
                QCOMPARE(*choice, (PdfPageChoice{2, 200}));
            } else {
                QVERIFY(!choice);
            }
        }
    }
};

QTEST_MAIN(PdfPageDialogTest)
#include "pdf_widgets_test.moc"
