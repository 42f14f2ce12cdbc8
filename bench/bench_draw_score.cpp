// DrawScore runs on every pointer move over the canvas, so its time is added to every
// mouse event. Measured on a 1920 x 1080 window (15 twips per pixel) with the whole
// staff shown and every cell of the shown measures covered by notes.

#include "support/ScoreScene.h"

#include <benchmark/benchmark.h>

namespace zelk {
namespace {

using bench::Scene;

void BM_DrawScore(benchmark::State& state) {
    Scene s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        DrawScore(s.song, s.ed.palette, s.ed.view, s.list);
        benchmark::DoNotOptimize(s.list.items.data());
    }
    state.counters["primitives"] = static_cast<double>(s.list.items.size());
}
BENCHMARK(BM_DrawScore)->Arg(7)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_DrawScoreTuplet(benchmark::State& state) {
    Scene s(static_cast<int>(state.range(0)));
    Command5_Click(s.ed.palette);
    for (auto _ : state) {
        DrawScore(s.song, s.ed.palette, s.ed.view, s.list);
        benchmark::DoNotOptimize(s.list.items.data());
    }
    state.counters["primitives"] = static_cast<double>(s.list.items.size());
}
BENCHMARK(BM_DrawScoreTuplet)->Arg(7)->Unit(benchmark::kMicrosecond);

void BM_DrawLane(benchmark::State& state) {
    Scene s(7);
    Option3_Click(s.ed.palette, ScreenPan);
    for (auto _ : state) {
        DrawScore(s.song, s.ed.palette, s.ed.view, s.list);
        benchmark::DoNotOptimize(s.list.items.data());
    }
    state.counters["primitives"] = static_cast<double>(s.list.items.size());
}
BENCHMARK(BM_DrawLane)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
