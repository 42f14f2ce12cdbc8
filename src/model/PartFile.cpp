#include "model/PartFile.h"

#include "model/Cell.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/Song.h"
#include "model/TextLines.h"
#include "platform/MidiOut.h"

#include <filesystem>

namespace zelk {
namespace {

constexpr int kHeaderLines = 4;
constexpr int kLanesPerColumn = 7;
// The reader walks columns 0..9600; a note end never lies beyond the last song column.
constexpr int64_t kWalkCells = static_cast<int64_t>(kRows) * kLaneCols;

std::array<ByteLane*, kLanesPerColumn> lanesOf(CurrentPart& p) {
    return {&p.Sounding, &p.VelLane, &p.PitLane, &p.ModLane, &p.ExpLane, &p.PanLane, &p.HolLane};
}

std::string checkHeader(std::span<const int64_t> v) {
    if (v.size() < kHeaderLines)
        return "part file ends inside its header";
    if (v[0] < 1 || v[0] > kMaxSongCols)
        return "part length " + std::to_string(v[0]) + " outside 1..9600";
    for (int i = 1; i < kHeaderLines; ++i)
        if (v[static_cast<size_t>(i)] < 0 || v[static_cast<size_t>(i)] > 127)
            return "part program, reverb or chorus outside 0..127";
    return {};
}

} // namespace

std::string formatPartFile(const CurrentPart& part) {
    std::string out;
    const int len = part.PartLen;
    out.reserve(static_cast<size_t>(len + 1) * 40 + 64);
    appendNumberLine(out, part.PartLen);
    appendNumberLine(out, part.PartProgram);
    appendNumberLine(out, part.PartReverb);
    appendNumberLine(out, part.PartChorus);
    const ByteLane* lanes[] = {&part.Sounding, &part.VelLane, &part.PitLane, &part.ModLane,
                               &part.ExpLane,  &part.PanLane, &part.HolLane};
    for (int x = 0; x <= len; ++x)
        for (const ByteLane* lane : lanes)
            appendNumberLine(out, (*lane)[x]);
    int64_t run = 0;
    for (int x = 0; x <= len; ++x) {
        for (int r = 0; r < kRows; ++r) {
            const int32_t v = part.Grid(r, x);
            if (v == 0) {
                ++run;
                continue;
            }
            if (run != 0) {
                out += "-1\r\n";
                appendNumberLine(out, run);
                run = 0;
            }
            appendNumberLine(out, v);
        }
    }
    return out;
}

std::vector<int64_t> parsePartNumbers(std::string_view text) {
    std::vector<int64_t> values;
    values.reserve(text.size() / 3);
    LineCursor lines(text);
    std::string_view line;
    while (lines.next(line)) {
        auto v = parseInteger(line);
        if (!v)
            throw FormatError("part file line " + std::to_string(lines.lineNumber()) +
                              " is not a number");
        values.push_back(*v);
    }
    return values;
}

std::string checkPartNumbers(std::span<const int64_t> v) {
    if (auto err = checkHeader(v); !err.empty())
        return err;
    const int64_t len = v[0];
    const size_t laneEnd = kHeaderLines + static_cast<size_t>(len + 1) * kLanesPerColumn;
    if (v.size() < laneEnd)
        return "part file ends inside its lanes";
    for (size_t i = kHeaderLines; i < laneEnd; ++i)
        if (v[i] < 0 || v[i] > 255)
            return "lane value " + std::to_string(v[i]) + " outside 0..255";
    // Cells stay inside columns 0..PartLen, where the writer put them.
    const int64_t limit = static_cast<int64_t>(kRows) * (len + 1);
    int64_t pos = 0;
    for (size_t i = laneEnd; i < v.size(); ++i) {
        if (v[i] == -1) {
            if (i + 1 >= v.size() || v[i + 1] < 1)
                return "bad run of empty cells";
            pos += v[++i];
            if (pos >= limit || i + 1 >= v.size())
                return "run of empty cells beyond the part's end";
            continue;
        }
        if (v[i] < 1 || v[i] > cell::MaxValue)
            return "cell value " + std::to_string(v[i]) + " outside 1..32767";
        if (pos >= limit)
            return "cell beyond the part's end";
        ++pos;
    }
    return {};
}

void applyPartNumbers(std::span<const int64_t> v, CurrentPart& part) {
    part.Grid.clear();
    part.PartLen = static_cast<int32_t>(v[0]);
    part.PartProgram = static_cast<int32_t>(v[1]);
    part.PartReverb = static_cast<int32_t>(v[2]);
    part.PartChorus = static_cast<int32_t>(v[3]);
    auto lanes = lanesOf(part);
    size_t i = kHeaderLines;
    for (int x = 0; x <= part.PartLen; ++x)
        for (ByteLane* lane : lanes)
            (*lane)[x] = static_cast<uint8_t>(v[i++]);
    int64_t pos = 0;
    while (i < v.size() && pos < kWalkCells) {
        if (v[i] == -1) {
            pos += v[i + 1];
            i += 2;
            continue;
        }
        part.Grid.atSequence(static_cast<size_t>(pos++)) = static_cast<int32_t>(v[i++]);
    }
}

void SavePartFile(const Song& song, const AppFolder& folder) {
    if (song.part.PartLen == 0)
        return;
    writeWholeFile(folder.workFile(song.CurPart), formatPartFile(song.part));
}

std::optional<std::vector<int64_t>> readPartFile(const AppFolder& folder, int p) {
    const auto path = folder.workFile(p);
    if (!std::filesystem::exists(path))
        return std::nullopt;
    auto values = parsePartNumbers(readWholeFile(path));
    if (auto err = checkPartNumbers(values); !err.empty())
        throw FormatError("work file of part " + std::to_string(p + 1) + ": " + err);
    return values;
}

void applyLoadedPart(Song& song, MidiOut& out, int p,
                     const std::optional<std::vector<int64_t>>& values) {
    if (values) {
        applyPartNumbers(*values, song.part);
        return;
    }
    song.part.Grid.clear();
    out.send(shortMessage(0xC0 | p, 0));
    out.send(shortMessage(0xB0 | p, 91, song.part.PartReverb));
    out.send(shortMessage(0xB0 | p, 93, 0));
}

void LoadPartFile(Song& song, const AppFolder& folder, MidiOut& out, int p) {
    applyLoadedPart(song, out, p, readPartFile(folder, p));
}

} // namespace zelk
