#pragma once

#include <cstdint>

namespace zelk {

// A note placed on the grid: the columns of its head and end marks and whether it lies
// on the tuplet grid (three slots per four columns: a tuplet mark stands in a column x
// with x % 4 of 0, 1 or 2 and sounds 20 ticks times that after the column's start).
struct GridNote {
    int32_t head = 0;
    int32_t end = 0;
    bool tuplet = false;
    uint8_t key = 0; // sounding key (for a rhythm part the drum key)
    uint8_t velocity = 0;
    int row = -1;                       // -1 until spelled
    int32_t accidental = 0;             // cell::Sharp, cell::Flat or 0
    int alteration = 0;                 // our export: semitones from the row's base note (-2..2)
    bool eitherGrid = false;            // our export: the times read alike on both grids
    uint32_t onEvent = 0, offEvent = 0; // where the file plays it (FileNote)

    int32_t length() const { return end - head; }
};

// Column of tuplet slot k: three slots per four columns.
constexpr int32_t slotColumn(int64_t k) {
    return static_cast<int32_t>(4 * (k / 3) + k % 3);
}
// The slot of a column that holds one (x % 4 != 3).
constexpr int64_t slotOfColumn(int32_t x) {
    return 3 * int64_t{x / 4} + x % 4;
}
// Time of a mark in ticks at 480 per quarter note from the song's start.
constexpr int64_t markTicks(int32_t x, bool tuplet) {
    return 60 * int64_t{x} + (tuplet ? 20 * (x % 4) : 0);
}

} // namespace zelk
