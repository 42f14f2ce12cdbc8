#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace zelk {

// What of a MIDI file sounds, before it is timed at a rate: its channel messages by tick in
// the file's order (at one tick, tracks in file order) and its tempo changes. A player is
// given this; the playback file's writer makes it from the very tracks it writes.
struct FileMusic {
    struct Message {
        uint32_t tick = 0;
        uint32_t message = 0; // status + data 1 x 256 + data 2 x 65536
        uint16_t track = 0;   // 0 the conductor, then the file's tracks in order
        bool operator==(const Message&) const = default;
    };
    uint16_t division = 480;                           // ticks per quarter note
    std::vector<std::pair<uint32_t, uint32_t>> tempos; // (tick, microseconds per quarter)
    std::vector<Message> messages;
    uint32_t lastTick = 0; // the latest end of track
    bool operator==(const FileMusic&) const = default;
};

} // namespace zelk
