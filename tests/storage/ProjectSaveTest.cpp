#include "StorageTestSupport.h"

#include "files/ReplacingFile.h"
#include "files/TextLines.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "ports/Compressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"
#include "storage/ProjectText.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace zelk {
namespace {

namespace fs = std::filesystem;

class FailingCompressor : public Compressor {
public:
    std::string compress(std::string_view) const override {
        throw std::runtime_error("compression failed");
    }
    std::string expand(std::string_view, size_t) const override { return {}; }
};

class ProjectSaveTest : public ::testing::Test {
protected:
    ProjectSaveTest() {
        song.FilePath = file.string();
        test::putNote(song, 28, 0, 8);
        song.Dirty = 1;
    }
    std::string expanded(const fs::path& p) { return gzip.expand(test::slurp(p), kMaxProjectText); }
    // Files in the folder besides the expected ones: leftovers of a failed save.
    std::vector<std::string> strayFiles() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(tmp.path()))
            if (e.path().filename().string().find(".tmp") != std::string::npos)
                names.push_back(e.path().filename().string());
        return names;
    }

    test::TempFolder tmp;
    fs::path file = tmp.path() / "song.zelk";
    Song song = test::freshSong();
    GzipCompressor gzip;
};

TEST_F(ProjectSaveTest, FileIsTheGzipOfTheProjectText) {
    writeWholeFile(tmp.folder().workFile(4), formatPartFile(song.part));
    SaveProject(song, tmp.folder(), gzip);
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(expanded(file), formatProjectText(song, readWorkFiles(tmp.folder())));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(ProjectSaveTest, CurrentPartWorkFileExistsExactlyWhenThePartHasNotes) {
    SaveProject(song, tmp.folder(), gzip);
    EXPECT_EQ(test::slurp(tmp.folder().workFile(0)), formatPartFile(song.part));
    Song empty = test::freshSong();
    empty.FilePath = (tmp.path() / "empty.zelk").string();
    empty.CurPart = 7;
    SaveProject(empty, tmp.folder(), gzip);
    EXPECT_FALSE(fs::exists(tmp.folder().workFile(7)));
}

TEST_F(ProjectSaveTest, SavingOverAFolderFailsAndLeavesIt) {
    fs::create_directories(file / "inside");
    EXPECT_THROW(SaveProject(song, tmp.folder(), gzip), ProjectFileError);
    EXPECT_TRUE(fs::is_directory(file / "inside"));
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(ProjectSaveTest, FailedSaveLeavesTheOldFile) {
    writeWholeFile(file, "old project");
    EXPECT_THROW(SaveProject(song, tmp.folder(), FailingCompressor()), ProjectFileError);
    writeWholeFile(tmp.folder().workFile(5), "1\r\n0\r\n"); // damaged part: refused
    EXPECT_THROW(SaveProject(song, tmp.folder(), gzip), ProjectFileError);
    EXPECT_EQ(test::slurp(file), "old project");
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(ProjectSaveTest, SavingIntoAMissingFolderFails) {
    song.FilePath = (tmp.path() / "no" / "such.zelk").string();
    EXPECT_THROW(SaveProject(song, tmp.folder(), gzip), ProjectFileError);
    song.FilePath.clear();
    EXPECT_THROW(SaveProject(song, tmp.folder(), gzip), ProjectFileError);
}

TEST_F(ProjectSaveTest, ReadOnlyFolderFailsAndLeavesTheOldFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const fs::path dir = tmp.path() / "ro";
    fs::create_directory(dir);
    writeWholeFile(dir / "song.zelk", "old project");
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    song.FilePath = (dir / "song.zelk").string();
    EXPECT_THROW(SaveProject(song, tmp.folder(), gzip), ProjectFileError);
    fs::permissions(dir, fs::perms::owner_all);
    EXPECT_EQ(test::slurp(dir / "song.zelk"), "old project");
}

TEST_F(ProjectSaveTest, ReplacedFileKeepsItsPermissionsAndSymlink) {
    writeWholeFile(tmp.path() / "real.zelk", "old");
    ::chmod((tmp.path() / "real.zelk").c_str(), 0640);
    fs::create_symlink("real.zelk", file);
    SaveProject(song, tmp.folder(), gzip);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_NE(test::slurp(tmp.path() / "real.zelk"), "old");
    struct stat st {};
    ASSERT_EQ(::stat((tmp.path() / "real.zelk").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFileTest, ReplacesTheWholeContent) {
    test::TempFolder tmp;
    const fs::path target = tmp.path() / "f";
    writeWholeFile(target, "a much longer old content");
    writeFileAtomically(target, "new");
    EXPECT_EQ(test::slurp(target), "new");
}

} // namespace
} // namespace zelk
