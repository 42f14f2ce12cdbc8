#include "MidiWriterFixture.h"

#include "midi/PartTrack.h"
#include "midi/TrackBuffer.h"
#include "midi/WorkFileStream.h"
#include "model/Cell.h"
#include "model/PartFile.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

class PartTrackTest : public MidiWriterTest {
protected:
    // Body of the current part's track, read from the text of its work file.
    Bytes partTrack(const MidiExportOptions& opt) {
        return trackFrom(formatPartFile(song.part), opt);
    }
    Bytes trackFrom(const std::string& workFile, const MidiExportOptions& opt) {
        TrackBuffer t;
        WorkFileStream stream(workFile, song.CurPart);
        PartTrackBuilder(song, opt, song.CurPart).build(stream, t);
        return t.bytes();
    }
    Bytes exported() { return partTrack(MidiExportOptions::forExport()); }
    // Expected body of an exported part on channel ch: set-up, the events, the closing beat.
    static Bytes exportBody(int ch, const std::vector<Ev>& events) {
        return trackBody(partSetUp(true, ch) + events + partEnd(ch));
    }
    void putTuplet(int row, int head, int len) { putNote(song, row, head, len, 0, true); }
};

// Three tuplet sixteenths in columns 4..7 (heads in 4, 5, 6): slots 80 ticks apart.
TEST_F(PartTrackTest, TripletHeadsSoundOnTheirSlots) {
    putTuplet(28, 4, 1);
    putTuplet(28, 5, 1);
    putTuplet(28, 6, 2);
    const Bytes expected = exportBody(0, {{240, noteOn(0, 60, 100)}, // 480 + 240
                                          {80, noteOff(0, 60)},      // 320
                                          {0, noteOn(0, 60, 100)},
                                          {80, noteOff(0, 60)}, // 400
                                          {0, noteOn(0, 60, 100)},
                                          {80, noteOff(0, 60)}}); // 480: column 8, slot 0
    EXPECT_BYTES(exported(), expected);
}

TEST_F(PartTrackTest, TupletEndInColumn9SoundsAt560) {
    putTuplet(28, 8, 1);
    EXPECT_BYTES(exported(), exportBody(0, {{480, noteOn(0, 60, 100)}, {80, noteOff(0, 60)}}));
}

// The ordinary head sharing a cell with a tuplet end waits for it and follows it at once.
TEST_F(PartTrackTest, OrdinaryHeadAfterATupletEndFollowsItsNoteOff) {
    putTuplet(28, 4, 2); // ends in column 6, slot 2: tick 400
    putNote(song, 28, 6, 2);
    const Bytes expected = exportBody(0, {{240, noteOn(0, 60, 100)},
                                          {160, noteOff(0, 60)},
                                          {0, noteOn(0, 60, 100)},
                                          {80, noteOff(0, 60)}});
    EXPECT_BYTES(exported(), expected);
}

TEST_F(PartTrackTest, TupletHeadAfterAnOrdinaryEndKeepsItsSlot) {
    putNote(song, 28, 0, 5);
    putTuplet(28, 5, 1); // slot 1 of columns 4..7: tick 320
    const Bytes expected = exportBody(0, {{0, noteOn(0, 60, 100)},
                                          {300, noteOff(0, 60)},
                                          {20, noteOn(0, 60, 100)},
                                          {80, noteOff(0, 60)}});
    EXPECT_BYTES(exported(), expected);
}

// Rhythm keys are 84 - row on channel index 9, whatever the accidental and key bits say.
TEST_F(PartTrackTest, RhythmPartPlaysDrumKeysOnChannel10) {
    song.DrumPart[3] = 1;
    song.CurPart = 3;
    song.KeyMask[0] = 127;
    song.KeyShift[0] = 1;
    putNote(song, 44, 0, 4, cell::Sharp);
    const Bytes expected = exportBody(9, {{0, noteOn(9, 40, 100)}, {240, noteOff(9, 40)}});
    EXPECT_BYTES(exported(), expected);
}

TEST_F(PartTrackTest, Part9PlaysDrumKeysEvenWhenNotMarkedRhythm) {
    song.DrumPart[9] = 0;
    song.CurPart = 9;
    putNote(song, 10, 0, 4, cell::Flat);
    const Bytes expected = exportBody(9, {{0, noteOn(9, 74, 100)}, {240, noteOff(9, 74)}});
    EXPECT_BYTES(exported(), expected);
}

