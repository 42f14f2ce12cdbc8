#include "ImportFixture.h"

namespace zelk {
namespace {

using namespace test;

TEST_F(ImportTest, TheStartSetsThePartHeaderLaterChangesAreIgnoredAndReported) {
    import(smf(480,
               {{ {0, cc(2, 0, 0)},   // bank 0: the default
                  {0, cc(2, 121, 0)}, // reset all controllers
                  {0, cc(2, 7, 127)}, // volume 127: what the export sets up
                  {0, program(2, 33)},
                  {0, cc(2, 91, 70)},
                  {0, cc(2, 93, 20)},
                  {0, noteOn(2, 60, 90)},
                  {480, noteOff(2, 60)},
                  {960, program(2, 33)}, // the same again: no change
                  {960, cc(2, 123, 0)},  // all notes off: a mode message
                  {1000, program(2, 40)},
                  {1920, cc(2, 91, 10)},
                  {2000, cc(2, 7, 90)},
                  {2100,
                   { 0xD2,
                     50 }}, // channel pressure
                  {2400, noteOn(2, 62, 90)},
                  { 2880,
                    noteOff(2, 62) } }}));
    const auto part = partOf(2);
    EXPECT_EQ(part->PartProgram, 33);
    EXPECT_EQ(part->PartReverb, 70);
    EXPECT_EQ(part->PartChorus, 20);
    EXPECT_EQ(count(ImportChange::LaterSettings), 2);
    EXPECT_EQ(result.report.places(ImportChange::LaterSettings).front(), (ImportPlace{2, 1}));
    EXPECT_EQ(count(ImportChange::OtherMessages), 2) << "volume 90 and the pressure";
}

TEST_F(ImportTest, ControllersFillTheirLanesFromTheColumnTheyFallIn) {
    import(smf(480,
               {{ {0, noteOn(0, 60, 90)},
                  {0, cc(0, 10, 30)},
                  {250, cc(0, 1, 50)}, // column 4 (240..299)
                  {480,
                   { 0xE0,
                     0,
                     80 }},              // pitch bend: its high byte
                  {600, cc(0, 64, 127)}, // column 10
                  {660, cc(0, 11, 90)},  // column 11
                  {900, cc(0, 64, 0)},   // column 15
                  { 960,
                    noteOff(0, 60) } }}));
    const auto part = partOf(0);
    const struct {
        const char* lane;
        const ByteLane& values;
        std::vector<std::pair<int, int>> columnAndValue;
    } cases[] = {
        {"Pan", part->PanLane, {{0, 30}, {16, 30}}},
        {"Mod", part->ModLane, {{3, 0}, {4, 50}, {16, 50}}},
        {"Pit", part->PitLane, {{7, 64}, {8, 80}}},
        {"Hol", part->HolLane, {{9, 0}, {10, 127}, {14, 127}, {15, 0}}},
        {"Exp", part->ExpLane, {{10, 127}, {11, 90}}},
    };
    for (const auto& c : cases)
        for (const auto& [col, value] : c.columnAndValue)
            EXPECT_EQ(c.values[col], value) << c.lane << " column " << col;
    EXPECT_TRUE(result.report.empty());
}

TEST_F(ImportTest, AChordOfSeveralVelocitiesTakesTheLoudest) {
    import(smf(480,
               {{ {0, noteOn(0, 60, 60)},
                  {0, noteOn(0, 64, 100)},
                  {480, noteOff(0, 60)},
                  {480, noteOff(0, 64)},
                  {480, noteOn(0, 62, 70)},
                  { 960,
                    noteOff(0, 62) } }}));
    const auto part = partOf(0);
    EXPECT_EQ(part->VelLane[0], 100);
    EXPECT_EQ(part->VelLane[8], 70);
    EXPECT_EQ(count(ImportChange::ChordVelocity), 1);
}

} // namespace
} // namespace zelk
