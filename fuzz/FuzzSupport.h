#pragma once

// Shared pieces of the fuzz targets: a private program folder, a fresh song, comparisons
// that say which field differs, and a check that aborts with a message (libFuzzer then
// keeps the input).

#include "model/AppFolder.h"
#include "model/Song.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace zelk::fuzz {

// One program folder for the whole fuzzing process, emptied by the caller as needed.
const AppFolder& folder();
// Removes every file of the folder.
void emptyFolder();
// Name -> contents of every file in the folder.
std::map<std::string, std::string> folderFiles();

// A reset song with a note in part 0, a title, a dirty flag and a file path, so that a
// refused load has something to leave alone.
Song songWithState();

// The first field in which the songs differ, "" when they are the same.
std::string songDifference(const Song& a, const Song& b);

// Aborts the process with the message when ok is false.
void check(bool ok, std::string_view what);

std::string_view asText(const uint8_t* data, size_t size);

} // namespace zelk::fuzz
