#pragma once

#include "midi/MidiExportOptions.h"

#include <filesystem>
#include <vector>

namespace zelk {

struct Song;
class AppFolder;
class MidiOut;
class TextEncoder;
class TrackCache;

// The parts the writer turns into tracks, in track order (track 1 is the first): parts
// with a work file, ticked ones only in playback.
std::vector<int> includedParts(const AppFolder& folder, const MidiExportOptions& opt);

// Writes the song as a Standard MIDI File (format 1, 480 ticks per quarter note): a
// conductor track, then one track per included part, read from the parts' work files
// after the current part has been saved to its own. Title and copyright go through
// `encoder` (Shift-JIS in the program). The file appears under `path` only when it is
// complete; on any error (FormatError for a damaged work file, std::system_error for the
// file system, std::invalid_argument for options outside the song) nothing is written
// there and the song is unchanged. Afterwards the current part is loaded again from its
// work file (LoadPartFile), which sends its default sound to `out` when it has no notes.
// Returns the file's last tick: the time of its latest end-of-track event, where a player
// has sent everything. With a cache, part tracks whose work file did not change since the
// cache last saw them are taken from it, and it holds the music of the file afterwards.
uint32_t WriteMidiFile(Song& song, const AppFolder& folder, MidiOut& out,
                       const TextEncoder& encoder, const std::filesystem::path& path,
                       const MidiExportOptions& opt, TrackCache* cache = nullptr);

} // namespace zelk
