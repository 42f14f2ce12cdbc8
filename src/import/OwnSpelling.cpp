#include "import/OwnSpelling.h"

#include "import/MeasurePlan.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/RowTables.h"

#include <algorithm>

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

} // namespace

std::vector<OwnSpelling> ownSpellingsOf(int key) {
    std::vector<OwnSpelling> out;
    for (const int a : {0, 1, -1, 2, -2})
        for (int r = 0; r < kRows; ++r)
            if (RowNote(r) + a == key)
                out.push_back({r, a});
    return out;
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

bool anyKeySuits(const LetterShifts& needs) {
    static const std::vector<MeasureKey> keys = allKeys();
    return std::any_of(keys.begin(), keys.end(),
                       [&needs](const MeasureKey& k) { return suits(k, needs); });
}

bool keyAllows(const LetterShifts& needs, int row, int alteration) {
    LetterShifts with = needs;
    addNeed(with, row, alteration);
    return anyKeySuits(with);
}

int keysLeft(const LetterShifts& needs, int row, int alteration) {
    LetterShifts with = needs;
    addNeed(with, row, alteration);
    static const std::vector<MeasureKey> keys = allKeys();
    return static_cast<int>(std::count_if(keys.begin(), keys.end(),
                                          [&with](const MeasureKey& k) { return suits(k, with); }));
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