TEST_F(PartTrackTest, AccidentalsActRelativeToTheKeySignature) {
    struct Case {
        int row;
        int32_t accidental;
        uint8_t mask;
        int shift;
        int key;
    };
    const Case cases[] = {
        {25, 0, 0, 0, 65},                 // F4
        {25, cell::Sharp, 0, 0, 66},       // F#4
        {25, cell::Flat, 0, 0, 64},        // Fb4 = E4
        {25, 0, 16, 1, 66},                // G major raises F
        {25, cell::Flat, 16, 1, 65},       // a flat in G major gives the natural
        {25, cell::Sharp, 16, 1, 67},      // a sharp on a raised step goes one further
        {28, 0, 16, 1, 60},                // C is not in G major's mask
        {22, 0, 2, -1, 70},                // B4 in F major (mask bit 1 = B) is Bb
        {22, cell::Sharp, 2 + 128, -1, 71} // the flat-key bit takes no part in the test
    };
    for (const auto& c : cases) {
        Song s = freshSong();
        song = s;
        song.KeyMask[0] = c.mask;
        song.KeyShift[0] = c.shift;
        putNote(song, c.row, 0, 4, c.accidental);
        const Bytes expected =
            exportBody(0, {{0, noteOn(0, c.key, 100)}, {240, noteOff(0, c.key)}});
        EXPECT_BYTES(exported(), expected) << "row " << c.row << " accidental " << c.accidental;
    }
}

// A note in the first column of a measure with a new key takes that key on and off.
TEST_F(PartTrackTest, NoteInAMeasureWithANewKeyUsesItForBothEvents) {
    song.KeyMask[1] = 16;
    song.KeyShift[1] = 1;
    putNote(song, 25, 32, 8);
    const Bytes expected = exportBody(0, {{60 * 32, noteOn(0, 66, 100)}, {480, noteOff(0, 66)}});
    EXPECT_BYTES(exported(), expected);
}

// Regression: the note-off took the key of the measure holding column x - 1, so a note
// crossing into a measure with another key was turned off with a key never turned on and
// kept sounding.
TEST_F(PartTrackTest, NoteCrossingIntoANewKeyIsTurnedOffWithItsOwnKey) {
    song.KeyMask[1] = 16;
    song.KeyShift[1] = 1;
    putNote(song, 25, 28, 8); // F from measure 1 into G major's measure 2
    const Bytes expected = exportBody(0, {{60 * 28, noteOn(0, 65, 100)}, {480, noteOff(0, 65)}});
    EXPECT_BYTES(exported(), expected);
}

// Lane changes in sounding columns, after the note-off of the column, in the fixed order
// pitch bend, modulation, expression, pan, hold.
TEST_F(PartTrackTest, LaneChangesFollowTheNoteOffOfTheirColumn) {
    putNote(song, 28, 0, 8);
    putNote(song, 28, 8, 8);
    auto& p = song.part;
    for (int x = 4; x < 16; ++x) {
        p.PitLane[x] = x < 8 ? 70 : 80;
        p.HolLane[x] = 127;
    }
    for (int x = 8; x < 16; ++x) {
        p.ModLane[x] = 5;
        p.ExpLane[x] = 100;
        p.PanLane[x] = 30;
    }
    p.PanLane[16] = 1; // column 16 is silent: its lanes are not read
    const Bytes expected = exportBody(0, {{0, noteOn(0, 60, 100)},
                                          {240, {0xE0, 0x00, 70}},
                                          {0, cc(0, 0x40, 127)},
                                          {240, noteOff(0, 60)},
                                          {0, {0xE0, 0x00, 80}},
                                          {0, cc(0, 0x01, 5)},
                                          {0, cc(0, 0x0B, 100)},
                                          {0, cc(0, 0x0A, 30)},
                                          {0, noteOn(0, 60, 100)},
                                          {480, noteOff(0, 60)}});
    EXPECT_BYTES(exported(), expected);
}

