#include "MidiWriterFixture.h"

#include "files/TextLines.h"
#include "model/Cell.h"
#include "model/FormatError.h"
#include "model/PartFile.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

using WriteMidiFileTest = MidiWriterTest;

// One ticked part 0 with a plain quarter note at row 28 (note 60) from column 0.
TEST_F(WriteMidiFileTest, WorkedPlaybackExampleIsExact) {
    putNote(song, 28, 0, 8);
    const Bytes expected = cat(
        {fileHeader(2), trackChunk(conductorHead(false) + std::vector<Ev>{{0, kEndOfTrack}}),
         trackChunk(partSetUp(false, 0) +
                    std::vector<Ev>{{0, noteOn(0, 60, 100)}, {480, noteOff(0, 60)}} + partEnd(0))});
    EXPECT_BYTES(playFile(1), expected);
    EXPECT_EQ(lastTick, 960u) << "end of track one beat after the note-off";
}

TEST_F(WriteMidiFileTest, ExportPutsTheSetUpBeatBeforeTheSong) {
    putNote(song, 28, 0, 8);
    const Bytes expected = cat(
        {fileHeader(2), trackChunk(conductorHead(true) + std::vector<Ev>{{0, kEndOfTrack}}),
         trackChunk(partSetUp(true, 0) +
                    std::vector<Ev>{{0, noteOn(0, 60, 100)}, {480, noteOff(0, 60)}} + partEnd(0))});
    EXPECT_BYTES(exportFile(), expected);
}

TEST_F(WriteMidiFileTest, SongWithoutNotesHasOnlyTheConductorTrack) {
    const Bytes expected =
        cat({fileHeader(1), trackChunk(conductorHead(true) + std::vector<Ev>{{0, kEndOfTrack}})});
    EXPECT_BYTES(exportFile(), expected);
}

TEST_F(WriteMidiFileTest, PlaybackWithEveryPartUntickedHasOnlyTheConductorTrack) {
    putNote(song, 28, 0, 8);
    std::array<uint8_t, kParts> none{};
    const Bytes expected =
        cat({fileHeader(1), trackChunk(conductorHead(false) + std::vector<Ev>{{0, kEndOfTrack}})});
    EXPECT_BYTES(playFile(1, none), expected);
}

// Parts 1 and 3 hold notes; only part 3 is ticked. The export writes both, in part order.
TEST_F(WriteMidiFileTest, PlaybackWritesTickedPartsAndExportWritesAll) {
    selectPart(1);
    putNote(song, 28, 0, 8);
    selectPart(3);
    putNote(song, 21, 8, 4); // note 72
    std::array<uint8_t, kParts> playing{};
    playing[3] = 1;
    const auto part3 = [](bool exporting) {
        return trackChunk(partSetUp(exporting, 3) +
                          std::vector<Ev>{{480, noteOn(3, 72, 100)}, {240, noteOff(3, 72)}} +
                          partEnd(3));
    };
    // The song ends at column 12, the end of the longer part; no change happens before.
    const Bytes conductorPlay =
        trackChunk(conductorHead(false) + std::vector<Ev>{{0, kEndOfTrack}});
    EXPECT_BYTES(playFile(1, playing), cat({fileHeader(2), conductorPlay, part3(false)}));

    const Bytes part1 =
        trackChunk(partSetUp(true, 1) +
                   std::vector<Ev>{{0, noteOn(1, 60, 100)}, {480, noteOff(1, 60)}} + partEnd(1));
    EXPECT_BYTES(
        exportFile(),
        cat({fileHeader(3), trackChunk(conductorHead(true) + std::vector<Ev>{{0, kEndOfTrack}}),
             part1, part3(true)}));
}

