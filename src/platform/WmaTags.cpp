#include "platform/WmaTags.h"

#include <iconv.h>

#include <stdexcept>
#include <string_view>

namespace zelk {
namespace {

std::string toUtf8(std::string_view shiftJis) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("no CP932 converter");
    std::string in(shiftJis);
    std::string out(in.size() * 3 + 4, '\0');
    char* src = in.data();
    std::size_t srcLeft = in.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    while (srcLeft > 0) {
        if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
            break;
        // A byte CP932 does not know: skipped, as a cut two-byte character would be.
        ++src;
        --srcLeft;
    }
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

std::string fieldText(const TagRecord& record, TagField field) {
    const std::string_view bytes(reinterpret_cast<const char*>(record.data()) + field.offset,
                                 field.size);
    return toUtf8(bytes.substr(0, bytes.find('\0')));
}

} // namespace

WmaTags readTagRecord(const TagRecord& record) {
    return {fieldText(record, kTagFields[0]), fieldText(record, kTagFields[1]),
            fieldText(record, kTagFields[2]), fieldText(record, kTagFields[3])};
}

} // namespace zelk
