#include "../midi/MidiWriterFixture.h"

#include "render/RenderPlan.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

class RenderPlanTest : public MidiWriterTest {
protected:
    RenderPlan plan(const RenderOptions& options = {}) {
        return prepareRender(song, tmp.folder(), midi, encoder, tmp.path() / "render.mid", options);
    }
    static int noteOnsOf(const RenderPlan& p, int channel) {
        int n = 0;
        for (const auto& m : p.messages)
            if ((m.message & 0xFF) == static_cast<uint32_t>(0x90 | channel) && (m.message >> 16))
                ++n;
        return n;
    }
};

TEST_F(RenderPlanTest, TimesEveryMessageAndTheLoopInFrames) {
    putNote(song, 28, 0, 8);
    putNote(song, 28, 40, 8);
    song.LoopOn = 1;
    song.LoopMeasure = 1;
    const RenderPlan p = plan();
    ASSERT_TRUE(p.loop);
    EXPECT_EQ(p.loop->start, 110250);
    EXPECT_EQ(p.loop->end, 198450);
    EXPECT_EQ(p.lastNoteOffFrame, 22050 + 48 * 44100 / 16);
    ASSERT_EQ(noteOnsOf(p, 0), 2);
    EXPECT_TRUE(std::is_sorted(p.messages.begin(), p.messages.end(),
                               [](auto& a, auto& b) { return a.frame < b.frame; }));
    EXPECT_EQ(p.fileSpec(AudioFileFormat::Flac).loop, (AudioLoop{110250, 88200}));
    EXPECT_EQ(p.fileSpec(AudioFileFormat::Flac).title, "title");
    EXPECT_FALSE(std::filesystem::exists(tmp.path() / "render.mid")) << "no scratch file left";
}

TEST_F(RenderPlanTest, LeftOutPartsKeepTheWholeSongsLoopAndLength) {
    selectPart(0);
    putNote(song, 28, 0, 8);
    selectPart(2);
    putNote(song, 28, 70, 8); // the song's last note, in measure 3
    song.LoopOn = 1;
    RenderOptions only0;
    only0.parts.fill(false);
    only0.parts[0] = true;
    const RenderPlan whole = plan();
    const RenderPlan part0 = plan(only0);
    EXPECT_EQ(noteOnsOf(part0, 0), 1);
    EXPECT_EQ(noteOnsOf(part0, 2), 0);
    EXPECT_EQ(noteOnsOf(whole, 2), 1);
    ASSERT_TRUE(part0.loop && whole.loop);
    EXPECT_EQ(part0.loop->end, whole.loop->end);
    EXPECT_EQ(part0.lastNoteOffFrame, whole.lastNoteOffFrame);
}

TEST_F(RenderPlanTest, NoLoopOptionAndUnplayableLoopsRenderWithoutOne) {
    putNote(song, 28, 0, 8);
    song.LoopOn = 1;
    RenderOptions noLoop;
    noLoop.loop = false;
    EXPECT_FALSE(plan(noLoop).loop);
    song.LoopMeasure = 5; // after the last note
    EXPECT_FALSE(plan().loop);
    RenderOptions mono;
    mono.mono = true;
    mono.sampleRate = 22050;
    const RenderPlan m = plan(mono);
    EXPECT_EQ(m.channels, 1);
    EXPECT_EQ(m.lastNoteOffFrame, 22050 / 2 + 22050 / 2);
}

TEST_F(RenderPlanTest, SongWithoutNotesHasNothingToRender) {
    EXPECT_THROW(plan(), NothingToRender);
    putNote(song, 28, 0, 8);
    RenderOptions emptyPart;
    emptyPart.parts.fill(false);
    emptyPart.parts[5] = true;
    EXPECT_THROW(plan(emptyPart), NothingToRender) << "a part without notes sounds nothing";
}

} // namespace
} // namespace zelk
