#include "ToolFixture.h"

#include "../import/ImportFixture.h"
#include "files/TextLines.h"
#include "platform/SoundFontLookup.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

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
    // Measure 1 2 s, loop (measure 2) 2 s, at 120 beats per minute; the MIDI file's set-up
    // beat is left out.
    EXPECT_EQ(w.frames, 48000 * 4);
    ASSERT_TRUE(w.hasLoop);
    EXPECT_EQ(w.inst.loops[0].start, 48000u * 2);
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

TEST_F(ToolRenderTest, OurExportRendersAsItsProjectDoes) {
    // Exported to end on the loop's bar line, so the file's own loop is the song's; its
    // set-up beat is left out as in the project's render: the same file, byte for byte.
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    ASSERT_EQ(tool({"export-midi", "--loop-to-bar", in, path("song.mid")}).exitCode, 0);
    for (const auto& [from, to] : {std::pair(in, path("p.wav")), {path("song.mid"), path("m.wav")}})
        ASSERT_EQ(tool({"render", "--rate", "22050", from, to}).exitCode, 0) << from;
    const std::string a = test::slurp(path("m.wav")), b = test::slurp(path("p.wav"));
    const auto diff = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    EXPECT_TRUE(a == b) << a.size() << " " << b.size() << " first difference at "
                        << (diff.first - a.begin());
}

TEST_F(ToolRenderTest, OggAndFlacCarryTheLoopComments) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    for (const char* name : {"bgm.ogg", "bgm.flac"}) {
        const ToolRun r = tool({"render", in, path(name)});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const std::string bytes = test::slurp(path(name));
        EXPECT_NE(bytes.find("LOOPSTART=88200"), std::string::npos) << name;
        EXPECT_NE(bytes.find("LOOPLENGTH=88200"), std::string::npos) << name;
        EXPECT_NE(bytes.find("TITLE=Field"), std::string::npos) << name;
    }
}

TEST_F(ToolRenderTest, NoLoopAndSinglePartsKeepTheirLengthRules) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    ASSERT_EQ(tool({"render", "--parts", "3", in, path("part3.wav")}).exitCode, 0);
    EXPECT_EQ(shapeOf(path("part3.wav")).frames, 44100 * 4) << "the whole song's loop";
    ASSERT_EQ(tool({"render", "--no-loop", in, path("free.wav")}).exitCode, 0);
    const WavShape free = shapeOf(path("free.wav"));
    EXPECT_FALSE(free.hasLoop);
    EXPECT_GT(free.frames, 44100 * 3) << "the last note-off and its release";
    EXPECT_LE(free.frames, 44100 * 3 + 3 * 44100);
}

TEST_F(ToolRenderTest, PartWithoutNotesIsRefusedAndEarlyPartsLastTheSong) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), false);
    const ToolRun empty = tool({"render", "--parts", "2", in, path("p2.wav")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_NE(empty.err.find("no notes"), std::string::npos) << empty.err;
    EXPECT_FALSE(std::filesystem::exists(path("p2.wav")));
    // Part 3's only note ends in measure 1, the song's last note in measure 2.
    ASSERT_EQ(tool({"render", "--parts", "3", in, path("p3.wav")}).exitCode, 0);
    EXPECT_GE(shapeOf(path("p3.wav")).frames, 44100 * 3) << "up to the song's last note-off";
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
    EXPECT_EQ(tool({"render", in, "-"}).exitCode, 2) << "standard output needs a format";
    EXPECT_EQ(tool({"render", "--format", "mp3", in, "-"}).exitCode, 2);
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

// The help's rule for "-" is kept: the finished file goes to standard output.
TEST_F(ToolRenderTest, StandardOutputTakesTheFinishedFileInTheNamedFormat) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    ASSERT_EQ(tool({"render", in, path("file.flac")}).exitCode, 0);
    const ToolRun piped = tool({"render", "--format", "flac", in, "-"});
    ASSERT_EQ(piped.exitCode, 0) << piped.err;
    EXPECT_EQ(piped.out, test::slurp(path("file.flac")));
}

// Renders peaked at -15 dBFS: --normalize brings the peak to -1 dBFS with one gain.
TEST_F(ToolRenderTest, NormalizeBringsThePeakToMinusOneDecibel) {
    const std::string in = writeLoopedSong(tmp, path("song.zelk"), true);
    ASSERT_EQ(tool({"render", in, path("plain.wav")}).exitCode, 0);
    ASSERT_EQ(tool({"render", "--normalize", in, path("loud.wav")}).exitCode, 0);
    auto peak = [](const std::string& file) {
        SF_INFO info{};
        SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
        std::vector<short> s(static_cast<size_t>(info.frames * info.channels));
        sf_read_short(f, s.data(), static_cast<sf_count_t>(s.size()));
        sf_close(f);
        int most = 0;
        for (short x : s)
            most = std::max(most, std::abs(int(x)));
        return most;
    };
    EXPECT_LT(peak(path("plain.wav")), 32768 / 2);
    EXPECT_NEAR(peak(path("loud.wav")), 0.8912509 * 32767, 2);
    EXPECT_EQ(shapeOf(path("loud.wav")).inst.loops[0].start,
              shapeOf(path("plain.wav")).inst.loops[0].start);
}

TEST_F(ToolRenderTest, EveryCommandPrintsItsUsageForHelp) {
    for (const char* command : {"render", "export-midi", "check", "resave"}) {
        const ToolRun r = tool({command, "--help"});
        EXPECT_EQ(r.exitCode, 0) << command;
        EXPECT_EQ(r.out.rfind(std::string("usage: zelk-tool ") + command, 0), 0u) << r.out;
    }
}

} // namespace
} // namespace zelk
