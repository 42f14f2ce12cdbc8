#include "editor/EntryFixture.h"
#include "editor/entry/KeyboardCommands.h"
#include "editor/session/SongReset.h"
#include "editor/tools/UndoRedo.h"
#include "model/PartSwitch.h"
#include "storage/Snapshots.h"

#include <vector>

namespace zelk {
namespace {

// Lane strokes as undo steps, among note clicks and snapshot pairs.
class LaneStrokeUndoTest : public test::EntryFixture {
protected:
    void screen(int s) {
        Option3_Click(ed.palette, s);
        redraw();
    }
    void leftStroke(double x0, double x1, double y) {
        Picture1_MouseDown(ctx, 1, 0, x0, y);
        for (double x = x0; x <= x1; x += 100)
            Picture1_MouseMove(ctx, 1, 0, x, y);
        Picture1_MouseUp(ctx, 1, 0, x1, y);
    }
    void line(double x0, double y0, double x1, double y1) {
        Picture1_MouseDown(ctx, 2, 0, x0, y0);
        Picture1_MouseUp(ctx, 2, 0, x1, y1);
    }
    void undo() { Mundo_Click(ctx); }
    void redo() { Mrido_Click(ctx); }
    std::vector<int> exp(int from, int to) const {
        std::vector<int> v;
        for (int c = from; c < to; ++c)
            v.push_back(song.part.ExpLane[c]);
        return v;
    }
};

TEST_F(LaneStrokeUndoTest, AStrokeIsOneStepThatMarksTheSong) {
    screen(ScreenExp);
    leftStroke(50, 350, 660);
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_EQ(exp(0, 5), (std::vector<int>{117, 117, 117, 117, 0}));
    EXPECT_TRUE(ed.menus.Mundo);
    EXPECT_FALSE(ed.menus.Mrido);
    song.Dirty = 0;
    undo();
    EXPECT_EQ(exp(0, 5), (std::vector<int>{0, 0, 0, 0, 0}));
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_FALSE(ed.menus.Mundo);
    redo();
    EXPECT_EQ(exp(0, 5), (std::vector<int>{117, 117, 117, 117, 0}));
}

TEST_F(LaneStrokeUndoTest, StrokesThatChangeNothingRecordNothing) {
    ed.view.TwipsPerPixel = 1;
    screen(ScreenExp);
    leftStroke(50, 350, 8390); // value 0 over zeros
    line(50, 8390, 350, 8390);
    EXPECT_EQ(song.Dirty, 0);
    EXPECT_EQ(song.undo.UndoPos, 1);
    EXPECT_FALSE(ed.menus.Mundo);
}

TEST_F(LaneStrokeUndoTest, UndoReturnsToThePartAndMeasureOfTheStroke) {
    show(3, 1);
    screen(ScreenPan);
    const ByteLane start = song.part.PanLane;
    line(50, 1007, 3150, 1007);
    const ByteLane drawn = song.part.PanLane;
    show(1, 1);
    switchPart(song, temp.folder(), midi, 4, ed.entry.LastPreviewNote);
    undo();
    EXPECT_EQ(song.CurPart, 0);
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    EXPECT_EQ(song.part.PanLane, start);
    redo();
    EXPECT_EQ(song.part.PanLane, drawn);
}

// ↓ while the left button is held: the stroke was finished after the switch, so its
// "after" values were read from the other part, and undo wrote them into the first.
TEST_F(LaneStrokeUndoTest, APartSwitchMidDragEndsTheStrokeOnItsOwnPart) {
    screen(ScreenHol);
    switchPart(song, temp.folder(), midi, 1, ed.entry.LastPreviewNote);
    const ByteLane otherPart = song.part.HolLane;
    switchPart(song, temp.folder(), midi, 0, ed.entry.LastPreviewNote);
    const ByteLane start = song.part.HolLane;
    Picture1_MouseDown(ctx, 1, 0, 50, 1007);
    for (double x = 50; x <= 350; x += 100)
        Picture1_MouseMove(ctx, 1, 0, x, 1007);
    const ByteLane drawn = song.part.HolLane;
    Picture1_KeyDown(ctx, kVkDown, 0); // to part 2 with the button still down
    ASSERT_EQ(song.CurPart, 1);
    Picture1_MouseUp(ctx, 1, 0, 350, 1007);
    EXPECT_EQ(song.part.HolLane, otherPart);
    undo();
    EXPECT_EQ(song.CurPart, 0);
    EXPECT_EQ(song.part.HolLane, start);
    redo();
    EXPECT_EQ(song.part.HolLane, drawn);
    switchPart(song, temp.folder(), midi, 1, ed.entry.LastPreviewNote);
    EXPECT_EQ(song.part.HolLane, otherPart) << "the other part never took the stroke";
}

TEST_F(LaneStrokeUndoTest, TempoStrokesUndoOnTheSongLane) {
    const TempoLane start = song.TemLane;
    screen(ScreenTem);
    leftStroke(50, 250, 840);
    line(350, 847, 750, 1400);
    const TempoLane drawn = song.TemLane;
    undo();
    undo();
    EXPECT_EQ(song.TemLane, start);
    redo();
    redo();
    EXPECT_EQ(song.TemLane, drawn);
}

TEST_F(LaneStrokeUndoTest, StrokesInterleaveWithClicksAndSnapshotPairs) {
    ed.palette.NoteLen = 2;
    click(28, 0); // velocity 100 at column 0
    screen(ScreenVel);
    leftStroke(50, 50 + 1, 660);
    ASSERT_EQ(song.part.VelLane[0], 117);
    const std::vector<int> beforePair = exp(0, 2);
    // A measure command: snapshots before and after it.
    recordSnapshot(song, temp.folder(), gzip, {0, 1, 0});
    song.part.ExpLane[0] = 50;
    recordSnapshot(song, temp.folder(), gzip, {0, 1, 0});
    screen(ScreenExp);
    leftStroke(50, 150, 1320);
    screen(ScreenScore);
    click(28, 4);
    const CurrentPart end = song.part;

    undo(); // the click
    EXPECT_EQ(song.part.Grid(28, 4), 0);
    undo(); // the Exp stroke
    EXPECT_EQ(exp(0, 2), (std::vector<int>{50, beforePair[1]}));
    undo(); // the snapshot pair
    EXPECT_EQ(exp(0, 2), beforePair);
    EXPECT_EQ(song.part.VelLane[0], 117);
    undo(); // the velocity stroke
    EXPECT_EQ(song.part.VelLane[0], 100);
    undo(); // the first click
    EXPECT_EQ(song.part.VelLane[0], 0);
    EXPECT_FALSE(ed.menus.Mundo);
    for (int i = 0; i < 6; ++i)
        redo();
    EXPECT_EQ(song.part.Grid, end.Grid);
    EXPECT_EQ(song.part.VelLane, end.VelLane);
    EXPECT_EQ(song.part.ExpLane, end.ExpLane);
    EXPECT_FALSE(ed.menus.Mrido);
}

TEST_F(LaneStrokeUndoTest, ANewStrokeCutsOffTheRedoChain) {
    screen(ScreenMod);
    leftStroke(50, 150, 660);
    undo();
    leftStroke(250, 350, 1320);
    EXPECT_FALSE(ed.menus.Mrido);
    undo();
    EXPECT_EQ(song.part.ModLane[0], 0);
    EXPECT_EQ(song.part.ModLane[2], 0);
    EXPECT_FALSE(ed.menus.Mundo);
}

TEST_F(LaneStrokeUndoTest, AStrokeOpenWhenTheSongIsResetIsNotRecorded) {
    screen(ScreenMod);
    Picture1_MouseDown(ctx, 1, 0, 50, 660);
    Picture1_MouseMove(ctx, 1, 0, 150, 660);
    ASSERT_EQ(song.part.ModLane[1], 117);
    song.undo.clear();
    ResetSong(song, ed);
    Picture1_MouseUp(ctx, 1, 0, 150, 660);
    EXPECT_EQ(song.undo.at(song.undo.UndoPos).kind, kUndoNone);
    EXPECT_FALSE(ed.menus.Mundo);
}

} // namespace
} // namespace zelk
