// The measure tools on the large song: a copy of 100 measures of all 16 parts (with its
// two snapshots), its undo, and an octave shift of a dense part (with its snapshots).
// Each runs on the window's thread.
#include "editor/EditContext.h"
#include "editor/tools/MeasureCopy.h"
#include "editor/tools/MeasureEdit.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/ViewPosition.h"
#include "support/DenseSong.h"
#include "support/EditingBench.h"

#include <benchmark/benchmark.h>

namespace zelk {
namespace {

struct Fixture : bench::EditingBench {
    Fixture() {
        bench::buildDenseSong(song, tmp.folder());
        HScroll1_Change(song, editor.view, editor.signatures);
    }

    MeasureCopyForm hundredMeasures() {
        MeasureCopyForm f = Form2_Load(song, editor.view);
        f.allParts = true;
        f.sourceFirst = 0;
        f.sourceLast = 99;
        f.destFirst = 100;
        return f;
    }
};

void BM_CopyHundredMeasuresOfAllParts(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        MeasureCopyForm form = f.hundredMeasures();
        benchmark::DoNotOptimize(Form2_Command1_Click(f.ctx, form));
        state.PauseTiming();
        Mundo_Click(f.ctx);
        state.ResumeTiming();
    }
}

void BM_UndoOfTheCopy(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        MeasureCopyForm form = f.hundredMeasures();
        Form2_Command1_Click(f.ctx, form);
        state.ResumeTiming();
        benchmark::DoNotOptimize(Mundo_Click(f.ctx));
    }
}

void BM_OctaveShiftOfADensePart(benchmark::State& state) {
    Fixture f;
    MeasureEditForm form = MeasureEdit_Load(f.song, f.editor.view);
    for (auto _ : state) {
        form.octaveDown = !form.octaveDown; // keeps the notes on the grid
        benchmark::DoNotOptimize(MeasureEdit_Command2_Click(f.ctx, form));
    }
}

BENCHMARK(BM_CopyHundredMeasuresOfAllParts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoOfTheCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OctaveShiftOfADensePart)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
