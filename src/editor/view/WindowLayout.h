#pragma once

#include "editor/ViewState.h"
#include "model/Limits.h"
#include "model/Song.h"

#include <array>
#include <optional>
#include <string_view>

namespace zelk {

// A control's place in the window, in twips.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const TwipRect&) const = default;
};

// One drum-name label Label5(b) beside the canvas of a rhythm part.
struct DrumLabel {
    bool visible = false;
    int32_t top = 0; // twips
    int fontSize = 9;
    std::string_view caption;
};

inline constexpr int kDrumLabels = 50;
// The labels stand in the strip between the part frame and the canvas.
inline constexpr int32_t kDrumLabelLeft = 1200;
inline constexpr int32_t kDrumLabelWidth = 930;

// What the window's resize handler decides; the window applies it to its controls.
struct WindowLayout {
    TwipRect canvas;    // Picture1
    TwipRect scrollBar; // HScroll1
    // Option1(p) text in red for rhythm parts, else black.
    std::array<bool, kParts> partCaptionRed{};
    bool rhythmPart = false;
    bool programEnabled = false;     // Combo1
    bool accidentalsEnabled = false; // Command2(0), Command2(1), Command3
    std::array<DrumLabel, kDrumLabels> drumLabels{};
};

// The canvas's size in twips and the lane step that follows from its height. The window
// calls it again with the size the canvas really got in whole pixels, so that LaneScale
// belongs to the height the lanes are drawn on.
void setCanvasExtent(ViewState& view, double width, double height);

// Form_Resize for a window whose inner size is scaleWidth x scaleHeight twips. Returns
// nothing (and changes nothing) while the window is 1320 twips high or less. Otherwise
// sets the canvas size, LaneScale and ClickColWidth of the view; the window then applies
// the layout and redraws (DrawScore). The program list stays disabled while playback
// runs (the File menu is disabled then).
std::optional<WindowLayout> Form_Resize(const Song& song, ViewState& view, double scaleWidth,
                                        double scaleHeight, bool fileMenuEnabled);

} // namespace zelk
