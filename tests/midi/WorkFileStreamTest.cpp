#include "midi/WorkFileStream.h"

#include "model/Cell.h"
#include "model/FormatError.h"
#include "model/PartFile.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace zelk {
namespace {

std::string lines(std::initializer_list<const char*> items) {
    std::string s;
    for (const char* i : items)
        s += std::string(i) + "\r\n";
    return s;
}

// Header of a one-column part and its seven lane lines.
std::string oneColumn() {
    return lines({"1", "0", "40", "0", "1", "100", "64", "0", "127", "64", "0", "0", "0", "64", "0",
                  "127", "64", "0"});
}

std::vector<WorkFileStream::Cell> drain(WorkFileStream& s) {
    std::vector<WorkFileStream::Cell> cells;
    WorkFileStream::Cell c{};
    while (s.nextCell(c))
        cells.push_back(c);
    return cells;
}

// What the editor writes reads back whole: header, lanes and every nonzero cell in order.
TEST(WorkFileStream, ReadsBackWhatTheEditorWrote) {
    Song song = test::freshSong();
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        const int row = static_cast<int>(rng() % 57);
        const int head = static_cast<int>(rng() % 2000);
        if (song.part.Grid(row, head) == 0 && song.part.Grid(row, head + 3) == 0)
            test::putNote(song, row, head, 3, (rng() % 2) ? cell::Sharp : 0);
    }
    song.part.PartProgram = 5;
    song.part.PartChorus = 127;
    const std::string text = formatPartFile(song.part);
    WorkFileStream s(text, 0);
    EXPECT_EQ(s.PartLen, song.part.PartLen);
    EXPECT_EQ(s.PartProgram, 5);
    EXPECT_EQ(s.PartReverb, 40);
    EXPECT_EQ(s.PartChorus, 127);
    const auto& p = song.part;
    for (int x = 0; x <= p.PartLen; ++x) {
        const uint8_t want[7] = {p.Sounding[x], p.VelLane[x], p.PitLane[x], p.ModLane[x],
                                 p.ExpLane[x],  p.PanLane[x], p.HolLane[x]};
        for (int k = 0; k < 7; ++k)
            ASSERT_EQ(s.lanes[static_cast<size_t>(7 * x + k)], want[k]) << x << "/" << k;
    }
    std::vector<WorkFileStream::Cell> want;
    for (int x = 0; x <= p.PartLen; ++x)
        for (int r = 0; r < 57; ++r)
            if (p.Grid(r, x) != 0)
                want.push_back({p.Grid(r, x), x, r});
    const auto got = drain(s);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].v, want[i].v);
        EXPECT_EQ(got[i].x, want[i].x);
        EXPECT_EQ(got[i].r, want[i].r);
    }
}

TEST(WorkFileStream, BlanksAndLineEndsReadAsTheOtherReadersDo) {
    const std::string text = "  1\t\r\n0\n40 \r\n0\r\n" +
                             std::string("1\n100\n64\n0\n127\n64\n0\n") +
                             "0\n0\n64\n0\n127\n64\n0\n" + "-1\n 57 \n128"; // no final LF
    WorkFileStream s(text, 3);
    const auto cells = drain(s);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].v, 128);
    EXPECT_EQ(cells[0].x, 1);
    EXPECT_EQ(cells[0].r, 0);
}

// Every file the part loader refuses, the stream refuses too, by the time it has read it.
TEST(WorkFileStream, RefusesWhatThePartLoaderRefuses) {
    const std::string cases[] = {
        lines({"1", "0", "40"}),                        // ends inside the header
        lines({"0", "0", "40", "0"}),                   // part length 0
        lines({"9601", "0", "40", "0"}),                // part length past the last column
        lines({"1", "128", "40", "0"}),                 // program above 127
        lines({"1", "0", "40", "0", "1", "100"}),       // ends inside the lanes
        oneColumn() + lines({"-1", "0", "63"}),         // empty run of empty cells
        oneColumn() + lines({"-1", "200", "63"}),       // run past column PartLen
        oneColumn() + lines({"-1", "5"}),               // run with no cell after it
        oneColumn() + lines({"-1"}),                    // run without its length
        oneColumn() + lines({"40000"}),                 // cell value above 0x7FFF
        oneColumn() + lines({"-2"}),                    // negative cell
        oneColumn() + lines({"-1", "113", "128", "1"}), // cell beyond column PartLen
        oneColumn() + lines({"6x"}),                    // not a number
        oneColumn() + lines({""}),                      // empty line
        oneColumn() + lines({"+5"}),                    // plus sign
        oneColumn() + lines({"5 5"}),                   // two numbers
        oneColumn() + "5\r\r\n",                        // stray CR
    };
    for (const auto& text : cases) {
        bool loaderRefuses = false;
        try {
            loaderRefuses = !checkPartNumbers(parsePartNumbers(text)).empty();
        } catch (const FormatError&) {
            loaderRefuses = true;
        }
        EXPECT_TRUE(loaderRefuses) << text;
        EXPECT_THROW(
            {
                WorkFileStream s(text, 0);
                drain(s);
            },
            FormatError)
            << text;
    }
}

TEST(WorkFileStream, MessageNamesThePartAsTheWindowNumbersIt) {
    try {
        WorkFileStream s(lines({"1", "0"}), 4);
        FAIL() << "no error";
    } catch (const FormatError& e) {
        EXPECT_EQ(std::string(e.what()), "work file of part 5: part file ends inside its header");
    }
}

} // namespace
} // namespace zelk
