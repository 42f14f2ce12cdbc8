#pragma once

#include "model/NoteGrid.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

namespace zelk {

// The tuplet grid: three slots per four columns, counted from column 0 (every measure
// starts on a multiple of 4). A column whose remainder is 3 starts no slot; it counts as
// the slot that starts after it.
constexpr int32_t tupletSlotOf(int32_t col) {
    return (col / 4) * 3 + col % 4;
}
constexpr int32_t tupletSlotColumn(int32_t slot) {
    return slot + slot / 3;
}

// Time on the score in thirds of a column (20 ticks): column c starts at 3c and tuplet
// slot k at 4k, so plain and tuplet marks meet every 12 thirds (four columns).
inline constexpr int32_t kThirdsPerColumn = 3;
inline constexpr int32_t kThirdsPerSlot = 4;

constexpr int32_t thirdsPerStep(bool tuplet) {
    return tuplet ? kThirdsPerSlot : kThirdsPerColumn;
}
// Time of a head or end mark in column col.
constexpr int32_t markTime(int32_t col, bool tuplet) {
    return tuplet ? kThirdsPerSlot * tupletSlotOf(col) : kThirdsPerColumn * col;
}
// Column of a mark at time t >= 0, which lies on the mark's own grid.
constexpr int32_t markColumn(int32_t t, bool tuplet) {
    return tuplet ? tupletSlotColumn(t / kThirdsPerSlot) : t / kThirdsPerColumn;
}

// One note of a row: head mark at `head`, end mark at `end`, sounding in head .. end - 1.
struct NoteSpan {
    int32_t head = 0;
    int32_t end = 0;
    int row = 0;
    bool tuplet = false;
    int32_t accidental = 0;    // cell::Sharp or cell::Flat of its head and body, or 0
    int32_t endAccidental = 0; // cell::EndSharp or cell::EndFlat of its end mark, or 0
    bool operator==(const NoteSpan&) const = default;

    // The same note `thirds` later and `rows` lower; the caller keeps the new head on the
    // note's grid (fitsShift).
    NoteSpan shifted(int32_t thirds, int rows) const;
    // Whether the note's marks land on its own grid, at or after column 0, after a shift.
    bool fitsShift(int32_t thirds) const;
};

// The note whose head stands at (row, head); nothing when no note starts there.
std::optional<NoteSpan> noteStartingAt(const NoteGrid& grid, int row, int32_t head);
// The note that starts or sounds in (row, col); nothing for an empty cell or an end mark.
std::optional<NoteSpan> noteCovering(const NoteGrid& grid, int row, int32_t col);
// Writes a note's cells by OR into the row, as a placement does.
void writeNoteCells(NoteGrid& grid, const NoteSpan& n);
// Takes a note's cells out of the row; an earlier note's end in its head cell and a later
// note's head in its end cell stay.
void eraseNoteCells(NoteGrid& grid, const NoteSpan& n);

// A note as the selection names it: its row and the column of its head.
struct NoteKey {
    int32_t head = 0;
    int row = 0;
    auto operator<=>(const NoteKey&) const = default;
};

inline NoteKey keyOf(const NoteSpan& n) {
    return {n.head, n.row};
}

// A note with the lane values of the columns it sounds in, as a copy or a move carries it.
struct CarriedNote {
    NoteSpan span;
    uint8_t velocity = 100;             // VelLane of its head column
    std::vector<uint8_t> pit, mod, exp; // columns head .. end - 1
};

// The Ctrl + left drag: the band from the press to the pointer, in canvas twips. With
// Shift as well the notes it takes are added to the selection.
struct SelectionBand {
    bool active = false;
    bool adding = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// A drag of the selected notes: the press, the notes as they lay, the shift the pointer
// gives so far. The notes move on release.
struct SelectionDrag {
    bool active = false;
    bool moved = false; // the pointer left the press's place
    double x0 = 0, y0 = 0;
    int pressRow = 0;
    std::vector<NoteSpan> notes;
    int32_t thirds = 0;
    int rows = 0;
};

// The notes of the current part chosen for the selection edits, and the gestures that
// choose or drag them. The selection belongs to the part and the view: a part switch, undo,
// redo, a load and a song reset clear it.
struct NoteSelection {
    int part = 0;
    std::vector<NoteKey> notes; // sorted, each once
    SelectionBand band;
    SelectionDrag drag;

    bool empty() const { return notes.empty(); }
    bool contains(NoteKey k) const;
    // Adds or removes one note.
    void toggle(NoteKey k);
    void set(int newPart, std::vector<NoteKey> keys);
    void clear();
};

// Cut or copied notes. Pasting puts the first of them (`anchor`, a time in thirds) at
// the pointer and the others where they lay relative to it.
struct NoteClipboard {
    std::vector<CarriedNote> notes;
    int32_t anchor = 0;
    // Plain notes (3 thirds), tuplet notes (4) or both (12): a paste moves the notes by a
    // multiple of this, so each stays on its own grid.
    int32_t unit = kThirdsPerColumn;
    bool empty() const { return notes.empty(); }
};

// The smallest shift in thirds that keeps plain and tuplet notes on their grids.
int32_t shiftUnit(bool plain, bool tuplet);

} // namespace zelk
