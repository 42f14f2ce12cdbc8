#include "import/ImportMidi.h"

#include "files/FileNames.h"
#include "import/MeasurePlan.h"
#include "import/OwnExport.h"
#include "import/OwnParts.h"
#include "import/PartBuilder.h"
#include "import/Quantize.h"
#include "import/RowAssignment.h"
#include "import/SongEvents.h"
#include "import/SongLevel.h"
#include "midi/MidiFileEvents.h"
#include "model/PartFile.h"
#include "model/Song.h"
#include "storage/ProjectText.h"

#include <algorithm>
#include <memory>

namespace zelk {
namespace {

// Where the music ends: the last note-off, or the loop marker when it comes later.
uint32_t musicEnd(const SongEvents& s) {
    uint32_t end = s.loopTick.value_or(0);
    for (const PartEvents& p : s.parts)
        for (const FileNote& n : p.notes)
            end = std::max(end, n.off);
    return end;
}

void reportUnended(const PartEvents& events, int p, const MeasurePlan& plan, ImportReport& report) {
    if (events.unended > 0)
        report.add(ImportChange::UnendedNotes,
                   {p, plan.measureOfColumn(plan.columnOf(events.notes.back().off))},
                   events.unended);
}

// The foreign file's parts: notes split where the key changes, spelled onto rows. The parts
// are independent, so they are made on every core, each worker writing into a part of its
// own; the reports are merged in part order, as if made one after the other.
void buildForeignParts(const Song& song, const SongEvents& events, const MeasurePlan& plan,
                       const std::vector<MeasureKey>& keys, WorkFileTexts& texts,
                       ImportReport& report) {
    std::array<ImportReport, kParts> reports;
    forEachPartOnCores(events, [&](int part, CurrentPart& scratch) {
        const PartEvents& partEvents = events.parts[static_cast<size_t>(part)];
        ImportReport& partReport = reports[static_cast<size_t>(part)];
        reportUnended(partEvents, part, plan, partReport);
        std::vector<GridNote> notes = quantizeNotes(partEvents, part, plan, false, partReport);
        const bool rhythm = usesRhythmKeys(song, part);
        const SpellingContext context{plan, keys, fifthsCentres(notes, plan)};
        if (!rhythm)
            notes = splitAtKeyChanges(std::move(notes), context, part, partReport);
        notes = assignRows(std::move(notes), context, rhythm, part, partReport);
        if (notes.empty())
            return;
        buildPart(scratch, notes, settingsOf(partEvents, plan, part, partReport), part, plan,
                  partReport);
        texts[static_cast<size_t>(part)] = formatPartFile(scratch);
    });
    for (const ImportReport& r : reports)
        report.merge(r);
}

// The project text of the song and its parts' work files. Our formatter writes work files
// in the standard form already, and parseProjectText checks every section, so they go in
// as they are (each freed once copied).
std::string projectText(const Song& song, WorkFileTexts& texts) {
    size_t size = songSectionsSize(song);
    for (const auto& w : texts)
        size += (w ? w->size() : 0) + 4;
    std::string out;
    out.reserve(size);
    appendSongSections(out, song);
    for (auto& w : texts) {
        if (w)
            out += *w;
        w.reset();
        out += "-2\r\n";
    }
    return out;
}

// The song and its parts' work files; the file's events die with this step, before the
// project text is made, so that both never take memory at once.
std::string importedProjectText(std::span<const uint8_t> bytes, const TextDecoder& decoder,
                                const std::string& fallbackTitle, MidiImport& result) {
    const MidiFileEvents file = readMidiEvents(bytes);
    const std::optional<TrackParts> own = recogniseOwnExport(file);
    const SongEvents events = gatherSongEvents(file, own ? *own : channelParts(file));
    result.ownExport = events.ownExport;
    ImportReport& report = result.report;
    const MeasurePlan plan(events, musicEnd(events), report);
    const std::vector<MeasureKey> keys = measureKeys(events, plan, report);
    auto song = std::make_unique<Song>();
    buildSongLevel(*song, events, plan, keys, decoder, fallbackTitle, report);
    WorkFileTexts texts;
    if (own) {
        result.exact =
            buildOwnParts(*song, events, plan, keys.front(), file, bytes, *own, texts, report);
    } else {
        buildForeignParts(*song, events, plan, keys, texts, report);
    }
    song->part.clearForSwitch();
    song->part.resetHeader();
    return projectText(*song, texts);
}

} // namespace

MidiImport importMidi(std::span<const uint8_t> bytes, const TextDecoder& decoder,
                      const std::string& fallbackTitle) {
    MidiImport result;
    result.image = parseProjectText(importedProjectText(bytes, decoder, fallbackTitle, result));
    return result;
}

MidiImport importMidiFile(const std::filesystem::path& path, const TextDecoder& decoder,
                          const std::string& fallbackTitle) {
    const std::string bytes = readMidiFileBytes(path);
    return importMidi({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, decoder,
                      fallbackTitle);
}

bool isMidiFileName(const std::string& path) {
    const std::string ext = lowercaseExtension(path);
    return ext == ".mid" || ext == ".midi";
}

} // namespace zelk
