#include "../midi/MidiWriterFixture.h"

#include "platform/FluidSynthRenderer.h"
#include "render/RenderPlan.h"
#include "render/SongRenderer.h"
#include "support/FakeSynthRenderer.h"

#include "SynthTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace zelk {
namespace {

using namespace test;

// Keeps everything the real synthesizer renders, in its own time, to compare the file with.
class TimelineSynth : public SynthRenderer {
public:
    explicit TimelineSynth(SynthRenderer& inner) : inner_(inner) {}
    void send(uint32_t m) override { inner_.send(m); }
    int sampleRate() const override { return inner_.sampleRate(); }
    void render(std::span<float> left, std::span<float> right) override {
        inner_.render(left, right);
        for (size_t i = 0; i < left.size(); ++i) {
            timeline.push_back(left[i]);
            timeline.push_back(right[i]);
        }
    }
    std::vector<float> timeline;

private:
    SynthRenderer& inner_;
};

float largestStep(const std::vector<float>& s, size_t skipAt) {
    float most = 0;
    for (size_t i = 2; i < s.size(); ++i)
        if (i / 2 != skipAt)
            most = std::max(most, std::fabs(s[i] - s[i - 2]));
    return most;
}

double rmsOf(const std::vector<float>& s, int64_t fromFrame, int64_t frames) {
    return rms(
        std::span(s).subspan(static_cast<size_t>(2 * fromFrame), static_cast<size_t>(2 * frames)));
}

class FluidRenderTest : public MidiWriterTest {
protected:
    void SetUp() override {
        soundFont = installedSoundFont();
        if (!soundFont)
            GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
    RenderPlan plan() {
        return prepareRender(song, tmp.folder(), midi, encoder, tmp.path() / "r.mid", {});
    }
    std::optional<std::filesystem::path> soundFont;
};

// An intro note that has died away long before the loop start, a loop whose first note comes
// a quarter after its start, and a last note held up to the loop end with reverb on.
TEST_F(FluidRenderTest, LoopStartCarriesTheEndsReleaseAndTheSeamHasNoJump) {
    putNote(song, 28, 0, 4);
    putNote(song, 28, 40, 8);
    putNote(song, 30, 48, 16); // ends on the bar line of measure 2
    song.LoopOn = 1;
    song.LoopMeasure = 1;
    const RenderPlan p = plan();
    ASSERT_TRUE(p.loop);
    FluidSynthRenderer fluid(44100, *soundFont);
    TimelineSynth synth(fluid);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(p, synth, sink, nullptr));
    const int64_t start = p.loop->start, end = p.loop->end, length = end - start;
    ASSERT_EQ(static_cast<int64_t>(sink.samples.size()), 2 * end);
    const auto& t = synth.timeline;
    // The intro is the first pass; the loop is the second pass, from the first pass's end on,
    // but for its last fiftieth of a second, which fades into the first pass's end.
    const int64_t seamFrames = 44100 / 50;
    EXPECT_TRUE(std::equal(sink.samples.begin(), sink.samples.begin() + 2 * start, t.begin()));
    EXPECT_TRUE(std::equal(sink.samples.begin() + 2 * start, sink.samples.end() - 2 * seamFrames,
                           t.begin() + 2 * end, t.begin() + 2 * (end + length - seamFrames)));
    EXPECT_EQ(sink.samples[2 * end - 1], t[2 * end - 1]) << "the last frame is the first pass's";
    const int64_t ms20 = 882;
    EXPECT_LT(rmsOf(t, start, ms20), kAudibleRms) << "the first pass is quiet at the loop start";
    EXPECT_GT(rmsOf(sink.samples, start, ms20), kAudibleRms) << "the file rings there";
    // A player wraps from the last frame to the loop start: no larger step than anywhere else.
    const auto& s = sink.samples;
    const auto last = static_cast<size_t>(2 * (end - 1)), first = static_cast<size_t>(2 * start);
    const float seam =
        std::max(std::fabs(s[first] - s[last]), std::fabs(s[first + 1] - s[last + 1]));
    EXPECT_LE(seam, largestStep(s, static_cast<size_t>(start)));
}

// Second-order prediction error |x[n] - 2x[n-1] + x[n-2]| of one channel: what a click
// is made of, where a plain step would also count a bass note's slope.
struct SeamErrors {
    double acrossWrap = 0;
    double loopP99 = 0;
};

SeamErrors seamErrors(const std::vector<float>& s, int64_t start, int64_t end, int ch) {
    auto x = [&](int64_t i) { return double(s[static_cast<size_t>(2 * i + ch)]); };
    std::vector<double> errors;
    for (int64_t n = start + 2; n < end; ++n)
        errors.push_back(std::fabs(x(n) - 2 * x(n - 1) + x(n - 2)));
    std::sort(errors.begin(), errors.end());
    SeamErrors r;
    r.loopP99 = errors[errors.size() * 99 / 100];
    r.acrossWrap = std::max(std::fabs(x(start) - 2 * x(end - 1) + x(end - 2)),
                            std::fabs(x(start + 1) - 2 * x(start) + x(end - 1)));
    return r;
}

// A song as written in the window: melody, bass and drums over eight measures, the loop
// at measure 5, reverb on every part. The wrap clicked (an error of 681 against a 99th
// percentile of 284 inside the loop): the second pass differs from its own continuation in
// chorus phase and the intro's tails.
TEST_F(FluidRenderTest, TheWrapIsNoLouderThanTheLoopItself) {
    for (int chorus : {0, 90}) {
        song = freshSong();
        const int melody[] = {21, 22, 23, 24, 23, 22, 21, 20};
        for (int m = 0; m < 8; ++m)
            for (int e = 0; e < 8; ++e)
                putNote(song, melody[(m + e) % 8], m * 32 + e * 4, 4);
        song.part.PartProgram = 80;
        song.part.PartReverb = 100;
        song.part.PartChorus = chorus;
        selectPart(1);
        for (int q = 0; q < 32; ++q)
            putNote(song, 35 + (q % 4 == 0 ? 0 : 2), q * 8, 8);
        song.part.PartProgram = 33;
        song.part.PartReverb = 80;
        song.part.PartChorus = chorus;
        selectPart(9);
        for (int e = 0; e < 64; ++e)
            putNote(song, e % 4 == 0 ? 48 : e % 4 == 2 ? 46 : 42, e * 4, 2);
        song.part.PartReverb = 60;
        selectPart(0);
        song.LoopOn = 1;
        song.LoopMeasure = 4;
        const RenderPlan p = plan();
        ASSERT_TRUE(p.loop);
        FluidSynthRenderer fluid(44100, *soundFont);
        MemorySink sink;
        ASSERT_TRUE(renderPlan(p, fluid, sink, nullptr));
        for (int ch : {0, 1}) {
            const SeamErrors e = seamErrors(sink.samples, p.loop->start, p.loop->end, ch);
            EXPECT_GT(e.loopP99, 0.0);
            EXPECT_LE(e.acrossWrap, e.loopP99) << "chorus " << chorus << ", channel " << ch;
        }
    }
}

TEST_F(FluidRenderTest, SongWithoutLoopEndsAfterTheRelease) {
    putNote(song, 28, 0, 8);
    const RenderPlan p = plan();
    FluidSynthRenderer fluid(22050, *soundFont);
    MemorySink sink;
    ASSERT_TRUE(renderPlan(p, fluid, sink, nullptr));
    const auto frames = static_cast<int64_t>(sink.samples.size() / 2);
    EXPECT_GT(frames, p.lastNoteOffFrame + 2205) << "the release is kept";
    EXPECT_LE(frames, p.lastNoteOffFrame + 3 * 22050);
    EXPECT_GT(rmsOf(sink.samples, p.lastNoteOffFrame, 441), kAudibleRms);
}

TEST(FluidSynthRendererTest, UnreadableSoundFontIsAnError) {
    EXPECT_THROW(FluidSynthRenderer(44100, "/nonexistent/none.sf2"), std::runtime_error);
}

} // namespace
} // namespace zelk
