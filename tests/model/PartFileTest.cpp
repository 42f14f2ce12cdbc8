#include "model/PartFile.h"
#include "files/TextLines.h"
#include "model/Cell.h"
#include "model/FormatError.h"
#include "model/PartSwitch.h"
#include "model/Song.h"
#include "ports/MidiOut.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"
#include "support/TextBuilders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace zelk {
namespace {

using test::crlf;
using test::repeat;

class PartFileTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    test::TempFolder tmp;
    test::FakeMidiOut midi;
};

// A plain quarter note at row 28 from column 0, lanes as the editor leaves them.
TEST_F(PartFileTest, QuarterNoteFileIsExact) {
    test::putNote(song, 28, 0, 8);
    const std::string header = crlf({"8", "0", "40", "0"});
    const std::string soundingCol = crlf({"1", "0", "64", "0", "127", "64", "0"});
    const std::string lanes = crlf({"1", "100", "64", "0", "127", "64", "0"}) +
                              repeat(soundingCol, 7) +
                              crlf({"0", "0", "0", "0", "0", "64", "0"}); // column 8 untouched
    const std::string grid =
        crlf({"-1", "28", "63"}) + repeat(crlf({"-1", "56", "64"}), 7) + crlf({"-1", "56", "128"});
    EXPECT_EQ(formatPartFile(song.part), header + lanes + grid);
}

TEST_F(PartFileTest, NotesOnlyInTheLastColumnStartWithALongRun) {
    song.part.Grid(56, 100) = cell::End;
    song.part.PartLen = 100;
    const std::string text = formatPartFile(song.part);
    const std::string tail = crlf({"-1", std::to_string(57 * 100 + 56), "128"});
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    // 4 header lines, 7 * 101 lane lines, 3 grid lines.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + 7 * 101 + 3);
}

TEST_F(PartFileTest, RunEndingAtRow56ContinuesInTheNextColumn) {
    const std::string text =
        crlf({"1", "0", "40", "0"}) + repeat(crlf({"0"}), 14) + crlf({"-1", "57", "128"});
    const auto values = parsePartNumbers(text);
    ASSERT_EQ(checkPartNumbers(values), "");
    applyPartNumbers(values, song.part);
    EXPECT_EQ(song.part.Grid(0, 1), 128);
    EXPECT_EQ(song.part.Grid(56, 0), 0);
}

TEST_F(PartFileTest, FileEndingAfterTheLanesLeavesAnEmptyGrid) {
    song.part.Grid(5, 5) = 63;
    const std::string text = crlf({"2", "5", "40", "0"}) + repeat(crlf({"1"}), 21);
    const auto values = parsePartNumbers(text);
    ASSERT_EQ(checkPartNumbers(values), "");
    applyPartNumbers(values, song.part);
    EXPECT_EQ(song.part.Grid(5, 5), 0);
    EXPECT_EQ(song.part.PartProgram, 5);
}

TEST_F(PartFileTest, ReaderIgnoresBlanksAndAcceptsLf) {
    const auto values = parsePartNumbers("  8 \n0\r\n\t40\n0\n");
    EXPECT_EQ(values, (std::vector<int64_t>{8, 0, 40, 0}));
    EXPECT_THROW(parsePartNumbers("8\nabc\n"), FormatError);
    EXPECT_THROW(parsePartNumbers("8\n\n"), FormatError);
}

// Damaged work files: each must be refused with a reason.
TEST_F(PartFileTest, DamagedFilesAreRefused) {
    const std::string lanes1 = repeat(crlf({"0"}), 14); // PartLen 1: two columns
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {crlf({"1", "0", "40"}), "ends in the header"},
        {crlf({"0", "0", "40", "0"}), "PartLen 0 never has a file"},
        {crlf({"9601", "0", "40", "0"}), "PartLen beyond the song"},
        {crlf({"1", "128", "40", "0"}), "program above 127"},
        {crlf({"1", "0", "40", "0"}) + repeat(crlf({"0"}), 13), "ends in the lanes"},
        {crlf({"1", "0", "40", "0"}) + repeat(crlf({"256"}), 14), "lane above 255"},
        {crlf({"1", "0", "40", "0"}) + lanes1 + crlf({"32768"}), "cell above 0x7FFF"},
        {crlf({"1", "0", "40", "0"}) + lanes1 + crlf({"-5"}), "negative cell"},
        {crlf({"1", "0", "40", "0"}) + lanes1 + crlf({"-1", "0", "63"}), "empty run"},
        {crlf({"1", "0", "40", "0"}) + lanes1 + crlf({"-1", "114", "63"}), "run past PartLen"},
        {crlf({"1", "0", "40", "0"}) + lanes1 + crlf({"-1", "3"}), "trailing run"},
        {crlf({"1", "0", "40", "0"}) + lanes1 + repeat(crlf({"1"}), 115), "cells past end"},
    };
    for (const auto& c : cases)
        EXPECT_NE(checkPartNumbers(parsePartNumbers(c.text)), "") << c.why;
}

