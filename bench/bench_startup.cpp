// The sound output's share of a start: looking for sound servers and opening the sound
// card (falling back to the silent clock on a machine without one), against opening the
// silent clock directly. With jackd installed and no JACK server running, FluidSynth's
// jack driver used to start a server twice, 6 s each.
#include "platform/AudioDrivers.h"
#include "platform/SoundFontLookup.h"
#include "platform/SynthOpening.h"

#include <benchmark/benchmark.h>

namespace zelk {
namespace {

void BM_OpenSoundOutput(benchmark::State& state) {
    for (auto _ : state) {
        SynthOpening opened = openSoundFontSynth(
            {.soundFont = findSoundFontFromEnvironment(), .output = kAudioDeviceOutput});
        benchmark::DoNotOptimize(opened.synth.get());
    }
}
BENCHMARK(BM_OpenSoundOutput)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_OpenSilentClock(benchmark::State& state) {
    for (auto _ : state) {
        SynthOpening opened = openSoundFontSynth(
            {.soundFont = findSoundFontFromEnvironment(), .output = kSilentClockOutput});
        benchmark::DoNotOptimize(opened.synth.get());
    }
}
BENCHMARK(BM_OpenSilentClock)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_LookForSoundServers(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(runningSoundServers());
}
BENCHMARK(BM_LookForSoundServers)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
