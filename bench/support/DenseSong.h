#pragma once

// A large song for benchmarks: 16 parts, 300 measures of 4/4, in every part a note
// starting on every eighth in two or three rows, every lane and the tempo varying. All
// sixteen work files are written to the folder; part 0 is the current part.

#include "model/AppFolder.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/Song.h"

namespace zelk::bench {

inline constexpr int kDenseNoteLen = 4; // an eighth note

// A plain note as the editor stores it; notes back to back share their boundary cell.
inline void putDenseNote(CurrentPart& part, int row, int head, int len) {
    part.Grid(row, head) |= cell::Head;
    for (int x = head + 1; x < head + len; ++x)
        part.Grid(row, x) |= cell::Body;
    part.Grid(row, head + len) |= cell::End;
    if (head + len > part.PartLen)
        part.PartLen = head + len;
}

inline void fillDensePart(CurrentPart& part, int p) {
    part.clearForSwitch();
    part.resetHeader();
    part.PartProgram = (p * 8) % 128;
    part.PartChorus = p;
    const int baseRow = 10 + p * 2;
    for (int head = 0; head + kDenseNoteLen <= kResetMeasureCount * kResetMeasureLen;
         head += kDenseNoteLen) {
        const int eighth = head / kDenseNoteLen;
        putDenseNote(part, baseRow, head, kDenseNoteLen);
        putDenseNote(part, baseRow + 2, head, kDenseNoteLen);
        if (eighth % 2 == 0)
            putDenseNote(part, baseRow + 4, head, kDenseNoteLen);
        part.VelLane[head] = static_cast<uint8_t>(60 + (eighth * 7 + p) % 60);
    }
    for (int x = 0; x <= part.PartLen; ++x) {
        const bool sounding = x < part.PartLen;
        part.Sounding[x] = sounding ? 1 : 0;
        part.PitLane[x] = static_cast<uint8_t>(sounding ? 40 + (x * 3 + p) % 48 : 64);
        part.ModLane[x] = static_cast<uint8_t>(sounding ? (x / 8 + p) % 100 : 0);
        part.ExpLane[x] = static_cast<uint8_t>(sounding ? 127 - (x / 16) % 60 : 127);
        part.PanLane[x] = static_cast<uint8_t>((x / 32 * 5 + p * 9) % 128);
        part.HolLane[x] = static_cast<uint8_t>((x / 32) % 2 == 0 ? 0 : 127);
    }
}

// Fills the song and writes every part's work file; parts are filled from 15 down so
// part 0 stays in memory as the current part.
inline void buildDenseSong(Song& song, const AppFolder& folder) {
    clearForNewSong(song);
    resetSongModel(song);
    for (int x = 0; x < kLaneCols; ++x)
        song.TemLane[x] = 60 + (x / 8 * 11) % 200;
    song.SongTitle = "dense benchmark song";
    song.LoopOn = 1;
    song.LoopMeasure = 8;
    for (int p = kParts - 1; p >= 0; --p) {
        song.CurPart = static_cast<uint8_t>(p);
        fillDensePart(song.part, p);
        SavePartFile(song, folder);
    }
}

} // namespace zelk::bench
