#include "MidiWriterFixture.h"

#include "midi/ConductorTrack.h"
#include "midi/TrackBuffer.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using namespace test;

TEST(TempoMicros, QuarterNoteLengthInMicroseconds) {
    struct Case {
        int bpm;
        uint32_t us;
    };
    const Case cases[] = {
        {120, 0x07A120}, // 500 000
        {300, 0x030D40}, // 200 000, the fastest tempo offered
        {4, 0xE4E1C0},   // 15 000 000, the slowest that fits 24 bits
        {3, 0x312D00},   // 20 000 000 = 0x1312D00: only the low 24 bits are kept
        {2, 0xC9C380},   // 30 000 000 = 0x1C9C380
        {1, 0x938700},   // 60 000 000 = 0x3938700
        {7, 8571428},    // the division truncates
    };
    for (const auto& c : cases)
        EXPECT_EQ(tempoMicros(c.bpm), c.us) << "tempo " << c.bpm;
}

TEST(TimeSignatureOf, QuarterEighthOrSixteenthDenominator) {
    struct Case {
        int cols;
        uint8_t nn;
        uint8_t dd;
    };
    const Case cases[] = {
        {32, 4, 2}, // 4/4
        {12, 3, 3}, // 3/8
        {28, 7, 3}, // 7/8
        {8, 1, 2},  // 1/4
        {48, 6, 2}, // 6/4
        {4, 1, 3},  // 1/8
        {20, 5, 3}, // 5/8
        {40, 5, 2}, // 5/4
        {16, 2, 2}, // 2/4, not 4/8
        {6, 3, 4},  // no offered signature: sixteenths
    };
    for (const auto& c : cases) {
        const TimeSignature ts = timeSignatureOf(c.cols);
        EXPECT_EQ(ts.nn, c.nn) << c.cols << " columns";
        EXPECT_EQ(ts.dd, c.dd) << c.cols << " columns";
    }
}

TEST(KeySignatureByte, SharpsCountUpFlatsCountDown) {
    struct Case {
        uint8_t keyCode;
        uint8_t sf;
    };
    const Case cases[] = {
        {0, 0},                              // C major
        {16, 1},                             // one sharp (F)
        {25, 3},                             // three sharps
        {127, 7},                            // seven sharps
        {128 + 2, 0xFF},                     // one flat: -1
        {128 + 34, 0xFE}, {128 + 127, 0xF9}, // seven flats: -7
        {128, 0},                            // the flat list with no accidentals is still C major
    };
    for (const auto& c : cases)
        EXPECT_EQ(keySignatureByte(c.keyCode), c.sf) << "key code " << int(c.keyCode);
}

class ConductorTest : public MidiWriterTest {
protected:
    Bytes conductor(const MidiExportOptions& opt, int32_t songEnd) {
        TrackBuffer t;
        buildConductorTrack(song, opt, songEnd, encoder, t);
        return t.bytes();
    }
    Bytes exportConductor(int32_t songEnd) {
        return conductor(MidiExportOptions::forExport(), songEnd);
    }
};

