#pragma once

#include "ports/TextEncoder.h"

#include <string>
#include <string_view>

namespace zelk::test {

// Texts of written MIDI files as they are (UTF-8), for tests that do not look at them.
class PlainEncoder : public TextEncoder {
public:
    std::string encode(std::string_view utf8) const override { return std::string(utf8); }
};

} // namespace zelk::test
