#include "platform/SoundFontSynth.h"
#include "SynthTestSupport.h"
#include "platform/SynthOpening.h"
#include "ports/MidiOut.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zelk {
namespace {

using test::kAudibleRms;
using test::kSilentRms;
using test::rms;

// A synthesizer with the installed General MIDI SoundFont, rendered offline by the test.
class OfflineSynthTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto soundFont = test::installedSoundFont();
        if (!soundFont)
            GTEST_SKIP() << "no General MIDI SoundFont installed (apt install timgm6mb-soundfont)";
        opening = openSoundFontSynth({.soundFont = soundFont, .output = kOfflineOutput});
        ASSERT_EQ(opening.status, OpenStatus::Ok) << opening.detail;
        synth = opening.synth.get();
    }

    std::vector<float> render(double seconds) {
        return synth->renderOffline(static_cast<int>(seconds * synth->sampleRate()));
    }

    // Renders until every voice has ended (released notes fade out), at most ten seconds.
    void renderUntilQuiet() {
        for (int i = 0; i < 100 && synth->activeVoices() > 0; ++i)
            render(0.1);
        ASSERT_EQ(synth->activeVoices(), 0) << "a voice still sounds after ten seconds";
    }

    SynthOpening opening;
    SoundFontSynth* synth = nullptr;
};

TEST_F(OfflineSynthTest, NoteOnSoundsAndNoteOffFallsSilentAfterRelease) {
    EXPECT_LT(rms(render(0.1)), kSilentRms);
    synth->send(shortMessage(0x90, 60, 100));
    EXPECT_GT(rms(render(0.3)), kAudibleRms);
    synth->send(shortMessage(0x80, 60, 0));
    renderUntilQuiet();
    EXPECT_LT(rms(render(0.1)), kSilentRms);
}

TEST_F(OfflineSynthTest, NoteOnWithVelocityZeroReleasesTheNote) {
    synth->send(shortMessage(0x93, 72, 90));
    EXPECT_GT(rms(render(0.2)), kAudibleRms);
    synth->send(shortMessage(0x93, 72, 0));
    renderUntilQuiet();
    EXPECT_LT(rms(render(0.1)), kSilentRms);
}

TEST_F(OfflineSynthTest, ChannelNinePlaysThePercussionBank) {
    EXPECT_EQ(synth->programOf(9).bank, 128);
    EXPECT_EQ(synth->programOf(0).bank, 0);
    synth->send(shortMessage(0x99, 38, 100)); // acoustic snare
    EXPECT_GT(rms(render(0.2)), kAudibleRms);
}

TEST_F(OfflineSynthTest, ProgramChangeReachesOnlyItsChannel) {
    synth->send(0x0030C3); // "49 ストリングス" chosen while part 3 is current
    EXPECT_EQ(synth->programOf(3), (ChannelProgram{0, 48}));
    EXPECT_EQ(synth->programOf(2).program, 0);
    EXPECT_EQ(synth->programOf(4).program, 0);
    synth->send(shortMessage(0xC0, 127));
    EXPECT_EQ(synth->programOf(0).program, 127);
}

TEST_F(OfflineSynthTest, ControllersReachOnlyTheirChannel) {
    const int reverbBefore = synth->controllerOf(9, 91);
    synth->send(0x645BB0); // reverb 100 while part 0 is current
    EXPECT_EQ(synth->controllerOf(0, 91), 100);
    synth->send(shortMessage(0xBC, 91, 7)); // rhythm part 12: channel 12, not the drum channel
    EXPECT_EQ(synth->controllerOf(12, 91), 7);
    EXPECT_EQ(synth->controllerOf(9, 91), reverbBefore);
    synth->send(shortMessage(0xB5, 93, 64));
    EXPECT_EQ(synth->controllerOf(5, 93), 64);
}