TEST_F(PartFileTest, SaveWritesNothingForAnEmptyPart) {
    writeWholeFile(tmp.folder().workFile(0), "old");
    SavePartFile(song, tmp.folder());
    EXPECT_EQ(test::slurp(tmp.folder().workFile(0)), "old");
}

TEST_F(PartFileTest, RandomPartsRoundTrip) {
    std::mt19937 rng(7);
    for (int round = 0; round < 5; ++round) {
        Song a = test::freshSong();
        a.CurPart = static_cast<uint8_t>(round);
        for (int i = 0; i < 200; ++i) {
            const int len = 1 + static_cast<int>(rng() % 16);
            const int head = static_cast<int>(rng() % (9600 - len));
            const int row = static_cast<int>(rng() % 57);
            if (a.part.Grid(row, head) & cell::Head)
                continue;
            test::putNote(a, row, head, len, (rng() % 3) * 0x100, rng() % 4 == 0);
        }
        a.part.PartProgram = static_cast<int32_t>(rng() % 128);
        a.part.HolLane[3] = 99;
        SavePartFile(a, tmp.folder());
        Song b = test::freshSong();
        b.part.clearForSwitch();
        b.part.PanLane.fill(0);
        b.part.PitLane.fill(0);
        LoadPartFile(b, tmp.folder(), midi, round);
        EXPECT_EQ(b.part.Grid, a.part.Grid);
        EXPECT_EQ(b.part.PartLen, a.part.PartLen);
        EXPECT_EQ(b.part.PartProgram, a.part.PartProgram);
        for (int x = 0; x <= a.part.PartLen; ++x) {
            ASSERT_EQ(b.part.VelLane[x], a.part.VelLane[x]);
            ASSERT_EQ(b.part.PanLane[x], a.part.PanLane[x]);
            ASSERT_EQ(b.part.HolLane[x], a.part.HolLane[x]);
            ASSERT_EQ(b.part.ExpLane[x], a.part.ExpLane[x]);
        }
        EXPECT_TRUE(midi.sent.empty());
    }
}

class PartSwitchTest : public PartFileTest {};

TEST_F(PartSwitchTest, EmptyTargetGetsItsDefaultSound) {
    switchPart(song, tmp.folder(), midi, 5, 60);
    const std::vector<uint32_t> expected = {
        shortMessage(0x80, 60, 0),  // preview note-off on part 0's channel
        shortMessage(0xC5, 0),      // no work file: program 0
        shortMessage(0xB5, 91, 40), // reverb of the reset header
        shortMessage(0xB5, 93, 0),  // chorus 0
        shortMessage(0xC5, 0),      // header sent again by the drop-downs
        shortMessage(0xB5, 91, 40), shortMessage(0xB5, 93, 0),
    };
    EXPECT_EQ(midi.sent, expected);
    EXPECT_EQ(song.CurPart, 5);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.folder().workFile(0)));
}

TEST_F(PartSwitchTest, SwitchingAwayAndBackRestoresThePart) {
    song.DrumPart[0] = 1;
    test::putNote(song, 10, 4, 4);
    song.part.PartProgram = 33;
    song.part.PartChorus = 7;
    const NoteGrid before = song.part.Grid;
    switchPart(song, tmp.folder(), midi, 1, 42);
    EXPECT_EQ(midi.sent.front(), shortMessage(0x89, 42, 0)); // rhythm preview channel
    EXPECT_TRUE(std::filesystem::exists(tmp.folder().workFile(0)));
    EXPECT_EQ(song.part.Grid(10, 4), 0);
    midi.sent.clear();
    switchPart(song, tmp.folder(), midi, 0, 42);
    EXPECT_EQ(song.part.Grid, before);
    EXPECT_EQ(song.part.PartProgram, 33);
    const std::vector<uint32_t> expected = {shortMessage(0x81, 42, 0), shortMessage(0xC0, 33),
                                            shortMessage(0xB0, 91, 40), shortMessage(0xB0, 93, 7)};
    EXPECT_EQ(midi.sent, expected);
}

TEST_F(PartSwitchTest, DamagedTargetLeavesTheCurrentPartInPlace) {
    test::putNote(song, 10, 4, 4);
    writeWholeFile(tmp.folder().workFile(3), "8\r\n0\r\n");
    EXPECT_THROW(switchPart(song, tmp.folder(), midi, 3, 0), FormatError);
    EXPECT_EQ(song.CurPart, 0);
    EXPECT_EQ(song.part.Grid(10, 4) & cell::Head, cell::Head);
    EXPECT_EQ(song.part.PartLen, 8);
}

TEST_F(PartSwitchTest, PitchAndPanLanesCarryOverToAnEmptyPart) {
    song.part.PanLane[100] = 3;
    song.part.PitLane[100] = 4;
    song.part.ModLane[100] = 5;
    switchPart(song, tmp.folder(), midi, 2, 0);
    EXPECT_EQ(song.part.PanLane[100], 3);
    EXPECT_EQ(song.part.PitLane[100], 4);
    EXPECT_EQ(song.part.ModLane[100], 0);
}

} // namespace
} // namespace zelk
