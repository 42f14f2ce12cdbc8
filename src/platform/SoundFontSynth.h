#pragma once

#include "platform/SynthOutput.h"
#include "ports/AudioTap.h"
#include "ports/MidiOut.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fluidsynth.h>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace zelk {

struct ChannelProgram {
    int bank = 0;
    int program = 0;
    bool operator==(const ChannelProgram&) const = default;
};

// The built-in General MIDI synthesizer: one FluidSynth synthesizer with one SoundFont, taking
// short messages like a MIDI port (channel 9 plays the percussion bank). Created by
// openSoundFontSynth (SynthOpening.h).
//
// Threads: send, the queries and setTap come from the UI thread while an output renders on its
// own thread; FluidSynth serialises its API calls (synth.threadsafe-api), and the tap is guarded.
//
// Seams for what comes next, all on this one synthesizer:
// - playback: a fluid_player on fluidSynth() (FluidFilePlayer); its timing source is the sample
//   timer, so it advances with whatever renders (sound card, silent clock or an offline loop).
//   Players are created and deleted under holdRendering() and before the synthesizer.
// - recording: setTap(&recorder) receives every rendered block, whichever output renders.
// - offline render: open with the "offline" output and call renderOffline in a loop.
class SoundFontSynth : public MidiOut {
public:
    // cpuCores > 1 lets FluidSynth render voices on that many threads (an offline render).
    explicit SoundFontSynth(double sampleRate, int cpuCores = 1);
    ~SoundFontSynth() override;
    SoundFontSynth(const SoundFontSynth&) = delete;
    SoundFontSynth& operator=(const SoundFontSynth&) = delete;

    // False when FluidSynth cannot read the file (it logs why). Without a SoundFont every message
    // is still accepted and the synthesizer renders silence.
    bool loadSoundFont(const std::filesystem::path& file);
    bool hasSoundFont() const { return soundFontId_ >= 0; }

    // Hands the rendering to output (stopping the previous one first); null stops rendering.
    void start(std::unique_ptr<SynthOutput> output);
    const SynthOutput* output() const { return output_.get(); }

    // Channel voice messages 0x80..0xEF; anything else is dropped. Pitch bend: data 1 is the low
    // seven bits, data 2 the high seven.
    void send(uint32_t shortMessage) override;

    // Renders `frames` frames at once, as fast as the machine allows, as interleaved stereo (left,
    // right, left, ...). Only without a real-time output; throws std::logic_error otherwise.
    std::vector<float> renderOffline(int frames);

    // Renders min(left.size(), right.size()) frames and hands them to the tap. Called by exactly
    // one thread at a time: the output's, or the caller of renderOffline.
    void renderOnAudioThread(std::span<float> left, std::span<float> right);
    // The tap receives every block rendered after this returns; after setTap(nullptr) returns, the
    // previous tap is no longer called and may be destroyed.
    void setTap(AudioTap* tap);
    // Holds the rendering between two blocks for as long as the lock lives: for changes that must
    // not meet a block half-way (creating or deleting a MIDI file player, stopping one and
    // silencing what it played). Keep it short; the sound card waits.
    std::unique_lock<std::mutex> holdRendering() { return std::unique_lock(renderMutex_); }
    // Frames rendered since creation: the synthesizer's own clock.
    uint64_t framesRendered() const { return framesRendered_.load(std::memory_order_relaxed); }
    double sampleRate() const { return sampleRate_; }

    // What the synthesizer holds for a channel (0..15), as set by the messages it received.
    ChannelProgram programOf(int channel) const;
    int controllerOf(int channel, int controller) const;
    int pitchBendOf(int channel) const; // 0..16383, 8192 = centre
    int activeVoices() const;

    // For a MIDI file player or driver on this synthesizer; the synthesizer keeps ownership.
    fluid_synth_t* fluidSynth() { return synth_; }
    fluid_settings_t* fluidSettings() { return settings_; }

private:
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    double sampleRate_;
    int soundFontId_ = -1;
    std::atomic<uint64_t> framesRendered_{0};
    std::mutex renderMutex_; // one block at a time; guards the tap
    AudioTap* tap_ = nullptr;
    std::unique_ptr<SynthOutput> output_; // renders through this object: destroyed first
};

} // namespace zelk
