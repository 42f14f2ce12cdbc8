#pragma once

#include <cstdint>

namespace zelk {

// Grid rows are diatonic steps: row 0 is C8, row 56 is C0.
inline constexpr int kRows = 57;
// Song time is at most 9600 columns (thirty-second notes); lanes hold one value per
// column 0..9600 and the grid one column more so a note sounding in 9600 can end in 9601.
inline constexpr int kMaxSongCols = 9600;
inline constexpr int kLaneCols = kMaxSongCols + 1;
inline constexpr int kGridCols = kMaxSongCols + 2;
inline constexpr int kParts = 16;
inline constexpr int kRhythmChannel = 9;
// Shortest and longest measure the time-signature list offers (1/8 and 6/4).
inline constexpr int kMinMeasureLen = 4;
inline constexpr int kMaxMeasureLen = 48;
inline constexpr int kResetMeasureCount = 300;
inline constexpr int kResetMeasureLen = 32;
inline constexpr int kMaxTempo = 300;

} // namespace zelk
