#pragma once

#include "editor/EditContext.h"
#include "editor/tools/MeasureCopy.h"

#include <optional>
#include <string>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kMeasureEditTitle = "小節編集";
inline constexpr std::string_view kVelocityZeroRefused = "0に設定できません";
inline constexpr std::string_view kTempoBelowOneRefused = "1以下に設定できません";
// The value list keeps the tempo's 0..300 after a change of lane; a lane byte holds 0..127.
inline constexpr std::string_view kAboveLaneRangeRefused = "127を超える値は設定できません";

enum class LaneOp { Set = 0, Add = 1, Subtract = 2 }; // 固定, 加算, 減算
inline constexpr int kEditLanes = 7;                  // Vel. Pit. Mod. Exp. Pan. Hol. Tem.
inline constexpr int kTempoLane = 6;

// The measure-edit window: what its controls hold. Measures are list indexes (measure
// number − 1).
struct MeasureEditForm {
    bool octaveDown = false; // Combo1(3): 上げる / 下げる
    int rangeFirst = 0;      // Combo3(0)
    int rangeLast = 0;       // Combo3(1)
    int lane = 0;            // Combo2
    int valueCount = 128;    // entries of Combo1(1): 0..127, for "Tem." 0..300
    int value = 100;         // Combo1(1) list index = the value
    LaneOp op = LaneOp::Set; // Option1
    int loopIndex = 0;       // Combo4
};

std::string_view laneCaption(int lane);  // "Vel." .. "Tem."
int laneDefault(int lane);               // 100, 64, 0, 127, 64, 0, 120
std::string_view opLabel(LaneOp op);     // Label5: "にする", "加算する", "減算する"
std::string loopLabel(const Song& song); // Label6: "n小節に設定中" or "設定なし"

MeasureEditForm MeasureEdit_Load(const Song& song, const ViewState& view);
void MeasureEdit_Combo3_Click(MeasureEditForm& form);
void MeasureEdit_Combo2_Click(MeasureEditForm& form);
void MeasureEdit_Option1_Click(MeasureEditForm& form, LaneOp op);

// The lane edit over the measure range; a refusal (checked before anything changes,
// also a range the song no longer has: "小節範囲が間違ってます") returns its message. A change is
// one undo step (a snapshot pair) and makes the song dirty.
std::optional<std::string_view> MeasureEdit_Command1_Click(EditContext& ctx,
                                                           const MeasureEditForm& form);
// The octave shift of the current part (the whole part, whatever the range says); rows leaving the
// grid are lost (and PartLen and the lanes then follow the notes that are left). One undo step.
EditOutcome MeasureEdit_Command2_Click(EditContext& ctx, const MeasureEditForm& form);
// Loop point set and clear; both make the song dirty (the project file keeps it). A loop
// measure the song no longer has is refused with its message.
std::optional<std::string_view> MeasureEdit_Command4_Click(Song& song, const MeasureEditForm& form);
void MeasureEdit_Command5_Click(Song& song);

} // namespace zelk
