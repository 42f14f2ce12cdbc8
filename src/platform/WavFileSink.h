#pragma once

#include "platform/EncodedFileSink.h"
#include "platform/MemoryFile.h"

#include <sndfile.h>

namespace zelk {

// 16-bit PCM WAV through libsndfile, the loop as the smpl chunk's one forward loop (the
// sampler convention), title and copyright in the INFO list.
class WavFileSink : public EncodedFileSink {
public:
    WavFileSink(std::filesystem::path path, const AudioFileSpec& spec);
    ~WavFileSink() override;

    void write(std::span<const float> interleaved) override;
    void commit() override;

private:
    // Clipping, the loop and the texts of a just opened file.
    void describe(const AudioFileSpec& spec);

    MemoryFile file_;
    SF_VIRTUAL_IO io_{};
    SNDFILE* sf_ = nullptr;
};

} // namespace zelk
