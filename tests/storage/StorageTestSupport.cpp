#include "StorageTestSupport.h"

#include "files/TextLines.h"
#include "platform/GzipCompressor.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

namespace zelk::test {

Song smallSong() {
    Song s = freshSong();
    s.MeasureLen.assign(2, 8);
    s.MeasureLen.setLen(2, 4);
    s.resetKeySignatures();
    s.MeasureCols = 8;
    for (int x = 0; x < 12; ++x)
        s.TemLane[x] = 100 + x;
    return s;
}

void writeProjectText(const std::filesystem::path& file, std::string_view text) {
    writeWholeFile(file, GzipCompressor().compress(text));
}

void expectSameSong(const Song& a, const Song& b) {
    EXPECT_EQ(a.MeasureLen, b.MeasureLen);
    EXPECT_EQ(a.KeyMask, b.KeyMask);
    EXPECT_EQ(a.KeyShift, b.KeyShift);
    EXPECT_TRUE(a.TemLane == b.TemLane);
    EXPECT_EQ(a.DrumPart, b.DrumPart);
    EXPECT_EQ(a.KeyCode, b.KeyCode);
    EXPECT_EQ(a.KeySign, b.KeySign);
    EXPECT_EQ(a.MeasureCols, b.MeasureCols);
    EXPECT_EQ(a.BeatCols, b.BeatCols);
    EXPECT_EQ(a.LoopOn, b.LoopOn);
    EXPECT_EQ(a.LoopMeasure, b.LoopMeasure);
    EXPECT_EQ(a.SongTitle, b.SongTitle);
    EXPECT_EQ(a.SongCopyright, b.SongCopyright);
    EXPECT_EQ(a.FilePath, b.FilePath);
    EXPECT_EQ(a.FileName, b.FileName);
    EXPECT_EQ(a.Dirty, b.Dirty);
    EXPECT_EQ(a.TempoIndex, b.TempoIndex);
    EXPECT_EQ(a.TempoBase, b.TempoBase);
    EXPECT_EQ(a.CurPart, b.CurPart);
    EXPECT_TRUE(a.part.Grid == b.part.Grid);
    EXPECT_TRUE(a.part.Sounding == b.part.Sounding);
    EXPECT_TRUE(a.part.VelLane == b.part.VelLane);
    EXPECT_TRUE(a.part.PitLane == b.part.PitLane);
    EXPECT_TRUE(a.part.ModLane == b.part.ModLane);
    EXPECT_TRUE(a.part.ExpLane == b.part.ExpLane);
    EXPECT_TRUE(a.part.PanLane == b.part.PanLane);
    EXPECT_TRUE(a.part.HolLane == b.part.HolLane);
    EXPECT_EQ(a.part.PartLen, b.part.PartLen);
    EXPECT_EQ(a.part.PartProgram, b.part.PartProgram);
    EXPECT_EQ(a.part.PartReverb, b.part.PartReverb);
    EXPECT_EQ(a.part.PartChorus, b.part.PartChorus);
    EXPECT_EQ(a.undo.UndoPos, b.undo.UndoPos);
    EXPECT_EQ(a.undo.SnapshotNo, b.undo.SnapshotNo);
}

} // namespace zelk::test
