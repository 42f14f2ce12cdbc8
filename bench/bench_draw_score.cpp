// DrawScore runs on every pointer move over the canvas, so its time is added to every
// mouse event. Measured on a 1920 x 1080 window (15 twips per pixel) with the whole
// staff shown and every cell of the shown measures covered by notes.

#include "editor/DrawScore.h"
#include "editor/EditorState.h"
#include "editor/Signatures.h"
#include "editor/ViewPosition.h"
#include "editor/WindowLayout.h"
#include "model/Cell.h"
#include "model/Song.h"

#include <benchmark/benchmark.h>

namespace zelk {
namespace {

constexpr double kTwipsPerPixel = 15;

// Sixteenth notes in every row over the first `cols` columns, with a mix of
// accidentals, so every shown cell is a head or a body.
void fillWithNotes(Song& song, int cols) {
    auto& g = song.part.Grid;
    for (int row = 0; row < kRows; ++row) {
        for (int head = 0; head + 2 <= cols; head += 2) {
            const int32_t acc = (head / 2 + row) % 3 == 0   ? cell::Sharp
                                : (head / 2 + row) % 3 == 1 ? cell::Flat
                                                            : 0;
            g(row, head) |= cell::Head | acc;
            g(row, head + 1) |= cell::Body | acc;
            g(row, head + 2) |= cell::End | acc * 4;
        }
    }
}

struct Scene {
    Song song;
    EditorState ed;
    DrawList list;

    explicit Scene(int shownMeasures) {
        clearForNewSong(song);
        resetSongModel(song);
        fillWithNotes(song, 7 * 32 + 32);
        Combo7_Click(song, ed.view, ed.signatures, 3); // a key, so notes take every colour
        Option2_Click(ed.palette, ed.view, BandWhole);
        Mkakudai_Click(song, ed.view, ed.signatures, shownMeasures);
        Form_Resize(song, ed.view, 1920 * kTwipsPerPixel, 1080 * kTwipsPerPixel, true);
    }
};

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
