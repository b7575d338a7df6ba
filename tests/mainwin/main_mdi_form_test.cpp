#include "mainwin/main_mdi_form.h"
#include "model/reading.h"
#include "statefile/state_file.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

struct Form : ::testing::Test {
    ScriptedDesktop desk;
    Reading r{&desk};
    Main_MDI_Form f{r};
    QTemporaryDir dir;
    QStringList loadedStates;
    int saves = 0;

    void SetUp() override
    {
        r.programFolder = dir.path();
        f.onLoadState = [this](const QString &p) {
            loadedStates << p;
            return false;
        };
        f.onSaveState = [this] { ++saves; };
        f.MDIForm_Load();
    }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString p = dir.filePath(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile file(p);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return p;
    }
    static QByteArray encoded(const char *format, int w = 40, int h = 30)
    {
        QImage img(w, h, QImage::Format_RGB32);
        img.fill(Qt::white);
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        img.save(&buf, format);
        return bytes;
    }
    QString picture(const QString &name, const char *format = "png", int w = 40, int h = 30)
    {
        return write(name, encoded(format, w, h));
    }
    void setPos(CalibPanel::PosBox b, const char *t) { r.panel.setPos(b, QString::fromLatin1(t)); }
    QString pos(CalibPanel::PosBox b) const { return r.panel.pos(b); }
    // A point in series `s`, as a click adds it.
    void addPoint(int series)
    {
        const int id = r.Get_FreePtNo();
        r.Put_PtImage(series, 0.5f, 0.5f, id);
        r.Set_GridPt(series, QStringLiteral("Add"), id);
    }
};

} // namespace

TEST_F(Form, LoadSetsCaptionDefaultsAndStatus)
{
    EXPECT_EQ(s(r.mainCaption()), "Orvalinetrix    Version " + s(Reading::versionText()));
    EXPECT_EQ(s(r.statusText()), s(Main_MDI_Form::startStatusText()));
    EXPECT_EQ(r.panel.selectedTab(), 1);
    EXPECT_EQ(s(r.settings.zoom.text()), "5");
    EXPECT_FALSE(f.zoom.imageVisible());
    EXPECT_TRUE(s(f.hintPicturePath()).ends_with("/img/2pt.bmp"));
}

TEST_F(Form, TextInptDerivesCornersInTheDiagonalMode)
{
    r.panel.setHighlighted(CalibPanel::LUX_Text, true);
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.2");
    EXPECT_EQ(s(pos(CalibPanel::LUX_Text)), "0.1");
    EXPECT_EQ(s(pos(CalibPanel::RLY_Text)), "0.2");
    EXPECT_EQ(s(pos(CalibPanel::LUY_Text)), "");
    EXPECT_EQ(s(pos(CalibPanel::RLX_Text)), "");
    EXPECT_FALSE(r.Dfnt_Done);
    EXPECT_TRUE(r.panel.highlighted(CalibPanel::LUX_Text));

    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.8");
    EXPECT_EQ(s(pos(CalibPanel::LUY_Text)), "0.8");
    EXPECT_EQ(s(pos(CalibPanel::RLX_Text)), "0.9");
    EXPECT_TRUE(r.Dfnt_Done);
    EXPECT_FALSE(r.panel.highlighted(CalibPanel::LUX_Text)); // colours back to normal

    // Moving a corner keeps the derived ones in step; emptying a box does not
    // undo the completed frame.
    setPos(CalibPanel::LLX_Text, "0.15");
    EXPECT_EQ(s(pos(CalibPanel::LUX_Text)), "0.15");
    setPos(CalibPanel::RUY_Text, "");
    EXPECT_EQ(s(pos(CalibPanel::LUY_Text)), "");
    EXPECT_TRUE(r.Dfnt_Done);
}

TEST_F(Form, TextInptInTheFourPointModeNeedsAllEightBoxes)
{
    r.panel.selectTab(2);
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.2");
    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.8");
    EXPECT_EQ(s(pos(CalibPanel::LUX_Text)), "");
    EXPECT_FALSE(r.Dfnt_Done);
    setPos(CalibPanel::LUX_Text, "0.12");
    setPos(CalibPanel::LUY_Text, "0.79");
    setPos(CalibPanel::RLX_Text, "0.88");
    EXPECT_FALSE(r.Dfnt_Done);
    setPos(CalibPanel::RLY_Text, "0.21");
    EXPECT_TRUE(r.Dfnt_Done);
    EXPECT_EQ(s(pos(CalibPanel::LUX_Text)), "0.12"); // nothing derived over them
}

