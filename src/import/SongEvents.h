#pragma once

#include "midi/MidiFileEvents.h"
#include "model/Limits.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelk {

// A note as the file plays it: from its note-on to the note-off that ends it (file ticks).
struct FileNote {
    uint32_t on = 0;
    uint32_t off = 0;
    uint8_t key = 0;
    uint8_t velocity = 0;
    // Indexes of the note-on and note-off in the file's events (the off: the on's for a
    // note the file never ends).
    uint32_t onEvent = 0, offEvent = 0;
};

// A channel message other than a note: controller, program, pressure or pitch bend.
struct FileChange {
    uint32_t tick = 0;
    uint8_t kind = 0; // status high nibble: 0xA0 .. 0xE0
    uint8_t d1 = 0;
    uint8_t d2 = 0;
};

// What the file plays on one part.
struct PartEvents {
    bool present = false;
    std::vector<FileNote> notes; // by note-on tick
    std::vector<FileChange> changes;
    int unended = 0; // notes the file never ended, ended at its last tick
};

struct MeterEvent {
    uint32_t tick;
    int numerator;
    int denominatorPower; // the denominator is 2 to this power
};
struct KeyEvent {
    uint32_t tick;
    int sharps; // -7 (seven flats) .. 7
};
struct TempoEvent {
    uint32_t tick;
    uint32_t micros; // per quarter note
};

// Which part each track's events go to.
struct TrackParts {
    bool ownExport = false;            // the file is our own export (a set-up beat before the song)
    std::vector<int> partOfTrack;      // -1: the part of each event's channel
    std::vector<bool> trailingProgram; // the track ends on the export's closing program 0
    std::array<bool, kParts> rhythm{}; // parts to be marked as rhythm parts
    // Our export without the closing program 0: the song had a loop point, whether or not
    // a track reached it to write its marker.
    bool loopPoint = false;
};

// Everything a file holds that the grid can take, gathered per part.
struct SongEvents {
    uint16_t division = 480;
    uint32_t origin = 0;   // tick of column 0
    uint32_t lastTick = 0; // the latest end of track
    bool ownExport = false;
    std::vector<MeterEvent> meters;
    std::vector<KeyEvent> keys;
    std::vector<TempoEvent> tempos;
    std::optional<uint32_t> loopTick; // the first controller 111
    // Bytes of the first track's name and copyright notice, when it has them.
    std::optional<std::string> title, copyright;
    std::array<PartEvents, kParts> parts;
    std::array<bool, kParts> rhythm{};
    bool ownLoopPoint = false; // TrackParts::loopPoint

    // Threads the parts are made on: a file of fewer than kNotesForWorkers notes is made
    // on one, since starting threads and a part to write into for each would cost about
    // what they save there.
    static constexpr size_t kNotesForWorkers = 512;
    unsigned partWorkers() const {
        size_t notes = 0;
        for (const PartEvents& p : parts)
            notes += p.notes.size();
        return notes >= kNotesForWorkers ? 4 : 1;
    }
};

// Gathers the file's events into parts. Notes pair each note-off (or note-on with
// velocity 0) with the oldest sounding note-on of its key on its part.
SongEvents gatherSongEvents(const MidiFileEvents& file, const TrackParts& layout);

} // namespace zelk
