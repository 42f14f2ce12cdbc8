#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace zelk {

// The General MIDI SoundFonts tried when $ZELK_SOUNDFONT is not set, best first.
std::vector<std::filesystem::path> defaultSoundFontCandidates();

// The SoundFont to load. A non-empty override (the value of $ZELK_SOUNDFONT) is the only choice,
// even when it names no file, so that a mistyped path is reported instead of being silently
// replaced by another SoundFont; without it, the first candidate that is a regular file (symbolic
// links followed). nullopt when nothing is found.
std::optional<std::filesystem::path>
findSoundFont(const char* overridePath, std::span<const std::filesystem::path> candidates);

// findSoundFont with $ZELK_SOUNDFONT and the default candidates.
std::optional<std::filesystem::path> findSoundFontFromEnvironment();

} // namespace zelk