TEST_F(Form, ModeSwitchPlacesAndHidesTheDerivedMarkers)
{
    std::vector<bool> modes;
    QObject::connect(&f, &Main_MDI_Form::modeChanged, [&](bool d) { modes.push_back(d); });
    r.showPicture(QImage(10, 10, QImage::Format_RGB32), QStringLiteral("p.png"));
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.2");
    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.8");

    r.panel.selectTab(2);
    EXPECT_EQ(modes, std::vector<bool>{false});
    EXPECT_TRUE(s(f.hintPicturePath()).ends_with("/img/4pt.bmp"));
    const GraphModel &g = r.graph;
    ASSERT_TRUE(g.dfnt(LU).visible);
    EXPECT_FLOAT_EQ(g.dfnt(LU).left, 0.1f - g.markerWidth / 2);
    EXPECT_FLOAT_EQ(g.dfnt(LU).top, 0.8f + g.markerHeight / 2);
    ASSERT_TRUE(g.dfnt(RL).visible);
    EXPECT_FLOAT_EQ(g.dfnt(RL).left, 0.9f - g.markerWidth / 2);
    EXPECT_FLOAT_EQ(g.dfnt(RL).top, 0.2f + g.markerHeight / 2);

    // Back to the diagonal mode: derived markers hidden, the outline redrawn
    // through the derived corners.
    setPos(CalibPanel::LUX_Text, "0.3");
    r.panel.selectTab(1);
    EXPECT_FALSE(g.dfnt(LU).visible);
    EXPECT_FALSE(g.dfnt(RL).visible);
    EXPECT_EQ(s(pos(CalibPanel::LUX_Text)), "0.1");
    ASSERT_EQ(g.frameLines().size(), 4u);
    EXPECT_EQ(g.frameLines()[0], QLineF(0.1f, 0.2f, 0.1f, 0.8f));
}

TEST_F(Form, FourPointModeWithOneCornerShowsNoDerivedMarker)
{
    r.showPicture(QImage(10, 10, QImage::Format_RGB32), QStringLiteral("p.png"));
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.2");
    r.panel.selectTab(2);
    EXPECT_FALSE(r.graph.dfnt(LU).visible);
    EXPECT_FALSE(r.graph.dfnt(RL).visible);
    // The filled half still places the marker for later.
    EXPECT_FLOAT_EQ(r.graph.dfnt(LU).left, 0.1f - r.graph.markerWidth / 2);
}

TEST_F(Form, LogCheckReplacesValuesThatCannotBeLogarithmic)
{
    const std::string msg = "対数(Log)軸で0又は0以下の指定は出来ません。\r(暫定的に0.01に変更します。)";
    for (const char *bad : {"0", "-1", "abc", "", "0.0"}) {
        desk.messages.clear();
        r.panel.setXLog(false);
        r.panel.setVal(CalibPanel::LLX_VLText, QString::fromLatin1(bad));
        f.X_Log_Option_Click();
        ASSERT_EQ(desk.messages.size(), 1u) << bad;
        EXPECT_EQ(s(desk.messages[0].text), msg);
        EXPECT_EQ(s(r.panel.val(CalibPanel::LLX_VLText)), "0.01") << bad;
        EXPECT_TRUE(r.panel.xLog());
    }
    desk.messages.clear();
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("5"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("0")); // not tested here
    f.X_Log_Option_Click();
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_EQ(s(r.panel.val(CalibPanel::LLX_VLText)), "5");

    // The Y axis checks its own lower-left value only.
    r.panel.setVal(CalibPanel::LLY_VLText, QStringLiteral("0"));
    f.Y_Lnr_Option_Click();
    EXPECT_TRUE(desk.messages.empty());
    f.Y_Log_Option_Click();
    EXPECT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(r.panel.val(CalibPanel::LLY_VLText)), "0.01");
    EXPECT_EQ(s(r.panel.val(CalibPanel::LLX_VLText)), "5");
    f.X_Lnr_Option_Click();
    EXPECT_FALSE(r.panel.xLog());
    EXPECT_EQ(desk.messages.size(), 1u);
}

