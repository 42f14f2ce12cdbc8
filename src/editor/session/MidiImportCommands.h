#pragma once

#include "editor/session/FileCommands.h"

#include <string>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kMidiOpenFailed = "MIDIファイルを開けません";
inline constexpr std::string_view kMidiImported =
    "MIDIファイルを読み込みました。楽譜に合わせて次の点を変えました。";

// File menu "MIDIファイルを開く...": the unsaved-changes question, the open dialog for MIDI
// files, then importChecked.
FileOutcome Mmidiopen_Click(FileContext& ctx);

// Reads the MIDI file onto the grid first; a refused file shows kMidiOpenFailed with the
// file and the reason and changes nothing. An accepted one becomes a new untitled song
// (no FilePath, Dirty set, so that a save asks for a project name and the MIDI file is
// never written), after the new-song steps; what had to change to fit the grid is shown
// after it, one line per kind. Titles and copyrights of the file are read as Shift-JIS
// through ctx.decoder (UTF-8 or Latin-1 without one).
FileOutcome importChecked(FileContext& ctx, const std::string& path);

} // namespace zelk
