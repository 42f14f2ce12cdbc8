#include "ImportFixture.h"

#include "import/SongLevel.h"
#include "midi/ConductorTrack.h"

namespace zelk {
namespace {

using namespace test;

TEST(SongLevelTest, TempiBecomeWholeBeatsPerMinuteWithinTheLane) {
    const struct {
        uint32_t micros;
        bool ownExport;
        int bpm;
        bool rounded;
    } cases[] = {
        {500'000, false, 120, false},     // 120 exactly
        {500'001, false, 120, false},     // a rounding of another program, no real change
        {615'385, false, 97, true},       // 97.5 (97.49994): nearest whole
        {600'000, false, 100, false},     // 100
        {100'000, false, 300, true},      // 600 beats per minute: clamped
        {6'113'920, false, 10, true},     // 9.81 beats per minute: nearest whole
        {tempoMicros(1), true, 1, false}, // our export's 1..3, their high bits dropped
        {tempoMicros(3), true, 3, false},
        {tempoMicros(3), false, 19, true}, // the same bytes in any other file
        {tempoMicros(299), true, 299, false},
    };
    for (const auto& c : cases) {
        bool rounded = false;
        EXPECT_EQ(bpmOf(c.micros, c.ownExport, rounded), c.bpm) << c.micros;
        EXPECT_EQ(rounded, c.rounded) << c.micros;
    }
}

TEST(SongLevelTest, TextsReadAsShiftJisUtf8OrLatin1) {
    const IconvShiftJis shiftJis;
    const struct {
        std::string bytes;
        bool ownExport;
        std::string text;
    } cases[] = {
        {"\x83\x5B\x83\x8B\x83\x4E", false, "ゼルク"}, // Shift-JIS kana
        {"\xBD\xC8\xB1", false, "ｽﾈｱ"},                // half-width kana
        {"日本の歌", false, "日本の歌"},               // UTF-8, valid Shift-JIS too
        {"\xC3\xA9", true, "ﾃｩ"},                      // our export: Shift-JIS always
        {"caf\xE9", false, "café"},                    // Latin-1
        {"two\r\nlines\tand a tab", false, "two  lines and a tab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeSongText(c.bytes, shiftJis, c.ownExport), c.text) << c.text;
}

TEST_F(ImportTest, TheConductorGivesTempoLaneKeysTitleAndLoopPoint) {
    const Bytes sjisTitle{0x83, 0x5B, 0x83, 0x8B, 0x83, 0x4E};
    import(smf(480, {{{0, cat({{0xFF, 0x03, 6}, sjisTitle})},
                      {0, metaText(0x02, "(c) someone")},
                      {0, tempoEv(500'000)},
                      {960, tempoEv(400'000)}, // 150 from column 16
                      {2400,
                       { 0xFF,
                         0x59,
                         0x02,
                         0xFD,
                         0x00 }}, // 3 flats inside measure 2
                      { 5760,
                        kLoopMarker }}, // the bar line of measure 4
                     { {0, metaText(0x03, "second track's name")},
                       {0, noteOn(1, 60, 90)},
                       { 7680,
                         noteOff(1, 60) } }}));
    EXPECT_EQ(song.SongTitle, "ゼルク");
    EXPECT_EQ(song.SongCopyright, "(c) someone");
    EXPECT_EQ(song.TemLane[15], 120);
    EXPECT_EQ(song.TemLane[16], 150);
    EXPECT_EQ(song.TemLane[9599], 150) << "to the end of the last measure";
    EXPECT_EQ(song.KeyMask[1], 0) << "measure 2 keeps C major";
    EXPECT_EQ(song.KeyMask[2], MeasureKey::ofSharps(-3).keyCode());
    EXPECT_EQ(count(ImportChange::KeyMoved), 1);
    EXPECT_EQ(song.LoopOn, 1);
    EXPECT_EQ(song.LoopMeasure, 3);
    EXPECT_EQ(count(ImportChange::LoopMoved), 0);
    EXPECT_EQ(song.FilePath, "") << "applied by the caller";
}

TEST_F(ImportTest, ALoopMarkerInsideAMeasureTakesTheNextBarLine) {
    import(smf(480, {{ {0, noteOn(0, 60, 90)}, {2000, cc(0, 111, 0)}, { 7680, noteOff(0, 60) } }}));
    EXPECT_EQ(song.LoopOn, 1);
    EXPECT_EQ(song.LoopMeasure, 2);
    EXPECT_EQ(count(ImportChange::LoopMoved), 1);
}

} // namespace
} // namespace zelk