TEST_F(Form, ResizeRules)
{
    using WS = Main_MDI_Form::WindowState;
    auto l = f.MDIForm_Resize(WS::Normal, 9000, 11000);
    EXPECT_TRUE(l.sizeRaised);
    EXPECT_EQ(l.heightTwips, 10000);
    EXPECT_EQ(l.widthTwips, 12000);

    l = f.MDIForm_Resize(WS::Normal, 12000, 16000);
    EXPECT_FALSE(l.sizeRaised);
    EXPECT_EQ(l.windwFrameHeight, 3225);
    EXPECT_EQ(l.zoomPictureHeight, 2595);
    EXPECT_EQ(l.openFrameWidth, 15765);
    EXPECT_EQ(l.picLabelWidth, 12735);
    EXPECT_EQ(l.clipPasteLeft, 13740);

    l = f.MDIForm_Resize(WS::Normal, 13000, 17000);
    EXPECT_EQ(l.zoomPictureHeight, 3595);
    EXPECT_EQ(l.windwFrameHeight, 4225);
    EXPECT_EQ(l.openFrameWidth, 16765);
    EXPECT_EQ(l.picLabelWidth, 13735);
    EXPECT_EQ(l.clipPasteLeft, 14740);
    EXPECT_DOUBLE_EQ(f.zoom.areaHeightTwips(), 3595);

    // Maximised: no minimum, controls still follow (never below nothing).
    l = f.MDIForm_Resize(WS::Maximized, 9000, 11000);
    EXPECT_FALSE(l.sizeRaised);
    EXPECT_EQ(l.heightTwips, 9000);
    EXPECT_EQ(l.windwFrameHeight, 225);
    EXPECT_EQ(l.zoomPictureHeight, 0);
    EXPECT_EQ(l.openFrameWidth, 10765);

    // Minimised: the controls keep their sizes, the zoom view is re-established.
    f.MDIForm_Resize(WS::Normal, 13000, 16000);
    const ZoomRect circleBefore = f.zoom.circle();
    l = f.MDIForm_Resize(WS::Minimized, 500, 3000);
    EXPECT_EQ(l.zoomPictureHeight, 3595);
    EXPECT_EQ(f.zoom.circle(), circleBefore);
}

TEST_F(Form, SeriesComboOpensTablesOnlyWithAPicture)
{
    r.settings.keiretsu.setIndex(2);
    EXPECT_FALSE(r.grid(3).loaded());
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("a.png"))));
    r.settings.keiretsu.setIndex(2);
    EXPECT_TRUE(r.grid(3).loaded());
    EXPECT_EQ(r.Grid_Opened[3], -1);
    r.Grid_Opened[3] = 0;
    r.settings.keiretsu.setIndex(2); // already open: not touched
    EXPECT_EQ(r.Grid_Opened[3], 0);
    r.Init_Done = false;
    r.settings.keiretsu.setIndex(4);
    EXPECT_FALSE(r.grid(5).loaded());
}

TEST_F(Form, DispatchByTheLastExtension)
{
    for (const char *name : {"Chart.JPG", "chart.old.jpg", "fig.3.2.png", "c.JPEG", "c.gif", "c.bmp"}) {
        const QString p = picture(QString::fromLatin1(name), "png");
        f.Drop_Files(p);
        EXPECT_TRUE(r.graph.loaded()) << name;
        EXPECT_EQ(s(r.GraphPic_Path), s(p)) << name;
        r.unloadGraph();
    }
    EXPECT_TRUE(desk.messages.empty());

    f.Drop_Files(dir.filePath(QStringLiteral("my.graph.orvd")));
    ASSERT_EQ(loadedStates.size(), 1);
    EXPECT_TRUE(s(loadedStates[0]).ends_with("my.graph.orvd"));

    // Other kinds are refused with a message that names the file.
    for (const char *name : {"notes.txt", "picture.jpg.txt", "README", "archive.orvd.bak", "scan.tiff"}) {
        desk.messages.clear();
        f.Drop_Files(picture(QString::fromLatin1(name)));
        ASSERT_EQ(desk.messages.size(), 1u) << name;
        EXPECT_EQ(s(desk.messages[0].text), s(Main_MDI_Form::unsupportedFileText().arg(QString::fromLatin1(name))));
    }
    EXPECT_TRUE(s(Main_MDI_Form::unsupportedFileText()).starts_with("エラー！(No.1)"));
    EXPECT_FALSE(r.graph.loaded());
    EXPECT_EQ(loadedStates.size(), 1);
    desk.messages.clear();

    f.onLoadState = nullptr; // not connected yet: nothing happens
    f.Drop_Files(dir.filePath(QStringLiteral("x.orvd")));
}

