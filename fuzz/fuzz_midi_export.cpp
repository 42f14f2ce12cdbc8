// Every project the loader accepts exports in both modes, and a strict Standard MIDI File
// reader accepts what was written.
#include "FuzzSupport.h"

#include "files/TextLines.h"
#include "midi/MidiExportOptions.h"
#include "midi/SmfReader.h"
#include "midi/WriteMidiFile.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"

using namespace zelk;

namespace {

void exportAndRead(Song& song, const MidiExportOptions& options) {
    const auto out = fuzz::folder().dir() / "out.mid";
    NullMidiOut quiet;
    WriteMidiFile(song, fuzz::folder(), quiet, IconvShiftJis(), out, options);
    const std::string bytes = readWholeFile(out);
    try {
        const test::SmfFile smf =
            test::SmfReader(std::vector<uint8_t>(bytes.begin(), bytes.end())).read();
        fuzz::check(smf.format == 1 && smf.division == 480 &&
                        static_cast<size_t>(smf.declaredTracks) == smf.tracks.size(),
                    "the header does not match the tracks");
    } catch (const std::runtime_error& e) {
        fuzz::check(false, std::string("the written file is not a valid SMF: ") + e.what());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const GzipCompressor gzip;
    NullMidiOut quiet;
    fuzz::emptyFolder();
    Song song = fuzz::songWithState();
    writeWholeFile(song.FilePath, gzip.compress(fuzz::asText(data, size)));
    try {
        LoadProject(song, fuzz::folder(), gzip, quiet);
    } catch (const ProjectFileError&) {
        return 0;
    }
    exportAndRead(song, MidiExportOptions::forExport());
    std::array<uint8_t, 16> all{};
    all.fill(1);
    exportAndRead(song, MidiExportOptions::forPlayback(song, 1, all));
    return 0;
}
