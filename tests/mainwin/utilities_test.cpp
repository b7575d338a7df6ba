#include "model/reading.h"
#include "model/utilities.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orv;

namespace {

std::string s(const QString &q) { return q.toStdString(); }

QString touch(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes = "x")
{
    const QString p = dir.filePath(name);
    QFile f(p);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return p;
}


} // namespace

TEST(SplitPath, TakesBothSeparators)
{
    const QString win = QStringLiteral("C:\\a\\b\\c.jpg");
    EXPECT_EQ(s(Split_Path(win, 1)), "c.jpg");
    EXPECT_EQ(s(Split_Path(win, 2)), "C:\\a\\b");
    EXPECT_EQ(s(Split_Path(win, 3)), "C:\\a\\b\\");
    const QString unix = QStringLiteral("/home/u/fig.3.2.png");
    EXPECT_EQ(s(Split_Path(unix, 1)), "fig.3.2.png");
    EXPECT_EQ(s(Split_Path(unix, 2)), "/home/u");
    EXPECT_EQ(s(Split_Path(unix, 3)), "/home/u/");
    // Mixed separators: the last one of either kind ends the folder.
    EXPECT_EQ(s(Split_Path(QStringLiteral("C:/a\\b/c.jpg"), 1)), "c.jpg");
    EXPECT_EQ(s(Split_Path(QStringLiteral("\\img\\2pt.bmp"), 2)), "\\img");
    // A bare name has no folder.
    EXPECT_EQ(s(Split_Path(QStringLiteral("c.jpg"), 1)), "c.jpg");
    EXPECT_EQ(s(Split_Path(QStringLiteral("c.jpg"), 2)), "");
    EXPECT_EQ(s(Split_Path(QStringLiteral("c.jpg"), 3)), "");
    EXPECT_EQ(s(Split_Path(unix, 0)), "");
    EXPECT_EQ(s(Split_Path(unix, 4)), "");
}

TEST(GetExt, IsTheTextAfterTheLastDot)
{
    EXPECT_EQ(s(Get_Ext(QStringLiteral("graph.JPG"))), "JPG");
    EXPECT_EQ(s(Get_Ext(QStringLiteral("my.graph.orvd"))), "orvd");
    EXPECT_EQ(s(Get_Ext(QStringLiteral("fig.3.2.png"))), "png");
    EXPECT_EQ(s(Get_Ext(QStringLiteral("chart.old.jpg"))), "jpg");
    EXPECT_EQ(s(Get_Ext(QStringLiteral("README"))), "README");
    EXPECT_EQ(s(Get_Ext(QStringLiteral("trailing."))), "");
    EXPECT_EQ(s(Get_Ext(QString())), "");
}