TEST_F(Form, DropsTakeTheFirstFile)
{
    const QString a = picture(QStringLiteral("a.png")), b = picture(QStringLiteral("b.png"));
    r.dropFiles({});
    EXPECT_FALSE(r.graph.loaded());
    r.dropFiles({dir.filePath(QStringLiteral("s.orvd")), a});
    EXPECT_FALSE(r.graph.loaded());
    EXPECT_EQ(loadedStates.size(), 1);
    f.dropFiles({b, a});
    EXPECT_EQ(s(r.GraphPic_Path), s(b));
}

TEST_F(Form, OpenCommandResetsNothingBeforeTheFileIsKnown)
{
    // Cancelled: nothing happens at all.
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("a.png"))));
    setPos(CalibPanel::LLX_Text, "0.1");
    r.settings.zoom.setIndex(11);
    f.BrowsCommand_Click();
    ASSERT_EQ(desk.dialogTitles.size(), 1u);
    EXPECT_EQ(s(desk.dialogTitles[0]), "状態設定ファイル、画像ファイルを開く");
    EXPECT_EQ(s(r.settings.zoom.text()), "20");

    // A reading file goes to its loader, which checks it before it replaces
    // the reading.
    desk.fileNames.push_back(dir.filePath(QStringLiteral("r.orvd")));
    f.runCommand(QStringLiteral("Open_File_Mn1"));
    EXPECT_EQ(loadedStates.size(), 1);
    EXPECT_EQ(s(pos(CalibPanel::LLX_Text)), "0.1");

    // An unknown kind: its message, and the reading as it was.
    desk.fileNames.push_back(picture(QStringLiteral("n.txt")));
    f.runCommand(QStringLiteral("Open_GraphPic_Mn"));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(desk.messages[0].text), s(Main_MDI_Form::unsupportedFileText().arg(QStringLiteral("n.txt"))));
    EXPECT_EQ(s(r.settings.zoom.text()), "20");
    EXPECT_EQ(s(pos(CalibPanel::LLX_Text)), "0.1");
    EXPECT_TRUE(r.graph.loaded());
    EXPECT_TRUE(r.grid(1).loaded());
    // The double-click opens the same way.
    r.settings.zoom.setIndex(11);
    desk.fileNames.push_back(dir.filePath(QStringLiteral("r.orvd")));
    f.MDIForm_DblClick();
    EXPECT_EQ(s(r.settings.zoom.text()), "20");
    EXPECT_EQ(loadedStates.size(), 2);

    desk.fileNames.push_back(dir.filePath(QStringLiteral("s.orvd")));
    f.runCommand(QStringLiteral("Saved_File_Open_Mn"));
    EXPECT_EQ(s(desk.dialogTitles.back()), "状態設定ファイルを開く");
    EXPECT_EQ(s(r.settings.zoom.text()), "20");
    ASSERT_EQ(loadedStates.size(), 3);
    EXPECT_TRUE(s(loadedStates[2]).ends_with("s.orvd"));
}

