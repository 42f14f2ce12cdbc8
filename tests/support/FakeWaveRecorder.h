#pragma once

#include "ports/WaveRecorder.h"

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
};

} // namespace zelk::test
