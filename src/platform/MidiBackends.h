#pragma once

#include "ports/MidiPorts.h"

#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace zelk {

// The kinds of MIDI port, in the order their ports are offered: JACK (where a JACK server
// runs; PipeWire desktops run one too) and the ALSA sequencer (where /dev/snd/seq exists).
struct MidiBackendRow {
    std::string_view name;
    std::unique_ptr<MidiPortBackend> (*open)();
};
std::span<const MidiBackendRow> midiBackendTable();

// Every back end that opens here; the others are named in `skipped`.
std::vector<std::unique_ptr<MidiPortBackend>> openMidiBackends(std::vector<std::string>& skipped);

} // namespace zelk
