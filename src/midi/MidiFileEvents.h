#pragma once

#include <cstdint>
#include <filesystem>
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

// Reads a format 0 or 1 file with ticks per quarter note (running status allowed).
// Throws FormatError for anything else, a damaged file or one with a track of more than
// 2^28 ticks.
MidiFileEvents readMidiEvents(std::span<const uint8_t> file);

// readMidiEvents of a file's bytes; FormatError as there, std::system_error when it cannot
// be read.
MidiFileEvents readMidiEventsFile(const std::filesystem::path& path);

// The tick of the last note-off (or note-on with velocity 0), 0 without notes.
uint32_t lastNoteOffTick(const MidiFileEvents& file);

} // namespace zelk
