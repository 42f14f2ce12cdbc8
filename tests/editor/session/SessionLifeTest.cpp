#include "editor/session/SessionLife.h"

#include "editor/session/BackupWriter.h"

#include "editor/session/SongReset.h"
#include "editor/session/SongSettings.h"
#include "files/TextLines.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "support/FakeMidiOut.h"
#include "support/FakePrompts.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <latch>

namespace zelk {
namespace {

namespace fs = std::filesystem;

class SessionLifeTest : public ::testing::Test {
protected:
    SessionLifeTest() { ResetSong(song, editor); }
    FileContext ctx() { return {song, editor, app.folder(), midi, gzip, prompts, recent}; }
    // A project elsewhere with a note in part 0 and one in part 5.
    std::string project(const char* name, const char* title) {
        test::TempFolder other;
        Song s = test::freshSong();
        s.SongTitle = title;
        s.CurPart = 5;
        test::putNote(s, 30, 4, 8);
        SavePartFile(s, other.folder());
        s.part.clearForSwitch();
        s.part.resetHeader();
        s.CurPart = 0;
        test::putNote(s, 28, 16, 8);
        s.FilePath = (files.path() / name).string();
        SaveProject(s, other.folder(), gzip);
        return s.FilePath;
    }
    void crashLeftovers() {
        for (const char* f :
             {"0", "7", "undo1", "undo12", "copy", "rec.mid", "work", "wav", ".wav.part", "3.new"})
            writeWholeFile(app.folder().file(f), "left by a crash");
    }

    test::TempFolder app;
    test::TempFolder files;
    Song song = test::freshSong();
    EditorState editor;
    test::FakeMidiOut midi;
    GzipCompressor gzip;
    test::FakePrompts prompts;
    RecentFiles recent{};
};

// A crash before the first backup left work files that came back after a part switch.
TEST_F(SessionLifeTest, WithoutABackupEveryLeftoverGoes) {
    crashLeftovers();
    writeWholeFile(app.folder().settings(), "kept");
    writeWholeFile(app.folder().file("undo"), "not a snapshot name");
    removeOrphanedTempFiles(app.folder());
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(app.path()))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"undo", "zelk.ini"}));
}

TEST_F(SessionLifeTest, WithABackupTheWorkFilesWaitForTheRecovery) {
    crashLeftovers();
    fs::copy_file(project("a.zelk", "A"), app.folder().backup());
    removeOrphanedTempFiles(app.folder());
    EXPECT_TRUE(fs::exists(app.folder().workFile(7)));
    EXPECT_FALSE(fs::exists(app.folder().file("undo1")));
    EXPECT_FALSE(fs::exists(app.folder().clipboard()));
}

TEST_F(SessionLifeTest, CommandLineProjectLosesItsQuotes) {
    const std::string path = project("a.zelk", "From the command line");
    auto c = ctx();
    EXPECT_TRUE(openCommandLineProject(c, "\"" + path + "\""));
    EXPECT_EQ(song.FilePath, path);
    EXPECT_EQ(song.FileName, "a.zelk");
    EXPECT_EQ(song.SongTitle, "From the command line");
    EXPECT_NE(song.part.Grid(28, 16), 0);
}

TEST_F(SessionLifeTest, RelativeCommandLineProjectIsRememberedWithItsFolder) {
    const std::string path = project("a.zelk", "Relative");
    const auto before = fs::current_path();
    fs::current_path(files.path());
    auto c = ctx();
    const bool opened = openCommandLineProject(c, "./a.zelk");
    fs::current_path(before);
    EXPECT_TRUE(opened);
    EXPECT_EQ(song.FilePath, fs::path(path).lexically_normal().string());
    EXPECT_EQ(song.FileName, "a.zelk");
}

TEST_F(SessionLifeTest, RefusedCommandLineProjectLeavesTheEmptySongAndNamesThePath) {
    writeWholeFile(files.path() / "bad.zelk", "junk");
    auto c = ctx();
    EXPECT_FALSE(openCommandLineProject(c, (files.path() / "bad.zelk").string()));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "MOpen@オープンできません");
    EXPECT_EQ(prompts.messages[0].detail.rfind((files.path() / "bad.zelk").string() + ": ", 0), 0u)
        << prompts.messages[0].detail;
    EXPECT_EQ(song.FilePath, "");
    EXPECT_EQ(song.SongTitle, "title");
}

