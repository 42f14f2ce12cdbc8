#include "platform/SoundFontSynth.h"

#include "platform/FluidLog.h"
#include "render/ScheduleRun.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace zelk {

SoundFontSynth::SoundFontSynth(double sampleRate, int cpuCores) : sampleRate_(sampleRate) {
    routeFluidLogByDefault();
    settings_ = new_fluid_settings();
    if (settings_ == nullptr)
        throw std::runtime_error("FluidSynth settings could not be created");
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    fluid_settings_setint(settings_, "synth.cpu-cores", std::max(cpuCores, 1));
    // Only the rendering thread calls FluidSynth (see the class comment): its API mutex would
    // be a lock on every message the rendering thread sends.
    fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) {
        delete_fluid_settings(settings_);
        throw std::runtime_error("FluidSynth synthesizer could not be created");
    }
}

SoundFontSynth::~SoundFontSynth() {
    output_.reset(); // nothing renders any more; runs_ frees every run
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

bool SoundFontSynth::loadSoundFont(const std::filesystem::path& file) {
    const int id = fluid_synth_sfload(synth_, file.c_str(), 1);
    if (id == FLUID_FAILED)
        return false;
    soundFontId_ = id;
    return true;
}

void SoundFontSynth::adoptSynth(fluid_synth_t* synth, int soundFontId) {
    if (realTime())
        throw std::logic_error("a SoundFont is replaced only while no output renders");
    delete_fluid_synth(synth_);
    synth_ = synth;
    soundFontId_ = soundFontId;
}

void SoundFontSynth::start(std::unique_ptr<SynthOutput> output) {
    output_.reset();
    output_ = std::move(output);
}

void SoundFontSynth::send(uint32_t shortMessage) {
    if (!realTime()) { // no rendering thread: this is the only thread touching FluidSynth
        applyOnAudioThread(shortMessage);
        return;
    }
    live_.push(shortMessage); // a full ring drops the message, as a busy MIDI port would
}

void SoundFontSynth::applyOnAudioThread(uint32_t shortMessage) {
    const int status = static_cast<int>(shortMessage & 0xFF);
    const int channel = status & 0x0F;
    const int data1 = static_cast<int>((shortMessage >> 8) & 0x7F);
    const int data2 = static_cast<int>((shortMessage >> 16) & 0x7F);
    // Results are not checked: a note without an instrument (no SoundFont) is simply not heard.
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth_, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth_, channel, data1);
        else
            fluid_synth_noteon(synth_, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth_, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth_, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth_, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth_, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
        break;
    default: // data bytes without a status, system messages
        break;
    }
}

void SoundFontSynth::play(std::shared_ptr<ScheduleRun> run) {
    runs_.play(std::move(run));
}

void SoundFontSynth::stopPlaying() {
    runs_.stop();
}

void SoundFontSynth::Renderer::render(std::span<float> left, std::span<float> right) {
    const size_t frames = std::min(left.size(), right.size());
    if (frames > 0)
        fluid_synth_write_float(owner_.synth_, static_cast<int>(frames), left.data(), 0, 1,
                                right.data(), 0, 1);
}

std::vector<float> SoundFontSynth::renderOffline(int frames) {
    if (realTime())
        throw std::logic_error("offline render while the \"" + std::string(output_->name()) +
                               "\" output renders in real time");
    const auto n = static_cast<size_t>(std::max(frames, 0));
    std::vector<float> left(n), right(n);
    renderOnAudioThread(left, right);
    std::vector<float> interleaved(2 * n);
    for (size_t i = 0; i < n; ++i) {
        interleaved[2 * i] = left[i];
        interleaved[2 * i + 1] = right[i];
    }
    return interleaved;
}

void SoundFontSynth::renderOnAudioThread(std::span<float> left, std::span<float> right) {
    const size_t frames = std::min(left.size(), right.size());
    if (frames == 0)
        return;
    blockSeq_.fetch_add(1); // odd: a block is under way
    ScheduleRun* run = runs_.takeOnAudioThread(renderer_);
    uint32_t message = 0;
    while (live_.pop(message))
        applyOnAudioThread(message);
    if (run != nullptr)
        run->advanceOnAudioThread(renderer_, left.first(frames), right.first(frames));
    else
        renderer_.render(left.first(frames), right.first(frames));
    framesRendered_.fetch_add(frames, std::memory_order_relaxed);
    if (AudioTap* tap = tap_.load(); tap != nullptr)
        tap->takeOnAudioThread(left.first(frames), right.first(frames));
    blockSeq_.fetch_add(1);
}

void SoundFontSynth::setTap(AudioTap* tap) {
    tap_.store(tap);
    // A block that began before the store may still call the old tap: wait for its end.
    const uint64_t seq = blockSeq_.load();
    if (seq % 2 == 0)
        return;
    while (blockSeq_.load() == seq)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

ChannelProgram SoundFontSynth::programOf(int channel) const {
    int soundFont = 0;
    ChannelProgram result;
    fluid_synth_get_program(synth_, channel, &soundFont, &result.bank, &result.program);
    return result;
}

int SoundFontSynth::controllerOf(int channel, int controller) const {
    int value = 0;
    fluid_synth_get_cc(synth_, channel, controller, &value);
    return value;
}

int SoundFontSynth::pitchBendOf(int channel) const {
    int value = 0;
    fluid_synth_get_pitch_bend(synth_, channel, &value);
    return value;
}

int SoundFontSynth::activeVoices() const {
    return fluid_synth_get_active_voice_count(synth_);
}

} // namespace zelk
