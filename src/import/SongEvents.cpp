#include "import/SongEvents.h"

#include <deque>

namespace zelk {
namespace {

constexpr uint8_t kLoopController = 111;

void gatherMeta(const MidiEvent& e, SongEvents& s) {
    const auto byte = [&e](size_t i) { return static_cast<uint8_t>(e.data[i]); };
    switch (e.meta) {
    case 0x03:
        if (e.track == 0 && !s.title)
            s.title = e.data;
        break;
    case 0x02:
        if (e.track == 0 && !s.copyright)
            s.copyright = e.data;
        break;
    case 0x51:
        if (e.isTempo() && e.tempoMicros() > 0)
            s.tempos.push_back({e.tick, e.tempoMicros()});
        break;
    case 0x58:
        if (e.data.size() >= 2)
            s.meters.push_back({e.tick, byte(0), byte(1)});
        break;
    case 0x59:
        if (e.data.size() >= 1)
            s.keys.push_back({e.tick, static_cast<int8_t>(byte(0))});
        break;
    default:
        break;
    }
}

// Index in file.events of each track's last channel event (the size for none).
std::vector<size_t> lastChannelEvents(const MidiFileEvents& file) {
    std::vector<size_t> last(file.trackCount, file.events.size());
    for (size_t i = 0; i < file.events.size(); ++i)
        if (file.events[i].isChannelEvent())
            last[file.events[i].track] = i;
    return last;
}

class NotePairing {
public:
    // Our export writes a note whose velocity lane is 0 as a note-on of velocity 0: there a
    // note-off with nothing of its key sounding starts a silent note.
    explicit NotePairing(bool silentNotes) : silentNotes_(silentNotes) {}

    void on(PartEvents& part, int p, const MidiEvent& e, size_t index) {
        open(p, e.d1).push_back(part.notes.size());
        const auto i = static_cast<uint32_t>(index);
        part.notes.push_back({e.tick, e.tick, e.d1, e.d2, i, i});
    }
    void off(PartEvents& part, int p, const MidiEvent& e, size_t index) {
        auto& q = open(p, e.d1);
        if (q.empty()) {
            if (silentNotes_ && e.kind() == 0x90)
                on(part, p, e, index);
            return; // nothing of that key sounds
        }
        part.notes[q.front()].off = e.tick;
        part.notes[q.front()].offEvent = static_cast<uint32_t>(index);
        q.pop_front();
    }
    // Notes still sounding end with the file.
    void endAll(std::array<PartEvents, kParts>& parts, uint32_t lastTick) {
        for (int p = 0; p < kParts; ++p)
            for (int key = 0; key < 128; ++key)
                for (const size_t i : open(p, key)) {
                    parts[static_cast<size_t>(p)].notes[i].off = lastTick;
                    ++parts[static_cast<size_t>(p)].unended;
                }
    }

private:
    std::deque<size_t>& open(int p, int key) { return open_[static_cast<size_t>(p * 128 + key)]; }
    std::vector<std::deque<size_t>> open_ = std::vector<std::deque<size_t>>(kParts * 128);
    bool silentNotes_;
};

} // namespace

SongEvents gatherSongEvents(const MidiFileEvents& file, const TrackParts& layout) {
    SongEvents s;
    s.division = file.division;
    s.lastTick = file.lastTick;
    s.ownExport = layout.ownExport;
    s.origin = layout.ownExport ? 480 : 0;
    s.rhythm = layout.rhythm;
    s.ownLoopPoint = layout.loopPoint;
    const std::vector<size_t> lastOfTrack = lastChannelEvents(file);
    NotePairing pairing(layout.ownExport);
    for (size_t i = 0; i < file.events.size(); ++i) {
        const MidiEvent& e = file.events[i];
        if (e.status == 0xFF)
            gatherMeta(e, s);
        if (!e.isChannelEvent())
            continue;
        if (e.kind() == 0xB0 && e.d1 == kLoopController) {
            if (!s.loopTick)
                s.loopTick = e.tick;
            continue;
        }
        if (e.track < layout.trailingProgram.size() && layout.trailingProgram[e.track] &&
            i == lastOfTrack[e.track] && e.kind() == 0xC0)
            continue; // the export's closing program, one beat after the track's last note
        const int fromTrack =
            e.track < layout.partOfTrack.size() ? layout.partOfTrack[e.track] : -1;
        const int p = fromTrack >= 0 ? fromTrack : e.channel();
        PartEvents& part = s.parts[static_cast<size_t>(p)];
        part.present = true;
        if (e.isNoteOn())
            pairing.on(part, p, e, i);
        else if (e.isNoteOff())
            pairing.off(part, p, e, i);
        else
            part.changes.push_back({e.tick, static_cast<uint8_t>(e.kind()), e.d1, e.d2});
    }
    pairing.endAll(s.parts, s.lastTick);
    return s;
}

} // namespace zelk
