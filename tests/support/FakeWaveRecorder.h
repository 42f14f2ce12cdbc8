#pragma once

#include "ports/WaveRecorder.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace zelk::test {

// A recorder that records the calls in order; save writes a small file holding `content`.
class FakeWaveRecorder : public WaveRecorder {
public:
    void open(const WaveFormat& f) override {
        calls.push_back("open");
        format = f;
        running = false;
        isOpen = true;
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
