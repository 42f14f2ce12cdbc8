// Writes the seed corpora of the fuzz targets from songs made the way the tests make
// them. Usage: make_fuzz_corpus OUTDIR  (writes OUTDIR/<target>/<seed>).
#include "FuzzSupport.h"

#include "files/TextLines.h"
#include "midi/MidiExportOptions.h"
#include "midi/WriteMidiFile.h"
#include "model/Cell.h"
#include "model/PartFile.h"
#include "model/PartSwitch.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"
#include "storage/Project.h"
#include "storage/SettingsFile.h"
#include "support/SongBuilder.h"

#include <array>
#include <filesystem>
#include <iostream>
#include <string>

using namespace zelk;
namespace fs = std::filesystem;

namespace {

std::string textOf(const Song& song) {
    return buildProjectText(song, fuzz::folder());
}

Song tiny() {
    fuzz::emptyFolder();
    Song s = test::freshSong();
    s.MeasureLen.assign(2, 8);
    return s;
}

Song withNotesLoopAndKeys() {
    fuzz::emptyFolder();
    Song s = test::freshSong();
    s.SongTitle = "seed song";
    s.LoopOn = 1;
    s.LoopMeasure = 1;
    s.KeyMask[1] = 0x11;
    s.KeyShift[1] = 1;
    test::putNote(s, 28, 0, 8);
    test::putNote(s, 30, 8, 4, cell::Sharp);
    test::putNote(s, 26, 12, 3, 0, true);
    s.part.PitLane[3] = 90;
    NullMidiOut quiet;
    switchPart(s, fuzz::folder(), quiet, 9, 0);
    test::putNote(s, 20, 0, 4);
    return s;
}

std::string lfOnly(std::string text) {
    std::erase(text, '\r');
    return text;
}

std::string blanksAroundNumbers(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\r' ? std::string(" \t\r") : std::string(1, c);
    return out;
}

void write(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    writeWholeFile(dir / name, bytes);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_corpus OUTDIR\n";
        return 2;
    }
    const fs::path out = argv[1];
    std::map<std::string, std::string> projects;
    projects["tiny"] = textOf(tiny());
    projects["notes-loop-keys"] = textOf(withNotesLoopAndKeys());
    projects["300-measures"] = textOf(test::freshSong());
    projects["lf-line-ends"] = lfOnly(projects["notes-loop-keys"]);
    projects["blanks-around-numbers"] = blanksAroundNumbers(projects["tiny"]);
    Song titled = tiny();
    titled.SongTitle = "-3";
    projects["title-minus-3"] = textOf(titled);
    std::string older = "Old\r\n(C)\r\n32\r\n8\r\n0\r\n99\r\n";
    for (int p = 0; p < 16; ++p)
        older += "-2\r\n";
    projects["older-layout"] = older;
    for (const auto& [name, text] : projects) {
        write(out / "project_load", name, "\x01" + text); // odd first byte: compressed here
        write(out / "midi_export", name, text);
    }
    Song s = withNotesLoopAndKeys();
    write(out / "work_file", "rhythm-part", formatPartFile(s.part));
    NullMidiOut quiet;
    switchPart(s, fuzz::folder(), quiet, 0, 0);
    write(out / "work_file", "notes-and-tuplet", formatPartFile(s.part));
    write(out / "work_file", "empty", formatPartFile(CurrentPart()));
    Settings settings;
    write(out / "settings", "defaults", formatSettings(settings));
    settings.recent[0] = "/home/user/曲.zelk";
    settings.KeyAssign[3] = 70;
    write(out / "settings", "recent-and-keys", formatSettings(settings));
    // Exported files of a song with a loop, a tempo change and a tuplet.
    Song exported = withNotesLoopAndKeys();
    exported.TemLane[20] = 90;
    const IconvShiftJis shiftJis;
    const fs::path mid = fuzz::folder().file("seed.mid");
    WriteMidiFile(exported, fuzz::folder(), quiet, shiftJis, mid, MidiExportOptions::forExport());
    write(out / "midi_read", "export-loop-tempo", readWholeFile(mid));
    std::array<uint8_t, kParts> allParts;
    allParts.fill(1);
    WriteMidiFile(exported, fuzz::folder(), quiet, shiftJis, mid,
                  MidiExportOptions::forPlayback(exported, 1, allParts));
    write(out / "midi_read", "playback", readWholeFile(mid));
    // The import: our export, and files of other programs (running status, another
    // division, time and key signatures, triplets, a loop marker).
    WriteMidiFile(exported, fuzz::folder(), quiet, shiftJis, mid, MidiExportOptions::forExport());
    write(out / "midi_import", "own-export", readWholeFile(mid));
    write(out / "midi_import", "format0-running-status",
          std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x18"
                      "\0\x90\x3C\x5A\0\x40\x5A\x60\x3C\0\0\x40\0\0\x91\x43\x50"
                      "\x60\x43\0\0\xFF\x2F\0",
                      46));
    write(out / "midi_import", "meters-keys-triplets-loop",
          std::string("MThd\0\0\0\6\0\1\0\1\x01\xE0MTrk\0\0\0\x36"
                      "\0\xFF\x58\x04\x09\x03\x18\x08\0\xFF\x59\x02\x02\0"
                      "\0\xFF\x51\x03\x09\x64\x29\0\xC0\x05\0\x90\x3C\x64"
                      "\x81\x20\x3C\0\0\x3E\x64\x81\x20\x3E\0\0\x40\x64"
                      "\x81\x20\x40\0\0\xB0\x6F\0\0\xFF\x2F\0",
                      76));
    std::cout << "seed corpora written to " << out << "\n";
    return 0;
}
