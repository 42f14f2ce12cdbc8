#pragma once

#include "ports/MidiFilePlayer.h"

#include <memory>
#include <span>

namespace zelk {

class SoundFontSynth;
class ScheduleRun;

// The MIDI file player of the window: the file is read back with the reader the offline
// render uses, timed through its own tempo map into a schedule, and played by the
// synthesizer's rendering thread, every message at its own frame. Position and "stopped"
// come from the frames rendered, so what is heard, recorded and rendered are the same.
class SchedulePlayer : public MidiFilePlayer {
public:
    explicit SchedulePlayer(SoundFontSynth& synth) : synth_(synth) {}
    ~SchedulePlayer() override;
    SchedulePlayer(const SchedulePlayer&) = delete;
    SchedulePlayer& operator=(const SchedulePlayer&) = delete;

    using MidiFilePlayer::open;
    bool open(const std::filesystem::path& file, uint32_t lastTick,
              const PlayRange& range) override;
    // As open, from the file's bytes.
    bool openBytes(std::span<const uint8_t> file, uint32_t lastTick, const PlayRange& range);
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
