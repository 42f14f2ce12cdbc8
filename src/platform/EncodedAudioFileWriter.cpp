#include "platform/EncodedAudioFileWriter.h"

#include "platform/FlacFileSink.h"
#include "platform/OggVorbisSink.h"
#include "platform/WavFileSink.h"

namespace zelk {

std::unique_ptr<AudioFileSink> EncodedAudioFileWriter::open(const std::filesystem::path& path,
                                                            const AudioFileSpec& spec) {
    switch (spec.format) {
    case AudioFileFormat::Ogg:
        return std::make_unique<OggVorbisSink>(path, spec);
    case AudioFileFormat::Flac:
        return std::make_unique<FlacFileSink>(path, spec);
    case AudioFileFormat::Wav:
        break;
    }
    return std::make_unique<WavFileSink>(path, spec);
}

} // namespace zelk