TEST_F(OfflineSynthTest, PitchBendTakesDataOneAsTheLowSevenBits) {
    struct Case {
        int data1, data2, expected;
    };
    const Case cases[] = {
        {0x00, 0x40, 8192},  // centre
        {0x7F, 0x7F, 16383}, // top
        {0x00, 0x00, 0},     // bottom
        {0x01, 0x00, 1},     // data 1 is the low byte
        {0x00, 0x01, 128},   // data 2 is the high byte
    };
    for (const auto& c : cases) {
        synth->send(shortMessage(0xE2, c.data1, c.data2));
        EXPECT_EQ(synth->pitchBendOf(2), c.expected) << c.data1 << "," << c.data2;
    }
}

TEST_F(OfflineSynthTest, MessagesWithoutChannelStatusAreIgnored) {
    synth->send(shortMessage(0x3C, 100));     // data bytes without a status
    synth->send(shortMessage(0xF8, 0));       // timing clock
    synth->send(shortMessage(0xF0, 60, 100)); // system exclusive start, no body
    EXPECT_EQ(synth->activeVoices(), 0);
    EXPECT_LT(rms(render(0.1)), kSilentRms);
}

TEST_F(OfflineSynthTest, TapReceivesExactlyTheRenderedAudio) {
    test::RecordingTap tap;
    synth->setTap(&tap);
    synth->send(shortMessage(0x90, 64, 100));
    const uint64_t before = synth->framesRendered();
    const std::vector<float> rendered = render(0.25);
    EXPECT_EQ(tap.interleaved(), rendered);
    EXPECT_EQ(synth->framesRendered() - before, rendered.size() / 2);
    synth->setTap(nullptr);
    render(0.1);
    EXPECT_EQ(tap.interleaved().size(), rendered.size());
}

TEST_F(OfflineSynthTest, OfflineRenderIsInterleavedLeftThenRight) {
    synth->send(shortMessage(0xB0, 10, 0)); // pan hard left
    synth->send(shortMessage(0x90, 60, 100));
    const std::vector<float> rendered = render(0.2);
    std::vector<float> left, right;
    for (size_t i = 0; i < rendered.size(); i += 2) {
        left.push_back(rendered[i]);
        right.push_back(rendered[i + 1]);
    }
    EXPECT_GT(rms(left), 2 * rms(right));
}

// The seam for playback: a player on the synthesizer is timed by the rendered samples, so it
// plays to its end as fast as an offline render goes and in step with the silent clock.
TEST_F(OfflineSynthTest, MidiFilePlayerFollowsTheRenderedSamples) {
    // SMF 0, 480 ticks per quarter note, default tempo 120: middle C for 0.5 s, then the end.
    // clang-format off
    const std::vector<unsigned char> smf = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0,
        'M', 'T', 'r', 'k', 0, 0, 0, 13,
        0x00, 0x90, 60, 100,     // note on at tick 0
        0x83, 0x60, 0x80, 60, 0, // note off 480 ticks later (VLQ 83 60)
        0x00, 0xFF, 0x2F, 0x00,  // end of track
    };
    // clang-format on
    fluid_player_t* player = new_fluid_player(synth->fluidSynth());
    ASSERT_NE(player, nullptr);
    ASSERT_EQ(fluid_player_add_mem(player, smf.data(), smf.size()), FLUID_OK);
    fluid_player_play(player);
    EXPECT_GT(rms(render(0.3)), kAudibleRms);
    EXPECT_EQ(fluid_player_get_status(player), FLUID_PLAYER_PLAYING);
    // FluidSynth reports the end a few seconds after the last event, once the tails have rung out.
    for (int i = 0; i < 100 && fluid_player_get_status(player) == FLUID_PLAYER_PLAYING; ++i)
        render(0.1);
    EXPECT_EQ(fluid_player_get_status(player), FLUID_PLAYER_DONE);
    delete_fluid_player(player);
}

TEST(SoundFontSynth, OfflineRenderIsRefusedWhileARealTimeOutputRenders) {
    SynthOpening opening =
        openSoundFontSynth({.soundFont = std::nullopt, .output = kSilentClockOutput});
    EXPECT_THROW(opening.synth->renderOffline(64), std::logic_error);
}

} // namespace
} // namespace zelk
