// Export with loopToBar: the conductor track ends on the loop's last bar line, nothing else
// in the file moves, and files without a loop to play stay as they were.

#include "MidiWriterFixture.h"

#include "SmfReader.h"
#include "midi/LoopSpan.h"
#include "midi/MidiFileEvents.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

// Everything after the header and the conductor track: the part tracks.
Bytes partTracks(const Bytes& file) {
    const size_t conductorLen = size_t{file.at(18)} << 24 | size_t{file.at(19)} << 16 |
                                size_t{file.at(20)} << 8 | size_t{file.at(21)};
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(22 + conductorLen), file.end());
}

class LoopToBarTest : public MidiWriterTest {
protected:
    Bytes exportToBar() {
        MidiExportOptions opt = MidiExportOptions::forExport();
        opt.loopToBar = true;
        return write(opt);
    }
    void loopAt(int measureIndex) {
        song.LoopOn = 1;
        song.LoopMeasure = measureIndex;
    }
    static uint32_t conductorEnd(const Bytes& file) {
        return SmfReader(file).read().tracks.at(0).back().tick;
    }
};

TEST_F(LoopToBarTest, ConductorEndsOnTheBarLineAfterTheLastNote) {
    putNote(song, 28, 0, 8);
    selectPart(4);
    putNote(song, 30, 36, 30); // ends in column 66, inside measure 3
    loopAt(1);
    const Bytes plain = exportFile();
    const Bytes toBar = exportToBar();
    EXPECT_EQ(lastTick, exportTickOfColumn(96)) << "the writer returns the file's new end";
    const MidiFileEvents f = readMidiEvents(toBar);
    const auto span = loopSpanOf(song, lastNoteOffTick(f));
    ASSERT_TRUE(span);
    EXPECT_EQ(conductorEnd(toBar), span->endTick);
    EXPECT_EQ(f.lastTick, span->endTick);
    EXPECT_LT(readMidiEvents(plain).lastTick, span->endTick);
    EXPECT_EQ(partTracks(toBar), partTracks(plain)) << "only the conductor track changes";
}

TEST_F(LoopToBarTest, ConductorKeepsItsChangesBeforeTheBarLine) {
    putNote(song, 28, 32, 24);
    for (int x = 40; x < TempoLane::size(); ++x)
        song.TemLane[x] = 90;
    loopAt(0);
    const SmfFile f = SmfReader(exportToBar()).read();
    const auto& conductor = f.tracks.at(0);
    ASSERT_GE(conductor.size(), 2u);
    const SmfEvent& tempoChange = conductor[conductor.size() - 2];
    EXPECT_EQ(tempoChange.tick, exportTickOfColumn(40));
    EXPECT_EQ(tempoChange.bytes, (Bytes{0xFF, 0x51, 0x03, 0x0A, 0x2C, 0x2A}));
    EXPECT_EQ(conductor.back().tick, exportTickOfColumn(64));
    EXPECT_EQ(conductor.back().bytes, kEndOfTrack);
}

// A part longer than its notes: changes past the loop would lie after the track's end.
TEST_F(LoopToBarTest, ChangesAfterTheBarLineAreLeftOut) {
    putNote(song, 28, 32, 24);
    song.part.PartLen = 100;
    for (int x = 80; x < TempoLane::size(); ++x)
        song.TemLane[x] = 90;
    loopAt(0);
    const SmfFile plain = SmfReader(exportFile()).read();
    EXPECT_EQ(plain.tracks.at(0).back().tick, exportTickOfColumn(80));
    const SmfFile toBar = SmfReader(exportToBar()).read();
    const auto& conductor = toBar.tracks.at(0);
    EXPECT_EQ(conductor.back().tick, exportTickOfColumn(64));
    for (const SmfEvent& e : conductor)
        EXPECT_LE(e.tick, exportTickOfColumn(64));
}

TEST_F(LoopToBarTest, FilesWithoutALoopToPlayStayByteForByte) {
    putNote(song, 28, 4, 40);
    EXPECT_EQ(exportToBar(), exportFile()) << "loop off";
    loopAt(song.MeasureCount());
    EXPECT_EQ(exportToBar(), exportFile()) << "loop point beyond the song";
    loopAt(3);
    EXPECT_EQ(exportToBar(), exportFile()) << "no notes after the loop point";
}

TEST_F(LoopToBarTest, PlaybackIgnoresIt) {
    putNote(song, 28, 4, 40);
    loopAt(0);
    MidiExportOptions opt = MidiExportOptions::forPlayback(song, 1, kAllParts);
    const Bytes plain = write(opt);
    opt.loopToBar = true;
    EXPECT_EQ(write(opt), plain);
}

} // namespace
} // namespace zelk
