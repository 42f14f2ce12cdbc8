#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct Song;
class AppFolder;

// The project text: one value per CR LF line, decimal numbers, texts as they are.
//
//   "-3", LoopMeasure                     only when LoopOn = 1
//   SongTitle
//   "-4"
//   per measure m: MeasureLen(m), then TemLane of each column of m
//   "-5"
//   SongCopyright
//   "-6"
//   DrumPart(0) .. DrumPart(15)
//   MeasureLen(1)                         read back as MeasureCols
//   BeatCols
//   KeyCode
//   "-1"
//   KeyMask(i), KeyShift(i)               i = 0..MeasureCount
//   "-2"
//   tempo index                           beats per minute - 1
//   per part 0..15: the lines of its work file, then "-2"
//
// The negative lines are markers; the reader knows them only by their exact text.

// Work file texts of parts 0..15; nothing for a part without work file.
using WorkFileTexts = std::array<std::optional<std::string>, 16>;

// Everything before the part sections.
void appendSongSections(std::string& out, const Song& song);
// One part section: the work file's lines as numbers in standard form, then "-2". Throws
// FormatError naming the part when the work file is not one the editor could have written,
// so a save never produces a project the loader refuses.
// scratch is working memory, reused across parts to keep the big buffers warm.
void appendPartSection(std::string& out, std::string_view workFile, int part,
                       std::vector<int64_t>& scratch);
// The same from the work file on disk, read straight into out.
void appendPartFile(std::string& out, const std::filesystem::path& workFile, int part,
                    std::vector<int64_t>& scratch);
// Bytes that the sections before the parts need at most, for reserving.
size_t songSectionsSize(const Song& song);
std::string formatProjectText(const Song& song, const WorkFileTexts& workFiles);

// Reads the work files of all parts from the folder.
WorkFileTexts readWorkFiles(const AppFolder& folder);

} // namespace zelk
