#include "editor/transport/LoopPlayback.h"

#include "midi/LiveMidiOut.h"
#include "model/PartFile.h"
#include "model/PartSwitch.h"
#include "ports/TextEncoder.h"
#include "support/FakeMidiFilePlayer.h"
#include "support/FakeMidiOut.h"
#include "support/PlainEncoder.h"
#include "support/TempFolder.h"

#include "editor/ScrolledSongFixture.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

// Notes in measures 1..4 of part 1 and up to measure 6 in part 3 (its work file); the loop
// point at measure 3, so the loop runs from column 64 to 192.
class LoopPlaybackTest : public ScrolledSongFixture {
protected:
    TempFolder tmp;
    FakeMidiOut device;
    LiveMidiOut live{device};
    PlainEncoder encoder;
    FakeMidiFilePlayer player;
    PlaybackState state;
    PlaybackContext ctx{song, ed, state, tmp.folder(), live, encoder, player};

    void SetUp() override {
        switchPart(song, tmp.folder(), device, 2, -1);
        putNote(song, 30, 160, 32); // the song's last note: measure 6
        switchPart(song, tmp.folder(), device, 0, -1);
        for (int m = 0; m < 4; ++m)
            putNote(song, 28, m * 32, 8);
        song.LoopOn = 1;
        song.LoopMeasure = 2;
        ed.palette.LoopPlayback = true;
    }
    PlaybackOutcome tick() { return Timer1_Timer(ctx); }
};

TEST_F(LoopPlaybackTest, TheLoopIsTheRendersFromItsMeasureToTheLastNoteOfAnyPart) {
    const auto loop = songLoopColumns(song, tmp.folder());
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->startCol, 64);
    EXPECT_EQ(loop->endCol, 192) << "part 3's note in its work file ends the song";
    EXPECT_EQ(loop->measure, 3);
    song.LoopOn = 0;
    EXPECT_FALSE(songLoopColumns(song, tmp.folder()));
}

// The follow jumps back to the loop measure at the wrap and counts the measures from there.
TEST_F(LoopPlaybackTest, TheScoreFollowsTheWrapBackToTheLoopMeasure) {
    scrollTo(1);
    ASSERT_TRUE(Command4_Click(ctx).message.empty());
    ASSERT_TRUE(player.range.loop);
    EXPECT_EQ(*player.range.loop, std::pair(64u * 60, 192u * 60));
    EXPECT_EQ(player.range.fromTick, 0u);
    for (int measure = 2; measure <= 6; ++measure) {
        player.advanceToSixteenth(static_cast<uint32_t>((measure - 1) * 16));
        EXPECT_TRUE(tick().positionChanged) << measure;
        EXPECT_EQ(ed.view.FirstMeasure, measure);
    }
    player.wrapTo(64 * 60 + 30); // just past the loop start
    EXPECT_TRUE(tick().positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    EXPECT_EQ(state.PlayedCols, 0);
    player.advanceToSixteenth(16 * 3); // the end of measure 3
    EXPECT_TRUE(tick().positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 4);
    EXPECT_FALSE(tick().controlsChanged) << "a loop plays until stopped";
    EXPECT_TRUE(state.playing);
}

TEST_F(LoopPlaybackTest, PlayingFromInsideTheLoopWritesTheFileFromTheLoopMeasure) {
    scrollTo(5);
    ASSERT_TRUE(Command4_Click(ctx).message.empty());
    EXPECT_EQ(state.startCol, 64) << "the file starts at the loop measure";
    EXPECT_EQ(player.range.fromTick, (128u - 64) * 60);
    EXPECT_EQ(*player.range.loop, std::pair(0u, (192u - 64) * 60));
    player.advanceTo(player.range.fromTick + 32 * 60);
    EXPECT_TRUE(tick().positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 6);
}

// Off, no loop point, or playing past the loop's end: the play button's own playback.
TEST_F(LoopPlaybackTest, WithoutALoopToPlayThePlayButtonPlaysOnce) {
    struct Case {
        const char* what;
        bool option;
        uint8_t loopOn;
        int measure;
    };
    const Case cases[] = {{"option off", false, 1, 1},
                          {"no loop point", true, 0, 1},
                          {"after the loop end", true, 1, 7}};
    for (const Case& c : cases) {
        ed.palette.LoopPlayback = c.option;
        song.LoopOn = c.loopOn;
        scrollTo(c.measure);
        ASSERT_TRUE(Command4_Click(ctx).message.empty()) << c.what;
        EXPECT_FALSE(player.range.loop) << c.what;
        EXPECT_EQ(state.startCol, song.SumMeasureLen(c.measure - 1)) << c.what;
        stopAndClose(ctx);
    }
}

TEST_F(LoopPlaybackTest, TheSeamAuditionPlaysTwoMeasuresEachSideOfTheWrap) {
    scrollTo(1);
    ASSERT_TRUE(Maudition_Click(ctx).message.empty());
    EXPECT_TRUE(state.playing);
    EXPECT_EQ(ed.view.FirstMeasure, 5) << "two measures before the loop end (192)";
    EXPECT_EQ(state.startCol, 64);
    EXPECT_EQ(player.range.fromTick, (128u - 64) * 60);
    EXPECT_EQ(*player.range.stopAfterWrapAt, (128u - 64) * 60) << "two measures into the loop";
    player.advanceTo(player.range.fromTick + 32 * 60);
    EXPECT_TRUE(tick().positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 6);
    player.wrapTo(0);
    tick();
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    player.ended = true; // the player's own end after two measures
    EXPECT_TRUE(tick().controlsChanged);
    EXPECT_FALSE(state.playing);
    EXPECT_TRUE(live.isOpen());
}

TEST_F(LoopPlaybackTest, TheSeamAuditionNeedsALoopAndIsNothingWhilePlaying) {
    song.LoopOn = 0;
    EXPECT_EQ(Maudition_Click(ctx).message, kNoLoopPointMessage);
    EXPECT_FALSE(state.playing);
    song.LoopOn = 1;
    ASSERT_TRUE(Command4_Click(ctx).message.empty());
    player.calls.clear();
    EXPECT_TRUE(Maudition_Click(ctx).message.empty());
    EXPECT_TRUE(player.calls.empty()) << "the playing music goes on";
}

TEST_F(LoopPlaybackTest, AStopDuringAWrapEndsAtTheNextTick) {
    ASSERT_TRUE(Command4_Click(ctx).message.empty());
    player.wrapTo(64 * 60);
    Command4_Click(ctx); // stop
    EXPECT_TRUE(tick().controlsChanged);
    EXPECT_FALSE(state.playing);
    EXPECT_TRUE(live.isOpen());
    EXPECT_EQ(player.calls.back(), "close");
}

// Bar lines past the last measure go on at its length.
TEST(BarLinesTest, AroundABarLineInsideAndPastTheSong) {
    Song song = freshSong();
    song.MeasureLen.assign(3, 32);
    song.MeasureLen.setLen(2, 24);
    struct Case {
        int32_t col, before, after;
    };
    const Case cases[] = {
        {0, 0, 32},     // the song's start
        {32, 0, 56},    // into the 3/4 measure
        {56, 32, 88},   // after it
        {88, 56, 120},  // the song's end: its bar lines go on at 32
        {152, 120, 184} // past the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(barLineBefore(song, c.col), c.before) << c.col;
        EXPECT_EQ(barLineAfter(song, c.col), c.after) << c.col;
    }
}

} // namespace
} // namespace zelk
