// PDF pages as pictures: opening (one page, the page chooser, Cancel),
// "#page=N" paths, hostile files, values read off a rendered page at two
// resolutions, readings reopened at another resolution, and the zoom view's
// sharp rendering. The PDFs are made here with Qt's PDF writer.

#include "graphwin/graph_form.h"
#include "mainwin/main_mdi_form.h"
#include "mainwin/zoom_view.h"
#include "model/pdf_source.h"
#include "model/reading.h"
#include "statefile/export_cli.h"
#include "statefile/state_file.h"
#include "tests/support/pdf_fixtures.h"
#include "tests/support/reading_fixtures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orv;
using orv::testing::PdfChart;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

int grey(const QImage &img, int x, int y) { return qGray(img.pixel(x, y)); }

// The darkest column (sum over rows y0..y1) among x0..x1, and the darkest row.
int darkestColumn(const QImage &img, int x0, int x1, int y0, int y1)
{
    int best = x0;
    long bestSum = LONG_MAX;
    for (int x = std::max(0, x0); x <= std::min(img.width() - 1, x1); ++x) {
        long sum = 0;
        for (int y = std::max(0, y0); y <= std::min(img.height() - 1, y1); ++y)
            sum += grey(img, x, y);
        if (sum < bestSum)
            bestSum = sum, best = x;
    }
    return best;
}

int darkestRow(const QImage &img, int y0, int y1, int x0, int x1)
{
    int best = y0;
    long bestSum = LONG_MAX;
    for (int y = std::max(0, y0); y <= std::min(img.height() - 1, y1); ++y) {
        long sum = 0;
        for (int x = std::max(0, x0); x <= std::min(img.width() - 1, x1); ++x)
            sum += grey(img, x, y);
        if (sum < bestSum)
            bestSum = sum, best = y;
    }
    return best;
}

