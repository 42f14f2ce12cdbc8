#include "platform/IconvShiftJis.h"

#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <stdexcept>

namespace zelk {
namespace {

iconv_t handle(void* cd) {
    return static_cast<iconv_t>(cd);
}

// Bytes of the character at `p` to give up on: its lead byte and the continuation bytes
// that follow it, so that a broken sequence never swallows the next character.
size_t badCharLength(const char* p, size_t left) {
    const auto lead = static_cast<unsigned char>(p[0]);
    size_t n = 1;
    if (lead >= 0xC0 && lead < 0xE0)
        n = 2;
    else if (lead >= 0xE0 && lead < 0xF0)
        n = 3;
    else if (lead >= 0xF0 && lead < 0xF8)
        n = 4;
    size_t len = 1;
    while (len < n && len < left && (static_cast<unsigned char>(p[len]) & 0xC0) == 0x80)
        ++len;
    return len;
}

} // namespace

IconvShiftJis::IconvShiftJis()
    : cd_(iconv_open("CP932", "UTF-8")), decode_(iconv_open("UTF-8", "CP932")) {
    const auto failed = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
    if (cd_ == failed || decode_ == failed) {
        if (cd_ != failed)
            iconv_close(handle(cd_));
        if (decode_ != failed)
            iconv_close(handle(decode_));
        throw std::runtime_error("iconv has no CP932 converter");
    }
}

IconvShiftJis::~IconvShiftJis() {
    iconv_close(handle(cd_));
    iconv_close(handle(decode_));
}

std::optional<std::string> IconvShiftJis::decodeShiftJis(std::string_view bytes) const {
    std::string out;
    iconv(handle(decode_), nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data()); // iconv's signature; the input is not written
    size_t inLeft = bytes.size();
    char buf[256];
    while (inLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t rc = iconv(handle(decode_), &in, &inLeft, &dst, &dstLeft);
        const int err = errno;
        out.append(buf, static_cast<size_t>(dst - buf));
        if (rc == static_cast<size_t>(-1) && err != E2BIG)
            return std::nullopt; // a byte no character starts with, or a cut-off pair
    }
    return out;
}

std::string IconvShiftJis::encode(std::string_view utf8) const {
    std::string out;
    iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data()); // iconv's signature; the input is not written
    size_t inLeft = utf8.size();
    char buf[256];
    while (inLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t rc = iconv(handle(cd_), &in, &inLeft, &dst, &dstLeft);
        const int err = errno;
        out.append(buf, static_cast<size_t>(dst - buf));
        if (rc != static_cast<size_t>(-1) || err == E2BIG)
            continue;
        // EILSEQ: no CP932 code or broken UTF-8; EINVAL: a sequence cut off at the end.
        out += '?';
        const size_t skip = badCharLength(in, inLeft);
        in += skip;
        inLeft -= skip;
        iconv(handle(cd_), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

} // namespace zelk
