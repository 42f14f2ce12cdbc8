#pragma once

#include "editor/EditContext.h"

#include <cstdint>
#include <optional>
#include <span>

namespace zelk {

// The row and accidental that sound `key` in measure index m (m - 1 of the measure number),
// as a musician would write it there: the key signature's own notes without an accidental,
// else a sharp in sharp keys and C major, a flat in flat keys. A rhythm part's row is its
// drum's. Nothing outside the grid.
struct SpelledKey {
    int row = 0;
    int32_t accidental = 0; // 0, cell::Sharp or cell::Flat
    bool operator==(const SpelledKey&) const = default;
};
std::optional<SpelledKey> spellKey(const Song& song, int part, int key, int measureIndex);

// What a MIDI keyboard played: keys, the sustain pedal and the pitch wheel sound at once on
// the current part's channel and destination (thru); anything else is dropped. With step
// entry on, each key joins the chord being gathered.
EditOutcome takeMidiInput(EditContext& ctx, std::span<const uint32_t> messages, double nowMs);
// Places the chord once kChordWindowMs have passed since its first key: notes of the
// palette's length and tuplet mode at the entry column, one undo step, the velocity lane at
// the column taking the loudest key; then the column moves on by the length. A note past the
// song's end is refused as a click is, and the column stays.
EditOutcome stepEntryTick(EditContext& ctx, double nowMs);

// The palette's "ステップ入力": on, the entry column starts at the first shown column.
void setStepEntry(EditContext& ctx, bool on);
// A click in the mode puts the entry column there (a tuplet slot's first column in tuplet
// mode).
void setEntryColumn(EditContext& ctx, int32_t column);
// A plain left click on the score in the mode: the entry column goes to the pointed column
// instead of a note being placed. Nothing when the click is not step entry's.
std::optional<EditOutcome> clickEntryColumn(EditContext& ctx, int button, int shift, double x,
                                            double y);
// ←/→ in the mode: by the palette's length; the view follows the column.
EditOutcome moveEntryColumn(EditContext& ctx, int direction);
// The rest key: the column moves on without a note.
EditOutcome stepRest(EditContext& ctx);
// BackSpace: the last step taken back (its notes undone) and the column back where it was.
EditOutcome stepBack(EditContext& ctx);
// The undo command: in step entry, right after a step placed notes, that step taken back
// with its column; otherwise the ordinary undo.
EditOutcome undoInStepEntry(EditContext& ctx);

} // namespace zelk
