// MIDI import: the export of the dense song (16 parts, 300 measures) read back exactly, and a
// file of about 1 MB of another program (16 channels of humanized sixteenths with controller
// changes) quantized and spelled; time and the peak of memory held during one import, against
// the goal of 100 ms and 50 MB. Then the offline render of a MIDI file from its own events
// against the same song rendered from its project (the first 30 s of the dense song).

#include "files/TextLines.h"
#include "import/ImportMidi.h"
#include "midi/LoopSpan.h"
#include "midi/MidiExportOptions.h"
#include "midi/MidiFileEvents.h"
#include "midi/WriteMidiFile.h"
#include "model/Song.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/IconvShiftJis.h"
#include "platform/SoundFontLookup.h"
#include "ports/NullMidiOut.h"
#include "render/MidiFilePlan.h"
#include "render/RenderPlan.h"
#include "render/SongRenderer.h"
#include "support/AllocationPeak.h"
#include "support/BenchFolder.h"
#include "support/DenseSong.h"

#include <benchmark/benchmark.h>

#include <random>

namespace zelk {
namespace {

std::string denseExport() {
    bench::BenchFolder tmp;
    Song song;
    bench::buildDenseSong(song, tmp.folder());
    NullMidiOut out;
    const auto path = tmp.dir() / "dense.mid";
    WriteMidiFile(song, tmp.folder(), out, IconvShiftJis(), path, MidiExportOptions::forExport());
    return readWholeFile(path);
}

void putVlq(std::string& out, uint32_t v) {
    std::string bytes(1, static_cast<char>(v & 0x7F));
    while ((v >>= 7) != 0)
        bytes.insert(bytes.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    out += bytes;
}

// Format 1 at 480: a conductor (4/4, D major, 100 beats per minute) and 16 tracks of
// sixteenths in chords of two, each start and end up to 10 ticks off, with an expression
// change every beat, until the file holds about 1 MB.
std::string foreignMegabyte() {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> jitter(-10, 10), step(0, 4);
    const std::string conductor("\0\xFF\x58\x04\x04\x02\x18\x08\0\xFF\x59\x02\x02\0\0\xFF\x51\x03"
                                "\x09\x27\xC0\0\xFF\x2F\0",
                                27);
    std::string tracks;
    constexpr int kSixteenths = 4000; // per track
    for (int ch = 0; ch < 16; ++ch) {
        std::string body;
        uint32_t last = 0;
        const auto at = [&](uint32_t tick, std::initializer_list<int> bytes) {
            putVlq(body, tick - last);
            for (const int b : bytes)
                body += static_cast<char>(b);
            last = tick;
        };
        int key = 50 + ch;
        for (int i = 0; i < kSixteenths; ++i) {
            const auto on = static_cast<uint32_t>(std::max(0, 120 * i + jitter(rng)));
            const auto off = static_cast<uint32_t>(120 * i + 110 + jitter(rng));
            key = std::clamp(key + step(rng) - 2, 36, 90);
            at(std::max(on, last), {0x90 | ch, key, 80});
            at(last, {0x90 | ch, key + 4, 70});
            if (i % 4 == 0)
                at(last, {0xB0 | ch, 11, 60 + i % 60});
            at(std::max(off, last), {0x80 | ch, key, 0});
            at(last, {0x80 | ch, key + 4, 0});
        }
        at(last, {0xFF, 0x2F, 0});
        tracks += "MTrk";
        for (const int shift : {24, 16, 8, 0})
            tracks += static_cast<char>((body.size() >> shift) & 0xFF);
        tracks += body;
    }
    std::string file("MThd\0\0\0\6\0\1\0\x11\x01\xE0MTrk\0\0\0\x1B", 22);
    return file + conductor + tracks;
}

void importBench(benchmark::State& state, const std::string& file) {
    const IconvShiftJis sjis;
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    size_t peak = 0;
    for (auto _ : state)
        peak =
            bench::peakBytesDuring([&] { benchmark::DoNotOptimize(importMidi(bytes, sjis, "")); });
    state.counters["file_MB"] = static_cast<double>(file.size()) / (1 << 20);
    state.counters["peak_MB"] = static_cast<double>(peak) / (1 << 20);
}

void BM_ImportDenseSongExport(benchmark::State& state) {
    static const std::string file = denseExport();
    importBench(state, file);
}
BENCHMARK(BM_ImportDenseSongExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportForeignMegabyte(benchmark::State& state) {
    static const std::string file = foreignMegabyte();
    importBench(state, file);
}
BENCHMARK(BM_ImportForeignMegabyte)->Unit(benchmark::kMillisecond)->UseRealTime();

// The dense song's first 30 s at 44.1 kHz to nothing, planned from the project (the export
// written and read back, as zelk-tool render IN.zelk) or from the exported file (render
// IN.mid): the plans hold the same messages, so the difference is the planning.
class DiscardingSink : public AudioFileSink {
public:
    void write(std::span<const float> s) override { benchmark::DoNotOptimize(s.data()); }
    void commit() override {}
};

RenderPlan firstSeconds(RenderPlan plan) {
    const int64_t end = 30 * 44100;
    auto schedule = std::make_shared<Schedule>(*plan.schedule);
    std::erase_if(schedule->messages, [end](const ScheduledMessage& m) { return m.frame >= end; });
    schedule->loop.reset();
    schedule->endFrame = end;
    plan.loop.reset();
    plan.lastNoteOffFrame = end;
    plan.lastNoteOffTick = schedule->messages.back().tick;
    plan.schedule = std::move(schedule);
    return plan;
}

void BM_RenderFrom(benchmark::State& state) {
    const auto font = findSoundFontFromEnvironment();
    if (!font) {
        state.SkipWithError("no SoundFont");
        return;
    }
    const bool fromMidi = state.range(0) == 1;
    bench::BenchFolder tmp;
    Song song;
    bench::buildDenseSong(song, tmp.folder());
    NullMidiOut out;
    const IconvShiftJis sjis;
    const auto midi = tmp.dir() / "song.mid";
    WriteMidiFile(song, tmp.folder(), out, sjis, midi, MidiExportOptions::forExport());
    RenderOptions options;
    for (auto _ : state) {
        const RenderPlan plan =
            fromMidi ? planMidiFileRender(readMidiEventsFile(midi), "", "", options,
                                          exportTickOfColumn(0))
                     : prepareRender(song, tmp.folder(), out, sjis, tmp.dir() / "r.mid", options);
        FluidSynthRenderer synth(44100, *font, 1);
        DiscardingSink sink;
        renderPlan(firstSeconds(plan), synth, sink, nullptr);
    }
}
BENCHMARK(BM_RenderFrom)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