TEST_F(SessionLifeTest, RecoveryReplacesTheCommandLineSongAndHasNoName) {
    const std::string cmdLine = project("a.zelk", "A");
    fs::copy_file(project("b.zelk", "Backed up"), app.folder().backup());
    writeWholeFile(app.folder().workFile(9), "a crashed run's part 9"); // not in the backup
    auto c = ctx();
    openCommandLineProject(c, cmdLine);
    song.Dirty = 1;
    EXPECT_TRUE(recoverFromBackup(c));
    EXPECT_EQ(song.SongTitle, "Backed up");
    EXPECT_EQ(song.FilePath, "");
    EXPECT_EQ(song.FileName, "");
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_FALSE(fs::exists(app.folder().workFile(9)));
    EXPECT_TRUE(fs::exists(app.folder().workFile(5)));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "復元しました");
}

// A refused backup was dropped without a word, overwritten by the next backup within a
// minute, and the crashed run's work files mixed into the fresh song.
TEST_F(SessionLifeTest, ARefusedBackupIsReportedKeptAsLogBadAndItsWorkFilesGo) {
    writeWholeFile(app.folder().backup(), "not a gzip stream");
    writeWholeFile(app.folder().workFile(3), "a crashed run's part 4");
    auto c = ctx();
    EXPECT_FALSE(recoverFromBackup(c));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "復元できませんでした");
    EXPECT_NE(prompts.messages[0].detail, "");
    EXPECT_FALSE(fs::exists(app.folder().backup()));
    EXPECT_EQ(test::slurp(app.folder().file("log.bad")), "not a gzip stream");
    EXPECT_FALSE(fs::exists(app.folder().workFile(3)));
}

TEST_F(SessionLifeTest, ARefusedBackupLeavesTheCommandLineSongsWorkFiles) {
    const std::string cmdLine = project("a.zelk", "A");
    writeWholeFile(app.folder().backup(), "not a gzip stream");
    auto c = ctx();
    ASSERT_TRUE(openCommandLineProject(c, cmdLine));
    EXPECT_FALSE(recoverFromBackup(c));
    EXPECT_EQ(song.SongTitle, "A");
    EXPECT_TRUE(fs::exists(app.folder().workFile(5)));
}

