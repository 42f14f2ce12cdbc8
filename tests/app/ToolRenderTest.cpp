#include "ToolFixture.h"

#include "../import/ImportFixture.h"
#include "files/TextLines.h"
#include "platform/SoundFontLookup.h"

#include <gtest/gtest.h>
#include <sndfile.h>

namespace zelk {
namespace {

using test::ToolRun;

// Two notes in part 1 and an earlier one in part 3; the loop from measure 2 to the end of
// measure 2.
std::string writeLoopedSong(test::TempFolder& folder, const std::string& file, bool loop) {
    Song song = test::freshSong();
    song.SongTitle = "Field";
    song.LoopOn = loop ? 1 : 0;
    song.LoopMeasure = 1;
    song.CurPart = 2;
    test::putNote(song, 30, 24, 8); // ends in measure 1, before part 1's last note
    SavePartFile(song, folder.folder());
    song.part.clearForSwitch();
    song.part.resetHeader();
    song.CurPart = 0;
    test::putNote(song, 28, 0, 8);
    test::putNote(song, 28, 32, 16);
    song.FilePath = file;
    SaveProject(song, folder.folder(), GzipCompressor());
    return file;
}

struct WavShape {
    sf_count_t frames = 0;
    int channels = 0;
    int rate = 0;
    SF_INSTRUMENT inst{};
    bool hasLoop = false;
};

WavShape shapeOf(const std::string& path) {
    WavShape w;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(f, nullptr) << path;
    if (f == nullptr)
        return w;
    w.frames = info.frames;
    w.channels = info.channels;
    w.rate = info.samplerate;
    w.hasLoop = sf_command(f, SFC_GET_INSTRUMENT, &w.inst, sizeof w.inst) == SF_TRUE &&
                w.inst.loop_count > 0;
    sf_close(f);
    return w;
}

class ToolRenderTest : public test::ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        if (!findSoundFontFromEnvironment())
            GTEST_SKIP() << "no General MIDI SoundFont installed";
    }
};

TEST_F(ToolRenderTest, WavEndsAtTheLoopEndWithTheSamplerLoop) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    const ToolRun r = tool({"render", "--rate", "48000", "--mono", in, path("bgm.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const WavShape w = shapeOf(path("bgm.wav"));
    EXPECT_EQ(w.channels, 1);
    EXPECT_EQ(w.rate, 48000);
    // Set-up beat 0.5 s, measure 1 2 s, loop (measure 2) 2 s, at 120 beats per minute.
    EXPECT_EQ(w.frames, 48000 * 9 / 2);
    ASSERT_TRUE(w.hasLoop);
    EXPECT_EQ(w.inst.loops[0].start, 48000u * 5 / 2);
}

TEST_F(ToolRenderTest, AMidiFileRendersFromItsOwnEventsWithTheLoopOfItsMarker) {
    // 96 ticks per quarter at 120: the marker on tick 384 (2 s), the file's end on 768 (4 s).
    using namespace test;
    const Bytes file = smf(96,
                           {{{0, noteOn(0, 60, 100)},
                             {96, noteOff(0, 60)},
                             {384, kLoopMarker},
                             {400, noteOn(0, 62, 100)},
                             {768, noteOff(0, 62)}}},
                           0);
    const std::string bytes(file.begin(), file.end());
    writeWholeFile(path("game.mid"), bytes);
    const ToolRun r =
        tool({"render", "--rate", "48000", "--mono", path("game.mid"), path("g.wav")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const WavShape w = shapeOf(path("g.wav"));
    EXPECT_EQ(w.frames, 48000 * 4) << "no set-up beat: the file is played as it is";
    ASSERT_TRUE(w.hasLoop);
    EXPECT_EQ(w.inst.loops[0].start, 48000u * 2);
}

TEST_F(ToolRenderTest, OggAndFlacCarryTheLoopComments) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    for (const char* name : {"bgm.ogg", "bgm.flac"}) {
        const ToolRun r = tool({"render", in, path(name)});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string bytes = test::slurp(path(name));
        EXPECT_NE(bytes.find("LOOPSTART=110250"), std::string::npos) << name;
        EXPECT_NE(bytes.find("LOOPLENGTH=88200"), std::string::npos) << name;
        EXPECT_NE(bytes.find("TITLE=Field"), std::string::npos) << name;
    }
}

TEST_F(ToolRenderTest, NoLoopAndSinglePartsKeepTheirLengthRules) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    ASSERT_EQ(tool({"render", "--parts", "3", in, path("part3.wav")}).exitCode, 0);
    EXPECT_EQ(shapeOf(path("part3.wav")).frames, 44100 * 9 / 2) << "the whole song's loop";
    ASSERT_EQ(tool({"render", "--no-loop", in, path("free.wav")}).exitCode, 0);
    const WavShape free = shapeOf(path("free.wav"));
    EXPECT_FALSE(free.hasLoop);
    EXPECT_GT(free.frames, 44100 * 7 / 2) << "the last note-off and its release";
    EXPECT_LE(free.frames, 44100 * 7 / 2 + 3 * 44100);
}

TEST_F(ToolRenderTest, PartWithoutNotesIsRefusedAndEarlyPartsLastTheSong) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), false);
    const ToolRun empty = tool({"render", "--parts", "2", in, path("p2.wav")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("no notes"), std::string::npos) << empty.err;
    EXPECT_FALSE(std::filesystem::exists(path("p2.wav")));
    // Part 3's only note ends in measure 1, the song's last note in measure 2.
    ASSERT_EQ(tool({"render", "--parts", "3", in, path("p3.wav")}).exitCode, 0);
    EXPECT_GE(shapeOf(path("p3.wav")).frames, 44100 * 7 / 2) << "up to the song's last note-off";
}

