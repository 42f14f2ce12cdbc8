#include "import/MeasurePlan.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

// The measure lengths a file's time signatures give, up to the music's end.
struct Meter {
    uint32_t tick; // at 480 ticks per quarter
    int nn, dd;    // numerator, power of the denominator
};

std::vector<int> firstLengths(const std::vector<Meter>& meters, uint32_t musicEnd, size_t n,
                              ImportReport& report) {
    SongEvents s;
    s.division = 480;
    for (const Meter& m : meters)
        s.meters.push_back({m.tick, m.nn, m.dd});
    const MeasurePlan plan(s, musicEnd, report);
    const auto& l = plan.lengths();
    return std::vector<int>(l.begin(),
                            l.begin() + static_cast<std::ptrdiff_t>(std::min(n, l.size())));
}

TEST(MeasurePlanTest, TimeSignaturesBecomeOfferedMeasureLengths) {
    const struct {
        const char* what;
        std::vector<Meter> meters;
        uint32_t end;
        std::vector<int> lengths;
        int split, padded;
    } cases[] = {
        {"no signature: 4/4", {}, 3840, {32, 32, 32}, 0, 0},
        {"3/8", {{0, 3, 3}}, 1440, {12, 12, 12}, 0, 0},
        {"12/8 is as long as 6/4", {{0, 12, 3}}, 2880, {48, 48}, 0, 0},
        {"9/8 in dotted quarters: 6/8 + 3/8", {{0, 9, 3}}, 4320, {24, 12, 24, 12}, 2, 0},
        {"7/4 in quarters: 4/4 + 3/4", {{0, 7, 2}}, 1680, {32, 24, 32}, 1, 0},
        {"11/8: 6/8 + 5/8", {{0, 11, 3}}, 1320, {24, 20, 24}, 1, 0},
        {"2/2 is 4/4", {{0, 2, 1}}, 1920, {32, 32}, 0, 0},
        {"a measure of 2/4, then 4/4", {{0, 2, 2}, {960, 4, 2}}, 2880, {16, 32, 32}, 0, 0},
        {"4/4 cut after a beat by 3/4", {{0, 4, 2}, {480, 3, 2}}, 2400, {8, 24, 24}, 0, 0},
        {"one of 5/16 is lengthened to 3/8", {{0, 5, 4}, {600, 4, 2}}, 2520, {12, 32}, 0, 1},
        {"two of 5/16 make one 5/8", {{0, 5, 4}, {1200, 4, 2}}, 3120, {20, 32}, 1, 0},
        {"three of 5/16 are lengthened to 4/4", {{0, 5, 4}, {1800, 4, 2}}, 3720, {32, 32}, 0, 1},
    };
    for (const auto& c : cases) {
        ImportReport report;
        EXPECT_EQ(firstLengths(c.meters, c.end, c.lengths.size(), report), c.lengths) << c.what;
        EXPECT_EQ(report.count(ImportChange::MeterSplit), c.split) << c.what;
        EXPECT_EQ(report.count(ImportChange::MeterPadded), c.padded) << c.what;
    }
}

TEST(MeasurePlanTest, TheLastMeasureRepeatsToTheGridsEndAndLengtheningMovesWhatFollows) {
    SongEvents s;
    s.division = 96;
    s.meters = {{0, 5, 4}, {360, 9, 3}}; // three of 5/16 (30 columns), then 9/8
    ImportReport report;
    const MeasurePlan plan(s, 96 * 20, report);
    EXPECT_EQ(plan.measureStart(2), 32) << "30 columns lengthened to 32";
    EXPECT_EQ(plan.columnOf(360), 32) << "the 9/8 starts after them";
    EXPECT_EQ(plan.columnOf(359), 29);
    EXPECT_EQ(plan.lengths()[1], 24);
    EXPECT_EQ(plan.lengths()[2], 12);
    EXPECT_EQ(plan.songCols(), 32 + 265 * 36 + 24) << "then the 3/8 of the next no longer fits";
    EXPECT_EQ(plan.beatCols(40), 8);
    EXPECT_EQ(plan.beatCols(60), 4) << "3/8: beats of eighths";
}

TEST(MeasurePlanTest, OfferedPiecesAreFewEvenAndInWholeBeats) {
    const struct {
        int cols, beat;
        std::vector<int> pieces;
    } cases[] = {
        {32, 8, {32}},     {36, 12, {24, 12}}, {36, 4, {20, 16}},
        {56, 8, {32, 24}}, {96, 8, {48, 48}},  {100, 4, {40, 32, 28}},
        {44, 4, {24, 20}}, {64, 32, {32, 32}}, {72, 24, {48, 24}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(offeredPieces(c.cols, c.beat), c.pieces) << c.cols << " by " << c.beat;
}

} // namespace
} // namespace zelk
