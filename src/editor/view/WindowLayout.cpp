#include "editor/view/WindowLayout.h"

#include "editor/view/DrawScore.h"
#include "editor/view/Nearest.h"
#include "model/RowTables.h"

#include <algorithm>

namespace zelk {

namespace {

constexpr double kCanvasTop = 960;
constexpr double kCanvasLeft = 1200;
constexpr double kRhythmCanvasLeft = 2160;
constexpr double kScrollLeft = 120;
constexpr double kScrollHeight = 255;
// Labels stand 85 twips above their row line so the text centres on it.
constexpr int32_t kLabelRaise = 85;

void placeDrumLabels(const ViewState& view, double canvasHeight, WindowLayout& out) {
    const int32_t r = nearest(canvasHeight) / 28;
    const auto top = static_cast<int32_t>(kCanvasTop);
    if (view.StaffZoom == 1) {
        for (int b = 0; b <= 28; ++b)
            out.drumLabels[static_cast<size_t>(b)] = {true, top + r * b - kLabelRaise, 9,
                                                      DrumName(view.TopRow + b)};
        return; // Label5(29..49) stay hidden
    }
    for (int b = 0; b < kDrumLabels; ++b)
        out.drumLabels[static_cast<size_t>(b)] = {true, top + (r / 2) * b - kLabelRaise, 8,
                                                  DrumName(b)};
}

} // namespace

std::optional<WindowLayout> Form_Resize(const Song& song, ViewState& view, double scaleWidth,
                                        double scaleHeight, bool fileMenuEnabled) {
    if (scaleHeight <= 1320)
        return std::nullopt;
    WindowLayout out;
    for (int p = 0; p < kParts; ++p)
        out.partCaptionRed[static_cast<size_t>(p)] = song.DrumPart[static_cast<size_t>(p)] == 1;
    out.rhythmPart = showsAsRhythmPart(song);
    const double left = out.rhythmPart ? kRhythmCanvasLeft : kCanvasLeft;
    // A window narrower than the palette leaves an empty canvas rather than a negative one.
    const double width = std::max(0.0, scaleWidth - (left + 120));
    const double height = scaleHeight - 1080;
    out.canvas = {left, kCanvasTop, width, height};
    out.scrollBar = {kScrollLeft, 0, std::max(0.0, scaleWidth - 240), kScrollHeight};
    out.programEnabled = !out.rhythmPart && fileMenuEnabled;
    out.accidentalsEnabled = !out.rhythmPart;
    if (out.rhythmPart)
        placeDrumLabels(view, height, out);

    setCanvasExtent(view, width, height);
    view.ClickColWidth = view.ColWidth;
    return out;
}

void setCanvasExtent(ViewState& view, double width, double height) {
    view.ScaleWidth = width;
    view.ScaleHeight = height;
    // LaneScale is a byte; a canvas taller than 255 x 127 twips keeps the largest step.
    view.LaneScale = static_cast<uint8_t>(std::clamp(nearest(height) / 127, 1, 255));
}

} // namespace zelk
