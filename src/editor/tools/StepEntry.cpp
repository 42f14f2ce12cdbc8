#include "editor/tools/StepEntry.h"

#include "editor/entry/CommitClick.h"
#include "editor/entry/NoteCells.h"
#include "editor/entry/NotePlacement.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/RowTables.h"
#include "model/Song.h"
#include "ports/MidiOut.h"

#include <algorithm>

namespace zelk {
namespace {

bool flatKey(const Song& song, int m) {
    return m >= 0 && m < static_cast<int>(song.KeyMask.size()) &&
           (song.KeyMask[static_cast<size_t>(m)] & 0x80) != 0;
}

int32_t tupletSnap(int32_t column, bool tuplet) {
    return tuplet && column % 4 == 3 ? column - 1 : column; // no slot starts there
}

// The view shows the entry column: a column outside moves the view to its measure.
EditOutcome showColumn(EditContext& ctx, int32_t column) {
    EditOutcome out;
    out.redraw = true;
    out.relayout = showColumn(ctx.song, ctx.editor.view, ctx.editor.signatures, column);
    return out;
}

int32_t nextColumn(const EditContext& ctx, int32_t column) {
    const Palette& p = ctx.editor.palette;
    return noteEndColumn(column, std::max(1, p.NoteLen), p.TupletMode == 1);
}

// The column whose step of the palette's length ends at `column`.
int32_t previousColumn(const EditContext& ctx, int32_t column) {
    const int32_t len = std::max(1, ctx.editor.palette.NoteLen);
    for (int32_t c = column - 1; c >= std::max(0, column - 2 * len); --c)
        if (nextColumn(ctx, c) == column)
            return c;
    return std::max(0, column - len);
}

// Entry state as a left click at (row, column) with the accidental; restored afterwards.
class ClickAt {
public:
    ClickAt(EditContext& ctx) : ctx_(ctx), entry_(ctx.editor.entry), view_(ctx.editor.view) {
        accidental_ = ctx.editor.palette.Accidental;
    }
    ~ClickAt() {
        ctx_.editor.entry = entry_;
        ctx_.editor.view = view_;
        ctx_.editor.palette.Accidental = accidental_;
    }
    EditOutcome click(int row, int32_t column, int32_t accidental) {
        NoteEntryState& e = ctx_.editor.entry;
        ViewState& v = ctx_.editor.view;
        const bool tuplet = ctx_.editor.palette.TupletMode == 1;
        e.ClickButton = 1;
        e.ClickShift = 0;
        e.ClickRow = static_cast<uint8_t>(row);
        e.ClickCol = column;
        v.TupletFix = 0;
        v.TupletBit = tuplet ? 0x1000 : 0;
        v.TupletShift = tuplet && (column + 1) % 4 == 3 ? 1 : 0;
        ctx_.editor.palette.Accidental = accidental;
        return CommitClick(ctx_);
    }

private:
    EditContext& ctx_;
    NoteEntryState entry_;
    ViewState view_;
    int32_t accidental_ = 0;
};

EditOutcome placeChord(EditContext& ctx) {
    StepEntryState& st = ctx.editor.step;
    UndoRing& ring = ctx.song.undo;
    const int32_t column = st.column;
    const int m = ctx.song.MeasureLen.measureOfColumn(column) - 1;
    uint8_t velocity = 1;
    for (const auto& k : st.chord)
        velocity = std::max(velocity, k.velocity);
    EditOutcome out;
    bool placed = false, covered = false;
    {
        ClickAt at(ctx);
        for (const auto& k : st.chord) {
            const auto spot = spellKey(ctx.song, ctx.song.CurPart, k.note, m);
            if (!spot)
                continue; // a key off the grid
            if (cell::startsOrSounds(cellOrEmpty(ctx.song.part.Grid, spot->row, column))) {
                covered = true; // a click there would remove the note: step entry keeps it
                continue;
            }
            const uint8_t before = ring.UndoPos;
            const EditOutcome r = at.click(spot->row, column, spot->accidental);
            if (!r.message.empty()) {
                out.message = r.message;
                break;
            }
            if (ring.UndoPos != before) {
                UndoRecord& rec = ring.at(ring.UndoPos);
                rec.removedVelocity = velocity; // a redo places it as played
                rec.joinsPrevious = placed;
                placed = true;
            }
        }
    }
    st.chord.clear();
    if (placed && column < kLaneCols)
        ctx.song.part.VelLane[column] = velocity;
    if (!placed && out.message.empty() && covered)
        out.message = kNotesOverlap;
    if (!out.message.empty() && !placed)
        return out;
    st.steps.push_back({column, placed, ring.UndoPos});
    st.column = nextColumn(ctx, column);
    out |= showColumn(ctx, st.column);
    return out;
}

uint32_t thru(uint32_t message, int channel) {
    return (message & ~0x0Fu) | static_cast<uint32_t>(channel);
}

// Keys, the pedal and the wheel sound on the current part; a key's release and the pedal's
// going up follow the channel they started on.
void sendThru(EditContext& ctx, uint32_t m) {
    StepEntryState& st = ctx.editor.step;
    const int current = channelOf(ctx.song, ctx.song.CurPart);
    const uint32_t kind = m & 0xF0;
    const size_t key = (m >> 8) & 0x7F;
    const uint32_t value = (m >> 16) & 0x7F;
    if (kind == 0x90 && value > 0) {
        st.heldChannel[key] = static_cast<int8_t>(current);
        ctx.out.send(thru(m, current));
    } else if (kind == 0x80 || kind == 0x90) {
        const int ch = st.heldChannel[key] >= 0 ? st.heldChannel[key] : current;
        st.heldChannel[key] = -1;
        ctx.out.send(thru(m, ch));
    } else if (kind == 0xB0 && key == 64) {
        const int down = st.pedalChannel;
        st.pedalChannel = value >= 64 ? static_cast<int8_t>(current) : -1;
        if (value < 64 && down >= 0 && down != current)
            ctx.out.send(thru(m, down));
        ctx.out.send(thru(m, current));
    } else if (kind == 0xE0) {
        ctx.out.send(thru(m, current));
    }
}

} // namespace

std::optional<SpelledKey> spellKey(const Song& song, int part, int key, int measureIndex) {
    if (usesRhythmKeys(song, part)) {
        const int row = 84 - key;
        return row >= 0 && row < kRows ? std::optional<SpelledKey>({row, 0}) : std::nullopt;
    }
    const bool flats = flatKey(song, measureIndex);
    const bool keyed = measureIndex >= 0 && measureIndex < static_cast<int>(song.KeyMask.size());
    // 0: as the key signature has it; 1: a natural (the accidental undoes the signature's);
    // 2: the key's own kind of accidental; 3: anything else.
    const auto rank = [&](int row, int32_t acc) {
        if (acc == 0)
            return 0;
        const bool altered =
            keyed && (song.KeyMask[static_cast<size_t>(measureIndex)] & (1u << rowStep(row))) != 0;
        if (altered)
            return (acc == cell::Flat) != flats ? 1 : 3;
        return (acc == cell::Flat) == flats ? 2 : 3;
    };
    std::optional<SpelledKey> best;
    int bestRank = 4;
    for (int row = 0; row < kRows; ++row)
        for (const int32_t acc : {0, cell::Sharp, cell::Flat})
            if (keyInMeasure(song, row, acc == cell::Sharp, acc == cell::Flat, measureIndex) ==
                    key &&
                rank(row, acc) < bestRank) {
                bestRank = rank(row, acc);
                best = SpelledKey{row, acc};
            }
    return best;
}

EditOutcome takeMidiInput(EditContext& ctx, std::span<const uint32_t> messages, double nowMs) {
    StepEntryState& st = ctx.editor.step;
    EditOutcome out;
    for (const uint32_t m : messages) {
        sendThru(ctx, m);
        const uint8_t velocity = (m >> 16) & 0x7F;
        if (!st.on || (m & 0xF0) != 0x90 || velocity == 0)
            continue;
        if (!st.chord.empty() && nowMs - st.chordStartMs > kChordWindowMs)
            out |= placeChord(ctx);
        if (st.chord.empty())
            st.chordStartMs = nowMs;
        st.chord.push_back({static_cast<uint8_t>((m >> 8) & 0x7F), velocity});
    }
    return out;
}

EditOutcome stepEntryTick(EditContext& ctx, double nowMs) {
    StepEntryState& st = ctx.editor.step;
    if (st.chord.empty() || nowMs - st.chordStartMs < kChordWindowMs)
        return {};
    return placeChord(ctx);
}

void setStepEntry(EditContext& ctx, bool on) {
    StepEntryState& st = ctx.editor.step;
    st.on = on;
    st.chord.clear();
    st.steps.clear();
    if (on)
        st.column = tupletSnap(ctx.editor.view.ViewCol, ctx.editor.palette.TupletMode == 1);
}

void setEntryColumn(EditContext& ctx, int32_t column) {
    StepEntryState& st = ctx.editor.step;
    st.column =
        tupletSnap(std::clamp(column, 0, kMaxSongCols - 1), ctx.editor.palette.TupletMode == 1);
    st.steps.clear();
}

std::optional<EditOutcome> clickEntryColumn(EditContext& ctx, int button, int shift, double x,
                                            double y) {
    ViewState& v = ctx.editor.view;
    if (!ctx.editor.step.on || button != 1 || shift != 0 ||
        ctx.editor.palette.InputScreen != ScreenScore || !geometryReady(v) ||
        !insideCanvas(v, x, y))
        return std::nullopt;
    NoteEntryState& e = ctx.editor.entry;
    resolveFor(v, e, nearest(x), ctx.editor.palette.TupletMode);
    setEntryColumn(ctx, pointedColumn(v, e));
    ctx.editor.selection.clear(); // a plain click clears the selection, as outside the mode
    EditOutcome out;
    out.redraw = true;
    return out;
}

EditOutcome moveEntryColumn(EditContext& ctx, int direction) {
    StepEntryState& st = ctx.editor.step;
    const int32_t to = direction > 0 ? nextColumn(ctx, st.column) : previousColumn(ctx, st.column);
    if (to >= kMaxSongCols)
        return {};
    st.column = to;
    st.steps.clear();
    return showColumn(ctx, st.column);
}

EditOutcome stepRest(EditContext& ctx) {
    StepEntryState& st = ctx.editor.step;
    const int32_t to = nextColumn(ctx, st.column);
    if (to >= kMaxSongCols)
        return {};
    st.steps.push_back({st.column, false});
    st.column = to;
    return showColumn(ctx, st.column);
}

namespace {

// The last step placed notes and they are still the newest edit (no undo took them since).
bool lastStepIsNewest(const EditContext& ctx) {
    const StepEntryState& st = ctx.editor.step;
    return !st.steps.empty() && st.steps.back().placed &&
           st.steps.back().undoPos == ctx.song.undo.UndoPos;
}

} // namespace

EditOutcome stepBack(EditContext& ctx) {
    StepEntryState& st = ctx.editor.step;
    if (st.steps.empty())
        return {};
    const bool undo = lastStepIsNewest(ctx);
    const int32_t column = st.steps.back().column;
    st.steps.pop_back();
    EditOutcome out;
    if (undo) {
        // An undo puts the palette back to a quarter note; BackSpace keeps the chosen length.
        const Palette palette = ctx.editor.palette;
        out |= Mundo_Click(ctx);
        ctx.editor.palette = palette;
    }
    st.column = column;
    out |= showColumn(ctx, st.column);
    return out;
}

EditOutcome undoInStepEntry(EditContext& ctx) {
    if (ctx.editor.step.on && lastStepIsNewest(ctx))
        return stepBack(ctx);
    return Mundo_Click(ctx);
}

} // namespace zelk
