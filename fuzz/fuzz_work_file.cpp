// The part loader and the MIDI writer's work-file stream read the same files: they must
// accept and refuse the same texts, and agree on the header, every lane and every cell.
#include "FuzzSupport.h"

#include "midi/WorkFileStream.h"
#include "model/CurrentPart.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/PartFile.h"

#include <memory>
#include <optional>

using namespace zelk;

namespace {

std::optional<std::vector<int64_t>> loaderValues(std::string_view text) {
    try {
        auto values = parsePartNumbers(text);
        if (!checkPartNumbers(values).empty())
            return std::nullopt;
        return values;
    } catch (const FormatError&) {
        return std::nullopt;
    }
}

// Every nonzero cell the stream gives, checked against the loaded part as it comes.
bool streamAgrees(std::string_view text, const CurrentPart* loaded) {
    try {
        WorkFileStream s(text, 0);
        if (!loaded)
            while (true) {
                WorkFileStream::Cell c{};
                if (!s.nextCell(c))
                    return true; // accepted by the stream alone
            }
        fuzz::check(s.PartLen == loaded->PartLen && s.PartProgram == loaded->PartProgram &&
                        s.PartReverb == loaded->PartReverb && s.PartChorus == loaded->PartChorus,
                    "headers differ");
        const ByteLane* lanes[] = {&loaded->Sounding, &loaded->VelLane, &loaded->PitLane,
                                   &loaded->ModLane,  &loaded->ExpLane, &loaded->PanLane,
                                   &loaded->HolLane};
        for (int x = 0; x <= s.PartLen && x < kLaneCols; ++x)
            for (int k = 0; k < 7; ++k)
                fuzz::check(s.lanes[static_cast<size_t>(7 * x + k)] == (*lanes[k])[x],
                            "lanes differ");
        size_t cells = 0;
        WorkFileStream::Cell c{};
        while (s.nextCell(c)) {
            fuzz::check(loaded->Grid(c.r, c.x) == c.v, "cells differ");
            ++cells;
        }
        size_t nonzero = 0;
        for (int x = 0; x < kGridCols; ++x)
            for (int r = 0; r < kRows; ++r)
                nonzero += loaded->Grid(r, x) != 0;
        fuzz::check(cells == nonzero, "the stream skipped cells");
        return true;
    } catch (const FormatError&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const auto values = loaderValues(text);
    std::unique_ptr<CurrentPart> part;
    if (values) {
        part = std::make_unique<CurrentPart>();
        applyPartNumbers(*values, *part);
    }
    const bool streamAccepts = streamAgrees(text, part.get());
    fuzz::check(streamAccepts == values.has_value(), "loader and stream disagree on acceptance");
    return 0;
}
