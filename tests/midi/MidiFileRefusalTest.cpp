#include "SmfBytes.h"

#include "midi/MidiFileEvents.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace zelk {
namespace {

using namespace test;

Bytes header(uint16_t format, uint16_t tracks, uint16_t division) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            static_cast<uint8_t>(format >> 8),
            static_cast<uint8_t>(format),
            static_cast<uint8_t>(tracks >> 8),
            static_cast<uint8_t>(tracks),
            static_cast<uint8_t>(division >> 8),
            static_cast<uint8_t>(division)};
}

const Bytes kOneNote = trackChunk({{0, {0x90, 60, 100}}, {96, {0x80, 60, 0}}, {0, kEndOfTrack}});

MidiRefusal refusalOf(const Bytes& file, size_t maxEvents = kMaxMidiEvents) {
    try {
        readMidiEvents(file, maxEvents);
    } catch (const MidiFileError& e) {
        return e.why();
    }
    ADD_FAILURE() << "the file was read";
    return MidiRefusal::NotMidi;
}

TEST(MidiFileRefusalTest, EachRefusedFileSaysWhy) {
    Bytes pastEnd = cat({header(1, 1, 96), kOneNote});
    pastEnd[21] = 0x7F; // the track's length now runs far past the file
    Bytes longVlq = cat({header(0, 1, 96),
                         ascii("MTrk"),
                         {0, 0, 0, 8},
                         {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 100}});
    const struct {
        const char* what;
        Bytes file;
        MidiRefusal why;
    } cases[] = {
        {"no header", ascii("RIFF....RMIDdata"), MidiRefusal::NotMidi},
        {"a header shorter than six bytes",
         {'M', 'T', 'h', 'd', 0, 0, 0, 4, 0, 0, 0, 1, 0, 96},
         MidiRefusal::NotMidi},
        {"format 2", cat({header(2, 1, 96), kOneNote}), MidiRefusal::Format2},
        {"format 7", cat({header(7, 1, 96), kOneNote}), MidiRefusal::NotMidi},
        {"25 frames of 40 ticks", cat({header(1, 1, 0xE728), kOneNote}),
         MidiRefusal::SmpteDivision},
        {"0 ticks per quarter", cat({header(1, 1, 0), kOneNote}), MidiRefusal::Damaged},
        {"a track length past the end", pastEnd, MidiRefusal::Damaged},
        {"a variable-length number of five bytes", longVlq, MidiRefusal::Damaged},
        {"a chunk header cut short", cat({header(1, 1, 96), ascii("MTr")}), MidiRefusal::Damaged},
    };
    for (const auto& c : cases)
        EXPECT_EQ(refusalOf(c.file), c.why) << c.what;
}

TEST(MidiFileRefusalTest, LenientWhereOtherReadersAre) {
    // A longer header of a later version, unknown chunks between tracks, and a declared
    // track count higher than the tracks the file holds.
    Bytes longHeader = header(1, 3, 96);
    longHeader[7] = 8;
    const Bytes file = cat({longHeader,
                            {0xAB, 0xCD},
                            kOneNote,
                            ascii("XFIH"),
                            {0, 0, 0, 1},
                            {7},
                            trackChunk({{48, {0x91, 64, 90}}, {48, {0x91, 64, 0}}})});
    const MidiFileEvents f = readMidiEvents(file);
    EXPECT_EQ(f.trackCount, 2);
    EXPECT_EQ(f.division, 96);
    ASSERT_EQ(f.events.size(), 4u);
    EXPECT_EQ(f.events[1].track, 1) << "the second track's note-on at tick 48";
    EXPECT_EQ(f.lastTick, 96u);
    EXPECT_EQ(midiTrackBodies(file).size(), 2u);
}

