// What one pointer move over the canvas costs: DrawScore and painting its list into a
// 1920 x 1080 raster image, as the canvas paints on screen; with the other 15 parts of the
// dense song as ghost notes behind, and what refreshing their cache costs.

#include "editor/entry/SelectionEdits.h"
#include "editor/view/GhostNotes.h"
#include "editor/view/SelectionDraw.h"
#include "model/PartSwitch.h"
#include "ports/NullMidiOut.h"
#include "support/BenchFolder.h"
#include "support/DenseSong.h"
#include "support/ScoreScene.h"
#include "ui/main/ScoreCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

namespace zelk {
namespace {

void BM_DrawAndPaint(benchmark::State& state) {
    bench::Scene s(static_cast<int>(state.range(0)));
    const ColorTable colors = defaultColorTable();
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        DrawScore(s.song, s.ed.palette, s.ed.view, s.list);
        QPainter p(&image);
        ui::ScoreCanvas::paintList(p, s.list, colors, 1.0 / bench::kTwipsPerPixel);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["primitives"] = static_cast<double>(s.list.items.size());
}
BENCHMARK(BM_DrawAndPaint)->Arg(7)->Arg(1)->Unit(benchmark::kMillisecond);

// Seven measures with the labels, without (0) and with (1) the ghosts of 15 dense parts.
void BM_DrawAndPaintWithGhosts(benchmark::State& state) {
    bench::Scene s(7);
    bench::BenchFolder dir;
    Song other;
    bench::buildDenseSong(other, dir.folder());
    GhostCache cache;
    cache.refresh(dir.folder(), s.song.CurPart);
    const GhostLayer layer(cache, 0xFFFF);
    const ScoreExtras extras{state.range(0) == 1 ? &layer : nullptr, true};
    const ColorTable colors = defaultColorTable();
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        DrawScore(s.song, s.ed.palette, s.ed.view, s.list, extras);
        QPainter p(&image);
        ui::ScoreCanvas::paintList(p, s.list, colors, 1.0 / bench::kTwipsPerPixel);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["primitives"] = static_cast<double>(s.list.items.size());
}
BENCHMARK(BM_DrawAndPaintWithGhosts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A drag of 1,000 selected notes over the seven dense measures, on one pointer move: the
// outline drawn again and the canvas painted, over the picture of the score the canvas
// keeps while the drag runs (0) or with the score's list painted again (1).
void BM_SelectionDragOutline(benchmark::State& state) {
    bench::Scene s(7);
    std::vector<NoteKey> keys;
    for (int32_t col = 0; col < 7 * 32 && keys.size() < 1000; col += 2)
        for (int row = 0; row < kRows && keys.size() < 1000; ++row)
            keys.push_back({col, row});
    s.ed.selection.set(s.song.CurPart, std::move(keys));
    NoteSelection& sel = s.ed.selection;
    sel.drag.active = true;
    sel.drag.notes = selectedNotes(s.song, sel);
    ScoreExtras extras;
    extras.labels = true;
    extras.selection = &sel;
    DrawScore(s.song, s.ed.palette, s.ed.view, s.list, extras);
    const ColorTable colors = defaultColorTable();
    const double pxPerTwip = 1.0 / bench::kTwipsPerPixel;
    QImage score(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    QPainter cache(&score);
    ui::ScoreCanvas::paintList(cache, s.list, colors, pxPerTwip);
    cache.end();
    QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
    DrawList outline;
    int step = 0;
    for (auto _ : state) {
        sel.drag.thirds = 6 * (++step % 8); // the pointer walks right column by column
        drawSelectionGesture(s.ed.view, sel, outline);
        QPainter p(&image);
        if (state.range(0) == 0)
            p.drawImage(0, 0, score);
        else
            ui::ScoreCanvas::paintList(p, s.list, colors, pxPerTwip);
        ui::ScoreCanvas::paintList(p, outline, colors, pxPerTwip);
        p.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["notes"] = static_cast<double>(sel.drag.notes.size());
    state.counters["outline"] = static_cast<double>(outline.items.size());
}
BENCHMARK(BM_SelectionDragOutline)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// After a part switch of the dense song the part left behind is read again.
void BM_GhostRefreshAfterPartSwitch(benchmark::State& state) {
    bench::BenchFolder dir;
    Song song;
    bench::buildDenseSong(song, dir.folder());
    GhostCache cache;
    cache.refresh(dir.folder(), song.CurPart);
    NullMidiOut out;
    for (auto _ : state) {
        state.PauseTiming();
        switchPart(song, dir.folder(), out, song.CurPart == 0 ? 1 : 0, -1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(cache.refresh(dir.folder(), song.CurPart));
    }
}
BENCHMARK(BM_GhostRefreshAfterPartSwitch)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zelk

// Painting texts needs a GUI application (offscreen is enough).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
