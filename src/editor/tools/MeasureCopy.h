#pragma once

#include "editor/EditContext.h"

#include <string>
#include <vector>

namespace zelk {

inline constexpr std::string_view kMeasureCopyTitle = "小節コピー・クリア";
inline constexpr std::string_view kRangeWrong = "小節範囲が間違ってます";
inline constexpr std::string_view kNotSameTime = "コピー元、コピー先共に全て同じ拍子にしてください";
// The source's message ends with one blank; the destination's has none.
inline constexpr std::string_view kSourceNoteCrosses =
    "音符が二つの小節にまたがっているとできません ";
inline constexpr std::string_view kDestinationNoteCrosses =
    "音符が二つの小節にまたがっているとできません";

// The measure copy and clear window Form2: what its controls hold. Measures are list
// indexes (measure number − 1), parts are part numbers.
struct MeasureCopyForm {
    bool clearMode = false; // Option2: コピー / クリア
    bool allParts = false;  // Option1: １パート / 全パート
    int sourcePart = 0;     // Combo1(3)
    int destPart = 0;       // Combo1(4)
    int sourceFirst = 0;    // Combo1(0)
    int sourceLast = 0;     // Combo1(1)
    int destFirst = 0;      // Combo1(2)
    // Text1: the last destination measure, counted from 1.
    int destLastMeasure() const { return destFirst + 1 + sourceLast - sourceFirst; }
};

// Form_Load: the current part and the first shown measure everywhere.
MeasureCopyForm Form2_Load(const Song& song, const ViewState& view);
// A click on any measure list: the source range stays ordered.
void Form2_Combo1_Click(MeasureCopyForm& form);

// Captions that follow the mode.
std::string_view rangeFrameCaption(const MeasureCopyForm& form); // "コピー範囲" / "クリア範囲"
std::string_view sourceCaption(const MeasureCopyForm& form); // "コピー元" / "クリア先"

// What OK did: the messages to show, in order (one per refused part), and whether the
// song changed at all.
struct MeasureCopyResult {
    std::vector<std::string> messages;
    // Beside each message: where it happened ("パート2の5小節目の頭で…"), or empty.
    std::vector<std::string> details;
    EditOutcome outcome;
};

// OK: the range check, a snapshot before, the copy or clear of one part or of every part
// with a work file, the view to the destination measure, a snapshot after. The
// measure clipboard is an in-memory buffer with the layout of the "copy" file.
MeasureCopyResult Form2_Command1_Click(EditContext& ctx, MeasureCopyForm& form);

} // namespace zelk