TEST_F(Form, OpenPicShowsThePictureAndTable)
{
    QString sub = picture(QStringLiteral("charts/fig.3.2.png"), "png", 434, 173);
    int shown = 0;
    QObject::connect(&r, &Reading::pictureShown, [&] { ++shown; });
    ASSERT_TRUE(f.Open_Pic(sub));
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(s(r.GraphPic_Path), s(sub));
    EXPECT_EQ(s(r.picLabel()), "/charts/fig.3.2.png");
    EXPECT_EQ(s(r.picLabelToolTip()), s(sub));
    EXPECT_TRUE(r.graph.loaded());
    EXPECT_EQ(s(r.graph.caption()), "fig.3.2.png");
    EXPECT_EQ(r.graph.picture().size(), QSize(434, 173));
    EXPECT_TRUE(r.grid(1).loaded());
    EXPECT_EQ(s(r.statusText()), s(Main_MDI_Form::openedStatusText()));
    EXPECT_FALSE(r.Dfnt_Done);
    // 434 x 173 pixels is 2 x 1 zoom areas of the design size.
    EXPECT_NEAR(r.Pic_Width, 2.0, 1e-3);
    EXPECT_NEAR(r.Pic_Height, 1.0, 1e-3);
    EXPECT_NEAR(f.zoom.image().width, 10.0, 1e-2);
    EXPECT_TRUE(f.zoom.imageVisible());
    EXPECT_TRUE(desk.messages.empty());

    // Outside the program's folder the label shows the whole path; a folder
    // whose name merely starts like the program's is outside it too.
    const QString elsewhere = dir.path() + QStringLiteral("-other/p.png");
    QDir().mkpath(QFileInfo(elsewhere).absolutePath());
    {
        QFile pf(elsewhere);
        pf.open(QIODevice::WriteOnly);
        pf.write(encoded("png"));
    }
    ASSERT_TRUE(f.Open_Pic(elsewhere));
    EXPECT_EQ(s(r.picLabel()), s(elsewhere));
    QDir(QFileInfo(elsewhere).absolutePath()).removeRecursively();
}

TEST_F(Form, OpenRefusesBadFilesAndStaysUsable)
{
    const std::string invalid = "エラー！(No.1)(不正な画像ファイルです。)";
    const QString good = picture(QStringLiteral("good.png"));

    // Not regular files: refused without reading them; the reading stays.
    ASSERT_TRUE(f.Open_Pic(good));
    setPos(CalibPanel::LLX_Text, "0.1");
    QDir(dir.path()).mkdir(QStringLiteral("x.jpg"));
    const QString fifo = dir.filePath(QStringLiteral("y.bmp"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString &p : {dir.filePath(QStringLiteral("x.jpg")), fifo, dir.filePath(QStringLiteral("gone.png"))}) {
        desk.messages.clear();
        f.Drop_Files(p);
        ASSERT_EQ(desk.messages.size(), 1u) << s(p);
        EXPECT_EQ(s(desk.messages[0].text), invalid);
        EXPECT_TRUE(r.graph.loaded());
        EXPECT_EQ(s(r.GraphPic_Path), s(good));
        EXPECT_EQ(s(pos(CalibPanel::LLX_Text)), "0.1");
    }

    // Files that cannot be decoded: the message, and the reading with its
    // points, boxes, windows and settings exactly as it was; no discard
    // question is asked for a picture that will not replace anything.
    QByteArray jpeg = encoded("jpg", 200, 150);
    const QString truncated = write(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() / 2));
    const QString empty = write(QStringLiteral("empty.bmp"), QByteArray());
    const QString text = write(QStringLiteral("text.gif"), "GIF? no, just text");
    setPos(CalibPanel::LLY_Text, "0.1");
    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.9");
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
    addPoint(1);
    addPoint(2);
    r.settings.zoom.setIndex(11);
    r.settings.xFormat.setIndex(3);
    const QImage shown = r.graph.picture();
    const std::vector<QString> records(r.Pt_Array.begin(), r.Pt_Array.end());
    for (const QString &p : {truncated, empty, text}) {
        desk.messages.clear();
        desk.questions.clear();
        for (bool browse : {false, true}) {
            if (browse)
                desk.fileNames.push_back(p);
            browse ? f.BrowsCommand_Click() : void(f.Open_Pic(p));
        }
        ASSERT_EQ(desk.messages.size(), 2u) << s(p);
        EXPECT_EQ(s(desk.messages[0].text), invalid);
        EXPECT_EQ(s(desk.messages[1].text), invalid);
        EXPECT_TRUE(desk.questions.empty()) << s(p);
        EXPECT_TRUE(r.graph.loaded()) << s(p);
        EXPECT_EQ(r.graph.picture(), shown);
        EXPECT_TRUE(r.grid(1).loaded());
        EXPECT_TRUE(r.grid(2).loaded());
        EXPECT_EQ(r.grid(1).rowCount(), 2);
        EXPECT_EQ(r.grid(2).rowCount(), 2);
        EXPECT_TRUE(std::equal(records.begin(), records.end(), r.Pt_Array.begin()));
        EXPECT_EQ(s(r.GraphPic_Path), s(good));
        EXPECT_EQ(s(r.picLabel()), "/good.png");
        EXPECT_EQ(s(pos(CalibPanel::RUY_Text)), "0.9");
        EXPECT_EQ(s(r.panel.val(CalibPanel::RUX_VLText)), "10");
        EXPECT_TRUE(r.Dfnt_Done);
        EXPECT_EQ(s(r.settings.zoom.text()), "20");
        EXPECT_EQ(r.settings.xFormat.index(), 3);
        EXPECT_EQ(s(r.statusText()), s(Main_MDI_Form::openedStatusText()));
    }
    // Still usable.
    desk.messages.clear();
    EXPECT_TRUE(f.Open_Pic(good));
    EXPECT_TRUE(desk.messages.empty());
    EXPECT_FALSE(f.Open_Pic(QString()));
    EXPECT_TRUE(desk.messages.empty());
}

