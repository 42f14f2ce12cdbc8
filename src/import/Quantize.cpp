#include "import/Quantize.h"

#include "model/Limits.h"

#include <algorithm>
#include <optional>

namespace zelk {
namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Index of the multiple of unit nearest to p, halves to the even one.
int64_t nearestIndex(int64_t p, int64_t unit) {
    int64_t q = floorDiv(p, unit);
    const int64_t twice = 2 * (p - q * unit);
    if (twice > unit || (twice == unit && (q & 1) != 0))
        ++q;
    return q;
}

int64_t distance(int64_t p, int64_t unit) {
    const int64_t r = p - floorDiv(p, unit) * unit;
    return std::min(r, unit - r);
}

struct Span {
    int64_t start, end; // positions
};

class Quantizer {
public:
    Quantizer(const MeasurePlan& plan)
        : plan_(plan), column_(plan.unitsPerColumn()), slot_(column_ * 4 / 3),
          colCost_(kGridCols, 0), slotCost_(kGridCols, 0) {}

    // Adds what each grid would move a start or end to the beat of its nearest column (an end
    // on a beat's first column to the beat before, whose notes it ends).
    void weigh(int64_t p, bool isEnd) {
        const int64_t nearest = nearestIndex(p, column_) - (isEnd ? 1 : 0);
        const auto col = static_cast<int32_t>(std::clamp<int64_t>(nearest, 0, kMaxSongCols));
        const auto b = static_cast<size_t>(plan_.beatStart(col));
        if (b >= colCost_.size())
            return;
        colCost_[b] += distance(p, column_);
        slotCost_[b] += distance(p, slot_);
    }

    // The grid of the beat a start belongs to: the beat of its nearest column, so that a start
    // played just before a beat takes that beat's grid.
    bool tupletBeat(int64_t start) const {
        const auto col = static_cast<int32_t>(
            std::clamp<int64_t>(nearestIndex(start, column_), 0, kMaxSongCols));
        const auto b = static_cast<size_t>(plan_.beatStart(col));
        return b < colCost_.size() && slotCost_[b] < colCost_[b];
    }

    // Head and end columns of a note on the chosen grid, at least one step long.
    GridNote place(Span s, bool tuplet) const {
        GridNote n;
        n.tuplet = tuplet;
        if (tuplet) {
            const int64_t h = nearestIndex(s.start, slot_);
            const int64_t e = std::max(h + 1, nearestIndex(s.end, slot_));
            n.head = slotColumn(std::max<int64_t>(h, 0));
            n.end = slotColumn(std::max<int64_t>(e, 1));
        } else {
            const int64_t h = nearestIndex(s.start, column_);
            const int64_t e = std::max(h + 1, nearestIndex(s.end, column_));
            n.head = static_cast<int32_t>(std::max<int64_t>(h, 0));
            n.end = static_cast<int32_t>(std::max<int64_t>(e, 1));
        }
        return n;
    }

    bool moved(Span s, const GridNote& n) const {
        return s.start != markTicks(n.head, n.tuplet) * column_ / 60 ||
               s.end != markTicks(n.end, n.tuplet) * column_ / 60;
    }

    // Our export: a start or end between columns marks a tuplet note; an ordinary head
    // that shares its cell with a tuplet end sounds with that end, between columns.
    std::optional<GridNote> placeOwn(Span s) const {
        const bool colStart = s.start % column_ == 0, colEnd = s.end % column_ == 0;
        if (colStart && colEnd)
            return place(s, false);
        if (s.start % slot_ == 0 && s.end % slot_ == 0)
            return place(s, true);
        if (s.start % slot_ == 0 && colEnd) {
            GridNote n;
            n.head = static_cast<int32_t>(s.start / column_);
            n.end = static_cast<int32_t>(s.end / column_);
            return n;
        }
        return std::nullopt;
    }

private:
    const MeasurePlan& plan_;
    int64_t column_, slot_;
    std::vector<int64_t> colCost_, slotCost_; // by the first column of each beat
};

} // namespace

std::vector<GridNote> quantizeNotes(const PartEvents& part, int p, const MeasurePlan& plan,
                                    bool ownExport, ImportReport& report) {
    Quantizer q(plan);
    std::vector<Span> spans;
    spans.reserve(part.notes.size());
    for (const FileNote& n : part.notes) {
        spans.push_back({plan.position(n.on), plan.position(n.off)});
        q.weigh(spans.back().start, false);
        q.weigh(spans.back().end, true);
    }
    std::vector<GridNote> out;
    out.reserve(part.notes.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        std::optional<GridNote> own = ownExport ? q.placeOwn(spans[i]) : std::nullopt;
        GridNote n = own ? *own : q.place(spans[i], q.tupletBeat(spans[i].start));
        n.key = part.notes[i].key;
        n.velocity = part.notes[i].velocity;
        n.onEvent = part.notes[i].onEvent;
        n.offEvent = part.notes[i].offEvent;
        const int measure = plan.measureOfColumn(n.head);
        if (n.head >= kMaxSongCols) {
            report.add(ImportChange::BeyondSong, {p, measure});
            continue;
        }
        if (!ownExport && q.moved(spans[i], n))
            report.add(ImportChange::NotesMoved, {p, measure});
        if (n.end > kMaxSongCols) {
            n.end = kMaxSongCols;
            report.add(ImportChange::BeyondSong, {p, measure});
        }
        out.push_back(n);
    }
    return out;
}

} // namespace zelk
