#include "platform/SchedulePlayer.h"
#include "SynthTestSupport.h"
#include "platform/SynthOpening.h"
#include "ports/MidiOut.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zelk {
namespace {

using Bytes = std::vector<uint8_t>;

// One-track SMF at 480 ticks per quarter note and the default tempo 120 (a sixteenth lasts
// 125 ms); `events` are delta-timed, the end of track follows after `tail` ticks.
Bytes smf(const Bytes& events, uint8_t tail = 0) {
    Bytes body = events;
    body.insert(body.end(), {tail, 0xFF, 0x2F, 0x00});
    Bytes f{'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
            1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(body.size())};
    for (const uint8_t b : body) // (GCC 12 misreads a range insert here as out of bounds)
        f.push_back(b);
    return f;
}

// Middle C from tick 0 to 960 (one second), end of track there.
const Bytes kOneSecondNote = smf({0x00, 0x90, 60, 100, 0x87, 0x40, 0x80, 60, 0});
constexpr uint32_t kOneSecondTicks = 960;

class SchedulePlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto soundFont = test::installedSoundFont();
        if (!soundFont)
            GTEST_SKIP() << "no General MIDI SoundFont installed (apt install timgm6mb-soundfont)";
        opening = openSoundFontSynth({.soundFont = soundFont, .output = kOfflineOutput});
        ASSERT_EQ(opening.status, OpenStatus::Ok) << opening.detail;
        synth = opening.synth.get();
        player = std::make_unique<SchedulePlayer>(*synth);
    }

    static constexpr int kBlock = 64;
    void renderBlock() { synth->renderOffline(kBlock); }
    void renderSeconds(double s) {
        synth->renderOffline(static_cast<int>(s * synth->sampleRate()));
    }
    // Frames rendered until the player reports stopped, at most ten seconds.
    uint64_t framesUntilStopped() {
        const uint64_t start = synth->framesRendered();
        for (int i = 0; i < 10 * 44100 / kBlock && !player->isStopped(); ++i)
            renderBlock();
        return synth->framesRendered() - start;
    }

    SynthOpening opening;
    SoundFontSynth* synth = nullptr;
    std::unique_ptr<SchedulePlayer> player;
};

TEST_F(SchedulePlayerTest, ReportsStoppedSoonAfterTheLastEventNotAfterTheTails) {
    ASSERT_TRUE(test::openBytes(*player, kOneSecondNote, kOneSecondTicks, {}));
    EXPECT_FALSE(player->isStopped()) << "open but not yet played counts as running";
    player->play();
    const double seconds = static_cast<double>(framesUntilStopped()) / synth->sampleRate();
    EXPECT_GE(seconds, 1.0);
    EXPECT_LE(seconds, 1.0 + 64.0 / 44100) << "stopped within the block of the last event";
    EXPECT_GE(player->tick(), kOneSecondTicks);
    EXPECT_GT(synth->activeVoices(), 0) << "the released note still rings out";
}

TEST_F(SchedulePlayerTest, PositionCountsSixteenthNotes) {
    ASSERT_TRUE(test::openBytes(*player, kOneSecondNote, kOneSecondTicks, {}));
    player->play();
    EXPECT_EQ(player->position(), 0u);
    for (uint32_t s = 1; s <= 7; ++s) {
        renderSeconds(0.125);
        renderBlock(); // past the boundary whatever the rounding of the player's clock
        EXPECT_EQ(player->position(), s) << "after " << s << " sixteenths";
    }
}

TEST_F(SchedulePlayerTest, StopSilencesHeldNotesAndThePedalWithinOneBlock) {
    // Pedal down, a chord of three, never released in the file.
    ASSERT_TRUE(test::openBytes(
        *player,
        smf({0x00, 0xB0, 64, 127, 0x00, 0x90, 60, 100, 0x00, 0x90, 64, 100, 0x00, 0x90, 67, 100},
            0x7F),
        4000, {}));
    player->play();
    renderSeconds(0.02);
    ASSERT_GT(synth->activeVoices(), 0);
    player->stop();
    EXPECT_TRUE(player->isStopped());
    renderBlock();
    EXPECT_EQ(synth->activeVoices(), 0);
    EXPECT_EQ(synth->controllerOf(0, 64), 0) << "the pedal is up";
    renderSeconds(0.1);
    EXPECT_EQ(synth->activeVoices(), 0) << "nothing of the file plays on after the stop";
}

// Live previews after playback must not hang on a pedal the song left down.
TEST_F(SchedulePlayerTest, TheEndOfTheFileLeavesNoPedalDown) {
    // Organ (it sounds as long as the key or the pedal holds), pedal down, a short note.
    const Bytes file =
        smf({0x00, 0xC0, 16, 0x00, 0xB0, 64, 127, 0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}, 0x60);
    ASSERT_TRUE(test::openBytes(*player, file, 192, {}));
    player->play();
    framesUntilStopped();
    ASSERT_GT(synth->activeVoices(), 0);
    renderSeconds(0.5);
    EXPECT_EQ(synth->controllerOf(0, 64), 0);
    EXPECT_EQ(synth->activeVoices(), 0) << "the tail has ended";
    player->close();
    EXPECT_EQ(synth->programOf(0).program, 16) << "closing changes no sound";
}

TEST_F(SchedulePlayerTest, TheEndKeepsTheSoundsOfOtherChannels) {
    synth->send(shortMessage(0xC3, 48));
    synth->send(shortMessage(0xB3, 91, 100));
    ASSERT_TRUE(test::openBytes(*player, kOneSecondNote, kOneSecondTicks, {}));
    player->play();
    framesUntilStopped();
    // FluidSynth's own end comes later; the synthesizer must come through it unchanged.
    for (int i = 0; i < 100; ++i)
        renderSeconds(0.1);
    player->close();
    EXPECT_EQ(synth->programOf(3).program, 48);
    EXPECT_EQ(synth->controllerOf(3, 91), 100);
}

TEST_F(SchedulePlayerTest, EachPlaybackStartsAgainFromItsOwnFile) {
    ASSERT_TRUE(test::openBytes(*player, kOneSecondNote, kOneSecondTicks, {}));
    player->play();
    renderSeconds(0.5);
    player->stop();
    player->close();
    EXPECT_TRUE(player->isStopped());
    ASSERT_TRUE(test::openBytes(*player, kOneSecondNote, kOneSecondTicks, {}));
    EXPECT_EQ(player->tick(), 0u);
    player->play();
    renderSeconds(0.3);
    renderBlock();
    EXPECT_EQ(player->position(), 2u);
}

TEST_F(SchedulePlayerTest, FilesThatCannotBePlayedEndAtOnce) {
    EXPECT_FALSE(player->open(nullptr));
    EXPECT_TRUE(player->isStopped());
    EXPECT_FALSE(test::openBytes(*player, {}, 100, {}));
    EXPECT_FALSE(test::openBytes(*player, Bytes(64, 0x55), 100, {}))
        << "no MIDI file: refused at open";
    EXPECT_TRUE(player->isStopped());
}

} // namespace
} // namespace zelk
