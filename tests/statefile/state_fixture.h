#pragma once
// A reading in a scratch installation folder, with the steps the windows run
// to build one: a picture, a frame, clicked points and typed Z values.

#include "model/reading.h"
#include "statefile/state_file.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orvtest {

using namespace orv;

inline std::string s(const QString &q) { return q.toStdString(); }

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << s(path);
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void makePicture(const QString &path, int w = 40, int h = 30)
{
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    ASSERT_TRUE(img.save(path)) << s(path);
}

// Everything a user can see of a reading, for comparing before and after.
struct Snapshot {
    QString picture;
    bool graphLoaded = false;
    QString graphCaption;
    bool frameDone = false;
    int tab = 0;
    QStringList frame;
    QStringList records;
    QStringList markers;
    QStringList rows;

    static QString marker(const Marker &m)
    {
        return QStringLiteral("%1 %2 %3 %4").arg(m.left).arg(m.top).arg(m.visible).arg(m.toolTip);
    }
    static Snapshot of(const Reading &r)
    {
        Snapshot sn;
        sn.picture = r.GraphPic_Path;
        sn.graphLoaded = r.graph.loaded();
        sn.graphCaption = r.graph.caption();
        sn.frameDone = r.Dfnt_Done;
        sn.tab = r.panel.selectedTab();
        for (int b = 0; b < CalibPanel::PosBoxCount; ++b)
            sn.frame << r.panel.pos(CalibPanel::PosBox(b));
        for (int b = 0; b < CalibPanel::ValBoxCount; ++b)
            sn.frame << r.panel.val(CalibPanel::ValBox(b));
        for (int id = 1; id <= Reading::kMaxId; ++id)
            sn.records << r.Pt_Array[size_t(id)];
        for (int c = 0; c < 4; ++c)
            sn.markers << QStringLiteral("D%1 ").arg(c) + marker(r.graph.dfnt(c));
        for (int id = 1; id <= Reading::kMaxId; ++id)
            if (r.graph.hasPick(id))
                sn.markers << QStringLiteral("P%1 ").arg(id) + marker(*r.graph.pick(id));
        for (int ser = 1; ser <= Reading::kSeriesCount; ++ser) {
            const SeriesTable &t = r.grid(ser);
            if (!t.loaded())
                continue;
            sn.rows << t.caption();
            for (int row = 0; row < t.rowCount(); ++row) {
                QStringList cells;
                for (int c = 0; c < 5; ++c)
                    cells << t.cell(row, c);
                sn.rows << cells.join(u'|');
            }
        }
        return sn;
    }
};

inline void expectSame(const Snapshot &a, const Snapshot &b)
{
    EXPECT_EQ(s(a.picture), s(b.picture));
    EXPECT_EQ(a.graphLoaded, b.graphLoaded);
    EXPECT_EQ(s(a.graphCaption), s(b.graphCaption));
    EXPECT_EQ(a.frameDone, b.frameDone);
    EXPECT_EQ(a.tab, b.tab);
    EXPECT_EQ(s(a.frame.join(u',')), s(b.frame.join(u',')));
    EXPECT_EQ(s(a.records.join(u'\n')), s(b.records.join(u'\n')));
    EXPECT_EQ(s(a.markers.join(u'\n')), s(b.markers.join(u'\n')));
    EXPECT_EQ(s(a.rows.join(u'\n')), s(b.rows.join(u'\n')));
}

struct StateFixture : ::testing::Test {
    QTemporaryDir tmp;
    QString prog;    // the program's folder
    QString picture; // a picture inside it
    ScriptedDesktop desk;
    Reading r{&desk};

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        prog = tmp.path() + QStringLiteral("/prog");
        picture = prog + QStringLiteral("/sample/chart1.png");
        makePicture(picture);
        r.programFolder = prog;
        r.Init_App();
    }

    QString path(const char *name) const { return tmp.path() + u'/' + QString::fromUtf8(name); }

    // Picture loading as the main window does it.
    void openPicture(const QString &p)
    {
        ASSERT_EQ(Open_StatePic(r, p), 0);
        r.GraphPic_Path = p;
        r.graph.picAreaHeightTwips = 5400;
        r.graph.picAreaWidthTwips = 7200;
    }

    // Corners placed by clicks: the boxes, then the markers centred on them.
    void placeFrame(const char *const pos[8], int tab)
    {
        r.panel.selectTab(tab);
        for (int i = 0; i < 8; ++i)
            r.panel.setPos(CalibPanel::PosBox(i), QString::fromLatin1(pos[i]));
        for (int c = 0; c < 4; ++c) {
            Marker m;
            m.left = float(readPrefix(r.panel.pos(CalibPanel::xBox(Corner(c))))) - r.graph.markerWidth / 2;
            m.top = float(readPrefix(r.panel.pos(CalibPanel::yBox(Corner(c))))) + r.graph.markerHeight / 2;
            m.visible = tab != 1 || c == LL || c == RU;
            r.graph.setDfnt(c, m);
        }
        r.setDfntDone(true);
    }
    void diagonalFrame()
    {
        static const char *const v[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.9", "0.9", "0.1"};
        placeFrame(v, 1);
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("10"));
        r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("100"));
    }
    void fourPointFrame()
    {
        static const char *const v[8] = {"0.1", "0.1", "0.12", "0.8", "0.9", "0.9", "0.88", "0.2"};
        placeFrame(v, 2);
        r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("-5"));
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("5"));
        r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("2.5"));
    }

    // The click that adds a point.
    int addPoint(int series, float x, float y)
    {
        EXPECT_TRUE(r.Conv_Pt(x, y).has_value());
        const int id = r.Get_FreePtNo();
        r.Put_PtImage(series, x, y, id);
        if (id)
            r.Set_GridPt(series, QStringLiteral("Add"), id);
        return id;
    }

    // Enter in a table's Z editor: cell, record field 4, tooltip.
    void typeZ(int series, int row, const QString &z)
    {
        SeriesTable &t = r.grid(series);
        t.setCell(row, SeriesTable::ColZ, z);
        const int id = t.cell(row, SeriesTable::ColId).toInt();
        QStringList f = r.Pt_Array[size_t(id)].split(u',');
        f[4] = z;
        r.Pt_Array[size_t(id)] = f.join(u',');
        r.graph.setPickToolTip(id, r.markerToolTip(series, id, t.cell(row, SeriesTable::ColX),
                                                   t.cell(row, SeriesTable::ColY), z));
    }

    // Save_State through the dialog answer `file`.
    bool save(const QString &file)
    {
        desk.fileNames.push_back(file);
        return Save_State(r);
    }

    // A small reading: picture in the program folder, frame, points in three series.
    void buildReading(bool fourPoint)
    {
        openPicture(picture);
        if (fourPoint)
            fourPointFrame();
        else
            diagonalFrame();
        addPoint(1, 0.5f, 0.25f);
        addPoint(1, 0.3f, 0.7f);
        addPoint(3, 0.123456f, 0.654321f);
        addPoint(16, 0.95f, 0.05f);
        addPoint(1, 0.2f, 0.2f);
        // Free an ID in the middle: the next file line of that ID must stay free.
        r.Delete_Row(1, 2);
        typeZ(1, 1, QStringLiteral("3"));
        typeZ(3, 1, QStringLiteral("-4.5"));
    }
};

} // namespace orvtest
