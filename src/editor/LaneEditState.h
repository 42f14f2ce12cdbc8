#pragma once

#include <cstdint>
#include <map>
#include <optional>

namespace zelk {

// The rubber-band line Line1 of a right drag, in canvas twips.
struct RubberLine {
    bool visible = false;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// The lane stroke being drawn: which lane it writes, where the view was, and the value
// each column had before the stroke first wrote it.
struct PendingStroke {
    bool open = false;
    uint8_t screen = 0;
    int32_t part = 0;
    int32_t viewCol = 0;
    int32_t firstMeasure = 1;
    std::map<int32_t, int32_t> before; // column -> value before the stroke
};

struct LanePoint {
    double x = 0, y = 0; // canvas twips
};

// What the lane screens keep between canvas events.
struct LaneEditState {
    int32_t LineX0 = 0; // X of the right press, rounded half to even
    int32_t LineY0 = 0; // nearest(Y - 7) of the right press
    RubberLine Line1;
    PendingStroke stroke;
    // Where the pointer was at the last event of a left drag, so the columns a fast
    // pointer jumps over are filled in; empty while no left drag runs.
    std::optional<LanePoint> dragFrom;
};

} // namespace zelk
