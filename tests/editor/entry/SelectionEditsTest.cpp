#include "editor/entry/SelectionEdits.h"
#include "editor/EntryFixture.h"
#include "editor/PartInvariants.h"
#include "editor/entry/CommitClick.h"
#include "editor/entry/KeyboardCommands.h"
#include "editor/entry/PartChange.h"
#include "editor/entry/SelectionMouse.h"
#include "editor/entry/SelectionTranspose.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/Signatures.h"
#include "model/Cell.h"
#include "model/PartFile.h"

#include <filesystem>

namespace zelk {
namespace {

// The current part as the selection edits touch it, and whether its work file exists.
struct PartImage {
    NoteGrid grid;
    ByteLane sounding, vel, pit, mod, exp;
    int32_t partLen;
    bool workFile;
    bool operator==(const PartImage&) const = default;
};

class SelectionTest : public test::EntryFixture {
protected:
    PartImage image() {
        const CurrentPart& p = song.part;
        return {p.Grid,    p.Sounding,
                p.VelLane, p.PitLane,
                p.ModLane, p.ExpLane,
                p.PartLen, std::filesystem::exists(temp.folder().workFile(song.CurPart))};
    }
    void select(std::vector<NoteKey> keys) { ed.selection.set(song.CurPart, std::move(keys)); }
    std::vector<NoteKey> selected() const { return ed.selection.notes; }
    // The notes of the part, by head.
    std::vector<NoteSpan> notes() const {
        std::vector<NoteSpan> all;
        for (int32_t col = 0; col <= song.part.PartLen; ++col)
            for (int row = 0; row < kRows; ++row)
                if (auto n = noteStartingAt(song.part.Grid, row, col))
                    all.push_back(*n);
        return all;
    }
    static NoteSpan plain(int row, int head, int end, int32_t acc = 0) {
        return {head, end, row, false, acc, acc * 4};
    }
    static NoteSpan tuplet(int row, int head, int end) { return {head, end, row, true, 0, 0}; }
    // A Ctrl (shift 2) or Ctrl+Shift (3) drag from one point to another.
    EditOutcome ctrlDrag(double x0, double y0, double x1, double y1, int shift = 2) {
        EditOutcome out = Picture1_MouseDown(ctx, 1, shift, x0, y0);
        out |= Picture1_MouseMove(ctx, 1, shift, x1, y1);
        out |= Picture1_MouseUp(ctx, 1, shift, x1, y1);
        return out;
    }
    void expectConsistent() { EXPECT_EQ(test::checkPart(song.part), test::PartFaults{}); }
};

// The view shows one 4/4 measure at 100 twips per column and 300 per row from row 14;
// tuplet slots are 133 twips wide.
TEST_F(SelectionTest, BandTakesTheNotesWhoseHeadLiesInItOnEitherGrid) {
    test::putNote(song, 20, 2, 4);              // head centre (250, 1800)
    test::putNote(song, 22, 10, 4);             // (1050, 2400)
    test::putNote(song, 24, 5, 9 - 5, 0, true); // tuplet head on slot 4: (598, 3000)
    test::putNote(song, 26, 5, 4);              // plain head in column 5: (550, 3600)
    const std::vector<NoteKey> A{{2, 20}}, B{{10, 22}}, T{{5, 24}}, P{{5, 26}};
    struct Case {
        double x0, y0, x1, y1;
        std::vector<NoteKey> taken;
        const char* why;
    } cases[] = {
        {0, 0, 3200, 8400, {{2, 20}, {5, 24}, {5, 26}, {10, 22}}, "the whole canvas"},
        {400, 1700, 600, 1900, {}, "over a body only"},
        {500, 2900, 560, 3700, P, "column 5's centre, not the tuplet slot's"},
        {570, 2900, 700, 3700, T, "the tuplet slot's centre only"},
        {1100, 2500, 200, 1700, {{2, 20}, {10, 22}}, "drawn from the bottom right"},
        {0, 3650, 3200, 9000, {}, "below the last note and past the canvas"},
    };
    for (const Case& c : cases) {
        ed.selection.clear();
        ctrlDrag(c.x0, c.y0, c.x1, c.y1);
        EXPECT_EQ(selected(), c.taken) << c.why;
        EXPECT_FALSE(ed.selection.band.active);
    }
    // With Shift the band adds; a Ctrl click toggles the note under it, body or head.
    ctrlDrag(0, 0, 300, 2000, 3);
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{2, 20}}));
    ctrlDrag(1000, 2400, 1000, 2400, 3);
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{2, 20}, {10, 22}}));
    ctrlDrag(450, yOfRow(20), 451, yOfRow(20));
    EXPECT_EQ(selected(), B);
    ctrlDrag(620, yOfRow(24), 620, yOfRow(24));
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{5, 24}, {10, 22}}));
    // A plain click keeps the Part's meaning (a note placed) and clears the selection.
    const EditOutcome out = click(40, 20);
    EXPECT_TRUE(ed.selection.empty());
    EXPECT_TRUE(out.redraw);
    EXPECT_TRUE(cell::startsNote(cell(40, 20)));
}

