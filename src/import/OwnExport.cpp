#include "import/OwnExport.h"

#include <algorithm>
#include <string_view>

namespace zelk {
namespace {

constexpr int kRhythmPart = 9;

std::vector<std::vector<const MidiEvent*>> eventsByTrack(const MidiFileEvents& file) {
    std::vector<std::vector<const MidiEvent*>> tracks(file.trackCount);
    for (const MidiEvent& e : file.events)
        tracks[e.track].push_back(&e);
    return tracks;
}

bool isMeta(const MidiEvent* e, uint8_t type, uint32_t tick) {
    return e->status == 0xFF && e->meta == type && e->tick == tick;
}

bool conductorOpens(const std::vector<const MidiEvent*>& t) {
    using namespace std::string_view_literals;
    return t.size() >= 7 && isMeta(t[0], 0x03, 0) && isMeta(t[1], 0x02, 0) &&
           t[2]->status == 0xF0 && t[2]->tick == 0 && t[2]->data == "\x7E\x7F\x09\x01\xF7"sv &&
           isMeta(t[3], 0x58, 0) && t[3]->data == "\x01\x02\x18\x08"sv &&
           isMeta(t[4], 0x58, kOwnExportOrigin) && isMeta(t[5], 0x59, kOwnExportOrigin) &&
           isMeta(t[6], 0x51, kOwnExportOrigin);
}

// The channel of a part track that opens with the six set-up events, -1 otherwise.
int setUpChannel(const std::vector<const MidiEvent*>& t) {
    struct Step {
        uint32_t tick;
        uint8_t kind, d1;
    };
    constexpr Step kSetUp[] = {{180, 0xB0, 0x79}, {240, 0xB0, 0x07}, {300, 0xB0, 0x0A},
                               {360, 0xB0, 0x5B}, {420, 0xB0, 0x5D}, {480, 0xC0, 0}};
    if (t.size() < 6)
        return -1;
    const int channel = t[0]->isChannelEvent() ? t[0]->channel() : -1;
    for (size_t i = 0; i < 6; ++i) {
        const MidiEvent& e = *t[i];
        const Step& s = kSetUp[i];
        if (!e.isChannelEvent() || e.channel() != channel || e.kind() != s.kind ||
            e.tick != s.tick || (s.kind == 0xB0 && e.d1 != s.d1))
            return -1;
    }
    return channel;
}

// The export's closing program 0, one beat after the track's last event.
bool endsOnClosingProgram(const std::vector<const MidiEvent*>& t) {
    auto last =
        std::find_if(t.rbegin(), t.rend(), [](const MidiEvent* e) { return e->isChannelEvent(); });
    return last != t.rend() && t.size() > 6 && (*last)->kind() == 0xC0 && (*last)->d1 == 0 &&
           last + 1 != t.rend() && (*last)->tick == (*(last + 1))->tick + 480;
}

// Parts of a run of `count` channel-10 tracks between part `after` and part `before`:
// consecutive, through part 10 where they fit around it. Empty when they do not fit.
std::vector<int> rhythmRun(int after, int before, int count) {
    if (before - after - 1 < count)
        return {};
    const int first = std::max(after + 1, std::min(kRhythmPart, before - count));
    std::vector<int> parts(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        parts[static_cast<size_t>(i)] = first + i;
    return parts;
}

// Parts of the part tracks from their channels; empty when the order cannot be ours.
std::vector<int> partsOfChannels(const std::vector<int>& channels) {
    std::vector<int> parts;
    size_t i = 0;
    int previous = -1;
    while (i < channels.size()) {
        if (channels[i] != kRhythmChannel) {
            if (channels[i] <= previous)
                return {};
            previous = channels[i];
            parts.push_back(previous);
            ++i;
            continue;
        }
        size_t end = i;
        while (end < channels.size() && channels[end] == kRhythmChannel)
            ++end;
        const int before = end < channels.size() ? channels[end] : kParts;
        const std::vector<int> run = rhythmRun(previous, before, static_cast<int>(end - i));
        if (run.empty())
            return {};
        parts.insert(parts.end(), run.begin(), run.end());
        previous = run.back();
        i = end;
    }
    return parts;
}

} // namespace

TrackParts channelParts(const MidiFileEvents& file) {
    TrackParts layout;
    layout.partOfTrack.assign(file.trackCount, -1);
    layout.trailingProgram.assign(file.trackCount, false);
    layout.rhythm[kRhythmPart] = true;
    return layout;
}

std::optional<TrackParts> recogniseOwnExport(const MidiFileEvents& file) {
    if (file.division != 480 || file.trackCount < 1)
        return std::nullopt;
    const auto tracks = eventsByTrack(file);
    if (!conductorOpens(tracks[0]))
        return std::nullopt;
    std::vector<int> channels;
    for (size_t t = 1; t < tracks.size(); ++t) {
        const int c = setUpChannel(tracks[t]);
        if (c < 0)
            return std::nullopt;
        channels.push_back(c);
    }
    const std::vector<int> parts = partsOfChannels(channels);
    if (parts.size() != channels.size())
        return std::nullopt;
    TrackParts layout;
    layout.ownExport = true;
    layout.partOfTrack.assign(file.trackCount, -1);
    layout.trailingProgram.assign(file.trackCount, false);
    bool anyClosing = false;
    for (size_t i = 0; i < parts.size(); ++i) {
        layout.partOfTrack[i + 1] = parts[i];
        layout.rhythm[static_cast<size_t>(parts[i])] = channels[i] == kRhythmChannel;
        layout.trailingProgram[i + 1] = endsOnClosingProgram(tracks[i + 1]);
        anyClosing = anyClosing || layout.trailingProgram[i + 1];
    }
    layout.loopPoint = !parts.empty() && !anyClosing;
    return layout;
}

} // namespace zelk
