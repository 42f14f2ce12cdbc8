#pragma once

#include "import/GridNote.h"
#include "import/PitchSpelling.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace zelk {

class MeasurePlan;

// The rows our own export's notes can come back to. The file keeps only the key of its
// first measure, and the song spelled each note in the key of its own measure, where a
// flat on a row the key lowers sounds a whole tone under the row. So a key can lie on any
// row within two semitones of it (alteration -2..2), and the key signature of each
// measure is chosen afterwards to suit the rows its notes took.
struct OwnSpelling {
    int row;
    int alteration; // semitones from the row's base note
};

// The rows of a key, the plainest first: no alteration, then one up, one down, two.
const std::vector<OwnSpelling>& ownSpellingsOf(int key);

// The shifts (-1, 0, +1) each row letter (row % 7) may get from a measure's key signature,
// as bits 1, 2 and 4.
using LetterShifts = std::array<uint8_t, 7>;

// No shift of any letter ruled out yet.
LetterShifts anyShift();
// Only the shifts of one key signature.
LetterShifts shiftsOf(MeasureKey k);
// Whether some key signature gives every letter a shift `needs` allows; which ones (bit i:
// the i-th of C major, then one sharp, one flat, two sharps ...).
bool anyKeySuits(const LetterShifts& needs);
uint16_t suitingKeys(const LetterShifts& needs);
// Whether some key signature gives a row its alteration besides what `needs` asks.
bool keyAllows(const LetterShifts& needs, int row, int alteration);
// How many key signatures do.
int keysLeft(const LetterShifts& needs, int row, int alteration);
// Adds what a row with an alteration asks of its measure's key signature.
void addNeed(LetterShifts& needs, int row, int alteration);
// The key of every measure (by measure index): fileKey where it suits what the notes ask,
// else the plainest that does (C major where none does).
std::vector<MeasureKey> keysFor(const std::vector<LetterShifts>& needs, MeasureKey fileKey);

// The cell accidental of each note (sharp, flat or none) for its row's alteration in the
// key of its head's measure.
void setAccidentals(std::vector<GridNote>& notes, const std::vector<MeasureKey>& keys,
                    const MeasurePlan& plan);

} // namespace zelk
