#include "MidiWriterFixture.h"
#include "RandomSong.h"
#include "SmfReader.h"

#include "model/Cell.h"
#include "model/RowTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

namespace zelk {
namespace {

using namespace test;

// A note as the file plays it: on tick (-1: started before the file), off tick, key, velocity.
using HeardNote = std::tuple<int64_t, int64_t, int, int>;
using TimedBytes = std::pair<int64_t, Bytes>;

// What a song must sound like, worked out from the placed notes and the song's tables
// rather than from the cells the writer walks.
class SongExpectation {
public:
    SongExpectation(const Song& song, const RandomSong& rs, const MidiExportOptions& opt)
        : song_(song), rs_(rs), opt_(opt), exporting_(opt.ExportMode == 1) {}

    bool included(int p) const {
        const auto i = static_cast<size_t>(p);
        return rs_.hasNotes[i] && (exporting_ || opt_.Check1[i] == 1);
    }
    int songEnd() const {
        int e = 0;
        for (int p = 0; p < kParts; ++p)
            if (included(p))
                for (const auto& n : rs_.parts[static_cast<size_t>(p)].notes)
                    e = std::max(e, n.end());
        return e;
    }
    int64_t fileTick(int64_t colTick) const {
        return exporting_ ? 480 + colTick : colTick - 60 * opt_.ViewCol;
    }
    int channel(int p) const { return p == 9 || song_.DrumPart[static_cast<size_t>(p)] ? 9 : p; }

    int key(int p, const PlacedNote& n) const {
        if (channel(p) == 9)
            return 84 - n.row;
        int key = RowNote(n.row) + (n.accidental == cell::Sharp) - (n.accidental == cell::Flat);
        int m = 1;
        while (m < song_.MeasureCount() && song_.SumMeasureLen(m) <= n.head)
            ++m;
        const auto k = static_cast<size_t>(m - 1);
        if (song_.KeyMask[k] & (1 << (n.row % 7)))
            key += song_.KeyShift[k];
        return std::clamp(key, 0, 127);
    }

    // Tuplet marks sit on slots 20 ticks apart; an ordinary head in the cell of a tuplet
    // end follows that end.
    int64_t onColTick(const PlacedPart& part, const PlacedNote& n) const {
        int64_t t = 60 * n.head;
        if (n.tuplet)
            return t + 20 * (n.head % 4);
        for (const auto& o : part.notes)
            if (o.tuplet && o.row == n.row && o.end() == n.head)
                return t + 20 * (n.head % 4);
        return t;
    }

