#pragma once

// Runs the built zelk-tool as a program, the way a build pipeline uses it.

#include "model/PartFile.h"
#include "model/Song.h"
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

namespace zelk::test {

namespace fs = std::filesystem;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& s) {
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
    // shellBefore is put in front of the command as it stands, e.g. "ulimit -v 1000;" or
    // "head -c 9 /dev/zero |"; stdinFile, when given, is the tool's standard input.
    ToolRun tool(const std::vector<std::string>& args, const std::string& shellBefore = "",
                 const std::string& stdinFile = "") {
        std::string cmd = shellBefore + " TMPDIR=";
        cmd.append(quoted(toolTmp.string())).append(" ").append(quoted(ZELK_TOOL_PATH));
        for (const auto& a : args)
            cmd.append(" ").append(quoted(a));
        const fs::path outFile = tmp.path() / "stdout";
        const fs::path errFile = tmp.path() / "stderr";
        cmd.append(" >").append(quoted(outFile.string()));
        cmd.append(" 2>").append(quoted(errFile.string()));
        if (!stdinFile.empty())
            cmd.append(" <").append(quoted(stdinFile));
        cmd = "(" + cmd + ")";
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
inline std::string writeSampleSong(test::TempFolder& folder, const std::string& file) {
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

} // namespace zelk::test
