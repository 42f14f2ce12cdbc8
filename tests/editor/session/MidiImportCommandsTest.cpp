#include "editor/session/MidiImportCommands.h"

#include "../../import/ImportFixture.h"
#include "editor/session/SessionLife.h"
#include "editor/session/SongReset.h"
#include "files/TextLines.h"
#include "platform/GzipCompressor.h"
#include "storage/StorageTestSupport.h"
#include "support/FakePrompts.h"

namespace zelk {
namespace {

using namespace test;

class MidiImportCommandsTest : public ::testing::Test {
protected:
    MidiImportCommandsTest() { ResetSong(song, editor); }

    // A MIDI file among the user's files: a named song with one C4 quarter on channel 1,
    // and a program change after it that the import reports.
    std::string midiFile(const char* name) {
        const Bytes bytes =
            smf(480, {{{0, metaText(0x03, "Imported")}},
                      {{0, noteOn(0, 60, 100)}, {480, noteOff(0, 60)}, {960, program(0, 20)}}});
        const auto path = files.path() / name;
        writeWholeFile(path, std::string(bytes.begin(), bytes.end()));
        return path.string();
    }
    void editSomething() {
        putNote(song, 20, 40, 4);
        SavePartFile(song, app.folder());
        song.Dirty = 1;
        song.FilePath = (files.path() / "mine.zelk").string();
        song.FileName = "mine.zelk";
    }
    FileContext ctx() {
        return {song, editor, app.folder(), midi, gzip, prompts, recent, &shiftJis};
    }

    TempFolder app;
    TempFolder files;
    Song song = freshSong();
    EditorState editor;
    FakeMidiOut midi;
    GzipCompressor gzip;
    IconvShiftJis shiftJis;
    FakePrompts prompts;
    RecentFiles recent{"/a.zelk", "/b.zelk", "/c.zelk", "/d.zelk", "/e.zelk"};
};

TEST_F(MidiImportCommandsTest, AnImportIsANewUntitledSongAfterTheQuestion) {
    editSomething();
    const std::string path = midiFile("song.mid");
    const RecentFiles recentBefore = recent;
    prompts.answers = {Answer::Cancel, Answer::No};
    prompts.midiPaths = {path};
    auto c = ctx();
    EXPECT_FALSE(Mmidiopen_Click(c).songReplaced) << "cancelled at the question";
    EXPECT_TRUE(prompts.midiDialogFolders.empty());
    EXPECT_TRUE(Mmidiopen_Click(c).songReplaced);
    EXPECT_EQ(prompts.midiDialogFolders, std::vector<std::string>{files.path().string()});
    EXPECT_EQ(song.SongTitle, "Imported");
    EXPECT_EQ(song.FilePath, "");
    EXPECT_EQ(song.FileName, "");
    EXPECT_EQ(song.Dirty, 1) << "a save asks for a project name";
    EXPECT_EQ(recent, recentBefore);
    EXPECT_EQ(cell::startsNote(song.part.Grid(28, 0)), true);
    EXPECT_EQ(song.part.Grid(20, 40), 0) << "nothing of the old song";
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, kMidiImported);
    EXPECT_EQ(prompts.messages[0].detail,
              "曲の途中の音色・リバーブ・コーラスの変更を無視しました: 1件 (パート1 1小節)");

    prompts.savePaths = {std::nullopt};
    FileOutcome o;
    EXPECT_FALSE(Msave_Click(c, o));
    EXPECT_EQ(prompts.saveDialogFolders.size(), 1u) << "the name is asked, not the MIDI file's";
}

TEST_F(MidiImportCommandsTest, ARefusedFileChangesNothingAndSaysWhyInJapanese) {
    editSomething();
    const Song before = song;
    const auto format2 = files.path() / "pattern.mid";
    writeWholeFile(format2, std::string("MThd\0\0\0\6\0\2\0\0\0\x60", 14));
    const auto text = files.path() / "notes.midi";
    writeWholeFile(text, "not a MIDI file");
    prompts.answers = {Answer::No, Answer::No};
    auto c = ctx();
    EXPECT_FALSE(openHandedOver(c, format2.string()).songReplaced);
    EXPECT_FALSE(dropFiles(c, {text.string()}).songReplaced);
    expectSameSong(song, before);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, kMidiOpenFailed);
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(prompts.messages[0].detail,
              format2.string() + ": フォーマット2のMIDIファイルには一つの曲がありません");
    EXPECT_EQ(prompts.messages[1].detail, text.string() + ": 標準MIDIファイルではありません");
}

TEST_F(MidiImportCommandsTest, DropsSecondStartsAndTheCommandLineImportMidiFiles) {
    const struct {
        const char* name;
        FileOutcome (*open)(FileContext&, const std::string&);
    } ways[] = {
        {"dropped.MID", [](FileContext& c, const std::string& p) { return dropFiles(c, {p}); }},
        {"handed.midi", &openHandedOver},
        {"started.mid",
         [](FileContext& c, const std::string& p) {
             FileOutcome o;
             o.songReplaced = openCommandLineProject(c, p);
             return o;
         }},
    };
    for (const auto& w : ways) {
        song = freshSong();
        song.Dirty = 0;
        auto c = ctx();
        EXPECT_TRUE(w.open(c, midiFile(w.name)).songReplaced) << w.name;
        EXPECT_EQ(song.SongTitle, "Imported") << w.name;
        EXPECT_EQ(song.Dirty, 1) << w.name;
    }
    EXPECT_TRUE(prompts.questions.empty()) << "a clean song is not asked about";
}

} // namespace
} // namespace zelk