// A hand-written PDF of one page with the given media box; the offsets of
// its cross-reference table are computed, so the file is well formed.
QByteArray handMadePdf(const QByteArray &mediaBox)
{
    QByteArray out = "%PDF-1.4\n";
    QList<int> offsets;
    auto obj = [&](const QByteArray &body) {
        offsets << int(out.size());
        out += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    const QByteArray content = "0 0 m 100 100 l S";
    obj("<< /Type /Catalog /Pages 2 0 R >>");
    obj("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    obj("<< /Type /Page /Parent 2 0 R /MediaBox [" + mediaBox + "] /Contents 4 0 R >>");
    obj("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content + "\nendstream");
    const int xref = int(out.size());
    out += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (int o : offsets)
        out += QByteArray::number(o).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

struct Pdf : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form f{r};
    QTemporaryDir dir;

    void SetUp() override
    {
        r.programFolder = dir.path();
        f.MDIForm_Load();
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString pdf(const QString &name, int pages = 1)
    {
        const QString p = path(name);
        EXPECT_TRUE(orv::testing::writePdf(p, pages));
        return p;
    }
    // The number of the page shown: the black square's side in points is
    // 10 times the page number.
    int shownPage() const
    {
        const QImage &img = r.graph.picture();
        const double px = img.width() / PdfChart::kWidth; // pixels per point
        int x = int(2 * px) + 1;
        while (x < img.width() && grey(img, x, int(4 * px)) < 128)
            ++x;
        return int(std::lround((x / px - 2) / 10));
    }
};

} // namespace

TEST(PdfSource, PageSuffixIsSplitOffUnlessTheWholeNameExists)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("fig.pdf"));
    auto src = splitPictureSource(plain + QStringLiteral("#page=3"));
    EXPECT_EQ(s(src.file), s(plain));
    EXPECT_EQ(src.page, 2);
    EXPECT_TRUE(src.explicitPage);
    EXPECT_EQ(s(joinPictureSource(plain, 2)), s(plain + QStringLiteral("#page=3")));
    EXPECT_EQ(s(joinPictureSource(plain, 0)), s(plain)); // the first page is the file itself
    for (const char *odd : {"#page=0", "#page=", "#page=x", "#page=3 ", "#Page=3"}) {
        src = splitPictureSource(plain + QLatin1String(odd));
        EXPECT_EQ(s(src.file), s(plain + QLatin1String(odd))) << odd;
        EXPECT_EQ(src.page, 0) << odd;
    }
    // A file that really has the suffix in its name is that file.
    const QString real = dir.filePath(QStringLiteral("odd.pdf#page=2"));
    ASSERT_TRUE(orv::testing::writePdf(real));
    src = splitPictureSource(real);
    EXPECT_EQ(s(src.file), s(real));
    EXPECT_EQ(src.page, 0);
    EXPECT_TRUE(pictureSourceExists(real));
    EXPECT_TRUE(pictureSourceExists(dir.filePath(QStringLiteral("odd.pdf#page=2#page=5"))));
    EXPECT_FALSE(pictureSourceExists(plain + QStringLiteral("#page=3")));
    EXPECT_TRUE(isPdfFile(QStringLiteral("/a/B.PDF")));
    EXPECT_FALSE(isPdfFile(QStringLiteral("/a.pdf/b.png")));
}

TEST(PdfSource, PagesRenderAntialiasedOnWhiteAtAboutThreeThousandPixels)
{
    QTemporaryDir dir;
    const QString p = dir.filePath(QStringLiteral("chart.pdf"));
    ASSERT_TRUE(orv::testing::writePdf(p, 1));
    auto doc = PdfDocument::open(p);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->pageCount(), 1);
    EXPECT_NEAR(doc->pageSize(0).width(), PdfChart::kWidth, 0.01);
    EXPECT_NEAR(doc->pageSize(0).height(), PdfChart::kHeight, 0.01);
    EXPECT_EQ(doc->defaultDpi(0), 540); // 400 points -> 3000 pixels
    auto img = decodePicture(p); // the same interface as any picture
    ASSERT_TRUE(img);
    EXPECT_EQ(img->size(), QSize(3000, 2250));
    EXPECT_EQ(img->format(), QImage::Format_RGB32);
    EXPECT_EQ(img->pixel(1000, 20), qRgb(255, 255, 255)); // paper, not transparent black
    // Antialiased: the curve's edges have many shades between paper and ink.
    QSet<int> shades;
    for (int y = 400; y < 1900; ++y)
        for (int x = 1400; x < 1420; ++x)
            shades.insert(grey(*img, x, y));
    EXPECT_GT(shades.size(), 20);

    // The resolution range: tiny pages stop at 600 dpi, huge ones at 72 and
    // then at the pixel limit.
    const QString tiny = dir.filePath(QStringLiteral("tiny.pdf"));
    ASSERT_TRUE(orv::testing::writePdf(tiny, 1, 100, 60));
    EXPECT_EQ(PdfDocument::open(tiny)->defaultDpi(0), 600);
    const QString huge = dir.filePath(QStringLiteral("huge.pdf"));
    ASSERT_TRUE(orv::testing::writePdf(huge, 1, 14000, 14000));
    auto big = PdfDocument::open(huge);
    ASSERT_TRUE(big);
    const double dpi = big->fittingDpi(0, 600);
    EXPECT_LT(dpi, 72);
    const double side = std::ceil(14000 * dpi / 72);
    EXPECT_LE(side * side, double(kMaxPicturePixels));
    EXPECT_GT(side * side, 0.95 * double(kMaxPicturePixels));
}

