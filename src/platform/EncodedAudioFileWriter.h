#pragma once

#include "ports/AudioFileSink.h"

namespace zelk {

// WAV, FLAC or Ogg Vorbis, as AudioFileSpec::format names.
class EncodedAudioFileWriter : public AudioFileWriter {
public:
    std::unique_ptr<AudioFileSink> open(const std::filesystem::path& path,
                                        const AudioFileSpec& spec) override;
};

} // namespace zelk
