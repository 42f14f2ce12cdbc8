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
        for (const auto& m : p.schedule->messages)
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
    EXPECT_EQ(p.loop->start, 88200); // measure 2 at 120 beats per minute
    EXPECT_EQ(p.loop->end, 176400);
    EXPECT_EQ(p.lastNoteOffFrame, 48 * 44100 / 16);
    ASSERT_EQ(noteOnsOf(p, 0), 2);
    EXPECT_TRUE(std::is_sorted(p.schedule->messages.begin(), p.schedule->messages.end(),
                               [](auto& a, auto& b) { return a.frame < b.frame; }));
    EXPECT_EQ(p.fileSpec(AudioFileFormat::Flac).loop, (AudioLoop{88200, 88200}));
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
    EXPECT_EQ(m.lastNoteOffFrame, 22050 / 2);
}

// Audio files began with half a second of silence: the MIDI file's set-up beat, which a
// game plays before every song and again before every loop that starts at measure 1.
TEST_F(RenderPlanTest, AudioStartsAtTheFirstColumnWithTheSetUpMessagesFirst) {
    putNote(song, 28, 0, 8);
    song.part.PartProgram = 40;
    song.LoopOn = 1; // loop from measure 1
    const RenderPlan p = plan();
    ASSERT_TRUE(p.loop);
    EXPECT_EQ(p.loop->start, 0);
    size_t firstNote = 0;
    const auto& messages = p.schedule->messages;
    while ((messages[firstNote].message & 0xF0) != 0x90)
        ++firstNote;
    EXPECT_EQ(messages[firstNote].frame, 0);
    bool program = false;
    for (size_t i = 0; i < firstNote; ++i) {
        EXPECT_EQ(messages[i].frame, 0) << i;
        program |= messages[i].message == 0xC0u + (40u << 8);
    }
    EXPECT_TRUE(program) << "the set-up beat's program comes before the first note";
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