TEST_F(Form, OpeningOverPointsAsksFirstAndNoKeepsEverything)
{
    const QString first = picture(QStringLiteral("first.png")), second = picture(QStringLiteral("second.png"));
    ASSERT_TRUE(f.Open_Pic(first));
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.1");
    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.9");
    addPoint(1);
    addPoint(2);
    addPoint(2);

    // The reading is modified: one question for all of it, not one per
    // table; Cancel keeps everything.
    desk.answers3 = {DesktopPort::Answer::Cancel};
    EXPECT_FALSE(f.Open_Pic(second));
    ASSERT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(s(desk.questions[0].text), s(Reading::unsavedQuestion()));
    EXPECT_EQ(s(r.GraphPic_Path), s(first));
    EXPECT_TRUE(r.hasPoints());
    EXPECT_EQ(r.grid(1).rowCount(), 2); // nothing discarded, not even series 1
    EXPECT_EQ(r.grid(2).rowCount(), 3);
    EXPECT_TRUE(r.Dfnt_Done);

    // The open command asks after the dialog, before its own reset.
    desk.questions.clear();
    desk.answers3 = {DesktopPort::Answer::Cancel};
    desk.fileNames.push_back(second);
    f.BrowsCommand_Click();
    EXPECT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(s(r.GraphPic_Path), s(first));
    EXPECT_TRUE(r.hasPoints());

    // Yes with a cancelled save dialog stops too.
    desk.questions.clear();
    desk.answers3 = {DesktopPort::Answer::Yes};
    r.saveHandler = [&] { Save_State(r); };
    const size_t dialogs = desk.dialogTitles.size();
    EXPECT_FALSE(f.Open_Pic(second));
    EXPECT_EQ(desk.questions.size(), 1u);
    EXPECT_EQ(desk.dialogTitles.size(), dialogs + 1); // the save dialog, cancelled
    EXPECT_TRUE(r.hasPoints());

    desk.questions.clear();
    desk.answers3 = {DesktopPort::Answer::No};
    EXPECT_TRUE(f.Open_Pic(second));
    EXPECT_EQ(desk.questions.size(), 1u); // not again per table or by the reset
    EXPECT_FALSE(r.history().isModified());
    EXPECT_FALSE(r.hasPoints());
    EXPECT_EQ(s(r.GraphPic_Path), s(second));
    EXPECT_TRUE(r.grid(1).loaded());
    EXPECT_TRUE(r.grid(1).isEmpty());
    EXPECT_FALSE(r.grid(2).loaded());
    EXPECT_FALSE(r.Dfnt_Done);
}

