// Reading files with every ID in use (255 points over 16 tables): opening one,
// saving one and exporting one headless. Goal: each well under 50 ms.
#include "model/reading.h"
#include "statefile/export_cli.h"
#include "statefile/state_file.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThreadPool>
#include <benchmark/benchmark.h>

using namespace orv;

namespace {

struct Scratch {
    QTemporaryDir tmp;
    QString prog, file;
    Scratch()
    {
        prog = tmp.path() + QStringLiteral("/prog");
        QDir().mkpath(prog + QStringLiteral("/sample"));
        QImage img(1024, 768, QImage::Format_RGB32);
        img.fill(Qt::white);
        img.save(prog + QStringLiteral("/sample/chart.png"));
        QByteArray f = "Orvalinetrix  :Version 1.0.0\r\nGraph Picture :\\sample\\chart.png\r\n"
                       "Picture Size  :5400,7200\r\nDefnt.Style   :\x34\x93\x5f\x92\xe8\x8b\x60\r\n"
                       "Defnt.Point   :0.1,0.1,0.12,0.8,0.9,0.9,0.88,0.2\r\nDefnt.Pt.Val  :1,0.01,1000,250\r\n"
                       "ReadPtCood.   :" +
                       QByteArray(44, '*') + "\r\n";
        for (int id = 1; id <= 255; ++id) {
            const float x = 0.1f + 0.8f * float(id % 17) / 16, y = 0.1f + 0.8f * float(id % 15) / 14;
            f += " Array Data   :TRUE," + QByteArray::number(1 + id % 16) + ',' + QByteArray::number(x) + ',' +
                 QByteArray::number(y) + ',' + QByteArray::number(id * 0.5) + "\r\n";
        }
        f += QByteArray(59, '*') + "\r\n";
        file = tmp.path() + QStringLiteral("/full.orvd");
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(f);
    }
};

Scratch &scratch()
{
    static Scratch s;
    return s;
}

void BM_LoadState255PointsInto16Tables(benchmark::State &state)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = scratch().prog;
    r.Init_App();
    r.panel.setXLog(true);
    r.panel.setYLog(true);
    for (auto _ : state) {
        if (Load_State(r, scratch().file) != LoadResult::Loaded)
            state.SkipWithError("load failed");
    }
    if (r.graph.pickCount() != 255 || !desk.messages.empty())
        state.SkipWithError("not all points loaded");
}
BENCHMARK(BM_LoadState255PointsInto16Tables)->Unit(benchmark::kMillisecond);

// A reading whose picture is a 6000 x 4000 photo, until it is shown (from a
// reduced decode; the whole picture follows on a worker thread, waited for
// outside the timing). Goal: under 250 ms.
void BM_OpenReadingOf6000x4000Photo(benchmark::State &state)
{
    static const QString photo = [] {
        const QString p = scratch().tmp.path() + QStringLiteral("/photo.jpg");
        QImage img(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
            for (int x = 0; x < img.width(); ++x)
                line[x] = qRgb((x * 7) & 255, (y * 3) & 255, ((x + y) * 5) & 255);
        }
        img.save(p, "JPEG", 85);
        return p;
    }();
    const QString file = scratch().tmp.path() + QStringLiteral("/photo.orvd");
    {
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write("Orvalinetrix  :Version 1.0.0\r\nGraph Picture :" + photo.toUtf8() +
                  "\r\nDefnt.Style   :4\x93\x5f\x92\xe8\x8b\x60\r\n"
                  "Defnt.Point   :0.1,0.1,0.1,0.9,0.9,0.9,0.9,0.1\r\nDefnt.Pt.Val  :0,0,10,100\r\n");
    }
    ScriptedDesktop desk;
    Reading r(&desk);
    for (auto _ : state) {
        if (Load_State(r, file) != LoadResult::Loaded || r.graph.naturalSize() != QSize(6000, 4000))
            state.SkipWithError("load failed");
        state.PauseTiming();
        QThreadPool::globalInstance()->waitForDone();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenReadingOf6000x4000Photo)->Unit(benchmark::kMillisecond);

void BM_ParseStateFileOnly(benchmark::State &state)
{
    for (auto _ : state) {
        auto p = readStateFile(scratch().file);
        benchmark::DoNotOptimize(p);
    }
}
BENCHMARK(BM_ParseStateFileOnly)->Unit(benchmark::kMillisecond);

void BM_SaveState255Points(benchmark::State &state)
{
    ScriptedDesktop desk;
    Reading r(&desk);
    r.programFolder = scratch().prog;
    r.Init_App();
    Load_State(r, scratch().file);
    const QString out = scratch().tmp.path() + QStringLiteral("/saved.orvd");
    for (auto _ : state) {
        desk.fileNames.push_back(out);
        if (!Save_State(r))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveState255Points)->Unit(benchmark::kMillisecond);

void BM_ExportJson255Points(benchmark::State &state)
{
    for (auto _ : state) {
        QString o, e;
        QTextStream out(&o), err(&e);
        const int rc = runExportCommand({scratch().file, QStringLiteral("--x-log"), QStringLiteral("--y-log"),
                                         QStringLiteral("--format"), QStringLiteral("json")},
                                        out, err, scratch().prog);
        if (rc != 0)
            state.SkipWithError("export failed");
        benchmark::DoNotOptimize(o);
    }
}
BENCHMARK(BM_ExportJson255Points)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