TEST_F(Pdf, OnePageOpensAtOnceSeveralPagesAskFirst)
{
    const QString one = pdf(QStringLiteral("one.pdf"));
    ASSERT_TRUE(f.Open_Pic(one));
    EXPECT_TRUE(desk.pdfOffers.empty());
    EXPECT_EQ(s(r.GraphPic_Path), s(one));
    EXPECT_EQ(r.graph.picture().size(), QSize(3000, 2250));
    EXPECT_EQ(shownPage(), 1);

    // A reading with a point: the chooser comes before any question, and
    // Cancel leaves everything as it was.
    orv::testing::setDiagonalFrame(r);
    Graph_Form g{r};
    g.setPictureSize(3000, 2250);
    g.mouseUp(Graph_Form::LeftButton, 0.5f, 0.5f);
    ASSERT_EQ(r.grid(1).rowCount(), 2);
    const qint64 shown = r.graph.picture().cacheKey();
    const QString three = pdf(QStringLiteral("three.pdf"), 3);
    EXPECT_FALSE(f.Open_Pic(three));
    ASSERT_EQ(desk.pdfOffers.size(), 1u);
    EXPECT_EQ(desk.pdfOffers[0], (PdfPageChoice{0, 540}));
    EXPECT_TRUE(desk.questions.empty());
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(r.graph.picture().cacheKey(), shown);
    EXPECT_EQ(s(r.GraphPic_Path), s(one));
    EXPECT_EQ(r.grid(1).rowCount(), 2);

    // Page 3 at 100 dpi; the question about the points follows the choice.
    desk.pdfChoices.push_back(PdfPageChoice{2, 100});
    ASSERT_TRUE(f.Open_Pic(three));
    EXPECT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(s(r.GraphPic_Path), s(three + QStringLiteral("#page=3")));
    EXPECT_EQ(r.graph.picture().size(), QSize(556, 417)); // 400 x 300 points at 100 dpi, rounded up
    EXPECT_EQ(shownPage(), 3);

    // A path naming its page opens it without asking, by every way in.
    desk.pdfOffers.clear();
    f.Drop_Files(three + QStringLiteral("#page=2"));
    EXPECT_TRUE(desk.pdfOffers.empty());
    EXPECT_EQ(s(r.GraphPic_Path), s(three + QStringLiteral("#page=2")));
    EXPECT_EQ(shownPage(), 2);
    // A dropped PDF of several pages asks.
    f.dropFiles({three});
    EXPECT_EQ(desk.pdfOffers.size(), 1u);
    EXPECT_EQ(s(r.GraphPic_Path), s(three + QStringLiteral("#page=2")));
    EXPECT_TRUE(Main_MDI_Form::openFileFilter().contains(QStringLiteral("*.pdf")));
}

