#include "import/OwnDecoder.h"

#include "import/MeasurePlan.h"
#include "model/Limits.h"

#include <algorithm>
#include <bit>

namespace zelk {
namespace {

// Choices tried before the search gives up: a second or so at most.
constexpr long kMaxSteps = 400'000;
constexpr uint32_t kOrigin = 480;
constexpr uint8_t kOn = 0, kOff = 1, kLane = 2, kLoopMarker = 3;

// Whether a note may lie on either grid at its times: the end on a fourth column (slot and
// column sound alike there), the head on a fourth column too, or between columns on a
// slot right after a note-off of its tick (a tuplet head, or an ordinary head held back
// with the tuplet end of its cell).
bool eitherGrid(const GridNote& n, const MidiFileEvents& file) {
    const MidiEvent& on = file.events[n.onEvent];
    if (n.end % 4 != 0 || int64_t{on.tick} - kOrigin != markTicks(n.head, true))
        return false;
    if (n.head % 4 == 0)
        return true;
    const MidiEvent* before = n.onEvent > 0 ? &file.events[n.onEvent - 1] : nullptr;
    return before != nullptr && before->isNoteOff() && before->tick == on.tick &&
           before->track == on.track;
}

} // namespace

void OwnDecoder::Present::build(const std::vector<GridNote>& notes, int32_t lastCol) {
    start_.assign(static_cast<size_t>(lastCol) + 2, 0);
    for (const GridNote& n : notes)
        for (int32_t x = n.head; x <= n.end; ++x)
            ++start_[static_cast<size_t>(x) + 1];
    for (size_t x = 1; x < start_.size(); ++x)
        start_[x] += start_[x - 1];
    notes_.resize(start_.back());
    std::vector<uint32_t> fill(start_.begin(), start_.end() - 1);
    for (uint32_t i = 0; i < notes.size(); ++i)
        for (int32_t x = notes[i].head; x <= notes[i].end; ++x)
            notes_[fill[static_cast<size_t>(x)]++] = i;
}

OwnDecoder::OwnDecoder(const MidiFileEvents& file, const MeasurePlan& plan,
                       const std::vector<LetterShifts>& kept)
    : file_(file), plan_(plan), needs_(kept), kept_(kept) {}

size_t OwnDecoder::measureOf(const GridNote& n) const {
    return static_cast<size_t>(plan_.measureOfColumn(n.head) - 1);
}

void OwnDecoder::addPart(int p, std::vector<GridNote>& notes, std::span<const uint32_t> track,
                         bool closingProgram, bool rhythm) {
    Part part;
    part.number = p;
    part.rhythm = rhythm;
    part.notes = &notes;
    part.lastInRow.fill(-1);
    part.expected.reserve(track.size());
    std::vector<uint32_t> heads; // a silent head reads as a note-off: it is known by its place
    for (const GridNote& n : notes)
        heads.push_back(n.onEvent);
    std::sort(heads.begin(), heads.end());
    auto nextHead = heads.begin();
    for (const uint32_t i : track.subspan(std::min<size_t>(6, track.size()))) { // after the set-up
        const MidiEvent& e = file_.events[i];
        while (nextHead != heads.end() && *nextHead < i)
            ++nextHead;
        const bool head = nextHead != heads.end() && *nextHead == i;
        const bool marker = e.kind() == 0xB0 && e.d1 == 111;
        const bool note = e.kind() == 0x80 || e.kind() == 0x90;
        part.expected.push_back(
            {e.tick, head ? kOn : (note ? kOff : (marker ? kLoopMarker : kLane)), e.d1});
    }
    if (closingProgram && !part.expected.empty())
        part.expected.pop_back();
    std::sort(notes.begin(), notes.end(), [](const GridNote& a, const GridNote& b) {
        return a.head != b.head ? a.head < b.head : a.onEvent < b.onEvent;
    });
    int32_t lastCol = 0;
    for (GridNote& n : notes) {
        n.eitherGrid = eitherGrid(n, file_);
        lastCol = std::max(lastCol, n.end);
    }
    part.present.build(notes, lastCol);
    parts_.push_back(std::move(part));
}

std::vector<OwnDecoder::Choice> OwnDecoder::choicesOf(const Part& part, const GridNote& n) const {
    std::vector<OwnSpelling> ways;
    if (!part.rhythm)
        ways = ownSpellingsOf(n.key);
    else if (84 - n.key >= 0 && 84 - n.key < kRows)
        ways = {{84 - n.key, 0}};
    std::vector<Choice> out;
    for (const bool tuplet : {n.tuplet, !n.tuplet}) {
        if (tuplet != n.tuplet && !n.eitherGrid)
            continue;
        for (const OwnSpelling& s : ways)
            out.push_back({s.row, s.alteration, tuplet});
    }
    return out;
}

void OwnDecoder::apply(size_t level, const Choice& c, Undo& u) {
    Part& part = parts_[levels_[level].part];
    GridNote& n = noteOf(level);
    u.cursor = part.cursor;
    u.row = c.row;
    u.lastInRow = part.lastInRow[static_cast<size_t>(c.row)];
    u.measure = measureOf(n);
    u.needs = needs_[u.measure];
    n.row = c.row;
    n.alteration = c.alteration;
    n.tuplet = c.tuplet;
    part.lastInRow[static_cast<size_t>(c.row)] = static_cast<int>(levels_[level].note);
    if (!part.rhythm)
        addNeed(needs_[u.measure], c.row, c.alteration);
}

void OwnDecoder::undo(size_t level, const Undo& u) {
    Part& part = parts_[levels_[level].part];
    part.cursor = u.cursor;
    part.lastInRow[static_cast<size_t>(u.row)] = u.lastInRow;
    needs_[u.measure] = u.needs;
}

bool OwnDecoder::expect(Part& part, uint8_t type, uint8_t key, uint32_t tick) {
    if (part.cursor >= part.expected.size())
        return false;
    const Expected& e = part.expected[part.cursor];
    if (e.type != type || e.key != key || e.tick != tick)
        return false;
    ++part.cursor;
    return true;
}

namespace {

// The cells of one column: the note ending and the note starting in each row. Only the rows
// in `used` (bit r: row r) are set; the walk runs per column, so nothing else is cleared.
struct ColumnCells {
    static_assert(kRows <= 64);
    std::array<const GridNote*, kRows> end, head;
    uint64_t used = 0;

