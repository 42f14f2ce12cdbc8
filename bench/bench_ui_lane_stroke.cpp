// Lane editing on a full 1920 x 1080 canvas showing seven measures: one pointer move of
// a freehand drag (the core's write, the new draw list and the repaint of the changed
// strip, as the window does) and the commit of a right-drag line across the view.

#include "editor/EditContext.h"
#include "editor/entry/CanvasMouse.h"
#include "platform/GzipCompressor.h"
#include "ports/NullMidiOut.h"
#include "support/BenchFolder.h"
#include "support/ScoreScene.h"
#include "ui/main/ScoreCanvas.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace zelk {
namespace {

struct LaneScene {
    bench::Scene s{7};
    bench::BenchFolder folder;
    NullMidiOut midi;
    GzipCompressor gzip;
    EditContext ctx{s.song, s.ed, folder.folder(), midi, gzip};
    ColorTable colors = defaultColorTable();
    QImage image{1920, 1080, QImage::Format_ARGB32_Premultiplied};

    LaneScene() {
        Option3_Click(s.ed.palette, ScreenMod);
        DrawScore(s.song, s.ed.palette, s.ed.view, s.list);
    }
    // What the window's paint event does for an update of `clip` (pixels).
    void paint(const QRect& clip) {
        QPainter p(&image);
        p.setClipRect(clip);
        ui::ScoreCanvas::paintList(p, s.list, colors, 1.0 / bench::kTwipsPerPixel);
    }
    QRect strip(const EditOutcome& o) const {
        const double w = s.ed.view.ColWidth / bench::kTwipsPerPixel;
        const int left = static_cast<int>(o.laneFirst * w) - 4;
        const int right = static_cast<int>((o.laneLast + 1) * w) + 4;
        return {left, 0, right - left + 1, image.height()};
    }
};

void BM_FreehandMove(benchmark::State& state) {
    LaneScene l;
    const ViewState& v = l.s.ed.view;
    Picture1_MouseDown(l.ctx, 1, 0, v.ColWidth / 2.0, 100);
    int i = 0;
    for (auto _ : state) {
        // One column further on each move, the value alternating, so every move writes.
        const double x = (i % v.ShownCols) * v.ColWidth + v.ColWidth / 2.0;
        const double y = (i / v.ShownCols) % 2 == 0 ? 1000 : 6000;
        ++i;
        const EditOutcome o = Picture1_MouseMove(l.ctx, 1, 0, x, y);
        DrawScore(l.s.song, l.s.ed.palette, l.s.ed.view, l.s.list);
        l.paint(l.strip(o));
        benchmark::DoNotOptimize(l.image.constBits());
    }
    Picture1_MouseUp(l.ctx, 1, 0, 0, 0);
    state.counters["cols"] = v.ShownCols;
}
BENCHMARK(BM_FreehandMove)->Unit(benchmark::kMicrosecond);

// The release of a line from the left edge to the right edge (224 columns); with
// argument 1 also the whole redraw that follows it.
void BM_LineCommit(benchmark::State& state) {
    LaneScene l;
    const ViewState& v = l.s.ed.view;
    const double right = (v.ShownCols - 1) * v.ColWidth + v.ColWidth / 2.0;
    int i = 0;
    for (auto _ : state) {
        const double y = ++i % 2 == 0 ? 1000 : 6000;
        Picture1_MouseDown(l.ctx, 2, 0, v.ColWidth / 2.0, y);
        Picture1_MouseUp(l.ctx, 2, 0, right, 7000 - y);
        if (state.range(0) == 0)
            continue;
        DrawScore(l.s.song, l.s.ed.palette, l.s.ed.view, l.s.list);
        l.paint(l.image.rect());
        benchmark::DoNotOptimize(l.image.constBits());
    }
    state.counters["cols"] = v.ShownCols;
}
BENCHMARK(BM_LineCommit)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
