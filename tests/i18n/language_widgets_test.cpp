// The windows in both languages: the main window's menus and panel, a message
// box with Qt's own buttons, and a series window.
#include "app/assembly.h"
#include "autoread/autoread_widget.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/artwork.h"
#include "mainwin/main_window.h"
#include "mainwin/pdf_page_dialog.h"
#include "mainwin/qt_desktop.h"
#include "model/language.h"
#include "model/pdf_source.h"
#include "model/reading.h"
#include "processing/apprx_form.h"
#include "processing/apprx_form_widget.h"
#include "processing/data_disposal_form.h"
#include "processing/data_disposal_form_widget.h"
#include "table/grid_form_widget.h"
#include "tests/support/pdf_fixtures.h"
#include "tests/support/reading_fixtures.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QRadioButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryDir>
#include <QTabBar>
#include <QTest>
#include <QTimer>

using namespace orv;

namespace {
struct Texts {
    Language language;
    QString file, edit, other, frame, diagonal, projective, series1, readout, deleteAll, yes, follow, note;
};
const Texts kTexts[] = {
    {Language::Japanese, QStringLiteral("ファイル(&F)"), QStringLiteral("編集(&E)"), QStringLiteral("その他(&E)"),
     QStringLiteral("枠線定義"), QStringLiteral("対角定義"), QStringLiteral("射影定義"), QStringLiteral("系列1"),
     QStringLiteral("読み出し値"), QStringLiteral("全削除"), QStringLiteral("はい(&Y)"),
     QStringLiteral("デスクトップに合わせる"), QStringLiteral("次回の起動から切り替わります")},
    {Language::English, QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&Other"), QStringLiteral("Frame"),
     QStringLiteral("Diagonal"), QStringLiteral("Projective"), QStringLiteral("Series 1"), QStringLiteral("Readout"),
     QStringLiteral("Clear All"), QStringLiteral("&Yes"), QStringLiteral("Follow the Desktop"),
     QStringLiteral("Takes effect at the next start")},
};

// The texts a window shows that do not fit their widgets (a fixed layout too
// narrow for the language). Labels with a tool tip may elide on purpose.
QStringList clippedTexts(QWidget *root)
{
    QStringList out;
    auto plain = [](QString t) { return t.remove(u'&'); };
    for (QWidget *w : root->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(root))
            continue;
        const QFontMetrics fm = w->fontMetrics();
        auto check = [&](const QString &text, int need, int have) {
            if (need > have)
                out << QStringLiteral("%1 \"%2\" needs %3 px, has %4").arg(w->objectName(), text).arg(need).arg(have);
        };
        if (auto *l = qobject_cast<QLabel *>(w)) {
            if (!l->wordWrap() && !l->text().isEmpty() && l->toolTip().isEmpty() && l->textFormat() != Qt::RichText)
                check(l->text(), fm.horizontalAdvance(l->text()), l->contentsRect().width());
        } else if (qobject_cast<QRadioButton *>(w) || qobject_cast<QCheckBox *>(w)) {
            // The indicator, the gap, the text.
            const auto *b = static_cast<QAbstractButton *>(w);
            const bool radio = qobject_cast<QRadioButton *>(w);
            const int indicator = w->style()->pixelMetric(radio ? QStyle::PM_ExclusiveIndicatorWidth : QStyle::PM_IndicatorWidth);
            const int gap = w->style()->pixelMetric(radio ? QStyle::PM_RadioButtonLabelSpacing : QStyle::PM_CheckBoxLabelSpacing);
            check(b->text(), indicator + gap + fm.horizontalAdvance(plain(b->text())), b->width());
        } else if (auto *p = qobject_cast<QPushButton *>(w)) {
            if (!p->text().isEmpty())
                check(p->text(), fm.horizontalAdvance(plain(p->text())) + 4, p->width());
        } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
            check(g->title(), fm.horizontalAdvance(plain(g->title())) + 12, g->width());
        } else if (auto *t = qobject_cast<QTabBar *>(w)) {
            for (int i = 0; i < t->count(); ++i)
                check(t->tabText(i), fm.horizontalAdvance(plain(t->tabText(i))) + 12, t->tabRect(i).width());
        }
    }
    return out;
}

