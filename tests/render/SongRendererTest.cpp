#include "render/SongRenderer.h"
#include "render/RenderPlan.h"
#include "support/FakeSynthRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

using test::FakeSynthRenderer;
using test::MemorySink;
using test::MemoryWriter;

constexpr int kRate = 1000; // one frame per millisecond keeps the numbers readable

uint32_t on(int key) {
    return shortMessage(0x90, key, 100);
}
uint32_t off(int key) {
    return shortMessage(0x90, key, 0);
}

// Ticks are frames / 10 in these plans.
ScheduledMessage at(int64_t frame, uint32_t m) {
    return {frame, static_cast<uint32_t>(frame / 10), m};
}

RenderPlan planOf(std::vector<ScheduledMessage> messages, int channels = 2) {
    RenderPlan p;
    p.sampleRate = kRate;
    p.channels = channels;
    auto s = std::make_shared<Schedule>();
    s->sampleRate = kRate;
    s->messages = std::move(messages);
    for (const auto& m : s->messages)
        if ((m.message & 0xF0) == 0x90 && ((m.message >> 16) & 0x7F) == 0) {
            p.lastNoteOffTick = m.tick;
            p.lastNoteOffFrame = m.frame;
        }
    s->endFrame = p.lastNoteOffFrame;
    s->endTick = p.lastNoteOffTick;
    p.schedule = std::move(s);
    return p;
}

void loopFrom(RenderPlan& p, int64_t start, int64_t end) {
    LoopFrames l;
    l.start = start;
    l.end = end;
    l.span.startTick = static_cast<uint32_t>(start / 10);
    l.span.endTick = static_cast<uint32_t>(end / 10);
    p.loop = l;
    auto s = std::make_shared<Schedule>(*p.schedule);
    ScheduleLoop sl;
    sl.startFrame = start;
    sl.endFrame = end;
    sl.startTick = l.span.startTick;
    sl.endTick = l.span.endTick;
    sl.first = s->indexAtFrame(start);
    sl.end = s->indexAtFrame(end + 1);
    s->loop = sl;
    p.schedule = std::move(s);
}

std::vector<float> leftOf(const std::vector<float>& stereo) {
    std::vector<float> l;
    for (size_t i = 0; i < stereo.size(); i += 2)
        l.push_back(stereo[i]);
    return l;
}

float largestStep(const std::vector<float>& s) {
    float most = 0;
    for (size_t i = 1; i < s.size(); ++i)
        most = std::max(most, std::fabs(s[i] - s[i - 1]));
    return most;
}

// A short intro note, then a note that is held until the loop end and rings on after it.
RenderPlan ringingLoop() {
    auto p = planOf({at(100, on(60)), at(200, off(60)), at(2500, on(64)), at(4000, off(64))});
    loopFrom(p, 2000, 4000);
    return p;
}

TEST(SongRendererTest, LoopSectionCarriesTheSoundRingingAtTheEnd) {
    const RenderPlan plan = ringingLoop();
    FakeSynthRenderer synth(kRate, 0.99f);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(plan, synth, sink, nullptr));
    const auto left = leftOf(sink.samples);
    ASSERT_EQ(left.size(), 4000u) << "the file ends exactly at the loop end";
    EXPECT_NEAR(left[1999], 0.0f, 1e-6f) << "the intro's note has died away";
    EXPECT_GT(left[2000], 0.09f) << "the loop start carries the end's release, not silence";
    EXPECT_LT(left[2000 + 400], left[2000]) << "and it fades";
    // Wrapping from the last frame to the loop start is no jump.
    EXPECT_LE(std::fabs(left[3999] - left[2000]), largestStep(left));
    EXPECT_LT(std::fabs(left[3999] - left[2000]), 0.01f);
}

TEST(SongRendererTest, IntroIsTheFirstPassAndTheLoopIsPlayedAgainShifted) {
    const RenderPlan plan = ringingLoop();
    FakeSynthRenderer synth(kRate, 0.99f);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(plan, synth, sink, nullptr));
    std::vector<int64_t> frames;
    for (const auto& r : synth.received)
        frames.push_back(r.frame);
    // Pass one up to and with the loop end's note-off, then the loop's note 2000 frames on.
    EXPECT_EQ(frames, (std::vector<int64_t>{100, 200, 2500, 4000, 4500}));

    RenderPlan plain = planOf(plan.schedule->messages);
    FakeSynthRenderer again(kRate, 0.99f);
    MemorySink straight;
    ASSERT_TRUE(renderPlan(plain, again, straight, nullptr));
    EXPECT_TRUE(std::equal(sink.samples.begin(), sink.samples.begin() + 2 * 2000,
                           straight.samples.begin()));
}