    std::vector<HeardNote> notes(int p) const {
        const auto& part = rs_.parts[static_cast<size_t>(p)];
        std::vector<HeardNote> out;
        for (const auto& n : part.notes) {
            if (n.end() < opt_.ViewCol)
                continue;
            const int64_t off = fileTick(60 * n.end() + (n.tuplet ? 20 * (n.end() % 4) : 0));
            if (n.head < opt_.ViewCol)
                out.emplace_back(-1, off, key(p, n), -1);
            else
                out.emplace_back(fileTick(onColTick(part, n)), off, key(p, n),
                                 part.VelLane[n.head]);
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    int32_t loopCol() const {
        if (!exporting_ || song_.LoopOn != 1 || song_.LoopMeasure >= song_.MeasureCount())
            return -1;
        return song_.SumMeasureLen(song_.LoopMeasure);
    }

    // Everything but the notes, in file order: set-up, lane changes in sounding columns
    // that hold a cell, the loop marker before the first cell at or after the loop column.
    std::vector<TimedBytes> otherEvents(int p, int64_t lastNoteTick) const {
        const auto& part = rs_.parts[static_cast<size_t>(p)];
        const int ch = channel(p);
        std::vector<TimedBytes> out;
        const int64_t step = exporting_ ? 60 : 0;
        int64_t t = exporting_ ? 180 : 0;
        for (const Ev& e : partSetUp(exporting_, ch, part.reverb, part.chorus, part.program)) {
            out.emplace_back(t, e.bytes);
            t += step;
        }
        std::vector<bool> hasCell(kGridCols, false);
        for (const auto& n : part.notes)
            for (int x = n.head; x <= n.end(); ++x)
                hasCell[static_cast<size_t>(x)] = true;
        std::array<int, 5> last{64, 0, 127, 64, 0};
        bool marked = false;
        const int32_t q = loopCol();
        for (int x = opt_.ViewCol; x < kGridCols; ++x) {
            if (!hasCell[static_cast<size_t>(x)])
                continue;
            if (q >= 0 && !marked && x >= q) {
                out.emplace_back(fileTick(60 * q), kLoopMarker);
                marked = true;
            }
            if (part.Sounding[x] != 1)
                continue;
            const std::array<int, 5> now{part.PitLane[x], part.ModLane[x], part.ExpLane[x],
                                         part.PanLane[x], part.HolLane[x]};
            const int controller[5] = {-1, 1, 11, 10, 64};
            for (size_t k = 0; k < 5; ++k) {
                if (now[k] == last[k])
                    continue;
                out.emplace_back(fileTick(60 * x), k == 0 ? Bytes{static_cast<uint8_t>(0xE0 | ch),
                                                                  0, static_cast<uint8_t>(now[k])}
                                                          : cc(ch, controller[k], now[k]));
                last[k] = now[k];
            }
        }
        int64_t end = std::max(out.back().first, lastNoteTick);
        if (q < 0) {
            end += 480;
            out.emplace_back(end, program(ch, 0));
        }
        out.emplace_back(end, kEndOfTrack);
        return out;
    }

    // Conductor events after the tempo at the start: a time signature where a measure
    // after the first shown one starts with a new length (always at the first such start),
    // a tempo wherever the tempo lane changes.
    std::vector<TimedBytes> conductorChanges() const {
        std::vector<TimedBytes> out;
        const int e = songEnd();
        int m = opt_.firstMeasure + 1;
        for (int x = opt_.ViewCol + 1; x < e; ++x) {
            if (m <= song_.MeasureCount() && x == song_.SumMeasureLen(m - 1)) {
                const int len = song_.MeasureLen.len(m);
                if (m == opt_.firstMeasure + 1 || len != song_.MeasureLen.len(m - 1)) {
                    const auto ts = timeSig(static_cast<uint8_t>(len % 8 == 0 ? len / 8 : len / 4),
                                            len % 8 == 0 ? 2 : 3);
                    out.emplace_back(fileTick(60 * x), ts);
                }
                ++m;
            }
            if (song_.TemLane[x] != song_.TemLane[x - 1])
                out.emplace_back(fileTick(60 * x), tempoEv(60'000'000 / song_.TemLane[x]));
        }
        return out;
    }

private:
    const Song& song_;
    const RandomSong& rs_;
    const MidiExportOptions& opt_;
    bool exporting_;
};

// Reads the notes of a track back, checking that each key is turned on and off in turn.
std::vector<HeardNote> heardNotes(const std::vector<SmfEvent>& track, int64_t startTick,
                                  std::vector<TimedBytes>& others) {
    std::map<int, std::pair<int64_t, int>> sounding; // key -> on tick, velocity
    std::vector<HeardNote> notes;
    for (const auto& e : track) {
        if ((e.status() & 0xF0) != 0x90) {
            others.emplace_back(e.tick, e.bytes);
            continue;
        }
        const int key = e.bytes[1];
        const int vel = e.bytes[2];
        const auto it = sounding.find(key);
        if (vel > 0) {
            EXPECT_EQ(it, sounding.end()) << "key " << key << " on again at " << e.tick;
            sounding[key] = {e.tick, vel};
        } else if (it != sounding.end()) {
            notes.emplace_back(it->second.first, e.tick, key, it->second.second);
            sounding.erase(it);
        } else {
            // Only a note begun before the first shown column ends without its start.
            EXPECT_GT(startTick, 0) << "key " << key << " off without on at " << e.tick;
            notes.emplace_back(-1, e.tick, key, -1);
        }
    }
    EXPECT_TRUE(sounding.empty()) << sounding.size() << " notes left sounding";
    std::sort(notes.begin(), notes.end());
    return notes;
}

class RandomSongExportTest : public MidiWriterTest, public ::testing::WithParamInterface<unsigned> {
protected:
    void checkFile(const RandomSong& rs, const MidiExportOptions& opt) {
        const Bytes bytes = write(opt);
        SmfFile f;
        ASSERT_NO_THROW(f = SmfReader(bytes).read());
        const SongExpectation want(song, rs, opt);
        std::vector<int> parts;
        for (int p = 0; p < kParts; ++p)
            if (want.included(p))
                parts.push_back(p);
        ASSERT_EQ(f.format, 1);
        ASSERT_EQ(f.division, 480);
        ASSERT_EQ(f.declaredTracks, static_cast<int>(f.tracks.size()));
        ASSERT_EQ(f.tracks.size(), parts.size() + 1);
        uint32_t lastEnd = 0;
        for (const auto& track : f.tracks)
            lastEnd = std::max(lastEnd, track.back().tick);
        EXPECT_EQ(lastTick, lastEnd) << "the last tick a player must reach";

        std::vector<TimedBytes> conductor;
        for (const auto& e : f.tracks[0])
            conductor.emplace_back(e.tick, e.bytes);
        const size_t head = opt.ExportMode == 1 ? 7 : 6; // texts .. first tempo
        ASSERT_GE(conductor.size(), head + 1);
        EXPECT_EQ(std::vector<TimedBytes>(conductor.begin() + head, conductor.end() - 1),
                  want.conductorChanges());

        for (size_t i = 0; i < parts.size(); ++i) {
            const int p = parts[i];
            std::vector<TimedBytes> others;
            const auto heard = heardNotes(f.tracks[i + 1], opt.ViewCol, others);
            const auto expected = want.notes(p);
            EXPECT_EQ(heard, expected) << "part " << p;
            int64_t lastNote = 0;
            for (const auto& n : expected)
                lastNote = std::max(lastNote, std::get<1>(n));
            EXPECT_EQ(others, want.otherEvents(p, lastNote)) << "part " << p;
        }
    }
};

TEST_P(RandomSongExportTest, ExportSoundsLikeTheSong) {
    std::mt19937 rng(GetParam());
    const RandomSong rs = makeRandomSong(song, tmp.folder(), midi, rng);
    checkFile(rs, MidiExportOptions::forExport());
}

TEST_P(RandomSongExportTest, PlaybackFromAnyMeasureSoundsLikeTheRest) {
    std::mt19937 rng(GetParam() + 1000);
    const RandomSong rs = makeRandomSong(song, tmp.folder(), midi, rng);
    std::array<uint8_t, kParts> playing{};
    for (auto& f : playing)
        f = std::bernoulli_distribution(0.7)(rng) ? 1 : 0;
    const int measure = std::uniform_int_distribution<int>(1, song.MeasureCount())(rng);
    checkFile(rs, MidiExportOptions::forPlayback(song, measure, playing));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSongExportTest, ::testing::Range(1u, 41u));

} // namespace
} // namespace zelk
