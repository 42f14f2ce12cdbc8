#include "platform/AsfDescription.h"

#include <iconv.h>

#include <array>
#include <cstring>

namespace zelk {
namespace {

using Guid = std::array<uint8_t, 16>;
constexpr Guid kHeader{0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                       0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kContentDescription{0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFileProperties{0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                               0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

uint64_t readLe(const std::vector<uint8_t>& b, std::size_t at, int bytes) {
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | b[at + static_cast<std::size_t>(i)];
    return v;
}

void writeLe(std::vector<uint8_t>& b, std::size_t at, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

bool isGuid(const std::vector<uint8_t>& b, std::size_t at, const Guid& g) {
    return at + 16 <= b.size() && std::memcmp(b.data() + at, g.data(), 16) == 0;
}

// UTF-16LE with its terminating NUL, as ASF stores texts.
std::vector<uint8_t> utf16le(std::string_view utf8) {
    std::vector<uint8_t> out(utf8.size() * 2 + 2, 0);
    iconv_t cd = iconv_open("UTF-16LE", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {0, 0};
    std::string in(utf8);
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = reinterpret_cast<char*>(out.data());
    std::size_t dstLeft = out.size() - 2;
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

struct HeaderPlaces {
    std::size_t contentDescription = 0;
    std::size_t fileProperties = 0;
};

bool findObjects(const std::vector<uint8_t>& b, HeaderPlaces& at) {
    if (!isGuid(b, 0, kHeader) || b.size() < 30)
        return false;
    const uint64_t headerSize = readLe(b, 16, 8);
    if (headerSize > b.size())
        return false;
    for (std::size_t pos = 30; pos + 24 <= headerSize;) {
        const uint64_t size = readLe(b, pos + 16, 8);
        if (size < 24 || pos + size > headerSize)
            return false;
        if (isGuid(b, pos, kContentDescription))
            at.contentDescription = pos;
        if (isGuid(b, pos, kFileProperties))
            at.fileProperties = pos;
        pos += size;
    }
    return at.contentDescription != 0 && at.fileProperties != 0;
}

} // namespace

bool setAsfDescription(std::vector<uint8_t>& b, std::string_view utf8) {
    HeaderPlaces at;
    if (!findObjects(b, at))
        return false;
    const std::size_t cd = at.contentDescription;
    if (cd + 34 > b.size())
        return false;
    std::size_t text = cd + 34;
    for (int i = 0; i < 3; ++i)
        text += readLe(b, cd + 24 + 2 * static_cast<std::size_t>(i), 2);
    const std::size_t oldLength = readLe(b, cd + 30, 2);
    const std::vector<uint8_t> value = utf16le(utf8);
    if (value.size() > 0xFFFF || text + oldLength > b.size())
        return false;
    const auto delta = static_cast<int64_t>(value.size()) - static_cast<int64_t>(oldLength);
    writeLe(b, cd + 30, value.size(), 2);
    writeLe(b, cd + 16, readLe(b, cd + 16, 8) + delta, 8);
    writeLe(b, 16, readLe(b, 16, 8) + delta, 8);
    writeLe(b, at.fileProperties + 40, readLe(b, at.fileProperties + 40, 8) + delta, 8);
    const auto place = b.begin() + static_cast<std::ptrdiff_t>(text);
    b.erase(place, place + static_cast<std::ptrdiff_t>(oldLength));
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(text), value.begin(), value.end());
    return true;
}

} // namespace zelk
