#pragma once

// A small strict reader of the files the writer makes, for checking them without the
// writer's code: every event must carry its own status byte, data bytes must stay below
// 128, and each track must end with exactly one end-of-track event at its last byte.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelk::test {

struct SmfEvent {
    uint32_t tick; // absolute
    std::vector<uint8_t> bytes;
    uint8_t status() const { return bytes.at(0); }
};

struct SmfFile {
    int format = 0;
    int division = 0;
    int declaredTracks = 0;
    std::vector<std::vector<SmfEvent>> tracks;
};

class SmfReader {
public:
    explicit SmfReader(const std::vector<uint8_t>& data) : d_(data) {}

    SmfFile read() {
        SmfFile f;
        expectTag("MThd");
        if (be(4) != 6)
            fail("header length is not 6");
        f.format = static_cast<int>(be(2));
        f.declaredTracks = static_cast<int>(be(2));
        f.division = static_cast<int>(be(2));
        while (pos_ < d_.size())
            f.tracks.push_back(track());
        return f;
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        throw std::runtime_error(why + " at byte " + std::to_string(pos_));
    }
    uint8_t byte() {
        if (pos_ >= d_.size())
            fail("file ends early");
        return d_[pos_++];
    }
    uint32_t be(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 8 | byte();
        return v;
    }
    uint32_t vlq() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t b = byte();
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80))
                return v;
        }
        fail("variable-length quantity longer than 4 bytes");
    }
    void expectTag(const char* tag) {
        for (int i = 0; i < 4; ++i)
            if (byte() != static_cast<uint8_t>(tag[i]))
                fail(std::string("expected ") + tag);
    }
    void data(std::vector<uint8_t>& out, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const uint8_t b = byte();
            if (b & 0x80)
                fail("data byte above 127");
            out.push_back(b);
        }
    }
    void raw(std::vector<uint8_t>& out, size_t n) {
        for (size_t i = 0; i < n; ++i)
            out.push_back(byte());
    }

    std::vector<SmfEvent> track() {
        expectTag("MTrk");
        const uint32_t length = be(4);
        const size_t end = pos_ + length;
        if (end > d_.size())
            fail("track longer than the file");
        std::vector<SmfEvent> events;
        uint32_t tick = 0;
        bool ended = false;
        while (pos_ < end) {
            if (ended)
                fail("event after the end of track");
            tick += vlq();
            const size_t start = pos_;
            SmfEvent e{tick, {byte()}};
            const uint8_t s = e.bytes[0];
            if (s < 0x80)
                fail("event without status byte");
            if (s == 0xFF) {
                raw(e.bytes, 1);
                const uint32_t len = vlq();
                raw(e.bytes, len);
                ended = e.bytes[1] == 0x2F && len == 0;
            } else if (s == 0xF0) {
                raw(e.bytes, vlq());
            } else if ((s & 0xF0) == 0xC0 || (s & 0xF0) == 0xD0) {
                data(e.bytes, 1);
            } else if (s < 0xF0) {
                data(e.bytes, 2);
            } else {
                fail("unexpected system message");
            }
            // The event as written, status through its last byte.
            e.bytes.assign(d_.begin() + static_cast<long>(start),
                           d_.begin() + static_cast<long>(pos_));
            events.push_back(std::move(e));
        }
        if (pos_ != end)
            fail("last event runs past the track's length");
        if (!ended)
            fail("track without end-of-track event");
        return events;
    }

    const std::vector<uint8_t>& d_;
    size_t pos_ = 0;
};

} // namespace zelk::test
