#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelk {

// Turns the project text into the bytes of a project file and back.
class Compressor {
public:
    virtual ~Compressor() = default;
    virtual std::string compress(std::string_view text) const = 0;
    // Throws FormatError when the data is damaged or would expand beyond maxSize bytes.
    virtual std::string expand(std::string_view data, size_t maxSize) const = 0;
};

} // namespace zelk
