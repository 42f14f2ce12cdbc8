#pragma once

#include "midi/TempoMap.h"
#include "ports/FileMusic.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace zelk {

struct MidiFileEvents;

// A channel message at the frame of the synthesizer's time it sounds on, and the file's
// tick it came from.
struct ScheduledMessage {
    int64_t frame = 0;
    uint32_t tick = 0;
    uint32_t message = 0; // status + data 1 x 256 + data 2 x 65536
};

// Where the music wraps: at `endFrame` it goes on at `startFrame` without a reset, as a
// game plays the loop. Messages [first, end) of the schedule are played again on every
// pass; those on the end tick (note-offs on the bar line) close a pass before the next
// pass's first messages at the same frame.
struct ScheduleLoop {
    int64_t startFrame = 0;
    int64_t endFrame = 0;
    uint32_t startTick = 0;
    uint32_t endTick = 0;
    size_t first = 0;
    size_t end = 0;
    int64_t length() const { return endFrame - startFrame; }
};

// Everything that happens in time, built ahead of playing (on the UI thread or a worker)
// and only read afterwards: by the synthesizer's rendering thread, the offline render and
// external MIDI ports alike. Frames count from the file's tick 0 minus `leadFrames` (the
// set-up beat an audio file leaves out); what comes before frame 0 sounds at 0.
struct Schedule {
    int sampleRate = 44100;
    std::vector<ScheduledMessage> messages; // frame order, the file's order at equal frames
    int64_t endFrame = 0;                   // the file's last tick: played through, it ends
    uint32_t endTick = 0;
    std::optional<ScheduleLoop> loop;
    int64_t leadFrames = 0;
    TempoMap tempo;

    int64_t frameOfTick(uint32_t tick) const;
    // The file's tick playing at frame `frame` (the tick whose frame is the last at or before
    // it).
    uint32_t tickAtFrame(int64_t frame) const;
    // The first message at or after `frame`.
    size_t indexAtFrame(int64_t frame) const;
};

// Which tracks of a file sound (track 0, the conductor, always does).
using TrackFilter = std::function<bool(int track)>;

FileMusic musicOf(const MidiFileEvents& file, const TrackFilter& sounds = {});

// The schedule of the music, timed through its own tempo map. `lead` ticks (the set-up
// beat) are left out of the time; with `loop` (ticks) the music wraps there.
Schedule scheduleOf(const FileMusic& music, int sampleRate, uint32_t leadTick = 0,
                    std::optional<std::pair<uint32_t, uint32_t>> loop = std::nullopt);
// scheduleOf(musicOf(file, sounds), ...).
Schedule scheduleOf(const MidiFileEvents& file, int sampleRate, const TrackFilter& sounds = {},
                    uint32_t leadTick = 0,
                    std::optional<std::pair<uint32_t, uint32_t>> loop = std::nullopt);

} // namespace zelk
