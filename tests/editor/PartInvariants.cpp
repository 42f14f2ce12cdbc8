#include "PartInvariants.h"

#include "model/Cell.h"
#include "model/Limits.h"

#include <array>
#include <sstream>

namespace zelk::test {

namespace {

std::string at(const char* what, int row, int col, int32_t value) {
    std::ostringstream s;
    s << what << " at row " << row << " column " << col << " (cell 0x" << std::hex << value << ")";
    return s.str();
}

void note(std::string& field, std::string fault) {
    if (field.empty())
        field = std::move(fault);
}

// The walk along one row: whether a note sounds into the next cell, and of which kind.
struct RowWalk {
    bool sounding = false;
    bool tuplet = false;
};

void checkCellBits(PartFaults& f, int r, int x, int32_t c) {
    if (c < 0 || c > cell::MaxValue)
        note(f.cellBits, at("bits above 0x7FFF", r, x, c));
    if ((c & cell::Head) != 0 && (c & cell::Head) != cell::Head)
        note(f.cellBits, at("partial head value", r, x, c));
    if (x % 4 == 3 && (cell::isTupletHead(c) || cell::isTupletEnd(c)))
        note(f.tupletMarks, at("tuplet mark off the tuplet slots", r, x, c));
}

void walkCell(PartFaults& f, RowWalk& w, int r, int x, int32_t c) {
    if (c & cell::End) {
        if (!w.sounding)
            note(f.noteShape, at("end mark outside a note", r, x, c));
        else if (((c & cell::TupletEnd) != 0) != w.tuplet)
            note(f.tupletMarks, at("end mark of another kind than its head", r, x, c));
        w.sounding = false;
    }
    if ((c & cell::Head) && (c & cell::Body))
        note(f.noteShape, at("head and body in one cell", r, x, c));
    if (c & cell::Head) {
        w.sounding = true;
        w.tuplet = (c & cell::TupletHead) != 0;
    } else if (c & cell::Body) {
        if (!w.sounding)
            note(f.noteShape, at("body without a head to its left", r, x, c));
        else if (((c & cell::TupletBody) != 0) != w.tuplet)
            note(f.tupletMarks, at("body of another kind than its head", r, x, c));
    } else if (w.sounding) {
        note(f.noteShape, at("note stops without an end mark", r, x, c));
        w.sounding = false;
    }
}

void checkLanes(PartFaults& f, const CurrentPart& part, int x, bool sounds, bool starts) {
    if (x >= kLaneCols)
        return;
    if (sounds != (part.Sounding[x] == 1))
        note(f.lanes,
             "Sounding " + std::to_string(part.Sounding[x]) + " in column " + std::to_string(x));
    if (starts != (part.VelLane[x] != 0))
        note(f.lanes,
             "VelLane " + std::to_string(part.VelLane[x]) + " in column " + std::to_string(x));
}

} // namespace

PartFaults checkPart(const CurrentPart& part) {
    PartFaults f;
    std::array<RowWalk, kRows> walks{};
    int32_t lastEnd = 0;
    for (int x = 0; x < kGridCols; ++x) {
        bool sounds = false, starts = false;
        for (int r = 0; r < kRows; ++r) {
            const int32_t c = part.Grid(r, x);
            if (c == 0 && !walks[static_cast<size_t>(r)].sounding)
                continue;
            checkCellBits(f, r, x, c);
            walkCell(f, walks[static_cast<size_t>(r)], r, x, c);
            sounds = sounds || (c & 0x7F) != 0;
            starts = starts || (c & cell::Head) != 0;
            if (c & cell::End)
                lastEnd = x;
        }
        checkLanes(f, part, x, sounds, starts);
    }
    for (int r = 0; r < kRows; ++r)
        if (walks[static_cast<size_t>(r)].sounding)
            note(f.noteShape, at("note runs off the grid", r, kGridCols - 1, 0));
    if (lastEnd > kMaxSongCols) // the work file holds columns 0..9600
        f.partLen = "end mark beyond column 9600, in column " + std::to_string(lastEnd);
    else if (part.PartLen != lastEnd)
        f.partLen = "PartLen " + std::to_string(part.PartLen) + ", last end mark in column " +
                    std::to_string(lastEnd);
    return f;
}

void PrintTo(const PartFaults& f, std::ostream* os) {
    *os << "{cell bits: '" << f.cellBits << "', note shape: '" << f.noteShape << "', PartLen: '"
        << f.partLen << "', lanes: '" << f.lanes << "', tuplet marks: '" << f.tupletMarks << "'}";
}

} // namespace zelk::test