TEST_F(SelectionTest, CtrlDoubleClickTogglesTwiceAndTheRightButtonKeepsTheSelection) {
    test::putNote(song, 20, 2, 4);
    const double x = xOfColumn(3), y = yOfRow(20);
    Picture1_MouseDown(ctx, 1, 2, x, y);
    Picture1_MouseUp(ctx, 1, 2, x, y);
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{2, 20}}));
    Picture1_DblClick(ctx);
    Picture1_MouseUp(ctx, 1, 2, x, y);
    EXPECT_TRUE(ed.selection.empty());
    EXPECT_TRUE(cell::startsNote(cell(20, 2))); // no note toggled by the double click
    select({{2, 20}});
    pressAt(xOfColumn(20), 30, 2); // the audition
    release(2);
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{2, 20}}));
}

TEST_F(SelectionTest, SelectAllTakesEveryNoteOfThePartAndASwitchUndoOrResetClearsIt) {
    test::putNote(song, 0, 0, 4);
    test::putNote(song, 56, 9590, 8);
    test::putNote(song, 30, 4, 4, 0, true);
    selectAllNotes(ctx);
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{0, 0}, {4, 30}, {9590, 56}}));
    changePart(ctx, 1);
    EXPECT_TRUE(ed.selection.empty());
    changePart(ctx, 0);
    click(20, 20);
    selectAllNotes(ctx);
    Mundo_Click(ctx);
    EXPECT_TRUE(ed.selection.empty());
    selectAllNotes(ctx);
    Mrido_Click(ctx);
    EXPECT_TRUE(ed.selection.empty());
}

TEST_F(SelectionTest, DeleteLeavesTheLanesAsClicksWouldAndEmptiesThePartFile) {
    test::putNote(song, 20, 4, 8);
    test::putNote(song, 22, 4, 4); // a chord on column 4
    song.part.VelLane[4] = 77;
    song.part.PitLane[10] = 90;
    SavePartFile(song, temp.folder());
    select({{4, 20}});
    const PartImage before = image();
    deleteSelection(ctx);
    EXPECT_EQ(song.part.VelLane[4], 77); // the chord's other head still starts there
    EXPECT_EQ(song.part.Sounding[7], 1);
    EXPECT_EQ(song.part.Sounding[8], 0);
    EXPECT_EQ(song.part.PitLane[10], 64);
    EXPECT_EQ(song.part.PartLen, 8);
    EXPECT_EQ(song.Dirty, 1);
    EXPECT_TRUE(ed.selection.empty());
    expectConsistent();
    PartImage deleted = image();
    select({{4, 22}});
    deleteSelection(ctx);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_EQ(song.part.VelLane[4], 0);
    EXPECT_FALSE(std::filesystem::exists(temp.folder().workFile(0)));
    Mundo_Click(ctx);
    deleted.workFile = false; // gone with the last note; written again at the next switch
    EXPECT_TRUE(image() == deleted);
    Mundo_Click(ctx);
    EXPECT_TRUE((PartImage{before.grid, before.sounding, before.vel, before.pit, before.mod,
                           before.exp, before.partLen, false} == image()));
    SavePartFile(song, temp.folder());
    Mrido_Click(ctx);
    Mrido_Click(ctx);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(std::filesystem::exists(temp.folder().workFile(0)));
}

