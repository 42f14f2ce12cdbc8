#pragma once

#include "ports/MidiOut.h"

namespace zelk {

// The live output the editor sends to: previews, part-header changes, part loads. While a
// playback runs it is closed and drops every message, as a closed device would, so that
// nothing of the editor sounds into the song being played; the end of playback opens it
// again. Used on the UI thread only.
class LiveMidiOut : public MidiOut {
public:
    explicit LiveMidiOut(MidiOut& device) : device_(device) {}

    void send(uint32_t shortMessage) override {
        if (open_)
            device_.send(shortMessage);
    }
    void open() { open_ = true; }
    void close() { open_ = false; }
    bool isOpen() const { return open_; }

private:
    MidiOut& device_;
    bool open_ = true;
};

} // namespace zelk
