#include "support/SongBuilder.h"

#include "model/Cell.h"

#include <algorithm>

namespace zelk::test {

Song freshSong() {
    Song s;
    clearForNewSong(s);
    resetSongModel(s);
    return s;
}

void putNote(Song& song, int row, int head, int len, int32_t accidental, bool tuplet) {
    auto& p = song.part;
    auto& g = p.Grid;
    g(row, head) |= cell::Head | accidental | (tuplet ? cell::TupletHead : 0);
    for (int x = head + 1; x < head + len; ++x)
        g(row, x) |= cell::Body | accidental | (tuplet ? cell::TupletBody : 0);
    g(row, head + len) |= cell::End | accidental * 4 | (tuplet ? cell::TupletEnd : 0);
    for (int x = head; x < head + len; ++x) {
        if (!p.Sounding[x]) {
            p.Sounding[x] = 1;
            p.PitLane[x] = 64;
            p.ModLane[x] = 0;
            p.ExpLane[x] = 127;
        }
    }
    if (p.VelLane[head] == 0)
        p.VelLane[head] = 100;
    p.PartLen = std::max(p.PartLen, head + len);
}

} // namespace zelk::test