TEST_F(SelectionTest, MovesAtTheGridsEdgesAreDoneOrRefusedWithNothingChanged) {
    struct Case {
        NoteSpan note; // the one selected note
        int32_t thirds;
        int rows;
        std::string message; // "" when done
        NoteSpan moved;
        const char* why;
    } cases[] = {
        {plain(0, 8, 12), 0, -1, std::string(kNoteOutsideRows), {}, "above row 0"},
        {plain(0, 8, 12), 0, 1, "", plain(1, 8, 12), "row 0 down a step"},
        {plain(56, 8, 12), 0, 1, std::string(kNoteOutsideRows), {}, "below row 56"},
        {plain(30, 0, 4), -3, 0, std::string(kNoteBeforeStart), {}, "before column 0"},
        {plain(30, 1, 4), -3, 0, "", plain(30, 0, 3), "onto column 0"},
        {plain(30, 9592, 9600), 3, 0, "300" + std::string(kNoteBeyondEnd), {}, "past the song"},
        {plain(30, 9591, 9599), 3, 0, "", plain(30, 9592, 9600), "to the song's end"},
        {plain(30, 28, 32), 3, 0, std::string(kNoteBeyondEnd), {}, "across the bar line"},
        {plain(30, 28, 32), 12, 0, "", plain(30, 32, 36), "into the next measure"},
        {tuplet(30, 1, 2), 4, 0, "", tuplet(30, 2, 4), "a slot on: through column 3"},
        {tuplet(30, 2, 4), 4, 0, "", tuplet(30, 4, 5), "into the next group"},
        {tuplet(30, 4, 5), -12, 0, "", tuplet(30, 0, 1), "three slots back"},
    };
    for (const Case& c : cases) {
        song = test::freshSong();
        test::putNote(song, c.note.row, c.note.head, c.note.end - c.note.head, 0, c.note.tuplet);
        select({keyOf(c.note)});
        const PartImage before = image();
        const EditOutcome out = moveSelection(ctx, c.thirds, c.rows);
        EXPECT_EQ(out.message, c.message) << c.why;
        if (!c.message.empty()) {
            EXPECT_TRUE(image() == before) << c.why;
            EXPECT_EQ(selected(), (std::vector<NoteKey>{keyOf(c.note)})) << c.why;
            continue;
        }
        EXPECT_EQ(notes(), (std::vector<NoteSpan>{c.moved})) << c.why;
        EXPECT_EQ(selected(), (std::vector<NoteKey>{keyOf(c.moved)})) << c.why;
        expectConsistent();
    }
}

TEST_F(SelectionTest, MovesKeepToThreeEighthMeasuresAndRefuseEveryOverlap) {
    Combo5_Click(song, ed.view, ed.signatures, 7); // 3/8 from measure 1: 12 columns each
    test::putNote(song, 30, 0, 4);
    test::putNote(song, 32, 14, 4);
    select({{0, 30}});
    EXPECT_EQ(moveSelection(ctx, 27, 0).message, kNoteBeyondEnd); // columns 9..12
    EXPECT_EQ(moveSelection(ctx, 24, 0).message, "");             // 8..11 fits
    EXPECT_EQ(moveSelection(ctx, 18, 2).message, kNotesOverlap);  // onto the other note
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(30, 8, 12), plain(32, 14, 18)}));
    // Where a tuplet note ends inside a column (20 or 40 ticks in), a plain note may not
    // start in that column, nor may a tuplet note end after a plain head there.
    test::putNote(song, 34, 0, 2, 0, true); // ends 40 ticks into column 2
    test::putNote(song, 34, 4, 2);
    select({{4, 34}});
    EXPECT_EQ(moveSelection(ctx, -6, 0).message, kNotesOverlap);
    EXPECT_EQ(moveSelection(ctx, -3, 0).message, ""); // column 3 is free
    test::putNote(song, 36, 6, 2);
    test::putNote(song, 36, 0, 1, 0, true);
    select({{0, 36}});
    EXPECT_EQ(moveSelection(ctx, 16, 0).message, kNotesOverlap); // its end on column 6's head
    EXPECT_EQ(moveSelection(ctx, 4, 0).message, "");
    expectConsistent();
}

