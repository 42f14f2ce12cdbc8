#pragma once

#include "platform/WmaTags.h"
#include "ports/WmaEncoder.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>

namespace zelk {

// The WMA encoder on libavcodec's wmav2 in an ASF file (platform/WmaEncoding.h), one job at a
// time on a worker thread of its own.
class FfmpegWmaEncoder : public WmaEncoder {
public:
    FfmpegWmaEncoder() = default;
    ~FfmpegWmaEncoder() override;
    FfmpegWmaEncoder(const FfmpegWmaEncoder&) = delete;
    FfmpegWmaEncoder& operator=(const FfmpegWmaEncoder&) = delete;

    void init() override;
    int16_t encodeOpen(const std::filesystem::path& source, const std::filesystem::path& target,
                       int32_t& option, const TagRecord& tags) override;
    void encodeStart() override;
    int32_t getEncodeState(int32_t& result) override;
    void debug() override;
    void free() override;

private:
    std::filesystem::path source_;
    std::filesystem::path target_;
    WmaTags tags_;
    bool accepted_ = false;
    std::string refusal_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> cancel_{false};
    std::string failure_; // written by the worker before running_ drops
};

} // namespace zelk
