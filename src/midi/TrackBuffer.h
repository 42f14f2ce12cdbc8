#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// SMF 1.0 variable-length quantity: 7 bits per byte, most significant first, bit 7 set
// on every byte but the last. Deltas of a song need at most three bytes.
void appendVlq(std::vector<uint8_t>& out, uint32_t value);

// A data byte of a channel or meta event: values outside 0..127 are clamped, so a
// hand-edited lane or key can never turn a data byte into a status byte.
constexpr uint8_t dataByte(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 127 ? 127 : v));
}

// The body of one MTrk chunk being assembled, with the time of its last event. Times are
// column ticks (60 per column); a delta is the distance from the last event's time.
class TrackBuffer {
public:
    void reset(int32_t startTick) {
        bytes_.clear();
        LastTick = startTick;
        fileTicks_ = 0;
    }

    // Delta from LastTick to `tick`, then LastTick = tick. Throws std::logic_error for a
    // tick before LastTick: events of a track must never go back in time.
    void at(int32_t tick);
    // A delta that moves the file's time without moving LastTick (the export's set-up
    // beat, which lies before column tick 0).
    void rawDelta(uint32_t ticks) {
        appendVlq(bytes_, ticks);
        fileTicks_ += ticks;
    }

    void put(std::initializer_list<uint8_t> b) { bytes_.insert(bytes_.end(), b); }
    // Meta event FF type, its length as a variable-length quantity, then the data.
    void meta(uint8_t type, std::string_view data);
    void endOfTrack() { put({0x00, 0xFF, 0x2F, 0x00}); }
    // The end of track at a later tick than the last event.
    void endOfTrackAt(int32_t tick) {
        at(tick);
        put({0xFF, 0x2F, 0x00});
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    // The file time of the last event: the sum of every delta since reset.
    uint32_t fileTicks() const { return fileTicks_; }

    int32_t LastTick = 0;

private:
    std::vector<uint8_t> bytes_;
    uint32_t fileTicks_ = 0;
};

// Appends "MTrk", the 4-byte big-endian body length and the body.
void appendTrackChunk(std::vector<uint8_t>& out, const std::vector<uint8_t>& body);
void appendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes);

} // namespace zelk
