// Edits of 1,000 selected notes as they commit on release or on a key: a move by a
// quarter note and a paste, each with its undo record.
#include "editor/EditContext.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "model/Song.h"
#include "support/EditingBench.h"

#include <benchmark/benchmark.h>

namespace zelk {
namespace {

// 1,000 quarter notes (8 columns) in ten rows, one every half measure of 4/4, all
// selected: a move by a quarter note keeps each inside its measure.
struct Fixture : bench::EditingBench {
    static constexpr int kNotes = 1000;
    Fixture() {
        clearForNewSong(song);
        resetSongModel(song);
        HScroll1_Change(song, editor.view, editor.signatures);
        editor.view.ColWidth = 120; // the canvas's geometry, as a redraw leaves it
        editor.view.ShownCols = 32;
        for (int i = 0; i < kNotes; ++i) {
            const int row = 20 + i % 10;
            const int32_t head = 16 * (i / 10);
            song.part.Grid(row, head) |= cell::Head;
            for (int32_t c = head + 1; c < head + 8; ++c)
                song.part.Grid(row, c) |= cell::Body;
            song.part.Grid(row, head + 8) |= cell::End;
            song.part.Sounding[head] = 1;
        }
        song.part.PartLen = 16 * (kNotes / 10 - 1) + 8;
        selectAllNotes(ctx);
    }
};

void BM_MoveThousandSelectedNotes(benchmark::State& state) {
    Fixture f;
    int32_t thirds = 24; // a quarter note there and back
    for (auto _ : state) {
        const EditOutcome out = moveSelection(f.ctx, thirds, 0);
        if (out.refused())
            state.SkipWithError("move refused");
        thirds = -thirds;
    }
    state.counters["notes"] = static_cast<double>(f.editor.selection.notes.size());
}
BENCHMARK(BM_MoveThousandSelectedNotes)->Unit(benchmark::kMillisecond);

void BM_PasteThousandNotes(benchmark::State& state) {
    Fixture f;
    copySelection(f.ctx);
    f.editor.view.FirstMeasure = 100; // past the copied notes: room for the paste
    HScroll1_Change(f.song, f.editor.view, f.editor.signatures);
    for (auto _ : state) {
        const EditOutcome out = pasteNotes(f.ctx, std::nullopt);
        if (out.refused())
            state.SkipWithError("paste refused");
        state.PauseTiming();
        Mundo_Click(f.ctx);
        state.ResumeTiming();
    }
    state.counters["notes"] = static_cast<double>(f.editor.clipboard.notes.size());
}
BENCHMARK(BM_PasteThousandNotes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