TEST_F(SelectionTest, AMoveCarriesTheLaneValuesOfItsColumns) {
    test::putNote(song, 30, 4, 4);
    test::putNote(song, 34, 20, 4);
    CurrentPart& p = song.part;
    p.VelLane[4] = 77;
    p.PitLane[5] = 90;
    p.ModLane[7] = 20;
    p.PitLane[21] = 30;
    select({{4, 30}});
    moveSelection(ctx, 24, 0); // 8 columns later, into silent columns: the values come along
    EXPECT_EQ(p.VelLane[12], 77);
    EXPECT_EQ(p.PitLane[13], 90);
    EXPECT_EQ(p.ModLane[15], 20);
    EXPECT_EQ(p.VelLane[4], 0); // and leave neutral columns behind
    EXPECT_EQ(p.PitLane[5], 64);
    EXPECT_EQ(p.ModLane[7], 0);
    EXPECT_EQ(p.Sounding[5], 0);
    moveSelection(ctx, 24, 0); // onto columns another note sounds in: theirs stay
    EXPECT_EQ(p.VelLane[20], 100);
    EXPECT_EQ(p.PitLane[21], 30);
    EXPECT_EQ(p.ModLane[23], 0);
    expectConsistent();
}

TEST_F(SelectionTest, StepsFollowThePaletteAndKeepEveryNoteOnItsGrid) {
    const std::vector<NoteSpan> plainOnly{plain(30, 0, 4)};
    const std::vector<NoteSpan> tupletOnly{tuplet(30, 1, 2)};
    const std::vector<NoteSpan> mixed{plain(30, 0, 4), tuplet(32, 1, 2)};
    struct Case {
        int len;
        bool tupletMode, single;
        const std::vector<NoteSpan>* notes;
        int32_t thirds;
    } cases[] = {
        {8, false, false, &plainOnly, 24}, // a quarter: 8 columns
        {8, false, true, &plainOnly, 3},   // Shift: one column
        {8, false, true, &tupletOnly, 12}, // one column is no slot: three slots
        {2, true, false, &tupletOnly, 8},  // a tuplet quarter: two slots
        {2, true, true, &tupletOnly, 4},   // one slot
        {2, true, false, &plainOnly, 24},  // two slots are no column: 8 columns
        {8, false, true, &mixed, 12},      // four columns keep both grids
        {3, false, false, &mixed, 36},     // three columns
    };
    for (const Case& c : cases) {
        Palette p;
        p.NoteLen = c.len;
        p.TupletMode = c.tupletMode ? 1 : 0;
        EXPECT_EQ(moveStep(p, *c.notes, c.single), c.thirds);
    }
}

TEST_F(SelectionTest, ArrowKeysMoveTheSelectionAndOnlyThen) {
    show(2, 1);
    test::putNote(song, 30, 40, 4);
    test::putNote(song, 28, 44, 2, cell::Sharp);
    EXPECT_TRUE(Picture1_KeyDown(ctx, kVkRight, 0).positionChanged); // no selection: scroll
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    show(2, 1);
    select({{40, 30}, {44, 28}});
    ed.palette.NoteLen = 4;
    Picture1_KeyDown(ctx, kVkRight, 0); // the palette's eighth
    Picture1_KeyDown(ctx, kVkLeft, 1);  // one column back
    Picture1_KeyDown(ctx, kVkUp, 2);    // a step up
    Picture1_KeyDown(ctx, kVkDown, 3);  // an octave down
    EXPECT_EQ(ed.view.FirstMeasure, 2);
    EXPECT_EQ(song.CurPart, 0);
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(36, 43, 47), plain(34, 47, 49, cell::Sharp)}));
    // A rhythm part's octave is twelve keys.
    changePart(ctx, 9);
    test::putNote(song, 40, 40, 4);
    select({{40, 40}});
    Picture1_KeyDown(ctx, kVkUp, 3);
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(28, 40, 44)}));
}

