#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelk {

// Turns the texts of other file formats into the program's UTF-8.
class TextDecoder {
public:
    virtual ~TextDecoder() = default;
    // The bytes read as Shift-JIS (code page 932); nothing when they are not valid
    // Shift-JIS, so that the caller can try another encoding.
    virtual std::optional<std::string> decodeShiftJis(std::string_view bytes) const = 0;
};

} // namespace zelk