TEST(SongRendererTest, WithoutALoopTheReleaseEndsAtTheFirstTenthOfSilence) {
    // A silent second inside the song stays; the release after the last note-off is cut.
    auto plan = planOf({at(0, on(60)), at(100, off(60)), at(2000, on(62)), at(3000, off(62))});
    FakeSynthRenderer synth(kRate, 0.99f);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(plan, synth, sink, nullptr));
    const auto left = leftOf(sink.samples);
    ASSERT_GT(left.size(), 3000u);
    ASSERT_LT(left.size(), 3000u + 1000u);
    EXPECT_GE(std::fabs(left.back()), 0.5f / 32768) << "the last frame is still heard";
    // 0.1 * 0.99^n falls below half a 16-bit step after 1. n frames: the file ends there.
    const auto heard = static_cast<size_t>(std::ceil(std::log(0.5 / 32768 / 0.1) / std::log(0.99)));
    EXPECT_NEAR(static_cast<double>(left.size()), 3000.0 + heard, 2.0);
    EXPECT_NEAR(left[1500], 0.0f, 1e-6f) << "the silence inside the song is kept";
}

// A part rendered alone keeps the whole song's length, even when its own notes end early.
TEST(SongRendererTest, PartsThatEndEarlyStillLastTheSong) {
    auto plan = planOf({at(0, on(60)), at(100, off(60))});
    plan.lastNoteOffFrame = 5000; // another part's last note
    plan.lastNoteOffTick = 500;
    FakeSynthRenderer synth(kRate, 0.5f);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(plan, synth, sink, nullptr));
    EXPECT_EQ(sink.samples.size(), 2u * 5000) << "silence up to the song's end, no tail";
}

TEST(SongRendererTest, ReleaseThatNeverEndsIsCutAfterThreeSeconds) {
    auto plan = planOf({at(0, on(60)), at(500, off(60))});
    FakeSynthRenderer synth(kRate, 1.0f);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(plan, synth, sink, nullptr));
    EXPECT_EQ(sink.samples.size(), 2u * (500 + 3 * kRate));
}

TEST(SongRendererTest, MonoMixesBothSides) {
    auto plan = planOf({at(0, on(60)), at(10, off(60))}, 1);
    FakeSynthRenderer synth(kRate, 1.0f);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(plan, synth, sink, nullptr));
    ASSERT_EQ(sink.samples.size(), 10u + 3 * kRate);
    EXPECT_FLOAT_EQ(sink.samples[0], (0.1f + 0.05f) / 2);
}

class CountingProgress : public RenderProgress {
public:
    explicit CountingProgress(int stopAfter) : stopAfter_(stopAfter) {}
    bool keepGoing(int64_t done, int64_t total) override {
        EXPECT_GE(done, last_);
        EXPECT_LE(done, total);
        last_ = done;
        lastTotal_ = total;
        return ++calls_ < stopAfter_;
    }
    int calls_ = 0;
    int64_t last_ = 0;
    int64_t lastTotal_ = 0;

private:
    int stopAfter_;
};

TEST(SongRendererTest, ProgressCountsUpToTheTotalAndCanCancel) {
    const RenderPlan plan = ringingLoop();
    {
        FakeSynthRenderer synth(kRate);
        MemoryWriter writer;
        CountingProgress progress(1'000'000);
        ASSERT_TRUE(renderToFile(plan, AudioFileFormat::Ogg, "x.ogg", synth, writer, &progress));
        EXPECT_TRUE(writer.committed);
        EXPECT_EQ(progress.last_, progress.lastTotal_) << "both passes: 4000 + 2000 frames";
        EXPECT_EQ(progress.lastTotal_, 6000);
        EXPECT_EQ(writer.spec.loop, (AudioLoop{2000, 2000}));
        EXPECT_EQ(writer.spec.format, AudioFileFormat::Ogg);
    }
    FakeSynthRenderer synth(kRate);
    MemoryWriter writer;
    CountingProgress progress(3);
    EXPECT_FALSE(renderToFile(plan, AudioFileFormat::Wav, "x.wav", synth, writer, &progress));
    EXPECT_FALSE(writer.committed);
    EXPECT_EQ(progress.calls_, 3) << "nothing is rendered after the cancel";
}

TEST(AudioFormatOfPathTest, NamesTheFormatByTheExtensionInAnyCase) {
    EXPECT_EQ(audioFormatOfPath("a/b.WAV"), AudioFileFormat::Wav);
    EXPECT_EQ(audioFormatOfPath("song.ogg"), AudioFileFormat::Ogg);
    EXPECT_EQ(audioFormatOfPath("x.y.Flac"), AudioFileFormat::Flac);
    EXPECT_EQ(audioFormatOfPath("song.mp3"), std::nullopt);
    EXPECT_EQ(audioFormatOfPath("wav"), std::nullopt);
}

} // namespace
} // namespace zelk
