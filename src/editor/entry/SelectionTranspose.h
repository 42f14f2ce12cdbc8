#pragma once

#include "editor/EditContext.h"

#include <string_view>

namespace zelk {

// The window of "移調...": the selection transposed by semitones or by steps of the
// scale, and its velocity set, scaled or raised.
inline constexpr std::string_view kTransposeTitle = "移調";
inline constexpr int kMaxTranspose = 12;

enum class VelocityChange { Set = 0, Scale = 1, Add = 2 }; // 固定, 倍率, 加算

struct TransposeForm {
    bool diatonic = false; // 半音 / 音階
    int amount = 0;        // -12..12: semitones or steps, up is positive
    VelocityChange velocityOp = VelocityChange::Set;
    int velocity = 100;
};

// The values the velocity box offers for an operation and what it shows when chosen:
// a velocity 1..127, a percentage 1..400 or an amount -126..126.
struct ValueRange {
    int min, max, initial;
};
ValueRange velocityRange(VelocityChange op);
std::string_view velocitySuffix(VelocityChange op); // "にする", "%にする", "を加える"

// Transposes the selected notes by `semitones`: each note is written again in the row
// and with the accidental its new key takes in the key signature of its measure (a note
// of the key without accidental; otherwise the sharp name in sharp keys, the flat name in
// flat keys, and in keys without accidentals the name the passage's line-of-fifths centre
// prefers). A note that would meet another takes its next spelling. A rhythm part moves
// by rows, one key each. One undo step; refused when a key falls outside the rows.
EditOutcome transposeSelection(EditContext& ctx, int semitones);
// Moves the selected notes by steps of the scale: rows, accidentals kept.
EditOutcome transposeSelectionByRows(EditContext& ctx, int steps);
// Runs the form's transposition.
EditOutcome transposeWithForm(EditContext& ctx, const TransposeForm& form);

// The velocity of the head columns of the selected notes, clamped to 1..127. A column is
// changed once however many selected notes start there; the other notes starting in it
// share its velocity. One undo step.
EditOutcome changeSelectionVelocity(EditContext& ctx, VelocityChange op, int value);

} // namespace zelk
