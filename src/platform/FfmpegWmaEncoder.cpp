#include "platform/FfmpegWmaEncoder.h"

#include "platform/WmaEncoding.h"

#include <sndfile.h>

#include <cstdio>
#include <exception>

namespace zelk {

FfmpegWmaEncoder::~FfmpegWmaEncoder() {
    free();
}

void FfmpegWmaEncoder::init() {
    cancel_ = false;
}

int16_t FfmpegWmaEncoder::encodeOpen(const std::filesystem::path& source,
                                     const std::filesystem::path& target, int32_t& /*option*/,
                                     const TagRecord& tags) {
    accepted_ = false;
    if (running_) {
        refusal_ = "a conversion is still running";
        return 0;
    }
    SF_INFO info{};
    SNDFILE* in = sf_open(source.c_str(), SFM_READ, &info);
    if (in == nullptr) {
        refusal_ = "cannot read " + source.string() + ": " + sf_strerror(nullptr);
        return 0;
    }
    sf_close(in);
    const auto folder = target.parent_path();
    if (!std::filesystem::is_directory(folder.empty() ? "." : folder)) {
        refusal_ = "no folder " + folder.string();
        return 0;
    }
    try {
        tags_ = readTagRecord(tags);
    } catch (const std::exception& e) {
        refusal_ = e.what();
        return 0;
    }
    source_ = source;
    target_ = target;
    accepted_ = true;
    return 1;
}

void FfmpegWmaEncoder::encodeStart() {
    if (!accepted_ || running_)
        return;
    accepted_ = false;
    if (worker_.joinable())
        worker_.join();
    cancel_ = false;
    failure_.clear();
    running_ = true;
    worker_ = std::thread([this] {
        failure_ = encodeWavToWma(source_, target_, tags_, cancel_);
        running_.store(false, std::memory_order_release);
    });
}

int32_t FfmpegWmaEncoder::getEncodeState(int32_t& result) {
    if (running_.load(std::memory_order_acquire))
        return 1;
    if (worker_.joinable())
        worker_.join();
    result = failure_.empty() ? 0 : 1;
    if (!failure_.empty())
        std::fprintf(stderr, "zelk: WMA conversion failed: %s\n", failure_.c_str());
    return 0;
}

void FfmpegWmaEncoder::debug() {
    std::fprintf(stderr, "zelk: WMA conversion refused: %s\n", refusal_.c_str());
}

void FfmpegWmaEncoder::free() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    accepted_ = false;
}

} // namespace zelk
