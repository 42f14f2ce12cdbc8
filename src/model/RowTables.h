#pragma once

#include <string_view>

namespace zelk {

// Base MIDI note of a row of an ordinary part: row 0 = 108 (C8) .. row 56 = 12 (C0).
int RowNote(int row);
// Rhythm-part label of a row (half-width katakana); empty outside rows 3..49.
std::string_view DrumName(int row);
// Step letter index of a row as key masks address it: 0 = C, 1 = B, 2 = A, 3 = G, 4 = F,
// 5 = E, 6 = D.
constexpr int rowStep(int row) {
    return row % 7;
}

} // namespace zelk
