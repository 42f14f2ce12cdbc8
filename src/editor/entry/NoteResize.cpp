#include "editor/entry/NoteResize.h"

#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteCells.h"
#include "editor/view/PointerMapping.h"
#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>

namespace zelk {

namespace {

// The last column a lengthened note may sound in: its end mark stays within the song's
// 9600 columns, as a placement's does.
constexpr int32_t kLastSoundingCol = kMaxSongCols - 1;

// The held note, as its end mark describes it. The note keeps its kind: the grab put the
// palette's tuplet mode to it, but the tuplet key may switch the mode while the note is
// held, and a note of mixed cells would end at another time than its body says.
struct Grab {
    int row = 0;
    int32_t last = 0;       // P: the note's last sounding column
    int32_t accidental = 0; // taken from the note's end mark
    bool tuplet = false;
    int32_t tupletBit() const { return tuplet ? cell::TupletBody : 0; }
};

int32_t endBits(const Grab& g) {
    return cell::End | g.accidental * 4 | g.tupletBit() * 4;
}

int32_t bodyBits(const Grab& g) {
    return g.tupletBit() + cell::Body + g.accidental;
}

// A column with remainder 3 cannot carry a tuplet end: the note sounds through it and
// ends in the next column. The column sounds again, so its lanes are a sounding column's.
void soundThrough(EditContext& ctx, const Grab& g, int32_t col) {
    CurrentPart& part = ctx.song.part;
    if (!columnHoldsNote(part.Grid, col))
        setSoundingLanes(part, col);
    part.Grid(g.row, col) = bodyBits(g);
}

bool tupletRemainder3(const Grab& g, int32_t col) {
    return g.tuplet && col % 4 == 3;
}

void shorten(EditContext& ctx, const Grab& g, int32_t newLast) {
    CurrentPart& part = ctx.song.part;
    NoteGrid& grid = part.Grid;
    int32_t j = g.last;
    for (; j >= newLast + 1 && !cell::startsNote(grid(g.row, j)); --j) {
        grid(g.row, j) = 0;
        resetLanesIfSilent(part, j);
    }
    grid(g.row, g.last + 1) &= cell::HeadLayer;
    int32_t end = j + 1;
    if (tupletRemainder3(g, end)) {
        soundThrough(ctx, g, end);
        ++end;
    }
    grid(g.row, end) |= endBits(g);
    if (const int32_t hi = highestEndColumn(grid, part.PartLen); hi > 0)
        part.PartLen = hi;
}

bool stopsLengthening(const EditContext& ctx, const Grab& g, int32_t j) {
    const NoteGrid& grid = ctx.song.part.Grid;
    if (j != g.last && cell::startsNote(grid(g.row, j)))
        return true;
    return g.tuplet && j % 4 != 3 && cell::isPlainHead(cellOrEmpty(grid, g.row, j + 1));
}

void lengthen(EditContext& ctx, const Grab& g, int32_t newLast) {
    CurrentPart& part = ctx.song.part;
    NoteGrid& grid = part.Grid;
    newLast = std::min(newLast, kLastSoundingCol);
    int32_t j = cell::startsNote(grid(g.row, g.last)) ? g.last + 1 : g.last;
    for (; j <= newLast && !stopsLengthening(ctx, g, j); ++j) {
        if (!columnHoldsNote(grid, j))
            setSoundingLanes(part, j);
        grid(g.row, j) = bodyBits(g);
    }
    int32_t end = j;
    if (tupletRemainder3(g, end) && !cell::startsNote(grid(g.row, end))) {
        soundThrough(ctx, g, end);
        ++end;
    }
    grid(g.row, end) |= endBits(g);
    // The end mark, not the pointer, is the note's new end: a walk stopped by the next
    // note ends before the pointer.
    part.PartLen = std::max(part.PartLen, end);
}

} // namespace

EditOutcome resizeGrabbedNote(EditContext& ctx) {
    const NoteEntryState& e = ctx.editor.entry;
    Grab g;
    g.row = e.GrabRow;
    g.last = e.GrabCol;
    const int32_t newLast = pointedLastColumn(ctx.editor.view, e);
    if (newLast == g.last)
        return CommitClick(ctx);
    const int32_t oldEnd = cellOrEmpty(ctx.song.part.Grid, g.row, g.last + 1);
    g.accidental = (oldEnd & cell::EndSharp)  ? cell::Sharp
                   : (oldEnd & cell::EndFlat) ? cell::Flat
                                              : 0;
    g.tuplet = cell::isTupletEnd(oldEnd);
    if (newLast < g.last)
        shorten(ctx, g, newLast);
    else
        lengthen(ctx, g, newLast);
    EditOutcome out;
    out.redraw = true;
    return out;
}

} // namespace zelk
