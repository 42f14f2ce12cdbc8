#include "StorageTestSupport.h"

#include "files/TextLines.h"
#include "model/Cell.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "ports/MidiOut.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"
#include "storage/ProjectText.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zelk {
namespace {

using test::crlf;
using test::repeat;

// Older layout: title, copyright, MeasureCols, BeatCols, KeyCode, tempo index, parts.
std::string olderText(int measureCols, int keyCode, int tempoIndex) {
    return crlf({"Old title", "Old copyright", std::to_string(measureCols), "8",
                 std::to_string(keyCode), std::to_string(tempoIndex)}) +
           repeat("-2\r\n", 16);
}

class ProjectLoadTest : public ::testing::Test {
protected:
    ProjectLoadTest() { song.FilePath = file.string(); }

    LoadReport loadText(const std::string& text) {
        test::writeProjectText(file, text);
        return LoadProject(song, tmp.folder(), gzip, midi);
    }
    std::string textOf(const Song& s) { return formatProjectText(s, readWorkFiles(tmp.folder())); }

    test::TempFolder tmp;
    std::filesystem::path file = tmp.path() / "song.zelk";
    Song song = test::freshSong();
    GzipCompressor gzip;
    test::FakeMidiOut midi;
};

TEST_F(ProjectLoadTest, SongLevelValuesComeFromTheirSections) {
    Song small = test::smallSong();
    small.LoopOn = 1;
    small.LoopMeasure = 1;
    small.SongTitle = "タイトル";
    small.KeyMask = {16, 0, 0};
    small.KeyShift = {1, 0, 0};
    small.KeyCode = 16;
    small.TempoIndex = 89;
    song.Dirty = 1;
    const LoadReport report = loadText(textOf(small));
    EXPECT_FALSE(report.olderLayout);
    EXPECT_EQ(song.MeasureCount(), 2);
    EXPECT_EQ(song.MeasureLen.len(1), 8);
    EXPECT_EQ(song.MeasureLen.len(2), 4);
    for (int x = 0; x < 12; ++x)
        EXPECT_EQ(song.TemLane[x], 100 + x);
    EXPECT_EQ(song.TemLane[12], 120); // after the last measure: as it was
    EXPECT_EQ(song.LoopOn, 1);
    EXPECT_EQ(song.LoopMeasure, 1);
    EXPECT_EQ(song.SongTitle, "タイトル");
    EXPECT_EQ(song.SongCopyright, "Copyright(C) by ?");
    EXPECT_EQ(song.KeyMask, (std::vector<uint8_t>{16, 0, 0}));
    EXPECT_EQ(song.KeyShift, (std::vector<int32_t>{1, 0, 0}));
    EXPECT_EQ(song.KeyCode, 16);
    EXPECT_EQ(song.KeySign, 1);
    EXPECT_EQ(song.MeasureCols, 8);
    EXPECT_EQ(song.BeatCols, 8);
    EXPECT_EQ(song.TempoIndex, 89);
    EXPECT_EQ(song.TempoBase, 90);
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(song.FilePath, file.string());
}

TEST_F(ProjectLoadTest, WithoutLoopSectionTheLoopPointStaysAsItWas) {
    song.LoopOn = 1;
    song.LoopMeasure = 7;
    loadText(textOf(test::smallSong()));
    EXPECT_EQ(song.LoopOn, 1);
    EXPECT_EQ(song.LoopMeasure, 7);
}

TEST_F(ProjectLoadTest, BeatSpacingIsDerivedFromTheTimeSignature) {
    Song small = test::smallSong();
    small.MeasureLen.setLen(1, 12); // 3/8
    small.BeatCols = 8;             // stale value in the file
    loadText(textOf(small));
    EXPECT_EQ(song.MeasureCols, 12);
    EXPECT_EQ(song.BeatCols, 4);
}

TEST_F(ProjectLoadTest, OlderLayoutGivesEveryMeasureTheTimeSignatureAndOneTempo) {
    song.DrumPart[3] = 1;
    song.LoopOn = 1;
    song.LoopMeasure = 4;
    song.TemLane[9600] = 55;
    const LoadReport report = loadText(olderText(32, 2, 99));
    EXPECT_TRUE(report.olderLayout);
    ASSERT_EQ(song.MeasureCount(), 299);
    for (int m = 1; m <= 299; ++m)
        ASSERT_EQ(song.MeasureLen.len(m), 32);
    for (int x = 0; x <= 9568; ++x) // through SumMeasureLen(299)
        ASSERT_EQ(song.TemLane[x], 100);
    EXPECT_EQ(song.TemLane[9600], 55);
    EXPECT_EQ(song.KeyMask, std::vector<uint8_t>(300, 2));
    EXPECT_EQ(song.KeyShift, std::vector<int32_t>(300, 1));
    EXPECT_EQ(song.DrumPart[3], 1); // rhythm flags unchanged
    EXPECT_EQ(song.DrumPart[9], 1);
    EXPECT_EQ(song.LoopOn, 1);
    EXPECT_EQ(song.LoopMeasure, 4);
    EXPECT_EQ(song.SongTitle, "Old title");
    EXPECT_EQ(song.SongCopyright, "Old copyright");
    EXPECT_EQ(song.TempoBase, 100);
}

TEST_F(ProjectLoadTest, OlderLayoutMeasureCountLeavesRoomForOneMeasure) {
    const struct {
        int measureCols;
        int measures;
    } cases[] = {
        {32, 299}, // 4/4: 300 would fit exactly; the older reader makes one fewer
        {48, 199}, // 6/4
        {4, 2399}, // 1/8, the shortest
        {28, 341}, // 7/8: 342 whole measures fit, one fewer
        {40, 239}, // 5/4
    };
    for (const auto& c : cases) {
        loadText(olderText(c.measureCols, 0, 119));
        EXPECT_EQ(song.MeasureCount(), c.measures) << c.measureCols;
        EXPECT_EQ(song.MeasureCols, c.measureCols);
        EXPECT_EQ(song.KeyMask.size(), static_cast<size_t>(c.measures) + 1);
    }
}

TEST_F(ProjectLoadTest, OlderLayoutWithFlatKeyShiftsDown) {
    loadText(olderText(32, 130, 119));
    EXPECT_EQ(song.KeySign, -1);
    EXPECT_EQ(song.KeyMask.front(), 130);
    EXPECT_EQ(song.KeyShift.back(), -1);
}

TEST_F(ProjectLoadTest, TitlesThatLookLikeNumbersStayTitles) {
    const char* titles[] = {"-3 days", "-4", "-3", " -3", "120", "-6"};
    for (const char* title : titles) {
        Song small = test::smallSong();
        small.SongTitle = title;
        loadText(textOf(small));
        EXPECT_EQ(song.SongTitle, title);
        EXPECT_EQ(song.MeasureCount(), 2) << title;
    }
}

TEST_F(ProjectLoadTest, LineFeedsAndBlanksAroundNumbersAreAccepted) {
    std::string text = crlf({" -3 ", "\t1", "t", "-4 ", " 4"}) + repeat("120\r\n", 4) +
                       crlf({"-5", "c", " -6"}) + repeat("0\r\n", 16) +
                       crlf({"4", "8", "0", "-1", "0", "0", "0", "0", "-2", " 119 "}) +
                       repeat("-2\r\n", 16);
    std::string lf;
    for (char c : text)
        if (c != '\r')
            lf += c;
    loadText(lf);
    EXPECT_EQ(song.LoopOn, 1);
    EXPECT_EQ(song.LoopMeasure, 1);
    EXPECT_EQ(song.SongTitle, "t");
    EXPECT_EQ(song.MeasureCount(), 1);
    EXPECT_EQ(song.SongCopyright, "c");
}

// Files our own program writes must load: later edits can leave all of these behind.
TEST_F(ProjectLoadTest, AcceptsEverythingTheEditorCanWrite) {
    Song small = test::smallSong();
    small.LoopOn = 1;
    small.LoopMeasure = 40;         // beyond the last measure after a time-signature change
    small.TemLane[3] = 0;           // tempo lane values of 0
    test::putNote(small, 20, 6, 4); // crosses the end of measure 1 (column 8)
    small.part.VelLane[6] = 0;      // a head with velocity 0
    SavePartFile(small, tmp.folder());
    loadText(textOf(small));
    EXPECT_EQ(song.LoopMeasure, 40);
    EXPECT_EQ(song.TemLane[3], 0);
    EXPECT_EQ(song.part.Grid(20, 6), cell::Head);
    EXPECT_EQ(song.part.VelLane[6], 0);
    EXPECT_EQ(song.part.PartLen, 10);
}

TEST_F(ProjectLoadTest, WorkFilesOfTheFileReplaceThoseInTheFolderOthersStay) {
    Song small = test::smallSong();
    test::putNote(small, 28, 0, 8);
    small.CurPart = 2;
    SavePartFile(small, tmp.folder());
    const std::string text = textOf(small);
    std::filesystem::remove(tmp.folder().workFile(2));
    writeWholeFile(tmp.folder().workFile(5), "leftover");
    loadText(text);
    EXPECT_EQ(test::slurp(tmp.folder().workFile(2)), formatPartFile(small.part));
    EXPECT_EQ(test::slurp(tmp.folder().workFile(5)), "leftover");
    EXPECT_FALSE(std::filesystem::exists(tmp.folder().file("2.new")));
}

// A load sets reverb, then chorus, then the program; the device hears them in that order.
TEST_F(ProjectLoadTest, CurrentPartIsLoadedAndItsHeaderSentReverbChorusProgram) {
    Song small = test::smallSong();
    test::putNote(small, 28, 0, 8);
    small.part.PartProgram = 33;
    small.part.PartChorus = 9;
    SavePartFile(small, tmp.folder());
    const std::string text = textOf(small);
    std::filesystem::remove(tmp.folder().workFile(0));
    const LoadReport report = loadText(text);
    EXPECT_TRUE(report.partHeaderChanged);
    EXPECT_TRUE(song.part.Grid == small.part.Grid);
    EXPECT_EQ(song.part.PartLen, 8);
    const std::vector<uint32_t> expected = {shortMessage(0xB0, 91, 40), shortMessage(0xB0, 93, 9),
                                            shortMessage(0xC0, 33)};
    EXPECT_EQ(midi.sent, expected);
}

// The previous song's current part must not survive into a loaded song whose current
// part is empty: its PartLen would make the next save write a stale work file.
TEST_F(ProjectLoadTest, EmptyCurrentPartLeavesNothingOfThePreviousOne) {
    test::putNote(song, 10, 100, 8);
    song.part.PartProgram = 5;
    const LoadReport report = loadText(textOf(test::smallSong()));
    EXPECT_TRUE(report.partHeaderChanged);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_EQ(song.part.PartProgram, 0);
    EXPECT_EQ(song.part.Grid(10, 100), 0);
    EXPECT_EQ(song.part.Sounding[100], 0);
    const std::vector<uint32_t> expected = {shortMessage(0xC0, 0),      shortMessage(0xB0, 91, 40),
                                            shortMessage(0xB0, 93, 0), // no file
                                            shortMessage(0xB0, 91, 40), shortMessage(0xB0, 93, 0),
                                            shortMessage(0xC0, 0)}; // header
    EXPECT_EQ(midi.sent, expected);
}

TEST_F(ProjectLoadTest, LeftoverWorkFileOfTheCurrentPartIsLoaded) {
    const std::string text = textOf(test::smallSong()); // part 0 is not in the file...
    Song other = test::freshSong();
    test::putNote(other, 30, 16, 4);
    SavePartFile(other, tmp.folder()); // ...but in the folder
    loadText(text);
    EXPECT_EQ(song.part.PartLen, 20);
    EXPECT_EQ(song.part.Grid(30, 16), cell::Head);
}

TEST_F(ProjectLoadTest, DamagedLeftoverOfTheCurrentPartIsDropped) {
    const std::string text = textOf(test::smallSong());
    writeWholeFile(tmp.folder().workFile(0), "8\r\n0\r\n");
    loadText(text);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.folder().workFile(0)));
}

TEST_F(ProjectLoadTest, ReplaceAllRemovesWorkFilesOfEmptyParts) {
    const std::string text = textOf(test::smallSong());
    writeWholeFile(tmp.folder().workFile(5), "leftover");
    test::writeProjectText(file, text);
    LoadProject(song, tmp.folder(), gzip, midi, WorkFileMode::ReplaceAll);
    EXPECT_FALSE(std::filesystem::exists(tmp.folder().workFile(5)));
}

} // namespace
} // namespace zelk
