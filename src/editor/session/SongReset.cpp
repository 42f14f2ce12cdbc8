#include "editor/session/SongReset.h"

#include <algorithm>

namespace zelk {

void ResetSong(Song& song, EditorState& editor) {
    resetSongModel(song);
    ViewState& view = editor.view;
    view.FirstMeasure = std::clamp(view.FirstMeasure, 1, scrollMax(song));
    view.TupletFix = 0;
    view.BeatStep = 0;
    view.TupletShift = 0;
    view.TupletBit = 0;
    editor.palette.Accidental = 0;
    editor.lanes = LaneEditState{}; // no stroke of the old song is recorded in the new ring
    editor.selection.clear();
    SignatureControls& sig = editor.signatures;
    sig.Combo5Index = 3;
    sig.Combo6Index = 0;
    sig.Combo7Index = 0;
}

} // namespace zelk
