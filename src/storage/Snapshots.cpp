#include "storage/Snapshots.h"

#include "files/TextLines.h"
#include "model/AppFolder.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/Song.h"
#include "ports/Compressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"

#include <string>
#include <system_error>
#include <utility>

namespace zelk {
namespace {

// Points FilePath at a snapshot for one call and puts it back however the call ends.
class FilePathSwap {
public:
    FilePathSwap(Song& song, const std::filesystem::path& path)
        : song_(song), kept_(std::exchange(song.FilePath, path.string())) {}
    ~FilePathSwap() { song_.FilePath = std::move(kept_); }
    FilePathSwap(const FilePathSwap&) = delete;
    FilePathSwap& operator=(const FilePathSwap&) = delete;

private:
    Song& song_;
    std::string kept_;
};

} // namespace

int recordSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                   const SnapshotView& view) {
    SaveBuffers buffers;
    return recordSnapshot(song, folder, compressor, view, buffers);
}

namespace {

// Writes the song as snapshot SnapshotNo + 1 and counts it; nothing is recorded yet.
int writeSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                  SaveBuffers& buffers) {
    const int n = song.undo.SnapshotNo + 1;
    // A snapshot lives only as long as the run, and recovery never reads one: it is
    // written in place without the sync and rename a project file gets.
    try {
        buildProjectText(song, folder, buffers);
        writeWholeFile(folder.snapshotFile(n), compressor.compress(buffers.text));
    } catch (const FormatError& e) {
        throw ProjectFileError(e.what());
    } catch (const std::runtime_error& e) { // system_error, or a compressor failure
        throw ProjectFileError(e.what());
    }
    song.undo.SnapshotNo = n;
    return n;
}

void pushSnapshotRecord(Song& song, int n, const SnapshotView& view) {
    UndoRecord record;
    record.kind = n;
    record.viewCol = view.viewCol;
    record.firstMeasure = view.firstMeasure;
    record.part = view.part;
    song.undo.push(record);
    song.Dirty = 1;
}

} // namespace

int recordSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                   const SnapshotView& view, SaveBuffers& buffers) {
    // Recorded only once the file exists, so undo never meets a missing snapshot.
    const int n = writeSnapshot(song, folder, compressor, buffers);
    pushSnapshotRecord(song, n, view);
    return n;
}

SnapshotPair::SnapshotPair(Song& song, const AppFolder& folder, const Compressor& compressor,
                           const SnapshotView& before)
    : song_(song), folder_(folder), compressor_(compressor), before_(before) {
    SaveBuffers buffers;
    beforeNo_ = writeSnapshot(song_, folder_, compressor_, buffers);
}

void SnapshotPair::finish(const SnapshotView& after) {
    SaveBuffers buffers;
    const int afterNo = writeSnapshot(song_, folder_, compressor_, buffers);
    pushSnapshotRecord(song_, beforeNo_, before_);
    pushSnapshotRecord(song_, afterNo, after);
}

void restoreSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                     MidiOut& out, int n) {
    FilePathSwap swap(song, folder.snapshotFile(n));
    LoadProject(song, folder, compressor, out, WorkFileMode::ReplaceAll);
}

std::vector<std::filesystem::path> tempFiles(const Song& song, const AppFolder& folder) {
    std::vector<std::filesystem::path> files;
    for (int p = 0; p < kParts; ++p)
        files.push_back(folder.workFile(p));
    for (int n = 1; n <= song.undo.SnapshotNo; ++n)
        files.push_back(folder.snapshotFile(n));
    files.push_back(folder.projectText());
    files.push_back(folder.clipboard());
    return files;
}

void ClearTempFiles(const Song& song, const AppFolder& folder) {
    for (const auto& f : tempFiles(song, folder)) {
        std::error_code ec;
        std::filesystem::remove(f, ec);
    }
}

} // namespace zelk
