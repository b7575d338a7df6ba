// Writes the fuzzer's seed corpus into the folder given: readings saved by the
// program in both frame modes, the same in UTF-8 with LF, and broken variants.
#include "model/reading.h"
#include "statefile/state_file.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <cstdio>

using namespace orv;

namespace {

QByteArray savedReading(bool fourPoint, int points)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = QStringLiteral("/prog");
    r.Init_App();
    r.GraphPic_Path = QStringLiteral("/prog/sample/chart.png");
    r.graph.picAreaHeightTwips = 5400;
    r.graph.picAreaWidthTwips = 7200;
    r.panel.selectTab(fourPoint ? 2 : 1);
    const char *diag[8] = {"0.1", "0.1", "0.1", "0.9", "0.9", "0.9", "0.9", "0.1"};
    const char *four[8] = {"0.1", "0.1", "0.12", "0.8", "0.9", "0.9", "0.88", "0.2"};
    for (int i = 0; i < 8; ++i)
        r.panel.setPos(CalibPanel::PosBox(i), QString::fromLatin1(fourPoint ? four[i] : diag[i]));
    r.panel.setVal(CalibPanel::LLX_VLText, QStringLiteral("1"));
    r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1000"));
    r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("2.5"));
    r.setDfntDone(true);
    for (int i = 0; i < points; ++i) {
        const float x = 0.05f + 0.9f * float(i % 13) / 12, y = 0.05f + 0.9f * float(i % 7) / 6;
        if (!r.Conv_Pt(x, y))
            continue;
        const int id = r.Get_FreePtNo();
        r.Put_PtImage(1 + i % 16, x, y, id);
        r.Set_GridPt(1 + i % 16, QStringLiteral("Add"), id);
        if (i % 3 == 0) // a typed Z in place of the new point's "0"
            r.Pt_Array[size_t(id)] = r.Pt_Array[size_t(id)].chopped(1) + QString::number(i * 0.25);
    }
    return stateFileBytes(r);
}

void put(const QString &dir, const char *name, const QByteArray &bytes)
{
    QFile f(dir + u'/' + QString::fromLatin1(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", name);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const QByteArray diag = savedReading(false, 6);
    const QByteArray four = savedReading(true, 40);
    put(dir, "diagonal.orvd", diag);
    put(dir, "four-point.orvd", four);
    put(dir, "full.orvd", savedReading(true, 250));

    // The fuzzer's program folder holds the picture as \sample\chart.png.
    QString text = QString::fromUtf8(four);
    put(dir, "utf8-lf.orvd", text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toUtf8());
    put(dir, "cr-only.orvd", QByteArray(diag).replace("\r\n", "\r"));
    put(dir, "truncated.orvd", four.left(four.size() / 2 + 7));
    QByteArray over = diag;
    for (int i = 0; i < 60; ++i)
        over += " Array Data   :TRUE,2,0.5,0.5,1\r\n";
    put(dir, "300-lines.orvd", over);
    put(dir, "bad-corners.orvd", QByteArray(diag).replace("Defnt.Point   :0.1,", "Defnt.Point   :abc,"));
    put(dir, "dev-zero.orvd", QByteArray(diag).replace("Graph Picture :\\sample\\chart.png", "Graph Picture :/dev/zero"));
    put(dir, "folder.orvd", QByteArray(diag).replace("Graph Picture :\\sample\\chart.png", "Graph Picture :\\sample"));
    put(dir, "bad-records.orvd",
        QByteArray(diag).replace(" Array Data   :FALSE,0,0,0,0\r\n Array Data   :FALSE",
                                 " Array Data   :TRUE,99,1E999,x\r\n Array Data   :TRUE,3,0.5"));
    put(dir, "log-fails.orvd", QByteArray(four).replace("Defnt.Pt.Val  :1,0,", "Defnt.Pt.Val  :-1,0,"));
    put(dir, "garbage.orvd", QByteArray("\x82\xa0\xff\x00\x01 Array Data   :TRUE", 21));
    return 0;
}