// Moved by keys out of the view, the notes take it along; while one of them is shown it
// stays where it is.
TEST_F(SelectionTest, ArrowKeysTakeTheViewAlongWhenTheNotesLeaveIt) {
    show(2, 1); // columns 32..63
    ed.palette.NoteLen = 4;
    test::putNote(song, 30, 56, 4);
    test::putNote(song, 30, 10, 4); // measure 1, outside the view
    select({{10, 30}, {56, 30}});
    Picture1_KeyDown(ctx, kVkRight, 0); // 60 still shown
    EXPECT_EQ(ed.view.FirstMeasure, 2);
    select({{60, 30}});
    EXPECT_TRUE(Picture1_KeyDown(ctx, kVkRight, 0).positionChanged); // 64: measure 3
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    Picture1_KeyDown(ctx, kVkLeft, 0); // back to 60
    EXPECT_EQ(ed.view.FirstMeasure, 2);
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(30, 14, 18), plain(30, 60, 64)}));
}

TEST_F(SelectionTest, DraggingASelectedNoteMovesTheSelectionOnRelease) {
    test::putNote(song, 30, 4, 4);
    test::putNote(song, 32, 6, 4);
    select({{4, 30}, {6, 32}});
    ed.palette.NoteLen = 2;
    pressAt(xOfColumn(5), 30);
    EXPECT_TRUE(ed.selection.drag.active);
    EXPECT_TRUE(moveTo(xOfColumn(8), 28).overlayChanged); // 3 columns: one step of 2 rounds up
    EXPECT_EQ(ed.selection.drag.thirds, 12);
    EXPECT_EQ(ed.selection.drag.rows, -2);
    Picture1_MouseMove(ctx, 1, 1, xOfColumn(8), yOfRow(28)); // with Shift: single columns
    EXPECT_EQ(ed.selection.drag.thirds, 9);
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(30, 4, 8), plain(32, 6, 10)})); // until release
    Picture1_MouseMove(ctx, 1, 0, 1e6, yOfRow(14)); // far right: held inside the song
    EXPECT_EQ(ed.selection.drag.thirds, 3 * (9600 - 10));
    moveTo(xOfColumn(8), 28);
    release();
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(28, 8, 12), plain(30, 10, 14)}));
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{8, 28}, {10, 30}}));
    // Pressed and released in place: the Part's click, which removes the note.
    pressAt(xOfColumn(9), 28);
    release();
    EXPECT_TRUE(ed.selection.empty());
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(30, 10, 14)}));
}

TEST_F(SelectionTest, PasteGoesUnderThePointerIntoAnyPartWithItsLanes) {
    test::putNote(song, 40, 2, 4, cell::Flat);
    test::putNote(song, 42, 6, 2);
    song.part.VelLane[2] = 60;
    song.part.PitLane[3] = 90;
    select({{2, 40}, {6, 42}});
    copySelection(ctx);
    changePart(ctx, 3);
    test::putNote(song, 20, 12, 4); // column 12 sounds in the target already
    song.part.PitLane[13] = 30;
    const PartImage target = image();
    pasteNotes(ctx, xOfColumn(10));
    EXPECT_EQ(notes(), (std::vector<NoteSpan>{plain(40, 10, 14, cell::Flat), plain(20, 12, 16),
                                              plain(42, 14, 16)}));
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{10, 40}, {14, 42}}));
    EXPECT_EQ(song.part.VelLane[10], 60);
    EXPECT_EQ(song.part.PitLane[11], 90);
    EXPECT_EQ(song.part.PitLane[13], 30); // a column already sounding keeps its value
    EXPECT_EQ(song.part.PartLen, 16);
    pasteNotes(ctx, std::nullopt); // the first shown column
    EXPECT_EQ(selected(), (std::vector<NoteKey>{{0, 40}, {4, 42}}));
    const PartImage before = image();
    EXPECT_EQ(pasteNotes(ctx, xOfColumn(0)).message, kNotesOverlap);
    EXPECT_TRUE(image() == before);
    show(300, 1);
    EXPECT_EQ(pasteNotes(ctx, xOfColumn(9598)).message, "300" + std::string(kNoteBeyondEnd));
    EXPECT_TRUE(image() == before);
    Mundo_Click(ctx);
    Mundo_Click(ctx);
    EXPECT_TRUE(image() == target);
    expectConsistent();
}

