#include "render/MidiFilePlan.h"

#include "midi/MidiFileEvents.h"
#include "midi/MidiFileLoop.h"
#include "midi/TempoMap.h"
#include "ports/MidiOut.h"

#include <algorithm>

namespace zelk {

RenderPlan planMidiFileRender(const MidiFileEvents& file, std::string title, std::string copyright,
                              const RenderOptions& options) {
    RenderPlan plan;
    plan.sampleRate = options.sampleRate;
    plan.channels = options.mono ? 1 : 2;
    plan.title = std::move(title);
    plan.copyright = std::move(copyright);
    const TempoMap tempo(file);
    plan.lastNoteOffTick = lastNoteOffTick(file);
    if (plan.lastNoteOffTick == 0)
        throw NothingToRender("the file has no notes");
    plan.lastNoteOffFrame = tempo.sampleAt(plan.lastNoteOffTick, options.sampleRate);
    for (const MidiEvent& e : file.events)
        if (e.isChannelEvent() && options.parts[static_cast<size_t>(e.channel())])
            plan.messages.push_back({tempo.sampleAt(e.tick, options.sampleRate), e.tick,
                                     shortMessage(e.status, e.d1, e.d2)});
    if (std::none_of(plan.messages.begin(), plan.messages.end(), [](const TimedMessage& m) {
            return (m.message & 0xF0) == 0x90 && (m.message >> 16) != 0;
        }))
        throw NothingToRender("the chosen channels have no notes");
    if (const auto span = options.loop ? midiFileLoop(file) : std::nullopt)
        plan.loop = LoopFrames{*span, tempo.sampleAt(span->startTick, options.sampleRate),
                               tempo.sampleAt(span->endTick, options.sampleRate)};
    return plan;
}

} // namespace zelk
