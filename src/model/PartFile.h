#pragma once

#include "model/AppFolder.h"
#include "model/CurrentPart.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct Song;
class MidiOut;

// Work file of one part, one decimal number per CR LF line: PartLen, PartProgram,
// PartReverb, PartChorus; seven lane values per column 0..PartLen; then the grid cells
// column by column, row by row, where "-1", n stands for n empty cells before the next
// nonzero one and empty cells after the last nonzero one are not written.
std::string formatPartFile(const CurrentPart& part);

// Numbers of a work file, one per line. Throws FormatError on a line that is no number.
std::vector<int64_t> parsePartNumbers(std::string_view text);
// Empty when the numbers form a work file the editor could have written, else the reason.
std::string checkPartNumbers(std::span<const int64_t> values);
// Puts checked numbers into the part: clears the grid, sets header, lanes 0..PartLen and
// cells. Lane columns above PartLen keep their values.
void applyPartNumbers(std::span<const int64_t> values, CurrentPart& part);

// The length (last note-off column) of part p as its work file states it in its first line;
// 0 without a work file or when the line is no number. Reads that line only.
int32_t storedPartLen(const AppFolder& folder, int p);
// The last note-off column of the whole song: the current part in memory, the others from
// their work files.
int32_t songLastNoteOffCol(const Song& song, const AppFolder& folder);

// Checked numbers of part p's work file; nothing when the part has none. Throws
// FormatError for a damaged file.
std::optional<std::vector<int64_t>> readPartFile(const AppFolder& folder, int p);

// Writes the current part to its work file; a part without notes writes nothing.
void SavePartFile(const Song& song, const AppFolder& folder);
// After an edit left the current part without notes: PartLen 0 and no work file, so no
// reader meets the notes the file still held.
void forgetEmptiedPart(Song& song, const AppFolder& folder);
// Makes part p's stored data the current part's data. Without a work file the part's
// default sound is sent on channel p instead. Throws FormatError (song untouched) for a
// damaged work file.
void LoadPartFile(Song& song, const AppFolder& folder, MidiOut& out, int p);

// The second half of LoadPartFile, for callers that read and checked the file earlier.
void applyLoadedPart(Song& song, MidiOut& out, int p,
                     const std::optional<std::vector<int64_t>>& values);

} // namespace zelk
