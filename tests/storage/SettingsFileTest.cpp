#include "StorageTestSupport.h"

#include "files/TextLines.h"
#include "storage/SettingsFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using test::crlf;

// The 77 lines of a settings file written from the defaults with two recent files.
std::string defaultFileWithTwoRecent() {
    return crlf({"/home/user/曲.zelk", "/tmp/b.zelk", "", "", ""}) +
           crlf({"47", "45", "24", "43", "23", "35", "22", "40", "25", "27", "28", "29", "38", "44",
                 "26", "39", "2", "5"}) +
           crlf({"200", "200", "200", "255", "255", "255", "200", "200", "200",   // 0..2
                 "255", "150", "150", "0",   "0",   "0",   "100", "180", "100",   // 3..5
                 "255", "200", "200", "255", "0",   "0",   "0",   "0",   "0",     // 6..8
                 "0",   "0",   "255", "200", "200", "255", "255", "200", "200",   // 9..11
                 "255", "0",   "0",   "0",   "0",   "0",   "0",   "0",   "255",   // 12..14
                 "200", "200", "255", "150", "150", "150", "100", "150", "100"}); // 15..17
}

class SettingsFileTest : public ::testing::Test {
protected:
    test::TempFolder tmp;
};

TEST_F(SettingsFileTest, FileHasSeventySevenLinesInTheirOrder) {
    Settings s;
    s.recent[0] = "/home/user/曲.zelk";
    s.recent[1] = "/tmp/b.zelk";
    EXPECT_EQ(formatSettings(s), defaultFileWithTwoRecent());
}

TEST_F(SettingsFileTest, WriteAndReadGiveTheSameSettings) {
    Settings s;
    s.recent = {"a", "", "c", "", "/x/y z.zelk"};
    s.KeyAssign[16] = 67; // F5 for play/stop
    s.ColorTable[17] = {1, 2, 3};
    writeSettingsFile(tmp.folder(), s);
    EXPECT_EQ(readSettingsFile(tmp.folder()), s);
}

TEST_F(SettingsFileTest, MissingFileGivesTheDefaults) {
    const Settings s = readSettingsFile(tmp.folder());
    EXPECT_EQ(s, Settings{});
    EXPECT_EQ(s.KeyAssign, kDefaultKeyAssign);
    EXPECT_EQ(s.ColorTable[3], (Rgb{255, 150, 150}));
    for (const auto& r : s.recent)
        EXPECT_EQ(r, "");
}

TEST_F(SettingsFileTest, ShortFileKeepsWhatItHasAndDefaultsTheRest) {
    const std::string full = defaultFileWithTwoRecent();
    // Cut after the 7th line: five recent entries and two keys.
    size_t cut = 0;
    for (int i = 0; i < 7; ++i)
        cut = full.find('\n', cut) + 1;
    std::string text = full.substr(0, cut);
    text.replace(text.rfind("45"), 2, "70");
    writeWholeFile(tmp.folder().settings(), text);
    const Settings s = readSettingsFile(tmp.folder());
    EXPECT_EQ(s.recent[0], "/home/user/曲.zelk");
    EXPECT_EQ(s.KeyAssign[0], 47);
    EXPECT_EQ(s.KeyAssign[1], 70);
    EXPECT_EQ(s.KeyAssign[2], 24); // default
    EXPECT_EQ(s.ColorTable, kDefaultColorTable);
}

