// zelk-tool check --loop and export-midi --loop-to-bar, run as a program.

#include "ToolFixture.h"

#include "files/TextLines.h"
#include "midi/MidiFileEvents.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace zelk {
namespace {

using test::ToolRun;
using test::ToolTest;

// Notes (head column, length) of part 1 and the loop point (measure number; 0: off).
std::string writeLoopSong(test::TempFolder& folder, const std::string& file, int loopMeasure,
                          const std::vector<std::pair<int, int>>& notes) {
    Song song = test::freshSong();
    song.LoopOn = loopMeasure > 0 ? 1 : 0;
    song.LoopMeasure = loopMeasure > 0 ? loopMeasure - 1 : 0;
    for (const auto& [head, len] : notes)
        test::putNote(song, 28, head, len);
    song.FilePath = file;
    SaveProject(song, folder.folder(), GzipCompressor());
    return file;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class ToolLoopTest : public ToolTest {
protected:
    test::TempFolder songFolder;

    std::string song(int loopMeasure, const std::vector<std::pair<int, int>>& notes) {
        return writeLoopSong(songFolder, path("song.zelk"), loopMeasure, notes);
    }
    MidiFileEvents exported(const std::vector<std::string>& args) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string text = test::slurp(path("out.mid"));
        return readMidiEvents(std::vector<uint8_t>(text.begin(), text.end()));
    }
};

TEST_F(ToolLoopTest, CleanLoopPrintsItselfAndExitsZero) {
    const ToolRun r = tool({"check", "--loop", song(2, {{32, 16}, {48, 16}})});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "loop: measure 2 to the end of measure 2\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ToolLoopTest, SongWithoutLoopHasNothingToCheck) {
    const ToolRun r = tool({"check", "--loop", song(0, {{0, 8}})});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "loop point: none\n");
}

TEST_F(ToolLoopTest, FindingsGoOneLineEachAndExitThree) {
    // Held over the loop start, and the last note ends 24 columns short of the bar line.
    const ToolRun r = tool({"check", "--loop", song(2, {{24, 16}, {48, 24}})});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    const auto lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], "loop: measure 2 to the end of measure 3");
    EXPECT_EQ(lines[1].rfind("part 1: key ", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("begun in measure 1 still sounds at the loop start"), std::string::npos)
        << lines[1];
    EXPECT_EQ(lines[2], "MIDI loop ends 1440 ticks before the bar line of measure 3 (export "
                        "with --loop-to-bar)");
    EXPECT_EQ(r.err, "");
}

TEST_F(ToolLoopTest, LoopPointAfterTheLastNoteIsAFinding) {
    test::TempFolder sampleFolder;
    const ToolRun r =
        tool({"check", "--loop", test::writeSampleSong(sampleFolder, path("sample.zelk"))});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.out, "loop point: measure 5\nloop point: measure 5 has no notes from there on\n");
}

TEST_F(ToolLoopTest, BadFileExitsOneNamingIt) {
    writeWholeFile(path("bad.zelk"), "not gzip at all");
    const ToolRun r = tool({"check", "--loop", path("bad.zelk")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(path("bad.zelk") + ": ", 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(ToolLoopTest, LoopToBarEndsTheFileOnTheLoopsBarLine) {
    const std::string in = song(2, {{32, 40}}); // last note ends in column 72 of measure 3
    const uint32_t barLine = 480 + 96 * 60;
    EXPECT_LT(exported({"export-midi", in, path("out.mid")}).lastTick, barLine);
    EXPECT_EQ(exported({"export-midi", "--loop-to-bar", in, path("out.mid")}).lastTick, barLine);
}

TEST_F(ToolLoopTest, WrongUsageExitsTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"check", "--loop"},
        {"check", "--loop", "a", "b"},
        {"check", "--loops", "a"},
        {"export-midi", "--loop-to-bar", "a"},
        {"export-midi", "--loop-to-bar", "--from-measure", "2", "a", "b"},
    };
    for (const auto& args : cases) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST_F(ToolLoopTest, HelpListsTheLoopOptionsAndTheFindingsExitCode) {
    const ToolRun r = tool({"--help"});
    EXPECT_NE(r.out.find("zelk-tool check [--loop] IN.zelk"), std::string::npos);
    EXPECT_NE(r.out.find("export-midi [--loop-to-bar"), std::string::npos);
    EXPECT_NE(r.out.find("\n  3  check --loop"), std::string::npos);
}

} // namespace
} // namespace zelk
