#include "midi/MidiFileLoop.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr uint8_t kLoopController = 111;

std::optional<uint32_t> loopMarkerTick(const MidiFileEvents& file) {
    const auto it = std::find_if(file.events.begin(), file.events.end(), [](const MidiEvent& e) {
        return e.isChannelEvent() && e.kind() == 0xB0 && e.d1 == kLoopController;
    });
    return it == file.events.end() ? std::nullopt : std::optional<uint32_t>(it->tick);
}

} // namespace

std::optional<LoopSpan> midiFileLoop(const MidiFileEvents& file) {
    const auto start = loopMarkerTick(file);
    if (!start || *start >= file.lastTick)
        return std::nullopt;
    LoopSpan span;
    span.startTick = *start;
    span.endTick = file.lastTick;
    return span;
}

int midiFileMeasureOf(const MidiFileEvents& file, uint32_t tick) {
    const auto lengthOf = [&file](const MidiEvent& e) -> uint64_t {
        const auto nn = static_cast<uint8_t>(e.data[0]);
        const auto dd = static_cast<uint8_t>(e.data[1]);
        return dd > 7 || nn == 0 ? 0 : (uint64_t{nn} * 4 * file.division) >> dd;
    };
    uint64_t barStart = 0, length = 4ull * file.division;
    int measure = 1;
    for (const MidiEvent& e : file.events) {
        if (e.tick > tick)
            break;
        if (e.status != 0xFF || e.meta != 0x58 || e.data.size() < 2 || lengthOf(e) == 0)
            continue;
        if (e.tick > barStart) { // the measures up to the signature; a cut one counts too
            const uint64_t whole = (e.tick - barStart) / length;
            const bool cut = (e.tick - barStart) % length != 0;
            measure += static_cast<int>(whole) + (cut ? 1 : 0);
            barStart = e.tick;
        }
        length = lengthOf(e);
    }
    return measure + static_cast<int>((tick - barStart) / length);
}

LoopReport checkMidiFileLoop(const MidiFileEvents& file) {
    LoopReport report;
    const auto marker = loopMarkerTick(file);
    const auto span = midiFileLoop(file);
    if (!span) {
        report.loop = "loop point: none";
        if (marker)
            report.findings.push_back("loop marker (controller 111) at tick " +
                                      std::to_string(*marker) + ", the end of the file");
        return report;
    }
    const auto measureOf = [&file](uint32_t tick) { return midiFileMeasureOf(file, tick); };
    report.loop = "loop: tick " + std::to_string(span->startTick) + " (measure " +
                  std::to_string(measureOf(span->startTick)) + ") to the end of the file, tick " +
                  std::to_string(span->endTick);
    const LoopSubject s{file, {}, *span, measureOf, nullptr, true};
    using Rule = LoopFindings (*)(const LoopSubject&);
    constexpr Rule kRules[] = {notesAcrossLoopEnd, notesAcrossLoopStart,
                               controllersChangedByTheLoop, tempoChangedByTheLoop};
    for (const Rule rule : kRules) {
        const LoopFindings found = rule(s);
        report.findings.insert(report.findings.end(), found.begin(), found.end());
    }
    return report;
}

} // namespace zelk
