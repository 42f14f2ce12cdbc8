#include "platform/EncodedAudioFileWriter.h"

#include "files/ReplacingFile.h"

#include "platform/FlacFileSink.h"
#include "platform/OggVorbisSink.h"
#include "platform/WavFileSink.h"

namespace zelk {

namespace {

// The file is written only when the render is complete; a folder that cannot take it is
// found now, before minutes of rendering. A pipe or device is not opened twice.
void probeTarget(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return;
    ReplacingFile probe(path); // a temporary file beside the target, removed again
}

} // namespace

std::unique_ptr<AudioFileSink> EncodedAudioFileWriter::open(const std::filesystem::path& path,
                                                            const AudioFileSpec& spec) {
    probeTarget(path);
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
