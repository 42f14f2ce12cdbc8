#pragma once

#include "editor/EditorState.h"
#include "editor/session/RecentFiles.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/Compressor.h"
#include "ports/MidiOut.h"
#include "ports/TextDecoder.h"
#include "ports/UserPrompts.h"

#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// Title of the File menu's questions and of the missing-file message.
inline constexpr std::string_view kQuestionTitle = "ゼルク式MIDIシーケンサ";
inline constexpr std::string_view kOpenFailed = "MOpen@オープンできません";
inline constexpr std::string_view kSaveFailed = "Msave@保存できません";
inline constexpr std::string_view kRecentFailed = "Mrireki@オープンできません";

// What the File menu's commands work on; the window owns every piece.
struct FileContext {
    Song& song;
    EditorState& editor;
    const AppFolder& folder;
    MidiOut& out;
    const Compressor& compressor;
    UserPrompts& prompts;
    RecentFiles& recent;
    const TextDecoder* decoder = nullptr; // texts of imported MIDI files (Shift-JIS)
};

// What the window must show after a command.
struct FileOutcome {
    bool songReplaced = false;  // a new or loaded song: every control, layout and picture
    bool recentChanged = false; // the recent-file menu
    bool titleChanged = false;  // the window caption (FileName)
    FileOutcome& operator|=(const FileOutcome& o) {
        songReplaced |= o.songReplaced;
        recentChanged |= o.recentChanged;
        titleChanged |= o.titleChanged;
        return *this;
    }
};

// The unsaved-changes question when Dirty = 1. Yes saves first (with Masave when
// saveAs, else Msave). True when the command may go on: No, or Yes and the save
// succeeded. Cancel, and a save that was cancelled or failed, end the command so that
// nothing unsaved is lost.
bool keepChangesAsked(FileContext& ctx, bool saveAs, FileOutcome& outcome);

// The new-song steps: temporary files cleared, palette, undo and view reset, the song
// reset, part 0 current and its sound sent.
void newSong(FileContext& ctx);

FileOutcome Mnew_Click(FileContext& ctx);
FileOutcome Mopen_Click(FileContext& ctx);
// Both return whether the song was written.
bool Msave_Click(FileContext& ctx, FileOutcome& outcome);
bool Masave_Click(FileContext& ctx, FileOutcome& outcome);
FileOutcome Mrireki_Click(FileContext& ctx, int index);
// Files dropped on the score: the first one, if its name ends in exactly "zelk", or a MIDI
// file (.mid, .midi), which is imported.
FileOutcome dropFiles(FileContext& ctx, const std::vector<std::string>& paths);
// A path handed over by a second start of the program: opened as Mopen opens the file
// it chose (a MIDI file imported), after its question.
FileOutcome openHandedOver(FileContext& ctx, const std::string& path);
// Exit command and window close: the question; true when the program may shut down.
bool confirmQuit(FileContext& ctx);

// Reads and checks path first; only an accepted file replaces the song (new-song steps,
// then the load). A refused file shows failMessage and changes nothing.
FileOutcome openChecked(FileContext& ctx, const std::string& path, std::string_view failMessage);

// The folder a file dialog starts in: that of the current file, "" for the documents.
std::string dialogFolder(const Song& song);

} // namespace zelk
