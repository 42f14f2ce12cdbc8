#pragma once

#include "editor/EditContext.h"
#include "model/UndoRing.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace zelk {

// The columns an edit of many notes may touch, as they were before it: every row of the
// grid and the note lanes (Sounding, Vel, Pit, Mod, Exp) over first..last, and PartLen. A
// refused edit is put back from here; a done one is recorded as the cells and values that
// differ.
class PartRegion {
public:
    PartRegion(const CurrentPart& part, int32_t first, int32_t last);

    int32_t last() const { return last_; }
    void restore(CurrentPart& part) const;
    // What differs now; null when nothing does.
    std::shared_ptr<const NoteEditValues> changes(const CurrentPart& part) const;

private:
    int32_t first_;
    int32_t last_;
    int32_t partLen_;
    std::vector<int32_t> cells_; // column by column, 57 rows each
    std::vector<uint8_t> lanes_; // five values per lane column, in LaneKind order
};

// Undo (`undo` true) or redo of a recorded edit on the part now current. A part left
// without notes loses its work file, as after a click.
void replayNoteEdit(EditContext& ctx, const NoteEditValues& values, bool undo);

// Ends a done edit: PartLen follows the notes (a part left without notes loses its work
// file), then the edit becomes one undo step (Mundo on, Mrido off) and the song is
// changed. An edit that changed nothing records nothing. Returns whether it recorded.
bool finishNoteEdit(EditContext& ctx, const PartRegion& region);

} // namespace zelk