TEST_F(PartTrackTest, SetUpCarriesThePartHeader) {
    putNote(song, 28, 0, 8);
    song.part.PartProgram = 24;
    song.part.PartReverb = 0;
    song.part.PartChorus = 90;
    const Bytes expected =
        trackBody(partSetUp(true, 0, 0, 90, 24) +
                  std::vector<Ev>{{0, noteOn(0, 60, 100)}, {480, noteOff(0, 60)}} + partEnd(0));
    EXPECT_BYTES(exported(), expected);
}

class LoopMarkerTest : public PartTrackTest {
protected:
    void SetUp() override {
        song.LoopOn = 1;
        song.LoopMeasure = 4; // measure 5 of 4/4: column 128, file tick 480 + 7680
    }
};

TEST_F(LoopMarkerTest, MarkerAtTheLoopMeasureAndNoClosingBeat) {
    putNote(song, 28, 0, 8);
    putNote(song, 28, 128, 8);
    const Bytes expected = trackBody(partSetUp(true, 0) + std::vector<Ev>{
                                                              {0, noteOn(0, 60, 100)},
                                                              {480, noteOff(0, 60)},
                                                              {7680 - 480, kLoopMarker},
                                                              {0, noteOn(0, 60, 100)},
                                                              {480, noteOff(0, 60)},
                                                              {0, kEndOfTrack},
                                                          });
    EXPECT_BYTES(exported(), expected);
}

// The marker goes on the first channel whatever channel the part plays on.
TEST_F(LoopMarkerTest, MarkerBeforeALaterFirstNoteOfARhythmPart) {
    song.CurPart = 9;
    putNote(song, 44, 136, 4);
    const Bytes expected = trackBody(partSetUp(true, 9) + std::vector<Ev>{
                                                              {7680, kLoopMarker},
                                                              {480, noteOn(9, 40, 100)},
                                                              {240, noteOff(9, 40)},
                                                              {0, kEndOfTrack},
                                                          });
    EXPECT_BYTES(exported(), expected);
}

TEST_F(LoopMarkerTest, PartEndingBeforeTheLoopHasNoMarker) {
    putNote(song, 28, 0, 8);
    const Bytes expected = trackBody(partSetUp(true, 0) + std::vector<Ev>{{0, noteOn(0, 60, 100)},
                                                                          {480, noteOff(0, 60)},
                                                                          {0, kEndOfTrack}});
    EXPECT_BYTES(exported(), expected);
}

// Regression: a loop point past the last measure read beyond the measure table.
TEST_F(LoopMarkerTest, LoopPointPastTheLastMeasureWritesNoMarker) {
    song.LoopMeasure = 300; // measures are 1..300: measure 301 does not exist
    putNote(song, 28, 9592, 8);
    const Bytes expected = exportBody(0, {{60 * 9592, noteOn(0, 60, 100)}, {480, noteOff(0, 60)}});
    EXPECT_BYTES(exported(), expected);
}

TEST_F(LoopMarkerTest, PlaybackWritesNoMarker) {
    putNote(song, 28, 128, 8);
    const Bytes expected = trackBody(
        partSetUp(false, 0) +
        std::vector<Ev>{{60 * 128, noteOn(0, 60, 100)}, {480, noteOff(0, 60)}} + partEnd(0));
    EXPECT_BYTES(partTrack(MidiExportOptions::forPlayback(song, 1, kAllParts)), expected);
}

// Regression: values of a hand-edited work file above 127 made status bytes of data bytes.
TEST_F(PartTrackTest, DataBytesAreClampedTo127) {
    putNote(song, 28, 0, 8);
    auto numbers = parsePartNumbers(formatPartFile(song.part));
    const size_t col0 = 4; // lanes of column 0: Sounding, Vel, Pit, Mod, Exp, Pan, Hol
    numbers[col0 + 1] = 200;
    for (size_t x = 0; x < 8; ++x)
        numbers[col0 + 7 * x + 5] = 255;
    ASSERT_EQ(checkPartNumbers(numbers), "");
    song.KeyMask[0] = 1;
    song.KeyShift[0] = 100; // C raised far beyond the last key
    const Bytes expected =
        exportBody(0, {{0, cc(0, 0x0A, 127)}, {0, noteOn(0, 127, 127)}, {480, noteOff(0, 127)}});
    std::string text;
    for (int64_t n : numbers)
        text += std::to_string(n) + "\r\n";
    EXPECT_BYTES(trackFrom(text, MidiExportOptions::forExport()), expected);
}

} // namespace
} // namespace zelk
