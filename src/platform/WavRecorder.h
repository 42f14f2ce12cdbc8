#pragma once

#include "platform/SampleRing.h"
#include "ports/AudioTap.h"
#include "ports/WaveRecorder.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace zelk {

class WavWriterJob;

// The wave recorder: a tap on the synthesizer's rendered sound, written as 16-bit PCM WAV
// (libsndfile) in the configured rate and channel count (libsoxr, high quality, when the rate
// differs from the synthesizer's; the two sides are averaged for mono).
//
// Threads: the rendering thread only copies each block into a lock-free ring; a writer thread
// of the recorder converts and writes it to the file `scratch`, which save() moves to its
// name. The UI thread calls the WaveRecorder operations.
class WavRecorder : public WaveRecorder, public AudioTap {
public:
    // `attach` hands the synthesizer this tap (or null to take it away again; after that returns
    // the tap is not called any more).
    using Attach = std::function<void(AudioTap*)>;
    WavRecorder(double inputRate, std::filesystem::path scratch, Attach attach);
    ~WavRecorder() override;
    WavRecorder(const WavRecorder&) = delete;
    WavRecorder& operator=(const WavRecorder&) = delete;

    std::optional<std::string> open(const WaveFormat& format) override;
    void record() override;
    int64_t framesHeard() const override { return heard_.load(std::memory_order_acquire); }
    double soundRate() const override { return inputRate_; }
    void keepFrames(int64_t from, int64_t to) override;
    void stop() override;
    std::optional<std::string> failure() const override;
    bool save(const std::filesystem::path& file) override;
    void close() override;

    void takeOnAudioThread(std::span<const float> left, std::span<const float> right) override;

    // Frames of this recording that did not fit the ring (the writer fell four seconds behind).
    uint64_t droppedFrames() const { return dropped_.load(std::memory_order_relaxed); }

private:
    void writeLoop();

    double inputRate_;
    std::filesystem::path scratch_;
    Attach attach_;
    SampleRing ring_;
    std::vector<float> interleaved_; // the rendering thread's own copy buffer
    std::unique_ptr<WavWriterJob> job_;
    std::thread writer_;
    std::atomic<bool> draining_{false};
    std::atomic<bool> writeFailed_{false}; // set by the writer thread
    std::atomic<uint64_t> dropped_{0};
    std::atomic<int64_t> heard_{0};
    bool tapped_ = false;
    bool cut_ = false;
    int64_t keepFrom_ = 0;
    int64_t keepTo_ = 0;
};

} // namespace zelk
