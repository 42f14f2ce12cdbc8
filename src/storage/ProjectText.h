#pragma once

#include <array>
#include <cstdint>
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
// The part sections, made in two steps: each part's work file goes in as it is (from
// memory or from disk) with its "-2", then finish() checks every section, on every core for
// a large song, and rewrites in standard form those that are not. A work file that is not
// one the editor could have written throws FormatError naming the first such part, so a
// save never produces a project the loader refuses.
class PartSections {
public:
    explicit PartSections(std::string& out) : out_(out) {}
    void add(int part, std::string_view workFile);
    // The work file on disk, read straight into the text.
    void addFile(int part, const std::filesystem::path& workFile);
    // A part without work file.
    void addNone() { out_ += "-2\r\n"; }
    // scratch is working memory, kept by the caller to keep the big buffers warm.
    void finish(std::vector<int64_t>& scratch);

private:
    struct Span {
        int part;
        size_t begin, end; // the work file's bytes in the text
    };
    void close(int part, size_t begin);
    void rewrite(const std::vector<uint8_t>& standard, std::vector<int64_t>& scratch);

    std::string& out_;
    std::vector<Span> spans_;
};
// Bytes that the sections before the parts need at most, for reserving.
size_t songSectionsSize(const Song& song);
std::string formatProjectText(const Song& song, const WorkFileTexts& workFiles);

// Reads the work files of all parts from the folder.
WorkFileTexts readWorkFiles(const AppFolder& folder);

} // namespace zelk
