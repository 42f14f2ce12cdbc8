#include "editor/view/ScoreLabels.h"

#include "editor/EditorState.h"
#include "editor/view/DrawScore.h"
#include "editor/view/Signatures.h"
#include "editor/view/ViewPosition.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace zelk {
namespace {

// Canvas of 3200 x 8400 twips as in the score drawing tests: 100 twips per column of one
// 4/4 measure, 300 twips per row step.
class ScoreLabelsTest : public ::testing::Test {
protected:
    ScoreLabelsTest() {
        ed.view.ScaleWidth = 3200;
        ed.view.ScaleHeight = 8400;
        ed.view.LaneScale = 66;
    }
    // Texts by x, for one redraw with the labels on.
    std::map<float, std::string> texts() {
        DrawScore(song, ed.palette, ed.view, list, ScoreExtras{nullptr, true});
        std::map<float, std::string> r;
        for (const DrawItem& d : list.items)
            if (d.kind == DrawKind::Text && d.y1 == 10)
                r[d.x1] = list.texts.at(d.text);
        return r;
    }
    std::vector<std::pair<float, std::string>> ruler() {
        DrawScore(song, ed.palette, ed.view, list, ScoreExtras{nullptr, true});
        std::vector<std::pair<float, std::string>> r;
        for (const DrawItem& d : list.items)
            if (d.kind == DrawKind::Text && d.y1 != 10)
                r.emplace_back(d.y1, list.texts.at(d.text));
        return r;
    }
    std::optional<std::string> readout(int col, int row) {
        DrawScore(song, ed.palette, ed.view, list);
        return pointerReadout(song, ed.palette, ed.view, col * ed.view.ColWidth + 10,
                              (row - ed.view.TopRow) * ed.view.RowHeight + 20);
    }

    Song song = test::freshSong();
    EditorState ed;
    DrawList list;
};

TEST_F(ScoreLabelsTest, NoteNamesFollowKeyAccidentalAndMeasure) {
    Combo6_Click(song, ed.view, ed.signatures, 0);
    Combo7_Click(song, ed.view, ed.signatures, 2); // D major: F and C sharp
    const int past = song.MeasureCount() + 5;      // no key signature there
    struct Case {
        int row;
        int accidental;
        int measure;
        const char* name;
    } cases[] = {
        {28, 0, past, "C4"},      {28, 0, 0, "C#4"},    {25, 0, 0, "F#4"},
        {25, 0x100, 0, "F##4"},   {25, 0x200, 0, "F4"}, {27, 0, 0, "D4"},
        {29, 0x200, past, "Bb3"}, {0, 0, past, "C8"},   {56, 0x100, past, "C#0"},
        {21, 0, 0, "C#5"},        {35, 0x200, 0, "C3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(noteNameAt(song, c.row, c.accidental, c.measure), c.name)
            << "row " << c.row << " accidental " << c.accidental;
}

TEST_F(ScoreLabelsTest, PointerReadsPitchAndMeasureBeatOrTheDrum) {
    ed.view.FirstMeasure = 2;
    HScroll1_Change(song, ed.view, ed.signatures);
    EXPECT_EQ(readout(0, 28), "C4  2:1");
    EXPECT_EQ(readout(15, 26), "E4  2:2");
    ed.palette.Accidental = 0x100;
    EXPECT_EQ(readout(31, 25), "F#4  2:4");
    song.DrumPart[song.CurPart] = 1;
    ed.view.TopRow = 28;
    EXPECT_EQ(readout(8, 38), "ﾊｲﾊｯﾄ1 46  2:2");
    EXPECT_EQ(readout(8, 56), "? 28  2:2"); // below the named drums
    EXPECT_EQ(pointerReadout(song, ed.palette, ed.view, -5, 100), std::nullopt);
    EXPECT_EQ(pointerReadout(song, ed.palette, ed.view, 100, 30 * ed.view.RowHeight), std::nullopt);
}

TEST_F(ScoreLabelsTest, MeasureNumbersSitAtTheMeasureLinesInEveryMode) {
    ASSERT_FALSE(Combo5_Click(song, ed.view, ed.signatures, 2).refused()); // 3/4
    Mkakudai_Click(song, ed.view, ed.signatures, 3);
    ed.view.ScaleWidth = 7200;
    ed.view.FirstMeasure = 4;
    HScroll1_Change(song, ed.view, ed.signatures);
    const std::map<float, std::string> plain{{40, "4"}, {2440, "5"}, {4840, "6"}};
    EXPECT_EQ(texts(), plain);
    Command5_Click(ed.palette); // tuplets: 18 slots of 133 twips per measure
    const std::map<float, std::string> tuplet{{40, "4"}, {2434, "5"}, {4828, "6"}};
    EXPECT_EQ(texts(), tuplet);
    ed.view.FirstMeasure = song.MeasureCount() - 1; // as a song shorter than the view shows
    ShowPosition(song, ed.view, ed.signatures);
    EXPECT_EQ(texts().size(), 2u) << "nothing past the last measure";
}

TEST_F(ScoreLabelsTest, RulerNamesEveryShownCAndNothingInARhythmPart) {
    ed.view.TopRow = 14;
    std::vector<std::string> names;
    for (const auto& [y, name] : ruler()) {
        names.push_back(name);
        EXPECT_GE(y, -300.0f);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"C6", "C5", "C4", "C3", "C2"}));
    ed.view.StaffZoom = 2;
    ed.view.TopRow = 0;
    EXPECT_EQ(ruler().size(), 9u); // C8 down to C0
    song.DrumPart[song.CurPart] = 1;
    EXPECT_TRUE(ruler().empty());
}

} // namespace
} // namespace zelk
