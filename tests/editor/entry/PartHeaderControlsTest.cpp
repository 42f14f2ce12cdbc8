#include "editor/entry/PartHeaderControls.h"
#include "model/Song.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

class PartHeaderControlsTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    test::FakeMidiOut midi;
};

TEST_F(PartHeaderControlsTest, ProgramChoiceStoresAndSendsOnThePartsChannel) {
    song.CurPart = 3;
    Combo1_Click(song, midi, 48); // "49 ストリングス"
    EXPECT_EQ(song.part.PartProgram, 48);
    EXPECT_EQ(midi.sent, std::vector<uint32_t>{0x0030C3});
}

TEST_F(PartHeaderControlsTest, ReverbAndChorusAreControllers91And93) {
    Combo3_Click(song, midi, 100);
    Combo4_Click(song, midi, 5);
    EXPECT_EQ(midi.sent, (std::vector<uint32_t>{0x645BB0, 0x055DB0}));
    EXPECT_EQ(song.part.PartReverb, 100);
    EXPECT_EQ(song.part.PartChorus, 5);
}

TEST_F(PartHeaderControlsTest, RhythmPartStillUsesItsOwnChannel) {
    song.CurPart = 12;
    song.DrumPart[12] = 1;
    Combo3_Click(song, midi, 1);
    EXPECT_EQ(midi.sent, std::vector<uint32_t>{0x015BBC}); // channel 13, not 10
}

TEST_F(PartHeaderControlsTest, IndexOutsideTheListIsRefused) {
    EXPECT_THROW(Combo1_Click(song, midi, 128), std::out_of_range);
    EXPECT_TRUE(midi.sent.empty());
}

} // namespace
} // namespace zelk
