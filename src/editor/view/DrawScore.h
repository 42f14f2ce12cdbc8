#pragma once

#include "editor/Palette.h"
#include "editor/ViewState.h"
#include "editor/view/DrawList.h"
#include "model/Song.h"

namespace zelk {

// A rhythm part shows drum names, no key marks and no accidental colours.
bool showsAsRhythmPart(const Song& song);

// The first step of every redraw: ShownCols, ColWidth, RowHeight, ClickColWidth, BeatStep
// and TupletBit from the canvas size, the shown measures and the tuplet mode.
void computeGeometry(const Song& song, const Palette& palette, ViewState& view);

class GhostLayer;
struct NoteSelection;

// What the window adds to the score screen's picture: other parts' notes faintly under
// everything (null: none), the measure numbers and the pitch ruler over everything, and
// the selected notes marked (null: none).
struct ScoreExtras {
    const GhostLayer* ghosts = nullptr;
    bool labels = false;
    int32_t entryColumn = -1; // step entry's column (a song column), -1 when not entering
    const NoteSelection* selection = nullptr;
};

// Repaints the whole canvas: sets the geometry, then fills `out` (cleared first, its
// storage reused) with the drawing calls in painting order. The score screen draws
// column lines, staff lines, key marks and notes; a lane screen draws its grid and bars.
void DrawScore(const Song& song, const Palette& palette, ViewState& view, DrawList& out,
               const ScoreExtras& extras = {});

} // namespace zelk
