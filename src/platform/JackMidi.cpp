#include "platform/JackMidi.h"

#include "platform/JackMidiPorts.h"

#include <chrono>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <thread>

namespace zelk {

std::unique_ptr<JackMidiBackend> JackMidiBackend::connect(const char* clientName) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName, JackNoStartServer, &status);
    if (client == nullptr)
        return nullptr;
    std::unique_ptr<JackMidiBackend> backend(new JackMidiBackend(client));
    jack_set_process_callback(client, &JackMidiBackend::processCallback, backend.get());
    jack_on_shutdown(client, &JackMidiBackend::shutdownCallback, backend.get());
    if (jack_activate(client) != 0)
        return nullptr;
    return backend;
}

// Room for the longest period JACK allows, made once: a run renders into it silently.
JackMidiBackend::JackMidiBackend(jack_client_t* client) : client_(client), scratch_(2 * 8192) {}

JackMidiBackend::~JackMidiBackend() {
    if (!shutdown_.load())
        jack_deactivate(client_);
    jack_client_close(client_);
}

int JackMidiBackend::sampleRate() const {
    return static_cast<int>(jack_get_sample_rate(client_));
}

int JackMidiBackend::processCallback(uint32_t frames, void* self) {
    static_cast<JackMidiBackend*>(self)->processOnAudioThread(frames);
    return 0;
}

void JackMidiBackend::shutdownCallback(void* self) {
    static_cast<JackMidiBackend*>(self)->shutdown_.store(true, std::memory_order_release);
}

void JackMidiBackend::processOnAudioThread(uint32_t frames) {
    // Sequentially consistent with detach: a port taken out is either not seen here or
    // waited for there.
    inCycle_.store(true);
    for (auto& slot : outs_)
        if (JackMidiOut* out = slot.load())
            out->processOnAudioThread(frames, scratch_);
    if (JackMidiIn* in = in_.load())
        in->processOnAudioThread(frames);
    cycles_.fetch_add(1);
    inCycle_.store(false);
}

void JackMidiBackend::waitForCycle() const {
    if (!inCycle_.load())
        return;
    const uint64_t seen = cycles_.load();
    for (int i = 0; i < 400 && cycles_.load() == seen && !serverGone(); ++i)
        std::this_thread::sleep_for(std::chrono::microseconds(500));
}

std::vector<std::string> JackMidiBackend::ports(unsigned long flags) {
    std::vector<std::string> names;
    const char** found = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    if (found == nullptr)
        return names;
    for (const char** p = found; *p != nullptr; ++p)
        if (!jack_port_is_mine(client_, jack_port_by_name(client_, *p)))
            names.emplace_back(*p);
    jack_free(found);
    return names;
}

std::vector<std::string> JackMidiBackend::destinations() {
    return ports(JackPortIsInput);
}

std::vector<std::string> JackMidiBackend::sources() {
    return ports(JackPortIsOutput);
}

std::unique_ptr<ExternalMidiOut> JackMidiBackend::openOutput(const std::string& destination) {
    if (serverGone())
        return nullptr;
    for (auto& slot : outs_) {
        if (slot.load() != nullptr)
            continue;
        const std::string portName = "out_" + std::to_string(nextPort_++);
        jack_port_t* port = jack_port_register(client_, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                               JackPortIsOutput, 0);
        if (port == nullptr)
            return nullptr;
        auto out = std::make_unique<JackMidiOut>(*this, port, destination);
        if (jack_connect(client_, jack_port_name(port), destination.c_str()) != 0)
            return nullptr; // its destructor unregisters the port
        slot.store(out.get(), std::memory_order_release);
        return out;
    }
    return nullptr;
}

std::unique_ptr<MidiInput> JackMidiBackend::openInput(const std::string& source) {
    if (serverGone() || in_.load() != nullptr)
        return nullptr;
    jack_port_t* port =
        jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr)
        return nullptr;
    auto in = std::make_unique<JackMidiIn>(*this, port);
    const std::vector<std::string> from = source.empty() ? sources() : std::vector{source};
    int connected = 0;
    for (const std::string& s : from)
        connected += jack_connect(client_, s.c_str(), jack_port_name(port)) == 0 ? 1 : 0;
    if (!source.empty() && connected == 0)
        return nullptr;
    in_.store(in.get(), std::memory_order_release);
    return in;
}

void JackMidiBackend::detach(JackMidiOut* out) {
    for (auto& slot : outs_) {
        JackMidiOut* expected = out;
        slot.compare_exchange_strong(expected, nullptr);
    }
    waitForCycle();
}

void JackMidiBackend::detach(JackMidiIn* in) {
    JackMidiIn* expected = in;
    in_.compare_exchange_strong(expected, nullptr);
    waitForCycle();
}

} // namespace zelk
