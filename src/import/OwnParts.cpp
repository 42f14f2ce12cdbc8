#include "import/OwnParts.h"

#include "import/ExportMatch.h"
#include "import/MeasurePlan.h"
#include "import/OwnDecoder.h"
#include "import/OwnSpelling.h"
#include "import/PartBuilder.h"
#include "import/Quantize.h"
#include "import/SongLevel.h"
#include "model/PartFile.h"
#include "model/Song.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr int kRounds = 6;
constexpr size_t kMaxPairings = 12;

// A part track of our export: its body and whether it ends on the closing program change.
struct OwnTrack {
    uint16_t index = 0;
    std::span<const uint8_t> body;
    bool closingProgram = false;
};

std::array<OwnTrack, kParts> ownTracks(std::span<const uint8_t> bytes, const TrackParts& layout) {
    std::array<OwnTrack, kParts> tracks;
    const auto bodies = midiTrackBodies(bytes);
    for (size_t t = 0; t < bodies.size() && t < layout.partOfTrack.size(); ++t)
        if (const int p = layout.partOfTrack[t]; p >= 0)
            tracks[static_cast<size_t>(p)] = {static_cast<uint16_t>(t), bodies[t],
                                              layout.trailingProgram[t]};
    return tracks;
}

// Notes of one key sounding over each other, by index, in the order of their note-ons.
std::vector<std::vector<size_t>> sameKeyClusters(const PartEvents& part) {
    std::vector<std::vector<size_t>> clusters;
    for (int key = 0; key < 128; ++key) {
        std::vector<size_t> run;
        uint32_t lastOff = 0;
        for (size_t i = 0; i < part.notes.size(); ++i) {
            const FileNote& n = part.notes[i];
            if (n.key != key)
                continue;
            if (!run.empty() && n.onEvent > lastOff) {
                if (run.size() > 1)
                    clusters.push_back(run);
                run.clear();
            }
            run.push_back(i);
            lastOff = std::max(lastOff, n.offEvent);
        }
        if (run.size() > 1)
            clusters.push_back(run);
    }
    return clusters;
}

// The cluster's note-offs given last in, first out: each ends the latest note still sounding.
void pairLastFirst(PartEvents& part, const std::vector<size_t>& cluster) {
    struct Off {
        uint32_t event, tick;
    };
    std::vector<Off> offs;
    for (const size_t i : cluster)
        offs.push_back({part.notes[i].offEvent, part.notes[i].off});
    std::sort(offs.begin(), offs.end(),
              [](const Off& a, const Off& b) { return a.event < b.event; });
    std::vector<size_t> sounding;
    size_t next = 0;
    for (const Off& off : offs) {
        for (; next < cluster.size() && part.notes[cluster[next]].onEvent < off.event; ++next)
            sounding.push_back(cluster[next]);
        if (sounding.empty())
            return; // not a cluster one can pair otherwise
        FileNote& n = part.notes[sounding.back()];
        sounding.pop_back();
        n.offEvent = off.event;
        n.off = off.tick;
    }
}

// The part as the file pairs it first, then with every cluster paired the other way, then
// with one cluster at a time.
std::vector<PartEvents> pairings(const PartEvents& part) {
    std::vector<PartEvents> out{part};
    const auto clusters = sameKeyClusters(part);
    if (clusters.empty())
        return out;
    out.push_back(part);
    for (const auto& c : clusters)
        pairLastFirst(out.back(), c);
    for (size_t k = 0; k < clusters.size() && out.size() < kMaxPairings; ++k) {
        out.push_back(part);
        pairLastFirst(out.back(), clusters[k]);
    }
    return out;
}

struct Decoding {
    std::array<std::vector<GridNote>, kParts> notes;
    std::vector<LetterShifts> needs;
    std::vector<int> failed;
};

// Rows and grids for the parts, one after the other in `order`; the rows of the parts done
// bind the key signatures for the rest.
Decoding decodeInOrder(const Song& song, const SongEvents& events, const MeasurePlan& plan,
                       const MidiFileEvents& file, const std::array<OwnTrack, kParts>& tracks,
                       const std::vector<int>& order) {
    Decoding d;
    d.needs.assign(plan.lengths().size(), anyShift());
    for (const int p : order) {
        const OwnTrack& track = tracks[static_cast<size_t>(p)];
        bool read = false;
        for (const PartEvents& paired : pairings(events.parts[static_cast<size_t>(p)])) {
            ImportReport ignored; // our export lies on the grid: nothing to report
            auto& notes = d.notes[static_cast<size_t>(p)];
            notes = quantizeNotes(paired, p, plan, true, ignored);
            OwnDecoder decoder(file, plan, d.needs);
            decoder.addPart(p, notes, track.index, track.closingProgram, usesRhythmKeys(song, p));
            read = decoder.decode();
            if (read) {
                d.needs = decoder.needs();
                break;
            }
        }
        if (!read) { // the plainest rows the keys allow, for a part that does not read back
            OwnDecoder decoder(file, plan, d.needs);
            auto& notes = d.notes[static_cast<size_t>(p)];
            ImportReport ignored;
            notes = quantizeNotes(events.parts[static_cast<size_t>(p)], p, plan, true, ignored);
            decoder.addPart(p, notes, track.index, track.closingProgram, usesRhythmKeys(song, p));
            decoder.decode();
            d.needs = decoder.needs();
            d.failed.push_back(p);
        }
    }
    return d;
}

} // namespace

bool buildOwnParts(Song& song, const SongEvents& events, const MeasurePlan& plan,
                   MeasureKey fileKey, const MidiFileEvents& file, std::span<const uint8_t> bytes,
                   const TrackParts& layout, WorkFileTexts& texts, ImportReport& report) {
    const auto tracks = ownTracks(bytes, layout);
    std::vector<int> order;
    for (int p = 0; p < kParts; ++p)
        if (!events.parts[static_cast<size_t>(p)].notes.empty())
            order.push_back(p);
    Decoding d;
    for (int round = 0; round < kRounds; ++round) {
        d = decodeInOrder(song, events, plan, file, tracks, order);
        if (d.failed.empty())
            break;
        std::erase_if(order,
                      [&](int p) { return std::count(d.failed.begin(), d.failed.end(), p); });
        order.insert(order.begin(), d.failed.begin(), d.failed.end());
    }
    for (const int p : d.failed)
        report.add(ImportChange::OrderChanged, {p, 1});

    const std::vector<MeasureKey> keys = keysFor(d.needs, fileKey);
    applyMeasureKeys(song, keys);
    bool exact = d.failed.empty();
    for (int p = 0; p < kParts; ++p) {
        auto& notes = d.notes[static_cast<size_t>(p)];
        for (const GridNote& n : notes)
            if (n.row < 0)
                report.add(ImportChange::NoFreeRow, {p, plan.measureOfColumn(n.head)});
        std::erase_if(notes, [](const GridNote& n) { return n.row < 0; });
        if (notes.empty())
            continue;
        setAccidentals(notes, keys, plan);
        const PartSettings settings =
            settingsOf(events.parts[static_cast<size_t>(p)], plan, p, report);
        buildPart(song.part, notes, settings, p, plan, report);
        exact &= writesTrackAgain(song, p, tracks[static_cast<size_t>(p)].body);
        texts[static_cast<size_t>(p)] = formatPartFile(song.part);
    }
    return exact;
}

} // namespace zelk
