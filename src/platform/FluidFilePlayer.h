#pragma once

#include "ports/MidiFilePlayer.h"

#include <atomic>
#include <cstdint>
#include <fluidsynth.h>
#include <span>

namespace zelk {

class SoundFontSynth;

// A MIDI file player on the program's synthesizer: a fluid_player timed by the rendered samples,
// so it plays at the pace of whatever renders (sound card, silent clock, offline loop). One
// fluid_player per playback, created by open and deleted by close, both between two blocks.
//
// "Stopped" is decided here, not by FluidSynth's status: its player reports DONE only after the
// voices have died and a grace period, while the program wants the end as soon as the last event
// of the file has been sent.
class FluidFilePlayer : public MidiFilePlayer {
public:
    explicit FluidFilePlayer(SoundFontSynth& synth) : synth_(synth) {}
    ~FluidFilePlayer() override;
    FluidFilePlayer(const FluidFilePlayer&) = delete;
    FluidFilePlayer& operator=(const FluidFilePlayer&) = delete;

    bool open(const std::filesystem::path& file, uint32_t lastTick) override;
    // As open, from the file's bytes (copied).
    bool openBytes(std::span<const uint8_t> file, uint32_t lastTick);
    void play() override;
    // Stops and silences every channel at once: sustain released, all notes and sounds off,
    // controllers reset.
    void stop() override;
    bool isStopped() const override;
    uint32_t tick() const override { return tick_.load(std::memory_order_acquire); }
    void close() override;

private:
    static int onTickOnAudioThread(void* self, int tick);

    SoundFontSynth& synth_;
    fluid_player_t* player_ = nullptr;
    uint32_t lastTick_ = 0;
    bool stopped_ = true;
    std::atomic<uint32_t> tick_{0};
};

} // namespace zelk
