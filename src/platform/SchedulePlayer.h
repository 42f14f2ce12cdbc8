#pragma once

#include "ports/MidiFilePlayer.h"

#include <memory>

namespace zelk {

class SoundFontSynth;
class ScheduleRun;

// The MIDI file player of the window: the file's music is timed through its own tempo map
// into a schedule as the offline render times it, and played by the
// synthesizer's rendering thread, every message at its own frame. Position and "stopped"
// come from the frames rendered, so what is heard, recorded and rendered are the same.
class SchedulePlayer : public MidiFilePlayer {
public:
    explicit SchedulePlayer(SoundFontSynth& synth) : synth_(synth) {}
    ~SchedulePlayer() override;
    SchedulePlayer(const SchedulePlayer&) = delete;
    SchedulePlayer& operator=(const SchedulePlayer&) = delete;

    using MidiFilePlayer::open;
    bool open(std::shared_ptr<const FileMusic> music, const PlayRange& range) override;
    void play() override;
    void stop() override;
    bool isStopped() const override;
    uint32_t tick() const override;
    int wraps() const override;
    void close() override;

    // The run of the open file (null when none is open), for tests that compare frames.
    const ScheduleRun* run() const { return run_.get(); }

private:
    SoundFontSynth& synth_;
    std::shared_ptr<ScheduleRun> run_;
    bool playing_ = false;
};

} // namespace zelk
