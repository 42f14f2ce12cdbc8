// Playback figures: the time from the play button to the first note reaching the synthesizer for
// the dense song, how exactly the file player places note onsets in the rendered audio, and the
// buffer length a live preview note waits for on the sound card.
#include "editor/EditorState.h"
#include "editor/transport/Playback.h"
#include "files/TextLines.h"
#include "midi/LiveMidiOut.h"
#include "midi/MidiExportOptions.h"
#include "midi/MidiFileEvents.h"
#include "midi/Schedule.h"
#include "midi/TrackCache.h"
#include "midi/WriteMidiFile.h"
#include "model/Song.h"
#include "platform/AudioDeviceOutput.h"
#include "platform/IconvShiftJis.h"
#include "platform/SchedulePlayer.h"
#include "platform/SoundFontLookup.h"
#include "platform/SynthOpening.h"
#include "ports/NullMidiOut.h"
#include "render/ScheduleRun.h"
#include "support/BenchFolder.h"
#include "support/DenseSong.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <vector>

namespace zelk {
namespace {

constexpr int kBlock = 64;

struct Player {
    SynthOpening opening =
        openSoundFontSynth({.soundFont = findSoundFontFromEnvironment(), .output = kOfflineOutput});
    SoundFontSynth& synth = *opening.synth;
    SchedulePlayer player{synth};

