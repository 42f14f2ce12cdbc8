#include "editor/lanes/LaneValues.h"

#include "editor/Palette.h"
#include "editor/view/Nearest.h"

#include <stdexcept>

namespace zelk {

namespace {

template <typename Part> auto& controllerLane(Part& p, int screen) {
    switch (screen) {
    case ScreenVel:
        return p.VelLane;
    case ScreenPit:
        return p.PitLane;
    case ScreenMod:
        return p.ModLane;
    case ScreenExp:
        return p.ExpLane;
    case ScreenPan:
        return p.PanLane;
    case ScreenHol:
        return p.HolLane;
    default:
        throw std::out_of_range("no controller lane on this screen");
    }
}

} // namespace

int32_t controllerValueAt(const ViewState& view, double y) {
    return 127 - nearest(y) / view.LaneScale;
}

int32_t tempoValueAt(const ViewState& view, double y) {
    return nearest(300.0 - y / (view.ScaleHeight / 300.0));
}

int32_t laneValue(const Song& song, int screen, int col) {
    if (screen == ScreenTem)
        return song.TemLane[col];
    return controllerLane(song.part, screen)[col];
}

void setLaneValue(Song& song, int screen, int col, int32_t value) {
    if (screen == ScreenTem)
        song.TemLane[col] = value;
    else
        controllerLane(song.part, screen)[col] = static_cast<uint8_t>(value);
}

} // namespace zelk
