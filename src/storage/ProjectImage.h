#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk {

// One part section of a project text, already checked as a work file. Only its place is
// kept: holding the numbers of all sixteen parts would cost more than scanning one again.
struct PartSection {
    bool present = false;      // false: the section was a lone "-2"
    size_t begin = 0, end = 0; // its lines in ProjectImage::text
    bool standard = false;     // the bytes are already in the form our writers use
};

// Everything a project text holds, read and checked completely, so that a load can refuse
// a damaged file before it replaces anything.
struct ProjectImage {
    std::string text; // the expanded project text the sections point into

    std::optional<int32_t> loopMeasure; // the "-3" section, when there was one
    std::string title;
    std::string copyright;
    // The layout without measure section: every measure is MeasureCols long, one tempo
    // from the tempo index everywhere, and (without "-1" section) one key everywhere.
    bool olderLayout = false;
    std::vector<uint8_t> measureLen; // measures 1..n; empty in the older layout
    std::vector<int32_t> tempo;      // tempo of columns 0..SumMeasureLen(n) - 1
    std::optional<std::array<uint8_t, 16>> drumPart;
    int32_t measureCols = 0;
    uint8_t keyCode = 0;
    // KeyMask(i), KeyShift(i) from index 0 on; nothing without a "-1" section.
    std::optional<std::vector<std::pair<uint8_t, int32_t>>> keys;
    int32_t tempoIndex = 0;
    std::array<PartSection, 16> parts;

    int measureCount() const;

    std::string_view partBytes(int p) const {
        const auto& s = parts[static_cast<size_t>(p)];
        return std::string_view(text).substr(s.begin, s.end - s.begin);
    }
    // The numbers of part p's section; nothing when the part has none.
    std::optional<std::vector<int64_t>> partValues(int p) const;
    // Part p's work file as our writers write it.
    std::string partText(int p) const;
};

// Reads and checks a whole project text, current or older layout, CR LF or LF. Throws
// FormatError with a one-line reason ("line 12: measure length 3 outside 4..48").
ProjectImage parseProjectText(std::string text);

} // namespace zelk