TEST(FileExists, OnlyRegularFiles)
{
    QTemporaryDir dir;
    const QString file = touch(dir, QStringLiteral("a.jpg"));
    EXPECT_TRUE(File_Exists(file));
    EXPECT_TRUE(File_Exists(touch(dir, QStringLiteral("empty.bmp"), QByteArray())));

    QDir(dir.path()).mkdir(QStringLiteral("x.jpg"));
    EXPECT_FALSE(File_Exists(dir.filePath(QStringLiteral("x.jpg"))));
    const QString fifo = dir.filePath(QStringLiteral("y.bmp"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_FALSE(File_Exists(fifo)); // must not block either
    EXPECT_FALSE(File_Exists(QStringLiteral("/dev/null")));
    EXPECT_FALSE(File_Exists(dir.filePath(QStringLiteral("missing.jpg"))));
    EXPECT_FALSE(File_Exists(QString()));

    // A name with a wildcard is refused even when such a file exists.
    const QString star = touch(dir, QStringLiteral("a*b.jpg"));
    EXPECT_FALSE(File_Exists(star));
    EXPECT_FALSE(File_Exists(dir.filePath(QStringLiteral("a?.jpg"))));

    const QString link = dir.filePath(QStringLiteral("link.jpg"));
    ASSERT_EQ(symlink(file.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    EXPECT_TRUE(File_Exists(link));
    const QString dangling = dir.filePath(QStringLiteral("dangling.jpg"));
    ASSERT_EQ(symlink("/nonexistent/file", dangling.toLocal8Bit().constData()), 0);
    EXPECT_FALSE(File_Exists(dangling));
}

TEST(MaxVal, ReadsNumericPrefixes)
{
    EXPECT_EQ(Max_Val(QStringLiteral("3"), QStringLiteral("2.5")), 3);
    EXPECT_EQ(Max_Val(QStringLiteral("x"), QStringLiteral("4")), 4);
    EXPECT_EQ(Max_Val(QStringLiteral("x"), QStringLiteral("-1")), 0);
    EXPECT_EQ(Max_Val(QStringLiteral("12000"), QStringLiteral("9000")), 12000);
    EXPECT_EQ(Max_Val(QStringLiteral("7"), QStringLiteral("7")), 7);
}

TEST(CheckNumText, RemovesOneCharacterPerCall)
{
    struct Case {
        const char *in;
        const char *out;
        bool removed;
    };
    const Case cases[] = {
        {"12a3", "123", true}, {"-1.5", "-1.5", false}, {"1-5", "15", true}, {"1,5", "15", true},
        {"+1", "1", true},     {"1e5", "15", true},     {"1/2", "12", true}, {" 1", "1", true},
        {"", "", false},       {"0.25", "0.25", false}, {"1\t2", "12", true},
        {"1\r\n2", "1\n2", true}, {"\x7f" "1", "1", true}, {"1\x01", "1", true},
    };
    for (const Case &c : cases) {
        QString t = QString::fromUtf8(c.in);
        int caret = -1;
        EXPECT_EQ(Check_NumText(t, caret), c.removed) << c.in;
        EXPECT_EQ(s(t), c.out) << c.in;
        if (c.removed)
            EXPECT_EQ(caret, t.size()) << c.in;
        else
            EXPECT_EQ(caret, -1) << c.in;
    }
    // Repeated calls (the box's change notification) clean the whole text.
    QString t = QStringLiteral("x-1２.5ab");
    int caret = 0, calls = 0;
    while (Check_NumText(t, caret))
        ++calls;
    // The minus sign becomes the first character once the x has gone.
    EXPECT_EQ(s(t), "-1.5");
    EXPECT_EQ(calls, 4);
    // A character outside the basic plane goes as a whole.
    t = QString::fromUtf8("1\xF0\x9F\x98\x80" "2");
    EXPECT_TRUE(Check_NumText(t, caret));
    EXPECT_EQ(s(t), "12");
}

TEST(Utilities, HighlightResetsAllBoxesFirst)
{
    CalibPanel p;
    Hilight_DfntBox(p, CalibPanel::LLX_Text, CalibPanel::LLY_Text, true);
    EXPECT_TRUE(p.highlighted(CalibPanel::LLX_Text));
    EXPECT_TRUE(p.highlighted(CalibPanel::LLY_Text));
    Hilight_DfntBox(p, CalibPanel::RUX_Text, CalibPanel::RUY_Text, true);
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        EXPECT_EQ(p.highlighted(CalibPanel::PosBox(b)), b == CalibPanel::RUX_Text || b == CalibPanel::RUY_Text) << b;
    Hilight_DfntBox(p, CalibPanel::RUX_Text, CalibPanel::RUY_Text, false);
    for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
        EXPECT_FALSE(p.highlighted(CalibPanel::PosBox(b))) << b;
}

TEST(Utilities, DesktopGoesThroughThePort)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = QStringLiteral("/opt/orv");

    desk.fileNames.push_back(QStringLiteral("/tmp/a.png"));
    EXPECT_EQ(s(Get_FileName(r, QStringLiteral("T"), QStringLiteral("F(*.f)|*.f"))), "/tmp/a.png");
    EXPECT_EQ(s(desk.dialogTitles.back()), "T");
    EXPECT_EQ(s(Get_FileName(r, QStringLiteral("T"), QString())), ""); // cancelled

    desk.colors.push_back(QColor(255, 0, 0));
    desk.colors.push_back(QColor(0x12, 0x34, 0x56));
    desk.colors.push_back(std::nullopt);
    EXPECT_EQ(Pick_Color(r), 0x0000FF);
    EXPECT_EQ(Pick_Color(r), 0x563412);
    EXPECT_EQ(Pick_Color(r), 0);
    EXPECT_EQ(colorFromValue(0x563412), QColor(0x12, 0x34, 0x56));
    EXPECT_FALSE(colorFromValue(-2).isValid());

    desk.openDocumentResult = false; // no viewer: nothing is reported
    Show_Help(r);
    ASSERT_EQ(desk.openedDocuments.size(), 1u);
    EXPECT_EQ(s(desk.openedDocuments[0]), "/opt/orv/Help/Help.pdf");
    EXPECT_TRUE(desk.messages.empty());
}

TEST(Utilities, TwipsToPixels)
{
    EXPECT_EQ(twipsToPx(15), 1);
    EXPECT_EQ(twipsToPx(3585), 239);
    EXPECT_EQ(twipsToPx(16000), 1067);
    EXPECT_EQ(twipsToPx(12000), 800);
    EXPECT_EQ(twipsToPx(0), 0);
    EXPECT_EQ(pxToTwips(800), 12000);
}
