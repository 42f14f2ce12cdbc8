#include "platform/JackMidiPorts.h"

#include "platform/JackMidi.h"
#include "render/ScheduleRun.h"

#include <algorithm>
#include <jack/jack.h>
#include <jack/midiport.h>

namespace zelk {

namespace {

void writeMessage(void* buffer, uint32_t frame, uint32_t message) {
    const uint8_t bytes[3] = {static_cast<uint8_t>(message), static_cast<uint8_t>(message >> 8),
                              static_cast<uint8_t>(message >> 16)};
    const int n = channelMessageBytes(bytes[0]);
    if (n > 0)
        jack_midi_event_write(buffer, frame, bytes, static_cast<size_t>(n)); // full: dropped
}

// What a run plays into one period: messages at their frame inside it, no sound.
class PeriodWriter : public SynthRenderer {
public:
    PeriodWriter(void* buffer, uint32_t frames, int rate)
        : buffer_(buffer), frames_(frames), rate_(rate) {}
    int sampleRate() const override { return rate_; }
    void send(uint32_t message) override {
        writeMessage(buffer_, std::min(at_, frames_ - 1), message);
    }
    void render(std::span<float> left, std::span<float>) override {
        at_ += static_cast<uint32_t>(left.size());
    }

private:
    void* buffer_;
    uint32_t frames_;
    int rate_;
    uint32_t at_ = 0;
};

} // namespace

JackMidiOut::JackMidiOut(JackMidiBackend& backend, jack_port_t* port, std::string destination)
    : backend_(backend), port_(port), destination_(std::move(destination)) {}

JackMidiOut::~JackMidiOut() {
    backend_.detach(this);
    jack_port_unregister(backend_.client(), port_);
}

void JackMidiOut::send(uint32_t shortMessage) {
    if (!lost())
        live_.push(shortMessage); // a full ring drops: the period takes 4096 at most
}

void JackMidiOut::play(std::shared_ptr<const FileMusic> music, const PlayRange& range) {
    if (music)
        runs_.play(runOfMusic(*music, backend_.sampleRate(), range));
}

void JackMidiOut::stop() {
    runs_.stop(); // the period that gives the run up silences every channel
}

bool JackMidiOut::lost() const {
    return backend_.serverGone() || jack_port_connected(port_) == 0;
}

void JackMidiOut::processOnAudioThread(uint32_t frames, std::vector<float>& scratch) {
    void* buffer = jack_port_get_buffer(port_, frames);
    jack_midi_clear_buffer(buffer);
    PeriodWriter writer(buffer, frames, backend_.sampleRate());
    ScheduleRun* run = runs_.takeOnAudioThread(writer);
    uint32_t message = 0;
    while (live_.pop(message))
        writeMessage(buffer, 0, message);
    if (run == nullptr)
        return;
    const auto n = std::min<size_t>(frames, scratch.size() / 2);
    std::span<float> all(scratch);
    run->advanceOnAudioThread(writer, all.first(n), all.subspan(n, n));
}

JackMidiIn::JackMidiIn(JackMidiBackend& backend, jack_port_t* port)
    : backend_(backend), port_(port) {}

JackMidiIn::~JackMidiIn() {
    backend_.detach(this);
    jack_port_unregister(backend_.client(), port_);
}

size_t JackMidiIn::take(std::span<uint32_t> out) {
    size_t n = 0;
    while (n < out.size() && ring_.pop(out[n]))
        ++n;
    return n;
}

void JackMidiIn::processOnAudioThread(uint32_t frames) {
    void* buffer = jack_port_get_buffer(port_, frames);
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t e;
        if (jack_midi_event_get(&e, buffer, i) != 0 || e.size == 0)
            continue;
        const int n = channelMessageBytes(e.buffer[0]);
        if (n == 0 || e.size < static_cast<size_t>(n))
            continue; // sysex, clock, active sensing and the like
        uint32_t message = e.buffer[0] | (uint32_t{e.buffer[1]} << 8);
        if (n == 3)
            message |= uint32_t{e.buffer[2]} << 16;
        if (!ring_.push(message))
            dropped_.fetch_add(1, std::memory_order_relaxed);
    }
}

} // namespace zelk
