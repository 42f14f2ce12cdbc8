#include "platform/WavWriterJob.h"

#include <sndfile.h>
#include <soxr.h>

#include <cmath>
#include <stdexcept>

namespace zelk {

WavWriterJob::WavWriterJob(const std::filesystem::path& file, const WaveFormat& format,
                           double inputRate)
    : format_(format), ratio_(format.samplesPerSec / inputRate) {
    SF_INFO info{};
    info.samplerate = format.samplesPerSec;
    info.channels = format.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(file.c_str(), SFM_WRITE, &info);
    if (file_ == nullptr)
        throw std::runtime_error("cannot create " + file.string() + ": " + sf_strerror(nullptr));
    // Loud passages clip instead of wrapping round.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    if (std::lround(inputRate) == format.samplesPerSec)
        return;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    resampler_ =
        soxr_create(inputRate, format.samplesPerSec, static_cast<unsigned>(format.channels), &error,
                    &io, &quality, nullptr);
    if (error != nullptr) {
        sf_close(file_);
        throw std::runtime_error(std::string("cannot resample: ") + error);
    }
}

WavWriterJob::~WavWriterJob() {
    if (resampler_ != nullptr)
        soxr_delete(resampler_);
    if (file_ != nullptr)
        sf_close(file_);
}

void WavWriterJob::write(const float* stereo, std::size_t frames) {
    const float* samples = stereo;
    if (format_.channels == 1) {
        mono_.resize(frames);
        for (std::size_t i = 0; i < frames; ++i)
            mono_[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
        samples = mono_.data();
    }
    if (resampler_ == nullptr) {
        store(samples, frames);
        return;
    }
    const auto channels = static_cast<std::size_t>(format_.channels);
    const auto room = static_cast<std::size_t>(std::ceil(frames * ratio_)) + 64;
    resampled_.resize(room * channels);
    while (frames > 0) {
        std::size_t used = 0;
        std::size_t made = 0;
        soxr_process(resampler_, samples, frames, &used, resampled_.data(), room, &made);
        store(resampled_.data(), made);
        samples += used * channels;
        frames -= used;
        if (used == 0 && made == 0)
            break;
    }
}

bool WavWriterJob::finish() {
    if (resampler_ != nullptr) {
        resampled_.resize(4096 * static_cast<std::size_t>(format_.channels));
        std::size_t made = 0;
        do {
            soxr_process(resampler_, nullptr, 0, nullptr, resampled_.data(), 4096, &made);
            store(resampled_.data(), made);
        } while (made > 0);
    }
    if (sf_close(file_) != 0)
        ok_ = false;
    file_ = nullptr;
    return ok_;
}

void WavWriterJob::store(const float* samples, std::size_t frames) {
    if (frames == 0)
        return;
    const auto n = static_cast<sf_count_t>(frames);
    if (sf_writef_float(file_, samples, n) != n)
        ok_ = false;
}

} // namespace zelk