TEST_F(Pdf, HostileFilesLeaveTheReadingUntouched)
{
    const QString good = pdf(QStringLiteral("good.pdf"), 3);
    const QByteArray bytes = readAll(good);
    const QString shownPath = good + QStringLiteral("#page=2");
    ASSERT_TRUE(f.Open_Pic(shownPath));
    const qint64 shown = r.graph.picture().cacheKey();

    struct Case {
        const char *name;
        QByteArray bytes;
    };
    QByteArray damaged = bytes;
    for (qsizetype i = damaged.size() / 4; i < damaged.size(); i += 7)
        damaged[i] = char(0xA5 ^ i);
    QImage png(30, 20, QImage::Format_RGB32);
    png.fill(Qt::red);
    QByteArray pngBytes;
    {
        QBuffer buf(&pngBytes);
        buf.open(QIODevice::WriteOnly);
        png.save(&buf, "PNG");
    }
    const std::vector<Case> cases = {
        {"truncated.pdf", bytes.left(bytes.size() / 2)},
        {"header-only.pdf", bytes.left(9)},
        {"damaged.pdf", damaged},
        {"picture.pdf", pngBytes},
        {"empty.pdf", QByteArray()},
        {"text.pdf", QByteArray("just some text, no %PDF in sight\n").repeated(10)},
        {"absurd.pdf", handMadePdf("0 0 1000000 1000000")},
        {"flat.pdf", handMadePdf("0 0 400 0")},
        {"wide.pdf", handMadePdf("0 0 20000 300")},
    };
    for (const Case &c : cases) {
        const QString p = path(QLatin1String(c.name));
        writeAll(p, c.bytes);
        desk.messages.clear();
        EXPECT_FALSE(f.Open_Pic(p)) << c.name;
        ASSERT_EQ(desk.messages.size(), 1u) << c.name;
        EXPECT_EQ(s(desk.messages[0].text), s(Main_MDI_Form::invalidPictureText())) << c.name;
        EXPECT_EQ(r.graph.picture().cacheKey(), shown) << c.name;
        EXPECT_EQ(s(r.GraphPic_Path), s(shownPath)) << c.name;
    }
    // A FIFO and a folder named .pdf are refused without being read.
    const QString fifo = path(QStringLiteral("fifo.pdf"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QDir().mkpath(path(QStringLiteral("folder.pdf")));
    for (const QString &p : {fifo, path(QStringLiteral("folder.pdf")), path(QStringLiteral("missing.pdf"))}) {
        desk.messages.clear();
        EXPECT_FALSE(f.Open_Pic(p)) << s(p);
        EXPECT_EQ(desk.messageCount(Main_MDI_Form::invalidPictureText()), 1) << s(p);
        EXPECT_EQ(r.graph.picture().cacheKey(), shown);
    }
    // A well-formed page of ordinary size from the same generator opens.
    writeAll(path(QStringLiteral("fine.pdf")), handMadePdf("0 0 400 300"));
    EXPECT_TRUE(f.Open_Pic(path(QStringLiteral("fine.pdf"))));
    ASSERT_TRUE(f.Open_Pic(shownPath));

    // A page beyond the last, and a page chooser answering nonsense.
    desk.messages.clear();
    EXPECT_FALSE(f.Open_Pic(good + QStringLiteral("#page=4")));
    desk.pdfChoices.push_back(PdfPageChoice{7, 100});
    EXPECT_FALSE(f.Open_Pic(good));
    EXPECT_EQ(desk.messageCount(Main_MDI_Form::invalidPictureText()), 2);
    EXPECT_EQ(s(r.GraphPic_Path), s(shownPath));
}

TEST_F(Pdf, PasswordProtectedFilesAreRefusedWithoutAsking)
{
    const QString qpdf = QStandardPaths::findExecutable(QStringLiteral("qpdf"));
    if (qpdf.isEmpty())
        GTEST_SKIP() << "qpdf (makes the protected file) is not installed";
    const QString plain = pdf(QStringLiteral("plain.pdf"));
    const QString locked = path(QStringLiteral("locked.pdf"));
    QProcess proc;
    proc.start(qpdf, {QStringLiteral("--encrypt"), QStringLiteral("user"), QStringLiteral("owner"),
                      QStringLiteral("256"), QStringLiteral("--"), plain, locked});
    ASSERT_TRUE(proc.waitForFinished(30000));
    ASSERT_EQ(proc.exitCode(), 0) << proc.readAllStandardError().toStdString();
    ASSERT_TRUE(f.Open_Pic(plain));
    const qint64 shown = r.graph.picture().cacheKey();
    EXPECT_FALSE(f.Open_Pic(locked));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(desk.messages[0].text), s(protectedPdfText()));
    EXPECT_TRUE(desk.inputs.empty() && desk.questions.empty()); // no password asked
    EXPECT_EQ(r.graph.picture().cacheKey(), shown);
    EXPECT_EQ(PdfDocument::open(locked).error(), PictureError::Protected);
    EXPECT_EQ(decodePicture(locked).error(), PictureError::Protected);
}

// Clicks on the crosses of the rendered chart give the values they were drawn
// at, whatever the resolution.
TEST_F(Pdf, ClicksOnARenderedPageReadTheDrawnValuesAtAnyResolution)
{
    const QString three = pdf(QStringLiteral("chart.pdf"), 3);
    for (int dpi : {100, 300}) {
        SCOPED_TRACE(dpi);
        desk.pdfChoices.push_back(PdfPageChoice{0, dpi});
        ASSERT_TRUE(f.Open_Pic(three));
        const QImage img = r.graph.picture();
        const int W = img.width(), H = img.height();
        const double k = dpi / 72.0; // pixels per point
        ASSERT_EQ(W, int(std::ceil(PdfChart::kWidth * k)));
        auto px = [k](double pt) { return int(pt * k); };
        // The frame's lines, found in the pixels, away from the crosses.
        const int left = darkestColumn(img, px(PdfChart::kLeft - 3), px(PdfChart::kLeft + 3), px(60), px(240));
        const int right = darkestColumn(img, px(PdfChart::kRight - 3), px(PdfChart::kRight + 3), px(60), px(240));
        const int top = darkestRow(img, px(PdfChart::kTop - 3), px(PdfChart::kTop + 3), px(60), px(340));
        const int bottom = darkestRow(img, px(PdfChart::kBottom - 3), px(PdfChart::kBottom + 3), px(60), px(340));
        auto fx = [W](int c) { return (c + 0.5) / W; };
        auto fy = [H](int row) { return 1 - (row + 0.5) / H; };
        const QString L = QString::number(fx(left), 'g', 10), R = QString::number(fx(right), 'g', 10);
        const QString T = QString::number(fy(top), 'g', 10), B = QString::number(fy(bottom), 'g', 10);
        const QString pos[8] = {L, B, L, T, R, T, R, B};
        for (int i = 0; i < 8; ++i)
            r.panel.setPos(CalibPanel::PosBox(i), pos[i]);
        r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("0"));
        r.panel.setVal(CalibPanel::LLY_VLText, QStringLiteral("0"));
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("100"));
        r.setDfntDone(true);

        Graph_Form g{r};
        g.setPictureSize(W, H);
        const auto points = PdfChart::points();
        for (const auto &pt : points) {
            const double cx = PdfChart::pageX(pt.x), cy = PdfChart::pageY(pt.y);
            // The cross's strokes, 2..4 points from its centre (clear of the other stroke).
            const int col = darkestColumn(img, px(cx - 1.5), px(cx + 1.5), px(cy + 2), px(cy + 3.5));
            const int row = darkestRow(img, px(cy - 1.5), px(cy + 1.5), px(cx + 2), px(cx + 3.5));
            g.mouseUp(Graph_Form::LeftButton, float(fx(col)), float(fy(row)));
        }
        ASSERT_EQ(r.grid(1).rowCount(), int(points.size()) + 1);
        // Half a pixel of the coarser rendering is 0.012 of X and 0.18 of Y.
        const double tolX = dpi == 100 ? 0.03 : 0.012, tolY = dpi == 100 ? 0.4 : 0.15;
        for (size_t i = 0; i < points.size(); ++i) {
            EXPECT_NEAR(r.grid(1).cell(int(i) + 1, SeriesTable::ColX).toDouble(), points[i].x, tolX) << i;
            EXPECT_NEAR(r.grid(1).cell(int(i) + 1, SeriesTable::ColY).toDouble(), points[i].y, tolY) << i;
        }
    }
}

