#pragma once

#include "ports/MidiPorts.h"

#include <memory>
#include <string>
#include <vector>

namespace zelk::test {

// A port outside the program that records what it is asked to do.
class FakeExternalMidiOut : public ExternalMidiOut {
public:
    explicit FakeExternalMidiOut(std::string name = "synth:in") : name_(std::move(name)) {}
    const std::string& name() const override { return name_; }
    void send(uint32_t m) override { sent.push_back(m); }
    void play(std::shared_ptr<const FileMusic> m, const PlayRange& r) override {
        played.push_back(std::move(m));
        range = r;
    }
    void stop() override { ++stops; }
    bool lost() const override { return gone; }

    std::vector<uint32_t> sent;
    std::vector<std::shared_ptr<const FileMusic>> played;
    PlayRange range;
    int stops = 0;
    bool gone = false;

private:
    std::string name_;
};

} // namespace zelk::test
