#pragma once

#include "model/Lane.h"
#include "model/NoteGrid.h"

#include <cstdint>

namespace zelk {

// The one part held in memory: its notes, its seven lanes and its header.
struct CurrentPart {
    NoteGrid Grid;
    ByteLane Sounding; // 1 = a note starts or sounds in the column
    ByteLane VelLane;  // note-on velocity of notes starting in the column
    ByteLane PitLane;  // pitch-bend position, 64 = centre
    ByteLane ModLane;
    ByteLane ExpLane;
    ByteLane PanLane; // 64 = centre
    ByteLane HolLane;

    // The part header. PartLen is the highest column holding a note end; 0 = no notes.
    int32_t PartLen = 0;
    int32_t PartProgram = 0;
    int32_t PartReverb = 40;
    int32_t PartChorus = 0;

    void resetHeader() {
        PartLen = 0;
        PartProgram = 0;
        PartReverb = 40;
        PartChorus = 0;
    }
    // What a part switch clears; PitLane and PanLane keep the previous part's values.
    void clearForSwitch() {
        Grid.clear();
        Sounding.fill(0);
        VelLane.fill(0);
        ModLane.fill(0);
        ExpLane.fill(0);
        HolLane.fill(0);
    }
};

} // namespace zelk