TEST_F(SelectionTest, APasteOfTupletNotesSnapsToTheirSlots) {
    struct Case {
        std::vector<NoteSpan> copied;
        bool tupletPalette;
        double x; // pointer
        std::vector<NoteSpan> pasted;
        const char* why;
    } cases[] = {
        {{tuplet(30, 1, 2)},
         false,
         650,
         {tuplet(30, 5, 6)},
         "column 6 holds no slot start: slot 4"},
        {{tuplet(30, 1, 2)}, true, 670, {tuplet(30, 6, 8)}, "slot 5 under the pointer"},
        {{plain(30, 0, 4), tuplet(32, 1, 2)},
         false,
         650,
         {plain(30, 4, 8), tuplet(32, 5, 6)},
         "both grids: back to column 4"},
        {{plain(30, 1, 2)}, true, 670, {plain(30, 6, 7)}, "a plain note at slot 5's column"},
    };
    for (const Case& c : cases) {
        song = test::freshSong();
        for (const NoteSpan& n : c.copied)
            test::putNote(song, n.row, n.head, n.end - n.head, 0, n.tuplet);
        std::vector<NoteKey> keys;
        for (const NoteSpan& n : c.copied)
            keys.push_back(keyOf(n));
        select(keys);
        cutSelection(ctx);
        tupletMode(c.tupletPalette);
        pasteNotes(ctx, c.x);
        EXPECT_EQ(notes(), c.pasted) << c.why;
        expectConsistent();
    }
}

// Every edit is one undo step that brings back the part exactly, and its redo the edit.
TEST_F(SelectionTest, EachEditUndoesAndRedoesExactly) {
    struct Case {
        const char* name;
        EditOutcome (*edit)(EditContext&);
    } cases[] = {
        {"delete", deleteSelection},
        {"cut", cutSelection},
        {"paste", [](EditContext& c) { return pasteNotes(c, 1250.0); }},
        {"move", [](EditContext& c) { return moveSelection(c, 6, -3); }},
        {"transpose", [](EditContext& c) { return transposeSelection(c, 5); }},
        {"steps", [](EditContext& c) { return transposeSelectionByRows(c, -2); }},
        {"velocity",
         [](EditContext& c) { return changeSelectionVelocity(c, VelocityChange::Add, 9); }},
    };
    for (const Case& c : cases) {
        song = test::freshSong();
        ed = EditorState{};
        show(1, 1);
        click(30, 0);
        click(32, 4);
        click(28, 20);
        song.part.PitLane[2] = 99;
        select({{0, 30}, {4, 32}});
        copySelection(ctx);
        const PartImage before = image();
        EXPECT_FALSE(c.edit(ctx).refused()) << c.name;
        const PartImage after = image();
        EXPECT_FALSE(after == before) << c.name;
        EXPECT_EQ(song.undo.at(song.undo.UndoPos).kind, kUndoNoteEdit) << c.name;
        Mundo_Click(ctx);
        EXPECT_TRUE(image() == before) << c.name;
        EXPECT_TRUE(ed.selection.empty()) << c.name;
        Mrido_Click(ctx);
        EXPECT_TRUE(image() == after) << c.name;
        EXPECT_FALSE(ed.menus.Mrido) << c.name;
        Mundo_Click(ctx);
        Mundo_Click(ctx); // the clicks before it are still there
        EXPECT_EQ(cell(28, 20), 0) << c.name;
    }
}

} // namespace
} // namespace zelk
