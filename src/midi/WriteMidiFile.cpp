#include "midi/WriteMidiFile.h"

#include "files/ReplacingFile.h"
#include "files/TextLines.h"
#include "midi/ConductorTrack.h"
#include "midi/LoopSpan.h"
#include "midi/PartTrack.h"
#include "midi/TrackBuffer.h"
#include "midi/TrackCache.h"
#include "midi/WorkFileStream.h"
#include "model/AppFolder.h"
#include "model/FormatError.h"
#include "model/PartFile.h"
#include "model/Song.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <stdexcept>
#include <string>

namespace zelk {
namespace {

constexpr uint16_t kTicksPerQuarter = 480;

void checkOptions(const Song& song, const MidiExportOptions& opt) {
    if (opt.ExportMode > 1)
        throw std::invalid_argument("export mode must be 0 or 1");
    if (opt.firstMeasure < 1 || opt.firstMeasure > song.MeasureCount())
        throw std::invalid_argument("first measure outside the song");
    if (opt.ViewCol != song.SumMeasureLen(opt.firstMeasure - 1))
        throw std::invalid_argument("first column is not the first measure's");
    if (opt.ExportMode == 1 && opt.firstMeasure != 1)
        throw std::invalid_argument("an export starts at measure 1");
}

// PartLen, the first line of a work file: the song's end is known before any part is
// read in full, so the conductor track can go out first.
int32_t readPartLen(const std::filesystem::path& file, int p) {
    std::ifstream in(file, std::ios::binary);
    std::string line;
    if (!std::getline(in, line))
        throw FormatError("work file of part " + std::to_string(p + 1) + " is empty");
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const auto len = parseInteger(line);
    if (!len || *len < 1 || *len > kMaxSongCols)
        throw FormatError("work file of part " + std::to_string(p + 1) +
                          ": part length outside 1..9600");
    return static_cast<int32_t>(*len);
}

std::vector<uint8_t> fileHeader(int tracks) {
    std::vector<uint8_t> h{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    appendBigEndian(h, static_cast<uint32_t>(tracks), 2);
    appendBigEndian(h, kTicksPerQuarter, 2);
    return h;
}

// The column where the conductor ends for loopToBar (-1: where its last change is). Part
// tracks are built once ahead, as only they know where the last note ends.
int32_t loopBarEnd(const Song& song, const AppFolder& folder, const MidiExportOptions& opt,
                   const std::vector<int>& parts) {
    if (!opt.loopToBar || opt.ExportMode != 1)
        return -1;
    TrackBuffer scratch;
    uint32_t lastOff = 0;
    for (const int p : parts) {
        const std::string text = readWholeFile(folder.workFile(p));
        WorkFileStream stream(text, p);
        PartTrackBuilder builder(song, opt, p);
        builder.build(stream, scratch);
        lastOff = std::max(lastOff, builder.lastNoteOffTick());
    }
    const auto span = loopSpanOf(song, lastOff);
    return span ? span->endCol : -1;
}

// Returns the track's last tick.
uint32_t writeTrack(ReplacingFile& file, const TrackBuffer& track, std::vector<uint8_t>& chunk) {
    chunk.clear();
    appendTrackChunk(chunk, track.bytes());
    file.write(chunk);
    return track.fileTicks();
}

} // namespace

std::vector<int> includedParts(const AppFolder& folder, const MidiExportOptions& opt) {
    std::vector<int> parts;
    for (int p = 0; p < kParts; ++p)
        if ((opt.ExportMode == 1 || opt.Check1[static_cast<size_t>(p)] == 1) &&
            std::filesystem::exists(folder.workFile(p)))
            parts.push_back(p);
    return parts;
}

uint32_t WriteMidiFile(Song& song, const AppFolder& folder, MidiOut& out,
                       const TextEncoder& encoder, const std::filesystem::path& path,
                       const MidiExportOptions& opt, TrackCache* cache) {
    checkOptions(song, opt);
    SavePartFile(song, folder);
    if (cache)
        cache->beginFile(song, opt);

    const std::vector<int> parts = includedParts(folder, opt);
    int32_t songEnd = 0;
    for (const int p : parts)
        songEnd = std::max(songEnd, readPartLen(folder.workFile(p), p));
    const int32_t barEnd = loopBarEnd(song, folder, opt, parts);

    ReplacingFile file(path);
    file.write(fileHeader(1 + static_cast<int>(parts.size())));
    // One track in memory at a time: it is assembled, written out and its buffer reused.
    TrackBuffer track;
    std::vector<uint8_t> chunk;
    buildConductorTrack(song, opt, songEnd, encoder, track, barEnd);
    uint32_t lastTick = writeTrack(file, track, chunk);
    TrackCache::Track conductor;
    std::vector<const TrackCache::Track*> written;
    if (cache) {
        conductor = trackOf(track.bytes(), track.fileTicks());
        written.push_back(&conductor);
    }
    for (const int p : parts) {
        if (const TrackCache::Track* kept = cache ? cache->find(folder, song, p) : nullptr) {
            file.write(kept->chunk);
            lastTick = std::max(lastTick, kept->lastTick);
            written.push_back(kept);
            continue;
        }
        const std::string text = readWholeFile(folder.workFile(p));
        WorkFileStream stream(text, p);
        PartTrackBuilder(song, opt, p).build(stream, track);
        lastTick = std::max(lastTick, writeTrack(file, track, chunk));
        if (cache)
            written.push_back(&cache->keep(folder, song, p, track.bytes(), track.fileTicks()));
    }
    file.commit();
    if (cache)
        cache->endFile(written, parts);

    song.part.resetHeader();
    LoadPartFile(song, folder, out, song.CurPart);
    return lastTick;
}

} // namespace zelk
