#include "files/TextLines.h"
#include "model/AppFolder.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/PartSwitch.h"
#include "model/Song.h"
#include "ports/Compressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace zelk {
namespace {

std::filesystem::path stagedWorkFile(const AppFolder& folder, int p) {
    return folder.file(std::to_string(p) + ".new");
}

// New work files go beside the old ones first, so a full disk changes nothing.
void stageWorkFiles(const AppFolder& folder, const ProjectImage& image) {
    int p = 0;
    try {
        for (; p < kParts; ++p) {
            const auto& section = image.parts[static_cast<size_t>(p)];
            if (!section.present)
                continue;
            if (section.standard)
                writeWholeFile(stagedWorkFile(folder, p), image.partBytes(p));
            else
                writeWholeFile(stagedWorkFile(folder, p), image.partText(p));
        }
    } catch (const std::system_error& e) {
        std::error_code ec;
        for (int q = 0; q <= p && q < kParts; ++q)
            std::filesystem::remove(stagedWorkFile(folder, q), ec);
        throw ProjectFileError(std::string("cannot write the work files: ") + e.what());
    }
}

void commitWorkFiles(const AppFolder& folder, const ProjectImage& image, WorkFileMode mode,
                     bool dropCurrent, int curPart) {
    folder.allWorkFilesChanged();
    for (int p = 0; p < kParts; ++p) {
        std::error_code ec;
        if (image.parts[static_cast<size_t>(p)].present) {
            // Renaming over an existing file makes ext4 flush the new one at once
            // (auto_da_alloc); work files are temporary and need no such care.
            std::filesystem::remove(folder.workFile(p));
            std::filesystem::rename(stagedWorkFile(folder, p), folder.workFile(p));
        } else if (mode == WorkFileMode::ReplaceAll)
            std::filesystem::remove(folder.workFile(p));
        else if (dropCurrent && p == curPart)
            std::filesystem::remove(folder.workFile(p), ec); // the part loads empty anyway
    }
}

// The current part as LoadPartFile will find it: the loaded section, or a work file left
// in the folder. A damaged leftover counts as no file and is removed on commit.
std::optional<std::vector<int64_t>> currentPartValues(const AppFolder& folder,
                                                      const ProjectImage& image, WorkFileMode mode,
                                                      int curPart, bool& dropLeftover) {
    dropLeftover = false;
    if (image.parts[static_cast<size_t>(curPart)].present)
        return image.partValues(curPart);
    if (mode == WorkFileMode::ReplaceAll)
        return std::nullopt;
    try {
        return readPartFile(folder, curPart);
    } catch (const std::runtime_error&) { // damaged or unreadable
        dropLeftover = true;
        return std::nullopt;
    }
}

void applyMeasures(Song& song, const ProjectImage& image) {
    if (image.olderLayout) {
        song.MeasureLen.assign(image.measureCount(), image.measureCols);
        const int32_t tempo = image.tempoIndex + 1;
        for (int x = 0; x <= song.SumMeasureLen(song.MeasureCount()); ++x)
            song.TemLane[x] = tempo;
        return;
    }
    const int n = static_cast<int>(image.measureLen.size());
    song.MeasureLen.resize(0);
    song.MeasureLen.resize(n);
    for (int m = 1; m <= n; ++m)
        song.MeasureLen.setLen(m, image.measureLen[static_cast<size_t>(m - 1)]);
    // Columns after the last measure keep their tempo.
    for (size_t x = 0; x < image.tempo.size(); ++x)
        song.TemLane[static_cast<int>(x)] = image.tempo[x];
}

void applyKeySignatures(Song& song, const ProjectImage& image) {
    song.resetKeySignatures();
    if (!image.keys) {
        song.KeyMask.assign(song.KeyMask.size(), song.KeyCode);
        song.KeyShift.assign(song.KeyShift.size(), song.KeySign);
        return;
    }
    for (size_t i = 0; i < image.keys->size(); ++i) {
        song.KeyMask[i] = (*image.keys)[i].first;
        song.KeyShift[i] = (*image.keys)[i].second;
    }
}

void applySongLevel(Song& song, const ProjectImage& image) {
    if (image.loopMeasure) {
        song.LoopOn = 1;
        song.LoopMeasure = *image.loopMeasure;
    }
    song.SongTitle = image.title;
    song.SongCopyright = image.copyright;
    applyMeasures(song, image);
    if (image.drumPart)
        song.DrumPart = *image.drumPart;
    song.MeasureCols = image.measureCols;
    song.BeatCols = beatColsFor(image.measureCols);
    song.KeyCode = image.keyCode;
    song.KeySign = image.keyCode < 128 ? 1 : -1;
    applyKeySignatures(song, image);
    song.TempoBase = image.tempoIndex + 1;
    song.TempoIndex = image.tempoIndex;
}

} // namespace

ProjectImage readProjectFile(const std::filesystem::path& path, const Compressor& compressor) {
    try {
        return parseProjectText(
            compressor.expand(readFileCapped(path, kMaxProjectFile), kMaxProjectText));
    } catch (const FileTooLarge&) {
        throw ProjectFileError("the file is too large for a project file");
    } catch (const FormatError& e) {
        throw ProjectFileError(e.what());
    } catch (const std::system_error& e) {
        throw ProjectFileError("cannot read the file: " + e.code().message());
    } catch (const std::runtime_error& e) {
        throw ProjectFileError(e.what());
    }
}

LoadReport applyProject(Song& song, const AppFolder& folder, MidiOut& out,
                        const ProjectImage& image, WorkFileMode mode) {
    bool dropLeftover = false;
    auto current = currentPartValues(folder, image, mode, song.CurPart, dropLeftover);
    stageWorkFiles(folder, image);
    try {
        commitWorkFiles(folder, image, mode, dropLeftover, song.CurPart);
    } catch (const std::system_error& e) {
        throw ProjectFileError(std::string("cannot replace the work files: ") + e.what());
    }
    const std::array<int32_t, 3> before = {song.part.PartProgram, song.part.PartReverb,
                                           song.part.PartChorus};
    applySongLevel(song, image);
    // As in a part switch, so that nothing of the previous song's current part remains.
    song.part.clearForSwitch();
    song.part.resetHeader();
    applyLoadedPart(song, out, song.CurPart, current);
    sendLoadedPartHeader(song, out);
    song.Dirty = 0;
    LoadReport report;
    report.olderLayout = image.olderLayout;
    report.partHeaderChanged =
        before != std::array{song.part.PartProgram, song.part.PartReverb, song.part.PartChorus};
    return report;
}

LoadReport LoadProject(Song& song, const AppFolder& folder, const Compressor& compressor,
                       MidiOut& out, WorkFileMode mode) {
    ProjectImage image = readProjectFile(song.FilePath, compressor);
    return applyProject(song, folder, out, image, mode);
}

} // namespace zelk
