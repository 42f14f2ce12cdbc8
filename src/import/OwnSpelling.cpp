#include "import/OwnSpelling.h"

#include "import/MeasurePlan.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/RowTables.h"

#include <algorithm>
#include <bit>

namespace zelk {
namespace {

constexpr uint8_t kAnyShift = 7;

// Key shifts of a row letter under which a cell accidental (-1..1) reaches the alteration.
uint8_t shiftsFor(int alteration) {
    switch (alteration) {
    case 2:
        return 4;
    case 1:
        return 6;
    case 0:
        return kAnyShift;
    case -1:
        return 3;
    default:
        return 1;
    }
}

int shiftOf(MeasureKey k, int letter) {
    return (k.mask >> letter) & 1 ? k.shift : 0;
}

bool suits(MeasureKey k, const LetterShifts& needs) {
    for (int letter = 0; letter < 7; ++letter)
        if ((needs[static_cast<size_t>(letter)] & (1 << (shiftOf(k, letter) + 1))) == 0)
            return false;
    return true;
}

// Every key signature, the plainest first.
std::vector<MeasureKey> allKeys() {
    std::vector<MeasureKey> keys{MeasureKey::ofSharps(0)};
    for (int n = 1; n <= 7; ++n) {
        keys.push_back(MeasureKey::ofSharps(n));
        keys.push_back(MeasureKey::ofSharps(-n));
    }
    return keys;
}

// The keys (bit i: allKeys()[i]) that give each letter each shift (-1, 0, +1 at 0..2).
using KeySets = std::array<std::array<uint16_t, 3>, 7>;

KeySets keySets() {
    KeySets sets{};
    const std::vector<MeasureKey> keys = allKeys();
    for (size_t i = 0; i < keys.size(); ++i)
        for (int letter = 0; letter < 7; ++letter)
            sets[static_cast<size_t>(letter)][static_cast<size_t>(shiftOf(keys[i], letter) + 1)] |=
                static_cast<uint16_t>(1u << i);
    return sets;
}

} // namespace

const std::vector<OwnSpelling>& ownSpellingsOf(int key) {
    static const auto table = [] {
        std::array<std::vector<OwnSpelling>, 128> t;
        for (int k = 0; k < 128; ++k)
            for (const int a : {0, 1, -1, 2, -2})
                for (int r = 0; r < kRows; ++r)
                    if (RowNote(r) + a == k)
                        t[static_cast<size_t>(k)].push_back({r, a});
        return t;
    }();
    static const std::vector<OwnSpelling> none;
    return key >= 0 && key < 128 ? table[static_cast<size_t>(key)] : none;
}

LetterShifts anyShift() {
    LetterShifts any;
    any.fill(kAnyShift);
    return any;
}

LetterShifts shiftsOf(MeasureKey k) {
    LetterShifts s{};
    for (int letter = 0; letter < 7; ++letter)
        s[static_cast<size_t>(letter)] = static_cast<uint8_t>(1 << (shiftOf(k, letter) + 1));
    return s;
}

uint16_t suitingKeys(const LetterShifts& needs) {
    static const KeySets sets = keySets();
    uint16_t keys = 0x7FFF;
    for (size_t letter = 0; letter < 7; ++letter) {
        uint16_t letterKeys = 0;
        for (size_t shift = 0; shift < 3; ++shift)
            if (needs[letter] & (1 << shift))
                letterKeys |= sets[letter][shift];
        keys &= letterKeys;
    }
    return keys;
}

bool anyKeySuits(const LetterShifts& needs) {
    return suitingKeys(needs) != 0;
}

bool keyAllows(const LetterShifts& needs, int row, int alteration) {
    LetterShifts with = needs;
    addNeed(with, row, alteration);
    return anyKeySuits(with);
}

int keysLeft(const LetterShifts& needs, int row, int alteration) {
    LetterShifts with = needs;
    addNeed(with, row, alteration);
    return std::popcount(suitingKeys(with));
}

void addNeed(LetterShifts& needs, int row, int alteration) {
    needs[static_cast<size_t>(row % 7)] &= shiftsFor(alteration);
}

std::vector<MeasureKey> keysFor(const std::vector<LetterShifts>& needs, MeasureKey fileKey) {
    static const std::vector<MeasureKey> keys = allKeys();
    std::vector<MeasureKey> out;
    out.reserve(needs.size());
    for (const LetterShifts& n : needs) {
        if (suits(fileKey, n)) {
            out.push_back(fileKey);
            continue;
        }
        const auto k = std::find_if(keys.begin(), keys.end(),
                                    [&n](const MeasureKey& key) { return suits(key, n); });
        out.push_back(k != keys.end() ? *k : MeasureKey::ofSharps(0));
    }
    return out;
}

void setAccidentals(std::vector<GridNote>& notes, const std::vector<MeasureKey>& keys,
                    const MeasurePlan& plan) {
    for (GridNote& n : notes) {
        const MeasureKey& k = keys[static_cast<size_t>(plan.measureOfColumn(n.head) - 1)];
        const int cellAlteration = n.alteration - shiftOf(k, n.row % 7);
        n.accidental = cellAlteration > 0 ? cell::Sharp : (cellAlteration < 0 ? cell::Flat : 0);
    }
}

} // namespace zelk