TEST_F(Form, PasteFromTheClipboard)
{
    // No picture there: a message, the reading unchanged.
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("a.png"))));
    desk.clipboardText = QStringLiteral("just text");
    f.runCommand(QStringLiteral("Input_from_ClipBoard_Mn"));
    ASSERT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(desk.messages[0].text), "エラー！(No.1)(有効な画像データがありません。)");
    EXPECT_EQ(s(r.graph.caption()), "a.png");
    EXPECT_FALSE(r.GraphPic_Path.isEmpty());

    // The same picture from a file, for its measures in the zoom view.
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("b.png"), "png", 300, 200)));
    const double fileW = r.Pic_Width, fileH = r.Pic_Height;
    const ZoomRect fileImage = f.zoom.image();
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("a.png"))));

    QImage img(300, 200, QImage::Format_ARGB32);
    img.fill(Qt::red);
    desk.clipboardPicture = img;
    r.settings.zoom.setIndex(11);
    f.ClipBoardPaste_Command_Click();
    EXPECT_EQ(desk.messages.size(), 1u);
    EXPECT_EQ(s(r.graph.caption()), "ClipBoard1");
    EXPECT_EQ(s(r.picLabel()), "ClipBoard1");
    EXPECT_EQ(s(r.picLabelToolTip()), "ClipBoard1");
    EXPECT_TRUE(r.GraphPic_Path.isEmpty());
    EXPECT_EQ(s(r.settings.zoom.text()), "5"); // Init_App ran
    // Measured like the file: its pixels keep their proportions at every zoom
    // (300 x 200 pixels are not one zoom area square).
    EXPECT_DOUBLE_EQ(r.Pic_Width, fileW);
    EXPECT_DOUBLE_EQ(r.Pic_Height, fileH);
    EXPECT_DOUBLE_EQ(f.zoom.image().width, fileImage.width);
    EXPECT_DOUBLE_EQ(f.zoom.image().height, fileImage.height);
    EXPECT_NEAR(r.Pic_Width / r.Pic_Height * f.zoom.areaWidthTwips() / f.zoom.areaHeightTwips(), 1.5, 1e-9);
    EXPECT_EQ(r.graph.picture().size(), QSize(300, 200));
    EXPECT_TRUE(r.grid(1).loaded());
    EXPECT_EQ(s(r.statusText()), s(Main_MDI_Form::openedStatusText()));
}

TEST_F(Form, CopyTakesTheCurrentTablesSelection)
{
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("a.png"))));
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.1");
    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.9");
    addPoint(2);
    addPoint(2);
    desk.clipboardText = QStringLiteral("before");

    f.runCommand(QStringLiteral("Copy_Data_Mn")); // no table clicked yet
    EXPECT_EQ(s(desk.clipboardText), "before");

    r.Cur_Keiretsu = 2;
    r.grid(2).setSelection(1, 1, 2, 3);
    f.Copy_Data_Mn_Click();
    const SeriesTable &t = r.grid(2);
    const QString expected = t.cell(1, 1) + u'\t' + t.cell(1, 2) + u'\t' + t.cell(1, 3) + QStringLiteral("\r\n") +
                             t.cell(2, 1) + u'\t' + t.cell(2, 2) + u'\t' + t.cell(2, 3);
    EXPECT_EQ(s(desk.clipboardText), s(expected));

    desk.clipboardText = QStringLiteral("before");
    r.closeGridForm(2, false);
    f.Copy_Data_Mn_Click(); // its table was closed since
    EXPECT_EQ(s(desk.clipboardText), "before");
    r.Cur_Keiretsu = 17;
    f.Copy_Data_Mn_Click();
    EXPECT_EQ(s(desk.clipboardText), "before");
}

TEST_F(Form, CommandsByNameAndKey)
{
    int versions = 0, arranges = 0, quits = 0;
    QObject::connect(&f, &Main_MDI_Form::versionRequested, [&] { ++versions; });
    QObject::connect(&f, &Main_MDI_Form::arrangeRequested, [&] { ++arranges; });
    QObject::connect(&f, &Main_MDI_Form::quitRequested, [&] { ++quits; });

    f.Toolbar1_ButtonClick(QStringLiteral("Save_grc_Mn1"));
    f.runCommand(QStringLiteral("Save_File_Mn"));
    EXPECT_EQ(saves, 2);
    f.Toolbar1_ButtonClick(QStringLiteral("Version_Mn1"));
    f.runCommand(QStringLiteral("Version_Mn"));
    EXPECT_EQ(versions, 2);
    f.Toolbar1_ButtonClick(QStringLiteral("Help_Mn1"));
    f.runCommand(QStringLiteral("Help_Mn"));
    ASSERT_EQ(desk.openedDocuments.size(), 2u);
    EXPECT_EQ(s(desk.openedDocuments[0]), s(dir.path()) + "/Help/Help.pdf");
    f.runCommand(QStringLiteral("Cscd_Mn"));
    EXPECT_EQ(arranges, 1);
    EXPECT_FALSE(f.runCommand(QStringLiteral("sep1")));
    EXPECT_FALSE(f.runCommand(QStringLiteral("Nothing")));
    f.Toolbar1_ButtonClick(QStringLiteral("sep0"));
    EXPECT_TRUE(desk.dialogTitles.empty());

    // Quit with unsaved points asks the one question: Cancel stays, No quits
    // and no table asks anything more.
    ASSERT_TRUE(f.Open_Pic(picture(QStringLiteral("a.png"))));
    setPos(CalibPanel::LLX_Text, "0.1");
    setPos(CalibPanel::LLY_Text, "0.1");
    setPos(CalibPanel::RUX_Text, "0.9");
    setPos(CalibPanel::RUY_Text, "0.9");
    addPoint(1);
    desk.questions.clear();
    desk.answers3 = {DesktopPort::Answer::Cancel, DesktopPort::Answer::No};
    f.runCommand(QStringLiteral("Quit_App"));
    EXPECT_EQ(quits, 0);
    f.runCommand(QStringLiteral("Quit_App"));
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(desk.questions.size(), 2u);
    desk.questions.clear();
    EXPECT_TRUE(r.Close_Confirmed);
    r.Close_GridForms();
    EXPECT_TRUE(desk.questions.empty());
}

