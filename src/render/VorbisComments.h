#pragma once

#include "ports/AudioFileSink.h"

#include <string>
#include <utility>
#include <vector>

namespace zelk {

// The comments of an Ogg Vorbis or FLAC file, in the order they are written. The loop comes
// first, in samples and upper case, as the game engines that read it expect: one reader
// looks only at the start of the file and ignores LOOPSTART without a positive LOOPLENGTH.
std::vector<std::pair<std::string, std::string>> vorbisComments(const AudioFileSpec& spec);

} // namespace zelk
