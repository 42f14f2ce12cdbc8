#pragma once

#include "import/GridNote.h"
#include "import/ImportReport.h"
#include "import/SongEvents.h"
#include "model/CurrentPart.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace zelk {

class MeasurePlan;

// The part header and the lanes a part's channel messages give.
struct PartSettings {
    int32_t program = 0, reverb = 40, chorus = 0;
    struct LaneChange {
        int32_t col;
        int lane; // 0 Pit, 1 Mod, 2 Exp, 3 Pan, 4 Hol
        uint8_t value;
    };
    std::vector<LaneChange> lanes; // in column order
};

// Program, reverb (controller 91) and chorus (93) up to the part's first note make its
// header; later changes of them are ignored (LaterSettings). Modulation (1), pan (10),
// expression (11), hold (64) and pitch bend (its high byte) set their lane from the
// column they fall in. What merely restates a channel's default at the start (volume 127,
// bank 0, reset all controllers) and channel mode messages are dropped quietly; other
// controllers and aftertouch are ignored (OtherMessages).
PartSettings settingsOf(const PartEvents& part, const MeasurePlan& plan, int p,
                        ImportReport& report);

// Writes the notes (each with its row) into the part as the editor stores them, with the
// lanes: Sounding where a note starts or sounds, the loudest velocity of the notes
// starting in a column (ChordVelocity when they differ), the controller lanes holding
// each value from its column on. The part is cleared first.
void buildPart(CurrentPart& out, const std::vector<GridNote>& notes, const PartSettings& settings,
               int p, const MeasurePlan& plan, ImportReport& report);

// Runs job(p, scratch) for every part p, on every core when the file has many notes
// (SongEvents::partWorkers), each worker with a part of its own to write into.
void forEachPartOnCores(const SongEvents& events,
                        const std::function<void(int p, CurrentPart& scratch)>& job);

} // namespace zelk
