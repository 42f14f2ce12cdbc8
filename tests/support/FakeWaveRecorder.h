#pragma once

#include "ports/WaveRecorder.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace zelk::test {

// A recorder that records the calls in order; save writes a small file holding `content`.
class FakeWaveRecorder : public WaveRecorder {
public:
    std::optional<std::string> open(const WaveFormat& f) override {
        calls.push_back("open");
        if (refuseOpen)
            return "cannot create the scratch file";
        format = f;
        running = false;
        isOpen = true;
        return std::nullopt;
    }
    std::optional<std::string> failure() const override {
        if (failing)
            return "disk full";
        return std::nullopt;
    }
    void record() override {
        calls.push_back("record");
        running = isOpen;
    }
    void stop() override {
        calls.push_back("stop");
        running = false;
    }
    int64_t framesHeard() const override { return heard += stepPerQuery; }
    double soundRate() const override { return rate; }
    void keepFrames(int64_t from, int64_t to) override {
        calls.push_back("keep");
        keptFrom = from;
        keptTo = to;
    }
    bool save(const std::filesystem::path& file) override {
        calls.push_back("save");
        if (refuseSave || !isOpen)
            return false;
        std::ofstream(file, std::ios::binary) << content;
        return true;
    }
    void close() override {
        calls.push_back("close");
        running = false;
        isOpen = false;
    }

    std::vector<std::string> calls;
    WaveFormat format;
    bool isOpen = false;
    bool running = false;
    bool refuseSave = false;
    bool refuseOpen = false;
    bool failing = false; // the scratch file stopped taking the sound
    std::string content = "RIFF recorded";
    // The sound heard so far. By default a second more each time it is asked, so no lead-in
    // or tail waits; tests that count frames set the step to 0 and move `heard` themselves.
    mutable int64_t heard = 0;
    int64_t stepPerQuery = 44100;
    double rate = 44100.0;
    int64_t keptFrom = 0;
    int64_t keptTo = 0;
};

} // namespace zelk::test
