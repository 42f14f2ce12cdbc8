#include "editor/NoteSelection.h"

#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>

namespace zelk {

NoteSpan NoteSpan::shifted(int32_t thirds, int rows) const {
    NoteSpan n = *this;
    n.head = markColumn(markTime(head, tuplet) + thirds, tuplet);
    n.end = markColumn(markTime(end, tuplet) + thirds, tuplet);
    n.row = row + rows;
    return n;
}

bool NoteSpan::fitsShift(int32_t thirds) const {
    const int32_t t = markTime(head, tuplet) + thirds;
    return t >= 0 && t % thirdsPerStep(tuplet) == 0;
}

std::optional<NoteSpan> noteStartingAt(const NoteGrid& grid, int row, int32_t head) {
    if (!NoteGrid::contains(row, head) || !cell::startsNote(grid(row, head)))
        return std::nullopt;
    const int32_t h = grid(row, head);
    NoteSpan n;
    n.head = head;
    n.row = row;
    n.tuplet = (h & cell::TupletHead) != 0;
    n.accidental = h & (cell::Sharp | cell::Flat);
    int32_t x = head + 1;
    while (x < kGridCols - 1 && !cell::endsNote(grid(row, x)))
        ++x;
    n.end = x;
    n.endAccidental = grid(row, x) & (cell::EndSharp | cell::EndFlat);
    return n;
}

std::optional<NoteSpan> noteCovering(const NoteGrid& grid, int row, int32_t col) {
    if (!NoteGrid::contains(row, col) || !cell::startsOrSounds(grid(row, col)))
        return std::nullopt;
    int32_t head = col;
    while (head > 0 && !cell::startsNote(grid(row, head)))
        --head;
    return noteStartingAt(grid, row, head);
}

void writeNoteCells(NoteGrid& grid, const NoteSpan& n) {
    grid(n.row, n.head) |= cell::Head | n.accidental | (n.tuplet ? cell::TupletHead : 0);
    const int32_t body = cell::Body | n.accidental | (n.tuplet ? cell::TupletBody : 0);
    for (int32_t c = n.head + 1; c < n.end; ++c)
        grid(n.row, c) |= body;
    grid(n.row, n.end) |= cell::End | n.endAccidental | (n.tuplet ? cell::TupletEnd : 0);
}

void eraseNoteCells(NoteGrid& grid, const NoteSpan& n) {
    grid(n.row, n.head) &= cell::EndLayer;
    // A body cell holds nothing else: a note ending there would overlap this one.
    for (int32_t c = n.head + 1; c < n.end; ++c)
        grid(n.row, c) = 0;
    grid(n.row, n.end) &= cell::HeadLayer;
}

bool NoteSelection::contains(NoteKey k) const {
    return std::binary_search(notes.begin(), notes.end(), k);
}

void NoteSelection::toggle(NoteKey k) {
    const auto at = std::lower_bound(notes.begin(), notes.end(), k);
    if (at != notes.end() && *at == k)
        notes.erase(at);
    else
        notes.insert(at, k);
}

void NoteSelection::set(int newPart, std::vector<NoteKey> keys) {
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    part = newPart;
    notes = std::move(keys);
}

void NoteSelection::clear() {
    notes.clear();
    band = {};
    drag = {};
}

int32_t shiftUnit(bool plain, bool tuplet) {
    if (plain && tuplet)
        return kThirdsPerColumn * kThirdsPerSlot;
    return tuplet ? kThirdsPerSlot : kThirdsPerColumn;
}

} // namespace zelk
