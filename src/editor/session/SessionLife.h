#pragma once

#include "editor/session/FileCommands.h"
#include "editor/view/ColorTable.h"
#include "storage/Project.h"
#include "storage/SettingsFile.h"

#include <functional>
#include <string>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kRestoredMessage = "復元しました";
inline constexpr std::string_view kRestoreFailedMessage = "復元できませんでした";
inline constexpr std::string_view kBackupFailedNote = "バックアップ失敗";

// Start-up, before the song is reset: deletes what a run that ended abnormally left and
// no backup "log" accounts for (work files, snapshots, "copy", "rec.mid", "work",
// "wav", staged work files). With a "log" the work files stay for the recovery, which
// replaces all of them.
void removeOrphanedTempFiles(const AppFolder& folder);

// A project named on the command line, double quotes removed. A refused file shows
// "MOpen@オープンできません" with its path and the reason as detail, and leaves the empty
// song. A MIDI file (.mid, .midi) is imported (importChecked). True when loaded.
bool openCommandLineProject(FileContext& ctx, std::string arg);

// Recovery: when "log" exists the song is restored from it (every work file replaced),
// has no FilePath and FileName, is not dirty, and "復元しました" is shown. True when a
// song was restored. A backup the loader refuses is kept as "log.bad" (the next backup
// would overwrite it within a minute), "復元できませんでした" is shown with the reason, and
// unless a project was opened from the command line the crashed run's work files go, as
// at a start without "log", so they cannot mix into the new song.
bool recoverFromBackup(FileContext& ctx);

// The end of an orderly run, in this order: the player stopped and closed, a backup still
// being written waited for (else it would write "log" again after its deletion and the next
// start would restore a song the user may have discarded), the temporary files, "rec.mid" and "log"
// deleted, "zelk.ini" written (the key-assignment window's current choices committed first, so a
// choice made there is kept), the key-assignment window unloaded.
struct ShutdownParts {
    const Song& song;
    const AppFolder& folder;
    EditorState& editor;
    const ColorTable& colors;
    Settings& settings; // its recent list is the File menu's
    std::function<void()> stopAndClosePlayer;
    std::function<void()> unloadKeyWindow;
    std::function<void()> finishBackup;
};
void Shutdown(const ShutdownParts& parts);

} // namespace zelk
