// zelk-tool import-midi, and check and render of MIDI files, run as a program.

#include "ToolFixture.h"

#include "../import/ImportFixture.h"
#include "files/TextLines.h"

#include <gtest/gtest.h>

namespace zelk {
namespace {

using test::ToolRun;

class ToolImportTest : public test::ToolTest {
protected:
    std::string write(const char* name, const test::Bytes& bytes) {
        writeWholeFile(path(name), std::string(bytes.begin(), bytes.end()));
        return path(name);
    }
    // A foreign file: one C4 quarter on channel 1, a program change after it, and a loop
    // marker on the bar line of measure 2 with the pan changed before the end.
    std::string foreign() {
        using namespace test;
        return write("foreign.mid", smf(96, {{{0, metaText(0x03, "Foreign")},
                                              {0, cc(0, 10, 40)},
                                              {0, noteOn(0, 60, 90)},
                                              {96, noteOff(0, 60)},
                                              {200, program(0, 9)},
                                              {384, cc(0, 111, 0)},
                                              {400, noteOn(0, 62, 90)},
                                              {700, cc(0, 10, 90)},
                                              {768, noteOff(0, 62)}}}));
    }
};

TEST_F(ToolImportTest, OurOwnExportComesBackByteForByte) {
    test::TempFolder songFolder;
    const std::string project = test::writeSampleSong(songFolder, path("song.zelk"));
    ASSERT_EQ(tool({"export-midi", project, path("first.mid")}).exitCode, 0);
    const ToolRun imported =
        tool({"import-midi", "--report", path("first.mid"), path("back.zelk")});
    EXPECT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "") << "nothing had to change";
    ASSERT_EQ(tool({"export-midi", path("back.zelk"), path("second.mid")}).exitCode, 0);
    EXPECT_EQ(test::slurp(path("second.mid")), test::slurp(path("first.mid")));
}

TEST_F(ToolImportTest, ReportListsWhatChangedAndStandardStreamsWork) {
    const std::string in = foreign();
    const ToolRun r = tool({"import-midi", "--report", in, path("out.zelk")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "later program, reverb or chorus changes ignored: 1 (part 1 measure 1)\n");
    const ToolRun check = tool({"check", path("out.zelk")});
    EXPECT_NE(check.out.find("loop point: measure 2\n"), std::string::npos) << check.out;

    // From standard input to standard output: the project on stdout, the report on stderr.
    const ToolRun piped = tool({"import-midi", "--report", "-", "-"}, "", in);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(GzipCompressor().expand(piped.out, kMaxProjectText), expanded(path("out.zelk")))
        << "the same project";
    EXPECT_NE(piped.err.find("later program"), std::string::npos);
}

TEST_F(ToolImportTest, FilesThatAreNoSongAreRefusedInOneLine) {
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"pattern.mid", std::string("MThd\0\0\0\6\0\2\0\0\0\x60", 14),
         "MIDI file of format 2 (independent patterns), which has no one song"},
        {"smpte.mid", std::string("MThd\0\0\0\6\0\1\0\0\xE7\x28", 14),
         "MIDI file timed in SMPTE frames, not in beats"},
        {"text.mid", "just text", "not a Standard MIDI File"},
        {"cut.mid", std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x30\0\x90", 24),
         "MIDI file has chunk 1 running past the end of the file"},
    };
    for (const auto& c : cases) {
        writeWholeFile(path(c.name), c.bytes);
        const ToolRun r = tool({"import-midi", path(c.name), path("out.zelk")});
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_EQ(r.err, path(c.name) + ": " + c.reason + "\n");
        EXPECT_FALSE(test::fs::exists(path("out.zelk"))) << c.name;
    }
    EXPECT_EQ(tool({"import-midi", path("pattern.mid")}).exitCode, 2);
    EXPECT_EQ(tool({"import-midi", "--loud", path("pattern.mid"), path("o.zelk")}).exitCode, 2);
}

TEST_F(ToolImportTest, CheckOfAMidiFileSumsUpItsImportOrChecksItsOwnLoop) {
    const std::string in = foreign();
    const ToolRun summary = tool({"check", in});
    EXPECT_EQ(summary.exitCode, 0);
    EXPECT_EQ(summary.out.substr(0, 24), "title: Foreign\ncopyright");
    const ToolRun loop = tool({"check", "--loop", in});
    EXPECT_EQ(loop.exitCode, 3);
    EXPECT_EQ(loop.out, "loop: tick 384 (measure 2) to the end of the file, tick 768\n"
                        "channel 1: pan 40 at the loop start, 90 at the end\n");
}

} // namespace
} // namespace zelk
