#include "import/PartBuilder.h"

#include "files/EveryCore.h"
#include "import/MeasurePlan.h"
#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace zelk {
namespace {

enum Lane { kPit, kMod, kExp, kPan, kHol };
constexpr std::array<uint8_t, 5> kLaneStart{64, 0, 127, 64, 0}; // as the writer starts

int laneOfController(int number) {
    switch (number) {
    case 1:
        return kMod;
    case 10:
        return kPan;
    case 11:
        return kExp;
    case 64:
        return kHol;
    default:
        return -1;
    }
}

// A message that only says what a channel has anyway at the start.
bool restatesDefault(const FileChange& c) {
    return (c.d1 == 7 && c.d2 == 127) || ((c.d1 == 0 || c.d1 == 32) && c.d2 == 0) || c.d1 == 121;
}

// Sets a header value at the start; later, a different value is reported and ignored.
void headerValue(int32_t& value, uint8_t given, bool atStart, int p, int measure,
                 ImportReport& report) {
    if (atStart)
        value = given;
    else if (given != value)
        report.add(ImportChange::LaterSettings, {p, measure});
}

void putNote(CurrentPart& part, const GridNote& n) {
    const int32_t tupletHead = n.tuplet ? cell::TupletHead : 0;
    const int32_t tupletBody = n.tuplet ? cell::TupletBody : 0;
    const int32_t tupletEnd = n.tuplet ? cell::TupletEnd : 0;
    part.Grid(n.row, n.head) |= cell::Head | n.accidental | tupletHead;
    for (int32_t x = n.head + 1; x < n.end; ++x)
        part.Grid(n.row, x) |= cell::Body | n.accidental | tupletBody;
    part.Grid(n.row, n.end) |= cell::End | (n.accidental * 4) | tupletEnd;
}

} // namespace

PartSettings settingsOf(const PartEvents& part, const MeasurePlan& plan, int p,
                        ImportReport& report) {
    PartSettings s;
    const uint32_t start =
        part.notes.empty() ? std::numeric_limits<uint32_t>::max() : part.notes.front().on;
    for (const FileChange& c : part.changes) {
        const int32_t col = plan.columnOf(c.tick);
        const int measure = plan.measureOfColumn(col);
        const bool atStart = c.tick <= start;
        if (c.kind == 0xC0) {
            headerValue(s.program, c.d1, atStart, p, measure, report);
        } else if (c.kind == 0xE0) {
            s.lanes.push_back({col, kPit, c.d2});
        } else if (c.kind == 0xB0 && c.d1 == 91) {
            headerValue(s.reverb, c.d2, atStart, p, measure, report);
        } else if (c.kind == 0xB0 && c.d1 == 93) {
            headerValue(s.chorus, c.d2, atStart, p, measure, report);
        } else if (const int lane = c.kind == 0xB0 ? laneOfController(c.d1) : -1; lane >= 0) {
            s.lanes.push_back({col, lane, c.d2});
        } else if (c.kind == 0xB0 && (c.d1 >= 120 || (atStart && restatesDefault(c)))) {
            continue; // mode messages and the defaults
        } else {
            report.add(ImportChange::OtherMessages, {p, measure});
        }
    }
    return s;
}

void buildPart(CurrentPart& out, const std::vector<GridNote>& notes, const PartSettings& settings,
               int p, const MeasurePlan& plan, ImportReport& report) {
    out.clearForSwitch();
    out.resetHeader();
    out.PartProgram = settings.program;
    out.PartReverb = settings.reverb;
    out.PartChorus = settings.chorus;
    std::vector<int> lowestVelocity(kLaneCols, 128);
    for (const GridNote& n : notes) {
        putNote(out, n);
        out.PartLen = std::max(out.PartLen, n.end);
        for (int32_t x = n.head; x < n.end; ++x)
            out.Sounding[x] = 1;
        out.VelLane[n.head] = std::max(out.VelLane[n.head], n.velocity);
        auto& low = lowestVelocity[static_cast<size_t>(n.head)];
        low = std::min<int>(low, n.velocity);
    }
    for (int32_t x = 0; x <= std::min(out.PartLen, kMaxSongCols); ++x)
        if (out.VelLane[x] != 0 && lowestVelocity[static_cast<size_t>(x)] != out.VelLane[x])
            report.add(ImportChange::ChordVelocity, {p, plan.measureOfColumn(x)});
    ByteLane* lanes[5] = {&out.PitLane, &out.ModLane, &out.ExpLane, &out.PanLane, &out.HolLane};
    std::array<uint8_t, 5> now = kLaneStart;
    size_t next = 0;
    for (int32_t x = 0; x < kLaneCols; ++x) {
        for (; next < settings.lanes.size() && settings.lanes[next].col <= x; ++next)
            now[static_cast<size_t>(settings.lanes[next].lane)] = settings.lanes[next].value;
        for (size_t k = 0; k < 5; ++k)
            (*lanes[k])[x] = now[k];
    }
}

void forEachPartOnCores(const SongEvents& events,
                        const std::function<void(int p, CurrentPart& scratch)>& job) {
    const unsigned cores = events.partWorkers();
    std::vector<std::unique_ptr<CurrentPart>> scratch(workersFor(kParts, cores));
    onEveryCore(
        kParts,
        [&](size_t p, size_t worker) {
            if (!scratch[worker]) // made on first need: a few megabytes each
                scratch[worker] = std::make_unique<CurrentPart>();
            job(static_cast<int>(p), *scratch[worker]);
        },
        cores);
}

} // namespace zelk
