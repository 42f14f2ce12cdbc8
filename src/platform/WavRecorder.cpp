#include "platform/WavRecorder.h"

#include "platform/WavCut.h"
#include "platform/WavWriterJob.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <system_error>

namespace zelk {
namespace {

// Four seconds of stereo at 48 kHz: the writer may stall that long (a slow disk) before a
// sample is lost.
constexpr std::size_t kRingSamples = 4 * 48000 * 2;
// The rendering thread copies a block in pieces of this many frames.
constexpr std::size_t kCopyFrames = 1024;
constexpr auto kWriterNap = std::chrono::milliseconds(5);

} // namespace

WavRecorder::WavRecorder(double inputRate, std::filesystem::path scratch, Attach attach)
    : inputRate_(inputRate), scratch_(std::move(scratch)), attach_(std::move(attach)),
      ring_(kRingSamples), interleaved_(2 * kCopyFrames) {}

WavRecorder::~WavRecorder() {
    close();
}

std::optional<std::string> WavRecorder::open(const WaveFormat& format) {
    close();
    dropped_ = 0;
    heard_ = 0;
    cut_ = false;
    writeFailed_ = false;
    try {
        job_ = std::make_unique<WavWriterJob>(scratch_, format, inputRate_);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelk: recording not possible: %s\n", e.what());
        return e.what();
    }
    return std::nullopt;
}

std::optional<std::string> WavRecorder::failure() const {
    if (writeFailed_.load(std::memory_order_acquire))
        return "cannot write " + scratch_.string();
    return std::nullopt;
}

void WavRecorder::record() {
    if (!job_ || tapped_)
        return;
    draining_ = false;
    writer_ = std::thread([this] { writeLoop(); });
    tapped_ = true;
    attach_(this);
}

void WavRecorder::stop() {
    if (!tapped_)
        return;
    attach_(nullptr);
    tapped_ = false;
    draining_ = true;
    writer_.join();
}

void WavRecorder::keepFrames(int64_t from, int64_t to) {
    cut_ = true;
    keepFrom_ = from;
    keepTo_ = to;
}

bool WavRecorder::save(const std::filesystem::path& file) {
    stop();
    if (!job_)
        return false;
    const int outRate = job_->outputRate();
    const bool written = job_->finish();
    job_.reset();
    if (!written)
        return false;
    // The heard frames are at the synthesizer's rate, the file at its own.
    const auto atFileRate = [this, outRate](int64_t frame) {
        return static_cast<int64_t>(
            std::llround(static_cast<double>(frame) * outRate / inputRate_));
    };
    if (cut_ && !cutWav(scratch_, atFileRate(keepFrom_), atFileRate(keepTo_)))
        return false;
    std::error_code error;
    std::filesystem::rename(scratch_, file, error);
    if (error) {
        std::filesystem::copy_file(scratch_, file,
                                   std::filesystem::copy_options::overwrite_existing, error);
        std::filesystem::remove(scratch_);
    }
    if (droppedFrames() > 0)
        std::fprintf(stderr, "zelk: the recording lost %llu frames\n",
                     static_cast<unsigned long long>(droppedFrames()));
    return !error;
}

void WavRecorder::close() {
    stop();
    if (job_) {
        job_.reset();
        std::error_code ignored;
        std::filesystem::remove(scratch_, ignored);
    }
    // Whatever a stopped writer left behind belongs to no recording.
    float sink[256];
    while (ring_.pop(sink, std::size(sink)) > 0) {
    }
}

void WavRecorder::takeOnAudioThread(std::span<const float> left, std::span<const float> right) {
    const std::size_t frames = std::min(left.size(), right.size());
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(kCopyFrames, frames - done);
        for (std::size_t i = 0; i < n; ++i) {
            interleaved_[2 * i] = left[done + i];
            interleaved_[2 * i + 1] = right[done + i];
        }
        // Only frames that reach the file are counted, so cut positions match the file.
        if (ring_.push(interleaved_.data(), 2 * n))
            heard_.fetch_add(static_cast<int64_t>(n), std::memory_order_release);
        else
            dropped_.fetch_add(n, std::memory_order_relaxed);
        done += n;
    }
}

void WavRecorder::writeLoop() {
    std::vector<float> block(2 * 4096);
    for (;;) {
        // Read the flag first: everything pushed before it was set is in the ring by then.
        const bool last = draining_.load(std::memory_order_acquire);
        const std::size_t n = ring_.pop(block.data(), block.size());
        if (n > 0) {
            job_->write(block.data(), n / 2);
            if (!job_->ok())
                writeFailed_.store(true, std::memory_order_release);
            continue;
        }
        if (last)
            return;
        std::this_thread::sleep_for(kWriterNap);
    }
}

} // namespace zelk
