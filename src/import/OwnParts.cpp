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
#include <optional>

namespace zelk {
namespace {

constexpr int kRounds = 6;
constexpr size_t kMaxPairings = 12;

// A part track of our export: its body, its channel events (indexes into the file's
// events) and whether it ends on the closing program change.
struct OwnTrack {
    std::span<const uint8_t> body;
    std::vector<uint32_t> events;
    bool closingProgram = false;
};

std::array<OwnTrack, kParts> ownTracks(std::span<const uint8_t> bytes, const TrackParts& layout,
                                       const MidiFileEvents& file) {
    std::array<OwnTrack, kParts> tracks;
    const auto bodies = midiTrackBodies(bytes);
    for (size_t t = 0; t < bodies.size() && t < layout.partOfTrack.size(); ++t)
        if (const int p = layout.partOfTrack[t]; p >= 0)
            tracks[static_cast<size_t>(p)] = {bodies[t], {}, layout.trailingProgram[t]};
    for (uint32_t i = 0; i < file.events.size(); ++i) {
        const MidiEvent& e = file.events[i];
        if (e.isChannelEvent() && e.track < layout.partOfTrack.size() &&
            layout.partOfTrack[e.track] >= 0)
            tracks[static_cast<size_t>(layout.partOfTrack[e.track])].events.push_back(i);
    }
    return tracks;
}

// Notes of one key sounding over each other, by index, in the order of their note-ons.
std::vector<std::vector<size_t>> sameKeyClusters(const PartEvents& part) {
    std::vector<size_t> byKey(part.notes.size());
    for (size_t i = 0; i < byKey.size(); ++i)
        byKey[i] = i;
    std::stable_sort(byKey.begin(), byKey.end(),
                     [&part](size_t a, size_t b) { return part.notes[a].key < part.notes[b].key; });
    std::vector<std::vector<size_t>> clusters;
    std::vector<size_t> run;
    uint32_t lastOff = 0;
    const auto close = [&] {
        if (run.size() > 1)
            clusters.push_back(run);
        run.clear();
    };
    for (const size_t i : byKey) {
        const FileNote& n = part.notes[i];
        if (!run.empty() && (n.key != part.notes[run.back()].key || n.onEvent > lastOff))
            close();
        if (run.empty())
            lastOff = 0;
        run.push_back(i);
        lastOff = std::max(lastOff, n.offEvent);
    }
    close();
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

// Pairing k of the part: 1 every cluster paired the other way, 2.. one cluster at a time
// (0, as the file pairs it, is the part itself).
PartEvents pairing(const PartEvents& part, const std::vector<std::vector<size_t>>& clusters,
                   size_t k) {
    PartEvents paired = part;
    for (size_t c = 0; c < clusters.size(); ++c)
        if (k == 1 || c + 2 == k)
            pairLastFirst(paired, clusters[c]);
    return paired;
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
        const PartEvents& part = events.parts[static_cast<size_t>(p)];
        const auto clusters = sameKeyClusters(part);
        const size_t pairings = clusters.empty() ? 1 : std::min(kMaxPairings, clusters.size() + 2);
        bool read = false;
        for (size_t k = 0; k < pairings && !read; ++k) {
            ImportReport ignored; // our export lies on the grid: nothing to report
            auto& notes = d.notes[static_cast<size_t>(p)];
            notes =
                quantizeNotes(k == 0 ? part : pairing(part, clusters, k), p, plan, true, ignored);
            OwnDecoder decoder(file, plan, d.needs);
            decoder.addPart(p, notes, track.events, track.closingProgram, usesRhythmKeys(song, p));
            read = decoder.decode();
            if (read)
                d.needs = decoder.needs();
        }
        if (!read) { // the plainest rows the keys allow, for a part that does not read back
            OwnDecoder decoder(file, plan, d.needs);
            auto& notes = d.notes[static_cast<size_t>(p)];
            ImportReport ignored;
            notes = quantizeNotes(events.parts[static_cast<size_t>(p)], p, plan, true, ignored);
            decoder.addPart(p, notes, track.events, track.closingProgram, usesRhythmKeys(song, p));
            decoder.decode();
            d.needs = decoder.needs();
            d.failed.push_back(p);
        }
    }
    return d;
}

// What the parts are finished from, shared read-only by the workers.
struct PartInputs {
    const Song& song;
    const SongEvents& events;
    const MeasurePlan& plan;
    const std::vector<MeasureKey>& keys;
    const std::array<OwnTrack, kParts>& tracks;
};

struct FinishedPart {
    std::optional<std::string> text; // none for a part without notes
    ImportReport report;
    bool exact = true; // writes its track again byte for byte
};

// One part's accidentals, lanes and work file, checked against its track.
FinishedPart finishPart(const PartInputs& in, std::vector<GridNote>& notes, int p,
                        CurrentPart& scratch) {
    FinishedPart out;
    const OwnTrack& track = in.tracks[static_cast<size_t>(p)];
    for (const GridNote& n : notes)
        if (n.row < 0)
            out.report.add(ImportChange::NoFreeRow, {p, in.plan.measureOfColumn(n.head)});
    std::erase_if(notes, [](const GridNote& n) { return n.row < 0; });
    if (notes.empty()) { // a part without notes writes no track
        out.exact = track.body.empty();
        return out;
    }
    setAccidentals(notes, in.keys, in.plan);
    const PartSettings settings =
        settingsOf(in.events.parts[static_cast<size_t>(p)], in.plan, p, out.report);
    buildPart(scratch, notes, settings, p, in.plan, out.report);
    std::string text = formatPartFile(scratch);
    out.exact = writesTrackAgain(in.song, p, text, track.body);
    out.text = std::move(text);
    return out;
}

// The parts are independent once their rows are known: they are finished on every core,
// each worker writing into a part of its own. Results stay in part order, so the report
// reads as if they were done one after the other.
std::array<FinishedPart, kParts> finishParts(const PartInputs& in,
                                             std::array<std::vector<GridNote>, kParts>& notes) {
    std::array<FinishedPart, kParts> done;
    forEachPartOnCores(in.events, [&](int p, CurrentPart& scratch) {
        done[static_cast<size_t>(p)] = finishPart(in, notes[static_cast<size_t>(p)], p, scratch);
    });
    return done;
}

} // namespace

bool buildOwnParts(Song& song, const SongEvents& events, const MeasurePlan& plan,
                   MeasureKey fileKey, const MidiFileEvents& file, std::span<const uint8_t> bytes,
                   const TrackParts& layout, WorkFileTexts& texts, ImportReport& report) {
    const auto tracks = ownTracks(bytes, layout, file);
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
    const PartInputs in{song, events, plan, keys, tracks};
    auto done = finishParts(in, d.notes);
    bool exact = d.failed.empty();
    for (int p = 0; p < kParts; ++p) {
        FinishedPart& part = done[static_cast<size_t>(p)];
        report.merge(part.report);
        exact &= part.exact;
        texts[static_cast<size_t>(p)] = std::move(part.text);
    }
    return exact;
}

} // namespace zelk
