#include "StorageTestSupport.h"

#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "storage/ProjectText.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using test::crlf;
using test::repeat;

// The sections before the parts of test::smallSong(), written out by hand.
std::string smallSongSections() {
    return crlf({"title", "-4"}) +                                               // 2, 3
           crlf({"8", "100", "101", "102", "103", "104", "105", "106", "107"}) + // measure 1
           crlf({"4", "108", "109", "110", "111"}) +                             // measure 2
           crlf({"-5", "Copyright(C) by ?", "-6"}) +                             // 5, 6, 7
           crlf({"0", "0", "0", "0", "0", "0", "0", "0", "0", "1", "0", "0", "0", "0", "0",
                 "0"}) +                          // rhythm flags, part 9 set
           crlf({"8", "8", "0", "-1"}) +          // MeasureLen(1), BeatCols, KeyCode
           crlf({"0", "0", "0", "0", "0", "0"}) + // KeyMask/KeyShift of indexes 0..2
           crlf({"-2", "119"});                   // end of keys, tempo index
}

class ProjectTextTest : public ::testing::Test {
protected:
    Song song = test::smallSong();
    WorkFileTexts noParts;
};

TEST_F(ProjectTextTest, SongWithoutLoopStartsWithTheTitleAndEndsWithSixteenEmptyParts) {
    EXPECT_EQ(formatProjectText(song, noParts), smallSongSections() + repeat("-2\r\n", 16));
}

TEST_F(ProjectTextTest, LoopPointComesFirst) {
    song.LoopOn = 1;
    song.LoopMeasure = 1;
    EXPECT_EQ(formatProjectText(song, noParts),
              crlf({"-3", "1"}) + smallSongSections() + repeat("-2\r\n", 16));
}

TEST_F(ProjectTextTest, LoopMeasureIsWrittenOnlyWhileTheLoopIsOn) {
    song.LoopOn = 0;
    song.LoopMeasure = 5;
    EXPECT_EQ(formatProjectText(song, noParts).substr(0, 7), "title\r\n");
}

TEST_F(ProjectTextTest, KeySignaturesRhythmFlagsAndTempoIndexAreWrittenAsHeld) {
    song.KeyMask = {16, 2 + 128, 0};
    song.KeyShift = {1, -1, 0};
    song.KeyCode = 130;
    song.DrumPart.fill(0);
    song.DrumPart[0] = 1;
    song.TempoIndex = 0;
    song.BeatCols = 4;
    const std::string text = formatProjectText(song, noParts);
    const std::string tail =
        crlf({"-6", "1"}) + repeat("0\r\n", 15) + crlf({"8", "4", "130", "-1"}) +
        crlf({"16", "1", "130", "-1", "0", "0", "-2", "0"}) + repeat("-2\r\n", 16);
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

TEST_F(ProjectTextTest, PartSectionsHoldTheWorkFileLinesInPartOrder) {
    Song one = test::freshSong();
    test::putNote(one, 28, 0, 8);
    const std::string quarter = formatPartFile(one.part);
    WorkFileTexts works;
    works[1] = quarter;
    works[15] = quarter;
    const std::string expected = smallSongSections() + "-2\r\n" + quarter + "-2\r\n" +
                                 repeat("-2\r\n", 13) + quarter + "-2\r\n";
    EXPECT_EQ(formatProjectText(song, works), expected);
}

TEST_F(ProjectTextTest, WorkFileNumbersAreRewrittenInStandardForm) {
    const std::string body = "1\r\n0\r\n40\r\n0\r\n" + repeat("0\r\n", 14);
    WorkFileTexts works;
    works[0] = " 1 \n0\n040\n0\n" + repeat("0\n", 14);
    EXPECT_EQ(formatProjectText(song, works),
              smallSongSections() + body + "-2\r\n" + repeat("-2\r\n", 15));
}

TEST_F(ProjectTextTest, DamagedWorkFileIsNotSaved) {
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {crlf({"1", "0", "40"}), "ends in the header"},
        {crlf({"1", "0", "40", "0", "x"}), "text line"},
        {crlf({"1", "0", "40", "0"}) + repeat("300\r\n", 14), "lane above 255"},
        {"", "empty file"},
    };
    for (const auto& c : cases) {
        WorkFileTexts works;
        works[3] = c.text;
        EXPECT_THROW(formatProjectText(song, works), FormatError) << c.why;
    }
}

// A large song's sections are checked on several threads: they come out as one by one,
// loose ones rewritten, and of two damaged parts the first is the one named.
TEST_F(ProjectTextTest, ALargeSongsSectionsComeOutAsOneByOne) {
    Song one = test::freshSong();
    test::putNote(one, 28, 9000, 8);
    const std::string standard = formatPartFile(one.part);
    std::string loose;
    for (const char c : standard)
        if (c != '\r')
            loose += c;
    WorkFileTexts works;
    std::string expected = smallSongSections();
    for (int p = 0; p < kParts; ++p) {
        works[static_cast<size_t>(p)] = p % 5 == 2 ? loose : standard;
        expected += standard + "-2\r\n";
    }
    ASSERT_GE(expected.size(), size_t{1} << 20);
    EXPECT_EQ(formatProjectText(song, works), expected);
    works[12] = "x\r\n";
    works[5] = crlf({"1", "0", "40"});
    try {
        formatProjectText(song, works);
        ADD_FAILURE() << "a damaged work file was saved";
    } catch (const FormatError& e) {
        EXPECT_NE(std::string(e.what()).find("part 6"), std::string::npos) << e.what();
    }
}

// A title with a line break would shift every following line and make the file
// unreadable; it is written as one line.
TEST_F(ProjectTextTest, LineBreaksInTextsBecomeBlanks) {
    song.SongTitle = "two\r\nlines";
    song.SongCopyright = "a\nb";
    const std::string text = formatProjectText(song, noParts);
    EXPECT_EQ(text.substr(0, 13), "two  lines\r\n-");
    EXPECT_NE(text.find("\r\n-5\r\na b\r\n-6\r\n"), std::string::npos);
}

} // namespace
} // namespace zelk
