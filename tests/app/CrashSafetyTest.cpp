// Saves, backups and exports killed at random moments, on a full disk, and with failing
// system calls: the target is always the old file or the new one, whole, and nothing is
// left beside it for long.
#include "ToolFixture.h"

#include "editor/session/BackupWriter.h"
#include "files/TextLines.h"
#include "midi/MidiExportOptions.h"
#include "midi/WriteMidiFile.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"
#include "storage/ProjectFileError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/mount.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zelk {
namespace {

namespace fs = std::filesystem;

// Kills per kind of write: 30 in the suite, more by hand (ZELK_CRASH_KILLS=200).
int killCount() {
    const char* env = std::getenv("ZELK_CRASH_KILLS");
    return env ? std::max(1, std::atoi(env)) : 30;
}

// A song of some size: notes on every eighth in a few rows through `measures` measures.
Song bigSong(int seed, int measures) {
    Song s = test::freshSong();
    s.SongTitle = "version " + std::to_string(seed);
    for (int head = 0; head + 4 <= measures * 32; head += 4) {
        test::putNote(s, 20 + (head / 4 + seed) % 5, head, 4);
        test::putNote(s, 30 + (head / 4 * 3 + seed) % 7, head, 4);
    }
    return s;
}

class CrashSafetyTest : public test::ToolTest {
protected:
    fs::path target = tmp.path() / "song.zelk";
    std::mt19937 rng{20261208};

    // Temporary files of target's writers that are still lying about.
    int temporaries(const fs::path& of) {
        int n = 0;
        for (const auto& e : fs::directory_iterator(of.parent_path()))
            n += e.path().filename().string().starts_with("." + of.filename().string() + ".");
        return n;
    }

    // Runs write(version) alternately for versions 0 and 1 in a child until it is killed,
    // `kills` times: half at a random moment, half as soon as a temporary file appears.
    // After each kill, `check` sees the target.
    void killWhileWriting(const fs::path& of, const std::function<void(int)>& write,
                          const std::function<void()>& check) {
        for (int k = 0; k < killCount(); ++k) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                try {
                    for (int v = 0;; v ^= 1)
                        write(v);
                } catch (...) {
                }
                ::_exit(1); // never back into the test runner
            }
            if (k % 2 == 0) {
                std::this_thread::sleep_for(
                    std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(rng)));
            } else {
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
                while (temporaries(of) == 0 && std::chrono::steady_clock::now() < until) {
                }
            }
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            check();
        }
    }
};

TEST_F(CrashSafetyTest, KilledSaveLeavesTheOldOrTheNewProject) {
    test::TempFolder work;
    Song versions[2] = {bigSong(1, 120), bigSong(2, 120)};
    std::string bytes[2];
    for (int v = 0; v < 2; ++v) {
        versions[v].FilePath = target.string();
        SaveProject(versions[v], work.folder(), GzipCompressor());
        bytes[v] = test::slurp(target);
    }
    ASSERT_NE(bytes[0], bytes[1]);
    int leftBehind = 0;
    killWhileWriting(
        target, [&](int v) { SaveProject(versions[v], work.folder(), GzipCompressor()); },
        [&] {
            const std::string now = test::slurp(target);
            ASSERT_TRUE(now == bytes[0] || now == bytes[1]) << "a mixed or cut file";
            EXPECT_NO_THROW(readProjectFile(target, GzipCompressor()));
            leftBehind += temporaries(target) > 0;
        });
    std::cout << "[ kills    ] " << killCount() << " saves killed, " << leftBehind
              << " left a temporary file\n";
    SaveProject(versions[0], work.folder(), GzipCompressor()); // cleans what the kills left
    EXPECT_EQ(temporaries(target), 0);
}

TEST_F(CrashSafetyTest, KilledBackupLeavesAWholeLog) {
    test::TempFolder work;
    const GzipCompressor gzip;
    Song versions[2] = {bigSong(3, 100), bigSong(4, 100)};
    std::string bytes[2];
    for (int v = 0; v < 2; ++v) {
        BackupWriter b{gzip};
        b.start(versions[v], work.folder());
        b.wait();
        bytes[v] = test::slurp(work.folder().backup());
    }
    const fs::path log = work.folder().backup();
    killWhileWriting(
        log,
        [&](int v) {
            BackupWriter b{gzip};
            b.start(versions[v], work.folder());
            b.wait();
        },
        [&] {
            const std::string now = test::slurp(log);
            ASSERT_TRUE(now == bytes[0] || now == bytes[1]);
        });
}

