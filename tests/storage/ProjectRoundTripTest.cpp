#include "StorageTestSupport.h"

#include "model/Limits.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace zelk {
namespace {

class ProjectRoundTripTest : public ::testing::Test {
protected:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    std::string randomText() {
        static const char* pieces[] = {"a", "Z", " ", "-3", "曲", "ｼﾝﾊﾞﾙ", "(C)", "\t", "9"};
        std::string s;
        for (int i = pick(0, 12); i > 0; --i)
            s += pieces[pick(0, 8)];
        return s;
    }

    void randomMeasures(Song& s) {
        const int count = pick(1, 400);
        std::vector<int> lens;
        int total = 0;
        for (int i = 0; i < count; ++i) {
            const int len = pick(kMinMeasureLen, kMaxMeasureLen);
            if (total + len > kMaxSongCols)
                break;
            lens.push_back(len);
            total += len;
        }
        s.MeasureLen.assign(static_cast<int>(lens.size()), kMinMeasureLen);
        for (size_t m = 0; m < lens.size(); ++m)
            s.MeasureLen.setLen(static_cast<int>(m) + 1, lens[m]);
        s.resetKeySignatures();
        for (size_t i = 0; i < s.KeyMask.size(); ++i) {
            s.KeyMask[i] = static_cast<uint8_t>(pick(0, 255));
            s.KeyShift[i] = pick(-1, 1);
        }
        for (int x = 0; x < kLaneCols; ++x)
            s.TemLane[x] = pick(0, kMaxTempo);
        s.MeasureCols = s.MeasureLen.len(1);
        s.BeatCols = beatColsFor(s.MeasureCols);
    }

    void randomPart(Song& s, int p) {
        s.CurPart = static_cast<uint8_t>(p);
        s.part.clearForSwitch();
        s.part.resetHeader();
        for (int i = pick(1, 120); i > 0; --i) {
            const int len = pick(1, 24);
            test::putNote(s, pick(0, 56), pick(0, kMaxSongCols - len), len, pick(0, 2) * 0x100,
                          pick(0, 3) == 0);
        }
        for (int x = 0; x <= s.part.PartLen; ++x) {
            s.part.VelLane[x] = static_cast<uint8_t>(pick(0, 127)); // 0 included
            s.part.PanLane[x] = static_cast<uint8_t>(pick(0, 127));
            s.part.HolLane[x] = static_cast<uint8_t>(pick(0, 127));
        }
        s.part.PartProgram = pick(0, 127);
        s.part.PartReverb = pick(0, 127);
        s.part.PartChorus = pick(0, 127);
        SavePartFile(s, source.folder());
    }

    Song randomSong() {
        Song s = test::freshSong();
        randomMeasures(s);
        for (auto& d : s.DrumPart)
            d = static_cast<uint8_t>(pick(0, 1));
        s.KeyCode = static_cast<uint8_t>(pick(0, 255));
        s.KeySign = s.KeyCode < 128 ? 1 : -1;
        s.LoopOn = static_cast<uint8_t>(pick(0, 1));
        s.LoopMeasure = s.LoopOn ? pick(0, s.MeasureCount() + 50) : 0;
        s.SongTitle = randomText();
        s.SongCopyright = randomText();
        s.TempoIndex = pick(0, 299);
        s.TempoBase = s.TempoIndex + 1;
        const int current = pick(0, 15);
        for (int p = 0; p < kParts; ++p)
            if (p != current && pick(0, 3) != 0)
                randomPart(s, p);
        randomPart(s, current); // stays in memory as the current part
        s.FilePath = (source.path() / "song.zelk").string();
        return s;
    }

