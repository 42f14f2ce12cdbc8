#include "editor/view/SelectionDraw.h"
#include "editor/DrawListQuery.h"
#include "editor/EditorState.h"
#include "editor/view/ColorTable.h"
#include "editor/view/DrawScore.h"
#include "support/SongBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zelk {
namespace {

// One 4/4 measure on 3200 x 8400 twips: 100 twips per column, 133 per tuplet slot, 300 per
// row from row 14.
class SelectionDrawTest : public ::testing::Test {
protected:
    Song song = test::freshSong();
    EditorState ed;
    DrawList list;

    void SetUp() override {
        ed.view.ScaleWidth = 3200;
        ed.view.ScaleHeight = 8400;
        test::putNote(song, 20, 2, 4);          // columns 2..5
        test::putNote(song, 24, 5, 4, 0, true); // tuplet slots 4..6, end mark in column 9
        test::putNote(song, 50, 8, 4);          // below the shown rows
        test::putNote(song, 22, 20, 4);         // not selected
        ed.selection.set(0, {{2, 20}, {5, 24}, {8, 50}});
    }
    void draw() {
        ScoreExtras extras;
        extras.selection = &ed.selection;
        DrawScore(song, ed.palette, ed.view, list, extras);
    }
    std::vector<DrawItem> ofColor(DrawKind k, uint8_t color) const {
        std::vector<DrawItem> r;
        for (const DrawItem& d : test::ofKind(list, k))
            if (d.color == color)
                r.push_back(d);
        return r;
    }
    static std::vector<float> corners(const DrawItem& d) { return {d.x1, d.y1, d.x2, d.y2}; }
};

TEST_F(SelectionDrawTest, SelectedNotesGetATintBehindAndAnOutlineOverTheirNoteBoxes) {
    draw();
    const auto tints = ofColor(DrawKind::Box, kSelectionTint);
    const auto frames = ofColor(DrawKind::Frame, kSelectionColor);
    ASSERT_EQ(tints.size(), 2u); // row 50 is not shown
    ASSERT_EQ(frames.size(), 2u);
    // The plain note: head indent at 230, end mark at column 6; a third of a row around 1800.
    EXPECT_EQ(corners(frames[0]), (std::vector<float>{230, 1700, 600, 1900}));
    EXPECT_EQ(corners(tints[0]), (std::vector<float>{200, 1650, 600, 1950}));
    // The tuplet note on its slots: slot 4 starts at 532, the end mark's slot 7 at 931.
    EXPECT_EQ(corners(frames[1]), (std::vector<float>{562, 2900, 931, 3100}));
    // Tints under the notes, outlines over them, the note colours untouched.
    const auto items = list.items;
    const auto at = [&](const DrawItem& d) {
        return std::find(items.begin(), items.end(), d) - items.begin();
    };
    const auto notes = ofColor(DrawKind::Box, 8);
    ASSERT_FALSE(notes.empty());
    EXPECT_LT(at(tints[1]), at(notes.front()));
    EXPECT_GT(at(frames[0]), at(notes.back()));
    EXPECT_EQ(ofColor(DrawKind::Box, 13).size(), 3u); // the tuplet note's slots
    // A selection of another part or no selection draws nothing of it.
    ed.selection.part = 3;
    draw();
    EXPECT_TRUE(ofColor(DrawKind::Frame, kSelectionColor).empty());
}

TEST_F(SelectionDrawTest, TheGestureOverlayShowsTheBandOrWhereTheNotesWouldGo) {
    drawSelectionGesture(ed.view, ed.selection, list);
    EXPECT_TRUE(list.items.empty());
    ed.selection.band = {true, false, 900, 2000, 300, 500};
    drawSelectionGesture(ed.view, ed.selection, list);
    ASSERT_EQ(list.items.size(), 1u);
    EXPECT_EQ(corners(list.items[0]), (std::vector<float>{300, 500, 900, 2000}));
    ed.selection.band = {};
    DrawList score;
    DrawScore(song, ed.palette, ed.view, score); // the geometry
    ed.selection.drag = {true, true, 0, 0, 20, {{2, 6, 20}, {5, 9, 24, true}}, 12, -2};
    drawSelectionGesture(ed.view, ed.selection, list);
    const auto frames = ofColor(DrawKind::Frame, kSelectionColor);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(corners(frames[0]), (std::vector<float>{630, 1100, 1000, 1300})); // 4 columns on
    EXPECT_EQ(corners(frames[1]), (std::vector<float>{961, 2300, 1330, 2500})); // 3 slots on
}

} // namespace
} // namespace zelk