    void add(const GridNote& n, int32_t x) {
        const auto r = static_cast<size_t>(n.row);
        if ((used >> r & 1) == 0) {
            used |= uint64_t{1} << r;
            end[r] = head[r] = nullptr;
        }
        if (n.end == x)
            end[r] = &n;
        if (n.head == x)
            head[r] = &n;
    }
    bool tupletEnd(size_t r) const { return end[r] != nullptr && end[r]->tuplet; }
    // Held back to the second pass: a tuplet mark in the cell.
    bool held(size_t r) const { return (head[r] != nullptr && head[r]->tuplet) || tupletEnd(r); }
};

} // namespace

// Walks column x of a part as the writer does and compares it with the file.
bool OwnDecoder::columnMatches(Part& part, int32_t x) {
    ++steps_;
    ColumnCells c;
    for (const uint32_t i : part.present.at(x))
        c.add((*part.notes)[i], x);
    const uint32_t t0 = kOrigin + 60 * static_cast<uint32_t>(x);
    bool first = true;
    for (uint64_t rows = c.used; rows != 0; rows &= rows - 1) {
        const auto r = static_cast<size_t>(std::countr_zero(rows));
        if (c.end[r] != nullptr && !c.tupletEnd(r) && !expect(part, kOff, c.end[r]->key, t0))
            return false;
        for (; first && part.cursor < part.expected.size(); ++part.cursor) {
            // The loop marker (on its bar line) and lane changes come at the first cell.
            const Expected& e = part.expected[part.cursor];
            if (!(e.type == kLane && e.tick == t0) && !(e.type == kLoopMarker && e.tick <= t0))
                break;
        }
        first = false;
        if (c.head[r] != nullptr && !c.held(r) && !expect(part, kOn, c.head[r]->key, t0))
            return false;
    }
    // The second pass; the writer drops a held cell in a column's last quarter.
    const uint32_t t = t0 + 20 * static_cast<uint32_t>(x % 4);
    for (uint64_t rows = x % 4 != 3 ? c.used : 0; rows != 0; rows &= rows - 1) {
        const auto r = static_cast<size_t>(std::countr_zero(rows));
        if (!c.held(r))
            continue;
        if (c.tupletEnd(r) && !expect(part, kOff, c.end[r]->key, t))
            return false;
        if (c.head[r] != nullptr && !expect(part, kOn, c.head[r]->key, t))
            return false;
    }
    return part.cursor == part.expected.size() || part.expected[part.cursor].tick >= t0 + 60;
}

// After a note is placed: when it is the last of its part to start in its column, the
// part's columns up to its next head are complete and are walked. The first that differs,
// or -1.
int32_t OwnDecoder::checkColumns(size_t level) {
    Part& part = parts_[levels_[level].part];
    const auto& notes = *part.notes;
    const size_t i = levels_[level].note;
    const bool lastNote = i + 1 == notes.size();
    if (!lastNote && notes[i + 1].head == notes[i].head)
        return -1;
    const int32_t to = lastNote ? part.present.lastColumn() : notes[i + 1].head - 1;
    for (int32_t x = notes[i].head; x <= to; ++x)
        if (!part.present.at(x).empty() && !columnMatches(part, x))
            return x;
    if (lastNote && part.cursor != part.expected.size())
        return to;
    return -1;
}

// The earlier choices that keep a choice out: the note sounding in its row, or the notes
// of its measure whose rows bind the key against it. Empty when it fits.
std::vector<size_t> OwnDecoder::blameFor(size_t level, const Choice& c) const {
    const Part& part = parts_[levels_[level].part];
    const GridNote& n = noteOf(level);
    const int last = part.lastInRow[static_cast<size_t>(c.row)];
    if (last >= 0 && (*part.notes)[static_cast<size_t>(last)].end > n.head)
        return {levelOf_[levels_[level].part][static_cast<size_t>(last)]};
    const size_t m = measureOf(n);
    if (part.rhythm || keyAllows(needs_[m], c.row, c.alteration))
        return {};
    std::vector<size_t> binding;
    // Rows without alteration let the key be anything there: they bind nothing.
    for (const size_t i : measureLevels_[m]) {
        if (i >= level)
            break;
        if (!parts_[levels_[i].part].rhythm && noteOf(i).alteration != 0)
            binding.push_back(i);
    }
    if (binding.empty())
        binding.push_back(level); // only parts done before bind it: no choice here helps
    return binding;
}

// A note's spellings with the most key signatures left to the other notes of its measure
// first, the plainest first among equals, each on its grids.
void OwnDecoder::orderByFreedom(size_t level) {
    if (parts_[levels_[level].part].rhythm)
        return;
    const LetterShifts& needs = needs_[measureOf(noteOf(level))];
    auto& choices = levels_[level].choices;
    if (choices.empty() || keysLeft(needs, choices.front().row, choices.front().alteration) ==
                               std::popcount(suitingKeys(needs)))
        return; // the first leaves every key there is: nothing does better
    std::stable_sort(choices.begin(), choices.end(), [&needs](const Choice& a, const Choice& b) {
        return keysLeft(needs, a.row, a.alteration) > keysLeft(needs, b.row, b.alteration);
    });
}

// Tries the choices of a level from `c` on; true with the first that fits and walks right
// (applied), false with the earlier choices the others failed for added to `why`.
bool OwnDecoder::tryChoices(size_t level, size_t& c, Undo& u, std::vector<size_t>& why) {
    const std::vector<Choice>& choices = levels_[level].choices;
    for (; c < choices.size(); ++c) {
        if (const auto blame = blameFor(level, choices[c]); !blame.empty()) {
            why.insert(why.end(), blame.begin(), blame.end());
            continue;
        }
        apply(level, choices[c], u);
        const int32_t failed = checkColumns(level);
        if (failed < 0)
            return true;
        const size_t p = levels_[level].part;
        for (const uint32_t i : parts_[p].present.at(failed))
            why.push_back(levelOf_[p][i]);
        undo(level, u);
    }
    return false;
}

// Depth first over the notes in head order, jumping back past choices that had no part in
// a failure: a choice fails for the note holding its row, the notes before it in its
// measure, or the notes of a column that came out differently.
bool OwnDecoder::search() {
    const size_t count = levels_.size();
    std::vector<size_t> next(count, 0);
    std::vector<Undo> undos(count);
    std::vector<std::vector<size_t>> conflicts(count);
    size_t level = 0;
    if (count > 0)
        orderByFreedom(0);
    while (level < count) {
        if (++steps_ > kMaxSteps)
            return false;
        std::vector<size_t>& why = conflicts[level];
        if (tryChoices(level, next[level], undos[level], why)) {
            if (++level < count) {
                next[level] = 0;
                conflicts[level].clear();
                orderByFreedom(level);
            }
            continue;
        }
        std::erase_if(why, [level](size_t i) { return i >= level; });
        if (why.empty())
            return false;
        const size_t back = *std::max_element(why.begin(), why.end());
        for (const size_t i : why)
            if (i != back)
                conflicts[back].push_back(i);
        while (level > back) {
            --level;
            undo(level, undos[level]);
        }
        ++next[level];
    }
    return true;
}

// Without the file's order to go by: each note takes its first choice that fits, or none.
void OwnDecoder::settleWithoutOrder() {
    for (Part& part : parts_)
        part.lastInRow.fill(-1);
    needs_ = kept_;
    for (size_t level = 0; level < levels_.size(); ++level) {
        noteOf(level).row = -1;
        Undo ignored;
        for (const int pass : {0, 1}) // choices that keep the note's times first
            for (const Choice& c : levels_[level].choices)
                if (noteOf(level).row < 0 && (pass == 1 || keepsTimes(level, c)) &&
                    blameFor(level, c).empty())
                    apply(level, c, ignored);
    }
}

// Whether a choice writes the note's note-on and note-off at the file's ticks: on its grid,
// or an ordinary head held back in the cell of the tuplet note that ends in its row there.
bool OwnDecoder::keepsTimes(size_t level, const Choice& c) const {
    const GridNote& n = noteOf(level);
    const auto at = [](int32_t x, bool tuplet) { return kOrigin + markTicks(x, tuplet); };
    if (file_.events[n.offEvent].tick != at(n.end, c.tuplet))
        return false;
    const uint32_t on = file_.events[n.onEvent].tick;
    if (on == at(n.head, c.tuplet))
        return true;
    const Part& part = parts_[levels_[level].part];
    const int last = part.lastInRow[static_cast<size_t>(c.row)];
    return !c.tuplet && on == at(n.head, true) && last >= 0 &&
           (*part.notes)[static_cast<size_t>(last)].tuplet &&
           (*part.notes)[static_cast<size_t>(last)].end == n.head;
}

bool OwnDecoder::decode() {
    levels_.clear();
    levelOf_.assign(parts_.size(), {});
    for (size_t p = 0; p < parts_.size(); ++p)
        for (size_t i = 0; i < parts_[p].notes->size(); ++i)
            levels_.push_back({p, i, choicesOf(parts_[p], (*parts_[p].notes)[i])});
    std::stable_sort(levels_.begin(), levels_.end(), [this](const Level& a, const Level& b) {
        return (*parts_[a.part].notes)[a.note].head < (*parts_[b.part].notes)[b.note].head;
    });
    measureLevels_.assign(needs_.size(), {});
    for (size_t l = 0; l < levels_.size(); ++l)
        measureLevels_[measureOf(noteOf(l))].push_back(l);
    for (size_t p = 0; p < parts_.size(); ++p)
        levelOf_[p].resize(parts_[p].notes->size());
    for (size_t l = 0; l < levels_.size(); ++l)
        levelOf_[levels_[l].part][levels_[l].note] = l;
    const bool reachable = std::none_of(levels_.begin(), levels_.end(),
                                        [](const Level& l) { return l.choices.empty(); });
    if (reachable && search())
        return true;
    settleWithoutOrder();
    return false;
}

} // namespace zelk
