#pragma once

#include "editor/Palette.h"
#include "editor/ViewState.h"
#include "editor/view/DrawList.h"

#include <optional>
#include <string>

namespace zelk {

struct Song;

// Small texts on the score screen, for finding one's way: the number of each shown measure
// at the top of its bar line, and the C of each octave at the left edge of a melodic part's
// staff (C4 is middle C).
void drawMeasureNumbers(const Song& song, const Palette& palette, const ViewState& view,
                        DrawList& out);
void drawPitchRuler(const Song& song, const ViewState& view, DrawList& out);

// The name of the note a row sounds in measure index m (m - 1 of the measure number) with
// the palette's accidental: "F#4", "Bb3", "C##5" (octaves as MIDI numbers them, middle C is
// C4).
std::string noteNameAt(const Song& song, int row, int accidental, int measureIndex);

// What the pointer at (x, y) in twips is over on the score screen: the note name as it would
// sound there and "measure:beat", or over a rhythm part the drum's name and its General MIDI
// note number. Nothing outside the grid.
std::optional<std::string> pointerReadout(const Song& song, const Palette& palette,
                                          const ViewState& view, double x, double y);

} // namespace zelk
