#include "editor/session/SessionLife.h"

#include "editor/session/MidiImportCommands.h"
#include "editor/view/ViewPosition.h"
#include "import/ImportMidi.h"
#include "model/Limits.h"
#include "storage/Snapshots.h"

#include <cstdio>
#include <filesystem>

namespace zelk {
namespace {

void removeQuietly(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::remove(p, ec);
}

// "undo" followed by digits: a snapshot of some earlier run.
bool isSnapshotName(const std::string& name) {
    if (!name.starts_with("undo") || name.size() == 4)
        return false;
    return name.find_first_not_of("0123456789", 4) == std::string::npos;
}

// "p.new": a work file staged by a load that did not finish.
bool isStagedWorkFile(const std::string& name) {
    return name.ends_with(".new") && name.size() <= 6 &&
           name.find_first_not_of("0123456789", 0) == name.size() - 4;
}

void removeWorkFiles(const AppFolder& folder) {
    folder.allWorkFilesChanged();
    for (int p = 0; p < kParts; ++p)
        removeQuietly(folder.workFile(p));
}

void keepRefusedBackup(FileContext& ctx, const std::string& why) {
    const auto bad = ctx.folder.file("log.bad");
    std::error_code ec;
    std::filesystem::rename(ctx.folder.backup(), bad, ec);
    if (ec)
        removeQuietly(ctx.folder.backup());
    // The command-line project has replaced every work file; otherwise they are the
    // crashed run's.
    if (ctx.song.FilePath.empty())
        removeWorkFiles(ctx.folder);
    std::string detail = why;
    if (!ec)
        detail.append("\n").append(bad.string());
    ctx.prompts.showMessage(kAppTitle, kRestoreFailedMessage, MessageIcon::Exclamation, detail);
}

} // namespace

void removeOrphanedTempFiles(const AppFolder& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder.dir(), ec)) {
        const std::string name = entry.path().filename().string();
        if (isSnapshotName(name) || isStagedWorkFile(name))
            removeQuietly(entry.path());
    }
    for (const auto& p : {folder.clipboard(), folder.playbackMidi(), folder.projectText(),
                          folder.recording(), folder.recordingScratch()})
        removeQuietly(p);
    if (!std::filesystem::exists(folder.backup(), ec))
        removeWorkFiles(folder);
}

bool openCommandLineProject(FileContext& ctx, std::string arg) {
    std::erase(arg, '"');
    if (arg.empty())
        return false;
    // The song's folder is where recordings and renders go by default: a name relative to
    // where the program was started would point elsewhere once dialogs change folders.
    std::error_code ec;
    if (const auto full = std::filesystem::absolute(arg, ec); !ec)
        arg = full.lexically_normal().string();
    if (isMidiFileName(arg))
        return importChecked(ctx, arg).songReplaced;
    try {
        const ProjectImage image = readProjectFile(arg, ctx.compressor);
        applyProject(ctx.song, ctx.folder, ctx.out, image, WorkFileMode::ReplaceAll);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: %s: %s\n", arg.c_str(), e.what());
        ctx.prompts.showMessage(kAppTitle, kOpenFailed, MessageIcon::Stop, arg + ": " + e.what());
        return false;
    }
    ctx.song.FilePath = arg;
    ctx.song.FileName = fileNameOf(arg);
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    return true;
}

bool recoverFromBackup(FileContext& ctx) {
    std::error_code ec;
    if (!std::filesystem::exists(ctx.folder.backup(), ec))
        return false;
    try {
        const ProjectImage image = readProjectFile(ctx.folder.backup(), ctx.compressor);
        applyProject(ctx.song, ctx.folder, ctx.out, image, WorkFileMode::ReplaceAll);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: the backup cannot be restored: %s\n", e.what());
        keepRefusedBackup(ctx, e.what());
        return false;
    }
    // The restored song is no file of the user's; a later save asks for a name.
    ctx.song.FilePath.clear();
    ctx.song.FileName.clear();
    ctx.song.Dirty = 0;
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    ctx.prompts.showMessage(kAppTitle, kRestoredMessage, MessageIcon::Information);
    return true;
}

void Shutdown(const ShutdownParts& parts) {
    if (parts.stopAndClosePlayer)
        parts.stopAndClosePlayer();
    if (parts.finishBackup)
        parts.finishBackup();
    ClearTempFiles(parts.song, parts.folder);
    removeQuietly(parts.folder.playbackMidi());
    removeQuietly(parts.folder.backup());
    if (parts.editor.keys.windowLoaded)
        Form4_Unload(parts.editor.keys);
    parts.settings.KeyAssign = parts.editor.keys.KeyAssign;
    parts.settings.ColorTable = toRgb(parts.colors);
    try {
        writeSettingsFile(parts.folder, parts.settings);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: settings not saved: %s\n", e.what());
    }
    if (parts.unloadKeyWindow)
        parts.unloadKeyWindow();
}

} // namespace zelk