// Looks at a window: no clipped text; with ORV_SHOTS=DIR its picture is saved.
void lookAt(QWidget *w, const QString &name, Language language)
{
    QApplication::processEvents();
    const QString dir = qEnvironmentVariable("ORV_SHOTS");
    const QString lang = language == Language::English ? QStringLiteral("en") : QStringLiteral("ja");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        w->grab().save(QDir(dir).filePath(lang + u'-' + name + QStringLiteral(".png")));
    }
    const QStringList clipped = clippedTexts(w);
    QVERIFY2(clipped.isEmpty(), qPrintable(lang + u' ' + name + QStringLiteral(":\n") + clipped.join(u'\n')));
}
} // namespace

class LanguageWidgetsTest : public QObject {
    Q_OBJECT

    static void use(Language language) { QVERIFY(installLanguage(language, QStringLiteral(ORV_BUILD_DIR))); }

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanup() { installLanguage(Language::Japanese, QStringLiteral(ORV_BUILD_DIR)); }

    void mainWindowMenusAndPanel()
    {
        for (const Texts &t : kTexts) {
            use(t.language);
            ScriptedDesktop desk;
            Reading r(&desk);
            r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
            MainWindow w(r);
            QStringList titles;
            for (QAction *a : w.menuBar()->actions())
                titles << a->text();
            QCOMPARE(titles.value(0), t.file);
            QCOMPARE(titles.value(1), t.edit);
            QVERIFY2(titles.contains(t.other), qPrintable(titles.join(u'|')));
            QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("Dft_Point_Frame"))->title(), t.frame);
            auto *tabs = w.findChild<QTabBar *>(QStringLiteral("TabStrip1"));
            QCOMPARE(tabs->tabText(0), t.diagonal);
            QCOMPARE(tabs->tabText(2), t.projective);
            auto *series = w.findChild<QComboBox *>(QStringLiteral("Keiretsu_Combo"));
            QCOMPARE(series->itemText(0), t.series1);
            QCOMPARE(series->count(), 16);
            // The reading itself keeps its names whatever the windows show.
            QCOMPARE(r.settings.keiretsu.text(), QStringLiteral("系列1"));
            // The language menu: named in both languages, its note in the current one.
            auto *lang = w.findChild<QMenu *>(QStringLiteral("Language_Mn"));
            QVERIFY(lang);
            QCOMPARE(lang->title(), QStringLiteral("言語 / Language"));
            QCOMPARE(w.findChild<QAction *>(QStringLiteral("Language_Auto"))->text(), t.follow);
            QCOMPARE(w.findChild<QAction *>(QStringLiteral("Language_En"))->text(), QStringLiteral("English"));
            QCOMPARE(w.findChild<QAction *>(QStringLiteral("Language_Note"))->text(), t.note);
            QVERIFY(!w.findChild<QAction *>(QStringLiteral("Language_Note"))->isEnabled());
        }
    }

    // A choice in the menu is remembered for the next start; the open windows
    // stay in their language.
    void languageMenuRemembersTheChoice()
    {
        ScriptedDesktop desk;
        Reading r(&desk);
        MainWindow w(r);
        w.findChild<QAction *>(QStringLiteral("Language_En"))->trigger();
        QCOMPARE(savedLanguage(*programSettings()), QStringLiteral("en"));
        qputenv("ORV_LANG", "ja"); // the environment still wins
        QCOMPARE(startupLanguage(*programSettings()), Language::Japanese);
        QCOMPARE(chooseLanguage(QString(), savedLanguage(*programSettings()), {QStringLiteral("ja-JP")}),
                 Language::English);
        QCOMPARE(w.menuBar()->actions().value(0)->text(), QStringLiteral("ファイル(&F)"));
        w.findChild<QAction *>(QStringLiteral("Language_Auto"))->trigger();
        QVERIFY(savedLanguage(*programSettings()).isEmpty());
        // The menu shows the remembered choice when it is built again.
        w.findChild<QAction *>(QStringLiteral("Language_Ja"))->trigger();
        MainWindow again(r);
        QVERIFY(again.findChild<QAction *>(QStringLiteral("Language_Ja"))->isChecked());
        QVERIFY(!again.findChild<QAction *>(QStringLiteral("Language_Auto"))->isChecked());
        saveLanguage(*programSettings(), QString());
    }

    // The unsaved-changes question: the program's text and Qt's buttons.
    void messageBoxSpeaksTheLanguage()
    {
        for (const Texts &t : kTexts) {
            use(t.language);
            QtDesktop desk;
            QString text, yes;
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                text = box->text();
                yes = box->button(QMessageBox::Yes)->text();
                box->button(QMessageBox::Cancel)->click();
            });
            QCOMPARE(desk.askYesNoCancel(Reading::unsavedQuestion(), QStringLiteral("Orvalinetrix")),
                     DesktopPort::Answer::Cancel);
            QVERIFY2(text.startsWith(t.language == Language::English ? QStringLiteral("There are unsaved changes.")
                                                                      : QStringLiteral("保存されていない変更があります。")),
                     qPrintable(text));
            QCOMPARE(yes, t.yes);
        }
    }

    // The hint pictures have words: the window shows the English ones in
    // English, and the shipped files are the pictures drawn in each language.
    void hintPicturesFollowTheLanguage()
    {
        const char *files[2][3] = {{"/img/2pt.bmp", "/img/4pt.bmp", "/img/pj.bmp"},
                                   {"/img/2pt_en.bmp", "/img/4pt_en.bmp", "/img/pj_en.bmp"}};
        for (const Texts &t : kTexts) {
            use(t.language);
            const int l = t.language == Language::English ? 1 : 0;
            ScriptedDesktop desk;
            Reading r(&desk);
            r.programFolder = QStringLiteral(ORV_SOURCE_DIR);
            MainWindow w(r);
            auto *hint = w.findChild<QLabel *>(QStringLiteral("Dfnt_Picture"));
            QVERIFY(hint);
            for (int tab = 1; tab <= 3; ++tab) {
                const QImage shipped =
                    QImage(QStringLiteral(ORV_SOURCE_DIR) + QString::fromLatin1(files[l][tab - 1])).convertToFormat(QImage::Format_RGB32);
                QVERIFY(!shipped.isNull());
                QCOMPARE(hintPicture(tab), shipped);
                w.form().selectModeTab(tab);
                QCOMPARE(hint->pixmap().toImage().convertToFormat(QImage::Format_RGB32), shipped);
            }
        }
        // The words differ, so the pictures do.
        QVERIFY(QImage(QStringLiteral(ORV_SOURCE_DIR "/img/2pt.bmp")) != QImage(QStringLiteral(ORV_SOURCE_DIR "/img/2pt_en.bmp")));
    }

    // The main, graph, series, data processing, result, automatic reading and
    // PDF page windows hold their texts in both languages.
    void windowsHoldTheirTexts()
    {
        for (const Texts &t : kTexts) {
            use(t.language);
            ScriptedDesktop desk;
            Reading r(&desk);
            r.programFolder = QStringLiteral(ORV_BUILD_DIR);
            AssembledWindow app = assembleMainWindow(r);
            app.main->resize(1100, 800);
            app.main->show();
            QVERIFY(QTest::qWaitForWindowExposed(app.main.get()));
            QCOMPARE(openCommandLineFile(*app.main, QStringLiteral(ORV_SOURCE_DIR "/sample/chart.orvd")), QString());
            QTest::qWait(50);
            lookAt(app.main.get(), QStringLiteral("main"), t.language);
            if (QTest::currentTestFailed())
                return;
            lookAt(app.graphs->widget(), QStringLiteral("graph"), t.language);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(app.grids->widget(1));
            lookAt(app.grids->widget(1), QStringLiteral("table"), t.language);
            if (QTest::currentTestFailed())
                return;

            // The automatic reading panel, with the step and the marker options.
            app.main->findChild<QAction *>(QStringLiteral("AutoRead_Mn"))->trigger();
            autoread::AutoReadWidget *autoRead = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<autoread::AutoReadWidget *>(w); p && p->isVisible())
                    autoRead = p;
            QVERIFY(autoRead);
            QCOMPARE(autoRead->windowTitle(),
                     t.language == Language::English ? QStringLiteral("Automatic Reading") : QStringLiteral("自動読取"));
            for (int method : {0, 2}) {
                autoRead->methodBox()->setCurrentIndex(method);
                lookAt(autoRead, QStringLiteral("autoread%1").arg(method), t.language);
                if (QTest::currentTestFailed())
                    return;
            }
            autoRead->close();

            QTemporaryDir dir;
            const QString pdf = dir.filePath(QStringLiteral("pages.pdf"));
            QVERIFY(orv::testing::writePdf(pdf, 3));
            auto doc = PdfDocument::open(pdf);
            QVERIFY(doc);
            PdfPageDialog pages(*doc, pdf, PdfPageChoice{0, 0});
            pages.renderAllThumbnails();
            pages.show();
            QVERIFY(QTest::qWaitForWindowExposed(&pages));
            QCOMPARE(pages.windowTitle(), (t.language == Language::English ? QStringLiteral("Choose a PDF Page - %1")
                                                                           : QStringLiteral("PDFのページを選択 - %1"))
                                              .arg(QStringLiteral("pages.pdf")));
            lookAt(&pages, QStringLiteral("pdfpages"), t.language);
            if (QTest::currentTestFailed())
                return;

            DataDisposalForm form(r, nullptr);
            form.setSeriesItems(r.settings.keiretsu.items(), QStringLiteral("系列1"));
            DataDisposalFormWidget processing(form);
            processing.show();
            QVERIFY(QTest::qWaitForWindowExposed(&processing));
            for (int tab : {DataDisposalForm::TabApprx, DataDisposalForm::TabSort, DataDisposalForm::TabCsv}) {
                form.TabStrip1_Click(tab);
                lookAt(&processing, QStringLiteral("processing%1").arg(tab), t.language);
                if (QTest::currentTestFailed())
                    return;
            }

            ApprxForm result(r, QStringLiteral("系列1"));
            result.setResult(seriesDisplayName(QStringLiteral("系列1")) + QStringLiteral("  -"), fitKindName(FitKind::Linear),
                             QStringLiteral("y = 2.5x + 1.3"), QStringLiteral("0.9877"));
            ApprxFormWidget resultWindow(result);
            resultWindow.show();
            QVERIFY(QTest::qWaitForWindowExposed(&resultWindow));
            lookAt(&resultWindow, QStringLiteral("result"), t.language);
            QCOMPARE(resultWindow.findChild<QGroupBox *>(QStringLiteral("Frame1"))->title(),
                     t.language == Language::English ? QStringLiteral("Linear") : QStringLiteral("線形近似"));
            if (QTest::currentTestFailed())
                return;
        }
    }

    void seriesWindowSpeaksTheLanguage()
    {
        for (const Texts &t : kTexts) {
            use(t.language);
            ScriptedDesktop desk;
            Reading r(&desk);
            r.Init_App();
            orv::testing::setDiagonalFrame(r);
            r.showPicture(QImage(100, 100, QImage::Format_RGB32), QStringLiteral("c.png"));
            QMdiArea mdi;
            mdi.resize(900, 700);
            GridWindowsHost host(r, &mdi);
            QVERIFY(orv::testing::addPoint(r, 1, 0.5f, 0.5f) > 0);
            QVERIFY(host.subWindow(1));
            QCOMPARE(host.subWindow(1)->windowTitle(), t.series1);
            QCOMPARE(host.widget(1)->allClearButton()->text(), t.deleteAll);
            QCOMPARE(r.grid(1).caption(), QStringLiteral("系列1"));
        }
    }
};

QTEST_MAIN(LanguageWidgetsTest)
#include "language_widgets_test.moc"
