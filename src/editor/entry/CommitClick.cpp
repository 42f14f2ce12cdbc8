#include "editor/entry/CommitClick.h"

#include "editor/UndoSteps.h"
#include "editor/entry/NoteCells.h"
#include "editor/view/PointerMapping.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/RowTables.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace zelk {

namespace {

// Where a new note lies in its row: body up to bodyEnd (exclusive unless bodyEnd has
// remainder 3 in tuplet mode, where it is body too) and the end mark at endMark.
struct Span {
    int32_t bodyEnd = 0;
    int32_t endMark = 0;
};

// A tuplet note of `len` slots from the slot starting at column q ends at the column of
// slot + len; the columns with remainder 3 it passes are body.
Span placementSpan(int32_t q, int32_t len, bool tuplet) {
    if (!tuplet)
        return {q + len, q + len};
    int32_t extra = 0;
    for (int32_t i = 1; i < extra + len; ++i)
        if ((q + i + 1) % 4 == 0)
            ++extra;
    const int32_t e = q + len + extra;
    return {e, (e + 1) % 4 == 0 ? e + 1 : e};
}

bool collides(const NoteGrid& g, int r, int32_t q, Span s, uint8_t tupletMode) {
    // A plain note may not start before a tuplet note ending in the same column has
    // stopped (the tuplet end sounds 20 or 40 ticks into the column).
    if (tupletMode == 0 && q % 4 != 0 && (cellOrEmpty(g, r, q) & cell::TupletEnd))
        return true;
    for (int32_t c = q; c < s.endMark; ++c)
        if (cell::startsOrSounds(cellOrEmpty(g, r, c)))
            return true;
    // A tuplet end after the start of the column's plain note would overlap it.
    return tupletMode == 1 && s.bodyEnd % 4 != 0 && cell::isPlainHead(cellOrEmpty(g, r, s.bodyEnd));
}

UndoRecord clickRecord(const EditContext& ctx, int32_t column) {
    const ViewState& v = ctx.editor.view;
    const Palette& p = ctx.editor.palette;
    UndoRecord r;
    r.kind = 0;
    r.column = column;
    r.row = ctx.editor.entry.ClickRow;
    r.tupletBit = v.TupletBit;
    r.tupletFix = v.TupletFix;
    r.tupletMode = p.TupletMode;
    r.tupletShift = v.TupletShift;
    r.noteLen = p.NoteLen;
    r.viewCol = v.ViewCol;
    r.accidental = p.Accidental;
    r.firstMeasure = v.FirstMeasure;
    r.part = ctx.song.CurPart;
    r.removedVelocity = -1;
    return r;
}

void sendPreview(EditContext& ctx, int status, int note, int velocity) {
    ctx.out.send(shortMessage(status, note, velocity));
}

// The note a removal took away, as placing it again needs it.
struct RemovedNote {
    int32_t head = 0;
    int32_t end = 0;
    int32_t headCell = 0;
    int32_t onlyHeadVelocity = -1; // VelLane of its column when no other note started there
    std::shared_ptr<NoteLaneValues> lanes = std::make_shared<NoteLaneValues>();
};

// What a replayed removal puts back beside the note: the velocity and lane values its
// columns had.
struct Replayed {
    int32_t velocity = -1;
    const NoteLaneValues* lanes = nullptr;
};

// The lanes of the columns head..end - 1 of the note covering (r, q), before it goes.
void keepLanes(const CurrentPart& part, int r, int32_t q, NoteLaneValues& lanes) {
    const auto note = noteCovering(part.Grid, r, q);
    for (int32_t c = note ? note->head : q; note && c < std::min(note->end, kLaneCols); ++c) {
        lanes.pit.push_back(part.PitLane[c]);
        lanes.mod.push_back(part.ModLane[c]);
        lanes.exp.push_back(part.ExpLane[c]);
    }
}

RemovedNote findNote(const CurrentPart& part, int r, int32_t q) {
    const NoteGrid& g = part.Grid;
    RemovedNote n;
    n.head = q;
    while (n.head > 0 && !cell::startsNote(g(r, n.head)))
        --n.head;
    n.headCell = g(r, n.head);
    int heads = 0;
    for (int row = 0; row < kRows; ++row)
        heads += cell::startsNote(g(row, n.head)) ? 1 : 0;
    if (heads == 1 && n.head < kLaneCols)
        n.onlyHeadVelocity = part.VelLane[n.head];
    return n;
}

// Takes the note covering (r, q) out of the row. The cells it shares keep the other
// note's layer: an earlier note's end in its head cell, a following note's head in its
// end cell.
RemovedNote removeNote(CurrentPart& part, int r, int32_t q) {
    NoteGrid& g = part.Grid;
    RemovedNote n = findNote(part, r, q);
    keepLanes(part, r, q, *n.lanes);
    int32_t x = q;
    for (;;) {
        // Off go this note's body, accidental and tuplet bits; its head value stays for
        // the walk left to find, and an earlier note's end stays.
        g(r, x) &= 0x4CBF;
        resetLanesIfSilent(part, x);
        ++x;
        if (x >= kGridCols - 1 || cell::endsNote(g(r, x)))
            break;
    }
    n.end = x;
    g(r, x) &= cell::HeadLayer;
    int32_t h = q;
    for (; h > 0 && !cell::startsNote(g(r, h)); --h) {
        g(r, h) = 0;
        resetLanesIfSilent(part, h);
    }
    g(r, h) &= cell::EndLayer;
    if (!columnHoldsHead(g, h) && h < kLaneCols)
        part.VelLane[h] = 0;
    resetLanesIfSilent(part, h);
    return n;
}

// PartLen after a removal; a part left without notes has no work file.
void shrinkPartLen(EditContext& ctx) {
    CurrentPart& part = ctx.song.part;
    const int32_t hi = highestEndColumn(part.Grid, part.PartLen);
    if (hi > 0) {
        part.PartLen = hi;
        return;
    }
    forgetEmptiedPart(ctx.song, ctx.folder);
}

// The removed note itself goes into its record, so that undo places exactly that note
// again (the palette of the moment may hold another length or accidental).
void describeRemoved(UndoRecord& r, const RemovedNote& n) {
    const bool tuplet = (n.headCell & cell::TupletHead) != 0;
    r.tupletMode = tuplet ? 1 : 0;
    r.tupletBit = tuplet ? cell::TupletBody : 0;
    r.noteLen = tuplet ? tupletSlotOf(n.end) - tupletSlotOf(n.head) : n.end - n.head;
    r.accidental = n.headCell & (cell::Sharp | cell::Flat);
    r.removedVelocity = n.onlyHeadVelocity;
    r.removedLanes = n.lanes;
}

EditOutcome removeAt(EditContext& ctx, int r, int32_t q, bool replay) {
    const RemovedNote n = removeNote(ctx.song.part, r, q);
    shrinkPartLen(ctx);
    if (!replay) {
        UndoRecord rec = clickRecord(ctx, ctx.editor.entry.ClickCol - (q - n.head));
        describeRemoved(rec, n);
        recordStep(ctx, rec);
    }
    EditOutcome out;
    out.redraw = true;
    return out;
}

// Shift-click on an empty cell of a melodic part: the palette takes the sharp (left) or
// flat (other button) and the row sounds with it.
void accidentalShortcut(EditContext& ctx, int r) {
    Palette& p = ctx.editor.palette;
    NoteEntryState& e = ctx.editor.entry;
    p.Accidental = e.ClickButton == 1 ? cell::Sharp : cell::Flat;
    const int ch = ctx.song.CurPart;
    sendPreview(ctx, 0x80 + ch, e.LastPreviewNote, 0);
    e.LastPreviewNote = static_cast<uint8_t>(previewPitch(ctx.song, ctx.editor.view, p, r));
    sendPreview(ctx, 0x90 + ch, e.LastPreviewNote, p.PreviewVelocity);
}

// Lanes of a column the new note makes sound: the neutral values, or those a replayed
// removal recorded for it.
void soundColumn(CurrentPart& part, int32_t c, size_t i, const NoteLaneValues* kept) {
    setSoundingLanes(part, c);
    if (!kept || i >= kept->pit.size() || c >= kLaneCols)
        return;
    part.PitLane[c] = kept->pit[i];
    part.ModLane[c] = kept->mod[i];
    part.ExpLane[c] = kept->exp[i];
}

void writeNote(EditContext& ctx, int r, int32_t q, Span s, Replayed replayed) {
    CurrentPart& part = ctx.song.part;
    const Palette& p = ctx.editor.palette;
    // The end mark is the part's last column when it lies furthest right; for a tuplet
    // note this is the column of its end slot.
    part.PartLen = std::max(part.PartLen, s.endMark);
    if (!columnHoldsHead(part.Grid, q))
        part.VelLane[q] = static_cast<uint8_t>(replayed.velocity >= 0 ? replayed.velocity : 100);
    for (int32_t c = q; c < s.endMark; ++c)
        if (!columnHoldsNote(part.Grid, c))
            soundColumn(part, c, static_cast<size_t>(c - q), replayed.lanes);
    const int32_t acc = p.Accidental & (cell::Sharp | cell::Flat);
    const int32_t tupletBit = ctx.editor.view.TupletBit & cell::TupletBody;
    NoteGrid& g = part.Grid;
    g(r, q) |= cell::Head | acc | (p.TupletMode == 1 ? cell::TupletHead : 0);
    for (int32_t c = q + 1; c < s.endMark; ++c)
        g(r, c) |= cell::Body | acc | tupletBit;
    g(r, s.endMark) |= cell::End | acc * 4 | tupletBit * 4;
}

EditOutcome placeAt(EditContext& ctx, int r, int32_t q, bool replay, Replayed replayed) {
    const Palette& p = ctx.editor.palette;
    const NoteEntryState& e = ctx.editor.entry;
    const int32_t len = p.NoteLen;
    if (len < 1)
        return {};
    const Span s = placementSpan(q, len, p.TupletMode == 1);
    EditOutcome out;
    if (e.ClickCol + len > kMaxSongCols || (p.TupletMode == 1 && s.endMark > kMaxSongCols)) {
        out.message = std::to_string(ctx.song.MeasureCount()) + std::string(kNoteBeyondEnd);
        return out;
    }
    // A replay restores a recorded note: the Shift state of the last real press has no
    // say in it.
    if (!replay && ctx.song.DrumPart[ctx.song.CurPart] == 0 && e.ClickShift == 1) {
        accidentalShortcut(ctx, r);
        out.paletteChanged = true;
    }
    if (collides(ctx.song.part.Grid, r, q, s, p.TupletMode))
        return out;
    writeNote(ctx, r, q, s, replayed);
    if (!replay)
        recordStep(ctx, clickRecord(ctx, e.ClickCol));
    out.redraw = true;
    return out;
}

EditOutcome commit(EditContext& ctx, Replayed replayed) {
    const NoteEntryState& e = ctx.editor.entry;
    const bool replay = ctx.song.undo.InUndo != 0;
    if (!replay && e.ClickShift != 1 && e.ClickButton != 1) {
        if (e.ClickButton == 2)
            auditionRow(ctx, e.ClickRow);
        return {};
    }
    ctx.song.Dirty = 1;
    const int r = e.ClickRow;
    const int32_t q = pointedColumn(ctx.editor.view, e);
    if (cell::startsOrSounds(cellOrEmpty(ctx.song.part.Grid, r, q)))
        return removeAt(ctx, r, q, replay);
    return placeAt(ctx, r, q, replay, replayed);
}

} // namespace

