#include "midi/MidiFileEvents.h"

#include "files/TextLines.h"
#include "model/FormatError.h"

#include <algorithm>

namespace zelk {
namespace {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> b) : b_(b) {}

    bool atEnd() const { return pos_ >= b_.size(); }
    uint8_t byte() {
        if (atEnd())
            throw FormatError("MIDI file ends inside a chunk");
        return b_[pos_++];
    }
    uint8_t peek() const {
        if (atEnd())
            throw FormatError("MIDI file ends inside a chunk");
        return b_[pos_];
    }
    uint32_t bigEndian(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = (v << 8) | byte();
        return v;
    }
    uint32_t vlq() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t c = byte();
            v = (v << 7) | (c & 0x7F);
            if (!(c & 0x80))
                return v;
        }
        throw FormatError("MIDI file has a variable-length number over four bytes");
    }
    std::span<const uint8_t> take(size_t n) {
        if (n > b_.size() - pos_)
            throw FormatError("MIDI file ends inside a chunk");
        const auto s = b_.subspan(pos_, n);
        pos_ += n;
        return s;
    }

private:
    std::span<const uint8_t> b_;
    size_t pos_ = 0;
};

// Far beyond the longest song (9600 columns of 60 ticks), low enough that tempo
// arithmetic in 64 bits never overflows.
constexpr uint32_t kMaxTick = 1u << 28;

int dataBytesOf(uint8_t status) {
    const int kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

// Reads one MTrk body into events; returns the track's end tick.
uint32_t readTrack(std::span<const uint8_t> body, uint16_t track, std::vector<MidiEvent>& out) {
    ByteReader r(body);
    uint32_t tick = 0;
    uint8_t running = 0;
    while (!r.atEnd()) {
        tick += r.vlq();
        if (tick > kMaxTick)
            throw FormatError("MIDI track longer than any song");
        MidiEvent e;
        e.tick = tick;
        e.track = track;
        uint8_t status = r.peek();
        if (status & 0x80)
            r.byte();
        else if (running != 0)
            status = running;
        else
            throw FormatError("MIDI track starts with a data byte");
        e.status = status;
        if (status == 0xFF) {
            e.meta = r.byte();
            const auto d = r.take(r.vlq());
            e.data.assign(d.begin(), d.end());
            if (e.meta == 0x2F)
                return tick;
        } else if (status == 0xF0 || status == 0xF7) {
            const auto d = r.take(r.vlq());
            e.data.assign(d.begin(), d.end());
            e.status = 0xF0;
        } else if (status >= 0x80 && status < 0xF0) {
            running = status;
            e.d1 = r.byte() & 0x7F;
            if (dataBytesOf(status) == 2)
                e.d2 = r.byte() & 0x7F;
        } else {
            throw FormatError("MIDI track holds a system message that a file cannot hold");
        }
        out.push_back(std::move(e));
    }
    return tick; // no end of track: the last event ends it
}

} // namespace

uint32_t MidiEvent::tempoMicros() const {
    const auto b = [this](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(data[i]));
    };
    return (b(0) << 16) | (b(1) << 8) | b(2);
}

MidiFileEvents readMidiEvents(std::span<const uint8_t> file) {
    ByteReader r(file);
    if (file.size() < 14 || r.bigEndian(4) != 0x4D546864 || r.bigEndian(4) != 6)
        throw FormatError("not a Standard MIDI File");
    const uint32_t format = r.bigEndian(2);
    MidiFileEvents f;
    f.trackCount = static_cast<uint16_t>(r.bigEndian(2));
    f.division = static_cast<uint16_t>(r.bigEndian(2));
    if (format > 1 || f.division == 0 || (f.division & 0x8000))
        throw FormatError("MIDI file of a format or time division this program does not play");
    for (uint16_t t = 0; t < f.trackCount; ++t) {
        const uint32_t id = r.bigEndian(4);
        const auto body = r.take(r.bigEndian(4));
        if (id != 0x4D54726B) {
            --t; // unknown chunks are skipped
            continue;
        }
        f.lastTick = std::max(f.lastTick, readTrack(body, t, f.events));
    }
    std::stable_sort(f.events.begin(), f.events.end(), [](const MidiEvent& a, const MidiEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
    });
    return f;
}

MidiFileEvents readMidiEventsFile(const std::filesystem::path& path) {
    const std::string bytes = readWholeFile(path);
    return readMidiEvents({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
}

uint32_t lastNoteOffTick(const MidiFileEvents& file) {
    uint32_t last = 0;
    for (const MidiEvent& e : file.events)
        if (e.isNoteOff())
            last = std::max(last, e.tick);
    return last;
}

} // namespace zelk
