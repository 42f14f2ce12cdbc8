#include "platform/SynthOpening.h"
#include "SynthTestSupport.h"
#include "ports/MidiOut.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>

namespace zelk {
namespace {

using test::kSilentRms;
using test::rms;

// Every kind of channel message on every channel, as a careless caller might send them.
void sendEveryKindOfMessage(MidiOut& out) {
    for (int channel = 0; channel < 16; ++channel) {
        out.send(shortMessage(0xC0 + channel, 5));
        out.send(shortMessage(0xB0 + channel, 91, 100));
        out.send(shortMessage(0xE0 + channel, 0x10, 0x50));
        out.send(shortMessage(0x90 + channel, 60, 100));
        out.send(shortMessage(0xA0 + channel, 60, 30));
        out.send(shortMessage(0xD0 + channel, 30));
        out.send(shortMessage(0x80 + channel, 60, 0));
    }
}

TEST(SynthOpening, WithoutSoundFontEveryMessageIsAcceptedAndNothingSounds) {
    SynthOpening opening =
        openSoundFontSynth({.soundFont = std::nullopt, .output = kOfflineOutput});
    EXPECT_EQ(opening.status, OpenStatus::NoSoundFont);
    EXPECT_NE(opening.detail, "");
    ASSERT_NE(opening.synth, nullptr);
    sendEveryKindOfMessage(*opening.synth);
    EXPECT_EQ(opening.synth->controllerOf(15, 91), 100); // the messages still arrive
    EXPECT_LT(rms(opening.synth->renderOffline(4410)), kSilentRms);
}

TEST(SynthOpening, UnreadableSoundFontCountsAsNoSoundFontAndNamesTheFile) {
    test::TempFolder tmp;
    const auto file = tmp.path() / "broken.sf2";
    std::ofstream(file) << "not a RIFF file";
    SynthOpening opening = openSoundFontSynth({.soundFont = file, .output = kOfflineOutput});
    EXPECT_EQ(opening.status, OpenStatus::NoSoundFont);
    EXPECT_NE(opening.detail.find(file.string()), std::string::npos) << opening.detail;
    sendEveryKindOfMessage(*opening.synth);
}

TEST(SynthOpening, WithoutSoundFontTheSoundCardIsLeftAloneAndTheClockRuns) {
    SynthOpening opening = openSoundFontSynth({.soundFont = std::nullopt});
    EXPECT_EQ(opening.status, OpenStatus::NoSoundFont);
    ASSERT_NE(opening.synth->output(), nullptr);
    EXPECT_EQ(opening.synth->output()->name(), kSilentClockOutput);
    test::RecordingTap tap;
    opening.synth->setTap(&tap);
    EXPECT_TRUE(tap.waitForFrames(2048));
    opening.synth->setTap(nullptr);
}

TEST(SynthOpening, UnknownOutputIsRefusedNamingTheValidOnes) {
    try {
        openSoundFontSynth({.soundFont = std::nullopt, .output = "speakers"});
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("\"speakers\""), std::string::npos) << what;
        for (const auto name : synthOutputNames())
            EXPECT_NE(what.find(name), std::string::npos) << name << " missing in: " << what;
    }
}

TEST(SynthOpening, WithoutSoundCardTheSilentClockKeepsTheSynthesizerRunning) {
    const auto soundFont = test::installedSoundFont();
    if (!soundFont)
        GTEST_SKIP() << "no General MIDI SoundFont installed (apt install timgm6mb-soundfont)";
    SynthOpening opening = openSoundFontSynth({.soundFont = soundFont});
    if (opening.status == OpenStatus::Ok)
        GTEST_SKIP() << "this machine has a sound device";
    EXPECT_EQ(opening.status, OpenStatus::NoAudioDevice);
    EXPECT_NE(opening.detail.find("audio driver"), std::string::npos) << opening.detail;
    ASSERT_NE(opening.synth->output(), nullptr);
    EXPECT_EQ(opening.synth->output()->name(), kSilentClockOutput);

    // The note is rendered (and would reach a recorder) although no one hears it.
    test::RecordingTap tap;
    opening.synth->setTap(&tap);
    opening.synth->send(shortMessage(0x90, 60, 100));
    ASSERT_TRUE(tap.waitForFrames(8192));
    opening.synth->setTap(nullptr);
    EXPECT_GT(rms(tap.interleaved()), test::kAudibleRms);
}

TEST(SynthOpening, SilentClockAdvancesTheSynthesizersFrameCount) {
    SynthOpening opening =
        openSoundFontSynth({.soundFont = std::nullopt, .output = kSilentClockOutput});
    test::RecordingTap tap;
    opening.synth->setTap(&tap);
    ASSERT_TRUE(tap.waitForFrames(4096));
    opening.synth->setTap(nullptr);
    EXPECT_GE(opening.synth->framesRendered(), 4096u);
}

} // namespace
} // namespace zelk
