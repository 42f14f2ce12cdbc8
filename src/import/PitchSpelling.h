#pragma once

#include "import/GridNote.h"

#include <cstdint>
#include <span>
#include <vector>

namespace zelk {

class MeasurePlan;

// A key signature as a measure keeps it: rows with bit (row % 7) in mask sound shift
// semitones (+1 sharp key, -1 flat key) off their base note.
struct MeasureKey {
    uint8_t mask = 0;
    int32_t shift = 1;
    bool operator==(const MeasureKey&) const = default;
    // A key signature event's count: 1..7 sharps, -1..-7 flats, 0 none.
    static MeasureKey ofSharps(int sharps);
    // KeyCode of the signature drop-downs: the mask plus 128 for a flat key.
    uint8_t keyCode() const { return static_cast<uint8_t>(mask | (shift < 0 ? 128 : 0)); }
};

// Where the notes of a passage lie on the line of fifths (F -1, C 0, G 1 ... B 5, F# 6 ...),
// which tells a black key's name in a key without accidentals: C#/Db 1, G#/Ab 2, D#/Eb 3,
// A#/Bb 4 and F#/Gb 0 are the centres above which the sharp name is nearer.
struct FifthsCentre {
    double centre = 2.0; // the middle of C major's notes
    bool sharpens(int pitchClass) const;
};

// Line-of-fifths centres of the notes of every measure, weighted by how long they sound;
// black keys count with the name a first round gave them, and a measure of black keys only
// takes the centre of the one before.
std::vector<FifthsCentre> fifthsCentres(const std::vector<GridNote>& notes,
                                        const MeasurePlan& plan);

// A key and how long it sounds, for the centre of a passage that has no measures of its own.
struct WeightedKey {
    int key;
    int weight;
};
// The line-of-fifths centre of some keys, as fifthsCentres finds one measure's: white keys
// first, then every key by the name that centre gives it; C major's centre without keys.
FifthsCentre fifthsCentreOf(std::span<const WeightedKey> keys);

// One way to write a key in a row: the row and the accidental bit of its cell.
struct Spelling {
    int row;
    int32_t accidental; // cell::Sharp, cell::Flat or 0
};

// The ways a key can stand in a measure of the given key, the best first: a note of the
// key without accidental; a white key by its own letter; a black key by its sharp name in
// sharp keys, its flat name in flat keys, and in keys without accidentals by the name the
// line of fifths prefers; then the rest. Empty when no row reaches the key.
std::vector<Spelling> spellingsOf(int key, MeasureKey k, const FifthsCentre& fifths);

} // namespace zelk
