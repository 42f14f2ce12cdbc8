// Offline rendering speed of the built-in synthesizer: how much faster than real time a song can
// be rendered to a file, and how much of a real-time period the sound card's thread uses.
#include "platform/SoundFontLookup.h"
#include "platform/SynthOpening.h"
#include "ports/MidiOut.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zelk;

// One second of audio with `notes` notes sounding across the 16 channels (channel 9 drums).
void renderOneSecond(benchmark::State& state) {
    const auto soundFont = findSoundFontFromEnvironment();
    SynthOpening opening = openSoundFontSynth({.soundFont = soundFont, .output = kOfflineOutput});
    if (opening.status != OpenStatus::Ok) {
        state.SkipWithError(opening.detail.c_str());
        return;
    }
    SoundFontSynth& synth = *opening.synth;
    const int notes = static_cast<int>(state.range(0));
    const int frames = static_cast<int>(synth.sampleRate());
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < notes; ++i)
            synth.send(shortMessage(0x90 + i % 16, 48 + (i * 7) % 36, 100));
        state.ResumeTiming();
        benchmark::DoNotOptimize(synth.renderOffline(frames));
        state.PauseTiming();
        for (int channel = 0; channel < 16; ++channel)
            synth.send(shortMessage(0xB0 + channel, 120, 0)); // all sound off
        synth.renderOffline(64);
        state.ResumeTiming();
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(renderOneSecond)->Arg(0)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
