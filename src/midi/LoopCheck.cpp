#include "midi/LoopCheck.h"

#include "model/Song.h"

#include <cmath>
#include <deque>
#include <map>
#include <tuple>

namespace zelk {
namespace {

struct NoteSpan {
    uint16_t track;
    uint8_t key;
    uint32_t on;
    std::optional<uint32_t> off; // none: the file never ends it
};

// Notes of the file with their ends; a note-off ends the oldest open note of its key.
std::vector<NoteSpan> noteSpansOf(const MidiFileEvents& file) {
    std::vector<NoteSpan> notes;
    std::map<std::tuple<uint16_t, int, int>, std::deque<size_t>> open;
    for (const MidiEvent& e : file.events) {
        const auto id = std::make_tuple(e.track, e.channel(), int{e.d1});
        if (e.isNoteOn()) {
            open[id].push_back(notes.size());
            notes.push_back({e.track, e.d1, e.tick, std::nullopt});
        } else if (e.isNoteOff()) {
            auto it = open.find(id);
            if (it == open.end() || it->second.empty())
                continue;
            notes[it->second.front()].off = e.tick;
            it->second.pop_front();
        }
    }
    return notes;
}

bool soundsAt(const NoteSpan& n, uint32_t tick) {
    return n.on < tick && (!n.off || *n.off > tick);
}

std::string partName(const LoopSubject& s, uint16_t track) {
    if (track >= 1 && track <= s.trackParts.size())
        return "part " + std::to_string(s.trackParts[track - 1u] + 1);
    return "track " + std::to_string(track);
}

LoopFindings notesSoundingAt(const LoopSubject& s, uint32_t tick, const char* what) {
    LoopFindings out;
    for (const NoteSpan& n : noteSpansOf(s.file))
        if (soundsAt(n, tick))
            out.push_back(partName(s, n.track) + ": key " + std::to_string(n.key) +
                          " begun in measure " + std::to_string(s.measureOf(n.on)) + what);
    return out;
}

// One setting through the loop: its value in force at the start (an event on the start
// tick counts), the last value before the end, and whether the start tick sets it, in
// which case every pass replays it and the end cannot matter.
struct Through {
    int start;
    int end;
    bool setAtStart = false;

