#pragma once

#include "midi/PartRouting.h"
#include "model/Limits.h"
#include "ports/MidiPorts.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zelk {

class StateFile;

// A port as the window offers it: "JACK:fluidsynth:midi_00" names the back end and its port.
struct MidiPortOffer {
    std::string id;
    std::string caption; // what the list shows: "fluidsynth:midi_00 (JACK)"
};

// The caption of the built-in synthesizer in the destination lists.
inline constexpr std::string_view kBuiltInSynth = "内蔵音源";
// The input choice that listens to every source.
inline constexpr std::string_view kAllSources = "*";

// "fluidsynth:midi_00" for "JACK:fluidsynth:midi_00": the port without its back end.
std::string portNameOf(const std::string& id);
// "fluidsynth:midi_00 (JACK)" for "JACK:fluidsynth:midi_00": what the window shows of a port.
std::string portCaption(const std::string& id);

// Ports chosen for this machine that are not here at the start.
struct MissingPorts {
    struct Output {
        std::string id;
        std::vector<int> parts; // part numbers, from 1
    };
    std::vector<Output> outputs;
    std::string input; // "" when the input is there or none was chosen
    bool empty() const { return outputs.empty() && input.empty(); }
};

// This machine's choice of MIDI ports, kept by port name in "zelk-state.ini" ("midi.out.1" ..
// "midi.out.16", "midi.in"): per part a destination ("" the built-in synthesizer) and one input.
// Ports are opened through the back ends that run here; a part whose port cannot be opened or
// went away plays on the built-in synthesizer.
class MidiConnections {
public:
    MidiConnections(std::vector<MidiPortBackend*> backends, PartRouting& routing);
    ~MidiConnections();
    MidiConnections(const MidiConnections&) = delete;
    MidiConnections& operator=(const MidiConnections&) = delete;

    std::vector<MidiPortOffer> destinations() const;
    std::vector<MidiPortOffer> sources() const;
    bool hasBackends() const { return !backends_.empty(); }

    // Sends part p to the port `id` ("" the built-in synthesizer). False when the port cannot
    // be opened: the part stays on the built-in synthesizer.
    bool choose(int part, const std::string& id);
    const std::string& chosen(int part) const { return chosen_.at(static_cast<size_t>(part)); }
    // Listens to `id` (kAllSources: every source; "": none). False when it cannot be opened.
    bool chooseInput(const std::string& id);
    const std::string& chosenInput() const { return input_; }
    MidiInput* input() const { return in_.get(); }

    // Ports that went away since the last call: their parts are back on the built-in
    // synthesizer. Returns their names, each once.
    std::vector<std::string> dropLost();

    // Parts (and the input) whose wanted port is back go to it again; returns how many.
    int reconnect();

    // The choices kept for this machine; restoring returns the ports not found here, which
    // stay chosen in the file.
    MissingPorts restore(const StateFile& state);
    void save(StateFile& state) const;

private:
    ExternalMidiOut* open(const std::string& id);
    void closeUnused();

    std::vector<MidiPortBackend*> backends_;
    PartRouting& routing_;
    std::map<std::string, std::unique_ptr<ExternalMidiOut>> open_;
    std::array<std::string, kParts> chosen_;
    // What the user chose, kept while its port is missing: it is back at the next start
    // where the port is there again.
    std::array<std::string, kParts> wanted_;
    std::string input_, wantedInput_;
    std::unique_ptr<MidiInput> in_;
};

} // namespace zelk
