#include "model/MeasureArrays.h"

#include "model/Song.h"

namespace zelk {

MeasureArrays MeasureArrays::of(const Song& song) {
    return {song.MeasureLen, song.KeyMask,     song.KeyShift, song.TemLane,    song.KeyCode,
            song.KeySign,    song.MeasureCols, song.BeatCols, song.TempoIndex, song.TempoBase};
}

bool MeasureArrays::sameMeaning(const MeasureArrays& o) const {
    if (KeyShift.size() != o.KeyShift.size() || KeyMask != o.KeyMask)
        return false;
    for (size_t i = 0; i < KeyShift.size(); ++i)
        if ((KeyMask[i] & 127) != 0 && KeyShift[i] != o.KeyShift[i])
            return false;
    MeasureArrays a = *this;
    a.KeyShift = o.KeyShift;
    return a == o;
}

void MeasureArrays::applyTo(Song& song) const {
    song.MeasureLen = MeasureLen;
    song.KeyMask = KeyMask;
    song.KeyShift = KeyShift;
    song.TemLane = TemLane;
    song.KeyCode = KeyCode;
    song.KeySign = KeySign;
    song.MeasureCols = MeasureCols;
    song.BeatCols = BeatCols;
    song.TempoIndex = TempoIndex;
    song.TempoBase = TempoBase;
}

} // namespace zelk