    bool changedByTheLoop() const { return !setAtStart && start != end; }
};

template <class ValueOf>
Through through(const MidiFileEvents& file, const LoopSpan& span, int normal, ValueOf valueOf) {
    Through t{normal, normal, false};
    for (const MidiEvent& e : file.events) {
        if (e.tick >= span.endTick)
            break;
        const std::optional<int> v = valueOf(e);
        if (!v)
            continue;
        if (e.tick <= span.startTick)
            t.start = *v;
        t.setAtStart = t.setAtStart || e.tick == span.startTick;
        t.end = *v;
    }
    return t;
}

// Settings of a part track the loop must leave as it found them, with the value a
// device has before the first event.
struct Setting {
    const char* name;
    int kind;   // status high nibble
    int number; // controller number of 0xB0
    int normal;
};
constexpr Setting kSettings[] = {
    {"pitch bend", 0xE0, 0, 64}, {"modulation", 0xB0, 1, 0},  {"expression", 0xB0, 11, 127},
    {"pan", 0xB0, 10, 64},       {"hold pedal", 0xB0, 64, 0}, {"program", 0xC0, 0, 0},
};

// A setting's value in an event of a part track, or (byChannel) of a channel.
std::optional<int> valueOf(const MidiEvent& e, const Setting& c, uint16_t owner, bool byChannel) {
    if (!e.isChannelEvent() || e.kind() != c.kind ||
        (byChannel ? e.channel() != owner : e.track != owner))
        return std::nullopt;
    if (c.kind == 0xB0)
        return e.d1 == c.number ? std::optional<int>(e.d2) : std::nullopt;
    return c.kind == 0xE0 ? e.d2 : e.d1; // pitch bend: the high byte, as the lane holds it
}

std::string changeText(const std::string& what, int start, int end) {
    return what + " " + std::to_string(start) + " at the loop start, " + std::to_string(end) +
           " at the end";
}

int bpmOf(int micros) {
    return static_cast<int>(std::lround(60'000'000.0 / micros));
}

std::string loopLine(const Song& song, const LoopSpan& span) {
    return "loop: measure " + std::to_string(song.LoopMeasure + 1) + " to the end of measure " +
           std::to_string(song.MeasureLen.measureOfColumn(span.endCol - 1));
}

} // namespace

LoopFindings notesAcrossLoopEnd(const LoopSubject& s) {
    return notesSoundingAt(s, s.span.endTick, " and is cut off at the loop end");
}

LoopFindings notesAcrossLoopStart(const LoopSubject& s) {
    return notesSoundingAt(s, s.span.startTick, " still sounds at the loop start");
}

LoopFindings controllersChangedByTheLoop(const LoopSubject& s) {
    LoopFindings out;
    const uint16_t first = s.byChannel ? 0 : 1;
    const uint16_t end = s.byChannel ? 16 : s.file.trackCount;
    for (uint16_t owner = first; owner < end; ++owner) {
        for (const Setting& c : kSettings) {
            const Through t = through(s.file, s.span, c.normal, [&](const MidiEvent& e) {
                return valueOf(e, c, owner, s.byChannel);
            });
            if (!t.changedByTheLoop())
                continue;
            const std::string who =
                s.byChannel ? "channel " + std::to_string(owner + 1) : partName(s, owner);
            out.push_back(who + ": " + changeText(c.name, t.start, t.end));
        }
    }
    return out;
}

LoopFindings tempoChangedByTheLoop(const LoopSubject& s) {
    constexpr int kNormalMicros = 500'000; // 120 beats per minute
    const Through t = through(s.file, s.span, kNormalMicros, [](const MidiEvent& e) {
        return e.isTempo() ? std::optional<int>(static_cast<int>(e.tempoMicros())) : std::nullopt;
    });
    if (!t.changedByTheLoop())
        return {};
    return {changeText("tempo", bpmOf(t.start), bpmOf(t.end))};
}

LoopFindings midiWrapOffTheBar(const LoopSubject& s) {
    const uint32_t last = s.file.lastTick;
    const uint32_t bar = s.span.endTick;
    if (last == bar || s.song == nullptr)
        return {};
    const std::string where = " the bar line of measure " +
                              std::to_string(s.song->MeasureLen.measureOfColumn(s.span.endCol - 1));
    if (last < bar)
        return {"MIDI loop ends " + std::to_string(bar - last) + " ticks before" + where +
                " (export with --loop-to-bar)"};
    return {"MIDI loop ends " + std::to_string(last - bar) + " ticks after" + where};
}

std::optional<std::string> unplayableLoop(const Song& song, NoLoop why) {
    const std::string point = "loop point: measure " + std::to_string(song.LoopMeasure + 1);
    switch (why) {
    case NoLoop::Off:
        return std::nullopt;
    case NoLoop::BeyondSong:
        return point + " lies beyond the last measure (" + std::to_string(song.MeasureCount()) +
               ")";
    case NoLoop::NoNotesAfter:
        return point + " has no notes from there on";
    }
    return std::nullopt;
}

LoopReport checkLoop(const Song& song, const MidiFileEvents& file,
                     std::span<const int> trackParts) {
    LoopReport report;
    NoLoop why{};
    const auto span = loopSpanOf(song, lastNoteOffTick(file), &why);
    if (!span) {
        report.loop = song.LoopOn == 1
                          ? "loop point: measure " + std::to_string(song.LoopMeasure + 1)
                          : "loop point: none";
        if (auto f = unplayableLoop(song, why))
            report.findings.push_back(*f);
        return report;
    }
    report.loop = loopLine(song, *span);
    const LoopSubject s{file, trackParts, *span,
                        [&song](uint32_t tick) { return measureOfExportTick(song, tick); }, &song};
    using Rule = LoopFindings (*)(const LoopSubject&);
    constexpr Rule kRules[] = {notesAcrossLoopEnd, notesAcrossLoopStart,
                               controllersChangedByTheLoop, tempoChangedByTheLoop,
                               midiWrapOffTheBar};
    for (const Rule rule : kRules) {
        const LoopFindings found = rule(s);
        report.findings.insert(report.findings.end(), found.begin(), found.end());
    }
    return report;
}

} // namespace zelk
