#pragma once

#include "ports/WmaEncoder.h"

#include <string>

namespace zelk {

// The texts of an encoder tag record, as UTF-8.
struct WmaTags {
    std::string title;
    std::string author;
    std::string copyright;
    std::string description;
};

// Reads the record's first four fields (each Shift-JIS text up to its first NUL). Throws
// std::runtime_error when the C library has no CP932 converter.
WmaTags readTagRecord(const TagRecord& record);

} // namespace zelk
