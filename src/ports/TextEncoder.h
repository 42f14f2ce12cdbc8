#pragma once

#include <string>
#include <string_view>

namespace zelk {

// Turns the program's UTF-8 texts into the byte encoding another file format or library
// expects. A character the target encoding lacks becomes "?"; encoding never fails.
class TextEncoder {
public:
    virtual ~TextEncoder() = default;
    virtual std::string encode(std::string_view utf8) const = 0;
};

} // namespace zelk
