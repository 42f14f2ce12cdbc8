#pragma once

#include "editor/EditContext.h"
#include "model/UndoRing.h"

#include <string_view>

namespace zelk {

// Placement refused because the note would end beyond column 9600; the window shows the
// measure count followed by this text.
inline constexpr std::string_view kNoteBeyondEnd = "小節超えて音符を置けません";

// Applies one click to the current part at the pointed row and column (ClickRow,
// ClickCol + TupletFix): a left click, a Shift click or a replay toggles the note there
// (removes the note covering the cell, or places one of the palette's length and
// accidental); a right click without Shift sounds the row instead. Outside a replay a
// done toggle is recorded in the undo ring. Dirty is set by every toggle attempt, also a
// refused one.
EditOutcome CommitClick(EditContext& ctx);

// Replays a recorded note click (undo or redo, InUndo set by the caller): loads the
// record's input state and performs the toggle without recording. The caller has put the
// view on the recorded part and measure.
EditOutcome replayClick(EditContext& ctx, const UndoRecord& record);

// The column of the end mark of a note of `len` columns (tuplet: slots) placed at column q:
// where the next note after it may start.
int32_t noteEndColumn(int32_t q, int32_t len, bool tuplet);

// Pitch the palette's accidental gives a row under the key of the first shown measure.
int previewPitch(const Song& song, const ViewState& view, const Palette& palette, int row);
// Right-button audition of a row: note-on of its pitch (84 - row on channel 10 for a
// rhythm part) at PreviewVelocity; the release stops it.
void auditionRow(EditContext& ctx, int row);
// Note-off for LastPreviewNote on the current part's channel (channel 10 for a rhythm
// part), as every release sends.
void stopPreview(EditContext& ctx);

} // namespace zelk
