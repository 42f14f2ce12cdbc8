#pragma once

#include "ports/MidiOut.h"

#include <span>

namespace zelk {

// A synthesizer that renders only when its caller asks, as fast as the machine allows.
// Messages sent between two renders sound from the next rendered frame on (a real
// synthesizer may round that to its own block).
class SynthRenderer : public MidiOut {
public:
    virtual int sampleRate() const = 0;
    // Renders min(left.size(), right.size()) frames, one span per stereo side.
    virtual void render(std::span<float> left, std::span<float> right) = 0;
};

} // namespace zelk
