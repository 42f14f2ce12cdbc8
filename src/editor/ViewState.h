#pragma once

#include "model/Song.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kAppTitle = "ゼルク式ＭＩＤＩシーケンサ";

// Where the main window looks into the song and the geometry its last redraw used.
// Canvas units are twips (1/1440 inch); line widths are pixels. The song-level
// MeasureCols and BeatCols live in Song; the scroll bar's maximum is the song's
// MeasureCount.
struct ViewState {
    // The scroll bar's value (HScroll1.Value): the first shown measure, 1-based.
    int32_t FirstMeasure = 1;
    // Grid column at the left edge of the canvas: the first column of FirstMeasure.
    int32_t ViewCol = 0;
    // Grid row at the top of the canvas: 0 (上段), 14 (中段) or 28 (下段) with StaffZoom 1,
    // 0 with StaffZoom 2 (全体). Always a multiple of 7.
    uint8_t TopRow = 14;
    // 1: 28 row steps shown; 2: all 57 rows.
    uint8_t StaffZoom = 1;
    // Measures shown side by side, 1..7 (the checked item of the 凝縮表示 menu).
    uint8_t ShownMeasures = 1;

    // Geometry set by DrawScore's first step and by Form_Resize; the mouse handling
    // converts pointer positions with the values the last redraw left here.
    int32_t ShownCols = 32;    // ShownMeasures x MeasureCols
    int32_t ColWidth = 0;      // twips per column
    int32_t RowHeight = 0;     // twips between two adjacent row centre lines
    int32_t ClickColWidth = 0; // twips per display slot: ColWidth, or ColWidth*4\3 for tuplets
    uint8_t BeatStep = 8;      // display slots between beat lines
    uint8_t LaneScale = 0;     // twips per effect value step

    // Tuplet interpretation of the last pointer resolution (mouse entry; kept in undo records).
    int32_t TupletBit = 0;   // 0, or 0x1000 in tuplet interpretation
    int32_t TupletFix = 0;   // tuplet slot \ 3
    uint8_t TupletShift = 0; // 1 when the slot is the third of its group

    // Inner size of the canvas (Picture1.ScaleWidth, ScaleHeight) in twips.
    double ScaleWidth = 0;
    double ScaleHeight = 0;
    // Twips per screen pixel: the lane line's step is taken from the pixels its segment
    // covers.
    double TwipsPerPixel = 15.0;

    // The window caption.
    std::string Title = std::string(kAppTitle) + " - 1小節目 -";
};

// The scroll bar's maximum: the number of measures of the song.
inline int scrollMax(const Song& song) {
    return song.MeasureCount();
}

} // namespace zelk
