#pragma once

#include "midi/SmfBytes.h"

#include "import/ImportMidi.h"
#include "model/Cell.h"
#include "model/PartFile.h"
#include "model/Song.h"
#include "platform/IconvShiftJis.h"
#include "storage/Project.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <vector>

namespace zelk::test {

// An event at its absolute tick.
struct At {
    uint32_t tick;
    Bytes bytes;
};

// A Standard MIDI File of the given format and division from tracks of absolute-timed
// events (put in time order, those of one tick as listed).
inline Bytes smf(uint16_t division, std::vector<std::vector<At>> tracks, uint16_t format = 1) {
    Bytes out{'M',
              'T',
              'h',
              'd',
              0,
              0,
              0,
              6,
              0,
              static_cast<uint8_t>(format),
              0,
              static_cast<uint8_t>(tracks.size()),
              static_cast<uint8_t>(division >> 8),
              static_cast<uint8_t>(division)};
    for (auto& track : tracks) {
        std::stable_sort(track.begin(), track.end(),
                         [](const At& a, const At& b) { return a.tick < b.tick; });
        std::vector<Ev> evs;
        uint32_t last = 0;
        for (const At& a : track) {
            evs.push_back({a.tick - last, a.bytes});
            last = a.tick;
        }
        evs.push_back({0, kEndOfTrack});
        out = cat({out, trackChunk(evs)});
    }
    return out;
}

// A note as the grid holds it: row, head and end column, accidental, tuplet.
struct GridNoteAt {
    int row, head, end;
    int32_t accidental;
    bool tuplet;
    bool operator==(const GridNoteAt&) const = default;
    friend std::ostream& operator<<(std::ostream& os, const GridNoteAt& n) {
        return os << "{row " << n.row << ", " << n.head << ".." << n.end << ", acc 0x" << std::hex
                  << n.accidental << std::dec << (n.tuplet ? ", tuplet}" : "}");
    }
};

// An import applied to a fresh song in a folder of its own.
class ImportTest : public ::testing::Test {
protected:
    IconvShiftJis shiftJis;
    TempFolder tmp;
    FakeMidiOut midi;
    Song song = freshSong();
    MidiImport result;

    void import(const Bytes& file) {
        result = importMidi(file, shiftJis, "");
        applyProject(song, tmp.folder(), midi, result.image, WorkFileMode::ReplaceAll);
    }

    // The notes of part p in grid order (column, then row).
    std::vector<GridNoteAt> notesOf(int p) {
        CurrentPart part;
        if (auto values = readPartFile(tmp.folder(), p))
            applyPartNumbers(*values, part);
        std::vector<GridNoteAt> out;
        for (int x = 0; x <= part.PartLen; ++x)
            for (int r = 0; r < kRows; ++r) {
                const int32_t v = part.Grid(r, x);
                if (!cell::startsNote(v))
                    continue;
                int end = x + 1;
                while (!cell::endsNote(part.Grid(r, end)))
                    ++end;
                out.push_back({r, x, end, v & (cell::Sharp | cell::Flat), cell::isTupletHead(v)});
            }
        return out;
    }
    std::unique_ptr<CurrentPart> partOf(int p) {
        auto part = std::make_unique<CurrentPart>();
        if (auto values = readPartFile(tmp.folder(), p))
            applyPartNumbers(*values, *part);
        return part;
    }
    int count(ImportChange kind) const { return result.report.count(kind); }
};

} // namespace zelk::test
