// Each loop rule over small hand-made files: one that breaks it and ones that keep it.

#include "midi/LoopCheck.h"

#include "support/SongBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zelk {
namespace {

// Loop from measure 2 to the end of measure 3 of a reset song (4/4, 32 columns).
constexpr uint32_t kStart = 480 + 32 * 60;
constexpr uint32_t kEnd = 480 + 96 * 60;
constexpr uint32_t kMeasure3 = 480 + 64 * 60;

MidiEvent ev(uint32_t tick, uint16_t track, uint8_t status, uint8_t d1, uint8_t d2 = 0) {
    MidiEvent e;
    e.tick = tick;
    e.track = track;
    e.status = status;
    e.d1 = d1;
    e.d2 = d2;
    return e;
}
MidiEvent on(uint32_t tick, uint16_t track, uint8_t key) {
    return ev(tick, track, 0x90, key, 100);
}
MidiEvent off(uint32_t tick, uint16_t track, uint8_t key) {
    return ev(tick, track, 0x90, key, 0);
}
MidiEvent tempo(uint32_t tick, int bpm) {
    MidiEvent e = ev(tick, 0, 0xFF, 0);
    e.meta = 0x51;
    const auto us = static_cast<uint32_t>(60'000'000 / bpm);
    e.data = {static_cast<char>(us >> 16), static_cast<char>(us >> 8), static_cast<char>(us)};
    return e;
}

struct Case {
    const char* name;
    std::vector<MidiEvent> events;
    std::vector<std::string> found;
};

class LoopRuleTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    std::vector<int> trackParts{0, 2}; // track 1 plays part 1, track 2 part 3
    MidiFileEvents file;

