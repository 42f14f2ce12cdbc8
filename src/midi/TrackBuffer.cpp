#include "midi/TrackBuffer.h"

#include <stdexcept>

namespace zelk {

void appendVlq(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(static_cast<uint8_t>(0x80 | groups[--n]));
    out.push_back(groups[0]);
}

void appendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void TrackBuffer::at(int32_t tick) {
    if (tick < LastTick)
        throw std::logic_error("MIDI event before the previous one of its track");
    appendVlq(bytes_, static_cast<uint32_t>(tick - LastTick));
    fileTicks_ += static_cast<uint32_t>(tick - LastTick);
    LastTick = tick;
}

void TrackBuffer::meta(uint8_t type, std::string_view data) {
    put({0xFF, type});
    appendVlq(bytes_, static_cast<uint32_t>(data.size()));
    bytes_.insert(bytes_.end(), data.begin(), data.end());
}

void appendTrackChunk(std::vector<uint8_t>& out, const std::vector<uint8_t>& body) {
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    appendBigEndian(out, static_cast<uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
}

} // namespace zelk
