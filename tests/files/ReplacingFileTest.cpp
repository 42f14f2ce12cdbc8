#include "files/ReplacingFile.h"

#include "files/TextLines.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>

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

TEST_F(ReplacingFileTest, TargetThatIsAFolderIsNotReplaced) {
    fs::create_directory(target);
    ReplacingFile f(target);
    writeAll(f, "x");
    EXPECT_THROW(f.commit(), std::system_error);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(entries(), 1u);
}

} // namespace
} // namespace zelk
