#include "editor/session/FileCommands.h"

#include "editor/session/SongReset.h"
#include "files/TextLines.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "storage/StorageTestSupport.h"
#include "support/FakeMidiOut.h"
#include "support/FakePrompts.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace zelk {
namespace {

namespace fs = std::filesystem;

class FileCommandsTest : public ::testing::Test {
protected:
    FileCommandsTest() { ResetSong(song, editor); }

    // A project file elsewhere with one note at column `col` of part 0 and a title.
    std::string projectWithNote(const char* name, int col, const char* title = "stored") {
        test::TempFolder other;
        Song s = test::freshSong();
        s.SongTitle = title;
        test::putNote(s, 28, col, 8);
        s.FilePath = (files.path() / name).string();
        SaveProject(s, other.folder(), gzip);
        return s.FilePath;
    }
    // The song is dirty with a note of its own.
    void editSomething() {
        test::putNote(song, 20, 40, 4);
        song.Dirty = 1;
        song.FilePath = (files.path() / "mine.zelk").string();
        song.FileName = "mine.zelk";
    }
    FileContext ctx() { return {song, editor, app.folder(), midi, gzip, prompts, recent}; }

    test::TempFolder app;   // the program folder
    test::TempFolder files; // where the user's files live
    Song song = test::freshSong();
    EditorState editor;
    test::FakeMidiOut midi;
    GzipCompressor gzip;
    test::FakePrompts prompts;
    RecentFiles recent{"/a.zelk", "/b.zelk", "/c.zelk", "/d.zelk", "/e.zelk"};
};

TEST(RecentFilesTest, ThirdEntryMovesToTheHeadAndOnlyTheFirstTwoShift) {
    RecentFiles r{"a", "b", "c", "d", "e"};
    UpdateRecentMenu(r, "c");
    EXPECT_EQ(r, (RecentFiles{"c", "a", "b", "d", "e"}));
}

TEST(RecentFilesTest, NewEntryPushesTheOldestOut) {
    RecentFiles r{"a", "b", "c", "d", "e"};
    UpdateRecentMenu(r, "n");
    EXPECT_EQ(r, (RecentFiles{"n", "a", "b", "c", "d"}));
    UpdateRecentMenu(r, "n");
    EXPECT_EQ(r, (RecentFiles{"n", "a", "b", "c", "d"}));
    RecentFiles last{"a", "b", "c", "d", "e"};
    UpdateRecentMenu(last, "e"); // the fifth counts as not in the list: it falls out first
    EXPECT_EQ(last, (RecentFiles{"e", "a", "b", "c", "d"}));
}

TEST(RecentFilesTest, FileNameIsTheTextAfterTheLastSlash) {
    EXPECT_EQ(fileNameOf("/home/u/曲.zelk"), "曲.zelk");
    EXPECT_EQ(fileNameOf("plain.zelk"), "plain.zelk");
}

TEST_F(FileCommandsTest, QuestionNamesTheFileAndCancelLeavesEverything) {
    editSomething();
    const Song before = song;
    const RecentFiles recentBefore = recent;
    for (auto run :
         {+[](FileContext& c) { Mnew_Click(c); }, +[](FileContext& c) { Mopen_Click(c); },
          +[](FileContext& c) { Mrireki_Click(c, 0); },
          +[](FileContext& c) { dropFiles(c, {"/x/other.zelk"}); }}) {
        auto c = ctx();
        recent[0] = projectWithNote("recent.zelk", 8); // exists, so the question comes
        run(c);
    }
    ASSERT_EQ(prompts.questions.size(), 4u);
    EXPECT_EQ(prompts.questions[0].title, "ゼルク式MIDIシーケンサ");
    EXPECT_EQ(prompts.questions[0].text,
              "ファイル mine.zelk の内容は変更されてます。\r\n変更を保存しますか？");
    test::expectSameSong(song, before);
    EXPECT_EQ(recent[1], recentBefore[1]);
    EXPECT_TRUE(prompts.openDialogFolders.empty());
    auto c = ctx();
    EXPECT_FALSE(confirmQuit(c));
}

TEST_F(FileCommandsTest, CleanSongIsNotAsked) {
    auto c = ctx();
    EXPECT_TRUE(confirmQuit(c));
    Mnew_Click(c);
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(FileCommandsTest, NewAfterNoEmptiesTheSongAndItsFiles) {
    editSomething();
    SavePartFile(song, app.folder());
    writeWholeFile(app.folder().clipboard(), "copied");
    editor.view.FirstMeasure = 7;
    editor.palette.NoteLen = 32;
    editor.menus.Mundo = true;
    prompts.answers = {Answer::No};
    auto c = ctx();
    const FileOutcome o = Mnew_Click(c);
    EXPECT_TRUE(o.songReplaced);
    EXPECT_EQ(song.part.Grid(20, 40), 0);
    EXPECT_EQ(song.FilePath, "");
    EXPECT_EQ(song.FileName, "");
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(editor.view.FirstMeasure, 1);
    EXPECT_EQ(editor.palette.NoteLen, 8);
    EXPECT_FALSE(editor.menus.Mundo);
    EXPECT_FALSE(fs::exists(app.folder().workFile(0)));
    EXPECT_FALSE(fs::exists(app.folder().clipboard()));
    EXPECT_EQ(editor.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 1小節目 - ");
    EXPECT_EQ(fs::exists(files.path() / "mine.zelk"), false); // No saves nothing
}

TEST_F(FileCommandsTest, YesSavesFirstAndThenGoesOn) {
    editSomething();
    prompts.answers = {Answer::Yes};
    auto c = ctx();
    Mnew_Click(c);
    ASSERT_TRUE(fs::exists(files.path() / "mine.zelk"));
    EXPECT_EQ(recent[0], (files.path() / "mine.zelk").string());
    EXPECT_EQ(song.part.Grid(20, 40), 0);
}

// A save that cannot happen must not let the command throw the work away.
TEST_F(FileCommandsTest, YesWithAFailingOrCancelledSaveKeepsTheSong) {
    editSomething();
    song.FilePath = (files.path() / "missing-folder" / "mine.zelk").string();
    prompts.answers = {Answer::Yes};
    auto c = ctx();
    Mnew_Click(c);
    EXPECT_EQ(song.part.Grid(20, 40) != 0, true);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Msave@保存できません");
    song.FilePath.clear();
    prompts.answers = {Answer::Yes};
    Mnew_Click(c); // untitled: save as, whose dialog is cancelled
    EXPECT_EQ(prompts.saveDialogFolders.size(), 1u);
    EXPECT_EQ(song.part.Grid(20, 40) != 0, true);
}

TEST_F(FileCommandsTest, OpenLoadsTheChosenFileAndPutsItFirstInTheRecentList) {
    const std::string path = projectWithNote("song.zelk", 16, "Opened");
    recent[2] = path;
    prompts.openPaths = {path};
    auto c = ctx();
    const FileOutcome o = Mopen_Click(c);
    EXPECT_TRUE(o.songReplaced);
    EXPECT_EQ(song.SongTitle, "Opened");
    EXPECT_NE(song.part.Grid(28, 16), 0);
    EXPECT_EQ(song.FilePath, path);
    EXPECT_EQ(song.FileName, "song.zelk");
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(recent, (RecentFiles{path, "/a.zelk", "/b.zelk", "/d.zelk", "/e.zelk"}));
    EXPECT_EQ(editor.view.Title, "ゼルク式ＭＩＤＩシーケンサ - 1小節目 - song.zelk");
}

TEST_F(FileCommandsTest, OpenDialogStartsInTheCurrentFilesFolder) {
    auto c = ctx();
    Mopen_Click(c);
    song.FilePath = "/music/songs/a.zelk";
    Mopen_Click(c);
    EXPECT_EQ(prompts.openDialogFolders, (std::vector<std::string>{"", "/music/songs"}));
}

// Open used to empty the song before reading, so a damaged file left an empty song
// named after it, and the next save overwrote the file.
TEST_F(FileCommandsTest, RefusedFileChangesNothingAtAll) {
    editSomething();
    song.undo.UndoPos = 5;
    writeWholeFile(files.path() / "bad.zelk", "not a project");
    const Song before = song;
    prompts.answers = {Answer::No, Answer::No, Answer::No};
    prompts.openPaths = {(files.path() / "bad.zelk").string()};
    recent[3] = (files.path() / "bad.zelk").string();
    const RecentFiles withBad = recent;
    auto c = ctx();
    Mopen_Click(c);
    Mrireki_Click(c, 3);
    dropFiles(c, {(files.path() / "bad.zelk").string()});
    test::expectSameSong(song, before);
    EXPECT_EQ(song.undo.UndoPos, 5);
    EXPECT_EQ(recent, withBad);
    ASSERT_EQ(prompts.messages.size(), 3u);
    EXPECT_EQ(prompts.messages[0].text, "MOpen@オープンできません");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Stop);
    // The detail says which file and why.
    EXPECT_EQ(prompts.messages[0].detail,
              (files.path() / "bad.zelk").string() + ": project file is not a valid gzip stream");
    EXPECT_EQ(prompts.messages[1].text, "Mrireki@オープンできません");
    EXPECT_EQ(prompts.messages[2].text, "MOpen@オープンできません");
    EXPECT_EQ(test::slurp(files.path() / "bad.zelk"), "not a project");
}

TEST_F(FileCommandsTest, MissingRecentFileIsReportedWithItsPathAndNothingChanges) {
    editSomething();
    const Song before = song;
    recent[1] = "/gone/old.zelk";
    const RecentFiles recentBefore = recent;
    auto c = ctx();
    Mrireki_Click(c, 1);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "ファイル /gone/old.zelk はありません");
    EXPECT_EQ(prompts.messages[0].title, "ゼルク式MIDIシーケンサ");
    EXPECT_TRUE(prompts.questions.empty());
    test::expectSameSong(song, before);
    EXPECT_EQ(recent, recentBefore);
}

TEST_F(FileCommandsTest, OnlyDropsOfNamesEndingInLowerCaseZelkAreTaken) {
    const std::string upper = projectWithNote("song.ZELK", 8);
    writeWholeFile(files.path() / "notes.txt", "text");
    auto c = ctx();
    EXPECT_FALSE(dropFiles(c, {upper}).songReplaced);
    EXPECT_FALSE(dropFiles(c, {(files.path() / "notes.txt").string()}).songReplaced);
    EXPECT_FALSE(dropFiles(c, {}).songReplaced);
    EXPECT_TRUE(prompts.messages.empty());
    const std::string good = projectWithNote("song.zelk", 8, "Dropped");
    EXPECT_TRUE(dropFiles(c, {good, upper}).songReplaced);
    EXPECT_EQ(song.SongTitle, "Dropped");
}

TEST_F(FileCommandsTest, SaveOfAnUntitledSongAsksForANameAndCancelSavesNothing) {
    auto c = ctx();
    FileOutcome o;
    EXPECT_FALSE(Msave_Click(c, o));
    EXPECT_EQ(prompts.saveDialogFolders.size(), 1u);
    EXPECT_TRUE(fs::is_empty(files.path()));
    const std::string path = (files.path() / "new.zelk").string();
    prompts.savePaths = {path};
    EXPECT_TRUE(Msave_Click(c, o));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(song.FilePath, path);
    EXPECT_EQ(song.FileName, "new.zelk");
    EXPECT_EQ(recent[0], path);
    EXPECT_TRUE(o.recentChanged);
}

// A failing save of a titled song used to show nothing.
TEST_F(FileCommandsTest, FailingSaveShowsTheMessageAndKeepsTheOldFile) {
    const std::string path = projectWithNote("kept.zelk", 8, "Old");
    song.FilePath = path;
    song.FileName = "kept.zelk";
    song.Dirty = 1;
    const std::string oldBytes = test::slurp(path);
    writeWholeFile(app.folder().workFile(3), "damaged work file");
    const RecentFiles recentBefore = recent;
    auto c = ctx();
    FileOutcome o;
    EXPECT_FALSE(Msave_Click(c, o));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Msave@保存できません");
    EXPECT_NE(prompts.messages[0].detail.find("part 4"), std::string::npos)
        << prompts.messages[0].detail;
    EXPECT_EQ(test::slurp(path), oldBytes);
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(recent, recentBefore);
}

TEST_F(FileCommandsTest, FailedSaveAsKeepsTheOldNameAndRecentList) {
    song.FilePath = "/old/place.zelk";
    song.FileName = "place.zelk";
    prompts.savePaths = {(files.path() / "no-such-folder" / "x.zelk").string()};
    const RecentFiles recentBefore = recent;
    auto c = ctx();
    FileOutcome o;
    EXPECT_FALSE(Masave_Click(c, o));
    EXPECT_EQ(song.FilePath, "/old/place.zelk");
    EXPECT_EQ(song.FileName, "place.zelk");
    EXPECT_EQ(recent, recentBefore);
}

TEST_F(FileCommandsTest, OpenAsksWithSaveAsAndRecentWithSave) {
    editSomething();
    const std::string path = projectWithNote("song.zelk", 8);
    prompts.answers = {Answer::Yes};
    prompts.savePaths = {std::nullopt};
    auto c = ctx();
    Mopen_Click(c); // Yes runs save as even though the song has a name; cancelled
    EXPECT_EQ(prompts.saveDialogFolders.size(), 1u);
    EXPECT_TRUE(prompts.openDialogFolders.empty());
    recent[0] = path;
    prompts.answers = {Answer::Yes};
    Mrireki_Click(c, 0); // Yes saves under the current name
    EXPECT_EQ(prompts.saveDialogFolders.size(), 1u);
    EXPECT_TRUE(fs::exists(files.path() / "mine.zelk"));
    EXPECT_EQ(song.FilePath, path);
}

TEST_F(FileCommandsTest, HandedOverPathOpensAfterTheQuestion) {
    editSomething();
    const std::string path = projectWithNote("handed.zelk", 8, "Handed");
    prompts.answers = {Answer::Cancel, Answer::No};
    auto c = ctx();
    EXPECT_FALSE(openHandedOver(c, path).songReplaced);
    EXPECT_TRUE(openHandedOver(c, path).songReplaced);
    EXPECT_EQ(song.SongTitle, "Handed");
    EXPECT_EQ(recent[0], path);
}

} // namespace
} // namespace zelk