TEST_F(Pdf, ReadingFilesKeepThePageAndReopenIdenticallyAtAnotherResolution)
{
    QDir().mkpath(path(QStringLiteral("papers")));
    const QString three = pdf(QStringLiteral("papers/fig.pdf"), 3);
    desk.pdfChoices.push_back(PdfPageChoice{2, 100});
    ASSERT_TRUE(f.Open_Pic(three));
    orv::testing::setDiagonalFrame(r);
    Graph_Form g{r};
    g.setPictureSize(r.graph.picture().width(), r.graph.picture().height());
    for (float x : {0.21f, 0.5f, 0.77f})
        g.mouseUp(Graph_Form::LeftButton, x, 1 - x * 0.9f);
    const QStringList cells = [this] {
        QStringList out;
        for (int row = 1; row < r.grid(1).rowCount(); ++row)
            out << r.grid(1).cell(row, SeriesTable::ColX) + u' ' + r.grid(1).cell(row, SeriesTable::ColY);
        return out;
    }();
    ASSERT_EQ(cells.size(), 3);
    const QByteArray saved = stateFileBytes(r);
    // Line 2: the path as stored (relative to the program folder) and the page.
    EXPECT_EQ(saved.split('\n').value(1).trimmed().toStdString(), "Graph Picture :\\papers\\fig.pdf#page=3");
    const QString state = path(QStringLiteral("fig.orvd"));
    writeAll(state, saved);

    // Reopened: the page renders at its default resolution, the values are the same.
    ScriptedDesktop desk2;
    Reading r2{&desk2};
    Main_MDI_Form f2{r2};
    r2.programFolder = dir.path();
    f2.MDIForm_Load();
    auto parsed = readStateFile(state);
    ASSERT_TRUE(parsed);
    applyStateFile(r2, *parsed, LoadOptions{});
    EXPECT_TRUE(desk2.messages.empty()) << (desk2.messages.empty() ? "" : s(desk2.messages[0].text));
    ASSERT_TRUE(r2.graph.loaded());
    EXPECT_EQ(r2.graph.picture().size(), QSize(3000, 2250));
    EXPECT_EQ(s(r2.GraphPic_Path), s(three + QStringLiteral("#page=3")));
    QStringList again;
    for (int row = 1; row < r2.grid(1).rowCount(); ++row)
        again << r2.grid(1).cell(row, SeriesTable::ColX) + u' ' + r2.grid(1).cell(row, SeriesTable::ColY);
    EXPECT_EQ(again, cells);
    EXPECT_TRUE(desk2.pdfOffers.empty()); // the page is named: no chooser
    EXPECT_TRUE(f2.zoom.hasPdfSource());

    // export reads the points without the picture and finds the page's file.
    auto exportJson = [this](const QString &file, QString &errText) {
        QString outText;
        QTextStream out(&outText), err(&errText);
        const int code = runExportCommand({file, QStringLiteral("--format"), QStringLiteral("json")}, out, err,
                                          dir.path());
        out.flush();
        err.flush();
        EXPECT_EQ(code, 0) << s(errText);
        return outText;
    };
    QString errText;
    const QString json = exportJson(state, errText);
    EXPECT_TRUE(errText.isEmpty()) << s(errText);
    EXPECT_TRUE(json.contains(QStringLiteral("fig.pdf#page=3"))) << s(json);

    // Moved together with its reading, the PDF is found beside it, page included.
    const QString moved = path(QStringLiteral("elsewhere"));
    QDir().mkpath(moved);
    ASSERT_TRUE(QFile::rename(three, moved + QStringLiteral("/fig.pdf")));
    ASSERT_TRUE(QFile::rename(state, moved + QStringLiteral("/fig.orvd")));
    ScriptedDesktop desk3;
    Reading r3{&desk3};
    r3.programFolder = dir.path();
    auto parsed3 = readStateFile(moved + QStringLiteral("/fig.orvd"));
    ASSERT_TRUE(parsed3);
    const LoadReport rep = applyStateFile(r3, *parsed3, LoadOptions{});
    EXPECT_EQ(s(rep.pictureBeside), s(moved + QStringLiteral("/fig.pdf#page=3")));
    EXPECT_TRUE(r3.graph.loaded());
    errText.clear();
    exportJson(moved + QStringLiteral("/fig.orvd"), errText);
    EXPECT_FALSE(errText.contains(QStringLiteral("画像ファイルがありません"))) << s(errText);
}