TEST_F(SessionLifeTest, NoBackupNoRecovery) {
    auto c = ctx();
    EXPECT_FALSE(recoverFromBackup(c));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(SessionLifeTest, BackupKeepsFilePathAndDirtyAndHoldsTheSong) {
    test::putNote(song, 28, 0, 8);
    song.FilePath = "/somewhere/mine.zelk";
    song.Dirty = 1;
    BackupWriter backup{gzip};
    ASSERT_TRUE(backup.start(song, app.folder()));
    backup.wait();
    EXPECT_EQ(backup.result(), true);
    EXPECT_EQ(backup.result(), std::nullopt); // reported once
    EXPECT_EQ(song.FilePath, "/somewhere/mine.zelk");
    EXPECT_EQ(song.Dirty, 1);
    Song restored = test::freshSong();
    restored.FilePath = app.folder().backup().string();
    test::TempFolder other;
    test::FakeMidiOut quiet;
    LoadProject(restored, other.folder(), gzip, quiet);
    EXPECT_NE(restored.part.Grid(28, 0), 0);
}

TEST_F(SessionLifeTest, FailingBackupIsReportedAndTheNextOneTriesAgain) {
    fs::create_directory(app.folder().backup()); // "log" cannot be replaced
    BackupWriter backup{gzip};
    ASSERT_TRUE(backup.start(song, app.folder()));
    backup.wait();
    EXPECT_EQ(backup.result(), false);
    fs::remove(app.folder().backup());
    ASSERT_TRUE(backup.start(song, app.folder()));
    backup.wait();
    EXPECT_EQ(backup.result(), true);
}

TEST_F(SessionLifeTest, DamagedWorkFileFailsTheBackupWithoutAWorker) {
    writeWholeFile(app.folder().workFile(4), "damaged");
    BackupWriter backup{gzip};
    EXPECT_FALSE(backup.start(song, app.folder()));
    EXPECT_FALSE(backup.busy());
    EXPECT_EQ(backup.result(), false);
    EXPECT_FALSE(fs::exists(app.folder().backup()));
}

// A compressor that holds the worker until the test lets it go.
class HeldCompressor : public Compressor {
public:
    std::string compress(std::string_view text) const override {
        released.wait();
        return GzipCompressor().compress(text);
    }
    std::string expand(std::string_view data, size_t max) const override {
        return GzipCompressor().expand(data, max);
    }
    mutable std::latch released{1};
};

TEST_F(SessionLifeTest, TickWhileTheLastBackupStillWritesIsSkipped) {
    HeldCompressor held;
    BackupWriter backup{held};
    ASSERT_TRUE(backup.start(song, app.folder()));
    EXPECT_TRUE(backup.busy());
    EXPECT_EQ(backup.result(), std::nullopt);
    test::putNote(song, 28, 0, 8);
    EXPECT_FALSE(backup.start(song, app.folder())); // the text in flight is not touched
    held.released.count_down();
    backup.wait();
    EXPECT_EQ(backup.result(), true);
}

TEST_F(SessionLifeTest, ShutdownStopsThePlayerFirstAndLeavesOnlyTheSettings) {
    crashLeftovers();
    writeWholeFile(app.folder().backup(), "log");
    song.undo.SnapshotNo = 12;
    Settings settings;
    settings.recent[0] = "/newest.zelk";
    editor.keys.KeyAssign[0] = 3;
    const ColorTable colors = defaultColorTable();
    std::vector<std::string> order;
    Shutdown({song, app.folder(), editor, colors, settings,
              [&] {
                  order.push_back(fs::exists(app.folder().backup()) ? "player, log still there"
                                                                    : "player late");
              },
              [&] {
                  order.push_back(fs::exists(app.folder().settings()) ? "window after ini"
                                                                      : "window early");
              },
              // A backup still in flight finishes now, writing "log" once more: it must
              // not outlive the run, or the next start restores a discarded song.
              [&] {
                  order.push_back("backup waited for");
                  writeWholeFile(app.folder().backup(), "late backup");
              }});
    EXPECT_EQ(order, (std::vector<std::string>{"player, log still there", "backup waited for",
                                               "window after ini"}));
    for (const char* gone : {"0", "7", "undo1", "undo12", "copy", "rec.mid", "work", "log"})
        EXPECT_FALSE(fs::exists(app.folder().file(gone))) << gone;
    const Settings written = readSettingsFile(app.folder());
    EXPECT_EQ(written.recent[0], "/newest.zelk");
    EXPECT_EQ(written.KeyAssign[0], 3);
}

TEST(SongSettingsTest, TextsThatCannotBeReadBackAreRefused) {
    EXPECT_EQ(songTextRefusal("My song"), std::nullopt);
    EXPECT_EQ(songTextRefusal("-7"), std::nullopt);
    EXPECT_EQ(songTextRefusal("a -3 b"), std::nullopt);
    EXPECT_EQ(songTextRefusal("two\nlines"), kTextHasLineBreak);
    EXPECT_EQ(songTextRefusal("cr\rhere"), kTextHasLineBreak);
    for (const char* m : {"-1", "-2", "-3", "-4", "-5", "-6", " -4 ", "\t-2"})
        EXPECT_EQ(songTextRefusal(m), kTextIsMarker) << m;
}

TEST(SongSettingsTest, ClosingTakesTheTextsAndScrollsToMeasureOne) {
    Song song = test::freshSong();
    EditorState editor;
    ResetSong(song, editor);
    editor.view.FirstMeasure = 7;
    EXPECT_EQ(Form3_Command1_Click(song, editor, "New", "(C) me"), std::nullopt);
    EXPECT_EQ(song.SongTitle, "New");
    EXPECT_EQ(song.SongCopyright, "(C) me");
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(editor.view.FirstMeasure, 1);
}

TEST(SongSettingsTest, RefusedTextKeepsBothOldTexts) {
    Song song = test::freshSong();
    EditorState editor;
    ResetSong(song, editor);
    EXPECT_EQ(Form3_Command1_Click(song, editor, "ok", "-5"), kTextIsMarker);
    EXPECT_EQ(song.SongTitle, "title");
    EXPECT_EQ(song.SongCopyright, "Copyright(C) by ?");
    EXPECT_EQ(song.Dirty, 0);
}

// Ticking a rhythm part changes the song but did not count as a change.
TEST(SongSettingsTest, RhythmPartBoxActsAtOnceAndMakesTheSongDirty) {
    Song song = test::freshSong();
    Form3_Check1_Click(song, 9, false);
    Form3_Check1_Click(song, 2, true);
    EXPECT_EQ(song.DrumPart[9], 0);
    EXPECT_EQ(song.DrumPart[2], 1);
    EXPECT_EQ(song.Dirty, 1);
}

} // namespace
} // namespace zelk
