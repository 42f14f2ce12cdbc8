#pragma once

#include "platform/RunHandOver.h"
#include "platform/SpscRing.h"
#include "platform/SynthOutput.h"
#include "ports/AudioTap.h"
#include "ports/MidiOut.h"
#include "ports/SynthRenderer.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fluidsynth.h>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace zelk {

class ScheduleRun;

struct ChannelProgram {
    int bank = 0;
    int program = 0;
    bool operator==(const ChannelProgram&) const = default;
};

// The built-in General MIDI synthesizer: one FluidSynth synthesizer with one SoundFont, taking
// short messages like a MIDI port (channel 9 plays the percussion bank). Created by
// openSoundFontSynth (SynthOpening.h).
//
// Threads: only the rendering thread (an output's, or the caller of renderOffline) touches
// FluidSynth. What the UI thread hands it goes through lock-free hand-overs, so rendering
// never locks, allocates or frees:
// - live messages (previews, part headers) through a ring, applied at the start of the next
//   block while a real-time output runs, at once otherwise;
// - a schedule to play (ScheduleRun) through an atomic pointer; the run it replaces comes back
//   through a second ring and is freed on the UI thread;
// - the audio tap (the recorder) through an atomic pointer, with a wait in setTap until a
//   block that may still use the old one has finished.
class SoundFontSynth : public MidiOut {
public:
    // cpuCores > 1 lets FluidSynth render voices on that many threads (an offline render).
    explicit SoundFontSynth(double sampleRate, int cpuCores = 1);
    ~SoundFontSynth() override;
    SoundFontSynth(const SoundFontSynth&) = delete;
    SoundFontSynth& operator=(const SoundFontSynth&) = delete;

    // False when FluidSynth cannot read the file (it logs why). Without a SoundFont every message
    // is still accepted and the synthesizer renders silence. Before an output starts.
    bool loadSoundFont(const std::filesystem::path& file);
    bool hasSoundFont() const { return soundFontId_ >= 0; }
    // Another SoundFont in place of the loaded one: `synth` is a FluidSynth synthesizer made
    // from fluidSettings() with it loaded (id). Only while no output runs; the old one is freed.
    void adoptSynth(fluid_synth_t* synth, int soundFontId);

    // The sound card's driver ("" the automatic choice) and period (0: the short default)
    // that the next audio device output opens with.
    struct AudioChoice {
        std::string driver;
        int periodFrames = 0;
    };
    void setAudioChoice(AudioChoice choice) { audioChoice_ = std::move(choice); }
    const AudioChoice& audioChoice() const { return audioChoice_; }

    // Hands the rendering to output (stopping the previous one first); null stops rendering.
    void start(std::unique_ptr<SynthOutput> output);
    const SynthOutput* output() const { return output_.get(); }

    // Channel voice messages 0x80..0xEF; anything else is dropped. Pitch bend: data 1 is the low
    // seven bits, data 2 the high seven.
    void send(uint32_t shortMessage) override;

    // Plays `run` from the next rendered block on, in place of any run playing (a run given up
    // while it played is silenced first). stopPlaying gives the current one up.
    void play(std::shared_ptr<ScheduleRun> run);
    void stopPlaying();

    // Renders `frames` frames at once, as fast as the machine allows, as interleaved stereo (left,
    // right, left, ...). Only without a real-time output; throws std::logic_error otherwise.
    std::vector<float> renderOffline(int frames);

    // Renders min(left.size(), right.size()) frames and hands them to the tap. Called by exactly
    // one thread at a time: the output's, or the caller of renderOffline.
    void renderOnAudioThread(std::span<float> left, std::span<float> right);
    // The tap receives every block rendered after this returns; after setTap(nullptr) returns, the
    // previous tap is no longer called and may be destroyed.
    void setTap(AudioTap* tap);
    // Frames rendered since creation: the synthesizer's own clock.
    uint64_t framesRendered() const { return framesRendered_.load(std::memory_order_relaxed); }
    double sampleRate() const { return sampleRate_; }

    // What the synthesizer holds for a channel (0..15), as set by the messages it received.
    // Only while nothing renders (offline), as tests ask.
    ChannelProgram programOf(int channel) const;
    int controllerOf(int channel, int controller) const;
    int pitchBendOf(int channel) const; // 0..16383, 8192 = centre
    int activeVoices() const;

    fluid_settings_t* fluidSettings() { return settings_; }

private:
    // The rendering thread's view of FluidSynth, as a run plays through it.
    class Renderer : public SynthRenderer {
    public:
        explicit Renderer(SoundFontSynth& owner) : owner_(owner) {}
        int sampleRate() const override { return static_cast<int>(owner_.sampleRate_); }
        void send(uint32_t message) override { owner_.applyOnAudioThread(message); }
        void render(std::span<float> left, std::span<float> right) override;

    private:
        SoundFontSynth& owner_;
    };

    void applyOnAudioThread(uint32_t message);
    bool realTime() const { return output_ && output_->isRealTime(); }

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    double sampleRate_;
    int soundFontId_ = -1;
    AudioChoice audioChoice_;
    Renderer renderer_{*this};
    std::atomic<uint64_t> framesRendered_{0};
    // Odd while a block renders: setTap waits for the block that may hold the old tap.
    std::atomic<uint64_t> blockSeq_{0};
    std::atomic<AudioTap*> tap_{nullptr};
    SpscRing<uint32_t> live_{8192};       // UI -> rendering thread
    RunHandOver runs_;                    // the schedule playing
    std::unique_ptr<SynthOutput> output_; // renders through this object: destroyed first
};

} // namespace zelk
