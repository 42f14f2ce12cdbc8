#include "midi/Schedule.h"

#include "midi/MidiFileEvents.h"
#include "ports/MidiOut.h"

#include <algorithm>

namespace zelk {

int64_t Schedule::frameOfTick(uint32_t tick) const {
    return tempo.sampleAt(tick, sampleRate) - leadFrames;
}

uint32_t Schedule::tickAtFrame(int64_t frame) const {
    return tempo.tickAtSample(frame + leadFrames, sampleRate);
}

size_t Schedule::indexAtFrame(int64_t frame) const {
    const auto at =
        std::lower_bound(messages.begin(), messages.end(), frame,
                         [](const ScheduledMessage& m, int64_t f) { return m.frame < f; });
    return static_cast<size_t>(at - messages.begin());
}

namespace {

size_t firstAtTick(const std::vector<ScheduledMessage>& m, uint32_t tick) {
    return static_cast<size_t>(
        std::lower_bound(m.begin(), m.end(), tick,
                         [](const ScheduledMessage& s, uint32_t t) { return s.tick < t; }) -
        m.begin());
}

} // namespace

FileMusic musicOf(const MidiFileEvents& file, const TrackFilter& sounds) {
    FileMusic music;
    music.division = file.division;
    music.lastTick = file.lastTick;
    music.messages.reserve(file.events.size());
    for (const MidiEvent& e : file.events) {
        if (e.isTempo())
            music.tempos.emplace_back(e.tick, e.tempoMicros());
        else if (e.isChannelEvent() && (e.track == 0 || !sounds || sounds(e.track)))
            music.messages.push_back({e.tick, shortMessage(e.status, e.d1, e.d2), e.track});
    }
    return music;
}

Schedule scheduleOf(const MidiFileEvents& file, int sampleRate, const TrackFilter& sounds,
                    uint32_t leadTick, std::optional<std::pair<uint32_t, uint32_t>> loop) {
    return scheduleOf(musicOf(file, sounds), sampleRate, leadTick, loop);
}

Schedule scheduleOf(const FileMusic& music, int sampleRate, uint32_t leadTick,
                    std::optional<std::pair<uint32_t, uint32_t>> loop) {
    Schedule s;
    s.sampleRate = sampleRate;
    s.tempo = TempoMap(music.division, music.tempos);
    s.leadFrames = s.tempo.sampleAt(leadTick, sampleRate);
    s.messages.resize(music.messages.size());
    size_t hint = 0;
    uint32_t tick = 0;
    int64_t frame = std::max<int64_t>(0, s.frameOfTick(0));
    for (size_t i = 0; i < music.messages.size(); ++i) {
        const FileMusic::Message& m = music.messages[i];
        if (m.tick != tick) { // a column's messages share one tick: timed once
            tick = m.tick;
            frame = std::max<int64_t>(0, s.tempo.sampleAt(tick, sampleRate, hint) - s.leadFrames);
        }
        s.messages[i] = {frame, tick, m.message};
    }
    s.endTick = music.lastTick;
    s.endFrame = std::max<int64_t>(0, s.frameOfTick(music.lastTick));
    if (loop && loop->second > loop->first) {
        ScheduleLoop l;
        l.startTick = loop->first;
        l.endTick = loop->second;
        l.startFrame = std::max<int64_t>(0, s.frameOfTick(l.startTick));
        l.endFrame = s.frameOfTick(l.endTick);
        l.first = firstAtTick(s.messages, l.startTick);
        l.end = firstAtTick(s.messages, l.endTick + 1);
        if (l.endFrame > l.startFrame)
            s.loop = l;
    }
    return s;
}

} // namespace zelk
