#pragma once

#include "editor/ActionResult.h"
#include "editor/Palette.h"
#include "editor/SignatureControls.h"
#include "editor/ViewState.h"
#include "model/Song.h"

#include <cstdint>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kTimeSignatureRefused = "その調子はここには設定できません";

// Combo5 entries "１/４" .. "７/８" and their measure lengths in columns.
inline constexpr int kTimeSignatures = 10;
std::string_view timeSignatureCaption(int listIndex);
int timeSignatureCols(int listIndex);
// List index of the entry with this measure length; -1 if none.
int timeSignatureIndexOf(int measureCols);

// Key mask of `count` sharps (flat = false) or flats, without the flat-key bit 128.
uint8_t keyMaskFor(bool flat, int count);

// Time signature chosen in Combo5: from the first shown measure to the end of the song
// the measures get the new length and the measure count is recomputed to fill 9600
// columns. Refused when a shown measure would no longer exist; the drop-down keeps the
// refused entry until the next scroll. The window redraws in both cases.
ActionResult Combo5_Click(Song& song, const ViewState& view, SignatureControls& sig, int listIndex);
// Puts Combo5 to the first shown measure's length without applying it.
void ShowTimeSignature(Song& song, SignatureControls& sig);

// Key drop-downs: each records its selection, then KeySignatureChanged.
void Combo6_Click(Song& song, const ViewState& view, SignatureControls& sig, int listIndex);
void Combo7_Click(Song& song, const ViewState& view, SignatureControls& sig, int listIndex);
// Applies the key of Combo6/Combo7 from the first shown measure to the end of the song.
// The window redraws afterwards.
void KeySignatureChanged(Song& song, const ViewState& view, SignatureControls& sig);
// Puts Combo6/Combo7 to the first shown measure's key without applying it.
void showKeySignature(const Song& song, const ViewState& view, SignatureControls& sig);

// Tempo drop-down (list index = bpm - 1): shifts the whole tempo lane by the difference
// to TempoBase, clamped to 1..300. Returns whether the canvas must be redrawn (only
// while the tempo lane is shown).
bool Combo2_Click(Song& song, const Palette& palette, int listIndex);

} // namespace zelk
