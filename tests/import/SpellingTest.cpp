#include "ImportFixture.h"

#include "import/PitchSpelling.h"

namespace zelk {
namespace {

using namespace test;

// A file of one measure of 4/4 in the given key with the given notes (key, from, to ticks).
Bytes inKey(int sharps, const std::vector<std::tuple<int, uint32_t, uint32_t>>& notes) {
    std::vector<At> conductor{{0, {0xFF, 0x59, 0x02, static_cast<uint8_t>(sharps), 0x00}}};
    std::vector<At> part;
    for (const auto& [key, on, off] : notes) {
        part.push_back({on, noteOn(0, key, 90)});
        part.push_back({off, noteOff(0, key)});
    }
    return smf(480, {conductor, part});
}

constexpr int kF4 = 25, kE4 = 26, kG4 = 24, kA4 = 23, kB4 = 22, kC4 = 28, kD4 = 27;

TEST_F(ImportTest, KeysSpellNotesOnTheirRows) {
    const struct {
        const char* what;
        int sharps, key, row;
        int32_t accidental;
    } cases[] = {
        {"C major: F# by the line of fifths", 0, 66, kF4, cell::Sharp},
        {"C major: Bb by the line of fifths", 0, 70, kB4, cell::Flat},
        {"G major: F# is the key's", 1, 66, kF4, 0},
        {"G major: F natural lowers the key's F#", 1, 65, kF4, cell::Flat},
        {"D major: G# as a sharp", 2, 68, kG4, cell::Sharp},
        {"D major: C natural", 2, 60, kC4, cell::Flat},
        {"F major: Bb is the key's", -1, 70, kB4, 0},
        {"F major: Eb as a flat", -1, 63, kE4, cell::Flat},
        {"F major: B natural raises the key's Bb", -1, 71, kB4, cell::Sharp},
        {"Bb major: Ab as a flat", -2, 68, kA4, cell::Flat},
        {"C# major: F is the key's E#", 7, 65, kE4, 0},
        {"Cb major: E is the key's Fb", -7, 64, kF4, 0},
    };
    for (const auto& c : cases) {
        import(inKey(c.sharps, {{ c.key, 0, 480 }}));
        EXPECT_EQ(notesOf(0), (std::vector<GridNoteAt>{{c.row, 0, 8, c.accidental, false}}))
            << c.what;
        EXPECT_EQ(song.KeyMask[0], MeasureKey::ofSharps(c.sharps).keyCode()) << c.what;
        EXPECT_TRUE(result.report.empty()) << c.what;
    }
}

TEST_F(ImportTest, BlackKeysInCMajorTakeTheNameNearestTheirPassageOnTheLineOfFifths) {
    // Measure 1 lies around F major (F C D G), measure 2 around E major (E B A D): the same
    // black keys take flats in the first and sharps in the second.
    std::vector<std::tuple<int, uint32_t, uint32_t>> notes;
    const int first[] = {65, 60, 62, 67, 68, 61}, second[] = {64, 71, 69, 62, 68, 63};
    for (int i = 0; i < 6; ++i) {
        notes.push_back({first[i], 320u * i, 320u * i + 240});
        notes.push_back({second[i], 1920 + 320u * i, 1920 + 320u * i + 240});
    }
    import(inKey(0, notes));
    const auto got = notesOf(0);
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(std::make_pair(got[4].row, got[4].accidental), std::make_pair(kA4, cell::Flat));
    EXPECT_EQ(std::make_pair(got[5].row, got[5].accidental), std::make_pair(kD4, cell::Flat));
    EXPECT_EQ(std::make_pair(got[10].row, got[10].accidental), std::make_pair(kG4, cell::Sharp));
    EXPECT_EQ(std::make_pair(got[11].row, got[11].accidental), std::make_pair(kD4, cell::Sharp));
}

TEST_F(ImportTest, ChordsAndOverlapsFindRowsOrGiveWay) {
    const struct {
        const char* what;
        std::vector<std::tuple<int, uint32_t, uint32_t>> notes;
        std::vector<GridNoteAt> grid;
        int shortened, noRow;
        int sharps = 0;
    } cases[] = {
        {"F and F# together: F#, whose row F takes, is respelled Gb",
         {{65, 0, 480}, {66, 0, 480}},
         {{kG4, 0, 8, cell::Flat, false}, {kF4, 0, 8, 0, false}},
         0,
         0},
        {"F, F# and G together: F# has no row left",
         {{65, 0, 480}, {66, 0, 480}, {67, 0, 480}},
         {{kG4, 0, 8, 0, false}, {kF4, 0, 8, 0, false}},
         0,
         1},
        {"G major, F held into F#: F ends where F# begins, F# keeps the F row",
         {{65, 0, 540}, {66, 480, 960}},
         {{kF4, 0, 8, cell::Flat, false}, {kF4, 8, 16, 0, false}},
         1,
         0,
         1},
        {"C repeated over itself: the first ends at the second",
         {{60, 0, 600}, {60, 480, 960}},
         {{kC4, 0, 8, 0, false}, {kC4, 8, 16, 0, false}},
         1,
         0},
        {"C held under C#: C# is respelled Db",
         {{60, 0, 1920}, {61, 480, 960}},
         {{kC4, 0, 32, 0, false}, {kD4, 8, 16, cell::Flat, false}},
         0,
         0},
        {"the same note twice: one", {{64, 0, 480}, {64, 0, 480}}, {{kE4, 0, 8, 0, false}}, 1, 0},
    };
    for (const auto& c : cases) {
        import(inKey(c.sharps, c.notes));
        EXPECT_EQ(notesOf(0), c.grid) << c.what;
        EXPECT_EQ(count(ImportChange::OverlapShortened), c.shortened) << c.what;
        EXPECT_EQ(count(ImportChange::NoFreeRow), c.noRow) << c.what;
    }
}

TEST_F(ImportTest, ANoteAcrossAKeyChangeIsSplitThereOthersCrossBarLinesWhole) {
    // D major from measure 2: the G across that bar line is split, the A across the next
    // stays whole, and F# is the key's own in measure 2.
    import(smf(480, {{{0, { 0xFF,
                            0x59,
                            0x02,
                            0x00,
                            0x00 }},
                      { 1920,
                        { 0xFF,
                          0x59,
                          0x02,
                          0x02,
                          0x00 } }},
                     { {1440, noteOn(0, 67, 90)},
                       {2400, noteOff(0, 67)},
                       {3360, noteOn(0, 69, 90)},
                       {4320, noteOff(0, 69)},
                       {4320, noteOn(0, 66, 90)},
                       { 4800,
                         noteOff(0, 66) } }}));
    const std::vector<GridNoteAt> want = {{kG4, 24, 32, 0, false},
                                          {kG4, 32, 40, 0, false},
                                          {kA4, 56, 72, 0, false},
                                          {kF4, 72, 80, 0, false}};
    EXPECT_EQ(notesOf(0), want);
    EXPECT_EQ(count(ImportChange::NoteSplitAtKey), 1);
    EXPECT_EQ(song.KeyMask[1], MeasureKey::ofSharps(2).keyCode());
}

TEST_F(ImportTest, ChannelTenIsTheRhythmPartOnItsKeysRows) {
    import(smf(480,
               {{ {0, noteOn(9, 38, 100)},
                  {60, noteOff(9, 38)},
                  {480, noteOn(9, 36, 100)},
                  {540, noteOff(9, 36)},
                  {960, noteOn(9, 90, 100)}, // no row reaches it: 84 - row < 84
                  { 1020,
                    noteOff(9, 90) } }}));
    const std::vector<GridNoteAt> want = {{46, 0, 1, 0, false}, {48, 8, 9, 0, false}};
    EXPECT_EQ(notesOf(9), want);
    EXPECT_EQ(song.DrumPart[9], 1);
    EXPECT_EQ(count(ImportChange::OutsideRows), 1);
}

} // namespace
} // namespace zelk
