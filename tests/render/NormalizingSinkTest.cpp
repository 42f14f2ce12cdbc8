#include "render/NormalizingSink.h"

#include "render/RenderPlan.h"
#include "render/SongRenderer.h"
#include "support/FakeSynthRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

using test::MemorySink;

float peakOf(const std::vector<float>& s) {
    float p = 0;
    for (float x : s)
        p = std::max(p, std::fabs(x));
    return p;
}

TEST(NormalizingSinkTest, OneGainBringsTheWholeFileToMinusOneDecibel) {
    // peak -> what each sample is multiplied by
    for (float peak : {0.178f, 0.5f, 1.3f}) {
        auto inner = std::make_unique<MemorySink>();
        MemorySink* seen = inner.get();
        NormalizingSink sink(std::move(inner));
        std::vector<float> in;
        for (int i = 0; i < 200000; ++i) // more than one chunk, written in pieces
            in.push_back(peak * std::sin(0.01f * float(i)) * (i % 3 == 0 ? 1.0f : 0.5f));
        sink.write(std::span(in).first(70000));
        sink.write(std::span(in).subspan(70000));
        EXPECT_TRUE(seen->samples.empty()) << "nothing is written before the peak is known";
        sink.commit();
        ASSERT_EQ(seen->samples.size(), in.size());
        EXPECT_TRUE(seen->committed);
        EXPECT_NEAR(peakOf(seen->samples), NormalizingSink::kPeak, 1e-6f);
        const float gain = seen->samples[1000] / in[1000];
        for (size_t i = 1; i < in.size(); i += 997)
            EXPECT_NEAR(seen->samples[i], in[i] * gain, 1e-6f) << "one gain for every sample";
    }
}

TEST(NormalizingSinkTest, SilenceStaysSilentAndNoCommitLeavesNothing) {
    auto inner = std::make_unique<MemorySink>();
    MemorySink* seen = inner.get();
    {
        NormalizingSink sink(std::move(inner));
        sink.write(std::vector<float>(100, 0.0f));
        sink.commit();
        EXPECT_EQ(seen->samples, std::vector<float>(100, 0.0f)); // while the sink owns it
    }
    test::MemoryWriter writer;
    RenderPlan plan;
    plan.sampleRate = 1000;
    plan.normalize = true;
    auto schedule = std::make_shared<Schedule>();
    schedule->sampleRate = 1000;
    schedule->messages = {{0, 0, shortMessage(0x90, 60, 100)},
                          {500, 50, shortMessage(0x90, 60, 0)}};
    schedule->endFrame = 500;
    plan.schedule = schedule;
    plan.lastNoteOffTick = 50;
    plan.lastNoteOffFrame = 500;
    test::FakeSynthRenderer synth(1000, 0.99f);
    ASSERT_TRUE(renderToFile(plan, AudioFileFormat::Wav, "x.wav", synth, writer, nullptr));
    EXPECT_TRUE(writer.committed);
    EXPECT_NEAR(peakOf(writer.samples), NormalizingSink::kPeak, 1e-6f);
}

} // namespace
} // namespace zelk
