#include "platform/SoundFontSynth.h"

#include "platform/FluidLog.h"

#include <algorithm>
#include <stdexcept>

namespace zelk {

SoundFontSynth::SoundFontSynth(double sampleRate, int cpuCores) : sampleRate_(sampleRate) {
    routeFluidLogByDefault();
    settings_ = new_fluid_settings();
    if (settings_ == nullptr)
        throw std::runtime_error("FluidSynth settings could not be created");
    fluid_settings_setnum(settings_, "synth.sample-rate", sampleRate);
    fluid_settings_setint(settings_, "synth.cpu-cores", std::max(cpuCores, 1));
    // Sends come from the UI thread while an output renders.
    fluid_settings_setint(settings_, "synth.threadsafe-api", 1);
    // A player follows the rendered samples, not the wall clock (see the class comment).
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    // A player's end would otherwise reset the synthesizer and lose the current part's program,
    // reverb and chorus on the live channels.
    fluid_settings_setint(settings_, "player.reset-synth", 0);
    synth_ = new_fluid_synth(settings_);
    if (synth_ == nullptr) {
        delete_fluid_settings(settings_);
        throw std::runtime_error("FluidSynth synthesizer could not be created");
    }
}

SoundFontSynth::~SoundFontSynth() {
    output_.reset();
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

void SoundFontSynth::start(std::unique_ptr<SynthOutput> output) {
    output_.reset();
    output_ = std::move(output);
}

void SoundFontSynth::send(uint32_t shortMessage) {
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

std::vector<float> SoundFontSynth::renderOffline(int frames) {
    if (output_ && output_->isRealTime())
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
    std::lock_guard lock(renderMutex_);
    fluid_synth_write_float(synth_, static_cast<int>(frames), left.data(), 0, 1, right.data(), 0,
                            1);
    framesRendered_.fetch_add(frames, std::memory_order_relaxed);
    if (tap_ != nullptr)
        tap_->takeOnAudioThread(left.first(frames), right.first(frames));
}

void SoundFontSynth::setTap(AudioTap* tap) {
    std::lock_guard lock(renderMutex_);
    tap_ = tap;
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
