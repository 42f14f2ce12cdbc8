#pragma once

#include "platform/WmaTags.h"

#include <atomic>
#include <filesystem>
#include <string>

namespace zelk {

// WMA (wmav2, constant 128 kbps) in an ASF file with the four tags in its content
// description.
inline constexpr int kWmaBitRate = 128000;

// Encodes the WAV file `source` to `target`: written under a temporary name beside the target
// and renamed over it only when complete. Returns an empty text on success, else why it
// failed (the old target then stays). `cancel` abandons the job between blocks.
std::string encodeWavToWma(const std::filesystem::path& source, const std::filesystem::path& target,
                           const WmaTags& tags, const std::atomic<bool>& cancel);

} // namespace zelk
