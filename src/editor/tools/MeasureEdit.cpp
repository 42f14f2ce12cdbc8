#include "editor/tools/MeasureEdit.h"

#include "model/Cell.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "storage/Snapshots.h"

#include <algorithm>
#include <array>

namespace zelk {
namespace {

constexpr std::array<std::string_view, kEditLanes> kLaneCaptions = {"Vel.", "Pit.", "Mod.", "Exp.",
                                                                    "Pan.", "Hol.", "Tem."};
constexpr std::array<int, kEditLanes> kLaneDefaults = {100, 64, 0, 127, 64, 0, 120};

ByteLane& partLane(CurrentPart& p, int lane) {
    switch (lane) {
    case 0:
        return p.VelLane;
    case 1:
        return p.PitLane;
    case 2:
        return p.ModLane;
    case 3:
        return p.ExpLane;
    case 4:
        return p.PanLane;
    default:
        return p.HolLane;
    }
}

SnapshotView here(const EditContext& ctx) {
    return {ctx.editor.view.ViewCol, ctx.editor.view.FirstMeasure, ctx.song.CurPart};
}

// Before and after a change: one Ctrl+Z restores it, as for the measure copy.
template <typename Change> void asUndoStep(EditContext& ctx, Change&& change) {
    SnapshotPair pair(ctx.song, ctx.folder, ctx.compressor, here(ctx));
    change();
    pair.finish(here(ctx));
    ctx.editor.menus.Mundo = true;
    ctx.editor.menus.Mrido = false;
}

int shifted(int old, int delta, int lo, int hi) {
    return std::clamp(old + delta, lo, hi);
}

void editPartLane(CurrentPart& p, const MeasureEditForm& f, int s, int e) {
    ByteLane& lane = partLane(p, f.lane);
    const bool velocity = f.lane == 0;
    const int delta = f.op == LaneOp::Add ? f.value : -f.value;
    for (int c = s; c <= e; ++c) {
        if (velocity && lane[c] == 0) // only where a note starts
            continue;
        const int v =
            f.op == LaneOp::Set ? f.value : shifted(lane[c], delta, velocity ? 1 : 0, 127);
        lane[c] = static_cast<uint8_t>(v);
    }
}

void editTempo(Song& song, const MeasureEditForm& f, int s, int e) {
    const int delta = f.op == LaneOp::Add ? f.value : -f.value;
    for (int c = s; c <= e; ++c)
        song.TemLane[c] =
            f.op == LaneOp::Set ? f.value : shifted(song.TemLane[c], delta, 1, kMaxTempo);
}

bool measureIndexInSong(const Song& song, int index) {
    return index >= 0 && index < song.MeasureCount();
}

} // namespace

std::string_view laneCaption(int lane) {
    return kLaneCaptions.at(static_cast<size_t>(lane));
}

int laneDefault(int lane) {
    return kLaneDefaults.at(static_cast<size_t>(lane));
}

std::string_view opLabel(LaneOp op) {
    return op == LaneOp::Set ? "にする" : op == LaneOp::Add ? "加算する" : "減算する";
}

std::string loopLabel(const Song& song) {
    if (song.LoopOn != 1)
        return "設定なし";
    return std::to_string(song.LoopMeasure + 1) + "小節に設定中";
}

MeasureEditForm MeasureEdit_Load(const Song&, const ViewState& view) {
    MeasureEditForm form;
    form.rangeFirst = form.rangeLast = form.loopIndex = view.FirstMeasure - 1;
    MeasureEdit_Combo2_Click(form);
    return form;
}

void MeasureEdit_Combo3_Click(MeasureEditForm& form) {
    if (form.rangeFirst > form.rangeLast)
        form.rangeLast = form.rangeFirst;
}

void MeasureEdit_Combo2_Click(MeasureEditForm& form) {
    if (form.op != LaneOp::Set)
        return;
    form.valueCount = form.lane == kTempoLane ? kMaxTempo + 1 : 128;
    form.value = laneDefault(form.lane);
}

void MeasureEdit_Option1_Click(MeasureEditForm& form, LaneOp op) {
    form.op = op;
    // The list keeps the entries of the lane chosen while 固定 was on.
    form.value = op == LaneOp::Set ? laneDefault(form.lane) : 1;
}

std::optional<std::string_view> MeasureEdit_Command1_Click(EditContext& ctx,
                                                           const MeasureEditForm& form) {
    Song& song = ctx.song;
    if (!measureIndexInSong(song, form.rangeFirst) || !measureIndexInSong(song, form.rangeLast) ||
        form.rangeFirst > form.rangeLast || form.lane < 0 || form.lane >= kEditLanes)
        return kRangeWrong;
    if (form.op == LaneOp::Set && form.lane == 0 && form.value == 0)
        return kVelocityZeroRefused;
    if (form.op == LaneOp::Set && form.lane == kTempoLane && form.value < 1)
        return kTempoBelowOneRefused;
    if (form.op == LaneOp::Set && form.lane != kTempoLane && form.value > 127)
        return kAboveLaneRangeRefused;
    const int s = song.SumMeasureLen(form.rangeFirst);
    const int e = std::min(song.SumMeasureLen(form.rangeLast + 1) - 1, kMaxSongCols);
    if (s > e)
        return std::nullopt;
    asUndoStep(ctx, [&] {
        if (form.lane == kTempoLane)
            editTempo(song, form, s, e);
        else
            editPartLane(song.part, form, s, e);
    });
    return std::nullopt;
}

// After notes fell off the grid: the lanes and PartLen describe the notes that are left,
// so no later edit or export meets a note that is gone; a part left empty loses its work
// file, which still holds the notes from before the shift.
void settleAfterLoss(EditContext& ctx) {
    CurrentPart& p = ctx.song.part;
    int last = 0;
    for (int c = 0; c <= p.PartLen; ++c) {
        bool sounds = false, starts = false;
        for (int r = 0; r < kRows; ++r) {
            const int32_t v = p.Grid(r, c);
            sounds |= cell::startsOrSounds(v);
            starts |= cell::startsNote(v);
            if (v & cell::End)
                last = c;
        }
        if (c < kLaneCols) {
            p.Sounding[c] = sounds ? 1 : 0;
            if (!starts)
                p.VelLane[c] = 0;
        }
    }
    p.PartLen = last;
    if (last == 0)
        forgetEmptiedPart(ctx.song, ctx.folder);
}

bool shiftOctave(CurrentPart& p, bool down) {
    constexpr int kOctave = 7;
    bool lost = false;
    for (int c = 0; c <= p.PartLen; ++c) {
        if (!down) {
            for (int r = 0; r < kOctave; ++r)
                lost |= p.Grid(r, c) != 0;
            for (int r = 0; r < kRows; ++r)
                p.Grid(r, c) = r + kOctave < kRows ? p.Grid(r + kOctave, c) : 0;
        } else {
            for (int r = kRows - kOctave; r < kRows; ++r)
                lost |= p.Grid(r, c) != 0;
            for (int r = kRows - 1; r >= 0; --r)
                p.Grid(r, c) = r >= kOctave ? p.Grid(r - kOctave, c) : 0;
        }
    }
    return lost;
}

EditOutcome MeasureEdit_Command2_Click(EditContext& ctx, const MeasureEditForm& form) {
    CurrentPart& p = ctx.song.part;
    ctx.editor.selection.clear(); // its notes move to other rows
    asUndoStep(ctx, [&] {
        if (shiftOctave(p, form.octaveDown))
            settleAfterLoss(ctx);
    });
    EditOutcome out;
    out.redraw = true;
    return out;
}

std::optional<std::string_view> MeasureEdit_Command4_Click(Song& song,
                                                           const MeasureEditForm& form) {
    if (!measureIndexInSong(song, form.loopIndex))
        return kRangeWrong;
    song.LoopOn = 1;
    song.LoopMeasure = form.loopIndex;
    song.Dirty = 1;
    return std::nullopt;
}

void MeasureEdit_Command5_Click(Song& song) {
    song.LoopOn = 0;
    song.Dirty = 1;
}

} // namespace zelk
