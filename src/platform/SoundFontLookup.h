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

// SoundFonts (*.sf2, *.sf3) in the folders where distributions and users put them
// (/usr/share/sounds/sf2, sf3, /usr/share/soundfonts, ~/.local/share/sounds/sf2 and
// ~/.local/share/soundfonts, `home` being the user's home folder): the default candidates
// first, then the others by name. Links are followed; duplicates are listed once.
std::vector<std::filesystem::path> soundFontsIn(const std::filesystem::path& root,
                                                const std::filesystem::path& home);

// findSoundFont with $ZELK_SOUNDFONT and the default candidates.
std::optional<std::filesystem::path> findSoundFontFromEnvironment();

} // namespace zelk
