// The loop rules over files the writer exports from songs, as zelk-tool check --loop runs them.

#include "MidiWriterFixture.h"

#include "midi/LoopCheck.h"
#include "midi/MidiFileEvents.h"

#include <gtest/gtest.h>

#include <string>

namespace zelk {
namespace {

using namespace test;

class LoopCheckTest : public MidiWriterTest {
protected:
    LoopReport check(MidiExportOptions opt = MidiExportOptions::forExport()) {
        const Bytes b = write(opt);
        return checkLoop(song, readMidiEvents(b), includedParts(tmp.folder(), opt));
    }
    void loopAt(int measureIndex) {
        song.LoopOn = 1;
        song.LoopMeasure = measureIndex;
    }
    static bool has(const LoopReport& r, const std::string& part) {
        for (const std::string& f : r.findings)
            if (f.find(part) != std::string::npos)
                return true;
        return false;
    }
};

TEST_F(LoopCheckTest, LastNoteInsideAMeasureLeavesTheFileShort) {
    putNote(song, 28, 32, 40); // ends in column 72, 24 columns before the bar line
    loopAt(1);
    const LoopReport r = check();
    EXPECT_EQ(r.loop, "loop: measure 2 to the end of measure 3");
    EXPECT_EQ(r.findings, LoopFindings{"MIDI loop ends 1440 ticks before the bar line of measure "
                                       "3 (export with --loop-to-bar)"});
    MidiExportOptions toBar = MidiExportOptions::forExport();
    toBar.loopToBar = true;
    EXPECT_TRUE(check(toBar).findings.empty());
}

TEST_F(LoopCheckTest, NoteHeldIntoTheLoopIsNamedWithItsPart) {
    putNote(song, 28, 40, 24); // part 1, clean
    selectPart(2);
    putNote(song, 30, 24, 16); // part 3, from measure 1 over the loop start
    loopAt(1);
    const LoopReport r = check();
    ASSERT_EQ(r.findings.size(), 1u);
    EXPECT_EQ(r.findings[0].rfind("part 3: key ", 0), 0u) << r.findings[0];
    EXPECT_TRUE(has(r, "begun in measure 1 still sounds at the loop start"));
}

TEST_F(LoopCheckTest, PitchBendLaneLeftBentAtTheEnd) {
    putNote(song, 28, 32, 16);
    putNote(song, 28, 48, 16);
    for (int x = 48; x < 64; ++x)
        song.part.PitLane[x] = 80;
    loopAt(1);
    EXPECT_EQ(check().findings,
              LoopFindings{"part 1: pitch bend 64 at the loop start, 80 at the end"});
}

TEST_F(LoopCheckTest, TempoChangedInsideTheLoop) {
    putNote(song, 28, 32, 32);
    for (int x = 48; x < TempoLane::size(); ++x)
        song.TemLane[x] = 90;
    loopAt(1);
    EXPECT_EQ(check().findings, LoopFindings{"tempo 120 at the loop start, 90 at the end"});
    for (int x = 32; x < TempoLane::size(); ++x) // the loop start sets it: replayed each time
        song.TemLane[x] = 90;
    EXPECT_TRUE(check().findings.empty());
}

} // namespace
} // namespace zelk