    void expectSameSongLevel(const Song& a, const Song& b) {
        EXPECT_EQ(a.MeasureLen, b.MeasureLen);
        for (int x = 0; x < a.MeasureLen.totalCols(); ++x)
            ASSERT_EQ(a.TemLane[x], b.TemLane[x]) << x;
        EXPECT_EQ(a.KeyMask, b.KeyMask);
        EXPECT_EQ(a.KeyShift, b.KeyShift);
        EXPECT_EQ(a.DrumPart, b.DrumPart);
        EXPECT_EQ(a.KeyCode, b.KeyCode);
        EXPECT_EQ(a.KeySign, b.KeySign);
        EXPECT_EQ(a.MeasureCols, b.MeasureCols);
        EXPECT_EQ(a.BeatCols, b.BeatCols);
        EXPECT_EQ(a.LoopOn, b.LoopOn);
        if (a.LoopOn) {
            EXPECT_EQ(a.LoopMeasure, b.LoopMeasure);
        }
        EXPECT_EQ(a.SongTitle, b.SongTitle);
        EXPECT_EQ(a.SongCopyright, b.SongCopyright);
        EXPECT_EQ(a.TempoIndex, b.TempoIndex);
        EXPECT_EQ(a.TempoBase, b.TempoBase);
    }

    void expectSameCurrentPart(const CurrentPart& a, const CurrentPart& b) {
        EXPECT_TRUE(a.Grid == b.Grid);
        EXPECT_EQ(a.PartLen, b.PartLen);
        EXPECT_EQ(a.PartProgram, b.PartProgram);
        EXPECT_EQ(a.PartReverb, b.PartReverb);
        EXPECT_EQ(a.PartChorus, b.PartChorus);
        for (int x = 0; x <= a.PartLen; ++x) {
            ASSERT_EQ(a.Sounding[x], b.Sounding[x]);
            ASSERT_EQ(a.VelLane[x], b.VelLane[x]);
            ASSERT_EQ(a.PitLane[x], b.PitLane[x]);
            ASSERT_EQ(a.ModLane[x], b.ModLane[x]);
            ASSERT_EQ(a.ExpLane[x], b.ExpLane[x]);
            ASSERT_EQ(a.PanLane[x], b.PanLane[x]);
            ASSERT_EQ(a.HolLane[x], b.HolLane[x]);
        }
    }

    std::mt19937 rng{20240611};
    test::TempFolder source; // folder of the saving program
    GzipCompressor gzip;
};

TEST_F(ProjectRoundTripTest, RandomSongsComeBackValueForValue) {
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        for (int p = 0; p < kParts; ++p)
            std::filesystem::remove(source.folder().workFile(p));
        Song a = randomSong();
        a.Dirty = 1;
        SaveProject(a, source.folder(), gzip);

        test::TempFolder target; // a second program folder with no work files
        test::FakeMidiOut midi;
        Song b = test::freshSong();
        b.CurPart = a.CurPart;
        b.FilePath = a.FilePath;
        b.Dirty = 1;
        LoadProject(b, target.folder(), gzip, midi);

        expectSameSongLevel(a, b);
        expectSameCurrentPart(a.part, b.part);
        EXPECT_EQ(b.Dirty, 0);
        for (int p = 0; p < kParts; ++p)
            EXPECT_EQ(test::slurp(target.folder().workFile(p)),
                      test::slurp(source.folder().workFile(p)))
                << "work file of part " << p;
    }
}

TEST_F(ProjectRoundTripTest, SavingTheLoadedSongGivesTheSameFile) {
    Song a = randomSong();
    SaveProject(a, source.folder(), gzip);
    const std::string first = test::slurp(a.FilePath);
    test::TempFolder target;
    test::FakeMidiOut midi;
    Song b = test::freshSong();
    b.CurPart = a.CurPart;
    b.FilePath = (target.path() / "again.zelk").string();
    std::filesystem::copy_file(a.FilePath, b.FilePath);
    LoadProject(b, target.folder(), gzip, midi);
    SaveProject(b, target.folder(), gzip);
    EXPECT_EQ(gzip.expand(test::slurp(b.FilePath), kMaxProjectText),
              gzip.expand(first, kMaxProjectText));
}

} // namespace
} // namespace zelk
