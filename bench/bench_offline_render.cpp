// Offline render speed in multiples of real time: the first 30 seconds of a light 4-part
// song, of the dense song (16 parts, every eighth note sounding in every part) and of its
// first four parts, on one
// rendering core and with FluidSynth's synth.cpu-cores = 2, to nothing and to an Ogg file.
// A real-time recording of the same samples runs at 1x.

#include "model/Song.h"
#include "platform/EncodedAudioFileWriter.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/IconvShiftJis.h"
#include "platform/SoundFontLookup.h"
#include "ports/NullMidiOut.h"
#include "render/RenderPlan.h"
#include "render/SongRenderer.h"
#include "support/BenchFolder.h"
#include "support/DenseSong.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace zelk {
namespace {

constexpr int kRate = 44100;
constexpr int64_t kSeconds = 30;

class DiscardingSink : public AudioFileSink {
public:
    void write(std::span<const float> s) override { benchmark::DoNotOptimize(s.data()); }
    void commit() override {}
};

// The song's first 30 seconds as a song without loop.
RenderPlan firstSeconds(RenderPlan plan) {
    const int64_t end = kSeconds * kRate;
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

// A lighter song as users write them, at 140 beats per minute: an eighth-note melody, a
// bass in quarters, half-note chords and an eighth-note accompaniment.
void buildLightSong(Song& song, const AppFolder& folder) {
    clearForNewSong(song);
    resetSongModel(song);
    song.TemLane.fill(140);
    struct Voice {
        int program, len, rows[3];
    };
    const Voice voices[4] = {
        {0, 4, {20, 22, 24}}, {33, 8, {40, -1, -1}}, {48, 16, {26, 28, 30}}, {24, 4, {32, 34, -1}}};
    for (int p = 3; p >= 0; --p) {
        const Voice& v = voices[p];
        song.CurPart = static_cast<uint8_t>(p);
        song.part.clearForSwitch();
        song.part.resetHeader();
        song.part.PartProgram = static_cast<uint8_t>(v.program);
        for (int head = 0; head + v.len <= 2000; head += v.len) {
            for (int r : v.rows)
                if (r >= 0)
                    bench::putDenseNote(song.part, r + (head / v.len) % 5, head, v.len);
            song.part.VelLane[head] = 90;
        }
        for (int x = 0; x <= song.part.PartLen; ++x) {
            song.part.Sounding[x] = x < song.part.PartLen ? 1 : 0;
            song.part.PitLane[x] = 64;
            song.part.ExpLane[x] = 127;
            song.part.PanLane[x] = 64;
        }
        SavePartFile(song, folder);
    }
}

RenderPlan densePlan(int parts) {
    bench::BenchFolder tmp;
    Song song;
    if (parts == 0)
        buildLightSong(song, tmp.folder());
    else
        bench::buildDenseSong(song, tmp.folder());
    RenderOptions options;
    for (int p = 0; p < kParts; ++p)
        options.parts[static_cast<size_t>(p)] = parts == 0 || p < parts;
    NullMidiOut out;
    const IconvShiftJis sjis;
    return firstSeconds(prepareRender(song, tmp.folder(), out, sjis, tmp.dir() / "r.mid", options));
}

// Arguments: parts of the dense song that sound (0: the light song), FluidSynth rendering
// cores, 1 = encode an Ogg file.
void BM_RenderDenseSong(benchmark::State& state) {
    const auto font = findSoundFontFromEnvironment();
    if (!font) {
        state.SkipWithError("no SoundFont");
        return;
    }
    const RenderPlan plan = densePlan(static_cast<int>(state.range(0)));
    const auto cores = static_cast<int>(state.range(1));
    bench::BenchFolder out;
    for (auto _ : state) {
        FluidSynthRenderer synth(kRate, *font, cores);
        if (state.range(2) == 1) {
            EncodedAudioFileWriter writer;
            renderToFile(plan, AudioFileFormat::Ogg, out.dir() / "a.ogg", synth, writer, nullptr);
        } else {
            DiscardingSink sink;
            renderPlan(plan, synth, sink, nullptr);
        }
    }
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(kSeconds * state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDenseSong)
    ->Args({0, 1, 0})
    ->Args({0, 2, 0})
    ->Args({4, 1, 0})
    ->Args({16, 1, 0})
    ->Args({16, 2, 0})
    ->Args({4, 1, 1})
    ->Args({16, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
