#include "editor/transport/RecordingFormat.h"
#include "editor/transport/RecordingTarget.h"
#include "editor/transport/TagRecordBuilder.h"
#include "platform/IconvShiftJis.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zelk {
namespace {

TEST(RecordingFormatTest, QualityAndChannelsGiveTheRecorderNumbers) {
    EXPECT_EQ(waveSetCommand(waveFormatFor(0, 2)),
              "set recWav time format ms channels 2 samplespersec 44100 bytespersec 176400 "
              "alignment 4 bitspersample 16");
    EXPECT_EQ(waveSetCommand(waveFormatFor(2, 1)),
              "set recWav time format ms channels 1 samplespersec 14700 bytespersec 29400 "
              "alignment 2 bitspersample 16");
    const WaveFormat fm = waveFormatFor(1, 2);
    EXPECT_EQ(fm.samplesPerSec, 22050);
    EXPECT_EQ(fm.bytesPerSec, 88200);
    EXPECT_EQ(fm.alignment, 4);
    EXPECT_EQ(waveFormatFor(1, 1).bytesPerSec, 44100);
}

class TagRecordTest : public ::testing::Test {
protected:
    IconvShiftJis sjis;
    std::string field(const TagRecord& r, std::size_t i) {
        return std::string(reinterpret_cast<const char*>(&r[kTagFields[i].offset]),
                           kTagFields[i].size);
    }
    static std::string filled(const std::string& text, std::size_t size) {
        std::string f(size, ' ');
        f.replace(0, text.size(), text);
        f[text.size()] = '\0';
        f[text.size() + 1] = '\0';
        return f;
    }
};

TEST_F(TagRecordTest, FieldsSitAtTheirOffsetsInShiftJis) {
    const TagRecord r = buildTagRecord({"ｻｳﾝﾄﾞ曲", "作者", "©なし", "説明"}, sjis);
    EXPECT_TRUE(std::all_of(r.begin(), r.begin() + 20, [](unsigned char c) { return c == 0; }));
    EXPECT_EQ(field(r, 0), filled("\xBB\xB3\xDD\xC4\xDE\x8B\xC8", 128));
    EXPECT_EQ(field(r, 1), filled("\x8D\xEC\x8E\xD2", 128));
    EXPECT_EQ(field(r, 3), filled("\x90\xE0\x96\xBE", 256));
    EXPECT_EQ(field(r, 4), filled("", 128));
    EXPECT_EQ(kTagFields[4].offset + kTagFields[4].size, kTagRecordSize);
}

TEST_F(TagRecordTest, LeadingBlanksGoTrailingBlanksStay) {
    const TagRecord r = buildTagRecord({"   title  ", "", " ", "a b"}, sjis);
    EXPECT_EQ(field(r, 0), filled("title  ", 128));
    EXPECT_EQ(field(r, 1), filled("", 128));
    EXPECT_EQ(field(r, 2), filled("", 128));
    EXPECT_EQ(field(r, 3), filled("a b", 256));
}

TEST_F(TagRecordTest, LongTextsAreCutAtTheFieldEnd) {
    const TagRecord r =
        buildTagRecord({std::string(127, 'x'), std::string(300, 'y'), "", ""}, sjis);
    EXPECT_EQ(field(r, 0), std::string(127, 'x') + '\0');
    EXPECT_EQ(field(r, 1), std::string(128, 'y'));
    EXPECT_EQ(field(r, 2), filled("", 128)); // the next field is untouched by the cut
}

TEST_F(TagRecordTest, ACutNeverSplitsATwoByteCharacter) {
    std::string kanji;
    for (int i = 0; i < 70; ++i)
        kanji += "曲";
    const TagRecord r = buildTagRecord({"x" + kanji, "", "", ""}, sjis);
    const std::string f = field(r, 0);
    std::string expected = "x";
    expected += sjis.encode(kanji).substr(0, 126);
    EXPECT_EQ(f.substr(0, 127), expected);
    EXPECT_EQ(f[127], '\0');
}

TEST(RecordingTargetTest, TitlesBecomeFileNames) {
    EXPECT_EQ(fileNameFromTitle("春の歌"), "春の歌");
    EXPECT_EQ(fileNameFromTitle("a/b\\c:d*e?f\"g<h>i|j"), "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(fileNameFromTitle("tab\there"), "tab_here");
    EXPECT_EQ(fileNameFromTitle(""), "無題");
    EXPECT_EQ(fileNameFromTitle(".."), "無題");
    EXPECT_EQ(fileNameFromTitle("v1.0"), "v1.0");
}

TEST(RecordingTargetTest, TheProjectFolderComesBeforeTheMusicFolder) {
    Song song = test::freshSong();
    song.SongTitle = "曲/1";
    EXPECT_EQ(defaultRecordingTarget(song, "/home/u/Music", ".wav"),
              std::filesystem::path("/home/u/Music/曲_1.wav"));
    song.FilePath = "/home/u/songs/a.zelk";
    EXPECT_EQ(defaultRecordingTarget(song, "/home/u/Music", ".wma"),
              std::filesystem::path("/home/u/songs/曲_1.wma"));
}

} // namespace
} // namespace zelk
