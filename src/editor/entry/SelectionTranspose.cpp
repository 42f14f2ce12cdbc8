#include "editor/entry/SelectionTranspose.h"

#include "editor/entry/NoteEditStep.h"
#include "editor/entry/NotePlacement.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/lanes/LaneStroke.h"
#include "editor/view/Nearest.h"
#include "import/PitchSpelling.h"
#include "model/Limits.h"

#include <algorithm>
#include <set>

namespace zelk {
namespace {

// The key signature of the measure holding a column, as the spelling reads it.
MeasureKey measureKey(const Song& song, int32_t col) {
    const auto i = static_cast<size_t>(song.MeasureLen.measureOfColumn(col) - 1);
    if (i >= song.KeyMask.size() || i >= song.KeyShift.size())
        return {};
    // Bit 7 only marks a flat key; a flat key without accidentals alters no row.
    return {static_cast<uint8_t>(song.KeyMask[i] & 0x7F), song.KeyShift[i]};
}

int soundingKey(const Song& song, const NoteSpan& n) {
    return headKey(song, song.CurPart, n.row, n.head, song.part.Grid(n.row, n.head));
}

// The passage's centre on the line of fifths once transposed: it names the black keys of
// measures whose key has no accidentals.
FifthsCentre transposedCentre(const Song& song, const std::vector<NoteSpan>& notes, int semitones) {
    std::vector<WeightedKey> keys;
    for (const NoteSpan& n : notes) {
        const int key = soundingKey(song, n) + semitones;
        if (key >= 0 && key <= 127)
            keys.push_back({key, n.end - n.head});
    }
    return fifthsCentreOf(keys);
}

EditOutcome respell(EditContext& ctx, const std::vector<NoteSpan>& notes, int semitones) {
    const Song& song = ctx.song;
    const FifthsCentre centre = transposedCentre(song, notes, semitones);
    std::vector<CarriedNote> placed;
    NoteAlternatives others;
    for (const NoteSpan& n : notes) {
        const int key = soundingKey(song, n) + semitones;
        const auto ways = key < 0 || key > 127 ? std::vector<Spelling>{}
                                               : spellingsOf(key, measureKey(song, n.head), centre);
        if (ways.empty()) {
            EditOutcome out;
            out.message = kNoteOutsideRows;
            return out;
        }
        std::vector<NoteSpan> spans;
        for (const Spelling& w : ways) {
            NoteSpan s = n;
            s.row = w.row;
            s.accidental = w.accidental;
            s.endAccidental = w.accidental * 4; // end sharp and end flat are 4 x the head's
            spans.push_back(s);
        }
        placed.push_back(carry(song.part, n));
        placed.back().span = spans.front();
        others.emplace_back(spans.begin() + 1, spans.end());
    }
    return replaceNotes(ctx, notes, std::move(placed), false, &others);
}

int changed(VelocityChange op, int old, int value) {
    switch (op) {
    case VelocityChange::Set:
        return value;
    case VelocityChange::Scale:
        return nearest(old * value / 100.0);
    default:
        return old + value;
    }
}

} // namespace

ValueRange velocityRange(VelocityChange op) {
    switch (op) {
    case VelocityChange::Set:
        return {1, 127, 100};
    case VelocityChange::Scale:
        return {1, 400, 100};
    default:
        return {-126, 126, 10};
    }
}

std::string_view velocitySuffix(VelocityChange op) {
    switch (op) {
    case VelocityChange::Set:
        return "にする";
    case VelocityChange::Scale:
        return "%にする";
    default:
        return "を加える";
    }
}

EditOutcome transposeSelection(EditContext& ctx, int semitones) {
    const std::vector<NoteSpan> notes = selectedNotes(ctx.song, ctx.editor.selection);
    if (notes.empty() || semitones == 0)
        return {};
    if (usesRhythmKeys(ctx.song, ctx.song.CurPart))
        return moveSelection(ctx, 0, -semitones); // one row is one key
    return respell(ctx, notes, semitones);
}

EditOutcome transposeSelectionByRows(EditContext& ctx, int steps) {
    return moveSelection(ctx, 0, -steps); // up is higher: a lower row
}

EditOutcome transposeWithForm(EditContext& ctx, const TransposeForm& form) {
    const int amount = std::clamp(form.amount, -kMaxTranspose, kMaxTranspose);
    return form.diatonic ? transposeSelectionByRows(ctx, amount) : transposeSelection(ctx, amount);
}

EditOutcome changeSelectionVelocity(EditContext& ctx, VelocityChange op, int value) {
    const std::vector<NoteSpan> notes = selectedNotes(ctx.song, ctx.editor.selection);
    std::set<int32_t> heads;
    for (const NoteSpan& n : notes)
        if (n.head < kLaneCols)
            heads.insert(n.head);
    if (heads.empty())
        return {};
    finishLaneStroke(ctx); // a stroke still open is the older step
    CurrentPart& part = ctx.song.part;
    const PartRegion region(part, *heads.begin(), *heads.rbegin());
    for (const int32_t col : heads)
        part.VelLane[col] =
            static_cast<uint8_t>(std::clamp(changed(op, part.VelLane[col], value), 1, 127));
    finishNoteEdit(ctx, region);
    EditOutcome out;
    out.redraw = true;
    return out;
}

} // namespace zelk
