#include "render/MidiFilePlan.h"

#include "midi/MidiFileEvents.h"
#include "midi/MidiFileLoop.h"

#include <algorithm>
#include <memory>

namespace zelk {
namespace {

bool noteOn(const ScheduledMessage& m) {
    return (m.message & 0xF0) == 0x90 && (m.message >> 16) != 0;
}

// The file with only the chosen channels' messages; the file itself when all are chosen.
const MidiFileEvents& chosenChannels(const MidiFileEvents& file, const RenderOptions& options,
                                     std::optional<MidiFileEvents>& copy) {
    if (std::all_of(options.parts.begin(), options.parts.end(), [](bool on) { return on; }))
        return file;
    copy = file;
    std::erase_if(copy->events, [&options](const MidiEvent& e) {
        return e.isChannelEvent() && !options.parts[static_cast<size_t>(e.channel())];
    });
    return *copy;
}

} // namespace

RenderPlan planMidiFileRender(const MidiFileEvents& file, std::string title, std::string copyright,
                              const RenderOptions& options, uint32_t leadTick) {
    RenderPlan plan;
    plan.sampleRate = options.sampleRate;
    plan.channels = options.mono ? 1 : 2;
    plan.title = std::move(title);
    plan.copyright = std::move(copyright);
    plan.normalize = options.normalize;
    plan.lastNoteOffTick = lastNoteOffTick(file);
    if (plan.lastNoteOffTick == 0)
        throw NothingToRender("the file has no notes");
    LoopSpan span{};
    std::optional<std::pair<uint32_t, uint32_t>> loopTicks;
    if (const auto found = options.loop ? midiFileLoop(file) : std::nullopt) {
        span = *found;
        loopTicks = std::pair(span.startTick, span.endTick);
    }
    std::optional<MidiFileEvents> copy;
    auto schedule = std::make_shared<Schedule>(scheduleOf(
        chosenChannels(file, options, copy), options.sampleRate, {}, leadTick, loopTicks));
    plan.lastNoteOffFrame = schedule->frameOfTick(plan.lastNoteOffTick);
    if (std::none_of(schedule->messages.begin(), schedule->messages.end(), noteOn))
        throw NothingToRender("the chosen channels have no notes");
    if (loopTicks && schedule->loop)
        plan.loop = LoopFrames{span, schedule->loop->startFrame, schedule->loop->endFrame};
    plan.schedule = std::move(schedule);
    return plan;
}

} // namespace zelk
