// zelk-tool with the kinds of files and streams build pipelines hand it.

#include "ToolFixture.h"

#include "files/TextLines.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zelk {
namespace {

namespace fs = std::filesystem;
using test::ToolRun;
using test::writeSampleSong;

class ToolFilesTest : public test::ToolTest {
protected:
    std::string song() { return writeSampleSong(songFolder, path("song.zelk")); }
    size_t linesOf(const std::string& s) {
        return static_cast<size_t>(std::count(s.begin(), s.end(), '\n'));
    }
    test::TempFolder songFolder;
};

// Run as root, "export-midi song.zelk /dev/null" replaced the system's /dev/null.
TEST_F(ToolFilesTest, ExportToACharacterDeviceWritesIntoItAndKeepsIt) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    const std::string devNull = path("null");
    ASSERT_EQ(::mknod(devNull.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    const ToolRun r = tool({"export-midi", song(), devNull});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file(devNull));
    for (const auto& e : fs::directory_iterator(tmp.path())) // no temporary file beside it
        EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

TEST_F(ToolFilesTest, ExportToAFifoStreamsTheFileAndKeepsTheFifo) {
    const std::string fifo = path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string heard;
    std::thread reader([&] { heard = test::slurp(fifo); });
    const ToolRun r = tool({"export-midi", song(), fifo});
    reader.join();
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(heard.substr(0, 4), "MThd");
    EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(ToolFilesTest, ExportToASocketIsRefusedNamingTheOutput) {
    const std::string sock = path("sock");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, sock.c_str(), sock.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const ToolRun r = tool({"export-midi", song(), sock});
    ::close(fd);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind(sock + ": ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_socket(sock));
}

TEST_F(ToolFilesTest, DashReadsStandardInput) {
    const ToolRun r = tool({"check", "-"}, "", song());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("part 10: last column 20"), std::string::npos) << r.out;
}

TEST_F(ToolFilesTest, DashWritesStandardOutput) {
    const std::string in = song();
    ToolRun r = tool({"resave", in, "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    writeWholeFile(path("piped.zelk"), r.out);
    EXPECT_EQ(expanded(path("piped.zelk")), expanded(in));
    r = tool({"export-midi", in, "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 4), "MThd");
    EXPECT_FALSE(fs::exists(path("-")));
}

TEST_F(ToolFilesTest, StandardInputToStandardOutput) {
    const std::string in = song();
    const ToolRun r = tool({"resave", "-", "-"}, "", in);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    writeWholeFile(path("piped.zelk"), r.out);
    EXPECT_EQ(expanded(path("piped.zelk")), expanded(in));
}

TEST_F(ToolFilesTest, DoubleDashLetsNamesBeginWithADash) {
    fs::copy_file(song(), path("-song.zelk"));
    const ToolRun check = tool({"check", "--", path("-song.zelk")});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    fs::current_path(tmp.path());
    const ToolRun resave = tool({"resave", "--", "-song.zelk", "-out.zelk"});
    EXPECT_EQ(resave.exitCode, 0) << resave.err;
    const ToolRun exported = tool({"export-midi", "--", "-song.zelk", "-out.mid"});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    EXPECT_TRUE(fs::exists(tmp.path() / "-out.zelk"));
    EXPECT_TRUE(fs::exists(tmp.path() / "-out.mid"));
    const ToolRun unknown = tool({"check", "-song.zelk"});
    EXPECT_EQ(unknown.exitCode, 2);
}

// "check /dev/zero" grew past 3 GB.
TEST_F(ToolFilesTest, EndlessDeviceIsRefusedAtTheCap) {
    const ToolRun r = tool({"check", "/dev/zero"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("/dev/zero: ", 0), 0u) << r.err;
    EXPECT_EQ(linesOf(r.err), 1u);
}

TEST_F(ToolFilesTest, OversizedPipeIsRefusedAtTheCap) {
    const ToolRun r = tool({"check", "-"}, "head -c 150000000 /dev/zero |");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("standard input: ", 0), 0u) << r.err;
    EXPECT_EQ(linesOf(r.err), 1u);
}

// Under a memory limit the tool aborted with an uncaught std::bad_alloc.
TEST_F(ToolFilesTest, RunningOutOfMemoryIsReportedNotAborted) {
#ifdef ZELK_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory does not fit under a memory limit";
#endif
    const ToolRun r = tool({"check", "/dev/zero"}, "ulimit -v 120000;");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err.rfind("/dev/zero: ", 0), 0u) << r.err;
    EXPECT_EQ(linesOf(r.err), 1u) << r.err;
}

TEST_F(ToolFilesTest, TitleAndCopyrightCannotReachTheTerminalRaw) {
    Song s = test::freshSong();
    s.SongTitle = std::string("a\x1b[2Jb\x07\\", 9);
    s.SongCopyright = "\xc2\x9b"
                      "31m\xff";
    s.FilePath = path("evil.zelk");
    SaveProject(s, songFolder.folder(), GzipCompressor());
    const ToolRun r = tool({"check", path("evil.zelk")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("title: a\\x1B[2Jb\\x07\\\\\\x00\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("copyright: \\xC2\\x9B31m\\xFF\n"), std::string::npos) << r.out;
}

// Folders of killed runs used to stay in the temporary folder for ever.
TEST_F(ToolFilesTest, StaleFoldersOfEndedRunsAreRemovedAndLiveOnesKept) {
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const fs::path stale = toolTmp / ("zelk-tool-" + std::to_string(ended) + "-abcdef");
    const fs::path live = toolTmp / ("zelk-tool-" + std::to_string(::getpid()) + "-abcdef");
    const fs::path foreign = toolTmp / "zelk-tool-notours";
    for (const auto& d : {stale, live, foreign}) {
        fs::create_directory(d);
        writeWholeFile(d / "0", "work");
    }
    EXPECT_EQ(tool({"check", song()}).exitCode, 0);
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live / "0"));
    EXPECT_TRUE(fs::exists(foreign / "0"));
}

TEST_F(ToolFilesTest, TerminatedRunRemovesItsFolder) {
    const std::string fifo = path("never-written");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("TMPDIR", toolTmp.c_str(), 1);
        ::execl(ZELK_TOOL_PATH, ZELK_TOOL_PATH, "check", fifo.c_str(), nullptr);
        ::_exit(127);
    }
    // The tool waits in the open of the FIFO once its folder exists.
    for (int i = 0; i < 500 && fs::is_empty(toolTmp); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(fs::is_empty(toolTmp));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    EXPECT_TRUE(fs::is_empty(toolTmp));
}

} // namespace
} // namespace zelk
