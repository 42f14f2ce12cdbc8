#pragma once

#include "midi/MidiExportOptions.h"
#include "midi/WriteMidiFile.h"
#include "model/PartSwitch.h"
#include "model/Song.h"
#include "ports/TextEncoder.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include "SmfBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

namespace zelk::test {

// Texts go out as they are: ASCII titles read the same in Shift-JIS.
class PassThroughEncoder : public TextEncoder {
public:
    std::string encode(std::string_view utf8) const override { return std::string(utf8); }
};

inline constexpr std::array<uint8_t, kParts> kAllParts{1, 1, 1, 1, 1, 1, 1, 1,
                                                       1, 1, 1, 1, 1, 1, 1, 1};

// A fresh song in its own program folder, written to "song.mid" there.
class MidiWriterTest : public ::testing::Test {
protected:
    Song song = freshSong();
    TempFolder tmp;
    FakeMidiOut midi;
    PassThroughEncoder encoder;

    std::filesystem::path target() const { return tmp.path() / "song.mid"; }
    // Stores the current part and makes part p current, as a click on the part selector.
    void selectPart(int p) { switchPart(song, tmp.folder(), midi, p, 60); }

    uint32_t lastTick = 0; // what the last write returned

    Bytes write(const MidiExportOptions& opt) {
        lastTick = WriteMidiFile(song, tmp.folder(), midi, encoder, target(), opt);
        const std::string s = slurp(target());
        return Bytes(s.begin(), s.end());
    }
    Bytes exportFile() { return write(MidiExportOptions::forExport()); }
    Bytes playFile(int measure, const std::array<uint8_t, kParts>& playing = kAllParts) {
        return write(MidiExportOptions::forPlayback(song, measure, playing));
    }
};

// Conductor events of a reset song up to its first tempo: title "title", the reset
// copyright, GM System On, 1/4, (export: the first measure's signature on tick 480), C
// major, the given tempo.
inline std::vector<Ev> conductorHead(bool exporting, uint32_t tempoUs = 0x07A120,
                                     Bytes firstMeasureSig = timeSig(4, 2)) {
    std::vector<Ev> ev{{0, metaText(0x03, "title")},
                       {0, metaText(0x02, "Copyright(C) by ?")},
                       {0, kGmSystemOn},
                       {0, timeSig(1, 2)}};
    if (exporting)
        ev.push_back({480, firstMeasureSig});
    ev.push_back({0, {0xFF, 0x59, 0x02, 0x00, 0x00}});
    ev.push_back({0, tempoEv(tempoUs)});
    return ev;
}

// The six set-up events of a part track; an export spreads them over the set-up beat so
// that the program change lands on tick 480.
inline std::vector<Ev> partSetUp(bool exporting, int ch, int reverb = 40, int chorus = 0,
                                 int prog = 0) {
    const uint32_t first = exporting ? 180 : 0;
    const uint32_t step = exporting ? 60 : 0;
    return {{first, cc(ch, 0x79, 0)},     {step, cc(ch, 0x07, 127)},    {step, cc(ch, 0x0A, 64)},
            {step, cc(ch, 0x5B, reverb)}, {step, cc(ch, 0x5D, chorus)}, {step, program(ch, prog)}};
}

// End of a part track without loop marker: one more beat, program 0, end of track.
inline std::vector<Ev> partEnd(int ch) {
    return {{480, program(ch, 0)}, {0, kEndOfTrack}};
}

} // namespace zelk::test
