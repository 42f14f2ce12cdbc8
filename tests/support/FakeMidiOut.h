#pragma once

#include "ports/MidiOut.h"

#include <cstdint>
#include <vector>

namespace zelk::test {

// Records every short message it is given.
class FakeMidiOut : public MidiOut {
public:
    void send(uint32_t m) override { sent.push_back(m); }
    std::vector<uint32_t> sent;
};

} // namespace zelk::test
