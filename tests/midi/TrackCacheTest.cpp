#include "MidiWriterFixture.h"
#include "RandomSong.h"

#include "files/TextLines.h"
#include "midi/MidiFileEvents.h"
#include "midi/Schedule.h"
#include "midi/TrackCache.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

namespace zelk {
namespace {

using namespace test;

class TrackCacheTest : public MidiWriterTest {
protected:
    TrackCache cache;
    int measure = 1;

    // Writes the playback file with the cache and once more without it: the bytes must be
    // the same, and the music kept must be what a reader finds in them.
    void writeAndCompare(const std::string& step) {
        SCOPED_TRACE(step);
        const auto opt = MidiExportOptions::forPlayback(song, measure, kAllParts);
        const uint32_t last =
            WriteMidiFile(song, tmp.folder(), midi, encoder, target(), opt, &cache);
        const std::string cached = slurp(target());
        const auto plain = tmp.path() / "plain.mid";
        EXPECT_EQ(WriteMidiFile(song, tmp.folder(), midi, encoder, plain, opt), last);
        ASSERT_EQ(cached, slurp(plain));
        ASSERT_TRUE(cache.music());
        const auto bytes =
            std::span(reinterpret_cast<const uint8_t*>(cached.data()), cached.size());
        EXPECT_EQ(*cache.music(), musicOf(readMidiEvents(bytes)));
        EXPECT_EQ(cache.music()->lastTick, last);
    }
    int partsWithFiles() {
        int n = 0;
        for (int p = 0; p < kParts; ++p)
            n += std::filesystem::exists(tmp.folder().workFile(p)) ? 1 : 0;
        return n;
    }
    int otherPartWithFile() {
        for (int p = 0; p < kParts; ++p)
            if (p != song.CurPart && std::filesystem::exists(tmp.folder().workFile(p)))
                return p;
        return -1;
    }
};

// Each step changes what the file holds in one way; the parts built again are exactly the
// ones the change reaches, and the file is always the file written without the cache.
TEST_F(TrackCacheTest, OnlyChangedPartsAreBuiltAgainAndTheFileStaysTheSame) {
    for (unsigned seed : {3u, 17u, 40u}) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        makeRandomSong(song, tmp.folder(), midi, rng);
        cache = TrackCache();
        measure = 1;
        const int all = partsWithFiles();
        ASSERT_GE(all, 3);
        struct Step {
            const char* what;
            std::function<void()> change;
            std::function<int()> built; // parts built again
        } steps[] = {
            {"first", [] {}, [&] { return all; }},
            {"unchanged: the current part is stored again", [] {}, [] { return 1; }},
            {"a note in the current part", [&] { putNote(song, 30, 4, 2); }, [] { return 1; }},
            {"another part made current", [&] { selectPart(otherPartWithFile()); },
             [] { return 2; }},
            {"a key signature",
             [&] {
                 song.KeyMask[1] ^= 0x11;
                 song.KeyShift[1] = 1;
             },
             [&] { return partsWithFiles(); }},
            {"a later first measure", [&] { measure = 2; }, [&] { return partsWithFiles(); }},
            {"a part made a rhythm part",
             [&] {
                 const int p = otherPartWithFile();
                 song.DrumPart[static_cast<size_t>(p)] ^= 1;
             },
             [] { return 2; }},
            {"a work file written without a count",
             [&] {
                 // The current part's notes, as a copy by hand would leave them.
                 const std::string text = readWholeFile(tmp.folder().workFile(song.CurPart));
                 std::ofstream(tmp.folder().workFile(otherPartWithFile()),
                               std::ios::binary | std::ios::trunc)
                     << text;
             },
             [] { return 2; }},
        };
        for (const Step& s : steps) {
            s.change();
            writeAndCompare(s.what);
            EXPECT_EQ(cache.built(), s.built()) << s.what;
        }
    }
}

TEST_F(TrackCacheTest, ADamagedWorkFileLeavesNoMusicOfAnEarlierFile) {
    putNote(song, 28, 0, 8);
    selectPart(1);
    putNote(song, 28, 8, 8);
    writeAndCompare("both parts");
    std::ofstream(tmp.folder().workFile(0), std::ios::trunc) << "damaged\r\n";
    tmp.folder().workFileChanged(0);
    EXPECT_THROW(WriteMidiFile(song, tmp.folder(), midi, encoder, target(),
                               MidiExportOptions::forPlayback(song, 1, kAllParts), &cache),
                 FormatError);
    EXPECT_FALSE(cache.music());
}

} // namespace
} // namespace zelk
