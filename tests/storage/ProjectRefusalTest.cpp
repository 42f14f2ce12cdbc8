#include "StorageTestSupport.h"

#include "files/TextLines.h"
#include "model/FormatError.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelk {
namespace {

using test::crlf;
using test::repeat;

// A valid project of one 1/4 measure, assembled from pieces the cases below replace.
const std::string kHead = crlf({"title", "-4"});
const std::string kMeasure = crlf({"8"}) + repeat("120\r\n", 8);
const std::string kRhythm = crlf({"-5", "c", "-6"}) + repeat("0\r\n", 16);
const std::string kSignature = crlf({"8", "8", "0"});
const std::string kKeys = crlf({"-1", "0", "0", "0", "0", "-2"});
const std::string kTempo = crlf({"119"});
const std::string kParts = repeat("-2\r\n", 16);
const std::string kAfterMeasures = kRhythm + kSignature + kKeys + kTempo;
const std::string kValid = kHead + kMeasure + kAfterMeasures + kParts;
// Work file of a part one column long: header, 14 lane values.
const std::string kPartHeader = crlf({"1", "0", "40", "0"});
const std::string kPartLanes = repeat("0\r\n", 14);

std::string withPart(const std::string& part) {
    return kHead + kMeasure + kAfterMeasures + part + "-2\r\n" + repeat("-2\r\n", 15);
}

class ProjectRefusalTest : public ::testing::Test {
protected:
    ProjectRefusalTest() {
        test::putNote(song, 12, 40, 8);
        song.SongTitle = "kept";
        song.Dirty = 1;
        song.FilePath = file.string();
        song.FileName = "song.zelk";
        writeWholeFile(tmp.folder().workFile(3), "part 3 as it was");
        writeWholeFile(tmp.folder().workFile(0), "part 0 as it was");
    }

    std::map<std::string, std::string> folderContents() {
        std::map<std::string, std::string> files;
        for (const auto& e : std::filesystem::directory_iterator(tmp.path()))
            if (e.is_regular_file())
                files[e.path().filename().string()] = test::slurp(e.path());
        return files;
    }

    // Loads the file and expects a one-line refusal that changed nothing.
    void expectRefused(const char* why) {
        const Song before = song;
        const auto filesBefore = folderContents();
        try {
            LoadProject(song, tmp.folder(), gzip, midi);
            ADD_FAILURE() << "accepted: " << why;
        } catch (const ProjectFileError& e) {
            const std::string msg = e.what();
            EXPECT_FALSE(msg.empty()) << why;
            EXPECT_EQ(msg.find('\n'), std::string::npos) << why;
        }
        test::expectSameSong(song, before);
        EXPECT_EQ(folderContents(), filesBefore) << why;
        EXPECT_TRUE(midi.sent.empty()) << why;
    }

    test::TempFolder tmp;
    std::filesystem::path file = tmp.path() / "song.zelk";
    Song song = test::freshSong();
    GzipCompressor gzip;
    test::FakeMidiOut midi;
};

TEST_F(ProjectRefusalTest, TheBaseOfTheCasesLoads) {
    test::writeProjectText(file, kValid);
    EXPECT_NO_THROW(LoadProject(song, tmp.folder(), gzip, midi));
    test::writeProjectText(file, withPart(kPartHeader + kPartLanes + crlf({"-1", "57", "128"})));
    EXPECT_NO_THROW(LoadProject(song, tmp.folder(), gzip, midi));
}

TEST_F(ProjectRefusalTest, DamagedProjectTextsChangeNothing) {
    const auto tempo = [](int n, const std::string& v) { return repeat(v + "\r\n", n); };
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"", "empty text: no title"},
        {crlf({"title"}), "ends before the measure section"},
        {kHead + kMeasure, "ends inside the measure section"},
        {kHead + crlf({"3"}) + tempo(3, "120") + kAfterMeasures + kParts, "measure of 3 columns"},
        {kHead + crlf({"49"}) + tempo(49, "120") + kAfterMeasures + kParts, "measure of 49"},
        {kHead + repeat(crlf({"48"}) + tempo(48, "120"), 201) + kAfterMeasures + kParts,
         "measures longer than 9600 columns"},
        {kHead + kAfterMeasures + kParts, "no measures at all"},
        {kHead + crlf({"8"}) + tempo(7, "120") + tempo(1, "301") + kAfterMeasures + kParts,
         "tempo 301"},
        {kHead + crlf({"8"}) + tempo(8, "-1") + kAfterMeasures + kParts, "negative tempo"},
        {kHead + crlf({"8"}) + tempo(4, "120") + kAfterMeasures + kParts,
         "measure shorter than its length: the marker lands in the tempo lane"},
        {kHead + crlf({"x"}) + kAfterMeasures + kParts, "measure length is text"},
        {kHead + kMeasure + crlf({"-5", "c", "-6"}) + crlf({"2"}) + repeat("0\r\n", 15) +
             kSignature + kKeys + kTempo + kParts,
         "rhythm flag 2"},
        {kHead + kMeasure + kRhythm + crlf({"0", "8", "0"}) + kKeys + kTempo + kParts,
         "time signature of 0 columns"},
        {kHead + kMeasure + kRhythm + crlf({"49", "8", "0"}) + kKeys + kTempo + kParts,
         "time signature of 49 columns"},
        {kHead + kMeasure + kRhythm + crlf({"8", "8", "256"}) + kKeys + kTempo + kParts,
         "key code 256"},
        {kHead + kMeasure + kRhythm + kSignature + crlf({"-1", "256", "0", "-2"}) + kTempo + kParts,
         "key mask 256"},
        {kHead + kMeasure + kRhythm + kSignature + crlf({"-1", "1", "2", "-2"}) + kTempo + kParts,
         "key shift 2"},
        {kHead + kMeasure + kRhythm + kSignature + crlf({"-1", "1", "-2"}) + kTempo + kParts,
         "key section ends inside a pair"},
        {kHead + kMeasure + kRhythm + kSignature +
             crlf({"-1", "0", "0", "0", "0", "0", "0", "-2"}) + kTempo + kParts,
         "more key signatures than measures + 1"},
        {kHead + kMeasure + kRhythm + kSignature + kKeys + crlf({"300"}) + kParts,
         "tempo index 300"},
        {kHead + kMeasure + kRhythm + kSignature + kKeys + crlf({"-1"}) + kParts, "tempo index -1"},
        {kHead + kMeasure + kAfterMeasures + repeat("-2\r\n", 15), "only fifteen parts"},
        {kValid + crlf({"more"}), "text after the last part"},
        {withPart(kPartHeader + kPartLanes + crlf({"x"})), "text line in a part"},
        {withPart(kPartHeader + repeat("256\r\n", 14)), "lane value 256"},
        {withPart(kPartHeader + kPartLanes + crlf({"32768"})), "cell value above 0x7FFF"},
        {withPart(kPartHeader + kPartLanes + crlf({"-1", "114", "63"})), "run past the part"},
        {withPart(kPartHeader + kPartLanes + crlf({"-1", "0", "63"})), "empty run"},
        {withPart(crlf({"0", "0", "40", "0"}) + repeat("0\r\n", 7)), "PartLen 0"},
        {withPart(crlf({"9601", "0", "40", "0"})), "PartLen beyond the song"},
        {withPart(crlf({"1", "128", "40", "0"}) + kPartLanes), "program 128"},
        {withPart(kPartHeader + repeat("0\r\n", 13)), "part ends inside its lanes"},
        {crlf({"-3", "-7", "title"}) + kValid.substr(7), "negative loop measure"},
        {crlf({"-3", "x", "title"}) + kValid.substr(7), "loop measure is text"},
        {crlf({"-3", "9600", "title"}) + kValid.substr(7), "loop measure beyond any song"},
        {crlf({"t", "c", "0", "8", "0", "119"}) + kParts,
         "older layout with a time signature of 0 columns (the old reader never ends)"},
        {crlf({"t", "c", "32", "8", "0"}), "older layout ends before the tempo index"},
    };
    for (const auto& c : cases) {
        test::writeProjectText(file, c.text);
        expectRefused(c.why);
    }
}

