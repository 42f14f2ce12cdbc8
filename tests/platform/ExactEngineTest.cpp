// Playback and the offline render are one engine: the window's player and the render of the
// same file send every message on the same frame and, from fresh synthesizers, sound alike to
// the sample.
#include "../midi/MidiWriterFixture.h"

#include "midi/MidiFileEvents.h"
#include "platform/FluidSynthRenderer.h"
#include "platform/SchedulePlayer.h"
#include "platform/SynthOpening.h"
#include "render/RenderPlan.h"
#include "render/ScheduleRun.h"
#include "render/SongRenderer.h"
#include "support/FakeSynthRenderer.h"

#include "SynthTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

using namespace test;

class ExactEngineTest : public MidiWriterTest {
protected:
    void SetUp() override {
        soundFont = installedSoundFont();
        if (!soundFont)
            GTEST_SKIP() << "no General MIDI SoundFont installed";
        // Three parts over four measures, a tempo change on every column of measure 3.
        for (int c = 0; c < 128; c += 4)
            putNote(song, 21 + (c / 4) % 7, c, 3);
        song.part.PartReverb = 90;
        song.part.PartChorus = 60;
        selectPart(1);
        for (int c = 0; c < 128; c += 8)
            putNote(song, 40, c, 8);
        selectPart(2); // not ticked below
        putNote(song, 28, 0, 32);
        selectPart(0);
        for (int c = 64; c < 96; ++c)
            song.TemLane[c] = 90 + c % 50;
    }
    std::optional<std::filesystem::path> soundFont;
};

std::vector<int64_t> noteOnFrames(const Schedule& s) {
    std::vector<int64_t> out;
    for (const ScheduledMessage& m : s.messages)
        if ((m.message & 0xF0) == 0x90 && (m.message >> 16) != 0)
            out.push_back(m.frame);
    return out;
}

TEST_F(ExactEngineTest, PlaybackAndTheRenderOfItsFileSoundTheSameFrames) {
    std::array<uint8_t, kParts> ticked{};
    ticked[0] = ticked[1] = 1;
    const Bytes bytes = playFile(2, ticked); // from measure 2, parts 1 and 2
    // The window's player on its synthesizer, rendering blocks of an odd size.
    SynthOpening opened = openSoundFontSynth({.soundFont = soundFont, .output = kOfflineOutput});
    SchedulePlayer player(*opened.synth);
    ASSERT_TRUE(test::openBytes(player, bytes, lastTick, {}));
    player.play();
    std::vector<float> played;
    while (played.size() < 2u * 44100 * 5) {
        const auto block = opened.synth->renderOffline(300);
        played.insert(played.end(), block.begin(), block.end());
    }
    // The offline render of the same file.
    const MidiFileEvents events = readMidiEvents(bytes);
    RenderPlan plan;
    plan.schedule = std::make_shared<Schedule>(scheduleOf(events, 44100));
    plan.lastNoteOffTick = lastNoteOffTick(events);
    plan.lastNoteOffFrame = plan.schedule->frameOfTick(plan.lastNoteOffTick);
    FluidSynthRenderer fluid(44100, *soundFont);
    MemorySink rendered;
    ASSERT_TRUE(renderPlan(plan, fluid, rendered, nullptr));

    EXPECT_EQ(noteOnFrames(player.run()->schedule()), noteOnFrames(*plan.schedule));
    EXPECT_EQ(noteOnFrames(*plan.schedule).size(), 24u + 12u) << "measures 2..4 of parts 1, 2";
    const size_t n = std::min(played.size(), rendered.samples.size());
    ASSERT_GT(n, 2u * 44100 * 4);
    float worst = 0;
    for (size_t i = 0; i < n; ++i)
        worst = std::max(worst, std::fabs(played[i] - rendered.samples[i]));
    EXPECT_EQ(worst, 0.0f) << "the same synthesizer fed the same frames sounds the same";
    EXPECT_GT(rms(played), kAudibleRms);
}

} // namespace
} // namespace zelk
