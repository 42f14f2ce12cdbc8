#pragma once

#include "ports/AudioFileSink.h"
#include "ports/SynthRenderer.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace zelk::test {

// A synthesizer with a known sound: each held key adds 0.1 on the left and 0.05 on the
// right; after its note-off a key fades by `release` per frame (1 = rings for ever).
// Remembers the frame at which every message arrived.
class FakeSynthRenderer : public SynthRenderer {
public:
    struct Received {
        int64_t frame;
        uint32_t message;
    };

    explicit FakeSynthRenderer(int rate = 44100, float release = 0.999f)
        : rate_(rate), release_(release) {}

    int sampleRate() const override { return rate_; }

    void send(uint32_t m) override {
        received.push_back({frames, m});
        const int kind = m & 0xF0;
        const int key = (m >> 8) & 0x7F;
        const int vel = (m >> 16) & 0x7F;
        if (kind == 0x90 && vel > 0)
            voices_[key] = {1.0f, true};
        else if (kind == 0x80 || kind == 0x90)
            voices_[key].held = false;
    }

    void render(std::span<float> left, std::span<float> right) override {
        for (size_t i = 0; i < left.size(); ++i) {
            float sum = 0;
            for (auto& [key, v] : voices_) {
                sum += 0.1f * v.level;
                if (!v.held)
                    v.level *= release_;
            }
            left[i] = sum;
            right[i] = 0.5f * sum;
        }
        frames += static_cast<int64_t>(left.size());
    }

    std::vector<Received> received;
    int64_t frames = 0;

private:
    struct Voice {
        float level = 0;
        bool held = false;
    };
    int rate_;
    float release_;
    std::map<int, Voice> voices_;
};

// Keeps what is written in memory.
class MemorySink : public AudioFileSink {
public:
    explicit MemorySink(AudioFileSpec s = {}) : spec(std::move(s)) {}
    void write(std::span<const float> interleaved) override {
        samples.insert(samples.end(), interleaved.begin(), interleaved.end());
    }
    void commit() override { committed = true; }

    AudioFileSpec spec;
    std::vector<float> samples;
    bool committed = false;
};

class MemoryWriter : public AudioFileWriter {
public:
    std::unique_ptr<AudioFileSink> open(const std::filesystem::path&,
                                        const AudioFileSpec& asked) override {
        return std::make_unique<ObservedSink>(asked, *this);
    }
    AudioFileSpec spec;
    std::vector<float> samples;
    bool committed = false;

private:
    class ObservedSink : public MemorySink {
    public:
        ObservedSink(const AudioFileSpec& s, MemoryWriter& w) : MemorySink(s), w_(w) {
            w_.spec = s;
        }
        void write(std::span<const float> in) override {
            w_.samples.insert(w_.samples.end(), in.begin(), in.end());
        }
        void commit() override { w_.committed = true; }

    private:
        MemoryWriter& w_;
    };
};

} // namespace zelk::test