// A build pipeline gets the same bytes whatever the machine's core count.
TEST_F(ToolRenderTest, EveryCoreCountRendersTheSameFile) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    ASSERT_EQ(tool({"render", in, path("one.flac")}, "ZELK_RENDER_CORES=1").exitCode, 0);
    ASSERT_EQ(tool({"render", in, path("two.flac")}, "ZELK_RENDER_CORES=2").exitCode, 0);
    EXPECT_EQ(test::slurp(path("one.flac")), test::slurp(path("two.flac")));
}

TEST_F(ToolRenderTest, RefusalsExplainThemselves) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    EXPECT_EQ(tool({"render", in, path("bgm.mp3")}).exitCode, 2);
    EXPECT_EQ(tool({"render", "--rate", "96000", in, path("a.wav")}).exitCode, 2);
    EXPECT_EQ(tool({"render", in}).exitCode, 2);
    const ToolRun noFont = tool({"render", "--soundfont", "/nonexistent.sf2", in, path("a.wav")});
    EXPECT_EQ(noFont.exitCode, 1);
    EXPECT_NE(noFont.err.find("/nonexistent.sf2: "), std::string::npos) << "names the SoundFont";
    EXPECT_EQ(tool({"render", in, "-"}).exitCode, 2);
    const ToolRun noFolder = tool({"render", in, path("missing/a.wav")});
    EXPECT_EQ(noFolder.exitCode, 1);
    EXPECT_NE(noFolder.err.find("missing/a.wav"), std::string::npos) << noFolder.err;
    test::TempFolder emptyFolder; // no work files of the song above
    Song empty = test::freshSong();
    empty.FilePath = path("empty.zelk");
    SaveProject(empty, emptyFolder.folder(), GzipCompressor());
    const ToolRun nothing = tool({"render", path("empty.zelk"), path("a.wav")});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_NE(nothing.err.find("no notes"), std::string::npos) << nothing.err;
    EXPECT_FALSE(std::filesystem::exists(path("a.wav")));
}

} // namespace
} // namespace zelk
