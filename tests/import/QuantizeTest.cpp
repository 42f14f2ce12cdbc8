#include "ImportFixture.h"

namespace zelk {
namespace {

using namespace test;

// One measure of 4/4 at 480 ticks per quarter, scaled to `division`, each start and end
// off by its jitter: four sixteenths (C D E F), an eighth-note triplet (G A B), a quarter.
Bytes sixteenthsThenTriplets(uint16_t division, const std::array<int, 8>& jitter) {
    struct N {
        int key, on, off;
    };
    const N notes[] = {{60, 0, 120},   {62, 120, 240}, {64, 240, 360}, {65, 360, 480},
                       {67, 480, 640}, {69, 640, 800}, {71, 800, 960}, {72, 960, 1440}};
    std::vector<At> t;
    const auto at = [division](int tick) { return static_cast<uint32_t>(tick * division / 480); };
    for (size_t i = 0; i < std::size(notes); ++i) {
        const int j = jitter[i];
        t.push_back({at(std::max(0, notes[i].on + j)), noteOn(0, notes[i].key, 90)});
        t.push_back({at(notes[i].off + j), noteOff(0, notes[i].key)});
    }
    std::stable_sort(t.begin(), t.end(), [](const At& a, const At& b) { return a.tick < b.tick; });
    return smf(division, {{{0, timeSig(4, 2)}}, t});
}

// Rows of C4 D E F G A B C5, the head and end columns, tuplet or not.
const std::vector<GridNoteAt> kOnTheGrid = {
    {28, 0, 2, 0, false}, {27, 2, 4, 0, false},  {26, 4, 6, 0, false},  {25, 6, 8, 0, false},
    {24, 8, 10, 0, true}, {23, 10, 13, 0, true}, {22, 13, 16, 0, true}, {21, 16, 24, 0, false},
};

TEST_F(ImportTest, StraightSixteenthsComeInOnColumnsAndTripletsOnTupletSlots) {
    const struct {
        const char* what;
        uint16_t division;
        std::array<int, 8> jitter;
        int moved;
    } cases[] = {
        {"exact at 480", 480, {}, 0},
        {"exact at 96", 96, {}, 0},
        {"exact at 960", 960, {}, 0},
        {"humanized at 480, up to 10 ticks", 480, {7, -9, 4, -6, 10, -8, 5, -10}, 8},
        {"humanized at 192", 192, {10, -10, 5, 5, -10, 10, -5, 0}, 7},
        {"humanized at 960", 960, {3, 9, -9, 6, -4, 8, 10, -2}, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        import(sixteenthsThenTriplets(c.division, c.jitter));
        EXPECT_EQ(notesOf(0), kOnTheGrid);
        EXPECT_EQ(count(ImportChange::NotesMoved), c.moved);
        EXPECT_EQ(song.MeasureLen.len(1), 32) << "no measure changes its length";
    }
}

TEST_F(ImportTest, EachBeatTakesTheGridThatMovesItsNotesLeast) {
    // Beat 1 eighths, beat 2 a quarter-note triplet across it (slots 0, 2, 4 of six), beat 3
    // a sixteenth pair and an eighth: only beat 2 goes onto slots.
    import(smf(480,
               {{ {0, noteOn(0, 60, 80)},
                  {240, noteOff(0, 60)},
                  {240, noteOn(0, 62, 80)},
                  {480, noteOff(0, 62)},
                  {480, noteOn(0, 64, 80)},
                  {640, noteOff(0, 64)},
                  {640, noteOn(0, 65, 80)},
                  {800, noteOff(0, 65)},
                  {800, noteOn(0, 67, 80)},
                  {960, noteOff(0, 67)},
                  {960, noteOn(0, 69, 80)},
                  {1080, noteOff(0, 69)},
                  {1080, noteOn(0, 71, 80)},
                  {1200, noteOff(0, 71)},
                  {1200, noteOn(0, 72, 80)},
                  { 1440,
                    noteOff(0, 72) } }}));
    const std::vector<GridNoteAt> want = {
        {28, 0, 4, 0, false},   {27, 4, 8, 0, false},   {26, 8, 10, 0, true},
        {25, 10, 13, 0, true},  {24, 13, 16, 0, true},  {23, 16, 18, 0, false},
        {22, 18, 20, 0, false}, {21, 20, 24, 0, false},
    };
    EXPECT_EQ(notesOf(0), want);
    EXPECT_TRUE(result.report.empty());
}

TEST_F(ImportTest, ShortNotesLastOneStepAndNotesPastTheGridAreCutOrDropped) {
    const uint32_t col9598 = 9598 * 60;
    import(smf(480,
               {{ {0, noteOn(0, 60, 80)},
                  {5, noteOff(0, 60)}, // 5 ticks: one column
                  {col9598, noteOn(0, 62, 80)},
                  {col9598 + 600, noteOff(0, 62)}, // runs past column 9600
                  {9601 * 60, noteOn(0, 64, 80)},
                  { 9610 * 60,
                    noteOff(0, 64) } }}));
    const std::vector<GridNoteAt> want = {{28, 0, 1, 0, false}, {27, 9598, 9600, 0, false}};
    EXPECT_EQ(notesOf(0), want);
    EXPECT_EQ(count(ImportChange::BeyondSong), 2);
    EXPECT_EQ(count(ImportChange::NotesMoved), 1);
}

} // namespace
} // namespace zelk