    // Renders block by block until a voice sounds; false after `limit` blocks.
    bool renderUntilFirstVoice(int limit = 10000) {
        for (int i = 0; i < limit; ++i) {
            synth.renderOffline(kBlock);
            if (synth.activeVoices() > 0)
                return true;
        }
        return false;
    }
    void silence() {
        player.stop();
        player.close();
        synth.renderOffline(kBlock);
    }
};

struct DenseFixture {
    bench::BenchFolder tmp;
    Song song;
    EditorState editor;
    IconvShiftJis sjis;
    Player p;
    LiveMidiOut live{p.synth};
    PlaybackState state;
    PlaybackContext ctx{song, editor, state, tmp.folder(), live, sjis, p.player};
    DenseFixture() { bench::buildDenseSong(song, tmp.folder()); }
};

DenseFixture& dense() {
    static auto f = std::make_unique<DenseFixture>();
    return *f;
}

// The press: the playback file written ("rec.mid"), read into the player, the player started,
// blocks rendered until the first note sounds. Offline, so the sound card's buffer (one period
// at most before the block is rendered) comes on top.
void BM_PlayStartDenseSong(benchmark::State& state) {
    DenseFixture& f = dense();
    if (f.p.opening.status != OpenStatus::Ok) {
        state.SkipWithError(f.p.opening.detail.c_str());
        return;
    }
    for (auto _ : state) {
        if (!Command4_Click(f.ctx).message.empty() || !f.p.renderUntilFirstVoice()) {
            state.SkipWithError("playback did not start");
            return;
        }
        state.PauseTiming();
        Command4_Click(f.ctx);
        Timer1_Timer(f.ctx);
        f.p.synth.renderOffline(kBlock);
        state.ResumeTiming();
    }
    state.counters["file_bytes"] =
        static_cast<double>(std::filesystem::file_size(f.tmp.folder().playbackMidi()));
}
BENCHMARK(BM_PlayStartDenseSong)->Unit(benchmark::kMillisecond);

// The first half of the press alone: the playback file of the dense song, every track built
// (0) or the tracks of the parts not edited since the last press kept (1).
void BM_WritePlaybackFileDenseSong(benchmark::State& state) {
    DenseFixture& f = dense();
    NullMidiOut none;
    TrackCache cache;
    TrackCache* kept = state.range(0) == 1 ? &cache : nullptr;
    for (auto _ : state)
        WriteMidiFile(f.song, f.tmp.folder(), none, f.sjis, f.tmp.folder().playbackMidi(),
                      MidiExportOptions::forPlayback(f.song, 1, f.editor.palette.PlayPart), kept);
}
BENCHMARK(BM_WritePlaybackFileDenseSong)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The second half alone: the music written into the player, timed, up to the first note.
void BM_LoadAndFirstNoteDenseSong(benchmark::State& state) {
    DenseFixture& f = dense();
    NullMidiOut none;
    TrackCache cache;
    WriteMidiFile(f.song, f.tmp.folder(), none, f.sjis, f.tmp.folder().playbackMidi(),
                  MidiExportOptions::forPlayback(f.song, 1, f.editor.palette.PlayPart), &cache);
    for (auto _ : state) {
        f.p.player.open(cache.music());
        f.p.player.play();
        if (!f.p.renderUntilFirstVoice()) {
            state.SkipWithError("no note");
            return;
        }
        state.PauseTiming();
        f.p.silence();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAndFirstNoteDenseSong)->Unit(benchmark::kMillisecond);

// The parts of the second half: the file read back, and timed into a schedule.
void BM_ReadPlaybackFileDenseSong(benchmark::State& state) {
    DenseFixture& f = dense();
    NullMidiOut none;
    const auto file = f.tmp.folder().playbackMidi();
    WriteMidiFile(f.song, f.tmp.folder(), none, f.sjis, file,
                  MidiExportOptions::forPlayback(f.song, 1, f.editor.palette.PlayPart));
    const std::string bytes = readWholeFile(file);
    const std::span<const uint8_t> view(reinterpret_cast<const uint8_t*>(bytes.data()),
                                        bytes.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(readMidiEvents(view).events.size());
}
BENCHMARK(BM_ReadPlaybackFileDenseSong)->Unit(benchmark::kMillisecond);

void BM_ScheduleOfPlaybackFileDenseSong(benchmark::State& state) {
    DenseFixture& f = dense();
    NullMidiOut none;
    const auto file = f.tmp.folder().playbackMidi();
    WriteMidiFile(f.song, f.tmp.folder(), none, f.sjis, file,
                  MidiExportOptions::forPlayback(f.song, 1, f.editor.palette.PlayPart));
    const MidiFileEvents events = readMidiEventsFile(file);
    for (auto _ : state)
        benchmark::DoNotOptimize(scheduleOf(events, 44100).messages.size());
}
BENCHMARK(BM_ScheduleOfPlaybackFileDenseSong)->Unit(benchmark::kMillisecond);

// The scheduler's own share of the rendering thread: the dense song's schedule (48 notes per
// eighth and every lane changing) walked block by block through a synthesizer that does
// nothing, so only the cursor and the message hand-off are timed. Per 64-frame block.
class SilentSynth : public SynthRenderer {
public:
    int sampleRate() const override { return 44100; }
    void send(uint32_t m) override { benchmark::DoNotOptimize(m); }
    void render(std::span<float> l, std::span<float>) override { benchmark::DoNotOptimize(l); }
};

void BM_SchedulerPerBlock(benchmark::State& state) {
    DenseFixture& f = dense();
    NullMidiOut none;
    const auto file = f.tmp.folder().playbackMidi();
    WriteMidiFile(f.song, f.tmp.folder(), none, f.sjis, file,
                  MidiExportOptions::forPlayback(f.song, 1, f.editor.palette.PlayPart));
    const auto schedule = std::make_shared<Schedule>(scheduleOf(readMidiEventsFile(file), 44100));
    SilentSynth synth;
    std::vector<float> l(kBlock), r(kBlock);
    auto run = std::make_unique<ScheduleRun>(schedule, ScheduleRun::Options{});
    int64_t messages = 0;
    for (auto _ : state) {
        if (run->finished()) {
            state.PauseTiming();
            run = std::make_unique<ScheduleRun>(schedule, ScheduleRun::Options{});
            state.ResumeTiming();
        }
        run->advanceOnAudioThread(synth, l, r);
    }
    messages = static_cast<int64_t>(schedule->messages.size());
    state.counters["messages_per_block"] =
        static_cast<double>(messages) / (static_cast<double>(schedule->endFrame) / kBlock);
}
BENCHMARK(BM_SchedulerPerBlock)->Unit(benchmark::kMicrosecond);

// Steady eighth notes (closed hi-hat on the rhythm part) through tempo changes, written by the
// MIDI file writer and rendered offline through the player. Each onset is found in the audio
// (the first sample above a third of the note's own peak); the instrument's attack is taken
// from the first note and the rest are compared with their ideal times from the tempo lane.
struct OnsetSong {
    static constexpr int kNotes = 64;
    static constexpr int kEighth = 4; // columns
    bench::BenchFolder tmp;
    Song song;
    std::vector<double> ideal; // seconds

    OnsetSong() {
        clearForNewSong(song);
        resetSongModel(song);
        song.CurPart = 9;
        song.DrumPart[9] = 1;
        song.part.PartReverb = 0;
        for (int x = 0; x < kLaneCols; ++x) {
            song.TemLane[x] = 90 + 37 * (x / 32 % 4); // a new tempo every measure
            song.part.PanLane[x] = 64;
            song.part.PitLane[x] = 64;
            song.part.ExpLane[x] = 127;
            song.part.ModLane[x] = 0;
            song.part.HolLane[x] = 0;
        }
        for (int i = 0; i < kNotes; ++i) {
            bench::putDenseNote(song.part, 42, i * kEighth, 1); // note 42
            song.part.VelLane[i * kEighth] = 127;
        }
        for (int x = 0; x <= song.part.PartLen; ++x)
            song.part.Sounding[x] = x < song.part.PartLen ? 1 : 0;
        double t = 0;
        for (int x = 0; x <= kNotes * kEighth; ++x) {
            if (x % kEighth == 0)
                ideal.push_back(t);
            // The file carries whole microseconds per quarter note.
            t += std::round(60e6 / song.TemLane[x]) / 8 / 1e6;
        }
        ideal.resize(kNotes);
    }
};

double onsetIn(const std::vector<float>& mono, double rate, double from, double to) {
    const auto a = static_cast<size_t>(std::max(0.0, from * rate));
    const auto b = std::min(mono.size(), static_cast<size_t>(to * rate));
    float peak = 0;
    for (size_t i = a; i < b; ++i)
        peak = std::max(peak, std::fabs(mono[i]));
    for (size_t i = a; i < b; ++i)
        if (std::fabs(mono[i]) >= peak / 3)
            return static_cast<double>(i) / rate;
    return -1;
}

void BM_OnsetAccuracy(benchmark::State& state) {
    OnsetSong s;
    Player p;
    if (p.opening.status != OpenStatus::Ok) {
        state.SkipWithError(p.opening.detail.c_str());
        return;
    }
    NullMidiOut none;
    IconvShiftJis sjis;
    std::array<uint8_t, kParts> only9{};
    only9[9] = 1;
    const auto file = s.tmp.folder().playbackMidi();
    double worstMs = 0, attackMs = 0;
    TrackCache cache;
    for (auto _ : state) {
        WriteMidiFile(s.song, s.tmp.folder(), none, sjis, file,
                      MidiExportOptions::forPlayback(s.song, 1, only9), &cache);
        p.player.open(cache.music());
        p.player.play();
        std::vector<float> mono;
        while (!p.player.isStopped()) {
            const std::vector<float> block = p.synth.renderOffline(kBlock);
            for (size_t i = 0; i < block.size(); i += 2)
                mono.push_back(block[i] + block[i + 1]);
        }
        p.silence();
        const double rate = p.synth.sampleRate();
        const double attack = onsetIn(mono, rate, 0, s.ideal[1] - 0.005) - s.ideal[0];
        worstMs = 0;
        for (size_t i = 1; i < s.ideal.size(); ++i) {
            const double end = i + 1 < s.ideal.size() ? s.ideal[i + 1] - 0.005 : s.ideal[i] + 0.1;
            const double onset = onsetIn(mono, rate, s.ideal[i] - 0.005, end);
            worstMs = std::max(worstMs, 1000 * std::fabs(onset - attack - s.ideal[i]));
        }
        attackMs = 1000 * attack;
    }
    state.counters["worst_onset_ms"] = worstMs;
    state.counters["first_onset_ms"] = attackMs;
    state.counters["block_ms"] = 1000.0 * kBlock / p.synth.sampleRate();
}
BENCHMARK(BM_OnsetAccuracy)->Unit(benchmark::kMillisecond)->Iterations(3);

// The buffer a live preview note waits behind on the sound card, as configured (period size x
// periods / rate). Skipped where no sound card opens.
void BM_LivePreviewLatency(benchmark::State& state) {
    SoundFontSynth synth(44100.0);
    SynthOutputResult out = AudioDeviceOutput::open(synth);
    if (!out.output) {
        state.SkipWithError(out.error.c_str());
        return;
    }
    const auto& device = static_cast<const AudioDeviceOutput&>(*out.output);
    for (auto _ : state)
        benchmark::DoNotOptimize(device.latencyMs());
    state.counters["buffer_ms"] = device.latencyMs();
    state.SetLabel(device.driverName());
}
BENCHMARK(BM_LivePreviewLatency)->Iterations(1);

} // namespace
} // namespace zelk

BENCHMARK_MAIN();
