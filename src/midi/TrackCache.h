#pragma once

#include "midi/Schedule.h"
#include "model/Limits.h"
#include "model/MeasureTable.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace zelk {

struct Song;
struct MidiExportOptions;
class AppFolder;

// The part tracks of the last file written with it, kept so that the next playback file
// builds again only the parts whose work file changed since (every part when the
// measures, the keys or the file's start changed), and the music a player is given comes
// from the very bytes written.
class TrackCache {
public:
    struct Track {
        std::vector<uint8_t> chunk; // "MTrk", its length, its body
        std::vector<FileMusic::Message> messages;
        std::vector<std::pair<uint32_t, uint32_t>> tempos; // (tick, microseconds)
        uint32_t lastTick = 0;
    };

    // Forgets every track when what all part tracks depend on differs from last time.
    void beginFile(const Song& song, const MidiExportOptions& opt);
    // The kept track of part p when its work file is as it was when the track was built.
    const Track* find(const AppFolder& folder, const Song& song, int p) const;
    // Keeps the track just built of part p.
    const Track& keep(const AppFolder& folder, const Song& song, int p,
                      std::span<const uint8_t> body, uint32_t lastTick);
    // The music of the conductor and the part tracks in file order; track t + 1 is part
    // parts[t].
    void endFile(const std::vector<const Track*>& tracks, std::vector<int> parts);

    // The music of the last file written.
    std::shared_ptr<const FileMusic> music() const { return music_; }
    // The part of each track after the conductor in that file.
    const std::vector<int>& parts() const { return parts_; }
    // Part tracks built (not taken from the cache) for the last file: for tests and figures.
    int built() const { return built_; }

private:
    struct Stamp {
        uint64_t version = 0;
        uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool rhythm = false;
        bool operator==(const Stamp&) const = default;
    };
    struct Shape {
        MeasureTable measures;
        std::vector<uint8_t> keyMask;
        std::vector<int32_t> keyShift;
        uint8_t loopOn = 0;
        int32_t loopMeasure = 0;
        uint8_t exportMode = 0;
        int32_t viewCol = -1;
        bool operator==(const Shape&) const = default;
    };
    static std::optional<Stamp> stampOf(const AppFolder& folder, const Song& song, int p);

    Shape shape_;
    std::array<std::optional<Stamp>, kParts> stamps_;
    std::array<Track, kParts> tracks_;
    std::shared_ptr<const FileMusic> music_;
    std::vector<int> parts_;
    int built_ = 0;
};

// A track body built just now, taken apart: its channel messages and tempo events.
TrackCache::Track trackOf(std::span<const uint8_t> body, uint32_t lastTick);

} // namespace zelk
