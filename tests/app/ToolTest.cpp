// Runs the built zelk-tool as a program, the way a build pipeline uses it.

#include "ToolFixture.h"

#include "files/TextLines.h"
#include "platform/GzipCompressor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zelk {
namespace {

namespace fs = std::filesystem;
using test::ToolRun;
using test::ToolTest;
using test::writeSampleSong;

TEST_F(ToolTest, HelpExplainsEveryCommandOnStdout) {
    const ToolRun r = tool({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("zelk-tool check [--loop] IN.zelk"), std::string::npos);
    EXPECT_NE(r.out.find("zelk-tool resave IN.zelk OUT.zelk"), std::string::npos);
    EXPECT_NE(r.out.find("exit codes"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

TEST_F(ToolTest, WrongUsageExitsTwoWithUsageOnStderr) {
    const std::vector<std::vector<std::string>> cases = {
        {},                     // no command
        {"frobnicate"},         // unknown command
        {"check"},              // missing argument
        {"check", "a", "b"},    // one too many
        {"resave", "only-one"}, // missing output
    };
    for (const auto& args : cases) {
        const ToolRun r = tool(args);
        EXPECT_EQ(r.exitCode, 2) << args.size();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }
}

TEST_F(ToolTest, CheckPrintsTheSummary) {
    test::TempFolder songFolder;
    const ToolRun r = tool({"check", writeSampleSong(songFolder, path("song.zelk"))});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "title: My Song\n"
                     "copyright: Copyright(C) by ?\n"
                     "measures: 300\n"
                     "loop point: measure 5\n"
                     "part 1: last column 8\n"
                     "part 10: last column 20\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ToolTest, CheckOfABadFileNamesTheFileAndTheReasonOnOneLine) {
    writeWholeFile(path("bad.zelk"), "not gzip at all");
    const struct {
        std::string file;
        const char* why;
    } cases[] = {{path("bad.zelk"), "not a gzip stream"}, {path("missing.zelk"), "no such file"}};
    for (const auto& c : cases) {
        const ToolRun r = tool({"check", c.file});
        EXPECT_EQ(r.exitCode, 1) << c.why;
        EXPECT_EQ(r.out, "") << c.why;
        EXPECT_EQ(r.err.rfind(c.file + ": ", 0), 0u) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST_F(ToolTest, ResaveWritesTheSameProject) {
    test::TempFolder songFolder;
    const std::string in = writeSampleSong(songFolder, path("song.zelk"));
    const ToolRun r = tool({"resave", in, path("out.zelk")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(expanded(path("out.zelk")), expanded(in));
}

TEST_F(ToolTest, ResaveUpgradesTheOlderLayout) {
    // Title, copyright, MeasureCols, BeatCols, KeyCode, tempo index, sixteen empty parts.
    std::string old = "Old\r\n(C)\r\n32\r\n8\r\n0\r\n99\r\n";
    for (int p = 0; p < 16; ++p)
        old += "-2\r\n";
    writeWholeFile(path("old.zelk"), GzipCompressor().compress(old));
    const ToolRun r = tool({"resave", path("old.zelk"), path("new.zelk")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string text = expanded(path("new.zelk"));
    EXPECT_EQ(text.rfind("Old\r\n-4\r\n32\r\n100\r\n", 0), 0u);
    const ToolRun check = tool({"check", path("new.zelk")});
    EXPECT_EQ(check.out, "title: Old\ncopyright: (C)\nmeasures: 299\nloop point: none\n");
}

TEST_F(ToolTest, ResaveOfABadFileWritesNothing) {
    writeWholeFile(path("bad.zelk"), "garbage");
    const ToolRun r = tool({"resave", path("bad.zelk"), path("out.zelk")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind(path("bad.zelk") + ": ", 0), 0u);
    EXPECT_FALSE(fs::exists(path("out.zelk")));
}

TEST_F(ToolTest, ResaveToAnUnwritablePlaceFailsNamingTheOutput) {
    test::TempFolder songFolder;
    const std::string in = writeSampleSong(songFolder, path("song.zelk"));
    fs::create_directories(tmp.path() / "dir.zelk" / "x");
    const ToolRun r = tool({"resave", in, path("dir.zelk")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind(path("dir.zelk") + ": ", 0), 0u) << r.err;
}

TEST_F(ToolTest, PrivateProgramFolderIsRemoved) {
    test::TempFolder songFolder;
    const std::string in = writeSampleSong(songFolder, path("song.zelk"));
    tool({"check", in});
    tool({"resave", in, path("out.zelk")});
    tool({"check", path("missing.zelk")});
    EXPECT_TRUE(fs::is_empty(toolTmp));
}

} // namespace
} // namespace zelk
