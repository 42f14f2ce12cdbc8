#pragma once

#include "platform/RunHandOver.h"
#include "platform/SpscRing.h"
#include "ports/MidiPorts.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _jack_port jack_port_t;

namespace zelk {

class JackMidiBackend;

// One output port of our JACK client, connected to one destination. Live messages go out at
// the start of the next period; music plays from a schedule at the JACK rate.
class JackMidiOut : public ExternalMidiOut {
public:
    JackMidiOut(JackMidiBackend& backend, jack_port_t* port, std::string destination);
    ~JackMidiOut() override;
    JackMidiOut(const JackMidiOut&) = delete;
    JackMidiOut& operator=(const JackMidiOut&) = delete;

    const std::string& name() const override { return destination_; }
    void send(uint32_t shortMessage) override;
    void play(std::shared_ptr<const FileMusic> music, const PlayRange& range) override;
    void stop() override;
    bool lost() const override;

    // The period's buffer: live messages first, then the music due in it.
    void processOnAudioThread(uint32_t frames, std::vector<float>& scratch);

private:
    JackMidiBackend& backend_;
    jack_port_t* port_;
    std::string destination_;
    SpscRing<uint32_t> live_{4096};
    RunHandOver runs_;
};

// Our input port, connected to one source or to all: channel voice messages are kept for the
// window, everything else is dropped here.
class JackMidiIn : public MidiInput {
public:
    JackMidiIn(JackMidiBackend& backend, jack_port_t* port);
    ~JackMidiIn() override;
    JackMidiIn(const JackMidiIn&) = delete;
    JackMidiIn& operator=(const JackMidiIn&) = delete;

    size_t take(std::span<uint32_t> out) override;
    uint64_t dropped() const override { return dropped_.load(std::memory_order_relaxed); }

    void processOnAudioThread(uint32_t frames);

private:
    JackMidiBackend& backend_;
    jack_port_t* port_;
    SpscRing<uint32_t> ring_{16384};
    std::atomic<uint64_t> dropped_{0};
};

} // namespace zelk
