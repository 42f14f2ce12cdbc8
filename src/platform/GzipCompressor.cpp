#include "platform/GzipCompressor.h"

#include "model/FormatError.h"

#include <stdexcept>
#include <zlib.h>

namespace zelk {
namespace {

constexpr int kGzipWindow = 15 + 16; // 15-bit window, gzip wrapper

struct Deflater {
    z_stream s{};
    explicit Deflater(int level) {
        if (deflateInit2(&s, level, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::runtime_error("zlib deflateInit2 failed");
    }
    ~Deflater() { deflateEnd(&s); }
};

struct Inflater {
    z_stream s{};
    Inflater() {
        if (inflateInit2(&s, kGzipWindow) != Z_OK)
            throw std::runtime_error("zlib inflateInit2 failed");
    }
    ~Inflater() { inflateEnd(&s); }
};

} // namespace

std::string GzipCompressor::compress(std::string_view text) const {
    Deflater d(level_);
    std::string out(deflateBound(&d.s, static_cast<uLong>(text.size())), '\0');
    d.s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    d.s.avail_in = static_cast<uInt>(text.size());
    d.s.next_out = reinterpret_cast<Bytef*>(out.data());
    d.s.avail_out = static_cast<uInt>(out.size());
    if (deflate(&d.s, Z_FINISH) != Z_STREAM_END)
        throw std::runtime_error("zlib deflate failed");
    out.resize(d.s.total_out);
    return out;
}

namespace {

// Deflate never expands more than about 1032 to 1.
constexpr size_t kMaxDeflateRatio = 1032;

// The gzip trailer's ISIZE (the expanded size modulo 2^32) is a good first guess of the
// room needed, but only a guess: it is believed no further than the data could expand,
// so a tiny file that claims gigabytes costs nothing. A wrong trailer only costs a few
// more rounds of growing.
size_t expandedSizeHint(std::string_view data) {
    constexpr size_t kSmallest = 1 << 16;
    if (data.size() < 18)
        return kSmallest;
    const auto* t = reinterpret_cast<const unsigned char*>(data.data() + data.size() - 4);
    const size_t isize = t[0] | (t[1] << 8) | (t[2] << 16) | (static_cast<size_t>(t[3]) << 24);
    const size_t possible = data.size() * kMaxDeflateRatio;
    return std::max(std::min(isize + 1, possible), kSmallest);
}

} // namespace

std::string GzipCompressor::expand(std::string_view data, size_t maxSize) const {
    Inflater inf;
    std::string out;
    out.resize(std::min(maxSize, expandedSizeHint(data)));
    inf.s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    inf.s.avail_in = static_cast<uInt>(data.size());
    for (;;) {
        inf.s.next_out = reinterpret_cast<Bytef*>(out.data() + inf.s.total_out);
        inf.s.avail_out = static_cast<uInt>(out.size() - inf.s.total_out);
        const int rc = inflate(&inf.s, Z_NO_FLUSH);
        if (rc == Z_STREAM_END)
            break;
        if (rc == Z_OK && inf.s.avail_out == 0) {
            if (out.size() >= maxSize)
                throw FormatError("project text larger than " + std::to_string(maxSize >> 20) +
                                  " MiB");
            out.resize(std::min(maxSize, out.size() * 2));
            continue;
        }
        if (rc == Z_BUF_ERROR && inf.s.avail_in == 0)
            throw FormatError("project file is truncated");
        throw FormatError("project file is not a valid gzip stream");
    }
    if (inf.s.avail_in != 0)
        throw FormatError("project file has data after its gzip stream");
    out.resize(inf.s.total_out);
    return out;
}

} // namespace zelk
