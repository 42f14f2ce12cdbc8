#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// libavformat's ASF muxer files the generic "comment" under the extended content description
// only, leaving the content description's own description empty, where players look for it.
// Puts `utf8` there in an ASF file's bytes, growing the objects around it. False (and the bytes
// untouched) when the header has no content description object or is malformed.
bool setAsfDescription(std::vector<uint8_t>& file, std::string_view utf8);

} // namespace zelk