// The first measure boundary always states the signature; later ones only when it changes.
TEST_F(ConductorTest, TimeSignatureAtEveryChangedMeasureLength) {
    song.MeasureLen.setLen(1, 12); // 3/8: measure 2 starts at column 12
    song.MeasureLen.setLen(3, 48); // 6/4 from column 44
    song.MeasureLen.setLen(4, 48);
    song.MeasureLen.setLen(5, 28); // 7/8 from column 140
    const Bytes expected = trackBody(conductorHead(true, 0x07A120, timeSig(3, 3)) +
                                     std::vector<Ev>{{60 * 12, timeSig(4, 2)},
                                                     {60 * 32, timeSig(6, 2)},
                                                     {60 * 96, timeSig(7, 3)},
                                                     {0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(141), expected);
}

// Changes are written for columns up to the song's end - 1 only.
TEST_F(ConductorTest, ChangesStopBeforeTheSongsEnd) {
    song.TemLane[31] = 300;
    const Bytes before = trackBody(conductorHead(true) + std::vector<Ev>{{0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(31), before);
    const Bytes at = trackBody(conductorHead(true) +
                               std::vector<Ev>{{60 * 31, tempoEv(200000)}, {0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(32), at);
}

TEST_F(ConductorTest, TempoChangesAndMeasureBoundaryShareATick) {
    for (int x = 32; x < 9601; ++x)
        song.TemLane[x] = 90;
    song.TemLane[40] = 91;
    const Bytes expected =
        trackBody(conductorHead(true) + std::vector<Ev>{{60 * 32, timeSig(4, 2)},
                                                        {0, tempoEv(666666)},
                                                        {60 * 8, tempoEv(659340)},
                                                        {60, tempoEv(666666)},
                                                        {0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(50), expected);
}

TEST_F(ConductorTest, KeySignatureComesFromTheKeyCode) {
    song.KeyCode = 128 + 38; // three flats
    std::vector<Ev> head = conductorHead(true);
    head[5] = {0, {0xFF, 0x59, 0x02, 0xFD, 0x00}};
    EXPECT_BYTES(exportConductor(0), trackBody(head + std::vector<Ev>{{0, kEndOfTrack}}));
}

TEST_F(ConductorTest, TitleOf130BytesHasATwoByteLength) {
    song.SongTitle = std::string(130, 'a');
    const Bytes t = exportConductor(0);
    EXPECT_EQ(Bytes(t.begin(), t.begin() + 5), (Bytes{0x00, 0xFF, 0x03, 0x81, 0x02}));
    EXPECT_EQ(t.size(), trackBody(conductorHead(true)).size() + 4 + 125 + 1);
}

// A text longer than 255 characters failed the export; it is now written whole.
TEST_F(ConductorTest, TitleAndCopyrightLongerThan255AreWrittenWhole) {
    song.SongTitle = std::string(300, 't');
    song.SongCopyright = std::string(20000, 'c');
    std::vector<Ev> head = conductorHead(true);
    head[0] = {0, metaText(0x03, song.SongTitle)};
    head[1] = {0, metaText(0x02, song.SongCopyright)};
    EXPECT_EQ(vlq(300), (Bytes{0x82, 0x2C}));
    EXPECT_BYTES(exportConductor(0), trackBody(head + std::vector<Ev>{{0, kEndOfTrack}}));
}

TEST_F(ConductorTest, TextsGoThroughTheEncoder) {
    class Upper : public TextEncoder {
    public:
        std::string encode(std::string_view s) const override {
            std::string r(s);
            for (char& ch : r)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            return r;
        }
    } upper;
    TrackBuffer t;
    buildConductorTrack(song, MidiExportOptions::forExport(), 0, upper, t);
    const Bytes expected =
        cat({{0x00}, metaText(0x03, "TITLE"), {0x00}, metaText(0x02, "COPYRIGHT(C) BY ?")});
    EXPECT_EQ(Bytes(t.bytes().begin(), t.bytes().begin() + static_cast<long>(expected.size())),
              expected);
}

// Tempo 0 (the bottom edge of the tempo lane) divided by zero; it now writes no event.
TEST_F(ConductorTest, TempoZeroKeepsTheTempoInForce) {
    for (int x = 16; x < 24; ++x)
        song.TemLane[x] = 0;
    for (int x = 24; x < 9601; ++x)
        song.TemLane[x] = 100;
    const Bytes expected = trackBody(conductorHead(true) +
                                     std::vector<Ev>{{60 * 24, tempoEv(600000)}, {0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(30), expected);
}

TEST_F(ConductorTest, TempoZeroAtTheStartTakesTheFirstRealTempo) {
    for (int x = 0; x < 10; ++x)
        song.TemLane[x] = 0;
    for (int x = 10; x < 9601; ++x)
        song.TemLane[x] = 90;
    const Bytes expected =
        trackBody(conductorHead(true, 666666) + std::vector<Ev>{{0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(30), expected);
}

TEST_F(ConductorTest, TempoLaneAllZeroPlays120) {
    song.TemLane.fill(0);
    EXPECT_BYTES(exportConductor(30),
                 trackBody(conductorHead(true) + std::vector<Ev>{{0, kEndOfTrack}}));
}

// Playback from measure 3 after a 3/8 measure: the first boundary seen writes the length
// of the measure it opens, even though it equals the shown one.
TEST_F(ConductorTest, PlaybackStartsItsClockAtTheFirstShownColumn) {
    song.MeasureLen.setLen(2, 12);
    song.TemLane[44] = 60; // first column of measure 3 (32 + 12)
    const auto opt = MidiExportOptions::forPlayback(song, 3, kAllParts);
    ASSERT_EQ(opt.ViewCol, 44);
    const Bytes expected = trackBody(
        conductorHead(false, 1000000) +
        std::vector<Ev>{{60, tempoEv(500000)}, {60 * 31, timeSig(4, 2)}, {0, kEndOfTrack}});
    EXPECT_BYTES(conductor(opt, 100), expected);
}

// A song shorter than its parts (a time-signature change shortened it) has no measure to
// look up past its last one.
TEST_F(ConductorTest, ChangesPastTheLastMeasureStopTheSignatures) {
    song.MeasureLen.resize(2);
    song.resetKeySignatures();
    for (int x = 80; x < 9601; ++x)
        song.TemLane[x] = 60;
    const Bytes expected = trackBody(
        conductorHead(true) +
        std::vector<Ev>{{60 * 32, timeSig(4, 2)}, {60 * 48, tempoEv(1000000)}, {0, kEndOfTrack}});
    EXPECT_BYTES(exportConductor(100), expected);
}

} // namespace
} // namespace zelk
