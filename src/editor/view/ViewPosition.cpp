#include "editor/view/ViewPosition.h"

#include "editor/view/PointerMapping.h"
#include "editor/view/Signatures.h"

#include <algorithm>
#include <stdexcept>

namespace zelk {

std::string windowTitle(int firstMeasure, int shownMeasures, std::string_view fileName,
                        bool loopPoint) {
    std::string t(kAppTitle);
    t += " - ";
    t += std::to_string(firstMeasure);
    if (shownMeasures <= 1) {
        t += "小節目 - ";
    } else {
        t += "小節～";
        t += std::to_string(firstMeasure + shownMeasures - 1);
        t += "小節 - ";
    }
    t += fileName;
    if (loopPoint)
        t += " - ループポイント";
    return t;
}

std::string windowTitle(const Song& song, const ViewState& view) {
    const bool loop = song.LoopOn == 1 && song.LoopMeasure == view.FirstMeasure - 1;
    return windowTitle(view.FirstMeasure, view.ShownMeasures, song.FileName, loop);
}

void ShowPosition(Song& song, ViewState& view, SignatureControls& sig) {
    view.ViewCol = song.SumMeasureLen(view.FirstMeasure - 1);
    song.MeasureCols = song.MeasureLen.len(view.FirstMeasure);
    ShowTimeSignature(song, sig);
    showKeySignature(song, view, sig);
    view.Title = windowTitle(song, view);
}

void HScroll1_Change(Song& song, ViewState& view, SignatureControls& sig) {
    const int max = scrollMax(song);
    // The scroll bar keeps its value inside 1..Max; a song shorter than the shown
    // measures stays on measure 1 and shows empty room after its end.
    view.FirstMeasure = std::clamp(view.FirstMeasure, 1, std::max(1, max));
    while (view.FirstMeasure + view.ShownMeasures - 1 > max && view.FirstMeasure > 1)
        --view.FirstMeasure;
    ShowPosition(song, view, sig);
}

bool showColumn(Song& song, ViewState& view, SignatureControls& sig, int32_t column) {
    if (columnShown(view, column))
        return false;
    view.FirstMeasure = std::max(1, song.MeasureLen.measureOfColumn(column));
    HScroll1_Change(song, view, sig);
    return true;
}

bool scrollMeasures(Song& song, ViewState& view, SignatureControls& sig, int delta) {
    const int target = std::clamp(view.FirstMeasure + delta, 1, std::max(1, scrollMax(song)));
    if (target == view.FirstMeasure)
        return false;
    view.FirstMeasure = target;
    HScroll1_Change(song, view, sig);
    return true;
}

void Mkakudai_Click(Song& song, ViewState& view, SignatureControls& sig, int index) {
    if (index < 1 || index > 7)
        throw std::out_of_range("measures shown outside 1..7");
    view.ShownMeasures = static_cast<uint8_t>(index);
    view.Title = windowTitle(view.FirstMeasure, view.ShownMeasures, song.FileName, false);
    HScroll1_Change(song, view, sig);
}

} // namespace zelk
