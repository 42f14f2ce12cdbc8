#pragma once

#include "import/ImportReport.h"
#include "storage/ProjectImage.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zelk {

class TextDecoder;

// A Standard MIDI File made into a project: what a project file would hold, checked as a
// load checks it, and what had to change to fit the grid.
struct MidiImport {
    ProjectImage image;
    ImportReport report;
    bool ownExport = false; // the file is our own export
    bool exact = false;     // ... and every part writes its track again byte for byte
};

// Reads a format 0 or 1 file onto the grid: channel c to part c (channel 10 the rhythm
// part), time signatures to measures, key signatures to the keys of measures, tempo to the
// tempo lane, notes quantized and spelled onto rows, controllers to lanes and the part
// header, controller 111 to the loop point, the first track's name and copyright to the
// title and copyright (fallbackTitle when it names none). Our own export comes back as
// the project it was written from, so that exporting it again gives the same bytes.
// Throws MidiFileError for a file that is refused.
MidiImport importMidi(std::span<const uint8_t> file, const TextDecoder& decoder,
                      const std::string& fallbackTitle);

// importMidi of a file's bytes (at most kMaxMidiFile); std::system_error when it cannot
// be read.
MidiImport importMidiFile(const std::filesystem::path& path, const TextDecoder& decoder,
                          const std::string& fallbackTitle);

// Whether a file name ends in .mid or .midi, in any case.
bool isMidiFileName(const std::string& path);

} // namespace zelk
