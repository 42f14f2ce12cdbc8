#pragma once

// What the tool's commands do with a Standard MIDI File named where a project can be.

#include "import/ImportMidi.h"
#include "render/RenderPlan.h"

#include <filesystem>
#include <memory>
#include <string>

namespace zelk {
struct Song;
class AppFolder;
} // namespace zelk

namespace zelk::tool {

// Whether a file begins as a Standard MIDI File does ("MThd"), whatever its name.
bool isMidiFile(const std::filesystem::path& path);

// The import of a MIDI file, titled after the file's name when the file names no title
// (`name` as the user gave it; "-" has none). Throws MidiFileError or std::system_error.
MidiImport importMidiForTool(const std::filesystem::path& path, const std::string& name);

// A MIDI file imported into a freshly reset song whose work files go to the folder.
std::unique_ptr<Song> importIntoFreshSong(const std::filesystem::path& path,
                                          const std::string& name, const AppFolder& folder);

// The render plan of a MIDI file from its own events, its texts as the title and copyright;
// our own export without its set-up beat.
RenderPlan prepareMidiFileRender(const std::filesystem::path& path, const RenderOptions& options);

} // namespace zelk::tool