TEST_F(CrashSafetyTest, KilledExportLeavesTheOldOrTheNewMidiFile) {
    test::TempFolder work;
    Song versions[2] = {bigSong(5, 150), bigSong(6, 150)};
    const fs::path mid = tmp.path() / "song.mid";
    const auto exportVersion = [&](int v) {
        NullMidiOut quiet;
        WriteMidiFile(versions[v], work.folder(), quiet, IconvShiftJis(), mid,
                      MidiExportOptions::forExport());
    };
    std::string bytes[2];
    for (int v = 0; v < 2; ++v) {
        exportVersion(v);
        bytes[v] = test::slurp(mid);
    }
    killWhileWriting(mid, exportVersion, [&] {
        const std::string now = test::slurp(mid);
        ASSERT_TRUE(now == bytes[0] || now == bytes[1]);
    });
}

// A disk that fills up half-way through a save.
TEST_F(CrashSafetyTest, FullDiskFailsTheSaveAndTheExportAndKeepsTheOldFiles) {
    const fs::path disk = tmp.path() / "small-disk";
    fs::create_directory(disk);
    if (::geteuid() != 0 || ::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=96k") != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    test::TempFolder work;
    Song small = test::freshSong();
    small.FilePath = (disk / "song.zelk").string();
    SaveProject(small, work.folder(), GzipCompressor());
    const std::string old = test::slurp(small.FilePath);
    writeWholeFile(disk / "song.mid", "old midi");
    {
        // Whatever room is left goes to a filler, then half a block of it comes free.
        std::ofstream filler(disk / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            ;
    }
    fs::resize_file(disk / "filler", fs::file_size(disk / "filler") - 2048);
    Song big = bigSong(7, 299);
    big.FilePath = small.FilePath;
    EXPECT_THROW(SaveProject(big, work.folder(), GzipCompressor()), ProjectFileError);
    EXPECT_TRUE(test::slurp(small.FilePath) == old);
    NullMidiOut quiet;
    EXPECT_ANY_THROW(WriteMidiFile(big, work.folder(), quiet, IconvShiftJis(), disk / "song.mid",
                                   MidiExportOptions::forExport()));
    EXPECT_EQ(test::slurp(disk / "song.mid"), "old midi");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(disk))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    ::umount(disk.c_str());
    EXPECT_EQ(names, (std::vector<std::string>{"filler", "song.mid", "song.zelk"}));
}

// open, write, fsync, close or rename failing under zelk-tool: it says so and the old
// file stays, alone.
TEST_F(CrashSafetyTest, FailingSystemCallsAreReportedAndKeepTheOldFile) {
    test::TempFolder songFolder;
    const std::string in = test::writeSampleSong(songFolder, path("in.zelk"));
    for (const char* call : {"open", "write", "fsync", "close", "rename"}) {
        for (const auto& [command, out] :
             {std::pair{"resave", path("out.zelk")}, std::pair{"export-midi", path("out.mid")}}) {
            writeWholeFile(out, "old");
            const std::string env =
                std::string("LD_PRELOAD=") + ZELK_FAIL_SHIM +
                " ASAN_OPTIONS=verify_asan_link_order=0 ZELK_FAIL_CALL=" + call +
                " ZELK_FAIL_MATCH=out.";
            const test::ToolRun r = tool({command, in, out}, env);
            EXPECT_EQ(r.exitCode, 1) << call << " " << command << ": " << r.err;
            EXPECT_EQ(r.err.rfind(out + ": ", 0), 0u) << call << " " << command << ": " << r.err;
            EXPECT_EQ(test::slurp(out), "old") << call << " " << command;
            EXPECT_EQ(temporaries(out), 0) << call << " " << command;
        }
    }
}

} // namespace
} // namespace zelk
