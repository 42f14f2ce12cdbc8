#include "platform/GzipCompressor.h"

#include "files/EveryCore.h"
#include "model/FormatError.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <vector>
#include <zlib.h>

namespace zelk {
namespace {

constexpr int kGzipWindow = 15 + 16; // 15-bit window, gzip wrapper

struct Deflater {
    z_stream s{};
    // Window bits as deflateInit2 takes them: the gzip wrapper, or -15 for raw deflate.
    explicit Deflater(int level, int windowBits = kGzipWindow) {
        if (deflateInit2(&s, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
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

// Texts from this size on are compressed in pieces of this size on every core.
constexpr size_t kPiece = size_t{1} << 20;
constexpr size_t kWindow = size_t{1} << 15;

// One piece as raw deflate, primed with the 32 KiB before it so that matches reach back
// over the seam as in one stream. All but the last end on a byte boundary (a sync flush),
// so the pieces join into one deflate stream.
std::string deflatePiece(std::string_view text, size_t begin, size_t end, int level) {
    Deflater d(level, -15);
    std::string out(deflateBound(&d.s, static_cast<uLong>(end - begin)) + 16, '\0');
    const size_t primed = std::min(begin, kWindow);
    if (primed != 0 &&
        deflateSetDictionary(&d.s, reinterpret_cast<const Bytef*>(text.data() + begin - primed),
                             static_cast<uInt>(primed)) != Z_OK)
        throw std::runtime_error("zlib deflateSetDictionary failed");
    d.s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + begin));
    d.s.avail_in = static_cast<uInt>(end - begin);
    d.s.next_out = reinterpret_cast<Bytef*>(out.data());
    d.s.avail_out = static_cast<uInt>(out.size());
    const bool last = end == text.size();
    const int rc = deflate(&d.s, last ? Z_FINISH : Z_SYNC_FLUSH);
    const bool done =
        last ? rc == Z_STREAM_END : rc == Z_OK && d.s.avail_in == 0 && d.s.avail_out != 0;
    if (!done)
        throw std::runtime_error("zlib deflate failed");
    out.resize(d.s.total_out);
    return out;
}

void appendLittleEndian(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

// Large texts (a dense song is 9 MB) are deflated in 1 MiB pieces on every core and joined
// into one ordinary gzip member, as pigz does; the bytes do not depend on the core count.
std::string GzipCompressor::compress(std::string_view text) const {
    if (text.size() < 2 * kPiece)
        return compressWhole(text);
    const size_t pieces = (text.size() + kPiece - 1) / kPiece;
    std::vector<std::string> deflated(pieces);
    std::vector<uLong> crcs(pieces);
    onEveryCore(pieces, [&](size_t i, size_t) {
        const size_t begin = i * kPiece, end = std::min(text.size(), begin + kPiece);
        deflated[i] = deflatePiece(text, begin, end, level_);
        crcs[i] = crc32_z(0, reinterpret_cast<const Bytef*>(text.data() + begin), end - begin);
    });
    // The header zlib writes: no name, no time, the level's flag, Unix.
    const char xfl = level_ == 1 ? 4 : (level_ == 9 ? 2 : 0);
    std::string out{'\x1f', '\x8b', 8, 0, 0, 0, 0, 0, xfl, 3};
    uLong crc = crcs[0];
    for (size_t i = 0; i < pieces; ++i) {
        out += deflated[i];
        if (i > 0)
            crc = crc32_combine(crc, crcs[i],
                                static_cast<z_off_t>(std::min(kPiece, text.size() - i * kPiece)));
    }
    appendLittleEndian(out, static_cast<uint32_t>(crc));
    appendLittleEndian(out, static_cast<uint32_t>(text.size()));
    return out;
}

std::string GzipCompressor::compressWhole(std::string_view text) const {
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
