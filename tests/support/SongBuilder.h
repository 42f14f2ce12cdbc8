#pragma once

#include "model/Song.h"

#include <cstdint>

namespace zelk::test {

// A song after a reset, with nothing in it.
Song freshSong();

// Writes a note of `len` columns into the current part the way the editor stores it,
// with the lane defaults of new columns, and raises PartLen.
void putNote(Song& song, int row, int head, int len, int32_t accidental = 0, bool tuplet = false);

} // namespace zelk::test
