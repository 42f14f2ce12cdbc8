#include "render/ScheduleRun.h"

#include "support/FakeSynthRenderer.h"

#include <gtest/gtest.h>

#include <vector>

namespace zelk {
namespace {

using test::FakeSynthRenderer;

uint32_t on(int key) {
    return shortMessage(0x90, key, 100);
}
uint32_t off(int key) {
    return shortMessage(0x90, key, 0);
}
constexpr uint32_t kProgram = 0xC0 | (5 << 8);
constexpr uint32_t kPan = 0xB0 | (10 << 8) | (20 << 16);

// Ticks are frames / 10 here; the loop runs from frame 200 to 400 when asked.
std::shared_ptr<Schedule> scheduleOf(std::vector<ScheduledMessage> messages, int64_t end,
                                     bool loop = false) {
    auto s = std::make_shared<Schedule>();
    s->sampleRate = 1000;
    s->messages = std::move(messages);
    s->endFrame = end;
    s->endTick = static_cast<uint32_t>(end / 10);
    if (loop) {
        ScheduleLoop l{200, 400, 20, 40, s->indexAtFrame(200), s->indexAtFrame(401)};
        s->loop = l;
    }
    return s;
}

ScheduledMessage at(int64_t frame, uint32_t m) {
    return {frame, static_cast<uint32_t>(frame / 10), m};
}

// Renders `frames` in blocks of `block` and returns what the synthesizer received.
std::vector<FakeSynthRenderer::Received> play(ScheduleRun& run, int64_t frames, int block = 64) {
    FakeSynthRenderer synth(1000);
    std::vector<float> l(static_cast<size_t>(block)), r(static_cast<size_t>(block));
    for (int64_t done = 0; done < frames; done += block)
        run.advanceOnAudioThread(synth, l, r);
    return synth.received;
}

std::vector<int64_t> framesOf(const std::vector<FakeSynthRenderer::Received>& got,
                              uint32_t message) {
    std::vector<int64_t> out;
    for (const auto& g : got)
        if (g.message == message)
            out.push_back(g.frame);
    return out;
}

TEST(ScheduleRunTest, EveryMessageArrivesOnItsOwnFrameWhateverTheBlock) {
    const auto s =
        scheduleOf({at(10, on(60)), at(100, off(60)), at(130, on(62)), at(191, off(62))}, 200);
    for (int block : {1, 7, 64, 512}) {
        ScheduleRun run(s, {});
        const auto got = play(run, 256, block);
        ASSERT_EQ(got.size(), 4u + 16u) << block;
        EXPECT_EQ(got[0].frame, 10) << block;
        EXPECT_EQ(got[1].frame, 100) << block;
        EXPECT_EQ(got[2].frame, 130) << block;
        EXPECT_EQ(got[3].frame, 191) << block;
        EXPECT_TRUE(run.finished()) << "played through its end at 200";
        // There every pedal goes up, so notes played live afterwards do not hang.
        EXPECT_EQ(got[4].frame, 200) << block;
        EXPECT_EQ(got[4].message, 0xB0u | (64u << 8)) << block;
    }
}

// The note-off on the loop's end tick closes a pass before the next pass begins at the same
// frame; each pass is shifted by the loop's length, and the position wraps with it.
TEST(ScheduleRunTest, ALoopWrapsWithoutResetAndThePositionFollows) {
    const auto s =
        scheduleOf({at(0, kProgram), at(50, on(60)), at(250, on(64)), at(400, off(64))}, 400, true);
    ScheduleRun run(s, {.startFrame = 0, .loop = true});
    const auto got = play(run, 1000);
    EXPECT_EQ(framesOf(got, on(64)), (std::vector<int64_t>{250, 450, 650, 850}));
    EXPECT_EQ(framesOf(got, off(64)), (std::vector<int64_t>{400, 600, 800, 1000}));
    EXPECT_EQ(framesOf(got, on(60)), std::vector<int64_t>{50}) << "the intro plays once";
    EXPECT_EQ(framesOf(got, kProgram), std::vector<int64_t>{0}) << "no reset at a wrap";
    EXPECT_FALSE(run.finished()) << "a loop plays until stopped";
    // 1024 frames played: 400 + 3 x 200 = 1000, then 24 into the fourth pass.
    const ScheduleRun::Position p = run.position();
    EXPECT_EQ(p.wraps, 4);
    EXPECT_EQ(p.frame, 224);
}

TEST(ScheduleRunTest, StartingLaterSendsTheSoundOfThatPlaceFirstButNoNotes) {
    const auto s = scheduleOf(
        {at(0, kProgram), at(20, on(60)), at(80, kPan), at(120, off(60)), at(150, on(62))}, 300);
    ScheduleRun run(s, {.startFrame = 100});
    const auto got = play(run, 128);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].message, kProgram);
    EXPECT_EQ(got[1].message, kPan);
    EXPECT_EQ(got[0].frame, 0);
    EXPECT_EQ(got[2].message, off(60)) << "a note-off of a note not played is harmless";
    EXPECT_EQ(got[2].frame, 20);
    EXPECT_EQ(got[3].frame, 50);
    EXPECT_EQ(run.position().frame, 228);
}

TEST(ScheduleRunTest, AStopSilencesEveryChannelAtTheNextBlock) {
    const auto s = scheduleOf({at(10, on(60)), at(500, off(60))}, 600, true);
    ScheduleRun run(s, {.loop = true});
    FakeSynthRenderer synth(1000);
    std::vector<float> l(64), r(64);
    run.advanceOnAudioThread(synth, l, r);
    run.requestStop();
    EXPECT_FALSE(run.finished()) << "the rendering thread has not seen it yet";
    run.advanceOnAudioThread(synth, l, r);
    EXPECT_TRUE(run.finished());
    int silencing = 0;
    for (const auto& g : synth.received)
        silencing += g.frame == 64 && (g.message & 0xF0) == 0xB0;
    EXPECT_EQ(silencing, 16 * 4);
    run.advanceOnAudioThread(synth, l, r);
    EXPECT_EQ(synth.received.size(), 1u + 64u) << "nothing after the stop";
}

// The seam audition: from before the loop end, across the wrap, to a stop after it.
TEST(ScheduleRunTest, AStopFrameEndsTheRunOnTheUnrolledTime) {
    const auto s = scheduleOf({at(250, on(64)), at(390, off(64))}, 400, true);
    ScheduleRun run(s, {.startFrame = 300, .loop = true, .stopFrame = 400 + 100});
    const auto got = play(run, 512);
    EXPECT_EQ(framesOf(got, off(64)), std::vector<int64_t>{90});
    EXPECT_EQ(framesOf(got, on(64)), std::vector<int64_t>{150}) << "250 on the second pass";
    EXPECT_TRUE(run.finished());
    EXPECT_EQ(got.back().frame, 200) << "silenced at the stop frame";
}

} // namespace
} // namespace zelk
