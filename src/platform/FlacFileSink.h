#pragma once

#include "platform/MemoryFile.h"
#include "ports/AudioFileSink.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <vector>

namespace zelk {

// 16-bit FLAC through libFLAC, with the loop and the texts as Vorbis comments.
class FlacFileSink : public AudioFileSink {
public:
    FlacFileSink(std::filesystem::path path, const AudioFileSpec& spec);
    ~FlacFileSink() override;

    void write(std::span<const float> interleaved) override;
    void commit() override;

private:
    void fail(const std::string& what) const;

    std::filesystem::path path_;
    int channels_;
    MemoryFile file_;
    FLAC__StreamEncoder* encoder_ = nullptr;
    FLAC__StreamMetadata* comments_ = nullptr;
    std::vector<FLAC__int32> samples_;
};

} // namespace zelk
