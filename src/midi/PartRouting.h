#pragma once

#include "model/Limits.h"
#include "ports/FileMusic.h"
#include "ports/MidiPorts.h"

#include <array>
#include <functional>
#include <vector>

namespace zelk {

struct Song;

// Where each part sounds: the built-in synthesizer (no port) or a MIDI port outside the
// program. What the editor sends live (previews, auditions, part headers, a keyboard's
// notes) goes where the part of its channel sounds: the current part's channel is the
// current part's, any other channel c is part c + 1's.
class PartRouting : public MidiOut {
public:
    PartRouting(const Song& song, MidiOut& builtIn) : song_(song), builtIn_(builtIn) {}

    void route(int part, ExternalMidiOut* out) { out_.at(static_cast<size_t>(part)) = out; }
    ExternalMidiOut* destination(int part) const { return out_.at(static_cast<size_t>(part)); }
    // Every part on `out` goes back to the built-in synthesizer; returns how many did.
    int forget(const ExternalMidiOut* out);
    void send(uint32_t shortMessage) override;
    // To part p's destination whatever its channel (a test note of the port window).
    void sendTo(int part, uint32_t shortMessage);

private:
    int partOf(uint32_t shortMessage) const;

    const Song& song_;
    MidiOut& builtIn_;
    std::array<ExternalMidiOut*, kParts> out_{};
};

// The share of `music` that sounds at one destination: the conductor's messages and those of
// the tracks whose part `here` accepts (track t + 1 holds trackParts[t]).
FileMusic musicFor(const FileMusic& music, const std::vector<int>& trackParts,
                   const std::function<bool(int part)>& here);

} // namespace zelk
