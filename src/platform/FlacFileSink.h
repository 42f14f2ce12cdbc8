#pragma once

#include "platform/EncodedFileSink.h"
#include "platform/MemoryFile.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <vector>

namespace zelk {

// 16-bit FLAC through libFLAC, with the loop and the texts as Vorbis comments.
class FlacFileSink : public EncodedFileSink {
public:
    FlacFileSink(std::filesystem::path path, const AudioFileSpec& spec);
    ~FlacFileSink() override;

    void write(std::span<const float> interleaved) override;
    void commit() override;

private:
    void start(const AudioFileSpec& spec);
    void release();

    MemoryFile file_;
    FLAC__StreamEncoder* encoder_ = nullptr;
    FLAC__StreamMetadata* comments_ = nullptr;
    std::vector<FLAC__int32> samples_;
};

} // namespace zelk
