// Feeds arbitrary bytes to the reading-file reader and puts whatever it accepts
// into a reading, with and without the picture. After each input the reading
// must be consistent (records, markers and rows in step, nothing past ID 255),
// and what it saves must read back.
#include "model/reading.h"
#include "statefile/state_file.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <cstdio>
#include <cstdlib>

using namespace orv;

namespace {

QString g_prog;

[[noreturn]] void fail(const char *what, int id = 0)
{
    std::fprintf(stderr, "invariant broken: %s (id %d)\n", what, id);
    std::abort();
}

void checkReading(Reading &r)
{
    int points = 0;
    for (int id = 1; id <= Reading::kMaxId; ++id) {
        const QString &rec = r.Pt_Array[size_t(id)];
        if (rec == Reading::kFreeRecord) {
            if (r.graph.hasPick(id))
                fail("marker without a record", id);
            continue;
        }
        if (!rec.startsWith(u"TRUE,"))
            fail("record neither free nor in use", id);
        if (!r.graph.hasPick(id))
            fail("record without a marker", id);
        const int s = int(readPrefix(Reading::Get_Field(rec, QStringLiteral(","), 1)));
        if (!Reading::validSeries(s))
            fail("record with a bad series", id);
        ++points;
    }
    int rows = 0;
    for (int s = 1; s <= Reading::kSeriesCount; ++s) {
        const SeriesTable &t = r.grid(s);
        if (!t.loaded())
            continue;
        for (int row = 1; row < t.rowCount(); ++row) {
            const int id = t.cell(row, SeriesTable::ColId).toInt();
            if (id < 1 || id > Reading::kMaxId || !r.Pt_Array[size_t(id)].startsWith(QStringLiteral("TRUE,%1,").arg(s)))
                fail("row without its record", id);
            ++rows;
        }
    }
    if (rows != points)
        fail("rows and records differ", rows - points);
}

void roundTrip(const Reading &r)
{
    QByteArray bytes = stateFileBytes(r);
    if (bytes.count("\r\n") != 264)
        fail("saved file is not the 263 lines of the layout and the axis modes");
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    auto again = parseStateFile(buf);
    if (!again)
        fail("saved file does not read back", int(again.error()));
    static ScriptedDesktop desk;
    static Reading r2(&desk);
    desk.messages.clear();
    r2.programFolder = r.programFolder;
    r2.Reset_Reading(false);
    r2.panel.setXLog(r.panel.xLog());
    r2.panel.setYLog(r.panel.yLog());
    const LoadReport rep = applyStateFile(r2, *again, LoadOptions{.openPicture = false});
    if (!rep.ok)
        fail("saved file does not load");
    checkReading(r2);
    if (r2.graph.pickCount() != r.graph.pickCount())
        fail("point count changed", r2.graph.pickCount() - r.graph.pickCount());
    for (int id = 1; id <= Reading::kMaxId; ++id) {
        const QString z1 = Reading::Get_Field(r.Pt_Array[size_t(id)], QStringLiteral(","), 4);
        const QString z2 = Reading::Get_Field(r2.Pt_Array[size_t(id)], QStringLiteral(","), 4);
        if (z1 != z2) {
            std::fprintf(stderr, "Z before: %s\nZ after:  %s\n", qPrintable(z1), qPrintable(z2));
            fail("Z changed", id);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A program folder holding the picture the seeds name ("\sample\chart.png").
    g_prog = QDir::tempPath() + QStringLiteral("/orv-fuzz-prog");
    QDir().mkpath(g_prog + QStringLiteral("/sample"));
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::white);
    img.save(g_prog + QStringLiteral("/sample/chart.png"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScriptedDesktop desk;
    static Reading withPicture(&desk), headless(&desk);
    static bool ready = false;
    if (!ready) {
        for (Reading *r : {&withPicture, &headless}) {
            r->programFolder = g_prog;
            r->Init_App();
        }
        ready = true;
    }
    // The axis modes come from the input's length, so both are exercised.
    withPicture.panel.setYLog(size % 3 == 1);
    headless.panel.setXLog(size % 2 == 1);

    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    auto parsed = parseStateFile(buf);
    if (!parsed)
        return 0;
    if (parsed->lines.size() > size_t(Reading::kMaxId + kMaxStateHeaderLines))
        fail("parser kept too many lines");

    for (Reading *r : {&withPicture, &headless}) {
        desk.messages.clear();
        r->Reset_Reading(false);
        const LoadReport rep = applyStateFile(*r, *parsed, LoadOptions{.openPicture = r == &withPicture});
        checkReading(*r);
        if (!rep.ok && (r->hasPoints() || desk.messages.empty()))
            fail("failed load left points or said nothing");
        // What Save_State would write (it refuses a frame that is not numbers).
        if (rep.ok && r->Dfnt_Done && cornersAreNumbers(r->panel))
            roundTrip(*r);
    }
    return 0;
}
