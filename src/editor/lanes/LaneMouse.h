#pragma once

#include "editor/EditContext.h"

namespace zelk {

// The canvas's mouse events on the lane screens (Vel. .. Tem.), in canvas twips with the
// same button and Shift codes as the score screen's (CanvasMouse.h). The canvas events
// call these; they are not entry points of their own.

// A press: any open stroke ends; the right button starts the line drag (LineX0, LineY0,
// Line1 from the press point down 7 twips, shown).
EditOutcome laneMouseDown(EditContext& ctx, int button, double x, double y);
// Hover and drag on a lane screen: Label10 and, with the left button, the value of the
// column under the pointer and of every column passed since the last event. With the line
// shown and the right button held only the line's end follows.
EditOutcome laneMouseMove(EditContext& ctx, int button, double x, double y);

// The release of a shown line: hides it and writes the columns from the press column to
// the release column, each with the drawn line's value there (the press column the
// line's start 7 twips over the press, the release column its end), clamped to the lane's
// range.
struct LineRelease {
    EditOutcome outcome;
    // The walk stopped early at the view's edge: the rest of the release is skipped.
    bool stopped = false;
};
LineRelease commitLaneLine(EditContext& ctx, double x, double y);

} // namespace zelk
