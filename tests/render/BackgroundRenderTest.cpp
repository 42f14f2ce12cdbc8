#include "render/BackgroundRender.h"
#include "support/FakeSynthRenderer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace zelk {
namespace {

using test::FakeSynthRenderer;
using test::MemoryWriter;
using State = BackgroundRender::State;

// A plan of one note lasting `seconds` at 1000 frames per second.
RenderPlan notePlan(int64_t seconds) {
    RenderPlan p;
    p.sampleRate = 1000;
    auto schedule = std::make_shared<Schedule>();
    schedule->sampleRate = 1000;
    schedule->messages = {{0, 0, shortMessage(0x90, 60, 100)},
                          {seconds * 1000, 1, shortMessage(0x90, 60, 0)}};
    schedule->endFrame = seconds * 1000;
    p.schedule = schedule;
    p.lastNoteOffTick = 1;
    p.lastNoteOffFrame = seconds * 1000;
    return p;
}

BackgroundRender::SynthFactory fakeSynth() {
    return [](int rate) { return std::make_unique<FakeSynthRenderer>(rate, 0.5f); };
}

// Waits for the render's thread; the limit only keeps a hang from stopping the test run.
State waitForEnd(const BackgroundRender& r) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (r.state() == State::Running && std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return r.state();
}

TEST(BackgroundRenderTest, FinishesAndCommitsTheFile) {
    MemoryWriter writer;
    BackgroundRender r(notePlan(2), AudioFileFormat::Wav, "a.wav", fakeSynth(), writer);
    EXPECT_EQ(waitForEnd(r), State::Finished);
    EXPECT_TRUE(writer.committed);
    EXPECT_DOUBLE_EQ(r.fraction(), 1.0);
    EXPECT_GT(writer.samples.size(), 2u * 2000);
}

TEST(BackgroundRenderTest, CancelLeavesNothingAndDestructionCancels) {
    MemoryWriter writer;
    {
        BackgroundRender r(notePlan(100'000), AudioFileFormat::Wav, "a.wav", fakeSynth(), writer);
        r.cancel();
        EXPECT_EQ(waitForEnd(r), State::Cancelled);
        EXPECT_LT(r.fraction(), 1.0);
    }
    EXPECT_FALSE(writer.committed);
    MemoryWriter other;
    { // a day of audio: the destructor must not wait for it
        BackgroundRender r(notePlan(86'400), AudioFileFormat::Ogg, "b.ogg", fakeSynth(), other);
    }
    EXPECT_FALSE(other.committed);
}

TEST(BackgroundRenderTest, FailureKeepsTheReason) {
    MemoryWriter writer;
    BackgroundRender r(
        notePlan(1), AudioFileFormat::Flac, "a.flac",
        [](int) -> std::unique_ptr<SynthRenderer> { throw std::runtime_error("no SoundFont"); },
        writer);
    EXPECT_EQ(waitForEnd(r), State::Failed);
    EXPECT_EQ(r.error(), "no SoundFont");
    EXPECT_FALSE(writer.committed);
}

} // namespace
} // namespace zelk
