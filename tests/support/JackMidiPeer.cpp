#include "support/JackMidiPeer.h"

#include <jack/jack.h>
#include <jack/midiport.h>

namespace zelk::test {

JackMidiPeer::JackMidiPeer(const char* name) : name_(name), events_(200'000) {
    client_ = jack_client_open(name, JackNoStartServer, nullptr);
    if (client_ == nullptr)
        return;
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    for (Event& e : events_)
        e.bytes.reserve(8);
    jack_set_process_callback(client_, &JackMidiPeer::processOnAudioThread, this);
    jack_set_xrun_callback(client_, &JackMidiPeer::xrunOnAudioThread, this);
    if (jack_activate(client_) != 0)
        quit();
}

JackMidiPeer::~JackMidiPeer() {
    quit();
}

void JackMidiPeer::quit() {
    if (client_ != nullptr)
        jack_client_close(client_);
    client_ = nullptr;
}

std::string JackMidiPeer::inPort() const {
    return name_ + ":in";
}

std::string JackMidiPeer::outPort() const {
    return name_ + ":out";
}

int JackMidiPeer::period() const {
    return client_ != nullptr ? static_cast<int>(jack_get_buffer_size(client_)) : 0;
}

std::vector<JackMidiPeer::Event> JackMidiPeer::received() const {
    const size_t n = count_.load(std::memory_order_acquire);
    return {events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(n)};
}

void JackMidiPeer::queue(std::vector<std::vector<uint8_t>> events, int perPeriod) {
    ready_.store(0);
    sent_.store(0);
    queued_ = std::move(events);
    perPeriod_ = perPeriod;
    ready_.store(queued_.size(), std::memory_order_release);
}

int JackMidiPeer::processOnAudioThread(uint32_t frames, void* self) {
    auto* p = static_cast<JackMidiPeer*>(self);
    const uint64_t start = jack_last_frame_time(p->client_);
    void* in = jack_port_get_buffer(p->in_, frames);
    size_t n = p->count_.load(std::memory_order_relaxed);
    for (uint32_t i = 0; i < jack_midi_get_event_count(in) && n < p->events_.size(); ++i) {
        jack_midi_event_t e;
        if (jack_midi_event_get(&e, in, i) != 0)
            continue;
        p->events_[n].frame = start + e.time;
        p->events_[n].bytes.assign(e.buffer, e.buffer + std::min<size_t>(e.size, 8));
        ++n;
    }
    p->count_.store(n, std::memory_order_release);
    void* out = jack_port_get_buffer(p->out_, frames);
    jack_midi_clear_buffer(out);
    const size_t ready = p->ready_.load(std::memory_order_acquire);
    size_t sent = p->sent_.load(std::memory_order_relaxed);
    for (int k = 0; k < p->perPeriod_ && sent < ready; ++k, ++sent) {
        const auto& bytes = p->queued_[sent];
        jack_midi_event_write(out, static_cast<uint32_t>(k) % frames, bytes.data(), bytes.size());
    }
    p->sent_.store(sent, std::memory_order_release);
    return 0;
}

int JackMidiPeer::xrunOnAudioThread(void* self) {
    static_cast<JackMidiPeer*>(self)->xruns_.fetch_add(1);
    return 0;
}

} // namespace zelk::test
