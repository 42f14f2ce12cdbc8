#pragma once

#include "model/CurrentPart.h"
#include "model/Lane.h"
#include "model/MeasureTable.h"
#include "model/UndoRing.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zelk {

// The whole song: song-level data, the current part and the undo ring. There is no
// global song; whoever needs it gets a reference.
struct Song {
    MeasureTable MeasureLen;
    // Key signature of measure m at index m - 1 (indexes 0..MeasureCount). Bit k set:
    // rows with row % 7 == k are altered by KeyShift; bit 7 marks a flat key.
    std::vector<uint8_t> KeyMask;
    std::vector<int32_t> KeyShift;
    TempoLane TemLane; // beats per minute from each column on
    std::array<uint8_t, 16> DrumPart{};
    uint8_t KeyCode = 0; // key shown in the signature drop-downs: mask + 128 for a flat key
    int32_t KeySign = 1;
    int32_t MeasureCols = 32; // length of the first shown measure
    uint8_t BeatCols = 8;
    uint8_t LoopOn = 0;
    int32_t LoopMeasure = 0; // loop point: measure number - 1
    std::string SongTitle;
    std::string SongCopyright;
    std::string FilePath;
    std::string FileName;
    uint8_t Dirty = 0;
    // Tempo reference: the tempo drop-down's list index (bpm - 1) and the value the whole
    // tempo lane is shifted against.
    int32_t TempoIndex = 119;
    int32_t TempoBase = 120;

    uint8_t CurPart = 0;
    CurrentPart part;
    UndoRing undo;

    int MeasureCount() const { return MeasureLen.count(); }
    int32_t SumMeasureLen(int n) const { return MeasureLen.SumMeasureLen(n); }
    // Sizes KeyMask and KeyShift to indexes 0..MeasureCount, all 0.
    void resetKeySignatures();
};

// Spacing of beat lines for a measure of the given length.
uint8_t beatColsFor(int measureCols);

// Channel index a part's notes play on: 9 for a rhythm part, otherwise the part number.
int channelOf(const Song& song, int part);
bool usesRhythmKeys(const Song& song, int part);

// Sounding key of a note-on in the given row and column of a part. The key signature is
// that of the measure holding the column.
int headKey(const Song& song, int part, int row, int col, int32_t cellValue);
// Sounding key of a note-off: end accidental bits and the key of the measure holding
// column col - 1, where the note last sounded.
int endKey(const Song& song, int part, int row, int col, int32_t cellValue);
// Key of a row with the given accidental and the key signature of measure index k (m - 1).
int keyInMeasure(const Song& song, int row, bool sharp, bool flat, int measureIndex);

// The model side of a song reset: every song-level value and the current part to their
// initial state. A new song first calls clearForNewSong.
void resetSongModel(Song& song);
void clearForNewSong(Song& song);

} // namespace zelk
