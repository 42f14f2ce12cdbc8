#pragma once

#include "midi/TrackBuffer.h"
#include "model/Limits.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zelk {

struct Song;
struct MidiExportOptions;
class WorkFileStream;

// Turns one part's work file into the body of its MTrk chunk: set-up controllers and
// program, then notes and lane changes by walking the stored cells in file order
// (column by column, row by row) without building the grid.
class PartTrackBuilder {
public:
    PartTrackBuilder(const Song& song, const MidiExportOptions& opt, int part);
    // Reads the rest of the part's work file from `file` (header and lanes are read).
    void build(WorkFileStream& file, TrackBuffer& track);
    // File tick of the last note-off of the track built last (0 without notes).
    uint32_t lastNoteOffTick() const { return lastNoteOff_; }

private:
    struct HeldCell {
        int32_t v;
        int32_t x;
        int32_t r;
    };

    void setUp(const WorkFileStream& file);
    void walkCells(WorkFileStream& file);
    void cell(int32_t v, int32_t x, int32_t r);
    void skippedCell(int32_t v, int32_t x, int32_t r);
    void secondPass();
    void noteOn(int32_t v, int32_t x, int32_t r, int offset);
    void noteOff(int32_t v, int32_t x, int32_t r, int offset);
    void loopMarker(int32_t x);
    void effects(int32_t x);
    uint8_t lane(int32_t x, int k) const;
    uint8_t headKeyAt(int32_t v, int32_t x, int32_t r);

    const Song& song_;
    const MidiExportOptions& opt_;
    int part_;
    uint8_t channel_;
    int32_t loopCol_; // first column of the loop measure; -1 when no marker is written
    const uint8_t* lanes_ = nullptr; // seven values per column 0..PartLen
    TrackBuffer* t_ = nullptr;
    std::array<uint8_t, 5> lastSent_{}; // pitch bend, modulation, expression, pan, hold
    std::vector<HeldCell> held_;        // tuplet cells of one column, for the second pass
    // Key each row's sounding note was turned on with (-1: none), so that its note-off
    // matches even when the key signature changes under it.
    std::array<int16_t, kRows> soundingKey_{};
    bool loopWritten_ = false;
    uint32_t lastNoteOff_ = 0;
    // Measure of the last note-on (index m - 1) and the first column after it; note-ons
    // come in column order, so the lookup only ever moves right.
    int measureIndex_ = 0;
    int32_t nextMeasureCol_ = 0;
};

} // namespace zelk
