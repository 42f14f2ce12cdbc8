#include "import/ImportMidi.h"

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
#include <cctype>
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

// The foreign file's parts: notes split where the key changes, spelled onto rows.
void buildForeignParts(Song& song, const SongEvents& events, const MeasurePlan& plan,
                       const std::vector<MeasureKey>& keys,
                       std::array<std::vector<GridNote>, kParts>& notes, WorkFileTexts& texts,
                       ImportReport& report) {
    for (int p = 0; p < kParts; ++p) {
        auto& partNotes = notes[static_cast<size_t>(p)];
        const bool rhythm = usesRhythmKeys(song, p);
        const SpellingContext context{plan, keys, fifthsCentres(partNotes, plan)};
        if (!rhythm)
            partNotes = splitAtKeyChanges(std::move(partNotes), context, p, report);
        partNotes = assignRows(std::move(partNotes), context, rhythm, p, report);
        if (partNotes.empty())
            continue;
        const PartEvents& part = events.parts[static_cast<size_t>(p)];
        buildPart(song.part, partNotes, settingsOf(part, plan, p, report), p, plan, report);
        texts[static_cast<size_t>(p)] = formatPartFile(song.part);
    }
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
        std::array<std::vector<GridNote>, kParts> notes;
        for (int p = 0; p < kParts; ++p) {
            const PartEvents& part = events.parts[static_cast<size_t>(p)];
            reportUnended(part, p, plan, report);
            notes[static_cast<size_t>(p)] = quantizeNotes(part, p, plan, false, report);
        }
        buildForeignParts(*song, events, plan, keys, notes, texts, report);
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
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".mid" || ext == ".midi";
}

} // namespace zelk
