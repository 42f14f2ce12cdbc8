#include "StorageTestSupport.h"

#include "files/TextLines.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"
#include "storage/Snapshots.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zelk {
namespace {

namespace fs = std::filesystem;

class SnapshotsTest : public ::testing::Test {
protected:
    SnapshotsTest() {
        song.FilePath = "/home/user/song.zelk";
        test::putNote(song, 28, 0, 8);
    }
    test::TempFolder tmp;
    Song song = test::freshSong();
    GzipCompressor gzip;
    test::FakeMidiOut midi;
};

TEST_F(SnapshotsTest, RecordSavesTheNextSnapshotAndPushesItsRecord) {
    song.undo.SnapshotNo = 6;
    const int n = recordSnapshot(song, tmp.folder(), gzip, {96, 4, 3});
    EXPECT_EQ(n, 7);
    EXPECT_EQ(song.undo.SnapshotNo, 7);
    EXPECT_TRUE(fs::exists(tmp.folder().snapshotFile(7)));
    EXPECT_EQ(song.FilePath, "/home/user/song.zelk");
    EXPECT_EQ(song.Dirty, 1); // the save cleared it; a snapshot is no save for the user
    EXPECT_EQ(song.undo.UndoPos, 2);
    const UndoRecord& r = song.undo.at(2);
    EXPECT_EQ(r.kind, 7);
    EXPECT_EQ(r.viewCol, 96);
    EXPECT_EQ(r.firstMeasure, 4);
    EXPECT_EQ(r.part, 3);
    EXPECT_EQ(song.undo.at(3).kind, -1); // the redo chain ends after it
}

TEST_F(SnapshotsTest, FailedSnapshotRecordsNothing) {
    fs::create_directories(tmp.folder().snapshotFile(1) / "x"); // a folder in the way
    EXPECT_THROW(recordSnapshot(song, tmp.folder(), gzip, {}), ProjectFileError);
    EXPECT_EQ(song.undo.UndoPos, 1);
    EXPECT_EQ(song.undo.SnapshotNo, 0);
    EXPECT_EQ(song.FilePath, "/home/user/song.zelk");
}

// The "before" snapshot was recorded at once; a failure of the "after" one (disk full, a
// damaged work file) left half a pair, which undo then paired with an older snapshot.
TEST_F(SnapshotsTest, APairWhoseSecondSnapshotFailsRecordsNeitherHalf) {
    fs::create_directories(tmp.folder().snapshotFile(2) / "x"); // the "after" file's place
    SnapshotPair failing(song, tmp.folder(), gzip, {0, 1, 0});
    EXPECT_THROW(failing.finish({0, 1, 0}), ProjectFileError);
    EXPECT_EQ(song.undo.UndoPos, 1);
    EXPECT_EQ(song.undo.SnapshotNo, 1) << "the written half is still a file to clean up";
}

TEST_F(SnapshotsTest, APairRecordsBothSnapshotsOnlyWhenBothAreWritten) {
    SnapshotPair pair(song, tmp.folder(), gzip, {8, 1, 2});
    EXPECT_EQ(song.undo.UndoPos, 1) << "nothing recorded before the change is done";
    pair.finish({16, 3, 2});
    EXPECT_EQ(song.undo.UndoPos, 3);
    EXPECT_EQ(song.undo.at(2).kind, 1);
    EXPECT_EQ(song.undo.at(2).viewCol, 8);
    EXPECT_EQ(song.undo.at(3).kind, 2);
    EXPECT_EQ(song.undo.at(3).firstMeasure, 3);
    EXPECT_EQ(song.Dirty, 1);
}

TEST_F(SnapshotsTest, RestoreBringsBackTheSongAndOnlyItsWorkFiles) {
    recordSnapshot(song, tmp.folder(), gzip, {});
    const NoteGrid taken = song.part.Grid;
    // Change the song after the snapshot: another note, another part's work file.
    test::putNote(song, 10, 40, 4);
    song.SongTitle = "changed";
    writeWholeFile(tmp.folder().workFile(6), formatPartFile(song.part));
    restoreSnapshot(song, tmp.folder(), gzip, midi, 1);
    EXPECT_TRUE(song.part.Grid == taken);
    EXPECT_EQ(song.SongTitle, "title");
    EXPECT_FALSE(fs::exists(tmp.folder().workFile(6)));
    EXPECT_TRUE(fs::exists(tmp.folder().workFile(0)));
    EXPECT_EQ(song.FilePath, "/home/user/song.zelk");
}

TEST_F(SnapshotsTest, DamagedSnapshotChangesNothing) {
    writeWholeFile(tmp.folder().snapshotFile(3), "not a project");
    writeWholeFile(tmp.folder().workFile(6), "kept");
    song.Dirty = 1;
    EXPECT_THROW(restoreSnapshot(song, tmp.folder(), gzip, midi, 3), ProjectFileError);
    EXPECT_EQ(test::slurp(tmp.folder().workFile(6)), "kept");
    EXPECT_EQ(song.FilePath, "/home/user/song.zelk");
    EXPECT_EQ(song.Dirty, 1);
}

TEST(ClearTempFilesTest, ListsWorkFilesSnapshotsWorkAndCopyInThatOrder) {
    test::TempFolder tmp;
    Song song = test::freshSong();
    song.undo.SnapshotNo = 2;
    std::vector<fs::path> expected;
    for (int p = 0; p < 16; ++p)
        expected.push_back(tmp.path() / std::to_string(p));
    expected.push_back(tmp.path() / "undo1");
    expected.push_back(tmp.path() / "undo2");
    expected.push_back(tmp.path() / "work");
    expected.push_back(tmp.path() / "copy");
    EXPECT_EQ(tempFiles(song, tmp.folder()), expected);
}

TEST(ClearTempFilesTest, DeletesTheTemporaryFilesAndNothingElse) {
    test::TempFolder tmp;
    Song song = test::freshSong();
    song.undo.SnapshotNo = 2;
    const char* removed[] = {"0", "9", "15", "undo1", "undo2", "work", "copy"};
    // Kept: the backup, the playback file, settings, a snapshot of a number never made.
    const char* kept[] = {"log", "rec.mid", "zelk.ini", "undo3", "16", "song.zelk"};
    for (const char* name : removed)
        writeWholeFile(tmp.folder().file(name), "x");
    for (const char* name : kept)
        writeWholeFile(tmp.folder().file(name), "x");
    ClearTempFiles(song, tmp.folder());
    for (const char* name : removed)
        EXPECT_FALSE(fs::exists(tmp.folder().file(name))) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(tmp.folder().file(name))) << name;
}

} // namespace
} // namespace zelk
