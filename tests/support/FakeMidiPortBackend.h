#pragma once

#include "ports/MidiPorts.h"
#include "support/FakeExternalMidiOut.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace zelk::test {

// A kind of MIDI port whose ports the test lists and takes away; every output it opened
// stays reachable (they are owned by whoever opened them).
class FakeMidiPortBackend : public MidiPortBackend {
public:
    explicit FakeMidiPortBackend(std::vector<std::string> destinations)
        : ports(std::move(destinations)) {}
    std::string_view name() const override { return "JACK"; }
    std::vector<std::string> destinations() override { return ports; }
    std::vector<std::string> sources() override { return inputs; }
    std::unique_ptr<ExternalMidiOut> openOutput(const std::string& port) override {
        if (std::find(ports.begin(), ports.end(), port) == ports.end())
            return nullptr;
        auto out = std::make_unique<FakeExternalMidiOut>(port);
        opened.push_back(out.get());
        return out;
    }
    std::unique_ptr<MidiInput> openInput(const std::string&) override { return nullptr; }

    std::vector<std::string> ports;
    std::vector<std::string> inputs{"keyboard:out"};
    std::vector<FakeExternalMidiOut*> opened;
};

} // namespace zelk::test
