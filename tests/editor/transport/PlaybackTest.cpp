#include "editor/transport/Playback.h"
#include "midi/LiveMidiOut.h"
#include "model/PartSwitch.h"
#include "ports/TextEncoder.h"
#include "support/FakeMidiFilePlayer.h"
#include "support/FakeMidiOut.h"
#include "support/PlainEncoder.h"
#include "support/TempFolder.h"

#include "editor/ScrolledSongFixture.h"
#include "midi/SmfReader.h"

#include "midi/MidiFileEvents.h"
#include "midi/Schedule.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zelk {
namespace {

using namespace test;

class PlaybackTest : public ScrolledSongFixture {
protected:
    TempFolder tmp;
    FakeMidiOut device;
    LiveMidiOut live{device};
    PlainEncoder encoder;
    FakeMidiFilePlayer player;
    PlaybackState state;
    PlaybackContext ctx{song, ed, state, tmp.folder(), live, encoder, player};

    PlaybackOutcome press() { return Command4_Click(ctx); }
    PlaybackOutcome tick() { return Timer1_Timer(ctx); }
    // Starts playback from `measure` of a song with a note in every measure from there on.
    void playFrom(int measure) {
        for (int m = measure; m <= song.MeasureCount(); ++m)
            putNote(song, 28, song.SumMeasureLen(m - 1), 8);
        scrollTo(measure);
        ASSERT_TRUE(press().message.empty());
        device.sent.clear();
    }
    // The music at sixteenth `s`, then one timer tick.
    PlaybackOutcome at(uint32_t s) {
        player.advanceToSixteenth(s);
        return tick();
    }
    void expectIdle() {
        EXPECT_FALSE(state.playing);
        EXPECT_EQ(state.Command4Caption, kPlayCaption);
        EXPECT_EQ(state.Timer1Interval, 0);
        EXPECT_TRUE(live.isOpen());
        EXPECT_TRUE(playbackControls(song, state).menusEnabled);
    }
};

TEST_F(PlaybackTest, StartFromMeasure10PlaysFromItsFirstColumn) {
    playFrom(10);
    EXPECT_EQ(player.calls, (std::vector<std::string>{"open", "play"}));
    const std::string bytes = slurp(tmp.folder().playbackMidi());
    ASSERT_TRUE(player.music);
    EXPECT_EQ(*player.music, musicOf(readMidiEvents(std::span(
                                 reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))))
        << "the player is given what the file holds";
    const SmfFile f = SmfReader(std::vector<uint8_t>(bytes.begin(), bytes.end())).read();
    ASSERT_EQ(f.tracks.size(), 2u);
    const auto& part = f.tracks[1];
    const auto firstNote = std::find_if(part.begin(), part.end(),
                                        [](const SmfEvent& e) { return e.status() == 0x90; });
    ASSERT_NE(firstNote, part.end());
    EXPECT_EQ(firstNote->tick, 0u) << "measure 10's note starts the file";
    EXPECT_EQ(player.lastTick, part.back().tick);
    EXPECT_EQ(state.startCol, 9 * 32);
    EXPECT_TRUE(state.playing);
    EXPECT_EQ(state.Command4Caption, kStopCaption);
    EXPECT_GT(state.Timer1Interval, 0);
    EXPECT_LE(state.Timer1Interval, 10);
    EXPECT_EQ(state.PlayedCols, 0);
    const PlaybackControls c = playbackControls(song, state);
    EXPECT_FALSE(c.menusEnabled);
    EXPECT_FALSE(c.programEnabled);
}

TEST_F(PlaybackTest, LiveSendsAreDroppedWhilePlaying) {
    playFrom(1);
    EXPECT_FALSE(live.isOpen());
    live.send(shortMessage(0x90, 60, 100));
    EXPECT_TRUE(device.sent.empty());
}

TEST_F(PlaybackTest, FollowsOneMeasureOfFourFourPerSixteenSixteenths) {
    playFrom(10);
    EXPECT_FALSE(at(15).positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 10);
    EXPECT_TRUE(at(16).positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 11);
    EXPECT_EQ(state.PlayedCols, 32);
    EXPECT_EQ(ed.view.ViewCol, 10 * 32);
    EXPECT_FALSE(at(31).positionChanged);
    EXPECT_TRUE(at(32).positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 12);
    EXPECT_EQ(state.PlayedCols, 64);
}

TEST_F(PlaybackTest, ThreeEightMeasuresMoveTheThresholdBySixSixteenths) {
    for (int m = 1; m <= song.MeasureCount(); ++m)
        song.MeasureLen.setLen(m, 12);
    song.MeasureLen.setLen(4, 32); // one 4/4 measure between
    playFrom(2);
    EXPECT_EQ(song.MeasureCols, 12);
    EXPECT_FALSE(at(5).positionChanged);
    EXPECT_TRUE(at(6).positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    EXPECT_FALSE(at(11).positionChanged);
    EXPECT_TRUE(at(12).positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 4);
    EXPECT_EQ(song.MeasureCols, 32);
    EXPECT_FALSE(at(27).positionChanged);
    EXPECT_TRUE(at(28).positionChanged);
    EXPECT_EQ(ed.view.FirstMeasure, 5);
    EXPECT_EQ(state.PlayedCols, 12 + 12 + 32);
}

TEST_F(PlaybackTest, MusicFarAheadScrollsOneMeasurePerTick) {
    playFrom(1);
    player.advanceToSixteenth(48); // three measures played before the first tick
    tick();
    EXPECT_EQ(ed.view.FirstMeasure, 2);
    tick();
    tick();
    EXPECT_EQ(ed.view.FirstMeasure, 4);
    EXPECT_FALSE(tick().positionChanged);
}

TEST_F(PlaybackTest, LastMeasureGrowsPlayedColsWithoutScrolling) {
    playFrom(song.MeasureCount());
    const std::string title = ed.view.Title;
    player.lastTick = 10'000; // a long last note
    EXPECT_FALSE(at(16).positionChanged);
    EXPECT_EQ(state.PlayedCols, 32);
    EXPECT_FALSE(at(32).positionChanged);
    EXPECT_EQ(state.PlayedCols, 64);
    EXPECT_EQ(ed.view.FirstMeasure, song.MeasureCount());
    EXPECT_EQ(ed.view.Title, title);
}

TEST_F(PlaybackTest, StopBringsControlsBackOnlyAtTheNextTickWithThePartsSound) {
    switchPart(song, tmp.folder(), live, 3, 60);
    song.part.PartProgram = 48;
    song.part.PartReverb = 100;
    song.part.PartChorus = 7;
    playFrom(1);
    at(3);
    const PlaybackOutcome stopped = press();
    EXPECT_TRUE(stopped.controlsChanged);
    EXPECT_EQ(player.calls.back(), "stop");
    EXPECT_EQ(state.Command4Caption, kPlayCaption);
    EXPECT_TRUE(state.playing);
    EXPECT_FALSE(playbackControls(song, state).menusEnabled);
    EXPECT_TRUE(device.sent.empty());

    EXPECT_TRUE(tick().controlsChanged);
    EXPECT_EQ(player.calls.back(), "close");
    expectIdle();
    EXPECT_TRUE(state.PlaybackEnded);
    EXPECT_TRUE(playbackControls(song, state).programEnabled);
    EXPECT_EQ(device.sent, (std::vector<uint32_t>{0x0030C3, 0x645BB3, 0x075DB3}));
}

TEST_F(PlaybackTest, TheEndOfTheFileEndsPlayback) {
    playFrom(298); // the last note ends at sixteenth 36, the file a beat later
    EXPECT_EQ(player.lastTick, 40u * 120);
    at(39);
    EXPECT_TRUE(state.playing);
    player.advanceTo(player.lastTick);
    tick();
    expectIdle();
    EXPECT_TRUE(state.PlaybackEnded);
    EXPECT_EQ(device.sent.size(), 3u);
    EXPECT_FALSE(tick().controlsChanged) << "a tick after the end does nothing";
}

TEST_F(PlaybackTest, RhythmPartKeepsTheProgramDropDownDisabled) {
    switchPart(song, tmp.folder(), live, 9, 60);
    ASSERT_EQ(song.DrumPart[9], 1);
    playFrom(1);
    press();
    tick();
    expectIdle();
    EXPECT_FALSE(playbackControls(song, state).programEnabled);
    EXPECT_EQ(device.sent.front(), 0x0000C9u) << "program on the part's own channel";
}

TEST_F(PlaybackTest, PlayStopPlayStartsASecondPlaybackWithANewFile) {
    playFrom(5);
    press();
    tick();
    scrollTo(7);
    ASSERT_TRUE(press().message.empty());
    EXPECT_TRUE(state.playing);
    EXPECT_EQ(state.PlayedCols, 0);
    EXPECT_EQ(state.startCol, 6 * 32);
    EXPECT_EQ(player.calls,
              (std::vector<std::string>{"open", "play", "stop", "close", "open", "play"}));
}

TEST_F(PlaybackTest, WriterFailureLeavesEverythingIdleWithTheMessage) {
    putNote(song, 28, 0, 8);
    std::ofstream(tmp.folder().workFile(5), std::ios::binary) << "damaged\r\n";
    const PlaybackOutcome out = press();
    EXPECT_EQ(out.message, kPlayFileFailedMessage);
    EXPECT_FALSE(out.detail.empty());
    EXPECT_TRUE(player.calls.empty());
    expectIdle();
    EXPECT_FALSE(state.PlaybackEnded);
    EXPECT_FALSE(tick().controlsChanged);
}

TEST_F(PlaybackTest, PlayerThatCannotReadTheFileLeavesEverythingIdle) {
    player.refuseOpen = true;
    putNote(song, 28, 0, 8);
    EXPECT_EQ(press().message, kPlayFileFailedMessage);
    EXPECT_EQ(player.calls, std::vector<std::string>{"open"});
    expectIdle();
}

TEST_F(PlaybackTest, StopAndCloseEndsAtOnceAndDoesNothingWhenIdle) {
    stopAndClose(ctx);
    EXPECT_TRUE(player.calls.empty());
    playFrom(1);
    stopAndClose(ctx);
    EXPECT_EQ(player.calls, (std::vector<std::string>{"open", "play", "stop", "close"}));
    expectIdle();
}

TEST_F(PlaybackTest, PlayLineFollowsTheHeardColumnInsideTheView) {
    scrollTo(3);
    ed.view.ShownCols = 32;
    ed.view.ColWidth = 100;
    ed.view.ScaleHeight = 5000;
    state.startCol = 64;
    DrawList line;
    DrawPlayPosition(ed.view, heardColumn(state, 90), line); // 1.5 columns in
    ASSERT_EQ(line.items.size(), 1u);
    EXPECT_EQ(line.items[0].kind, DrawKind::Line);
    EXPECT_FLOAT_EQ(line.items[0].x1, 150.0f);
    EXPECT_FLOAT_EQ(line.items[0].x2, 150.0f);
    EXPECT_FLOAT_EQ(line.items[0].y2, 5000.0f);
    DrawPlayPosition(ed.view, heardColumn(state, 32 * 60), line);
    EXPECT_TRUE(line.items.empty()) << "the next measure is not shown";
    DrawPlayPosition(ed.view, 63.5, line);
    EXPECT_TRUE(line.items.empty()) << "before the view";
}

} // namespace
} // namespace zelk
