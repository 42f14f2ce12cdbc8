#include "files/ReplacingFile.h"
#include "files/TextLines.h"
#include "model/AppFolder.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/Song.h"
#include "ports/Compressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"
#include "storage/ProjectText.h"

#include <array>
#include <filesystem>
#include <optional>
#include <system_error>

namespace zelk {

void buildProjectText(const Song& song, const AppFolder& folder, SaveBuffers& buffers) {
    // The current part goes to its work file as SavePartFile writes it; its text is
    // reused instead of being read back.
    std::string current;
    if (song.part.PartLen != 0) {
        current = formatPartFile(song.part);
        writeWholeFile(folder.workFile(song.CurPart), current);
        folder.workFileChanged(song.CurPart);
    }
    const bool fromMemory = !current.empty();
    std::array<bool, kParts> onDisk{};
    size_t total = songSectionsSize(song) + current.size();
    for (int p = 0; p < kParts; ++p) {
        if (p == song.CurPart && fromMemory)
            continue;
        std::error_code ec;
        const auto size = std::filesystem::file_size(folder.workFile(p), ec);
        onDisk[static_cast<size_t>(p)] = !ec;
        total += ec ? 0 : static_cast<size_t>(size);
    }
    std::string& text = buffers.text;
    text.clear();
    text.reserve(total);
    appendSongSections(text, song);
    PartSections sections(text);
    for (int p = 0; p < kParts; ++p) {
        if (p == song.CurPart && fromMemory)
            sections.add(p, current);
        else if (onDisk[static_cast<size_t>(p)])
            sections.addFile(p, folder.workFile(p));
        else
            sections.addNone();
    }
    sections.finish(buffers.values);
}

std::string buildProjectText(const Song& song, const AppFolder& folder) {
    SaveBuffers buffers;
    buildProjectText(song, folder, buffers);
    return std::move(buffers.text);
}

void writeProjectFile(const std::filesystem::path& path, std::string_view text,
                      const Compressor& compressor) {
    try {
        writeFileAtomically(path, compressor.compress(text));
    } catch (const std::runtime_error& e) { // system_error, or a compressor failure
        throw ProjectFileError(e.what());
    }
}

void SaveProject(Song& song, const AppFolder& folder, const Compressor& compressor,
                 SaveBuffers& buffers) {
    if (song.FilePath.empty())
        throw ProjectFileError("the song has no file name");
    try {
        buildProjectText(song, folder, buffers);
    } catch (const FormatError& e) {
        throw ProjectFileError(e.what());
    } catch (const std::system_error& e) {
        throw ProjectFileError(e.what());
    }
    writeProjectFile(song.FilePath, buffers.text, compressor);
    song.Dirty = 0;
}

void SaveProject(Song& song, const AppFolder& folder, const Compressor& compressor) {
    SaveBuffers buffers;
    SaveProject(song, folder, compressor, buffers);
}

} // namespace zelk
