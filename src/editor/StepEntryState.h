#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace zelk {

// Keys pressed together within this many milliseconds of the first are one chord.
inline constexpr double kChordWindowMs = 30.0;

constexpr std::array<int8_t, 128> filledWith(int8_t v) {
    std::array<int8_t, 128> a{};
    a.fill(v);
    return a;
}

// Step entry from a MIDI keyboard: where the next notes go and the chord being gathered.
struct StepEntryState {
    bool on = false;    // the palette's "ステップ入力"
    int32_t column = 0; // the entry column
    // The channel each held key sounds on and the one the pedal went down on: their
    // releases go there even after a part switch, so nothing hangs.
    std::array<int8_t, 128> heldChannel = filledWith(-1);
    int8_t pedalChannel = -1;
    struct Key {
        uint8_t note = 0;
        uint8_t velocity = 0;
    };
    std::vector<Key> chord;
    double chordStartMs = 0; // when the chord's first key came
    // The entry column before each step, newest last, and whether that step placed notes:
    // BackSpace takes the last step back.
    struct Step {
        int32_t column = 0;
        bool placed = false;
        int undoPos = -1; // the undo ring's position right after the step's notes
    };
    std::vector<Step> steps;
};

} // namespace zelk
