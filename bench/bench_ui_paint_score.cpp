// What one pointer move over the canvas costs: DrawScore and painting its list into a
// 1920 x 1080 raster image, as the canvas paints on screen.

#include "support/ScoreScene.h"
#include "ui/main/ScoreCanvas.h"

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

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
