#include "MidiWriterFixture.h"

#include "midi/LoopSpan.h"
#include "midi/MidiFileEvents.h"
#include "midi/TempoMap.h"
#include "model/FormatError.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

// The loop's sample positions go through the file the writer produced, so they follow its
// tempo rules (set-up beat at 120, 0 columns keep the tempo in force).
class LoopTimingTest : public MidiWriterTest {
protected:
    MidiFileEvents exported() {
        const Bytes b = exportFile();
        return readMidiEvents(b);
    }
    void setTempoFrom(int col, int32_t bpm) {
        for (int x = col; x < TempoLane::size(); ++x)
            song.TemLane[x] = bpm;
    }
    void loopAt(int measureIndex) {
        song.LoopOn = 1;
        song.LoopMeasure = measureIndex;
    }
};

TEST_F(LoopTimingTest, ConstantTempoPutsTheLoopOnItsBarLines) {
    putNote(song, 28, 40, 8); // ends in column 48, inside measure 2
    loopAt(1);
    const auto f = exported();
    const auto span = loopSpanOf(song, lastNoteOffTick(f));
    ASSERT_TRUE(span);
    EXPECT_EQ(span->startCol, 32);
    EXPECT_EQ(span->endCol, 64);
    const TempoMap tempo(f);
    // Set-up beat (0.5 s) + one 4/4 measure at 120 (2 s).
    EXPECT_EQ(tempo.sampleAt(span->startTick, 44100), 110250);
    EXPECT_EQ(tempo.sampleAt(span->endTick, 44100), 198450);
    EXPECT_EQ(tempo.sampleAt(span->endTick, 48000), 216000);
}

TEST_F(LoopTimingTest, TempoChangesBeforeAndInsideTheLoopCount) {
    putNote(song, 28, 60, 30); // ends in column 90
    setTempoFrom(16, 60);      // half of measure 1 at 60
    setTempoFrom(48, 240);     // inside the loop (measure 2 onwards)
    loopAt(1);
    const auto f = exported();
    const auto span = loopSpanOf(song, lastNoteOffTick(f));
    ASSERT_TRUE(span);
    EXPECT_EQ(span->endCol, 96);
    const TempoMap tempo(f);
    // Start: 0.5 + 1 s (16 columns at 120) + 2 s (16 at 60).
    EXPECT_DOUBLE_EQ(tempo.secondsAt(span->startTick), 3.5);
    // End: + 2 s (16 at 60) + 1.5 s (48 at 240).
    EXPECT_DOUBLE_EQ(tempo.secondsAt(span->endTick), 7.0);
    EXPECT_EQ(tempo.sampleAt(span->endTick, 22050), 154350);
}

TEST_F(LoopTimingTest, ZeroTempoColumnKeepsTheTempoInForce) {
    putNote(song, 28, 0, 8);
    putNote(song, 28, 32, 8);
    setTempoFrom(0, 60);
    setTempoFrom(8, 0); // columns 8.. carry no tempo: 60 stays
    loopAt(1);
    const auto f = exported();
    const auto span = loopSpanOf(song, lastNoteOffTick(f));
    ASSERT_TRUE(span);
    const TempoMap tempo(f);
    EXPECT_DOUBLE_EQ(tempo.secondsAt(span->startTick), 0.5 + 4.0);
}

TEST_F(LoopTimingTest, ThreeEightMeasuresMoveTheBarLines) {
    song.MeasureLen.assign(song.MeasureCount(), 12); // 3/8
    putNote(song, 28, 13, 4);                        // ends in column 17, inside measure 2
    loopAt(1);
    const auto f = exported();
    const auto span = loopSpanOf(song, lastNoteOffTick(f));
    ASSERT_TRUE(span);
    EXPECT_EQ(span->startCol, 12);
    EXPECT_EQ(span->endCol, 24);
    EXPECT_EQ(TempoMap(f).sampleAt(span->endTick, 44100), 22050 + 44100 * 24 / 16);
}