    // The rule over a file of a conductor and two part tracks ending on the loop end.
    LoopFindings run(LoopFindings (*rule)(const LoopSubject&), std::vector<MidiEvent> events,
                     uint32_t lastTick = kEnd) {
        std::stable_sort(events.begin(), events.end(),
                         [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
        file.trackCount = 3;
        file.events = std::move(events);
        file.lastTick = lastTick;
        const LoopSubject s{file, trackParts, LoopSpan{32, 96, kStart, kEnd},
                            [this](uint32_t t) { return measureOfExportTick(song, t); }, &song};
        return rule(s);
    }
    void expectTable(LoopFindings (*rule)(const LoopSubject&), const std::vector<Case>& cases) {
        for (const Case& c : cases)
            EXPECT_EQ(run(rule, c.events), c.found) << c.name;
    }
};

TEST_F(LoopRuleTest, NotesCutOffByTheWrapAtTheLoopEnd) {
    const std::string cut = "part 3: key 60 begun in measure 3 and is cut off at the loop end";
    expectTable(
        notesAcrossLoopEnd,
        {
            {"ends on the loop end", {on(kMeasure3, 2, 60), off(kEnd, 2, 60)}, {}},
            {"ends after it", {on(kMeasure3, 2, 60), off(kEnd + 60, 2, 60)}, {cut}},
            {"never ends", {on(kMeasure3, 2, 60)}, {cut}},
            {"note-off status 80 ends it", {on(kMeasure3, 2, 60), ev(kEnd, 2, 0x80, 60)}, {}},
            {"begins on the loop end", {on(kEnd, 1, 60), off(kEnd + 60, 1, 60)}, {}},
            // The same key struck twice: the first note-off ends the first note.
            {"repeated key",
             {on(kStart, 2, 60), on(kMeasure3, 2, 60), off(kMeasure3 + 60, 2, 60),
              off(kEnd + 60, 2, 60)},
             {cut}},
            {"another key's note-off does not end it",
             {on(kMeasure3, 2, 60), off(kEnd, 2, 62), off(kEnd + 60, 2, 60)},
             {cut}},
            {"another track's note-off does not end it",
             {on(kMeasure3, 2, 60), off(kEnd, 1, 60), off(kEnd + 60, 2, 60)},
             {cut}},
        });
}

TEST_F(LoopRuleTest, NotesBegunBeforeTheLoopStillSoundingAtItsStart) {
    const std::string held = "part 1: key 48 begun in measure 1 still sounds at the loop start";
    expectTable(
        notesAcrossLoopStart,
        {
            {"held over the start", {on(kStart - 480, 1, 48), off(kStart + 240, 1, 48)}, {held}},
            {"ends on the start", {on(kStart - 480, 1, 48), off(kStart, 1, 48)}, {}},
            {"begins on the start", {on(kStart, 1, 48), off(kStart + 240, 1, 48)}, {}},
        });
}

TEST_F(LoopRuleTest, ATrackWithoutAPartIsNamedByItsNumber) {
    trackParts = {0};
    EXPECT_EQ(run(notesAcrossLoopStart, {on(kStart - 60, 2, 50)}),
              LoopFindings{"track 2: key 50 begun in measure 1 still sounds at the loop start"});
}

TEST_F(LoopRuleTest, ControllersLeftOtherwiseAtTheEndThanAtTheStart) {
    expectTable(controllersChangedByTheLoop,
                {
                    {"bend changed inside the loop",
                     {ev(kMeasure3, 1, 0xE0, 0, 80)},
                     {"part 1: pitch bend 64 at the loop start, 80 at the end"}},
                    {"bend changed and put back",
                     {ev(kStart + 60, 1, 0xE0, 0, 80), ev(kMeasure3, 1, 0xE0, 0, 64)},
                     {}},
                    {"bend set before the loop and kept", {ev(kStart - 60, 1, 0xE0, 0, 80)}, {}},
                    {"the start tick replays its own value",
                     {ev(kStart, 1, 0xE0, 0, 90), ev(kMeasure3, 1, 0xE0, 0, 100)},
                     {}},
                    {"a change on the end tick is never played", {ev(kEnd, 1, 0xE0, 0, 100)}, {}},
                    {"a change just before the end is",
                     {ev(kEnd - 20, 1, 0xE0, 0, 100)},
                     {"part 1: pitch bend 64 at the loop start, 100 at the end"}},
                    {"modulation",
                     {ev(kMeasure3, 1, 0xB0, 1, 30)},
                     {"part 1: modulation 0 at the loop start, 30 at the end"}},
                    {"expression of the second track",
                     {ev(kMeasure3, 2, 0xB3, 11, 100)},
                     {"part 3: expression 127 at the loop start, 100 at the end"}},
                    {"pan",
                     {ev(kMeasure3, 1, 0xB0, 10, 0)},
                     {"part 1: pan 64 at the loop start, 0 at the end"}},
                    {"hold pedal left down",
                     {ev(kMeasure3, 2, 0xB0, 64, 127)},
                     {"part 3: hold pedal 0 at the loop start, 127 at the end"}},
                    {"program",
                     {ev(480, 1, 0xC0, 3), ev(kMeasure3, 1, 0xC0, 5)},
                     {"part 1: program 3 at the loop start, 5 at the end"}},
                    {"each track keeps its own values",
                     {ev(kStart - 60, 2, 0xB0, 10, 30), ev(kMeasure3, 1, 0xB0, 10, 30)},
                     {"part 1: pan 64 at the loop start, 30 at the end"}},
                    {"volume, reverb and the loop marker are not looked at",
                     {ev(kMeasure3, 1, 0xB0, 7, 20), ev(kMeasure3, 1, 0xB0, 91, 0),
                      ev(kStart + 60, 1, 0xB0, 111, 0)},
                     {}},
                    {"two settings changed in one track",
                     {ev(kMeasure3, 1, 0xE0, 0, 0), ev(kMeasure3, 1, 0xB0, 64, 127)},
                     {"part 1: pitch bend 64 at the loop start, 0 at the end",
                      "part 1: hold pedal 0 at the loop start, 127 at the end"}},
                });
}

TEST_F(LoopRuleTest, TempoLeftOtherwiseAtTheEndThanAtTheStart) {
    expectTable(tempoChangedByTheLoop,
                {
                    {"no tempo at all", {}, {}},
                    {"slower inside the loop",
                     {tempo(kMeasure3, 90)},
                     {"tempo 120 at the loop start, 90 at the end"}},
                    {"set before the loop",
                     {tempo(480, 150), tempo(kMeasure3, 90)},
                     {"tempo 150 at the loop start, 90 at the end"}},
                    {"changed and put back", {tempo(kStart + 60, 90), tempo(kMeasure3, 120)}, {}},
                    {"set on the start tick", {tempo(kStart, 140), tempo(kMeasure3, 90)}, {}},
                    {"changed on the end tick", {tempo(kEnd, 90)}, {}},
                });
}

TEST_F(LoopRuleTest, FileEndingOffTheLoopsBarLine) {
    EXPECT_EQ(run(midiWrapOffTheBar, {}, kEnd), LoopFindings{});
    EXPECT_EQ(run(midiWrapOffTheBar, {}, kEnd - 240),
              LoopFindings{"MIDI loop ends 240 ticks before the bar line of measure 3 (export "
                           "with --loop-to-bar)"});
    EXPECT_EQ(run(midiWrapOffTheBar, {}, kEnd + 480),
              LoopFindings{"MIDI loop ends 480 ticks after the bar line of measure 3"});
}

TEST(UnplayableLoopTest, SaysWhyTheLoopPointCannotPlay) {
    Song song = test::freshSong();
    song.LoopOn = 1;
    song.LoopMeasure = 300;
    EXPECT_EQ(unplayableLoop(song, NoLoop::BeyondSong),
              "loop point: measure 301 lies beyond the last measure (300)");
    song.LoopMeasure = 4;
    EXPECT_EQ(unplayableLoop(song, NoLoop::NoNotesAfter),
              "loop point: measure 5 has no notes from there on");
    EXPECT_EQ(unplayableLoop(song, NoLoop::Off), std::nullopt);
}

} // namespace
} // namespace zelk
