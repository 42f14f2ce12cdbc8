#include "midi/MidiFileEvents.h"

#include "files/TextLines.h"
#include "model/FormatError.h"
#include "ports/MidiOut.h"

#include <algorithm>
#include <optional>

namespace zelk {
namespace {

[[noreturn]] void damaged(const std::string& what) {
    throw MidiFileError(MidiRefusal::Damaged, "MIDI file " + what);
}

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> b) : b_(b) {}

    bool atEnd() const { return pos_ >= b_.size(); }
    size_t left() const { return b_.size() - pos_; }
    uint8_t byte() {
        if (atEnd())
            damaged("ends inside an event");
        return b_[pos_++];
    }
    uint8_t peek() const {
        if (atEnd())
            damaged("ends inside an event");
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
        damaged("has a variable-length number over four bytes");
    }
    std::span<const uint8_t> take(size_t n) {
        if (n > left())
            damaged("ends inside an event");
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

// Walks one MTrk body, handing each event to `emit`; returns the track's end tick. Without
// kKeepData the data of meta and sysex events is skipped (a count needs none of it).
template <bool kKeepData = true, typename Emit>
uint32_t walkTrack(std::span<const uint8_t> body, uint16_t track, Emit&& emit) {
    ByteReader r(body);
    uint32_t tick = 0;
    uint8_t running = 0;
    while (!r.atEnd()) {
        tick += r.vlq();
        if (tick > kMaxTick)
            throw MidiFileError(MidiRefusal::TooLong, "MIDI track longer than any song");
        MidiEvent e;
        e.tick = tick;
        e.track = track;
        uint8_t status = r.peek();
        if (status & 0x80)
            r.byte();
        else if (running != 0)
            status = running;
        else
            damaged("has a track that starts with a data byte");
        e.status = status;
        if (status == 0xFF) {
            e.meta = r.byte();
            const auto d = r.take(r.vlq());
            if constexpr (kKeepData)
                e.data.assign(d.begin(), d.end());
            if (e.meta == 0x2F)
                return tick;
        } else if (status == 0xF0 || status == 0xF7) {
            const auto d = r.take(r.vlq());
            if constexpr (kKeepData)
                e.data.assign(d.begin(), d.end());
            e.status = 0xF0;
        } else if (status >= 0x80 && status < 0xF0) {
            running = status;
            e.d1 = r.byte() & 0x7F;
            if (channelMessageBytes(status) == 3)
                e.d2 = r.byte() & 0x7F;
        } else {
            damaged("has a track holding a system message that a file cannot hold");
        }
        emit(std::move(e));
    }
    return tick; // no end of track: the last event ends it
}

// Events of all tracks in time order. Each track's events come in time order already, one
// track after the other (`bounds`: where each begins, then the end), so merging neighbouring
// tracks, left first on equal ticks, keeps a tick's events in track order and a track's in
// file order. The order is found on indexes and the events are moved along its cycles, so
// that no second copy of them is ever held.
void sortByTick(std::vector<MidiEvent>& events, std::vector<size_t> bounds) {
    std::vector<uint32_t> order(events.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto earlier = [&events](uint32_t a, uint32_t b) {
        return events[a].tick < events[b].tick;
    };
    while (bounds.size() > 2) {
        std::vector<size_t> merged;
        size_t i = 0;
        for (; i + 2 < bounds.size(); i += 2) {
            const auto at = [&](size_t k) {
                return order.begin() + static_cast<ptrdiff_t>(bounds[k]);
            };
            std::inplace_merge(at(i), at(i + 1), at(i + 2), earlier);
            merged.push_back(bounds[i]);
        }
        merged.insert(merged.end(), bounds.begin() + static_cast<ptrdiff_t>(i), bounds.end());
        bounds = std::move(merged);
    }
    for (uint32_t i = 0; i < order.size(); ++i) {
        if (order[i] == i)
            continue;
        MidiEvent first = std::move(events[i]);
        uint32_t j = i;
        for (uint32_t from = order[j]; from != i; from = order[j]) {
            events[j] = std::move(events[from]);
            order[j] = j;
            j = from;
        }
        events[j] = std::move(first);
        order[j] = j;
    }
}

} // namespace

uint32_t MidiEvent::tempoMicros() const {
    const auto b = [this](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(data[i]));
    };
    return (b(0) << 16) | (b(1) << 8) | b(2);
}

namespace {

struct Chunk {
    uint32_t id;
    std::span<const uint8_t> body;
};

constexpr uint32_t kMThd = 0x4D546864;
constexpr uint32_t kMTrk = 0x4D54726B;

// The header's fields; the reader stands after the header chunk.
struct Header {
    uint32_t format;
    uint16_t trackCount;
    uint16_t division;
};

Header readHeader(ByteReader& r, size_t size) {
    if (size < 14 || r.bigEndian(4) != kMThd)
        throw MidiFileError(MidiRefusal::NotMidi, "not a Standard MIDI File");
    const uint32_t length = r.bigEndian(4);
    if (length < 6)
        throw MidiFileError(MidiRefusal::NotMidi, "not a Standard MIDI File");
    Header h{r.bigEndian(2), static_cast<uint16_t>(r.bigEndian(2)),
             static_cast<uint16_t>(r.bigEndian(2))};
    r.take(length - 6); // a longer header of a later version: its extra bytes are skipped
    if (h.format == 2)
        throw MidiFileError(MidiRefusal::Format2,
                            "MIDI file of format 2 (independent patterns), which has no one song");
    if (h.format > 2)
        throw MidiFileError(MidiRefusal::NotMidi,
                            "MIDI file of an unknown format " + std::to_string(h.format));
    if (h.division & 0x8000)
        throw MidiFileError(MidiRefusal::SmpteDivision,
                            "MIDI file timed in SMPTE frames, not in beats");
    if (h.division == 0)
        damaged("has a time division of 0 ticks per quarter note");
    return h;
}

// The next chunk; nothing at the end of the file. A chunk whose length runs past the end
// is damaged.
std::optional<Chunk> nextChunk(ByteReader& r, int number) {
    if (r.atEnd())
        return std::nullopt;
    if (r.left() < 8)
        damaged("ends inside a chunk header");
    const uint32_t id = r.bigEndian(4);
    const uint32_t length = r.bigEndian(4);
    if (length > r.left())
        damaged("has chunk " + std::to_string(number) + " running past the end of the file");
    return Chunk{id, r.take(length)};
}

} // namespace

MidiFileEvents readMidiEvents(std::span<const uint8_t> file, size_t maxEvents) {
    // The events are counted first, so that their vector is made once at its size.
    const std::vector<std::span<const uint8_t>> tracks = midiTrackBodies(file);
    size_t count = 0;
    for (const auto& body : tracks)
        walkTrack<false>(body, 0, [&count, maxEvents](MidiEvent&&) {
            if (++count > maxEvents)
                throw MidiFileError(MidiRefusal::TooLarge,
                                    "MIDI file holds more events than any song");
        });
    MidiFileEvents f;
    ByteReader r(file);
    f.division = readHeader(r, file.size()).division;
    f.trackCount = static_cast<uint16_t>(tracks.size());
    f.events.reserve(count);
    std::vector<size_t> bounds{0};
    for (size_t t = 0; t < tracks.size(); ++t) {
        const auto add = [&f](MidiEvent&& e) { f.events.push_back(std::move(e)); };
        f.lastTick = std::max(f.lastTick, walkTrack(tracks[t], static_cast<uint16_t>(t), add));
        bounds.push_back(f.events.size());
    }
    sortByTick(f.events, std::move(bounds));
    return f;
}

uint32_t forEachTrackEvent(std::span<const uint8_t> body, uint16_t track,
                           const std::function<void(MidiEvent&&)>& emit) {
    return walkTrack(body, track, emit);
}

// Unknown chunks are skipped; a file that ends before its last declared track keeps the
// tracks it has.
std::vector<std::span<const uint8_t>> midiTrackBodies(std::span<const uint8_t> file) {
    ByteReader r(file);
    const Header h = readHeader(r, file.size());
    std::vector<std::span<const uint8_t>> bodies;
    for (int n = 1; bodies.size() < h.trackCount; ++n) {
        const auto chunk = nextChunk(r, n);
        if (!chunk)
            break;
        if (chunk->id == kMTrk)
            bodies.push_back(chunk->body);
    }
    return bodies;
}

std::string readMidiFileBytes(const std::filesystem::path& path) {
    try {
        return readFileCapped(path, kMaxMidiFile);
    } catch (const FileTooLarge&) {
        throw MidiFileError(MidiRefusal::TooLarge, "MIDI file larger than 16 MiB");
    }
}

MidiFileEvents readMidiEventsFile(const std::filesystem::path& path) {
    const std::string bytes = readMidiFileBytes(path);
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
