#pragma once

#include <cstdint>
#include <span>

namespace zelk {

struct Song;

// Whether part p as it stands in song.part, with the song's measures, keys, rhythm parts
// and loop point, writes `trackBody` again byte for byte in an export: the check that our
// own export came back exactly.
bool writesTrackAgain(const Song& song, int p, std::span<const uint8_t> trackBody);

} // namespace zelk
