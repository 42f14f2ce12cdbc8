// Runs the built zelk-tool as a program, the way a build pipeline uses it.

#include "files/TextLines.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace zelk {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& s) {
    std::string q(1, '\'');
    for (char c : s) {
        if (c == '\'')
            q.append("'\\''");
        else
            q.push_back(c);
    }
    q.push_back('\'');
    return q;
}

class ToolTest : public ::testing::Test {
protected:
    // Runs zelk-tool with its temporary folder inside the test's own folder.
    ToolRun tool(const std::vector<std::string>& args) {
        std::string cmd = "TMPDIR=";
        cmd.append(quoted(toolTmp.string())).append(" ").append(quoted(ZELK_TOOL_PATH));
        for (const auto& a : args)
            cmd.append(" ").append(quoted(a));
        const fs::path outFile = tmp.path() / "stdout";
        const fs::path errFile = tmp.path() / "stderr";
        cmd.append(" >").append(quoted(outFile.string()));
        cmd.append(" 2>").append(quoted(errFile.string()));
        const int status = std::system(cmd.c_str());
        ToolRun r;
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = test::slurp(outFile);
        r.err = test::slurp(errFile);
        return r;
    }
    std::string path(const char* name) { return (tmp.path() / name).string(); }
    std::string expanded(const std::string& file) {
        return GzipCompressor().expand(test::slurp(file), kMaxProjectText);
    }
    void SetUp() override { fs::create_directory(toolTmp); }

    test::TempFolder tmp;
    fs::path toolTmp = tmp.path() / "tooltmp";
};

// A song with a loop point and notes in parts 1 and 10 (numbered from 1, as users do).
std::string writeSampleSong(test::TempFolder& folder, const std::string& file) {
    Song song = test::freshSong();
    song.SongTitle = "My Song";
    song.LoopOn = 1;
    song.LoopMeasure = 4;
    song.CurPart = 9;
    test::putNote(song, 40, 16, 4);
    SavePartFile(song, folder.folder());
    song.part.clearForSwitch();
    song.part.resetHeader();
    song.CurPart = 0;
    test::putNote(song, 28, 0, 8);
    song.FilePath = file;
    SaveProject(song, folder.folder(), GzipCompressor());
    return file;
}

TEST_F(ToolTest, HelpExplainsEveryCommandOnStdout) {
    const ToolRun r = tool({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("zelk-tool check IN.zelk"), std::string::npos);
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
                     "measures: 300\n"
                     "loop point: measure 5\n"
                     "part 1: 8 columns\n"
                     "part 10: 20 columns\n");
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
    EXPECT_EQ(check.out, "title: Old\nmeasures: 299\nloop point: none\n");
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