TEST_F(Form, MenusAndToolbarTexts)
{
    const auto &m = Main_MDI_Form::menuItems();
    auto caption = [&](const char *name) {
        for (const auto &i : m)
            if (i.name == QLatin1String(name))
                return s(i.caption);
        return std::string("?");
    };
    EXPECT_EQ(caption("File_Mn"), "ファイル(&F)");
    EXPECT_EQ(caption("Saved_File_Open_Mn"), "状態設定ファイルを開く(&I)");
    EXPECT_EQ(caption("Open_GraphPic_Mn"), "新規グラフ画像読込み(&O)");
    EXPECT_EQ(caption("Input_from_ClipBoard_Mn"), "クリップボードから画像読込み(&C)");
    EXPECT_EQ(caption("Save_File_Mn"), "現在の状態をファイルに保存(&S)");
    EXPECT_EQ(caption("Quit_App"), "終了(&Q)");
    EXPECT_EQ(caption("Edit_Mn"), "編集(&E)");
    EXPECT_EQ(caption("Copy_Data_Mn"), "コピー(&C)");
    EXPECT_EQ(caption("Undo_Mn"), "元に戻す(&U)");
    EXPECT_EQ(caption("Redo_Mn"), "やり直し(&R)");
    EXPECT_EQ(caption("Window_Mn"), "ウィンドウ(&W)");
    EXPECT_EQ(caption("Cscd_Mn"), "ウィンドウの整列(&S)");
    EXPECT_EQ(caption("etc_Mn"), "その他(&E)");
    EXPECT_EQ(caption("Version_Mn"), "バージョン情報(&V)");
    EXPECT_EQ(caption("Help_Mn"), "ヘルプ(&H)");
    EXPECT_EQ(caption("Grid_Mn"), "目盛線を表示(&G)");
    EXPECT_EQ(caption("AutoRead_Mn"), "自動読取(&A)...");
    // Every entry a user can pick runs a command (dialogs cancelled here).
    for (const auto &i : m) {
        if (i.level == 1 && i.caption != u"-") {
            EXPECT_TRUE(f.runCommand(i.name)) << s(i.name);
        }
    }

    QStringList keys;
    for (const auto &b : Main_MDI_Form::toolButtons())
        keys << b.key;
    EXPECT_EQ(keys, QStringList({"sep0", "Open_File_Mn1", "sep1", "Save_grc_Mn1", "Undo_Mn1", "Redo_Mn1", "sep2",
                                 "Grid_Mn1", "AutoRead_Mn1", "sep3", "Version_Mn1", "Help_Mn1"}));
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[1].toolTip), "状態設定ファイル、画像ファイルを開く");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[3].toolTip), "現在の状態をファイルに保存");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[4].toolTip), "元に戻す");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[5].toolTip), "やり直し");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[7].toolTip), "目盛線を表示(枠線の座標の目盛線を画像に重ねて描きます)");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[8].toolTip), "自動読取(曲線やマーカーを色で読み取ります)");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[10].toolTip), "バージョン情報");
    EXPECT_EQ(s(Main_MDI_Form::toolButtons()[11].toolTip), "ヘルプを表示");
    EXPECT_TRUE(Main_MDI_Form::openFileFilter().contains(u"PNG(*.png)|*.png"));
}
