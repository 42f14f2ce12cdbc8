#pragma once

#include "model/FormatError.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zelk {

// One event of a Standard MIDI File at its absolute tick. Channel events keep their status
// and data bytes; meta events have status 0xFF, their type in `meta` and their data in
// `data`; system exclusive messages have status 0xF0 and their bytes after F0 in `data`.
struct MidiEvent {
    uint32_t tick = 0;
    uint16_t track = 0;
    uint8_t status = 0;
    uint8_t d1 = 0;
    uint8_t d2 = 0;
    uint8_t meta = 0;
    std::string data;

    bool isChannelEvent() const { return status >= 0x80 && status < 0xF0; }
    int channel() const { return status & 0x0F; }
    int kind() const { return status & 0xF0; } // 0x80 note off .. 0xE0 pitch bend
    bool isNoteOn() const { return kind() == 0x90 && d2 > 0; }
    bool isNoteOff() const { return kind() == 0x80 || (kind() == 0x90 && d2 == 0); }
    bool isTempo() const { return status == 0xFF && meta == 0x51 && data.size() == 3; }
    uint32_t tempoMicros() const;
};

// Every event of a file, all tracks merged in time order; events of the same tick keep
// the order of their tracks and, within a track, the file's order.
struct MidiFileEvents {
    uint16_t division = 480; // ticks per quarter note
    uint16_t trackCount = 0;
    std::vector<MidiEvent> events;
    uint32_t lastTick = 0; // the latest end of track
};

// Largest MIDI file read, from a file, a device or a pipe alike: about ten times the
// export of the densest song. More is refused without reading further.
inline constexpr size_t kMaxMidiFile = size_t{16} << 20;
// Most events a file may hold (about 200 MB of them in memory): far above any song.
inline constexpr size_t kMaxMidiEvents = size_t{4} << 20;

// Why a file is refused, so that the window can say it in its own words.
enum class MidiRefusal {
    NotMidi,       // no MThd header
    Format2,       // independent patterns
    SmpteDivision, // time in frames per second, not ticks per quarter note
    Damaged,       // a chunk or event that runs past the end, a bad number
    TooLong,       // a track longer than any song
    TooLarge,      // more bytes or events than the caps
};

// A refused MIDI file; what() is one line in English for the tool.
class MidiFileError : public FormatError {
public:
    MidiFileError(MidiRefusal why, const std::string& text) : FormatError(text), why_(why) {}
    MidiRefusal why() const { return why_; }

private:
    MidiRefusal why_;
};

// Reads a format 0 or 1 file with ticks per quarter note (running status allowed, unknown
// chunks skipped). Throws MidiFileError for anything else, a damaged file, one with a
// track of more than 2^28 ticks or more than maxEvents events.
MidiFileEvents readMidiEvents(std::span<const uint8_t> file, size_t maxEvents = kMaxMidiEvents);

// The bytes of a MIDI file, at most kMaxMidiFile (MidiFileError TooLarge beyond);
// std::system_error when it cannot be read.
std::string readMidiFileBytes(const std::filesystem::path& path);
// readMidiEvents of readMidiFileBytes.
MidiFileEvents readMidiEventsFile(const std::filesystem::path& path);

// Reads one MTrk body (running status allowed), handing each event to `emit` with `track`;
// returns the track's end tick. Throws MidiFileError for a damaged body.
uint32_t forEachTrackEvent(std::span<const uint8_t> body, uint16_t track,
                           const std::function<void(MidiEvent&&)>& emit);

// The bodies of the file's MTrk chunks in file order (after readMidiEvents accepted it).
std::vector<std::span<const uint8_t>> midiTrackBodies(std::span<const uint8_t> file);

// The tick of the last note-off (or note-on with velocity 0), 0 without notes.
uint32_t lastNoteOffTick(const MidiFileEvents& file);

} // namespace zelk
