#include "platform/WavCut.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>
#include <system_error>
#include <vector>

namespace zelk {
namespace {

struct SndfileCloser {
    void operator()(SNDFILE* f) const { sf_close(f); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;

constexpr int64_t kChunkFrames = 8192;

bool writeSilence(SNDFILE* out, int channels, int64_t frames) {
    const std::vector<short> zeros(static_cast<size_t>(kChunkFrames * channels), 0);
    for (int64_t left = frames; left > 0; left -= kChunkFrames) {
        const sf_count_t n = std::min(left, kChunkFrames);
        if (sf_writef_short(out, zeros.data(), n) != n)
            return false;
    }
    return true;
}

bool copyFrames(SNDFILE* in, SNDFILE* out, int channels, int64_t frames) {
    std::vector<short> buffer(static_cast<size_t>(kChunkFrames * channels));
    for (int64_t left = frames; left > 0; left -= kChunkFrames) {
        const sf_count_t n = std::min(left, kChunkFrames);
        if (sf_readf_short(in, buffer.data(), n) != n ||
            sf_writef_short(out, buffer.data(), n) != n)
            return false;
    }
    return true;
}

bool cutInto(const std::filesystem::path& file, const std::filesystem::path& cut, int64_t from,
             int64_t to) {
    SF_INFO info{};
    const Sndfile in(sf_open(file.c_str(), SFM_READ, &info));
    if (!in)
        return false;
    SF_INFO outInfo = info;
    const Sndfile out(sf_open(cut.c_str(), SFM_WRITE, &outInfo));
    if (!out)
        return false;
    const int64_t first = std::clamp<int64_t>(from, 0, info.frames);
    const int64_t last = std::clamp<int64_t>(to, first, info.frames);
    if (sf_seek(in.get(), first, SEEK_SET) != first)
        return false;
    return writeSilence(out.get(), info.channels, std::min(first, to) - from) &&
           copyFrames(in.get(), out.get(), info.channels, last - first) &&
           writeSilence(out.get(), info.channels, to - std::max(last, from));
}

} // namespace

bool cutWav(const std::filesystem::path& file, int64_t from, int64_t to) {
    auto cut = file;
    cut += ".cut";
    const bool ok = to >= from && cutInto(file, cut, from, to);
    std::error_code error;
    if (ok)
        std::filesystem::rename(cut, file, error);
    if (!ok || error) {
        std::error_code ignored;
        std::filesystem::remove(cut, ignored);
    }
    return ok && !error;
}

} // namespace zelk
