#include "import/RowAssignment.h"

#include "import/MeasurePlan.h"
#include "model/Limits.h"

#include <algorithm>
#include <array>
#include <optional>

namespace zelk {
namespace {

constexpr int kRhythmTop = 84; // a rhythm part's row r sounds key 84 - r

std::vector<Spelling> candidates(const GridNote& n, const SpellingContext& c, bool rhythm) {
    if (!rhythm)
        return spellingsOf(n.key, c.keyAt(n.head), c.fifthsAt(n.head));
    const int row = kRhythmTop - n.key;
    if (row < 0 || row >= kRows)
        return {};
    return {{row, 0}};
}

// Ends a note at `at`; a tuplet end cannot stand in a column's last quarter (x % 4 == 3),
// so it ends a slot earlier there. False when nothing of it is left.
bool cutAt(GridNote& n, int32_t at) {
    n.end = n.tuplet && at % 4 == 3 ? at - 1 : at;
    return n.end > n.head;
}

class RowTable {
public:
    explicit RowTable(std::vector<GridNote>& placed) : placed_(placed) { last_.fill(-1); }

    // The placed note sounding in `row` when a note starts at `head`.
    GridNote* occupant(int row, int32_t head) {
        const int i = last_[static_cast<size_t>(row)];
        if (i < 0 || placed_[static_cast<size_t>(i)].end <= head)
            return nullptr;
        return &placed_[static_cast<size_t>(i)];
    }
    void place(GridNote n, const Spelling& s) {
        n.row = s.row;
        n.accidental = s.accidental;
        last_[static_cast<size_t>(s.row)] = static_cast<int>(placed_.size());
        placed_.push_back(n);
    }

private:
    std::vector<GridNote>& placed_;
    std::array<int, kRows> last_{};
};

enum class Fit { Placed, Merged, Next };

// Whether n can take spelling s: a free row, or one where the note sounding there gives way.
Fit tryRow(RowTable& rows, const GridNote& n, const Spelling& s, int part, int measure,
           ImportReport& report) {
    GridNote* o = rows.occupant(s.row, n.head);
    if (o == nullptr) {
        rows.place(n, s);
        return Fit::Placed;
    }
    if (o->head == n.head && o->key == n.key) { // the same note twice: one, the longer
        o->end = std::max(o->end, n.end);
        report.add(ImportChange::OverlapShortened, {part, measure});
        return Fit::Merged;
    }
    if (o->head < n.head && (o->key == n.key || o->end <= n.end)) {
        if (!cutAt(*o, n.head))
            o->end = o->head; // nothing left of it: removed below
        report.add(ImportChange::OverlapShortened, {part, measure});
        rows.place(n, s);
        return Fit::Placed;
    }
    return Fit::Next;
}

// Head order; within a chord the notes of the key first, then from the top down.
void sortForRows(std::vector<GridNote>& notes, const SpellingContext& c, bool rhythm) {
    const auto inKey = [&](const GridNote& n) {
        if (rhythm)
            return true;
        const auto s = spellingsOf(n.key, c.keyAt(n.head), c.fifthsAt(n.head));
        return !s.empty() && s.front().accidental == 0;
    };
    std::vector<std::pair<bool, size_t>> order;
    for (size_t i = 0; i < notes.size(); ++i)
        order.push_back({inKey(notes[i]), i});
    std::stable_sort(order.begin(), order.end(), [&](const auto& a, const auto& b) {
        const GridNote &x = notes[a.second], &y = notes[b.second];
        if (x.head != y.head)
            return x.head < y.head;
        if (a.first != b.first)
            return a.first;
        return x.key > y.key;
    });
    std::vector<GridNote> sorted;
    for (const auto& o : order)
        sorted.push_back(notes[o.second]);
    notes.swap(sorted);
}

} // namespace

MeasureKey SpellingContext::keyAt(int32_t col) const {
    return keys[static_cast<size_t>(plan.measureOfColumn(col) - 1)];
}

const FifthsCentre& SpellingContext::fifthsAt(int32_t col) const {
    return fifths[static_cast<size_t>(plan.measureOfColumn(col) - 1)];
}

std::vector<GridNote> splitAtKeyChanges(std::vector<GridNote> notes, const SpellingContext& c,
                                        int part, ImportReport& report) {
    std::vector<GridNote> out;
    out.reserve(notes.size());
    for (GridNote n : notes) {
        for (int m = c.plan.measureOfColumn(n.head) + 1;
             m <= static_cast<int>(c.plan.lengths().size()) && c.plan.measureStart(m) < n.end;
             ++m) {
            const int32_t bar = c.plan.measureStart(m);
            if (c.keys[static_cast<size_t>(m - 1)] == c.keys[static_cast<size_t>(m - 2)])
                continue;
            GridNote first = n;
            first.end = bar;
            out.push_back(first);
            n.head = bar;
            report.add(ImportChange::NoteSplitAtKey, {part, m});
        }
        out.push_back(n);
    }
    return out;
}

std::vector<GridNote> assignRows(std::vector<GridNote> notes, const SpellingContext& c, bool rhythm,
                                 int part, ImportReport& report) {
    sortForRows(notes, c, rhythm);
    std::vector<GridNote> placed;
    placed.reserve(notes.size());
    RowTable rows(placed);
    for (const GridNote& n : notes) {
        const int measure = c.plan.measureOfColumn(n.head);
        const std::vector<Spelling> ways = candidates(n, c, rhythm);
        if (ways.empty()) {
            report.add(ImportChange::OutsideRows, {part, measure});
            continue;
        }
        Fit fit = Fit::Next;
        for (size_t i = 0; i < ways.size() && fit == Fit::Next; ++i)
            fit = tryRow(rows, n, ways[i], part, measure, report);
        if (fit == Fit::Next)
            report.add(ImportChange::NoFreeRow, {part, measure});
    }
    std::erase_if(placed, [](const GridNote& n) { return n.end <= n.head; });
    return placed;
}

} // namespace zelk
