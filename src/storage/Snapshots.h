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
