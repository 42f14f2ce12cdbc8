#pragma once

#include "midi/MidiFileEvents.h"

#include <cstdint>
#include <vector>

namespace zelk {

// The times of a file's ticks through its tempo changes (120 beats per minute until the
// first), exact to the sample: a tick's sample is its time in seconds times the rate,
// rounded to the nearest.
class TempoMap {
public:
    explicit TempoMap(const MidiFileEvents& file);

    int64_t sampleAt(uint32_t tick, int sampleRate) const;
    double secondsAt(uint32_t tick) const;

private:
    struct Change {
        uint32_t tick;
        uint32_t micros;    // per quarter note from here on
        int64_t microTicks; // time of the change in microseconds x division
    };
    int64_t microTicksAt(uint32_t tick) const;

    uint16_t division_;
    std::vector<Change> changes_;
};

} // namespace zelk