TEST_F(LoopTimingTest, NoteEndingOnABarLineEndsTheLoopThere) {
    putNote(song, 28, 40, 24); // ends exactly on column 64
    loopAt(0);
    const auto span = loopSpanOf(song, lastNoteOffTick(exported()));
    ASSERT_TRUE(span);
    EXPECT_EQ(span->startCol, 0);
    EXPECT_EQ(span->endCol, 64);
    EXPECT_EQ(span->startTick, 480u) << "the set-up beat is not part of the loop";
}

TEST_F(LoopTimingTest, NotesPastTheLastMeasureEndOnItsContinuedBarLines) {
    song.MeasureLen.assign(3, 12); // three measures of 3/8, 36 columns
    putNote(song, 28, 30, 20);     // ends in column 50, past the last measure
    loopAt(1);
    const auto span = loopSpanOf(song, lastNoteOffTick(exported()));
    ASSERT_TRUE(span);
    EXPECT_EQ(span->endCol, 60) << "36, then bar lines every 12 columns";
}

TEST_F(LoopTimingTest, SongsWithoutAPlayableLoopSayWhy) {
    putNote(song, 28, 0, 8);
    const uint32_t last = lastNoteOffTick(exported());
    NoLoop why{};
    EXPECT_FALSE(loopSpanOf(song, last, &why));
    EXPECT_EQ(why, NoLoop::Off);
    loopAt(2); // after the last note
    EXPECT_FALSE(loopSpanOf(song, last, &why));
    EXPECT_EQ(why, NoLoop::NoNotesAfter);
    loopAt(song.MeasureCount());
    EXPECT_FALSE(loopSpanOf(song, last, &why));
    EXPECT_EQ(why, NoLoop::BeyondSong);
}

TEST(MidiFileEventsTest, ReadsRunningStatusAndSkipsUnknownChunks) {
    // One track at 480 ticks per quarter; the note-off uses running status.
    const Bytes file{'M',  'T', 'h', 'd',  0,    0,    0,   6,  0,    0,    0,  1,   0x01,
                     0xE0, 'X', 'x', 'x',  'x',  0,    0,   0,  2,    1,    2, // unknown chunk
                     'M',  'T', 'r', 'k',  0,    0,    0,   12, 0x00, 0x90, 60, 100, 0x83,
                     0x60, 60,  0,   0x00, 0xFF, 0x2F, 0x00};
    const auto f = readMidiEvents(file);
    ASSERT_EQ(f.events.size(), 2u);
    EXPECT_TRUE(f.events[0].isNoteOn());
    EXPECT_TRUE(f.events[1].isNoteOff());
    EXPECT_EQ(f.events[1].tick, 480u);
    EXPECT_EQ(f.lastTick, 480u);
}

TEST(MidiFileEventsTest, RefusesDamagedFiles) {
    const Bytes truncated{'M',  'T',  'h', 'd', 0,   0,   0, 6, 0, 1,  0,    1,
                          0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 20, 0x00, 0x90};
    EXPECT_THROW(readMidiEvents(truncated), FormatError);
    const Bytes smpte{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 0, 0xE7, 0x28};
    EXPECT_THROW(readMidiEvents(smpte), FormatError);
    // Two notes 2^28 - 1 ticks apart: longer than any song, refused before any arithmetic.
    const Bytes endless{'M',  'T',  'h',  'd', 0,   0,    0,    6,    0,    0,    0,    1,
                        0x01, 0xE0, 'M',  'T', 'r', 'k',  0,    0,    0,    14,   0xFF, 0xFF,
                        0xFF, 0x7F, 0x90, 60,  100, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60,   0};
    try {
        readMidiEvents(endless);
        ADD_FAILURE() << "an endless track was read";
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("longer"), std::string::npos) << e.what();
    }
    const Bytes noise{1, 2, 3};
    EXPECT_THROW(readMidiEvents(noise), FormatError);
    const Bytes dataFirst{'M',  'T', 'h', 'd', 0,   0, 0, 6, 0, 0,    0,  1,  0x01,
                          0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 3, 0x00, 60, 100};
    EXPECT_THROW(readMidiEvents(dataFirst), FormatError);
}

} // namespace
} // namespace zelk
