#include "../import/ImportFixture.h"

#include "midi/MidiFileLoop.h"
#include "render/MidiFilePlan.h"

namespace zelk {
namespace {

using namespace test;

MidiFileEvents eventsOf(const Bytes& file) {
    return readMidiEvents(file);
}

// A format 0 song at 96 ticks per quarter, 4/4: a pan set at the start, a note held across
// the end of the file, the loop marker at the bar line of measure 2, the pan changed again
// before the end (the file ends at tick 1536, measure 5).
Bytes gameLoopFile(bool marker) {
    std::vector<At> t{{0, cc(0, 10, 40)},       {0, noteOn(0, 60, 90)},    {96, noteOff(0, 60)},
                      {1400, cc(0, 10, 90)},    {1440, noteOn(1, 64, 90)}, {1536, {0xFF, 0x06, 0}},
                      {1300, noteOn(0, 67, 80)}};
    if (marker)
        t.push_back({384, cc(0, 111, 0)});
    return smf(96, {t}, 0);
}

TEST(MidiFileLoopTest, TheLoopRunsFromControllerOneElevenToTheFilesEnd) {
    const auto loop = midiFileLoop(eventsOf(gameLoopFile(true)));
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->startTick, 384u);
    EXPECT_EQ(loop->endTick, 1536u);
    EXPECT_FALSE(midiFileLoop(eventsOf(gameLoopFile(false))));
    const auto atEnd =
        eventsOf(smf(96, {{{0, noteOn(0, 60, 9)}, {96, noteOff(0, 60)}, {96, cc(0, 111, 0)}}}));
    EXPECT_FALSE(midiFileLoop(atEnd)) << "a marker on the last tick loops nothing";
    EXPECT_EQ(checkMidiFileLoop(atEnd).findings.size(), 1u);
}

TEST(MidiFileLoopTest, MeasuresFollowTheFilesTimeSignatures) {
    // 4/4, then 3/4 from tick 768 (measure 3), then 6/8 from inside measure 4 (tick 1200).
    const auto file = eventsOf(smf(96, {{{0, timeSig(4, 2)},
                                         {768, timeSig(3, 2)},
                                         {1200, timeSig(6, 3)},
                                         {2000, {0xFF, 0x06, 0}}}}));
    const struct {
        uint32_t tick;
        int measure;
    } cases[] = {{0, 1},    {383, 1},  {384, 2},  {768, 3},  {1055, 3},
                 {1056, 4}, {1199, 4}, {1200, 5}, {1487, 5}, {1488, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(midiFileMeasureOf(file, c.tick), c.measure) << c.tick;
}

TEST(MidiFileLoopTest, TheLoopRulesRunOverAnyFileByChannel) {
    const LoopReport report = checkMidiFileLoop(eventsOf(gameLoopFile(true)));
    EXPECT_EQ(report.loop, "loop: tick 384 (measure 2) to the end of the file, tick 1536");
    const LoopFindings want = {
        "track 0: key 67 begun in measure 4 and is cut off at the loop end",
        "track 0: key 64 begun in measure 4 and is cut off at the loop end",
        "channel 1: pan 40 at the loop start, 90 at the end",
    };
    EXPECT_EQ(report.findings, want);
}

TEST(MidiFilePlanTest, AnyFileIsPlannedFromItsOwnEventsAndChannels) {
    const MidiFileEvents file = eventsOf(gameLoopFile(true));
    RenderOptions options;
    options.sampleRate = 48000;
    const RenderPlan all = planMidiFileRender(file, "song", "(c)", options);
    ASSERT_TRUE(all.loop);
    EXPECT_EQ(all.loop->start, 4 * 24000) << "four quarters at 120";
    EXPECT_EQ(all.loop->end, 16 * 24000);
    EXPECT_EQ(all.title, "song");
    options.parts.fill(false);
    options.parts[1] = true; // channel 2 only
    const RenderPlan second = planMidiFileRender(file, "", "", options);
    const auto& messages = second.schedule->messages;
    EXPECT_TRUE(std::all_of(messages.begin(), messages.end(),
                            [](const ScheduledMessage& m) { return (m.message & 0x0F) == 1; }));
    EXPECT_EQ(second.loop->start, all.loop->start) << "the loop is the whole file's";
    options.parts.fill(false);
    options.parts[5] = true;
    EXPECT_THROW(planMidiFileRender(file, "", "", options), NothingToRender);
    options.parts.fill(true);
    const RenderPlan led = planMidiFileRender(file, "", "", options, 96);
    EXPECT_EQ(led.loop->start, 3 * 24000) << "a set-up quarter left out of the time";
    EXPECT_EQ(led.lastNoteOffFrame, all.lastNoteOffFrame - 24000);
    options.loop = false;
    EXPECT_FALSE(planMidiFileRender(file, "", "", options).loop);
}

} // namespace
} // namespace zelk
