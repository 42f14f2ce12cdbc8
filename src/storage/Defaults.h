#pragma once

#include <array>
#include <cstdint>

namespace zelk {

// Number of keyboard actions and of entries in the key table they choose from.
inline constexpr int kKeyActions = 18;
inline constexpr int kKeyTableEntries = 76;

// Default key of each action 0..17, as a position in the key table: Z X C V B N (note
// lengths), A S D (sharp, flat, clear), F G H (staff views), Q W E R (measure moves),
// ESC (play/stop), Space (tuplet screen).
inline constexpr std::array<int16_t, kKeyActions> kDefaultKeyAssign = {
    47, 45, 24, 43, 23, 35, 22, 40, 25, 27, 28, 29, 38, 44, 26, 39, 2, 5};

// Actions beyond the 18 of "zelk.ini" (kept in "zelk-state.ini" instead, so older readers of
// zelk.ini meet their 77 lines): L (loop playback), P (seam audition), I (step entry), K (a
// rest in step entry).
inline constexpr int kExtraKeyActions = 4;
inline constexpr int kAllKeyActions = kKeyActions + kExtraKeyActions;
inline constexpr std::array<int16_t, kExtraKeyActions> kDefaultExtraKeyAssign = {33, 37, 30, 32};

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr int kColorEntries = 18;

// Default colour table, entry by entry: backgrounds, grid lines, notes by accidental
// (plain and tuplet), lane bars.
inline constexpr std::array<Rgb, kColorEntries> kDefaultColorTable = {{
    {200, 200, 200}, // 0 window background
    {255, 255, 255}, // 1 canvas background
    {200, 200, 200}, // 2 column lines
    {255, 150, 150}, // 3 beat lines
    {0, 0, 0},       // 4 staff and measure lines
    {100, 180, 100}, // 5 other guide lines
    {255, 200, 200}, // 6 notes, double sharp
    {255, 0, 0},     // 7 notes, sharp
    {0, 0, 0},       // 8 notes without accidental
    {0, 0, 255},     // 9 notes, flat
    {200, 200, 255}, // 10 notes, double flat
    {255, 200, 200}, // 11 tuplet notes, double sharp
    {255, 0, 0},     // 12 tuplet notes, sharp
    {0, 0, 0},       // 13 tuplet notes without accidental
    {0, 0, 255},     // 14 tuplet notes, flat
    {200, 200, 255}, // 15 tuplet notes, double flat
    {150, 150, 150}, // 16 bars of the effect lanes
    {100, 150, 100}, // 17 bars of the tempo lane
}};

} // namespace zelk
