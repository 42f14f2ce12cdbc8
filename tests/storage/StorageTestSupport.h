#pragma once

#include "model/Song.h"
#include "support/TextBuilders.h"

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace zelk::test {

// Song-level sections of a small song: two measures (8 and 4 columns) with tempo
// 100..111 in columns 0..11, no loop, default title, copyright and rhythm flags.
Song smallSong();

// Writes text as a project file (gzip, as the program writes them).
void writeProjectText(const std::filesystem::path& file, std::string_view text);

// Every song-level value, the current part and the document state of a and b are equal.
void expectSameSong(const Song& a, const Song& b);

} // namespace zelk::test
