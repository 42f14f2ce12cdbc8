#include "editor/session/MidiImportCommands.h"

#include "editor/view/ViewPosition.h"
#include "import/ImportMidi.h"
#include "midi/MidiFileEvents.h"
#include "ports/TextDecoder.h"
#include "storage/Project.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace zelk {
namespace {

// Without a Shift-JIS converter, texts are read as UTF-8, else Latin-1.
class NoShiftJis : public TextDecoder {
public:
    std::optional<std::string> decodeShiftJis(std::string_view) const override {
        return std::nullopt;
    }
};

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : "\n") + line;
    return out;
}

// The import, or the reason it was refused in the window's words.
std::optional<MidiImport> readImport(FileContext& ctx, const std::string& path,
                                     std::string& refusal) {
    const NoShiftJis plain;
    const TextDecoder& decoder = ctx.decoder ? *ctx.decoder : plain;
    try {
        return importMidiFile(path, decoder, std::filesystem::path(path).stem().string());
    } catch (const MidiFileError& e) {
        std::fprintf(stderr, "zelk: %s: %s\n", path.c_str(), e.what());
        refusal = japaneseRefusal(e.why());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: %s: %s\n", path.c_str(), e.what());
        refusal = "ファイルを読めません";
    }
    return std::nullopt;
}

} // namespace

FileOutcome importChecked(FileContext& ctx, const std::string& path) {
    std::string refusal;
    const std::optional<MidiImport> imported = readImport(ctx, path, refusal);
    if (!imported) {
        ctx.prompts.showMessage(kAppTitle, kMidiOpenFailed, MessageIcon::Stop,
                                path + ": " + refusal);
        return {};
    }
    FileOutcome outcome;
    newSong(ctx);
    outcome.songReplaced = outcome.titleChanged = true;
    try {
        applyProject(ctx.song, ctx.folder, ctx.out, imported->image, WorkFileMode::ReplaceAll);
    } catch (const std::exception& e) { // the work files could not be written
        std::fprintf(stderr, "zelk: %s: %s\n", path.c_str(), e.what());
        ctx.prompts.showMessage(kAppTitle, kMidiOpenFailed, MessageIcon::Stop,
                                path + ": 作業ファイルを書けません");
        return outcome;
    }
    ctx.song.FilePath.clear();
    ctx.song.FileName.clear();
    ctx.song.Dirty = 1;
    HScroll1_Change(ctx.song, ctx.editor.view, ctx.editor.signatures);
    if (!imported->report.empty())
        ctx.prompts.showMessage(kAppTitle, kMidiImported, MessageIcon::Information,
                                joinLines(imported->report.japaneseLines()));
    return outcome;
}

FileOutcome Mmidiopen_Click(FileContext& ctx) {
    FileOutcome outcome;
    if (!keepChangesAsked(ctx, true, outcome))
        return outcome;
    const auto path = ctx.prompts.chooseMidiToOpen(dialogFolder(ctx.song));
    if (!path)
        return outcome;
    outcome |= importChecked(ctx, *path);
    return outcome;
}

} // namespace zelk
