#include "RandomSong.h"

#include "model/Cell.h"
#include "model/PartFile.h"
#include "support/SongBuilder.h"

#include <algorithm>

namespace zelk::test {
namespace {

int pick(std::mt19937& rng, int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}
bool chance(std::mt19937& rng, double p) {
    return std::bernoulli_distribution(p)(rng);
}

// Measure lengths of the offered time signatures.
constexpr int kLengths[] = {8, 16, 24, 32, 40, 48, 4, 12, 20, 28};
// Key masks of 1..7 sharps and 1..7 flats.
constexpr uint8_t kSharpMasks[] = {16, 17, 25, 89, 93, 125, 127};
constexpr uint8_t kFlatMasks[] = {2, 34, 38, 102, 110, 111, 127};

void makeMeasures(Song& song, std::mt19937& rng) {
    std::vector<int> lens;
    int total = 0;
    int len = 32;
    const int wanted = pick(rng, 3, 40);
    while (static_cast<int>(lens.size()) < wanted) {
        if (chance(rng, 0.2))
            len = kLengths[pick(rng, 0, 9)];
        if (total + len > kMaxSongCols)
            break;
        lens.push_back(len);
        total += len;
    }
    song.MeasureLen.assign(static_cast<int>(lens.size()), 32);
    for (size_t m = 0; m < lens.size(); ++m)
        song.MeasureLen.setLen(static_cast<int>(m) + 1, lens[m]);
    song.MeasureCols = lens[0];
    song.resetKeySignatures();
    uint8_t mask = 0;
    int shift = 0;
    for (size_t k = 0; k < lens.size(); ++k) {
        if (chance(rng, 0.25)) {
            const int n = pick(rng, 0, 7);
            shift = chance(rng, 0.5) ? 1 : -1;
            mask = n == 0 ? 0 : (shift > 0 ? kSharpMasks[n - 1] : kFlatMasks[n - 1]);
        }
        song.KeyMask[k] = mask | (shift < 0 ? 128 : 0);
        song.KeyShift[k] = shift;
    }
    song.KeyCode = song.KeyMask[0];
}

// Column of tuplet slot s: three slots per four columns.
int slotCol(int s) {
    return 4 * (s / 3) + s % 3;
}

// Notes of one row, left to right, never overlapping (an end may share its cell with the
// next head).
void fillRow(Song& song, PlacedPart& part, int row, std::mt19937& rng) {
    const int songEnd = song.SumMeasureLen(song.MeasureCount());
    int free = pick(rng, 0, 64);
    while (free < songEnd) {
        const int m = song.MeasureLen.measureOfColumn(free);
        const int measureEnd = song.SumMeasureLen(m);
        const bool crossing = chance(rng, 0.08);
        const int limit = std::min(crossing ? measureEnd + 48 : measureEnd, songEnd);
        const int32_t acc = chance(rng, 0.2) ? (chance(rng, 0.5) ? cell::Sharp : cell::Flat) : 0;
        int head = free;
        int len = 0;
        bool tuplet = chance(rng, 0.25);
        if (tuplet) {
            int s = 3 * (head / 4); // first slot at or after the free column
            while (slotCol(s) < head)
                ++s;
            const int n = pick(rng, 1, 6);
            head = slotCol(s);
            len = slotCol(s + n) - head;
        } else {
            constexpr int kNoteLens[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48};
            len = kNoteLens[pick(rng, 0, 10)];
        }
        if (head + len > limit) {
            free = measureEnd + pick(rng, 0, 8);
            continue;
        }
        putNote(song, row, head, len, acc, tuplet);
        part.notes.push_back({row, head, len, acc, tuplet});
        free = head + len + (chance(rng, 0.5) ? 0 : pick(rng, 1, 40));
    }
}

void randomiseLanes(Song& song, std::mt19937& rng) {
    auto& p = song.part;
    for (int x = 0; x <= p.PartLen; ++x) {
        if (p.VelLane[x] != 0)
            p.VelLane[x] = static_cast<uint8_t>(pick(rng, 1, 127));
    }
    ByteLane* lanes[] = {&p.PitLane, &p.ModLane, &p.ExpLane, &p.PanLane, &p.HolLane};
    for (ByteLane* lane : lanes) {
        int x = 0;
        while (x <= p.PartLen) {
            const int run = pick(rng, 1, 200);
            const bool change = chance(rng, 0.3);
            const auto v = static_cast<uint8_t>(pick(rng, 0, 127));
            for (int i = x; i <= std::min(p.PartLen, x + run - 1); ++i)
                if (change)
                    (*lane)[i] = v;
            x += run;
        }
    }
}

void makePart(Song& song, PlacedPart& part, int p, std::mt19937& rng) {
    song.CurPart = static_cast<uint8_t>(p);
    song.part.clearForSwitch();
    song.part.resetHeader();
    song.part.PitLane.fill(64);
    song.part.PanLane.fill(64);
    // Rows at least four steps apart never sound the same key, whatever their accidentals
    // and key signatures, so every key of a part belongs to one row.
    const int rows = pick(rng, 1, 6);
    int row = pick(rng, 0, 20);
    for (int i = 0; i < rows && row < kRows; ++i, row += pick(rng, 4, 12))
        fillRow(song, part, row, rng);
    if (song.part.PartLen == 0)
        return;
    randomiseLanes(song, rng);
    song.part.PartProgram = pick(rng, 0, 127);
    song.part.PartReverb = pick(rng, 0, 127);
    song.part.PartChorus = pick(rng, 0, 127);
    const CurrentPart& c = song.part;
    part.Sounding = c.Sounding;
    part.VelLane = c.VelLane;
    part.PitLane = c.PitLane;
    part.ModLane = c.ModLane;
    part.ExpLane = c.ExpLane;
    part.PanLane = c.PanLane;
    part.HolLane = c.HolLane;
    part.program = c.PartProgram;
    part.reverb = c.PartReverb;
    part.chorus = c.PartChorus;
}

} // namespace

RandomSong makeRandomSong(Song& song, const AppFolder& folder, MidiOut& out, std::mt19937& rng) {
    RandomSong rs;
    makeMeasures(song, rng);
    for (int x = 0; x < kLaneCols; ++x)
        song.TemLane[x] = 120;
    for (int i = pick(rng, 0, 6); i > 0; --i) {
        const int from = pick(rng, 0, kMaxSongCols);
        const int bpm = pick(rng, 1, 300);
        for (int x = from; x < std::min(kLaneCols, from + pick(rng, 1, 2000)); ++x)
            song.TemLane[x] = bpm;
    }
    for (int p = 0; p < kParts; ++p)
        song.DrumPart[static_cast<size_t>(p)] = chance(rng, 0.15) ? 1 : 0;
    song.LoopOn = chance(rng, 0.5) ? 1 : 0;
    song.LoopMeasure = pick(rng, 0, song.MeasureCount() - 1);
    int last = 0;
    for (int p = 0; p < kParts; ++p) {
        if (!chance(rng, 0.6))
            continue;
        makePart(song, rs.parts[static_cast<size_t>(p)], p, rng);
        if (song.part.PartLen > 0) {
            SavePartFile(song, folder);
            rs.hasNotes[static_cast<size_t>(p)] = true;
            last = p;
        }
    }
    // The last stored part is the current one, as after a part switch to it.
    song.CurPart = static_cast<uint8_t>(last);
    song.part.clearForSwitch();
    song.part.resetHeader();
    LoadPartFile(song, folder, out, last);
    return rs;
}

} // namespace zelk::test
