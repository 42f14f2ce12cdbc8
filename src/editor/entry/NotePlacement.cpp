#include "editor/entry/NotePlacement.h"

#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteCells.h"
#include "editor/entry/NoteEditStep.h"
#include "editor/lanes/LaneStroke.h"
#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>

namespace zelk {
namespace {

// A carried value of column i of the note; a note that became longer (a tuplet note moved
// by a slot can cover one column more) repeats its last value.
uint8_t carriedAt(const std::vector<uint8_t>& values, int32_t i, uint8_t neutral) {
    if (values.empty())
        return neutral;
    return values[static_cast<size_t>(
        std::min<int32_t>(i, static_cast<int32_t>(values.size()) - 1))];
}

void lift(CurrentPart& part, const NoteSpan& n) {
    eraseNoteCells(part.Grid, n);
    for (int32_t c = n.head; c < n.end; ++c)
        resetLanesIfSilent(part, c);
    if (n.head < kLaneCols && !columnHoldsHead(part.Grid, n.head))
        part.VelLane[n.head] = 0;
}

bool place(CurrentPart& part, const CarriedNote& n, const NoteSpan& s) {
    if (overlapsNotes(part.Grid, s))
        return false;
    if (s.head < kLaneCols && !columnHoldsHead(part.Grid, s.head))
        part.VelLane[s.head] = n.velocity == 0 ? 100 : n.velocity; // 0 would be a note-off
    for (int32_t c = s.head; c < std::min(s.end, kLaneCols); ++c) {
        if (columnHoldsNote(part.Grid, c))
            continue; // a column already sounding keeps its values
        const int32_t i = c - s.head;
        part.Sounding[c] = 1;
        part.PitLane[c] = carriedAt(n.pit, i, 64);
        part.ModLane[c] = carriedAt(n.mod, i, 0);
        part.ExpLane[c] = carriedAt(n.exp, i, 127);
    }
    writeNoteCells(part.Grid, s);
    return true;
}

// The first of the note's places that is free, placed; null when none is.
const NoteSpan* placeFirstFree(CurrentPart& part, const CarriedNote& n,
                               const std::vector<NoteSpan>* others) {
    if (place(part, n, n.span))
        return &n.span;
    if (others)
        for (const NoteSpan& s : *others)
            if (place(part, n, s))
                return &s;
    return nullptr;
}

struct Columns {
    int32_t first = kGridCols;
    int32_t last = 0;
    void add(const NoteSpan& n) {
        first = std::min(first, n.head);
        last = std::max(last, n.end);
    }
};

} // namespace

CarriedNote carry(const CurrentPart& part, const NoteSpan& note) {
    CarriedNote c;
    c.span = note;
    if (note.head < kLaneCols)
        c.velocity = part.VelLane[note.head];
    for (int32_t col = note.head; col < std::min(note.end, kLaneCols); ++col) {
        c.pit.push_back(part.PitLane[col]);
        c.mod.push_back(part.ModLane[col]);
        c.exp.push_back(part.ExpLane[col]);
    }
    return c;
}

bool overlapsNotes(const NoteGrid& grid, const NoteSpan& n) {
    for (int32_t c = n.head; c < n.end; ++c)
        if (cell::startsOrSounds(cellOrEmpty(grid, n.row, c)))
            return true;
    // A tuplet end sounds 20 or 40 ticks into its column, after a plain head there.
    if (!n.tuplet && n.head % 4 != 0 && (cellOrEmpty(grid, n.row, n.head) & cell::TupletEnd))
        return true;
    return n.tuplet && n.end % 4 != 0 && cell::isPlainHead(cellOrEmpty(grid, n.row, n.end));
}

std::string placementRefusal(const Song& song, const std::vector<CarriedNote>& placed,
                             bool columnsMoved) {
    const int32_t songEnd = std::min(kMaxSongCols, song.MeasureLen.totalCols());
    for (const CarriedNote& c : placed) {
        const NoteSpan& n = c.span;
        if (n.row < 0 || n.row >= kRows)
            return std::string(kNoteOutsideRows);
        if (n.head < 0)
            return std::string(kNoteBeforeStart);
        if (n.end > songEnd)
            return std::to_string(song.MeasureCount()) + std::string(kNoteBeyondEnd);
        if (columnsMoved &&
            song.MeasureLen.measureOfColumn(n.head) != song.MeasureLen.measureOfColumn(n.end - 1))
            return std::string(kNoteBeyondEnd);
    }
    return {};
}

EditOutcome replaceNotes(EditContext& ctx, const std::vector<NoteSpan>& lifted,
                         std::vector<CarriedNote> placed, bool columnsMoved,
                         const NoteAlternatives* alternatives) {
    EditOutcome out;
    out.message = placementRefusal(ctx.song, placed, columnsMoved);
    if (out.refused())
        return out;
    finishLaneStroke(ctx); // a stroke still open is the older step
    Columns cols;
    for (const NoteSpan& n : lifted)
        cols.add(n);
    for (const CarriedNote& n : placed)
        cols.add(n.span);
    CurrentPart& part = ctx.song.part;
    const PartRegion region(part, cols.first, cols.last);
    for (const NoteSpan& n : lifted)
        lift(part, n);
    std::vector<NoteKey> keys;
    keys.reserve(placed.size());
    for (size_t i = 0; i < placed.size(); ++i) {
        const auto* others = alternatives ? &(*alternatives)[i] : nullptr;
        const NoteSpan* at = placeFirstFree(part, placed[i], others);
        if (!at) {
            region.restore(part);
            out.message = kNotesOverlap;
            return out;
        }
        keys.push_back(keyOf(*at));
    }
    finishNoteEdit(ctx, region);
    ctx.editor.selection.set(ctx.song.CurPart, std::move(keys));
    out.redraw = true;
    return out;
}

} // namespace zelk
