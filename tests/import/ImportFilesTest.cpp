#include "ImportFixture.h"

#include "import/OwnExport.h"
#include "import/SongEvents.h"
#include "midi/MidiFileEvents.h"

#include <random>

namespace zelk {
namespace {

using namespace test;

TEST_F(ImportTest, AFileThatFitsTheGridComesInWithoutReport) {
    // 4/4 at 120 in C major, quarter notes on the beats, program and sends at the start.
    import(smf(480, {{{0, timeSig(4, 2)},
                      {0, { 0xFF,
                            0x59,
                            0x02,
                            0,
                            0 }},
                      { 0,
                        tempoEv(500'000) }},
                     { {0, program(3, 12)},
                       {0, cc(3, 91, 40)},
                       {0, noteOn(3, 60, 100)},
                       {480, noteOff(3, 60)},
                       {480, noteOn(3, 64, 100)},
                       { 960,
                         noteOff(3, 64) } }}));
    EXPECT_TRUE(result.report.empty()) << result.report.englishLines().front();
    EXPECT_FALSE(result.ownExport);
    EXPECT_EQ(notesOf(3), (std::vector<GridNoteAt>{{28, 0, 8, 0, false}, {26, 8, 16, 0, false}}));
    EXPECT_EQ(partOf(3)->PartProgram, 12);
}

TEST_F(ImportTest, FormatZeroWithRunningStatusAndTracksSharingAChannel) {
    // Format 0: one track, running status across notes of two channels.
    const Bytes body{0x00, 0x90, 60,   90, 0x00, 64,   90,   0x83, 0x60, 60,   0,    0x00, 64,
                     0,    0x00, 0x91, 67, 80,   0x83, 0x60, 67,   0,    0x00, 0xFF, 0x2F, 0x00};
    const auto n = static_cast<uint8_t>(body.size());
    import(cat({{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0},
                ascii("MTrk"),
                {0, 0, 0, n},
                body}));
    EXPECT_EQ(notesOf(0), (std::vector<GridNoteAt>{{26, 0, 8, 0, false}, {28, 0, 8, 0, false}}));
    EXPECT_EQ(notesOf(1), (std::vector<GridNoteAt>{{24, 8, 16, 0, false}}));

    // Format 1: two tracks on channel 0 play one part.
    import(smf(480, {{{0, noteOn(0, 60, 90)},
                      { 480,
                        noteOff(0, 60) }},
                     { {480, noteOn(0, 62, 90)},
                       { 960,
                         noteOff(0, 62) } }}));
    EXPECT_EQ(notesOf(0), (std::vector<GridNoteAt>{{28, 0, 8, 0, false}, {27, 8, 16, 0, false}}));
}

TEST_F(ImportTest, NotesTheFileNeverEndsEndWithIt) {
    import(smf(480,
               {{ {0, noteOn(0, 60, 90)},
                  {100, noteOff(0, 62)},
                  { 960,
                    { 0xFF,
                      0x06,
                      0 } } }}));
    EXPECT_EQ(notesOf(0), (std::vector<GridNoteAt>{{28, 0, 16, 0, false}}));
    EXPECT_EQ(count(ImportChange::UnendedNotes), 1);
}

// Our export's part tracks by their channels: each gets a part of its own in track order,
// channel 10 tracks the first free parts after the one before (part 10 where it fits).
// The parts of a file of many notes are made on several threads: each comes out as it
// does from a file holding that channel alone, and the report adds up.
TEST_F(ImportTest, APartComesInAsItDoesAlone) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> jitter(-20, 20), key(48, 84), len(60, 700);
    const std::vector<At> conductor{{0, timeSig(4, 2)}, {0, tempoEv(500'000)}};
    std::vector<std::vector<At>> channels(16);
    size_t notes = 0;
    for (int ch = 0; ch < 16; ++ch)
        for (int i = 0; i < (ch == 9 ? 0 : 40); ++i, ++notes) {
            const auto on = static_cast<uint32_t>(std::max(0, i * 240 + jitter(rng)));
            const int k = key(rng);
            channels[static_cast<size_t>(ch)].push_back({on, noteOn(ch, k, 60 + i % 60)});
            channels[static_cast<size_t>(ch)].push_back(
                {on + static_cast<uint32_t>(len(rng)), noteOff(ch, k)});
        }
    ASSERT_GE(notes, SongEvents::kNotesForWorkers);
    std::vector<std::vector<At>> all{conductor};
    all.insert(all.end(), channels.begin(), channels.end());
    import(smf(480, all));
    const ImportReport whole = result.report;
    std::array<std::vector<GridNoteAt>, 16> together;
    for (int p = 0; p < 16; ++p)
        together[static_cast<size_t>(p)] = notesOf(p);
    std::array<int, kImportChangeKinds> counts{};
    for (int ch = 0; ch < 16; ++ch) {
        import(smf(480, {conductor, channels[static_cast<size_t>(ch)]}));
        EXPECT_EQ(notesOf(ch), together[static_cast<size_t>(ch)]) << "part " << ch + 1;
        for (int k = 0; k < kImportChangeKinds; ++k)
            counts[static_cast<size_t>(k)] += count(static_cast<ImportChange>(k));
    }
    for (int k = 0; k < kImportChangeKinds; ++k)
        EXPECT_EQ(whole.count(static_cast<ImportChange>(k)), counts[static_cast<size_t>(k)])
            << "kind " << k;
    EXPECT_GT(whole.count(ImportChange::NotesMoved), 0);
}

TEST(OwnExportTest, RhythmTracksTakeFreePartsInTrackOrder) {
    const struct {
        std::vector<int> channels;
        std::vector<int> parts;
    } cases[] = {
        {{0, 9, 12}, {0, 9, 12}}, // part 10 fits between
        {{0, 9, 9, 12}, {0, 9, 10, 12}},
        {{0, 9, 2}, {0, 1, 2}}, // before part 3: the first free after part 1
        {{9, 9, 9}, {9, 10, 11}},
        {{14, 9}, {14, 15}},
        {{9, 0}, {}}, // no free part before part 1: not our export
    };
    for (const auto& c : cases) {
        std::vector<std::vector<At>> tracks{{{0, metaText(0x03, "t")},
                                             {0, metaText(0x02, "c")},
                                             {0, kGmSystemOn},
                                             {0, timeSig(1, 2)},
                                             {480, timeSig(4, 2)},
                                             {480, {0xFF, 0x59, 0x02, 0, 0}},
                                             {480, tempoEv(500'000)}}};
        for (const int ch : c.channels)
            tracks.push_back({{180, cc(ch, 0x79, 0)},
                              {240, cc(ch, 0x07, 127)},
                              {300, cc(ch, 0x0A, 64)},
                              {360, cc(ch, 0x5B, 40)},
                              {420, cc(ch, 0x5D, 0)},
                              {480, program(ch, 0)},
                              {480, noteOn(ch, 60, 100)},
                              {960, noteOff(ch, 60)},
                              {1440, program(ch, 0)}});
        const Bytes file = smf(480, tracks);
        const auto layout = recogniseOwnExport(readMidiEvents(file));
        if (c.parts.empty()) {
            EXPECT_FALSE(layout);
            continue;
        }
        ASSERT_TRUE(layout);
        std::vector<int> parts(layout->partOfTrack.begin() + 1, layout->partOfTrack.end());
        EXPECT_EQ(parts, c.parts);
        for (size_t i = 0; i < parts.size(); ++i)
            EXPECT_EQ(layout->rhythm[static_cast<size_t>(parts[i])], c.channels[i] == 9);
        EXPECT_FALSE(layout->loopPoint) << "every track closes on program 0";
    }
}

// A damaged export whose part track lost its notes: the part comes in without them.
TEST(OwnExportTest, APartTrackWithoutNotesComesInEmpty) {
    const Bytes file = smf(480, {{{0, metaText(0x03, "t")},
                                  {0, metaText(0x02, "c")},
                                  {0, kGmSystemOn},
                                  {0, timeSig(1, 2)},
                                  {480, timeSig(4, 2)},
                                  {480, {0xFF, 0x59, 0x02, 0, 0}},
                                  {480, tempoEv(500'000)}},
                                 {{180, cc(0, 0x79, 0)},
                                  {240, cc(0, 0x07, 127)},
                                  {300, cc(0, 0x0A, 64)},
                                  {360, cc(0, 0x5B, 40)},
                                  {420, cc(0, 0x5D, 0)},
                                  {480, program(0, 0)},
                                  {600, {0xE0, 0, 0x50}},
                                  {1440, program(0, 0)}}});
    const MidiImport result = importMidi(file, IconvShiftJis(), "");
    EXPECT_TRUE(result.ownExport);
    EXPECT_FALSE(result.exact);
    EXPECT_FALSE(result.image.parts[0].present);
}

} // namespace
} // namespace zelk
