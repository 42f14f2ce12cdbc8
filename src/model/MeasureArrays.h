#pragma once

#include "model/Lane.h"
#include "model/MeasureTable.h"

#include <cstdint>
#include <vector>

namespace zelk {

struct Song;

// What a time signature, key signature or tempo offset change touches: the measure
// arrays, the tempo lane and the values the drop-downs show. Undo keeps one before and one
// after in memory, so such a change is one step of its own.
struct MeasureArrays {
    MeasureTable MeasureLen;
    std::vector<uint8_t> KeyMask;
    std::vector<int32_t> KeyShift;
    TempoLane TemLane;
    uint8_t KeyCode = 0;
    int32_t KeySign = 1;
    int32_t MeasureCols = 32;
    uint8_t BeatCols = 8;
    int32_t TempoIndex = 119;
    int32_t TempoBase = 120;

    static MeasureArrays of(const Song& song);
    void applyTo(Song& song) const;
    bool operator==(const MeasureArrays&) const = default;
    // Equal but for KeyShift of measures whose key alters no step, where it means nothing:
    // choosing the key already shown is no change.
    bool sameMeaning(const MeasureArrays& o) const;
};

struct MeasureArraysChange {
    MeasureArrays before;
    MeasureArrays after;
};

} // namespace zelk
