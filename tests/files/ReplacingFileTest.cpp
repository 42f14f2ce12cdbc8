#include "files/ReplacingFile.h"

#include "files/TextLines.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace zelk {
namespace {

namespace fs = std::filesystem;

class ReplacingFileTest : public ::testing::Test {
protected:
    test::TempFolder tmp;
    fs::path target = tmp.path() / "out.mid";

    void writeAll(ReplacingFile& f, const std::string& s) {
        f.write({reinterpret_cast<const uint8_t*>(s.data()), s.size()});
    }
    size_t entries() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(tmp.path()), {}));
    }
};

TEST_F(ReplacingFileTest, TargetAppearsOnlyOnCommit) {
    ReplacingFile f(target);
    writeAll(f, "MThd");
    writeAll(f, "more");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(f.tempPath().parent_path(), tmp.path());
    f.commit();
    EXPECT_EQ(test::slurp(target), "MThdmore");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFileTest, AbandonedFileLeavesTheOldTargetAndNoTemporaryFile) {
    writeWholeFile(target, "old");
    {
        ReplacingFile f(target);
        writeAll(f, "half");
    }
    EXPECT_EQ(test::slurp(target), "old");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFileTest, ReplacedFileKeepsItsPermissions) {
    writeWholeFile(target, "old");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ReplacingFile f(target);
    writeAll(f, "new");
    f.commit();
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ReplacingFileTest, SymbolicLinkStaysALink) {
    const fs::path real = tmp.path() / "real.mid";
    writeWholeFile(real, "old");
    fs::create_symlink(real, target);
    ReplacingFile f(target);
    writeAll(f, "new");
    f.commit();
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_EQ(test::slurp(real), "new");
}

TEST_F(ReplacingFileTest, MissingFolderThrowsNamingTheTarget) {
    const fs::path bad = tmp.path() / "missing" / "out.mid";
    try {
        ReplacingFile f(bad);
        FAIL() << "no error";
    } catch (const std::system_error& e) {
        EXPECT_NE(std::string(e.what()).find(bad.string()), std::string::npos) << e.what();
    }
}

TEST_F(ReplacingFileTest, TargetThatIsAFolderIsRefusedBeforeAnythingIsWritten) {
    fs::create_directory(target);
    EXPECT_THROW(ReplacingFile f(target), std::system_error);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(entries(), 1u);
}

// Renaming over a FIFO used to turn it into a regular file.
TEST_F(ReplacingFileTest, FifoTargetIsWrittenInPlaceAndStaysAFifo) {
    ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
    std::string heard;
    std::thread reader([&] { heard = test::slurp(target); });
    writeFileAtomically(target, "through the pipe");
    reader.join();
    EXPECT_EQ(heard, "through the pipe");
    EXPECT_TRUE(fs::is_fifo(target));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFileTest, LinkToAFifoIsWrittenThroughAndStaysALink) {
    const fs::path fifo = tmp.path() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink(fifo, target);
    std::string heard;
    std::thread reader([&] { heard = test::slurp(fifo); });
    writeFileAtomically(target, "linked");
    reader.join();
    EXPECT_EQ(heard, "linked");
    EXPECT_TRUE(fs::is_symlink(target));
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// A target like /dev/null must survive; only root can make a device node to try it on.
TEST_F(ReplacingFileTest, CharacterDeviceTargetStaysTheDevice) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "making a device node needs root";
    ASSERT_EQ(::mknod(target.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0); // like /dev/null
    writeFileAtomically(target, "discarded");
    EXPECT_TRUE(fs::is_character_file(target));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplacingFileTest, SocketTargetIsRefused) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string name = target.string();
    ASSERT_LT(name.size(), sizeof addr.sun_path);
    std::memcpy(addr.sun_path, name.c_str(), name.size() + 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_THROW(writeFileAtomically(target, "x"), std::system_error);
    EXPECT_TRUE(fs::is_socket(target));
    ::close(fd);
}

class StaleTemporaryTest : public ReplacingFileTest {
protected:
    // The id of a process that has ended.
    static pid_t endedProcess() {
        const pid_t pid = ::fork();
        if (pid == 0)
            ::_exit(0);
        ::waitpid(pid, nullptr, 0);
        return pid;
    }
    fs::path temporaryOf(pid_t pid, const char* name = "out.mid") {
        return tmp.path() / ("." + std::string(name) + "." + std::to_string(pid) + ".123.tmp");
    }
};

TEST_F(StaleTemporaryTest, TemporaryFileNamesTheWriter) {
    ReplacingFile f(target);
    const std::string name = f.tempPath().filename().string();
    EXPECT_EQ(name.rfind(".out.mid." + std::to_string(::getpid()) + ".", 0), 0u) << name;
}

// A save killed half-way left its temporary file for ever.
TEST_F(StaleTemporaryTest, NextWriteRemovesTemporariesOfEndedWritersOnly) {
    const fs::path stale = temporaryOf(endedProcess());
    const fs::path live = temporaryOf(::getppid());
    const fs::path otherTarget = temporaryOf(endedProcess(), "other.mid");
    const fs::path notOurs = tmp.path() / ".out.mid.notapid.tmp";
    for (const auto& p : {stale, live, otherTarget, notOurs})
        writeWholeFile(p, "half a song");
    writeFileAtomically(target, "new");
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(otherTarget));
    EXPECT_TRUE(fs::exists(notOurs));
    EXPECT_EQ(test::slurp(target), "new");
}

TEST_F(StaleTemporaryTest, CountsWhatItRemoved) {
    writeWholeFile(temporaryOf(endedProcess()), "a");
    writeWholeFile(temporaryOf(endedProcess()), "b");
    EXPECT_EQ(removeStaleTemporaries(target), 2);
    EXPECT_EQ(removeStaleTemporaries(target), 0);
}

} // namespace
} // namespace zelk
