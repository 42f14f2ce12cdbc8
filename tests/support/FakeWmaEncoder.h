#pragma once

#include "ports/WmaEncoder.h"

#include <fstream>
#include <string>
#include <vector>

namespace zelk::test {

// An encoder whose job ends when the test says so (finishJob); a successful job copies the
// source's bytes to the target, as a stand-in for the encoded file.
class FakeWmaEncoder : public WmaEncoder {
public:
    void init() override { calls.push_back("init"); }
    int16_t encodeOpen(const std::filesystem::path& s, const std::filesystem::path& t,
                       int32_t& option, const TagRecord& record) override {
        calls.push_back("encodeOpen");
        optionOnEntry = option;
        source = s;
        target = t;
        tags = record;
        return refuse ? 0 : 1;
    }
    void encodeStart() override {
        calls.push_back("encodeStart");
        running = true;
    }
    int32_t getEncodeState(int32_t& result) override {
        calls.push_back("getEncodeState");
        result = running ? 0 : outcome;
        return running ? 1 : 0;
    }
    void debug() override { calls.push_back("debug"); }
    void free() override {
        calls.push_back("free");
        running = false;
    }

    // The job ends: written (0) or failed (nonzero, the target untouched).
    void finishJob(int32_t result = 0) {
        running = false;
        outcome = result;
        if (result == 0) {
            std::ifstream in(source, std::ios::binary);
            std::ofstream(target, std::ios::binary) << in.rdbuf();
        }
    }

    std::vector<std::string> calls;
    std::filesystem::path source, target;
    TagRecord tags{};
    int32_t optionOnEntry = -1;
    bool refuse = false;
    bool running = false;
    int32_t outcome = 0;
};

} // namespace zelk::test
