#include "model/PartFile.h"

#include "files/TextLines.h"
#include "model/Cell.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/LineScanner.h"
#include "model/PartFileRules.h"
#include "model/Song.h"
#include "ports/MidiOut.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace zelk {
namespace {

using partfile::kHeaderLines;
using partfile::kLanesPerColumn;

std::array<ByteLane*, kLanesPerColumn> lanesOf(CurrentPart& p) {
    return {&p.Sounding, &p.VelLane, &p.PitLane, &p.ModLane, &p.ExpLane, &p.PanLane, &p.HolLane};
}

// Walks the numbers of a work file under its rules; with `into`, puts them into the part.
void walkPartNumbers(std::span<const int64_t> v, CurrentPart* into) {
    size_t i = 0;
    auto required = [&](const char* where) {
        if (i >= v.size())
            partfile::fail(std::string("part file ends inside its ") + where);
        return v[i++];
    };
    const int64_t len = required("header");
    const int64_t program = required("header");
    const int64_t reverb = required("header");
    const int64_t chorus = required("header");
    partfile::checkHeader(len, program, reverb, chorus);
    if (into) {
        into->Grid.clear();
        into->PartLen = static_cast<int32_t>(len);
        into->PartProgram = static_cast<int32_t>(program);
        into->PartReverb = static_cast<int32_t>(reverb);
        into->PartChorus = static_cast<int32_t>(chorus);
    }
    const auto laneCount = static_cast<size_t>(len + 1) * kLanesPerColumn;
    if (v.size() - i < laneCount)
        partfile::fail("part file ends inside its lanes");
    const auto lanes = into ? lanesOf(*into) : std::array<ByteLane*, kLanesPerColumn>{};
    const int64_t* lane = v.data() + i;
    for (int x = 0; x <= len; ++x)
        for (ByteLane* target : lanes) {
            const uint8_t value = partfile::laneValue(*lane++);
            if (target)
                (*target)[x] = value;
        }
    i += laneCount;
    partfile::CellRuns cells(len);
    auto next = [&](int64_t& n) {
        if (i >= v.size())
            return false;
        n = v[i++];
        return true;
    };
    int64_t seq = 0;
    int32_t value = 0;
    while (cells.next(next, seq, value))
        if (into)
            into->Grid.atSequence(static_cast<size_t>(seq)) = value;
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
        const int32_t* cells = part.Grid.column(x);
        for (int r = 0; r < kRows; ++r) {
            const int32_t v = cells[r];
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
    bool standard = true;
    if (const size_t bad = scanNumberLines(text, values, standard); bad != 0)
        throw FormatError("part file line " + std::to_string(bad) + " is not a number");
    return values;
}

std::string checkPartNumbers(std::span<const int64_t> v) {
    try {
        walkPartNumbers(v, nullptr);
    } catch (const FormatError& e) {
        return e.what();
    }
    return {};
}

void applyPartNumbers(std::span<const int64_t> v, CurrentPart& part) {
    walkPartNumbers(v, &part);
}

void SavePartFile(const Song& song, const AppFolder& folder) {
    if (song.part.PartLen == 0)
        return;
    writeWholeFile(folder.workFile(song.CurPart), formatPartFile(song.part));
    folder.workFileChanged(song.CurPart);
}

int32_t storedPartLen(const AppFolder& folder, int p) {
    std::ifstream in(folder.workFile(p), std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return 0;
    int32_t len = 0;
    const char* first = line.data();
    const char* last = line.data() + line.size();
    while (first != last && *first == ' ')
        ++first;
    const auto [end, ec] = std::from_chars(first, last, len);
    if (ec != std::errc() || len < 0 || len > kLaneCols)
        return 0;
    (void)end;
    return len;
}

int32_t songLastNoteOffCol(const Song& song, const AppFolder& folder) {
    int32_t last = song.part.PartLen;
    for (int p = 0; p < kParts; ++p)
        if (p != song.CurPart)
            last = std::max(last, storedPartLen(folder, p));
    return last;
}

void forgetEmptiedPart(Song& song, const AppFolder& folder) {
    std::error_code ec; // a file that is not there is what we want
    std::filesystem::remove(folder.workFile(song.CurPart), ec);
    folder.workFileChanged(song.CurPart);
    song.part.PartLen = 0;
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
