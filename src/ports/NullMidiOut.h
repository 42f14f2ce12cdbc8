#pragma once

#include "ports/MidiOut.h"

namespace zelk {

// An output for programs without a device (the command-line tool, batch jobs): every message is
// accepted and dropped.
class NullMidiOut : public MidiOut {
public:
    void send(uint32_t) override {}
};

} // namespace zelk