// Playback from measure 10 of a 4/4 song: the file starts at column 288. A note that began
// before only ends; everything earlier is left out.
TEST_F(WriteMidiFileTest, PlaybackFromMeasure10StartsAtItsFirstColumn) {
    putNote(song, 28, 0, 8);     // measure 1: ignored
    putNote(song, 28, 280, 8);   // ends on column 288
    putNote(song, 21, 292, 4);   // note 72, ticks 240..480 of the file
    song.part.PitLane[280] = 70; // a lane change before the start is not written
    song.TemLane[288] = 150;     // tempo in force at the first shown column
    const std::vector<Ev> conductor = {{0, metaText(0x03, "title")},
                                       {0, metaText(0x02, "Copyright(C) by ?")},
                                       {0, kGmSystemOn},
                                       {0, timeSig(1, 2)},
                                       {0, {0xFF, 0x59, 0x02, 0x00, 0x00}},
                                       {0, tempoEv(400000)},
                                       // column 289: back to 120 (the reset lane)
                                       {60, tempoEv(500000)},
                                       {0, kEndOfTrack}};
    const std::vector<Ev> part = partSetUp(false, 0) +
                                 std::vector<Ev>{
                                     {0, noteOff(0, 60)},
                                     {240, noteOn(0, 72, 100)},
                                     {240, noteOff(0, 72)},
                                 } +
                                 partEnd(0);
    EXPECT_BYTES(playFile(10), cat({fileHeader(2), trackChunk(conductor), trackChunk(part)}));
}

TEST_F(WriteMidiFileTest, CurrentPartIsLoadedAgainAfterwards) {
    selectPart(2);
    putNote(song, 10, 4, 6, cell::Sharp);
    song.part.PartProgram = 33;
    song.part.PartReverb = 12;
    const CurrentPart before = song.part;
    midi.sent.clear();
    exportFile();
    EXPECT_EQ(song.part.Grid, before.Grid);
    EXPECT_EQ(song.part.PartLen, 10);
    EXPECT_EQ(song.part.PartProgram, 33);
    EXPECT_EQ(song.part.PartReverb, 12);
    EXPECT_EQ(song.part.VelLane, before.VelLane);
    EXPECT_TRUE(midi.sent.empty());
}

// Without notes the current part has no work file; reloading it sends its default sound.
TEST_F(WriteMidiFileTest, EmptyCurrentPartSendsItsDefaultSoundAfterwards) {
    selectPart(5);
    putNote(song, 10, 4, 6);
    selectPart(4);
    midi.sent.clear();
    exportFile();
    const std::vector<uint32_t> expected{shortMessage(0xC4, 0), shortMessage(0xB4, 91, 40),
                                         shortMessage(0xB4, 93, 0)};
    EXPECT_EQ(midi.sent, expected);
    EXPECT_EQ(song.part.PartLen, 0);
}

class FailedExportTest : public MidiWriterTest {
protected:
    size_t filesInFolder() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(tmp.path()))
            ++n;
        return n;
    }
};

// A damaged work file of another part stops the export; the old file under the chosen name
// stays as it was and no temporary file is left behind.
TEST_F(FailedExportTest, DamagedWorkFileLeavesTheTargetUntouched) {
    putNote(song, 28, 0, 8);
    writeWholeFile(target(), "old contents");
    writeWholeFile(tmp.folder().workFile(6), "8\r\n0\r\n40\r\nbanana\r\n");
    SavePartFile(song, tmp.folder());
    const size_t before = filesInFolder();
    EXPECT_THROW(exportFile(), FormatError);
    EXPECT_EQ(slurp(target()), "old contents");
    EXPECT_EQ(filesInFolder(), before);
    EXPECT_EQ(song.part.PartLen, 8); // the current part is untouched
}

TEST_F(FailedExportTest, MissingFolderIsReportedAndCreatesNothing) {
    putNote(song, 28, 0, 8);
    const auto path = tmp.path() / "no-such-folder" / "song.mid";
    EXPECT_THROW(
        WriteMidiFile(song, tmp.folder(), midi, encoder, path, MidiExportOptions::forExport()),
        std::system_error);
    EXPECT_FALSE(std::filesystem::exists(path.parent_path()));
}

TEST_F(FailedExportTest, ExistingTargetIsReplaced) {
    putNote(song, 28, 0, 8);
    writeWholeFile(target(), std::string(5000, 'x'));
    const Bytes written = exportFile();
    ASSERT_GE(written.size(), 4u);
    EXPECT_EQ(Bytes(written.begin(), written.begin() + 4), ascii("MThd"));
    EXPECT_LT(written.size(), 5000u);
}

TEST_F(FailedExportTest, FirstMeasureOutsideTheSongIsRefused) {
    putNote(song, 28, 0, 8);
    EXPECT_THROW(playFile(0), std::invalid_argument);
    EXPECT_THROW(playFile(301), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(target()));
}

} // namespace
} // namespace zelk