TEST_F(SettingsFileTest, GarbledLinesFallBackOneByOne) {
    std::string text = crlf({"ok.zelk", std::string("nul\0here", 8), "", "", ""}) +
                       crlf({"76", "-1", "x", "3", " 12 "}) + // 76 is past the key table
                       crlf({"", "", "", "", "", "", "", "", "", "", "", "", ""}) +
                       crlf({"256", "-5", "7"}) + crlf({"1e2", "", "99"});
    const Settings s = parseSettings(text);
    EXPECT_EQ(s.recent[0], "ok.zelk");
    EXPECT_EQ(s.recent[1], ""); // a NUL cannot be a path
    EXPECT_EQ(s.KeyAssign[0], 47);
    EXPECT_EQ(s.KeyAssign[1], 45);
    EXPECT_EQ(s.KeyAssign[2], 24);
    EXPECT_EQ(s.KeyAssign[3], 3);
    EXPECT_EQ(s.KeyAssign[4], 12);
    EXPECT_EQ(s.KeyAssign[5], 35);
    EXPECT_EQ(s.ColorTable[0], (Rgb{200, 200, 7}));
    EXPECT_EQ(s.ColorTable[1], (Rgb{255, 255, 99}));
    EXPECT_EQ(s.ColorTable[2], kDefaultColorTable[2]);
}

TEST_F(SettingsFileTest, LineFeedOnlyFileIsRead) {
    std::string text;
    for (char c : defaultFileWithTwoRecent())
        if (c != '\r')
            text += c;
    Settings expected;
    expected.recent[0] = "/home/user/曲.zelk";
    expected.recent[1] = "/tmp/b.zelk";
    EXPECT_EQ(parseSettings(text), expected);
}

TEST_F(SettingsFileTest, BinaryGarbageGivesTheDefaults) {
    std::string junk;
    for (int i = 0; i < 5000; ++i)
        junk += static_cast<char>((i * 37) % 256);
    writeWholeFile(tmp.folder().settings(), junk);
    const Settings s = readSettingsFile(tmp.folder());
    EXPECT_EQ(s.KeyAssign, kDefaultKeyAssign);
    EXPECT_EQ(s.ColorTable, kDefaultColorTable);
}

TEST_F(SettingsFileTest, PathsThatALineCannotCarryAreNotWritten) {
    Settings s;
    s.recent[0] = "line\nbreak";
    s.recent[1] = "carriage\rreturn";
    s.recent[2] = std::string("nul\0", 4);
    const std::string text = formatSettings(s);
    EXPECT_EQ(text.substr(0, 10), "\r\n\r\n\r\n\r\n\r\n");
}

// Linux paths are bytes: Latin-1 names and names with tabs come back exactly.
TEST_F(SettingsFileTest, RecentPathsThatAreNotUtf8OrHoldTabsSurviveARoundTrip) {
    Settings s;
    s.recent[0] = "/home/u/caf\xe9.zelk";
    s.recent[1] = "/home/u/a\tb.zelk";
    s.recent[2] = "/home/u/\xc3\x28.zelk";
    writeSettingsFile(tmp.folder(), s);
    EXPECT_EQ(readSettingsFile(tmp.folder()), s);
}

// A 10 MB first line used to push every later line out of what was read.
TEST_F(SettingsFileTest, OneOverlongLineFallsBackAloneAndTheRestKeepTheirValues) {
    Settings wanted;
    wanted.recent[1] = "/tmp/b.zelk";
    wanted.KeyAssign[17] = 3;
    wanted.ColorTable[17] = Rgb{1, 2, 3};
    std::string text = formatSettings(wanted);
    text.insert(0, std::string(10'000'000, 'x')); // the first line grows far past the limit
    writeWholeFile(tmp.folder().settings(), text);
    const Settings s = readSettingsFile(tmp.folder());
    EXPECT_EQ(s.recent[0], "");
    EXPECT_EQ(s, wanted);
    writeSettingsFile(tmp.folder(), s);
    EXPECT_EQ(test::slurp(tmp.folder().settings()), formatSettings(wanted));
}

TEST_F(SettingsFileTest, LineAtTheLimitIsKeptAndOneByteMoreIsGarbled) {
    const std::string atLimit(kMaxSettingsLine, 'p');
    Settings s = parseSettings(crlf({atLimit, atLimit + "p", "c"}));
    EXPECT_EQ(s.recent[0], atLimit);
    EXPECT_EQ(s.recent[1], "");
    EXPECT_EQ(s.recent[2], "c");
}

} // namespace
} // namespace zelk
