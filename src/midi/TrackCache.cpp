#include "midi/TrackCache.h"

#include "midi/MidiExportOptions.h"
#include "midi/MidiFileEvents.h"
#include "midi/TrackBuffer.h"
#include "model/AppFolder.h"
#include "model/Song.h"
#include "ports/MidiOut.h"

#include <algorithm>

namespace zelk {

TrackCache::Track trackOf(std::span<const uint8_t> body, uint32_t lastTick) {
    TrackCache::Track t;
    appendTrackChunk(t.chunk, std::vector<uint8_t>(body.begin(), body.end()));
    t.lastTick = lastTick;
    forEachTrackEvent(body, 0, [&t](MidiEvent&& e) {
        if (e.isChannelEvent())
            t.messages.push_back({e.tick, shortMessage(e.status, e.d1, e.d2)});
        else if (e.isTempo())
            t.tempos.emplace_back(e.tick, e.tempoMicros());
    });
    return t;
}

void TrackCache::beginFile(const Song& song, const MidiExportOptions& opt) {
    Shape shape{song.MeasureLen,  song.KeyMask,   song.KeyShift, song.LoopOn,
                song.LoopMeasure, opt.ExportMode, opt.ViewCol};
    if (!(shape == shape_)) {
        shape_ = std::move(shape);
        stamps_.fill(std::nullopt);
    }
    built_ = 0;
    music_.reset();
}

// A work file's write count in this run and, in case something wrote it without counting,
// its size and time.
std::optional<TrackCache::Stamp> TrackCache::stampOf(const AppFolder& folder, const Song& song,
                                                     int p) {
    std::error_code ec;
    const auto path = folder.workFile(p);
    Stamp s{folder.workFileVersion(p), std::filesystem::file_size(path, ec), {}, false};
    if (ec)
        return std::nullopt;
    s.time = std::filesystem::last_write_time(path, ec);
    if (ec)
        return std::nullopt;
    s.rhythm = usesRhythmKeys(song, p);
    return s;
}

const TrackCache::Track* TrackCache::find(const AppFolder& folder, const Song& song, int p) const {
    const auto& kept = stamps_.at(static_cast<size_t>(p));
    if (!kept)
        return nullptr;
    const auto now = stampOf(folder, song, p);
    return now && *now == *kept ? &tracks_[static_cast<size_t>(p)] : nullptr;
}

const TrackCache::Track& TrackCache::keep(const AppFolder& folder, const Song& song, int p,
                                          std::span<const uint8_t> body, uint32_t lastTick) {
    const auto i = static_cast<size_t>(p);
    ++built_;
    tracks_.at(i) = trackOf(body, lastTick);
    stamps_[i] = stampOf(folder, song, p);
    return tracks_[i];
}

// Tracks come in time order each; counted out by tick, a tick's messages keep the tracks'
// order and each track's own, as a reader merging the file's tracks has them.
void TrackCache::endFile(const std::vector<const Track*>& tracks, std::vector<int> parts) {
    parts_ = std::move(parts);
    auto music = std::make_shared<FileMusic>();
    size_t total = 0;
    for (const Track* t : tracks) {
        music->lastTick = std::max(music->lastTick, t->lastTick);
        total += t->messages.size();
    }
    std::vector<std::pair<uint32_t, uint32_t>> tempos;
    for (const Track* t : tracks)
        tempos.insert(tempos.end(), t->tempos.begin(), t->tempos.end());
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    music->tempos = std::move(tempos);
    std::vector<uint32_t> start(static_cast<size_t>(music->lastTick) + 2, 0);
    for (const Track* t : tracks)
        for (const FileMusic::Message& m : t->messages)
            ++start[m.tick + 1];
    for (size_t i = 1; i < start.size(); ++i)
        start[i] += start[i - 1];
    music->messages.resize(total);
    for (uint16_t track = 0; track < tracks.size(); ++track)
        for (FileMusic::Message m : tracks[track]->messages) {
            m.track = track;
            music->messages[start[m.tick]++] = m;
        }
    music_ = std::move(music);
}

} // namespace zelk
