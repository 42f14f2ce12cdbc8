#pragma once

#include "storage/ProjectImage.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct Song;
class AppFolder;
class Compressor;
class MidiOut;

// Largest project text a load expands; far above the largest song (about 20 MiB).
inline constexpr size_t kMaxProjectText = size_t{64} << 20;
// Largest project file a load reads, from a file, a device or a pipe alike: a gzip stream
// of kMaxProjectText bytes of text never needs more (stored blocks add 5 bytes in 64 KiB).
inline constexpr size_t kMaxProjectFile = kMaxProjectText + (kMaxProjectText >> 4);

// What a load tells the window besides the song itself.
struct LoadReport {
    bool olderLayout = false;       // read from the older layout; the next save upgrades it
    bool partHeaderChanged = false; // program, reverb or chorus of the current part changed
};

// Which work files a load replaces.
enum class WorkFileMode {
    KeepOthers, // parts without section keep a work file left in the folder
    ReplaceAll, // parts without section lose their work file (snapshot restore)
};

// Working memory of a save. Callers that save often (the one-minute backup) keep one so
// that later saves reuse it: touching megabytes of fresh memory costs more than the text.
struct SaveBuffers {
    std::string text;            // the project text of the last save
    std::vector<int64_t> values; // numbers of the work file being checked
};

// Writes the song to song.FilePath: stores the current part's work file, builds the
// project text from the song and all sixteen work files and replaces the file atomically.
// Dirty = 0 afterwards. Throws ProjectFileError; the previous file then stays as it was.
void SaveProject(Song& song, const AppFolder& folder, const Compressor& compressor);
void SaveProject(Song& song, const AppFolder& folder, const Compressor& compressor,
                 SaveBuffers& buffers);

// The first half of SaveProject, touching the song: stores the current part's work file
// and builds the project text into buffers.text. Throws FormatError for a damaged work
// file, std::system_error when a file cannot be read or written.
void buildProjectText(const Song& song, const AppFolder& folder, SaveBuffers& buffers);
std::string buildProjectText(const Song& song, const AppFolder& folder);
// The second half, which touches no song state: compress and replace the file. Throws
// ProjectFileError.
void writeProjectFile(const std::filesystem::path& path, std::string_view text,
                      const Compressor& compressor);

// Replaces the song by the project file song.FilePath: song-level data, the work files of
// the parts the file holds, and the current part, whose header is sent to the MIDI output.
// The whole file is read and checked first; a refused file throws ProjectFileError with a
// one-line reason and leaves the song, the work files, FilePath and Dirty as they were.
// Dirty = 0 afterwards; FilePath and FileName are the caller's.
LoadReport LoadProject(Song& song, const AppFolder& folder, const Compressor& compressor,
                       MidiOut& out, WorkFileMode mode = WorkFileMode::KeepOthers);

// The two halves of LoadProject. readProjectFile changes nothing.
ProjectImage readProjectFile(const std::filesystem::path& path, const Compressor& compressor);
LoadReport applyProject(Song& song, const AppFolder& folder, MidiOut& out,
                        const ProjectImage& image, WorkFileMode mode);

} // namespace zelk
