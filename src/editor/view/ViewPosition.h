#pragma once

#include "editor/SignatureControls.h"
#include "editor/ViewState.h"
#include "model/Song.h"

#include <string>
#include <string_view>

namespace zelk {

// Window caption for the shown measures: "<title> - v小節目 - <file>" for one measure,
// "<title> - v小節～e小節 - <file>" for several, plus " - ループポイント" when asked.
std::string windowTitle(int firstMeasure, int shownMeasures, std::string_view fileName,
                        bool loopPoint);
// The caption ShowPosition sets: the loop suffix when the loop point is the first shown
// measure.
std::string windowTitle(const Song& song, const ViewState& view);

// After every change of the scroll position: ViewCol and MeasureCols of the first shown
// measure, the signature drop-downs put to its time and key (without re-applying them)
// and the title. The window redraws afterwards (DrawScore).
void ShowPosition(Song& song, ViewState& view, SignatureControls& sig);

// The scroll bar's change handler, run after the window (or a command) has put a new
// value into view.FirstMeasure: steps the value back until every shown measure exists,
// then ShowPosition.
void HScroll1_Change(Song& song, ViewState& view, SignatureControls& sig);

// Moves the scroll bar by `delta` measures (the measure keys: ±1, ±10), keeping it in
// 1..Max. Returns false, changing nothing, when the value would not move; otherwise
// runs HScroll1_Change and the window redraws.
bool scrollMeasures(Song& song, ViewState& view, SignatureControls& sig, int delta);

// When `column` lies outside the shown columns, the view goes to its measure (as far as the
// scroll bar allows); true when the view moved.
bool showColumn(Song& song, ViewState& view, SignatureControls& sig, int32_t column);

// 凝縮表示 menu item 1..7: the number of measures shown side by side. The check mark
// belongs to item view.ShownMeasures.
void Mkakudai_Click(Song& song, ViewState& view, SignatureControls& sig, int index);

} // namespace zelk