// Pages removed from the PDF since the reading was saved: the frame and the
// points open without the picture, the message names the page, and the
// reading still names it (saved again, the file is the same).
TEST_F(Pdf, AReadingWhosePageIsGoneOpensItsPointsAndNamesThePage)
{
    const QString four = pdf(QStringLiteral("four.pdf"), 4);
    desk.pdfChoices.push_back(PdfPageChoice{3, 100});
    ASSERT_TRUE(f.Open_Pic(four));
    orv::testing::setDiagonalFrame(r);
    Graph_Form g{r};
    g.setPictureSize(r.graph.picture().width(), r.graph.picture().height());
    for (float x : {0.3f, 0.6f})
        g.mouseUp(Graph_Form::LeftButton, x, x);
    const QByteArray saved = stateFileBytes(r);
    const QString state = path(QStringLiteral("four.orvd"));
    writeAll(state, saved);
    ASSERT_TRUE(orv::testing::writePdf(four, 2)); // pages 3 and 4 removed

    for (bool window : {true, false}) {
        SCOPED_TRACE(window ? "window" : "headless");
        ScriptedDesktop desk2;
        Reading r2{&desk2};
        Main_MDI_Form f2{r2};
        r2.programFolder = dir.path();
        f2.MDIForm_Load();
        LoadReport rep;
        if (window) {
            ASSERT_EQ(Load_State(r2, state), LoadResult::Loaded);
            ASSERT_EQ(desk2.messages.size(), 1u);
            const QString text = desk2.messages[0].text;
            EXPECT_TRUE(text.contains(QStringLiteral("4 ページ目"))) << s(text);
            EXPECT_TRUE(text.contains(QStringLiteral("全 2 ページ"))) << s(text);
            EXPECT_TRUE(text.contains(QDir::toNativeSeparators(four))) << s(text);
            EXPECT_EQ(desk2.messageCount(statetext::text(statetext::kBadPicture)), 0);
        } else {
            auto parsed = readStateFile(state);
            ASSERT_TRUE(parsed);
            LoadOptions headless;
            headless.openPicture = false;
            rep = applyStateFile(r2, *parsed, headless);
            EXPECT_TRUE(rep.ok);
            EXPECT_EQ(rep.missingPage, 4);
            EXPECT_EQ(rep.pageCount, 2);
        }
        EXPECT_FALSE(r2.graph.loaded());
        EXPECT_EQ(r2.grid(1).rowCount(), 3);
        EXPECT_EQ(r2.grid(1).cell(1, SeriesTable::ColX), r.grid(1).cell(1, SeriesTable::ColX));
        EXPECT_EQ(s(r2.GraphPic_Path), s(four + QStringLiteral("#page=4")));
        EXPECT_EQ(stateFileBytes(r2).toStdString(), saved.toStdString());
    }
    // export says so too, and exports the points.
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    EXPECT_EQ(runExportCommand({state, QStringLiteral("--format"), QStringLiteral("json")}, out, err, dir.path()), 0);
    err.flush();
    EXPECT_TRUE(errText.contains(QStringLiteral("4 ページ目"))) << s(errText);
}

