#pragma once

#include "editor/EditContext.h"

#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// Refusals of the edits of many notes besides the song end and the measure end (both
// "小節超えて音符を置けません", CommitClick.h).
inline constexpr std::string_view kNotesOverlap = "ほかの音符と重なるので置けません";
inline constexpr std::string_view kNoteOutsideRows = "音域の外には音符を置けません";
inline constexpr std::string_view kNoteBeforeStart = "曲の始めより前には音符を置けません";

// The lanes a note takes along: the velocity of its head column and the pitch bend,
// modulation and expression of the columns it sounds in.
CarriedNote carry(const CurrentPart& part, const NoteSpan& note);

// Whether a note could stand in its row: none of its columns holds another note, and a
// plain head does not start under a tuplet note still sounding in its column, nor a tuplet
// note end after a plain head in its end column.
bool overlapsNotes(const NoteGrid& grid, const NoteSpan& note);

// Why notes cannot stand where they are to go, "" when they can: a row outside the grid,
// a head before the song's start, an end mark after the song's last column, or (when their
// columns changed) a note across a bar line.
std::string placementRefusal(const Song& song, const std::vector<CarriedNote>& placed,
                             bool columnsMoved);

// Other places for one placed note, tried in turn when the first overlaps.
using NoteAlternatives = std::vector<std::vector<NoteSpan>>;

// Replaces `lifted` (notes of the current part) by `placed`, all or nothing. Lifted notes
// leave their lanes as a removal does; a placed note gives the columns it makes sound its
// carried values, and a head column without heads its velocity. Refused
// (placementRefusal, or a note that overlaps one that stays) with the part untouched;
// done, it is one undo step and the placed notes are the selection.
EditOutcome replaceNotes(EditContext& ctx, const std::vector<NoteSpan>& lifted,
                         std::vector<CarriedNote> placed, bool columnsMoved,
                         const NoteAlternatives* alternatives = nullptr);

} // namespace zelk
