#pragma once

#include "import/GridNote.h"
#include "import/OwnSpelling.h"
#include "midi/MidiFileEvents.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zelk {

class MeasurePlan;

// Reads the rows and grids of our own export's notes back from the order of its events.
// Times and keys fix where each note lies, but a key can stand in up to three rows and a
// note whose head and end fall on a fourth column reads alike on both grids; the writer
// shows those choices only in the order of the events of one tick. It walks a column's
// cells row by row, twice: first ordinary note-offs, lane changes (and the loop marker) at
// the first cell, ordinary note-ons; then the cells holding a tuplet mark, an ordinary
// head held back with the tuplet end of its cell. So the notes of all parts are decided in
// the order of their heads, each trying its spellings (rows within two semitones of its
// key, the plainest first) and grids; every column of a part whose notes are all decided
// is walked as the writer walks it and compared with the file; and each measure's key
// signature must be able to give the rows of all its notes (OwnKeys). A choice that
// fails is taken back together with the earlier choices it failed for (conflict-directed
// backjumping), so that a wrong row far back is reached without trying everything between.
class OwnDecoder {
public:
    // `kept`: what the rows of parts decoded before ask of each measure's key.
    OwnDecoder(const MidiFileEvents& file, const MeasurePlan& plan,
               const std::vector<LetterShifts>& kept);

    // Part p's notes lie in the track whose channel events are file.events[i] for i in
    // `track` (in order): its first six are the set-up, closingProgram says it ends on the
    // export's closing program change.
    void addPart(int p, std::vector<GridNote>& notes, std::span<const uint32_t> track,
                 bool closingProgram, bool rhythm);

    // Sets row, alteration and grid of every note. False when no choice writes the tracks
    // again (or the search gave up); every note then takes its first free spelling, one that
    // keeps its times where there is one, or row -1 when it has none.
    bool decode();
    // What the notes' rows ask of each measure's key (by measure index).
    const std::vector<LetterShifts>& needs() const { return needs_; }

private:
    struct Expected {
        uint32_t tick;
        uint8_t type; // note-on, note-off, lane change, loop marker
        uint8_t key;
    };
    struct Choice {
        int row;
        int alteration;
        bool tuplet;
    };
    // The notes with a mark or body in each column, by column, in note order.
    class Present {
    public:
        void build(const std::vector<GridNote>& notes, int32_t lastCol);
        std::span<const uint32_t> at(int32_t x) const {
            const auto i = static_cast<size_t>(x);
            return {notes_.data() + start_[i], start_[i + 1] - start_[i]};
        }
        int32_t lastColumn() const { return static_cast<int32_t>(start_.size()) - 2; }

    private:
        std::vector<uint32_t> start_; // column x's notes are notes_[start_[x] .. start_[x + 1])
        std::vector<uint32_t> notes_;
    };
    struct Part {
        int number = 0;
        bool rhythm = false;
        std::vector<GridNote>* notes = nullptr;
        std::vector<Expected> expected;
        Present present;
        std::array<int, 57> lastInRow{}; // the latest note given each row, -1
        size_t cursor = 0;
    };
    struct Level {
        size_t part;
        size_t note;
        std::vector<Choice> choices;
    };
    struct Undo {
        size_t cursor;
        int row, lastInRow;
        size_t measure;
        LetterShifts needs;
    };

    std::vector<Choice> choicesOf(const Part& part, const GridNote& n) const;
    void orderByFreedom(size_t level);
    bool search();
    bool tryChoices(size_t level, size_t& c, Undo& u, std::vector<size_t>& why);
    void settleWithoutOrder();
    bool keepsTimes(size_t level, const Choice& c) const;
    std::vector<size_t> blameFor(size_t level, const Choice& c) const;
    void apply(size_t level, const Choice& c, Undo& undo);
    void undo(size_t level, const Undo& u);
    int32_t checkColumns(size_t level);
    bool columnMatches(Part& part, int32_t x);
    bool expect(Part& part, uint8_t type, uint8_t key, uint32_t tick);
    GridNote& noteOf(size_t level) {
        return (*parts_[levels_[level].part].notes)[levels_[level].note];
    }
    const GridNote& noteOf(size_t level) const {
        return (*parts_[levels_[level].part].notes)[levels_[level].note];
    }
    size_t measureOf(const GridNote& n) const;

    const MidiFileEvents& file_;
    const MeasurePlan& plan_;
    std::vector<Part> parts_;
    std::vector<Level> levels_;                      // every note of every part, in head order
    std::vector<std::vector<size_t>> levelOf_;       // by part and note
    std::vector<std::vector<size_t>> measureLevels_; // by measure, ascending
    std::vector<LetterShifts> needs_;
    std::vector<LetterShifts> kept_;
    long steps_ = 0;
};

} // namespace zelk
