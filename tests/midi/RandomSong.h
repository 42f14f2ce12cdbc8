#pragma once

#include "model/Lane.h"
#include "model/Limits.h"
#include "model/Song.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace zelk {
class AppFolder;
class MidiOut;
} // namespace zelk

namespace zelk::test {

// One note as the generator placed it.
struct PlacedNote {
    int row;
    int head;
    int len;
    int32_t accidental; // 0, cell::Sharp or cell::Flat
    bool tuplet;
    int end() const { return head + len; }
};

struct PlacedPart {
    std::vector<PlacedNote> notes;
    ByteLane Sounding, VelLane, PitLane, ModLane, ExpLane, PanLane, HolLane;
    int program = 0, reverb = 40, chorus = 0;
};

// A song the editor could have made: measures of the offered lengths with key signatures,
// notes of many lengths (a few crossing a measure end, as a time-signature change leaves
// them), tuplets on their slots, accidentals, rhythm parts, lanes, tempo changes and a
// loop point. Parts are stored in their work files; the last one stays current.
struct RandomSong {
    std::array<PlacedPart, kParts> parts;
    std::array<bool, kParts> hasNotes{};
};

RandomSong makeRandomSong(Song& song, const AppFolder& folder, MidiOut& out, std::mt19937& rng);

} // namespace zelk::test
