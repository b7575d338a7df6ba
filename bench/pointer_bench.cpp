// The pointer-move path as the user feels it: a move over a 6000 x 4000
// picture with the frame complete and the zoom view at factor 20 converts the
// position, writes the readout and repaints the zoom view. Measured with the
// real assembled window (offscreen): per-move median and 95th percentile. The
// memory growth of a zoom factor switch is measured in mainwin_bench.
#include "app/assembly.h"
#include "graphwin/graph_form_widget.h"
#include "mainwin/main_window.h"
#include "model/reading.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <benchmark/benchmark.h>

using namespace orv;

namespace {

struct Photo {
    ScriptedDesktop desk;
    Reading r{&desk};
    AssembledWindow w;
    Photo()
    {
        w = assembleMainWindow(r);
        w.main->resize(1600, 1000);
        w.main->show();
        w.main->form().MDIForm_Load();
        QImage pic(6000, 4000, QImage::Format_RGB32);
        for (int y = 0; y < pic.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(pic.scanLine(y));
            for (int x = 0; x < pic.width(); ++x)
                line[x] = qRgb(x % 256, y % 256, (x ^ y) % 256);
        }
        r.showPicture(pic, QStringLiteral("photo.jpg"));
        r.panel.selectTab(2);
        const char *v[8] = {"0.08", "0.1", "0.1", "0.92", "0.93", "0.9", "0.9", "0.07"};
        for (int i = 0; i < 8; ++i)
            r.panel.setPos(CalibPanel::PosBox(i), QString::fromLatin1(v[i]));
        r.panel.setVal(CalibPanel::RUX_VLText, QStringLiteral("1000"));
        r.panel.setVal(CalibPanel::RUY_VLText, QStringLiteral("50"));
        QApplication::processEvents();
    }
    GraphPictureArea *area() const { return w.graphs->widget()->pictureArea(); }
};

void pointerMoves(benchmark::State &state, int scaleEntry)
{
    Photo p;
    if (!p.r.Dfnt_Done)
        state.SkipWithError("frame not complete");
    p.r.settings.zoom.setIndex(11); // "20"
    p.w.graphs->widget()->setScaleEntry(scaleEntry, QPointF(0, 0));
    QApplication::processEvents();
    // The visible part, drawn once before the moves (as after opening).
    p.area()->repaint();
    GraphPictureArea *area = p.area();
    std::vector<double> ms;
    ms.reserve(1000);
    for (auto _ : state) {
        ms.clear();
        for (int i = 0; i < 1000; ++i) {
            const QSize view = area->size();
            const QPointF pos((i * 37) % view.width(), (i * 53) % view.height());
            QElapsedTimer t;
            t.start();
            QMouseEvent ev(QEvent::MouseMove, pos, area->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                           Qt::NoModifier);
            QApplication::sendEvent(area, &ev);
            QApplication::processEvents(); // the zoom view's repaint
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[ms.size() * 95 / 100];
    if (!p.w.graphs->widget()->statusLabel()->text().startsWith(QStringLiteral("X=")))
        state.SkipWithError("no readout");
}
// At 100 %, and with the whole photo fitted into the window (down-sampled
// tiles, made once).
void BM_PointerMoveAtZoom20(benchmark::State &state) { pointerMoves(state, ViewScale::kHundred); }
void BM_PointerMoveAtZoom20_Whole(benchmark::State &state) { pointerMoves(state, ViewScale::kFit); }
BENCHMARK(BM_PointerMoveAtZoom20)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PointerMoveAtZoom20_Whole)->Iterations(1)->Unit(benchmark::kMillisecond);

// The grid overlay over the whole 6000 x 4000 picture: its lines computed for
// the frame (projective mode) and drawn with their labels, as one repaint
// draws them.
void BM_GridOverlayRepaint_6000x4000(benchmark::State &state)
{
    Photo p;
    p.r.panel.selectTab(3);
    p.r.graph.setGridVisible(true);
    QImage canvas(6000, 4000, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    size_t lines = 0;
    for (auto _ : state) {
        QPainter painter(&canvas);
        const auto grid = p.area()->overlayGrid();
        lines = grid.size();
        GraphPictureArea::paintGrid(painter, grid, QSizeF(canvas.size()));
    }
    state.counters["lines"] = double(lines);
    if (lines == 0)
        state.SkipWithError("no grid");
}
BENCHMARK(BM_GridOverlayRepaint_6000x4000)->Unit(benchmark::kMillisecond);

// A corner dragged with the grid on: each move repaints the visible picture
// with the grid moved (the real window, offscreen), per-move median and 95th
// percentile.
void BM_CornerDragWithGrid(benchmark::State &state)
{
    Photo p;
    p.r.panel.selectTab(3);
    p.r.graph.setGridVisible(true);
    // The corner's marker, as a click would have placed it.
    Marker m;
    m.left = 0.08f - p.r.graph.markerWidth / 2;
    m.top = 0.1f + p.r.graph.markerHeight / 2;
    m.visible = true;
    p.r.graph.setDfnt(LL, m);
    QApplication::processEvents();
    GraphPictureArea *area = p.area();
    const QPointF corner = QRectF(area->dfntRect(LL)).center();
    QMouseEvent press(QEvent::MouseButtonPress, corner, area->mapToGlobal(corner), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(area, &press);
    if (p.r.Drag_DfntNo != LL) {
        state.SkipWithError("the press missed the corner");
        return;
    }
    std::vector<double> ms;
    for (auto _ : state) {
        ms.clear();
        for (int i = 0; i < 200; ++i) {
            const QPointF pos = corner + QPointF((i * 7) % 300, -((i * 11) % 300));
            QElapsedTimer t;
            t.start();
            QMouseEvent ev(QEvent::MouseMove, pos, area->mapToGlobal(pos), Qt::NoButton, Qt::LeftButton,
                           Qt::NoModifier);
            QApplication::sendEvent(area, &ev);
            QApplication::processEvents(); // the repaint
            ms.push_back(double(t.nsecsElapsed()) / 1e6);
        }
    }
    std::sort(ms.begin(), ms.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["p95_ms"] = ms[ms.size() * 95 / 100];
}
BENCHMARK(BM_CornerDragWithGrid)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