TEST_F(ProjectRefusalTest, DamagedCompressedFilesChangeNothing) {
    const std::string packed = gzip.compress(kValid);
    std::string badCrc = packed;
    badCrc[badCrc.size() - 6] ^= 0x55; // inside the CRC-32 of the gzip trailer
    const struct {
        std::string bytes;
        const char* why;
    } cases[] = {
        {"", "empty file"},
        {kValid, "plain text, not a gzip stream"},
        {packed.substr(0, packed.size() - 10), "truncated stream"},
        {badCrc, "checksum does not match"},
        {packed + "junk", "data after the stream"},
        {packed.substr(0, 10), "gzip header only"},
    };
    for (const auto& c : cases) {
        writeWholeFile(file, c.bytes);
        expectRefused(c.why);
    }
}

// The valid text followed by blank lines up to 65 MiB, compressed a chunk at a time.
std::string oversizedProject() {
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string packed;
    std::string chunk(1 << 20, '\n');
    chunk.replace(0, kValid.size(), kValid);
    char buf[1 << 16];
    for (int i = 0; i < 65; ++i) {
        z.next_in = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_in = static_cast<uInt>(chunk.size());
        const int flush = i == 64 ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buf);
            z.avail_out = sizeof buf;
            deflate(&z, flush);
            packed.append(buf, sizeof buf - z.avail_out);
        } while (z.avail_out == 0);
        chunk.assign(chunk.size(), '\n');
    }
    deflateEnd(&z);
    return packed;
}

TEST_F(ProjectRefusalTest, TextExpandingBeyondTheCapIsRefused) {
    writeWholeFile(file, oversizedProject());
    expectRefused("expands beyond 64 MiB");
}

// /dev/zero used to be read until memory ran out.
TEST_F(ProjectRefusalTest, EndlessDeviceIsReadOnlyUpToTheCap) {
    std::filesystem::create_symlink("/dev/zero", file);
    expectRefused("an endless device");
}

// A gzip trailer that claims 4 GiB made the loader allocate and zero 64 MiB for a 25-byte
// file. Run the expansion in a child whose address space has only 16 MiB to spare.
TEST_F(ProjectRefusalTest, LyingSizeInTheGzipTrailerCostsNoMemory) {
    std::string lying = gzip.compress("hello");
    lying.replace(lying.size() - 4, 4, "\xff\xff\xff\xff");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t spare = rlim_t{16} << 20;
        const rlimit lim{static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + spare,
                         RLIM_INFINITY};
        ::setrlimit(RLIMIT_AS, &lim);
        try {
            gzip.expand(lying, kMaxProjectText);
        } catch (const FormatError&) {
            ::_exit(0); // refused as damaged, within the limit
        } catch (const std::bad_alloc&) {
            ::_exit(2);
        }
        ::_exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "2 means it allocated for the claimed size";
}

TEST_F(ProjectRefusalTest, MissingOrUnreadableFileChangesNothing) {
    expectRefused("no such file");
    std::filesystem::create_directory(file);
    expectRefused("a folder, not a file");
}

} // namespace
} // namespace zelk
