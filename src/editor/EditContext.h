#pragma once

#include "editor/EditorState.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/Compressor.h"
#include "ports/MidiOut.h"

#include <algorithm>
#include <string>

namespace zelk {

// What one editing action of the main window works on. The window owns every piece and
// passes them in for the call; nothing here outlives it.
struct EditContext {
    Song& song;
    EditorState& editor;
    const AppFolder& folder;      // work files (a part left without notes loses its file)
    MidiOut& out;                 // previews and part headers
    const Compressor& compressor; // undo snapshots of the measure copy
};

// Keys of step entry, which the window runs (step entry edits through undo).
enum class StepCommand : uint8_t { None, Toggle, Rest, Back, Left, Right };

// What the window must do after an action. Read-outs that follow the state (Label1,
// Label2, the palette buttons, Mundo/Mrido, the pointer shape) can be mirrored after any
// call; these flags say what else changed.
struct EditOutcome {
    // Text of a refusal box (OK button, application title); empty when none.
    std::string message;
    bool redraw = false;   // DrawScore
    bool relayout = false; // Form_Resize, then DrawScore
    // The current part changed: Option1, the program/reverb/chorus drop-downs and the
    // layout (rhythm part or not) follow.
    bool partChanged = false;
    // The first shown measure changed (ShowPosition has run): scroll bar, title and the
    // signature drop-downs follow.
    bool positionChanged = false;
    // The whole song was replaced from an undo snapshot: as after loading a project.
    bool songReplaced = false;
    bool paletteChanged = false;          // note length, accidental, tuplet mode, band or screen
    bool playStop = false;                // run the play button's action (Command4)
    bool seamAudition = false;            // run "つなぎ目を試聴"
    StepCommand step = StepCommand::None; // a step-entry key the window runs
    // Lane columns whose values changed, as display columns (first..last); -1 when none.
    // The window repaints only their strip when nothing else needs a redraw.
    int32_t laneFirst = -1;
    int32_t laneLast = -1;
    bool lineMoved = false; // the rubber-band line was shown, moved or hidden
    // The selection's band or the outline of its drag changed: the canvas's overlay
    // follows (drawSelectionGesture), the score underneath is unchanged.
    bool overlayChanged = false;

    void laneChanged(int32_t displayCol) {
        laneFirst = laneFirst < 0 ? displayCol : std::min(laneFirst, displayCol);
        laneLast = std::max(laneLast, displayCol);
    }

    bool refused() const { return !message.empty(); }
    EditOutcome& operator|=(const EditOutcome& o);
};

inline EditOutcome& EditOutcome::operator|=(const EditOutcome& o) {
    if (message.empty())
        message = o.message;
    redraw |= o.redraw;
    relayout |= o.relayout;
    partChanged |= o.partChanged;
    positionChanged |= o.positionChanged;
    songReplaced |= o.songReplaced;
    paletteChanged |= o.paletteChanged;
    playStop |= o.playStop;
    seamAudition |= o.seamAudition;
    if (o.step != StepCommand::None)
        step = o.step;
    if (o.laneFirst >= 0) {
        laneChanged(o.laneFirst);
        laneChanged(o.laneLast);
    }
    lineMoved |= o.lineMoved;
    overlayChanged |= o.overlayChanged;
    return *this;
}

} // namespace zelk
