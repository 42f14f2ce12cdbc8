#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace zelk {

enum class AudioFileFormat { Wav, Ogg, Flac };

// A loop in frames from the start of the file, as game engines read it.
struct AudioLoop {
    int64_t start = 0;
    int64_t length = 0;
    bool operator==(const AudioLoop&) const = default;
};

struct AudioFileSpec {
    AudioFileFormat format = AudioFileFormat::Wav;
    int sampleRate = 44100;
    int channels = 2;
    std::optional<AudioLoop> loop; // written as the format's loop metadata
    std::string title;             // UTF-8
    std::string copyright;
};

// An audio file being written: interleaved float frames (-1..1) in, the file appears under
// its name only at commit(); destroyed without commit, nothing is left behind and a file
// that was there stays. Errors throw std::runtime_error naming the file.
class AudioFileSink {
public:
    virtual ~AudioFileSink() = default;
    virtual void write(std::span<const float> interleaved) = 0;
    virtual void commit() = 0;
};

class AudioFileWriter {
public:
    virtual ~AudioFileWriter() = default;
    virtual std::unique_ptr<AudioFileSink> open(const std::filesystem::path& path,
                                                const AudioFileSpec& spec) = 0;
};

} // namespace zelk
