#pragma once

#include "ports/MidiPorts.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace zelk {

class JackMidiOut;
class JackMidiIn;

// The MIDI ports of a running JACK server, through one client of ours ("zelk"): an output
// port of ours for every destination, connected to it, and one input port. JACK hands every
// port's buffer to our process callback once per period, so music goes out at the exact
// frame of its schedule inside the period.
class JackMidiBackend : public MidiPortBackend {
public:
    // Null when no JACK server runs (none is started).
    static std::unique_ptr<JackMidiBackend> connect(const char* clientName = "zelk");
    ~JackMidiBackend() override;
    JackMidiBackend(const JackMidiBackend&) = delete;
    JackMidiBackend& operator=(const JackMidiBackend&) = delete;

    std::string_view name() const override { return "JACK"; }
    std::vector<std::string> destinations() override;
    std::vector<std::string> sources() override;
    std::unique_ptr<ExternalMidiOut> openOutput(const std::string& destination) override;
    std::unique_ptr<MidiInput> openInput(const std::string& source) override;

    // Internals shared with the ports of this client.
    jack_client_t* client() const { return client_; }
    int sampleRate() const;
    bool serverGone() const { return shutdown_.load(std::memory_order_acquire); }
    void detach(JackMidiOut* out);
    void detach(JackMidiIn* in);

private:
    explicit JackMidiBackend(jack_client_t* client);
    static int processCallback(uint32_t frames, void* self);
    static void shutdownCallback(void* self);
    void processOnAudioThread(uint32_t frames);
    std::vector<std::string> ports(unsigned long flags);
    // Returns once a process cycle that may have seen a detached port has ended.
    void waitForCycle() const;

    static constexpr size_t kMaxOutputs = 32;
    jack_client_t* client_;
    std::array<std::atomic<JackMidiOut*>, kMaxOutputs> outs_{};
    std::atomic<JackMidiIn*> in_{nullptr};
    std::atomic<uint64_t> cycles_{0};
    std::atomic<bool> shutdown_{false};
    std::atomic<bool> inCycle_{false};
    std::vector<float> scratch_;
    int nextPort_ = 1;
};

} // namespace zelk
