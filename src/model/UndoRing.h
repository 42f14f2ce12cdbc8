#pragma once

#include "model/MeasureArrays.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace zelk {

// One lane stroke (a left drag or a right-drag line): the values of the columns
// firstCol .. firstCol + size - 1 of one lane before and after it. Kept in memory only.
struct LaneStrokeValues {
    uint8_t screen = 0; // input screen of the lane, 1..7
    int32_t firstCol = 0;
    std::vector<int32_t> before;
    std::vector<int32_t> after;
};

// The pitch bend, modulation and expression of the columns a removed note sounded in, so
// that undoing the removal gives them back.
struct NoteLaneValues {
    std::vector<uint8_t> pit, mod, exp;
};

// An edit of many notes at once (the selection's move, paste, delete, transposition and
// velocity): every grid cell and lane value it changed, before and after, and PartLen.
// Kept in memory only.
struct NoteEditValues {
    enum LaneKind : uint8_t { Sounding, Vel, Pit, Mod, Exp };
    struct CellChange {
        uint32_t at; // cell number of the column-major walk: 57 x column + row
        int32_t before;
        int32_t after;
    };
    struct LaneChange {
        int32_t col;
        LaneKind lane;
        uint8_t before;
        uint8_t after;
    };
    std::vector<CellChange> cells;
    std::vector<LaneChange> lanes;
    int32_t partLenBefore = 0;
    int32_t partLenAfter = 0;
};

inline constexpr int32_t kUndoNone = -1;
inline constexpr int32_t kUndoClick = 0;
inline constexpr int32_t kUndoLaneStroke = -2;
inline constexpr int32_t kUndoMeasureArrays = -3;
inline constexpr int32_t kUndoNoteEdit = -4;

// One record of the undo ring. kind: -1 = no record (start or end of the chain),
// 0 = note click, -2 = lane stroke, -3 = a change of the measure arrays (time signature, key
// signature, tempo offset), -4 = an edit of many notes, n >= 1 = snapshot number n. For a
// snapshot only kind, viewCol, firstMeasure and part are used; a lane stroke also carries
// `stroke`, a measure-array change `arrays`, an edit of many notes `notes`.
struct UndoRecord {
    int32_t kind = 0;
    int32_t column = 0; // column of the click, or of the removed note's head
    int32_t row = 0;
    int32_t tupletBit = 0;
    int32_t tupletFix = 0;
    int32_t tupletMode = 0;
    int32_t tupletShift = 0;
    int32_t noteLen = 0;
    int32_t viewCol = 0; // first shown column
    int32_t accidental = 0;
    int32_t firstMeasure = 0; // measure shown first
    int32_t part = 0;
    // A removal records the removed note itself, so that undo re-places exactly that note.
    int32_t removedVelocity = -1; // velocity of its head column when it was the only head; -1 none
    std::shared_ptr<const NoteLaneValues> removedLanes; // the lanes of its columns
    // Undone and redone together with the record before it (the notes of one chord).
    bool joinsPrevious = false;
    std::shared_ptr<const LaneStrokeValues> stroke;    // lane strokes only
    std::shared_ptr<const MeasureArraysChange> arrays; // measure-array changes only
    std::shared_ptr<const NoteEditValues> notes;       // edits of many notes only
    bool operator==(const UndoRecord&) const = default;
};

// Positions 1..255 form a ring; entry 0 is never used.
class UndoRing {
public:
    static constexpr int kSize = 256;
    static constexpr int next(int p) { return (p % 255) + 1; }
    static constexpr int prev(int p) { return p == 1 ? 255 : p - 1; }

    UndoRecord& at(int p);
    const UndoRecord& at(int p) const;
    // A new song clears every record, then the reset marks position 1 as the chain's end.
    void clear();
    void resetChain();

    // Appends a record after UndoPos and cuts off the redo part of the chain.
    void push(const UndoRecord& r);

    uint8_t UndoPos = 1;
    uint8_t InUndo = 0;     // 0 normally, 1 while an undo runs, 2 while a redo runs
    int32_t SnapshotNo = 0; // never reset while the program runs

private:
    std::array<UndoRecord, kSize> UndoTable{};
};

} // namespace zelk
