#include "editor/session/FileCommands.h"

#include "editor/Palette.h"
#include "editor/session/MidiImportCommands.h"
#include "editor/session/SongReset.h"
#include "editor/view/ViewPosition.h"
#include "import/ImportMidi.h"
#include "model/PartSwitch.h"
#include "storage/Project.h"
#include "storage/Snapshots.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace zelk {
namespace {

std::string unsavedQuestion(const Song& song) {
    return "ファイル " + song.FileName + " の内容は変更されてます。\r\n変更を保存しますか？";
}

void showStop(FileContext& ctx, std::string_view text, std::string_view title = kAppTitle,
              std::string_view detail = {}) {
    ctx.prompts.showMessage(title, text, MessageIcon::Stop, detail);
}

// "path: reason", the detail of a failed open or save.
std::string failureDetail(const std::string& path, const std::exception& e) {
    std::fprintf(stderr, "zelk: %s: %s\n", path.c_str(), e.what());
    return path + ": " + e.what();
}

void refreshTitle(FileContext& ctx) {
    ctx.editor.view.Title = windowTitle(ctx.song, ctx.editor.view);
}

// Writes the song to path; on failure the song keeps its old name and the message shows.
bool saveTo(FileContext& ctx, const std::string& path, FileOutcome& outcome) {
    const std::string oldPath = ctx.song.FilePath;
    ctx.song.FilePath = path;
    try {
        SaveProject(ctx.song, ctx.folder, ctx.compressor);
    } catch (const std::exception& e) {
        ctx.song.FilePath = oldPath;
        showStop(ctx, kSaveFailed, kAppTitle, failureDetail(path, e));
        return false;
    }
    ctx.song.FileName = fileNameOf(path);
    UpdateRecentMenu(ctx.recent, path);
    refreshTitle(ctx);
    outcome.recentChanged = outcome.titleChanged = true;
    return true;
}

bool endsInZelk(const std::string& path) {
    return path.size() >= 4 && path.compare(path.size() - 4, 4, "zelk") == 0;
}

} // namespace

std::string dialogFolder(const Song& song) {
    if (song.FilePath.empty())
        return {};
    return std::filesystem::path(song.FilePath).parent_path().string();
}

bool keepChangesAsked(FileContext& ctx, bool saveAs, FileOutcome& outcome) {
    if (ctx.song.Dirty != 1)
        return true;
    switch (ctx.prompts.askYesNoCancel(kQuestionTitle, unsavedQuestion(ctx.song))) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        return true;
    case Answer::Yes:
        break;
    }
    return saveAs ? Masave_Click(ctx, outcome) : Msave_Click(ctx, outcome);
}

void newSong(FileContext& ctx) {
    ClearTempFiles(ctx.song, ctx.folder);
    resetPaletteForNewSong(ctx.editor.palette, ctx.editor.view);
    clearForNewSong(ctx.song);
    ctx.editor.menus = UndoMenus{};
    ctx.editor.view.FirstMeasure = 1;
    ResetSong(ctx.song, ctx.editor);
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    sendPartHeader(ctx.song, ctx.out);
}

FileOutcome Mnew_Click(FileContext& ctx) {
    FileOutcome outcome;
    if (!keepChangesAsked(ctx, false, outcome))
        return outcome;
    newSong(ctx);
    outcome.songReplaced = outcome.titleChanged = true;
    return outcome;
}

FileOutcome openChecked(FileContext& ctx, const std::string& path, std::string_view failMessage) {
    ProjectImage image;
    try {
        image = readProjectFile(path, ctx.compressor);
    } catch (const std::exception& e) {
        showStop(ctx, failMessage, kAppTitle, failureDetail(path, e));
        return {};
    }
    FileOutcome outcome;
    newSong(ctx);
    outcome.songReplaced = outcome.titleChanged = true;
    try {
        applyProject(ctx.song, ctx.folder, ctx.out, image, WorkFileMode::ReplaceAll);
    } catch (const std::exception& e) { // the work files could not be written
        showStop(ctx, failMessage, kAppTitle, failureDetail(path, e));
        return outcome;
    }
    ctx.song.FilePath = path;
    ctx.song.FileName = fileNameOf(path);
    UpdateRecentMenu(ctx.recent, path);
    outcome.recentChanged = true;
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    return outcome;
}

FileOutcome Mopen_Click(FileContext& ctx) {
    FileOutcome outcome;
    if (!keepChangesAsked(ctx, true, outcome))
        return outcome;
    const auto path = ctx.prompts.chooseProjectToOpen(dialogFolder(ctx.song));
    if (!path)
        return outcome;
    outcome |= openChecked(ctx, *path, kOpenFailed);
    return outcome;
}

bool Msave_Click(FileContext& ctx, FileOutcome& outcome) {
    if (ctx.song.FilePath.empty())
        return Masave_Click(ctx, outcome);
    return saveTo(ctx, ctx.song.FilePath, outcome);
}

bool Masave_Click(FileContext& ctx, FileOutcome& outcome) {
    const auto path = ctx.prompts.chooseProjectToSave(dialogFolder(ctx.song));
    if (!path)
        return false;
    return saveTo(ctx, *path, outcome);
}

FileOutcome Mrireki_Click(FileContext& ctx, int index) {
    FileOutcome outcome;
    if (index < 0 || index >= kRecentEntries)
        return outcome;
    const std::string path = ctx.recent[static_cast<size_t>(index)];
    if (path.empty())
        return outcome;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        showStop(ctx, "ファイル " + path + " はありません", kQuestionTitle);
        return outcome;
    }
    if (!keepChangesAsked(ctx, false, outcome))
        return outcome;
    outcome |= openChecked(ctx, path, kRecentFailed);
    return outcome;
}

FileOutcome dropFiles(FileContext& ctx, const std::vector<std::string>& paths) {
    FileOutcome outcome;
    if (paths.empty() || (!endsInZelk(paths.front()) && !isMidiFileName(paths.front())))
        return outcome;
    if (!keepChangesAsked(ctx, false, outcome))
        return outcome;
    outcome |= isMidiFileName(paths.front()) ? importChecked(ctx, paths.front())
                                             : openChecked(ctx, paths.front(), kOpenFailed);
    return outcome;
}

FileOutcome openHandedOver(FileContext& ctx, const std::string& path) {
    FileOutcome outcome;
    if (!keepChangesAsked(ctx, true, outcome))
        return outcome;
    outcome |=
        isMidiFileName(path) ? importChecked(ctx, path) : openChecked(ctx, path, kOpenFailed);
    return outcome;
}

bool confirmQuit(FileContext& ctx) {
    FileOutcome ignored;
    return keepChangesAsked(ctx, false, ignored);
}

} // namespace zelk
