#include "model/Song.h"

#include "model/Cell.h"
#include "model/Limits.h"
#include "model/RowTables.h"

#include <stdexcept>

namespace zelk {

void Song::resetKeySignatures() {
    const auto n = static_cast<size_t>(MeasureCount()) + 1;
    KeyMask.assign(n, 0);
    KeyShift.assign(n, 0);
}

uint8_t beatColsFor(int measureCols) {
    if (measureCols % 8 == 0)
        return 8;
    if (measureCols % 4 == 0)
        return 4;
    return 2;
}

int channelOf(const Song& song, int part) {
    if (part < 0 || part >= kParts)
        throw std::out_of_range("part outside 0..15");
    return song.DrumPart[static_cast<size_t>(part)] == 1 ? kRhythmChannel : part;
}

bool usesRhythmKeys(const Song& song, int part) {
    return channelOf(song, part) == kRhythmChannel;
}

int keyInMeasure(const Song& song, int row, bool sharp, bool flat, int measureIndex) {
    int key = RowNote(row) + (sharp ? 1 : 0) - (flat ? 1 : 0);
    // A column past the last measure has no key signature of its own.
    if (measureIndex >= 0 && measureIndex < static_cast<int>(song.KeyMask.size())) {
        const auto k = static_cast<size_t>(measureIndex);
        if (song.KeyMask[k] & (1u << rowStep(row)))
            key += song.KeyShift[k];
    }
    return key;
}

int headKey(const Song& song, int part, int row, int col, int32_t v) {
    if (usesRhythmKeys(song, part))
        return 84 - row;
    const int m = song.MeasureLen.measureOfColumn(col);
    return keyInMeasure(song, row, v & cell::Sharp, v & cell::Flat, m - 1);
}

int endKey(const Song& song, int part, int row, int col, int32_t v) {
    if (usesRhythmKeys(song, part))
        return 84 - row;
    const int m = song.MeasureLen.measureOfColumn(col - 1);
    return keyInMeasure(song, row, v & cell::EndSharp, v & cell::EndFlat, m - 1);
}

void clearForNewSong(Song& song) {
    song.part.Grid.clear();
    song.part.Sounding.fill(0);
    song.part.VelLane.fill(0);
    song.part.ModLane.fill(0);
    song.part.HolLane.fill(0);
    song.undo.clear();
}

void resetSongModel(Song& song) {
    song.MeasureLen.assign(kResetMeasureCount, kResetMeasureLen);
    song.resetKeySignatures();
    song.TempoIndex = 119;
    song.CurPart = 0;
    song.part.resetHeader();
    song.MeasureCols = kResetMeasureLen;
    song.BeatCols = 8;
    song.KeyCode = 0;
    song.KeySign = 1;
    song.Dirty = 0;
    song.LoopMeasure = 0;
    song.LoopOn = 0;
    song.undo.resetChain();
    song.DrumPart.fill(0);
    song.part.PanLane.fill(64);
    song.TemLane.fill(120);
    song.TempoBase = 120;
    song.DrumPart[kRhythmChannel] = 1;
    song.FileName.clear();
    song.FilePath.clear();
    song.SongTitle = "title";
    song.SongCopyright = "Copyright(C) by ?";
}

} // namespace zelk
