#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace zelk {

struct Song;

// Whether part p with this work file, with the song's measures, keys, rhythm parts and loop
// point, writes `trackBody` again byte for byte in an export: the check that our own
// export came back exactly.
bool writesTrackAgain(const Song& song, int p, std::string_view workFile,
                      std::span<const uint8_t> trackBody);

} // namespace zelk