TEST_F(Pdf, ZoomViewRendersWhatItShowsSharpFromThePage)
{
    const QString one = pdf(QStringLiteral("chart.pdf"));
    ASSERT_TRUE(f.Open_Pic(one));
    r.settings.zoom.setText(QStringLiteral("20"));
    f.Zoom_Combo_Click();
    ZoomView &z = f.zoom;
    ASSERT_TRUE(z.hasPdfSource());
    ASSERT_TRUE(z.imageVisible());
    // The pointer on the frame's left line, between two grid lines.
    const double fx = PdfChart::kLeft / PdfChart::kWidth, fy = 0.47;
    z.Move_ZoomImage(fx, fy);
    QElapsedTimer t;
    t.start();
    while (!z.sharpTile() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const ZoomView::SharpTile *tile = z.sharpTile();
    ASSERT_TRUE(tile);
    const QSizeF area = z.areaPx();
    // It covers the visible area and sits where the magnified picture does.
    EXPECT_LE(tile->at.x(), 0);
    EXPECT_LE(tile->at.y(), 0);
    EXPECT_GE(tile->at.x() + tile->image.width(), area.width());
    EXPECT_GE(tile->at.y() + tile->image.height(), area.height());
    // The 0.4 point frame line at 20 x 540 dpi is 60 pixels wide, with sharp
    // edges: at most two pixels of each edge are neither paper nor ink, where
    // the magnified pixels smear each edge over 20.
    const int row = int(area.height() / 2 - tile->at.y());
    int between = 0, ink = 0;
    for (int x = 0; x < tile->image.width(); ++x) {
        const int v = grey(tile->image, x, row);
        between += v > 40 && v < 215;
        ink += v <= 40;
    }
    EXPECT_LE(between, 4);
    EXPECT_NEAR(ink, 0.4 / 72 * 540 * 20, 4);
    // The line is under the cross-hair, as in the magnified picture.
    const int centre = int(area.width() / 2 - tile->at.x());
    EXPECT_LE(grey(tile->image, centre, row), 40);

    // Moved onto the hairline: the old tile no longer fits and is not shown
    // until the new one comes; there the hairline is one or two pixels wide
    // (the magnified pixels make it 20).
    z.Move_ZoomImage(PdfChart::kHairlineX / PdfChart::kWidth, fy);
    EXPECT_FALSE(z.sharpTile());
    t.restart();
    while (!z.sharpTile() && t.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    tile = z.sharpTile();
    ASSERT_TRUE(tile);
    int hair = 0;
    for (int x = 0; x < tile->image.width(); ++x)
        hair += grey(tile->image, x, row) < 215;
    EXPECT_GE(hair, 1);
    EXPECT_LE(hair, 2);

    // An ordinary picture has no page to render from.
    QImage plain(40, 30, QImage::Format_RGB32);
    plain.fill(Qt::white);
    ASSERT_TRUE(plain.save(path(QStringLiteral("plain.png"))));
    ASSERT_TRUE(f.Open_Pic(path(QStringLiteral("plain.png"))));
    EXPECT_FALSE(z.hasPdfSource());
    z.Move_ZoomImage(0.5, 0.5);
    EXPECT_FALSE(z.sharpTile());
    EXPECT_TRUE(z.regionRenderer().idle());
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
