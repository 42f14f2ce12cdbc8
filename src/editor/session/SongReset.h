#pragma once

#include "editor/EditorState.h"
#include "model/Song.h"

namespace zelk {

// ResetSong: the song to its initial state (resetSongModel) and the editor state the
// reset touches: the tuplet correction, beat step and tuplet bit of the view, the
// accidental, the selected notes (the clipboard stays), and the selections of the signature
// drop-downs (４/４, ♯, 0; the tempo drop-down's index is song data). The selections are set
// without running their change handlers: the reset already leaves the song exactly as they would
// (300 measures of 4/4, no key), and a first shown measure past the new end moves to the last
// measure. The window then shows the new song (HScroll1_Change, Form_Resize, DrawScore).
void ResetSong(Song& song, EditorState& editor);

} // namespace zelk
