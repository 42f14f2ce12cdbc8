#include "editor/transport/TagRecordBuilder.h"

#include "ports/TextEncoder.h"

#include <algorithm>

namespace zelk {
namespace {

bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The length of `bytes` cut to at most `limit` without splitting a two-byte character.
std::size_t cutLength(const std::string& bytes, std::size_t limit) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t width = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + width > limit)
            break;
        i += width;
    }
    return std::min(i, bytes.size());
}

void putField(TagRecord& record, TagField field, const std::string& shiftJis) {
    const auto start = shiftJis.find_first_not_of(' ');
    std::string text = start == std::string::npos ? std::string() : shiftJis.substr(start);
    text.resize(cutLength(text, field.size));
    text.append(2, '\0');
    text.resize(std::min(text.size(), field.size));
    text.resize(field.size, ' ');
    std::copy(text.begin(), text.end(), record.begin() + static_cast<std::ptrdiff_t>(field.offset));
}

} // namespace

TagRecord buildTagRecord(const std::array<std::string, 4>& texts, const TextEncoder& shiftJis) {
    TagRecord record{};
    for (std::size_t i = 0; i < texts.size(); ++i)
        putField(record, kTagFields[i], shiftJis.encode(texts[i]));
    putField(record, kTagFields[4], std::string());
    return record;
}

} // namespace zelk
