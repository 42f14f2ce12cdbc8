#include "platform/SoundFontSynth.h"
#include "SynthTestSupport.h"
#include "platform/SynthOpening.h"
#include "ports/MidiOut.h"

#include "render/ScheduleRun.h"

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

// A schedule is handed to the rendering thread and back without a lock: the run it replaces
// is silenced there, and freed on the thread that handed it over, never while it renders.
TEST_F(OfflineSynthTest, ARunReplacedIsSilencedThereAndFreedHere) {
    auto held = std::make_shared<Schedule>();
    held->sampleRate = 44100;
    held->messages = {{0, 0, shortMessage(0x90, 60, 100)}}; // never released
    held->endFrame = 44100 * 10;
    auto first = std::make_shared<ScheduleRun>(held, ScheduleRun::Options{});
    std::weak_ptr<ScheduleRun> watch = first;
    synth->play(std::move(first));
    EXPECT_GT(rms(render(0.1)), kAudibleRms);
    ASSERT_FALSE(watch.expired()) << "held by the synthesizer while it may render it";
    synth->play(
        std::make_shared<ScheduleRun>(std::make_shared<Schedule>(), ScheduleRun::Options{}));
    render(0.01);
    EXPECT_EQ(synth->activeVoices(), 0) << "all sounds off as the run was given up";
    synth->stopPlaying(); // the next hand-over collects what the rendering thread let go
    EXPECT_TRUE(watch.expired());
}

TEST(SoundFontSynth, OfflineRenderIsRefusedWhileARealTimeOutputRenders) {
    SynthOpening opening =
        openSoundFontSynth({.soundFont = std::nullopt, .output = kSilentClockOutput});
    EXPECT_THROW(opening.synth->renderOffline(64), std::logic_error);
}

} // namespace
} // namespace zelk
