#pragma once

// A main window of 1920 x 1080 pixels (15 twips per pixel) with the whole staff shown
// and every cell of the shown measures covered by notes: the heaviest redraw there is.

#include "editor/EditorState.h"
#include "editor/Palette.h"
#include "editor/view/DrawScore.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "editor/view/WindowLayout.h"
#include "model/Cell.h"
#include "model/Song.h"

namespace zelk::bench {

inline constexpr double kTwipsPerPixel = 15;

// Sixteenth notes in every row over the first `cols` columns, with a mix of
// accidentals, so every shown cell is a head or a body.
inline void fillWithNotes(Song& song, int cols) {
    auto& g = song.part.Grid;
    for (int row = 0; row < kRows; ++row) {
        for (int head = 0; head + 2 <= cols; head += 2) {
            const int32_t acc = (head / 2 + row) % 3 == 0   ? cell::Sharp
                                : (head / 2 + row) % 3 == 1 ? cell::Flat
                                                            : 0;
            g(row, head) |= cell::Head | acc;
            g(row, head + 1) |= cell::Body | acc;
            g(row, head + 2) |= cell::End | acc * 4;
        }
    }
}

struct Scene {
    Song song;
    EditorState ed;
    DrawList list;

    explicit Scene(int shownMeasures) {
        clearForNewSong(song);
        resetSongModel(song);
        fillWithNotes(song, 7 * 32 + 32);
        Combo7_Click(song, ed.view, ed.signatures, 3); // a key, so notes take every colour
        Option2_Click(ed.palette, ed.view, BandWhole);
        Mkakudai_Click(song, ed.view, ed.signatures, shownMeasures);
        Form_Resize(song, ed.view, 1920 * kTwipsPerPixel, 1080 * kTwipsPerPixel, true);
    }
};

} // namespace zelk::bench
