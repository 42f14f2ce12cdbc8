#include "midi/MidiWriterFixture.h"
#include "midi/RandomSong.h"
#include "midi/SmfReader.h"

#include "import/ImportMidi.h"
#include "import/SongEvents.h"
#include "platform/IconvShiftJis.h"
#include "storage/Project.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zelk {
namespace {

using namespace test;

// Where two files first differ: the track and the event, with both events' ticks.
std::string firstDifference(const Bytes& a, const Bytes& b) {
    const SmfFile fa = SmfReader(a).read(), fb = SmfReader(b).read();
    std::ostringstream out;
    if (fa.tracks.size() != fb.tracks.size())
        return "track count " + std::to_string(fa.tracks.size()) + " became " +
               std::to_string(fb.tracks.size());
    for (size_t t = 0; t < fa.tracks.size(); ++t) {
        const auto &x = fa.tracks[t], &y = fb.tracks[t];
        for (size_t i = 0; i < std::max(x.size(), y.size()); ++i) {
            if (i < x.size() && i < y.size() && x[i].tick == y[i].tick && x[i].bytes == y[i].bytes)
                continue;
            out << "track " << t << " event " << i << ": ";
            for (const auto* e : {i < x.size() ? &x[i] : nullptr, i < y.size() ? &y[i] : nullptr}) {
                if (!e) {
                    out << "(none) ";
                    continue;
                }
                out << "@" << e->tick << " [";
                for (uint8_t v : e->bytes)
                    out << std::hex << int(v) << std::dec << " ";
                out << "] ";
            }
            return out.str();
        }
    }
    return "same events, different bytes";
}

class OwnExportRoundTripTest : public MidiWriterTest {
protected:
    IconvShiftJis shiftJis;

    // The export of the project an import of `file` makes, from a folder of its own.
    Bytes exportOfImport(const Bytes& file, MidiImport& result) {
        result = importMidi(file, shiftJis, "");
        TempFolder other;
        Song again = freshSong();
        applyProject(again, other.folder(), midi, result.image, WorkFileMode::ReplaceAll);
        const auto path = other.path() / "again.mid";
        WriteMidiFile(again, other.folder(), midi, shiftJis, path, MidiExportOptions::forExport());
        const std::string s = slurp(path);
        return Bytes(s.begin(), s.end());
    }
};

TEST_F(OwnExportRoundTripTest, RandomSongsComeBackByteForByte) {
    // Songs of many notes have their parts finished on several threads, the others on one:
    // both must come back alike.
    int looped = 0, rhythm = 0, onWorkers = 0;
    for (unsigned seed = 1; seed <= 80; ++seed) {
        SCOPED_TRACE(seed);
        song = freshSong();
        for (int p = 0; p < kParts; ++p)
            std::filesystem::remove(tmp.folder().workFile(p));
        std::mt19937 rng(seed);
        const RandomSong made = makeRandomSong(song, tmp.folder(), midi, rng);
        size_t notes = 0;
        for (const PlacedPart& p : made.parts)
            notes += p.notes.size();
        onWorkers += notes >= SongEvents::kNotesForWorkers;
        const Bytes first = write(MidiExportOptions::forExport());
        MidiImport result;
        const Bytes second = exportOfImport(first, result);
        EXPECT_TRUE(result.ownExport);
        for (const std::string& line : result.report.englishLines())
            ADD_FAILURE() << line;
        EXPECT_TRUE(first == second) << firstDifference(first, second);
        looped += song.LoopOn;
        rhythm += std::count(song.DrumPart.begin(), song.DrumPart.end(), 1) > 1;
    }
    EXPECT_GT(looped, 10);
    EXPECT_GT(rhythm, 10);
    EXPECT_GT(onWorkers, 10);
    EXPECT_LT(onWorkers, 70);
}

} // namespace
} // namespace zelk
