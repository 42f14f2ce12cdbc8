#pragma once

#include "midi/MidiFileEvents.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zelk {

// The times of a file's ticks through its tempo changes (120 beats per minute until the
// first), exact to the sample: a tick's sample is its time in seconds times the rate,
// rounded to the nearest.
class TempoMap {
public:
    // 120 beats per minute for ever, 480 ticks per quarter note.
    TempoMap();
    explicit TempoMap(const MidiFileEvents& file);
    // From the file's tempo events in time order: (tick, microseconds per quarter note).
    TempoMap(uint16_t division, const std::vector<std::pair<uint32_t, uint32_t>>& tempos);

    int64_t sampleAt(uint32_t tick, int sampleRate) const;
    // The same for ticks asked in rising order: `hint` (0 at first) keeps the tempo change
    // reached, so a whole file is timed in one walk.
    int64_t sampleAt(uint32_t tick, int sampleRate, size_t& hint) const;
    double secondsAt(uint32_t tick) const;
    // The tick sounding at `sample`: the last whose exact time is at or before it.
    uint32_t tickAtSample(int64_t sample, int sampleRate) const;

private:
    struct Change {
        uint32_t tick;
        uint32_t micros;    // per quarter note from here on
        int64_t microTicks; // time of the change in microseconds x division
    };
    void add(uint32_t tick, uint32_t micros);
    int64_t microTicksAt(uint32_t tick) const;
    int64_t sampleOfMicroTicks(int64_t micro, int sampleRate) const;

    uint16_t division_;
    std::vector<Change> changes_;
};

} // namespace zelk
