// Playback in real time on a JACK server (the dummy backend: no sound card needed), recorded
// by a JACK client of the test: every onset lands where the MIDI file's own tempo map puts it,
// within one of the synthesizer's 64-frame steps, with a tempo change on every column and
// across the wraps of loop playback.
#include "editor/session/SongReset.h"
#include "editor/transport/Playback.h"
#include "midi/LiveMidiOut.h"
#include "midi/MidiFileEvents.h"
#include "midi/TempoMap.h"
#include "model/Cell.h"
#include "model/Song.h"
#include "platform/IconvShiftJis.h"
#include "platform/SchedulePlayer.h"
#include "platform/SynthOpening.h"
#include "render/ScheduleRun.h"
#include "support/JackCapture.h"
#include "support/JackTestServer.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include "SynthTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

namespace zelk {
namespace {

constexpr int kStep = 64; // FluidSynth acts on messages at its 64-frame steps

// Sets an environment variable for the scope.
class EnvScope {
public:
    EnvScope(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        setenv(name, value, 1);
    }
    ~EnvScope() { had_ ? (void)setenv(name_, old_.c_str(), 1) : (void)unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

// A closed hi-hat on every eighth of four measures (rhythm part), the tempo changing on every
// column between 100 and 199 beats per minute.
void hiHatSong(Song& song) {
    song.CurPart = 9;
    song.DrumPart[9] = 1;
    song.part.PartReverb = 0;
    for (int x = 0; x < 128; x += 4) {
        test::putNote(song, 42, x, 1);
        song.part.VelLane[x] = 127;
    }
    for (int x = 0; x < kLaneCols; ++x)
        song.TemLane[x] = 100 + (x * 37) % 100;
}

// The first sample at a third of the note's own peak in [from, to).
int64_t onsetIn(const std::vector<float>& mono, int64_t from, int64_t to) {
    from = std::max<int64_t>(0, from);
    to = std::min<int64_t>(static_cast<int64_t>(mono.size()), to);
    float peak = 0;
    for (int64_t i = from; i < to; ++i)
        peak = std::max(peak, std::fabs(mono[static_cast<size_t>(i)]));
    for (int64_t i = from; i < to; ++i)
        if (peak > 1e-3f && std::fabs(mono[static_cast<size_t>(i)]) >= peak / 3)
            return i;
    return -1;
}

class JackPlaybackTest : public ::testing::Test {
protected:
    void SetUp() override {
        soundFont = test::installedSoundFont();
        if (!soundFont)
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        server = std::make_unique<test::JackTestServer>();
        if (!server->running())
            GTEST_SKIP() << server->why();
        ResetSong(*song, editor);
        hiHatSong(*song);
    }

    // Plays through the playback path of the window on JACK and records it; the ideal frame
    // of every onset (unrolled over the wraps) from the played file's tempo map.
    struct Take {
        std::vector<float> audio;
        std::vector<int64_t> ideal;
        int xruns = 0;
    };
    Take play(bool loop, int wrapsToHear) {
        EnvScope driver("ZELK_AUDIO_DRIVER", "jack");
        SynthOpening opened = openSoundFontSynth({.soundFont = soundFont});
        EXPECT_EQ(opened.status, OpenStatus::Ok) << opened.detail;
        test::JackCapture capture("fluidsynth", 30);
        EXPECT_TRUE(capture.ready()) << capture.why();
        LiveMidiOut live(*opened.synth);
        SchedulePlayer player(*opened.synth);
        PlaybackState state;
        IconvShiftJis sjis;
        editor.palette.LoopPlayback = loop;
        PlaybackContext ctx{*song, editor, state, tmp.folder(), live, sjis, player};
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // silence before
        // Clients joining the graph may cost the server a cycle; only what follows counts.
        const int xrunsBefore = capture.xruns();
        EXPECT_TRUE(Command4_Click(ctx).message.empty());
        while (!player.isStopped() && (!loop || player.wraps() < wrapsToHear)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        while (player.wraps() == wrapsToHear && loop && player.tick() < 64 * 60 + 30 * 60)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stopAndClose(ctx);
        Take take{capture.mono(), {}, capture.xruns() - xrunsBefore};
        if (const char* dump = std::getenv("ZELK_JACK_DUMP")) {
            std::FILE* f = std::fopen(dump, "wb");
            std::fwrite(take.audio.data(), sizeof(float), take.audio.size(), f);
            std::fclose(f);
        }
        const MidiFileEvents file = readMidiEventsFile(tmp.folder().playbackMidi());
        const TempoMap tempo(file);
        std::vector<uint32_t> ticks;
        for (const MidiEvent& e : file.events)
            if (e.isNoteOn())
                ticks.push_back(e.tick);
        for (uint32_t t : ticks)
            take.ideal.push_back(tempo.sampleAt(t, capture.sampleRate()));
        if (loop) { // measures 3..4 loop: their onsets again, a loop's length later each time
            const int64_t start = tempo.sampleAt(64 * 60, capture.sampleRate());
            const int64_t end = tempo.sampleAt(128 * 60, capture.sampleRate());
            for (int w = 1; w <= wrapsToHear; ++w)
                for (uint32_t t : ticks)
                    if (t >= 64 * 60 && t < 94 * 60)
                        take.ideal.push_back(tempo.sampleAt(t, capture.sampleRate()) +
                                             w * (end - start));
        }
        return take;
    }

    // The largest distance of an onset from its ideal frame, the first onset taken as the
    // instrument's attack.
    static int64_t worstOnsetError(const Take& take) {
        const int64_t first = onsetIn(take.audio, 0, static_cast<int64_t>(take.audio.size()));
        EXPECT_GE(first, 0) << "nothing was heard";
        int64_t worst = 0;
        for (size_t i = 0; i < take.ideal.size(); ++i) {
            const int64_t expected = first + take.ideal[i] - take.ideal[0];
            const int64_t heard = onsetIn(take.audio, expected - 300, expected + 600);
            EXPECT_GE(heard, 0) << "note " << i;
            worst = std::max(worst, std::abs(heard - expected));
        }
        return worst;
    }

    std::optional<std::filesystem::path> soundFont;
    std::unique_ptr<test::JackTestServer> server;
    std::unique_ptr<Song> song = std::make_unique<Song>(test::freshSong());
    EditorState editor;
    test::TempFolder tmp;
};

TEST_F(JackPlaybackTest, EveryOnsetFollowsTheFilesTimingThroughATempoChangeOnEveryColumn) {
    const Take take = play(false, 0);
    ASSERT_EQ(take.ideal.size(), 32u);
    if (take.xruns > 0)
        GTEST_SKIP() << take.xruns << " xruns: the machine could not keep the server's time";
    const int64_t worst = worstOnsetError(take);
    EXPECT_LE(worst, kStep);
    RecordProperty("worst_onset_frames", static_cast<int>(worst));
}

TEST_F(JackPlaybackTest, LoopPlaybackKeepsEveryOnsetAcrossTwoWraps) {
    song->LoopOn = 1;
    song->LoopMeasure = 2;
    const Take take = play(true, 2);
    ASSERT_EQ(take.ideal.size(), 32u + 2 * 8u);
    if (take.xruns > 0)
        GTEST_SKIP() << take.xruns << " xruns: the machine could not keep the server's time";
    const int64_t worst = worstOnsetError(take);
    EXPECT_LE(worst, kStep);
    RecordProperty("worst_onset_frames", static_cast<int>(worst));
}

} // namespace
} // namespace zelk
