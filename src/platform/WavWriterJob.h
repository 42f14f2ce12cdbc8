#pragma once

#include "ports/WaveRecorder.h"

#include <cstddef>
#include <filesystem>
#include <vector>

struct sf_private_tag;
struct soxr;

namespace zelk {

// One WAV file being written from stereo float blocks at the synthesizer's rate: mixed down to
// mono when asked, resampled when the rates differ, stored as 16-bit PCM. Used by one thread.
class WavWriterJob {
public:
    // Throws std::runtime_error when the file cannot be created.
    WavWriterJob(const std::filesystem::path& file, const WaveFormat& format, double inputRate);
    ~WavWriterJob();
    WavWriterJob(const WavWriterJob&) = delete;
    WavWriterJob& operator=(const WavWriterJob&) = delete;

    // `frames` frames of interleaved stereo.
    void write(const float* stereo, std::size_t frames);
    int outputRate() const { return format_.samplesPerSec; }
    // Pushes out what the resampler still holds and closes the file. False when any write failed.
    bool finish();
    // No write has failed so far.
    bool ok() const { return ok_; }

private:
    void store(const float* samples, std::size_t frames);

    WaveFormat format_;
    sf_private_tag* file_ = nullptr;
    soxr* resampler_ = nullptr;
    double ratio_;
    std::vector<float> mono_;
    std::vector<float> resampled_;
    bool ok_ = true;
};

} // namespace zelk
