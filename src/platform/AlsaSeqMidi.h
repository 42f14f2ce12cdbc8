#pragma once

#include "ports/MidiPorts.h"

#include <memory>
#include <string>
#include <vector>

typedef struct _snd_seq snd_seq_t;

namespace zelk {

// The ports of the ALSA sequencer (hardware MIDI and the programs that offer sequencer
// ports), through one sequencer client of ours. Music goes out as events stamped with the
// time of a sequencer queue, fed a little ahead by a thread, so the kernel sends each at its
// time. Only where /dev/snd/seq exists.
class AlsaSeqBackend : public MidiPortBackend {
public:
    // Null without a sequencer device.
    static std::unique_ptr<AlsaSeqBackend> open(const char* clientName = "zelk");
    ~AlsaSeqBackend() override;
    AlsaSeqBackend(const AlsaSeqBackend&) = delete;
    AlsaSeqBackend& operator=(const AlsaSeqBackend&) = delete;

    std::string_view name() const override { return "ALSA"; }
    std::vector<std::string> destinations() override;
    std::vector<std::string> sources() override;
    std::unique_ptr<ExternalMidiOut> openOutput(const std::string& destination) override;
    std::unique_ptr<MidiInput> openInput(const std::string& source) override;

private:
    explicit AlsaSeqBackend(snd_seq_t* seq);
    std::vector<std::string> ports(unsigned int caps);

    snd_seq_t* seq_;
};

} // namespace zelk
