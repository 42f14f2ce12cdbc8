#pragma once

#include "storage/Defaults.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zelk {

class AppFolder;

inline constexpr int kRecentFiles = 5;
// A longer line of "zelk.ini" is garbled and falls back alone.
inline constexpr size_t kMaxSettingsLine = 4096;

// What "zelk.ini" carries from one run to the next.
struct Settings {
    std::array<std::string, kRecentFiles> recent; // full paths, most recent first; "" unused
    std::array<int16_t, kKeyActions> KeyAssign = kDefaultKeyAssign;
    std::array<Rgb, kColorEntries> ColorTable = kDefaultColorTable;
    bool operator==(const Settings&) const = default;
};

// "zelk.ini": 77 CR LF lines: 5 recent paths (bytes as the system gave them, usually
// UTF-8), 18 key-table positions 0..75, then red, green and blue 0..255 of each of the 18
// colours.
std::string formatSettings(const Settings& settings);
// Never fails: every line that is missing or does not hold a sound value keeps its
// default (an empty recent entry, the default key or colour byte). LF is accepted.
Settings parseSettings(std::string_view text);

// Reads the folder's settings file; a missing or unreadable file gives the defaults.
Settings readSettingsFile(const AppFolder& folder);
// Replaces the settings file atomically. Throws std::system_error.
void writeSettingsFile(const AppFolder& folder, const Settings& settings);

} // namespace zelk
