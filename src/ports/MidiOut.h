#pragma once

#include <cstdint>

namespace zelk {

// A MIDI output that takes three-byte channel messages packed as one value:
// status + data1 * 256 + data2 * 65536 (status in the low byte).
class MidiOut {
public:
    virtual ~MidiOut() = default;
    virtual void send(uint32_t shortMessage) = 0;
};

constexpr uint32_t shortMessage(int status, int data1, int data2 = 0) {
    return static_cast<uint32_t>(status & 0xFF) | (static_cast<uint32_t>(data1 & 0xFF) << 8) |
           (static_cast<uint32_t>(data2 & 0xFF) << 16);
}

// The bytes of a channel voice message (2 for program change and channel pressure, else 3);
// 0 for anything else.
constexpr int channelMessageBytes(uint8_t status) {
    if (status < 0x80 || status >= 0xF0)
        return 0;
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 2 : 3;
}

} // namespace zelk
