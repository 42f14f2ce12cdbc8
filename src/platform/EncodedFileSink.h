#pragma once

#include "ports/AudioFileSink.h"

#include <stdexcept>
#include <string>

namespace zelk {

// What every encoder's sink shares: the file it is for and the errors that name it.
class EncodedFileSink : public AudioFileSink {
protected:
    EncodedFileSink(std::filesystem::path path, const AudioFileSpec& spec)
        : path_(std::move(path)), channels_(spec.channels) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error(path_.string() + ": " + what);
    }
    // Whole frames in an interleaved span.
    size_t framesIn(std::span<const float> interleaved) const {
        return interleaved.size() / static_cast<size_t>(channels_);
    }

    std::filesystem::path path_;
    int channels_;
};

} // namespace zelk
