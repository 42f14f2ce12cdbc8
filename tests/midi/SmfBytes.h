#pragma once

// Builds expected Standard MIDI File bytes from annotated events, independently of the
// writer's own helpers.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace zelk::test {

using Bytes = std::vector<uint8_t>;

// One event of a track: its delta in ticks and its bytes (status included).
struct Ev {
    uint32_t delta;
    Bytes bytes;
};

// SMF variable-length quantity.
inline Bytes vlq(uint32_t v) {
    Bytes out{static_cast<uint8_t>(v & 0x7F)};
    while ((v >>= 7) != 0)
        out.insert(out.begin(), static_cast<uint8_t>(0x80 | (v & 0x7F)));
    return out;
}

inline Bytes ascii(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes trackBody(const std::vector<Ev>& events) {
    Bytes body;
    for (const auto& e : events) {
        const Bytes d = vlq(e.delta);
        body.insert(body.end(), d.begin(), d.end());
        body.insert(body.end(), e.bytes.begin(), e.bytes.end());
    }
    return body;
}

inline Bytes trackChunk(const std::vector<Ev>& events) {
    const Bytes body = trackBody(events);
    const auto n = static_cast<uint32_t>(body.size());
    return cat({ascii("MTrk"),
                {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                 static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)},
                body});
}

// MThd, format 1, 480 ticks per quarter note.
inline Bytes fileHeader(uint16_t tracks) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            0,
            1,
            static_cast<uint8_t>(tracks >> 8),
            static_cast<uint8_t>(tracks),
            0x01,
            0xE0};
}

inline std::vector<Ev> operator+(std::vector<Ev> a, const std::vector<Ev>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Hex dump, 16 bytes a line, so that a failed comparison shows where the bytes differ.
inline std::string hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (size_t i = 0; i < b.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", b[i]);
        s += buf;
        s += (i % 16 == 15) ? '\n' : ' ';
    }
    return s;
}

// Whole byte vectors compared through their hex dumps.
#define EXPECT_BYTES(actual, expected)                                                             \
    EXPECT_EQ(::zelk::test::hex(actual), ::zelk::test::hex(expected))

// Common events.
inline Bytes metaText(uint8_t type, std::string_view text) {
    return cat({{0xFF, type}, vlq(static_cast<uint32_t>(text.size())), ascii(text)});
}
inline Bytes timeSig(uint8_t nn, uint8_t dd) {
    return {0xFF, 0x58, 0x04, nn, dd, 0x18, 0x08};
}
inline Bytes tempoEv(uint32_t us) {
    return {0xFF,
            0x51,
            0x03,
            static_cast<uint8_t>(us >> 16),
            static_cast<uint8_t>(us >> 8),
            static_cast<uint8_t>(us)};
}
inline Bytes noteOn(int ch, int key, int vel) {
    return {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(key), static_cast<uint8_t>(vel)};
}
inline Bytes noteOff(int ch, int key) {
    return noteOn(ch, key, 0);
}
inline Bytes cc(int ch, int controller, int value) {
    return {static_cast<uint8_t>(0xB0 | ch), static_cast<uint8_t>(controller),
            static_cast<uint8_t>(value)};
}
inline Bytes program(int ch, int p) {
    return {static_cast<uint8_t>(0xC0 | ch), static_cast<uint8_t>(p)};
}
inline const Bytes kGmSystemOn{0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
inline const Bytes kEndOfTrack{0xFF, 0x2F, 0x00};
inline const Bytes kLoopMarker{0xB0, 0x6F, 0x00};

} // namespace zelk::test
