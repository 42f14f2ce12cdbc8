#pragma once

#include "editor/ViewState.h"
#include "model/Song.h"

#include <cstdint>

namespace zelk {

// The values of the effect lanes and their mapping to canvas heights. Screens 1..6 are
// the part's controller lanes (0..127), screen 7 the song's tempo lane (0..300).

// 127 - nearest(y) \ LaneScale: top is 127. Negative below the last whole step.
int32_t controllerValueAt(const ViewState& view, double y);
// nearest(300 - y / (ScaleHeight / 300)): top is 300, bottom 0.
int32_t tempoValueAt(const ViewState& view, double y);

int32_t laneValue(const Song& song, int screen, int col);
void setLaneValue(Song& song, int screen, int col, int32_t value);

} // namespace zelk