int32_t noteEndColumn(int32_t q, int32_t len, bool tuplet) {
    return placementSpan(q, len, tuplet).endMark;
}

int previewPitch(const Song& song, const ViewState& view, const Palette& palette, int row) {
    const bool sharp = (palette.Accidental & cell::Sharp) != 0;
    const bool flat = (palette.Accidental & cell::Flat) != 0;
    return keyInMeasure(song, row, sharp, flat, view.FirstMeasure - 1) & 0xFF;
}

void auditionRow(EditContext& ctx, int row) {
    NoteEntryState& e = ctx.editor.entry;
    e.AuditionRow = static_cast<uint8_t>(row);
    const int vel = ctx.editor.palette.PreviewVelocity;
    if (ctx.song.DrumPart[ctx.song.CurPart] != 0) {
        e.LastPreviewNote = static_cast<uint8_t>(84 - row);
        sendPreview(ctx, 0x99, e.LastPreviewNote, vel);
        return;
    }
    e.LastPreviewNote =
        static_cast<uint8_t>(previewPitch(ctx.song, ctx.editor.view, ctx.editor.palette, row));
    sendPreview(ctx, 0x90 + ctx.song.CurPart, e.LastPreviewNote, vel);
}

void stopPreview(EditContext& ctx) {
    const int status = ctx.song.DrumPart[ctx.song.CurPart] != 0 ? 0x89 : 0x80 + ctx.song.CurPart;
    sendPreview(ctx, status, ctx.editor.entry.LastPreviewNote, 0);
}

EditOutcome CommitClick(EditContext& ctx) {
    return commit(ctx, {});
}

EditOutcome replayClick(EditContext& ctx, const UndoRecord& rec) {
    NoteEntryState& e = ctx.editor.entry;
    ViewState& v = ctx.editor.view;
    Palette& p = ctx.editor.palette;
    e.ClickCol = rec.column;
    e.ClickRow = static_cast<uint8_t>(rec.row);
    v.TupletBit = rec.tupletBit;
    v.TupletFix = rec.tupletFix;
    p.TupletMode = static_cast<uint8_t>(rec.tupletMode);
    v.TupletShift = static_cast<uint8_t>(rec.tupletShift);
    p.NoteLen = rec.noteLen;
    // ViewCol follows the first shown measure the caller has put the view on.
    p.Accidental = rec.accidental;
    return commit(ctx, {rec.removedVelocity, rec.removedLanes.get()});
}

} // namespace zelk
