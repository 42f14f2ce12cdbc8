#pragma once

#include "midi/LoopSpan.h"
#include "midi/Schedule.h"
#include "model/Limits.h"
#include "ports/AudioFileSink.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelk {

struct Song;
struct MidiFileEvents;
class AppFolder;
class MidiOut;
class TextEncoder;

struct RenderOptions {
    int sampleRate = 44100;
    bool mono = false;
    bool loop = true; // false: render as if the song had no loop point
    // One gain for the whole file, bringing its peak to -1 dBFS (the loop stays seamless).
    bool normalize = false;
    // Parts (0..15) that sound; the loop and the length are the whole song's either way,
    // so that renders of single parts line up.
    std::array<bool, kParts> parts{true, true, true, true, true, true, true, true,
                                   true, true, true, true, true, true, true, true};
};

struct LoopFrames {
    LoopSpan span;
    int64_t start = 0; // first frame of the loop
    int64_t end = 0;   // the frame after its last, where the file ends
};

// Everything a render needs, taken from the song on the thread that owns it.
struct RenderPlan {
    int sampleRate = 44100;
    int channels = 2;
    // The messages at their frames, counted from the song's first column (the set-up beat's
    // all sound at frame 0), with the loop; the same schedule a playback of the file plays.
    std::shared_ptr<const Schedule> schedule;
    uint32_t lastNoteOffTick = 0;
    int64_t lastNoteOffFrame = 0;
    std::optional<LoopFrames> loop;
    std::string title;
    std::string copyright;
    bool normalize = false;

    AudioFileSpec fileSpec(AudioFileFormat format) const;
};

// Thrown for a song, or a choice of its parts, that has nothing to hear.
class NothingToRender : public std::runtime_error {
public:
    NothingToRender() : std::runtime_error("the song has no notes") {}
    explicit NothingToRender(const std::string& why) : std::runtime_error(why) {}
};

// The plan of an exported file. trackParts[i] is the part of track i + 1 (the conductor
// track is track 0).
RenderPlan planRender(const Song& song, const MidiFileEvents& file,
                      const std::vector<int>& trackParts, const RenderOptions& options);

// Writes the song's export file to midiPath (a private scratch name), reads it back, removes
// it and plans it.
// Throws what the MIDI writer throws, FormatError and NothingToRender.
RenderPlan prepareRender(Song& song, const AppFolder& folder, MidiOut& out,
                         const TextEncoder& encoder, const std::filesystem::path& midiPath,
                         const RenderOptions& options);

// The format named by a file's extension (.wav, .ogg, .flac in any case).
std::optional<AudioFileFormat> audioFormatOfPath(const std::filesystem::path& path);

} // namespace zelk
