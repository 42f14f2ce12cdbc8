#include "import/PitchSpelling.h"

#include "import/MeasurePlan.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/RowTables.h"

#include <algorithm>
#include <array>
#include <span>

namespace zelk {
namespace {

constexpr uint8_t kSharpMasks[] = {16, 17, 25, 89, 93, 125, 127};
constexpr uint8_t kFlatMasks[] = {2, 34, 38, 102, 110, 111, 127};

// Line-of-fifths place of each pitch class's white or sharp name, and of its flat name.
constexpr std::array<int, 12> kSharpPlace = {0, 7, 2, 9, 4, -1, 6, 1, 8, 3, 10, 5};
constexpr std::array<int, 12> kFlatPlace = {0, -5, 2, -3, 4, -1, -6, 1, -4, 3, -2, 5};
constexpr std::array<bool, 12> kBlack = {false, true,  false, true,  false, false,
                                         true,  false, true,  false, true,  false};

int keyNote(int row, MeasureKey k) {
    return RowNote(row) + ((k.mask >> (row % 7)) & 1 ? k.shift : 0);
}

int placeOf(int pitchClass, const FifthsCentre& f) {
    const auto pc = static_cast<size_t>(pitchClass);
    return kBlack[pc] && !f.sharpens(pitchClass) ? kFlatPlace[pc] : kSharpPlace[pc];
}

} // namespace

MeasureKey MeasureKey::ofSharps(int sharps) {
    const int n = std::clamp(sharps < 0 ? -sharps : sharps, 0, 7);
    if (n == 0)
        return {0, sharps < 0 ? -1 : 1};
    return sharps > 0 ? MeasureKey{kSharpMasks[n - 1], 1} : MeasureKey{kFlatMasks[n - 1], -1};
}

bool FifthsCentre::sharpens(int pitchClass) const {
    const auto pc = static_cast<size_t>(pitchClass);
    return centre > (kSharpPlace[pc] + kFlatPlace[pc]) / 2.0;
}

std::vector<FifthsCentre> fifthsCentres(const std::vector<GridNote>& notes,
                                        const MeasurePlan& plan) {
    const size_t measures = plan.lengths().size();
    std::vector<FifthsCentre> centres(measures);
    for (int round = 0; round < 2; ++round) {
        std::vector<double> sum(measures, 0.0), weight(measures, 0.0);
        for (const GridNote& n : notes) {
            const int pc = n.key % 12;
            if (round == 0 && kBlack[static_cast<size_t>(pc)])
                continue; // black keys take part once they have a name
            const auto m = static_cast<size_t>(plan.measureOfColumn(n.head) - 1);
            const double w = std::max(1, n.length());
            sum[m] += w * placeOf(pc, centres[m]);
            weight[m] += w;
        }
        for (size_t m = 0; m < measures; ++m)
            if (weight[m] > 0)
                centres[m].centre = sum[m] / weight[m];
            else if (m > 0)
                centres[m] = centres[m - 1]; // nothing to go by: the passage before
    }
    return centres;
}

FifthsCentre fifthsCentreOf(std::span<const WeightedKey> keys) {
    FifthsCentre c;
    for (int round = 0; round < 2; ++round) {
        double sum = 0, weight = 0;
        for (const WeightedKey& k : keys) {
            const int pc = k.key % 12;
            if (round == 0 && kBlack[static_cast<size_t>(pc)])
                continue; // black keys take part once they have a name
            const double w = std::max(1, k.weight);
            sum += w * placeOf(pc, c);
            weight += w;
        }
        if (weight > 0)
            c.centre = sum / weight;
    }
    return c;
}

std::vector<Spelling> spellingsOf(int key, MeasureKey k, const FifthsCentre& fifths) {
    struct Ranked {
        int rank;
        Spelling s;
    };
    const bool sharpName = k.mask != 0 ? k.shift > 0 : fifths.sharpens(key % 12);
    std::array<Ranked, 8> found{};
    size_t count = 0;
    // Only rows within two semitones of the key can name it: about 7 rows an octave, so the
    // row of the key's line and three rows either side.
    const int near = kRows - 1 - (key - RowNote(kRows - 1)) * 7 / 12;
    for (int r = std::max(0, near - 3); r <= std::min(kRows - 1, near + 3); ++r) {
        const int off = key - keyNote(r, k);
        if (off < -1 || off > 1)
            continue;
        const int absolute = key - RowNote(r); // the alteration the letter of row r needs
        int rank = 4;
        if (off == 0)
            rank = 0;
        else if (absolute == 0)
            rank = 1;
        else if (absolute == (sharpName ? 1 : -1))
            rank = 2;
        else if (absolute == 1 || absolute == -1)
            rank = 3;
        found[count++] = {rank, {r, off > 0 ? cell::Sharp : (off < 0 ? cell::Flat : 0)}};
    }
    const auto used = std::span(found).first(count);
    std::stable_sort(used.begin(), used.end(),
                     [](const Ranked& a, const Ranked& b) { return a.rank < b.rank; });
    std::vector<Spelling> out;
    out.reserve(count);
    for (const Ranked& f : used)
        out.push_back(f.s);
    return out;
}

} // namespace zelk
