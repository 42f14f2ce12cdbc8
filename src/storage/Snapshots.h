#pragma once

#include <filesystem>
#include <vector>

namespace zelk {

struct Song;
class AppFolder;
class Compressor;
class MidiOut;
struct SaveBuffers;

// Where the view stood when a snapshot was taken; undo and redo return there.
struct SnapshotView {
    int viewCol = 0;      // first shown column
    int firstMeasure = 1; // measure shown first
    int part = 0;
};

// Saves the whole song as snapshot SnapshotNo + 1 ("undo" + n in the folder) through
// SaveProject and records it in the undo ring after UndoPos. The song counts as changed
// afterwards; FilePath is kept. Returns the snapshot number. A failed save throws
// ProjectFileError and records nothing.
int recordSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                   const SnapshotView& view);
// The same with the caller's save buffers (see SaveBuffers), for the window's own saves.
int recordSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                   const SnapshotView& view, SaveBuffers& buffers);

// An undo step of two snapshots around a change: the constructor writes the "before" file,
// finish() the "after" file, and only then are both recorded. A failure of either throws
// ProjectFileError and records nothing, so the ring never holds half a pair that would pair
// with the wrong snapshot. The files written count in SnapshotNo (ClearTempFiles removes
// them).
class SnapshotPair {
public:
    SnapshotPair(Song& song, const AppFolder& folder, const Compressor& compressor,
                 const SnapshotView& before);
    // Makes the song dirty, as every recorded snapshot does.
    void finish(const SnapshotView& after);

private:
    Song& song_;
    const AppFolder& folder_;
    const Compressor& compressor_;
    SnapshotView before_;
    int beforeNo_;
};

// Replaces the song by snapshot n: the work files of all parts are replaced by the
// snapshot's (parts it does not hold lose theirs), FilePath is kept. A damaged snapshot
// throws ProjectFileError and changes nothing.
void restoreSnapshot(Song& song, const AppFolder& folder, const Compressor& compressor,
                     MidiOut& out, int n);

// The temporary files ClearTempFiles deletes, in its order: the work files of parts 0..15,
// the snapshots undo1..undo<SnapshotNo>, "work", "copy".
std::vector<std::filesystem::path> tempFiles(const Song& song, const AppFolder& folder);
// Deletes those that exist. A file that cannot be deleted is left; the rest still go.
void ClearTempFiles(const Song& song, const AppFolder& folder);

} // namespace zelk