TEST(MidiFileRefusalTest, TracksMergeInTimeOrderTrackOrderOnEqualTicks) {
    // Five tracks (an odd count, so one is left over in a round of merging), an empty one
    // among them, events on the same ticks across and within tracks. Controller number
    // 10 x track + place names each event. Each track opens with a text of `pad` bytes,
    // which the count before the reading skips and the reading keeps.
    const std::vector<std::vector<uint32_t>> ticks = {
        {0, 0, 48, 96}, // two on tick 0: file order kept
        {0, 48, 48},    // ties with track 0 at 0 and 48 come after it
        {},             // an empty track
        {10, 96},       // between, and on the last tick after tracks 0
        {0, 200},       // last to start, last to end
    };
    for (const size_t pad : {size_t{1}, size_t{100'000}}) {
        Bytes file = header(1, static_cast<uint16_t>(ticks.size()), 96);
        struct Placed {
            uint32_t tick;
            int name;
        };
        std::vector<Placed> expected;
        for (size_t t = 0; t < ticks.size(); ++t) {
            std::vector<Ev> events{{0, metaText(0x01, std::string(pad, 'a' + t))}};
            uint32_t last = 0;
            for (size_t i = 0; i < ticks[t].size(); ++i) {
                const auto name = static_cast<uint8_t>(10 * t + i);
                events.push_back({ticks[t][i] - last, {0xB0, name, 1}});
                expected.push_back({ticks[t][i], name});
                last = ticks[t][i];
            }
            events.push_back({0, kEndOfTrack});
            file = cat({file, trackChunk(events)});
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const Placed& a, const Placed& b) { return a.tick < b.tick; });
        const MidiFileEvents f = readMidiEvents(file);
        std::vector<int> names;
        std::string texts;
        for (const MidiEvent& e : f.events) {
            if (e.isChannelEvent())
                names.push_back(e.d1);
            else if (e.data.size() == pad)
                texts += e.data.front();
        }
        std::vector<int> want;
        for (const Placed& p : expected)
            want.push_back(p.name);
        EXPECT_EQ(names, want) << pad;
        EXPECT_EQ(texts, "abcde") << pad;
        EXPECT_EQ(f.lastTick, 200u);
        EXPECT_TRUE(
            std::is_sorted(f.events.begin(), f.events.end(),
                           [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; }));
    }
}

TEST(MidiFileRefusalTest, HostileSizesAreRefusedWithoutReadingThemWhole) {
    // Three-byte running-status events, one after another in 20 tracks: past the event
    // cap (here 1000) the reader stops instead of growing without bound.
    Bytes body{0x00, 0xB0, 7, 100};
    for (size_t i = 1; i < 60; ++i)
        body.insert(body.end(), {0x00, 7, 100});
    const auto n = static_cast<uint32_t>(body.size());
    const Bytes track = cat({ascii("MTrk"),
                             {static_cast<uint8_t>(n >> 24), static_cast<uint8_t>(n >> 16),
                              static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)},
                             body});
    Bytes many = header(1, 20, 96);
    for (int t = 0; t < 20; ++t)
        many = cat({many, track});
    EXPECT_EQ(readMidiEvents(many, 1200).events.size(), 1200u);
    EXPECT_EQ(refusalOf(many, 1199), MidiRefusal::TooLarge);

    // A million empty chunks of an unknown kind, then the most tracks a header can declare,
    // all empty: read through in one pass, holding nothing for them.
    Bytes tracks = header(1, 0xFFFF, 96);
    tracks.reserve(tracks.size() + 8 * (0xFFFF + 1'000'000));
    for (int t = 0; t < 1'000'000; ++t)
        tracks.insert(tracks.end(), {'X', 'X', 'X', 'X', 0, 0, 0, 0});
    for (int t = 0; t < 0xFFFF; ++t)
        tracks.insert(tracks.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
    const MidiFileEvents empty = readMidiEvents(tracks);
    EXPECT_EQ(empty.trackCount, 0xFFFF);
    EXPECT_TRUE(empty.events.empty());

    // A file one byte over the cap: refused by its size.
    TempFolder tmp;
    const auto big = tmp.path() / "big.mid";
    {
        std::ofstream out(big, std::ios::binary);
        const Bytes h = cat({header(1, 0, 96)});
        out.write(reinterpret_cast<const char*>(h.data()), static_cast<std::streamsize>(h.size()));
        out.seekp(static_cast<std::streamoff>(kMaxMidiFile));
        out.put('\0');
    }
    try {
        readMidiEventsFile(big);
        ADD_FAILURE() << "a file over the cap was read";
    } catch (const MidiFileError& e) {
        EXPECT_EQ(e.why(), MidiRefusal::TooLarge);
    }
}

} // namespace
} // namespace zelk
