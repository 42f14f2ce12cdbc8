#include "editor/tools/MeasureCopy.h"

#include "editor/entry/PartChange.h"
#include "editor/view/ViewPosition.h"
#include "model/Cell.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "storage/Snapshots.h"

#include <filesystem>
#include <optional>

namespace zelk {
namespace {

// The measure clipboard: per column seven lane values, then the head layer of the first
// column, the whole cells of the inner columns and the end layer of the column after.
using Clipboard = std::vector<int32_t>;

constexpr int32_t kNeutralLanes[7] = {0, 0, 64, 0, 127, 64, 0};

void selectPart(EditContext& ctx, int part) {
    if (part != ctx.song.CurPart)
        changePart(ctx, part);
}

bool sameLength(const Song& song, int firstIndex, int lastIndex, int len) {
    for (int m = firstIndex + 1; m <= lastIndex + 1; ++m)
        if (song.MeasureLen.len(m) != len)
            return false;
    return true;
}

bool noteCrosses(const CurrentPart& part, int col) {
    for (int r = 0; r < kRows; ++r)
        if (part.Grid(r, col) & cell::Body)
            return true;
    return false;
}

Clipboard copyColumns(const CurrentPart& p, int s, int n, bool neutral) {
    Clipboard clip;
    clip.reserve(static_cast<size_t>(n) * (7 + kRows) + kRows);
    for (int x = s; x < s + n; ++x) {
        if (neutral) {
            clip.insert(clip.end(), std::begin(kNeutralLanes), std::end(kNeutralLanes));
            continue;
        }
        for (const ByteLane* lane :
             {&p.Sounding, &p.VelLane, &p.PitLane, &p.ModLane, &p.ExpLane, &p.PanLane, &p.HolLane})
            clip.push_back((*lane)[x]);
    }
    const auto cells = [&](int x, int32_t mask) {
        for (int r = 0; r < kRows; ++r)
            clip.push_back(neutral ? 0 : p.Grid(r, x) & mask);
    };
    cells(s, cell::HeadLayer);
    for (int x = s + 1; x < s + n; ++x)
        cells(x, ~0);
    cells(s + n, cell::EndLayer);
    return clip;
}

void pasteColumns(CurrentPart& p, const Clipboard& clip, int d, int n) {
    size_t i = 0;
    for (int x = d; x < d + n; ++x)
        for (ByteLane* lane :
             {&p.Sounding, &p.VelLane, &p.PitLane, &p.ModLane, &p.ExpLane, &p.PanLane, &p.HolLane})
            (*lane)[x] = static_cast<uint8_t>(clip[i++]);
    for (int r = 0; r < kRows; ++r) // a note ending at the first column stays
        p.Grid(r, d) = (p.Grid(r, d) & cell::EndLayer) + clip[i++];
    for (int x = d + 1; x < d + n; ++x)
        for (int r = 0; r < kRows; ++r)
            p.Grid(r, x) = clip[i++];
    for (int r = 0; r < kRows; ++r) // a note starting at the column after stays
        p.Grid(r, d + n) = (p.Grid(r, d + n) & cell::HeadLayer) + clip[i++];
}

int lastEndMark(const CurrentPart& p, int from) {
    for (int x = from; x >= 0; --x)
        for (int r = 0; r < kRows; ++r)
            if (p.Grid(r, x) & cell::End)
                return x;
    return -1;
}

void settlePartLen(EditContext& ctx, int upTo) {
    CurrentPart& p = ctx.song.part;
    if (p.PartLen > upTo)
        return;
    const int end = lastEndMark(p, upTo);
    if (end >= 0) {
        p.PartLen = end;
        return;
    }
    forgetEmptiedPart(ctx.song, ctx.folder);
}

struct CopyRefusal {
    std::string message;
    std::string detail;
};

// Where a note crosses a bar line that the range cuts: named, so it can be found.
CopyRefusal crossingAt(const EditContext& ctx, std::string_view message, int col) {
    const int m = ctx.song.MeasureLen.measureOfColumn(col);
    return {std::string(message), "パート" + std::to_string(ctx.song.CurPart + 1) + "の" +
                                      std::to_string(m) +
                                      "小節目の頭で音符が小節線をまたいでいます"};
}

// One part's copy or clear; a refusal returns its message and changes nothing of the part.
std::optional<CopyRefusal> CopyMeasures(EditContext& ctx, MeasureCopyForm& form) {
    Song& song = ctx.song;
    const int s0 = form.sourceFirst;
    const int s1 = form.sourceLast;
    const int len = song.MeasureLen.len(s0 + 1);
    selectPart(ctx, form.sourcePart);
    if (!sameLength(song, s0, s1, len))
        return CopyRefusal{std::string(kNotSameTime), {}};
    const int s = song.SumMeasureLen(s0);
    const int n = (s1 - s0 + 1) * len;
    for (int edge : {s, s + n})
        if (noteCrosses(song.part, edge))
            return crossingAt(ctx, kSourceNoteCrosses, edge);
    const Clipboard clip = copyColumns(song.part, s, n, form.clearMode);
    if (form.clearMode) {
        form.destPart = form.sourcePart;
        form.destFirst = form.sourceFirst;
    }
    selectPart(ctx, form.destPart);
    const int d0 = form.destFirst;
    if (!sameLength(song, d0, form.destLastMeasure() - 1, len))
        return CopyRefusal{std::string(kNotSameTime), {}};
    const int d = song.SumMeasureLen(d0);
    for (int edge : {d, d + n})
        if (noteCrosses(song.part, edge))
            return crossingAt(ctx, kDestinationNoteCrosses, edge);
    pasteColumns(song.part, clip, d, n);
    settlePartLen(ctx, d + n);
    return std::nullopt;
}

SnapshotView destinationView(const Song& song, const MeasureCopyForm& form) {
    return {song.SumMeasureLen(form.destFirst), form.destFirst + 1, form.destPart};
}

} // namespace

MeasureCopyForm Form2_Load(const Song& song, const ViewState& view) {
    MeasureCopyForm form;
    form.sourcePart = form.destPart = song.CurPart;
    form.sourceFirst = form.sourceLast = form.destFirst = view.FirstMeasure - 1;
    return form;
}

void Form2_Combo1_Click(MeasureCopyForm& form) {
    if (form.sourceFirst > form.sourceLast)
        form.sourceLast = form.sourceFirst;
}

std::string_view rangeFrameCaption(const MeasureCopyForm& form) {
    return form.clearMode ? "クリア範囲" : "コピー範囲";
}

std::string_view sourceCaption(const MeasureCopyForm& form) {
    return form.clearMode ? "クリア先" : "コピー元";
}

MeasureCopyResult Form2_Command1_Click(EditContext& ctx, MeasureCopyForm& form) {
    MeasureCopyResult result;
    Song& song = ctx.song;
    ctx.editor.selection.clear(); // its notes may be copied over or cleared
    // The window's lists may be older than the song (a load or an undo lowered the measure
    // count while it stayed open): every choice is checked against the song as it is now.
    const auto inSong = [&](int index) { return index >= 0 && index < song.MeasureCount(); };
    const auto isPart = [](int p) { return p >= 0 && p < kParts; };
    if (!inSong(form.sourceFirst) || !inSong(form.sourceLast) || !inSong(form.destFirst) ||
        form.sourceFirst > form.sourceLast || !isPart(form.sourcePart) || !isPart(form.destPart) ||
        form.destLastMeasure() > song.MeasureCount()) {
        result.messages.emplace_back(kRangeWrong);
        result.details.emplace_back();
        return result;
    }
    SnapshotPair pair(song, ctx.folder, ctx.compressor, destinationView(song, form));
    SavePartFile(song, ctx.folder);
    const auto refused = [&](const std::optional<CopyRefusal>& r) {
        if (!r)
            return;
        result.messages.push_back(r->message);
        result.details.push_back(r->detail);
    };
    if (!form.allParts) {
        refused(CopyMeasures(ctx, form));
    } else {
        for (int p = 0; p < kParts; ++p) {
            if (!std::filesystem::exists(ctx.folder.workFile(p)))
                continue;
            form.sourcePart = form.destPart = p;
            refused(CopyMeasures(ctx, form));
        }
    }
    ctx.editor.view.FirstMeasure = form.destFirst + 1;
    HScroll1_Change(song, ctx.editor.view, ctx.editor.signatures);
    pair.finish(destinationView(song, form));
    // Ctrl+Z undoes the whole operation at once.
    ctx.editor.menus.Mundo = true;
    ctx.editor.menus.Mrido = false;
    result.outcome.partChanged = result.outcome.positionChanged = true;
    result.outcome.relayout = true;
    return result;
}

} // namespace zelk
