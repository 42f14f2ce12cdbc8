#pragma once

#include "ports/AudioFileSink.h"

#include <memory>
#include <vector>

namespace zelk {

// Brings a whole file to one peak: the frames are held until commit, then written with one
// gain for all of them, so the peak sample is -1 dBFS and a loop stays seamless (every
// sample scaled alike). A silent file is written as it is.
class NormalizingSink : public AudioFileSink {
public:
    explicit NormalizingSink(std::unique_ptr<AudioFileSink> inner);
    void write(std::span<const float> interleaved) override;
    void commit() override;

    static constexpr float kPeak = 0.8912509f; // -1 dBFS

private:
    std::unique_ptr<AudioFileSink> inner_;
    std::vector<float> held_;
    float peak_ = 0;
};

} // namespace zelk
