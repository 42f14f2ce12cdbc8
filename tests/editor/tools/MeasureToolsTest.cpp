#include "editor/EditingFixture.h"
#include "editor/tools/MeasureCopy.h"
#include "editor/tools/MeasureEdit.h"

#include "editor/session/SongReset.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/ViewPosition.h"
#include "midi/MidiExportOptions.h"
#include "midi/SmfReader.h"
#include "midi/WriteMidiFile.h"
#include "model/Cell.h"
#include "model/PartFile.h"
#include "model/PartSwitch.h"
#include "platform/GzipCompressor.h"
#include "platform/IconvShiftJis.h"
#include "storage/Project.h"
#include "storage/StorageTestSupport.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace zelk {
namespace {

namespace fs = std::filesystem;

class MeasureToolsTest : public test::EditingFixture {
protected:
    MeasureToolsTest() {
        ResetSong(song, ed);
        showMeasure(1);
    }
    void showMeasure(int m) {
        ed.view.FirstMeasure = m;
        HScroll1_Change(song, ed.view, ed.signatures);
    }
    MeasureCopyForm copyForm(int from, int to, int dest) {
        MeasureCopyForm f = Form2_Load(song, ed.view);
        f.sourceFirst = from - 1;
        f.sourceLast = to - 1;
        f.destFirst = dest - 1;
        return f;
    }
    bool head(int row, int col) const { return song.part.Grid(row, col) & cell::Head; }
};

TEST_F(MeasureToolsTest, CopyOfMeasureOneToThreeMergesTheEndMarkWithANoteStartingThere) {
    test::putNote(song, 28, 24, 8); // ends at column 32, the first column of measure 2
    test::putNote(song, 28, 96, 8); // starts at column 96, the first column of measure 4
    song.part.PitLane[5] = 90;
    MeasureCopyForm f = copyForm(1, 1, 3);
    EXPECT_EQ(f.destLastMeasure(), 3);
    const auto r = Form2_Command1_Click(ctx, f);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(head(28, 64 + 24));
    EXPECT_EQ(song.part.Grid(28, 96) & cell::End, cell::End);
    EXPECT_TRUE(head(28, 96)); // the note starting there stays
    EXPECT_EQ(song.part.PitLane[64 + 5], 90);
    EXPECT_EQ(song.part.PartLen, 104);
    EXPECT_EQ(ed.view.FirstMeasure, 3);
    EXPECT_EQ(song.Dirty, 1);
}

TEST_F(MeasureToolsTest, MixedMeasureLengthsAreRefused) {
    song.MeasureLen.setLen(2, 24);
    test::putNote(song, 28, 0, 8);
    const Song before = song;
    MeasureCopyForm f = copyForm(1, 2, 5);
    auto r = Form2_Command1_Click(ctx, f);
    ASSERT_EQ(r.messages, std::vector<std::string>{std::string(kNotSameTime)});
    f = copyForm(1, 1, 2); // the destination is 3/4
    r = Form2_Command1_Click(ctx, f);
    ASSERT_EQ(r.messages, std::vector<std::string>{std::string(kNotSameTime)});
    EXPECT_EQ(song.part.Grid, before.part.Grid);
}

TEST_F(MeasureToolsTest, NotesAcrossTheEdgesAreRefusedWithTheirOwnMessages) {
    test::putNote(song, 28, 28, 8); // over the end of measure 1
    MeasureCopyForm f = copyForm(1, 1, 5);
    auto r = Form2_Command1_Click(ctx, f);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "音符が二つの小節にまたがっているとできません ");
    // The detail names where: the bar line at the head of measure 2 of part 1.
    EXPECT_EQ(r.details.at(0), "パート1の2小節目の頭で音符が小節線をまたいでいます");
    f = copyForm(3, 3, 1); // measure 3 is free, the destination is not
    r = Form2_Command1_Click(ctx, f);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "音符が二つの小節にまたがっているとできません");
    EXPECT_EQ(r.details.at(0), "パート1の2小節目の頭で音符が小節線をまたいでいます");
    EXPECT_TRUE(head(28, 28));
}

TEST_F(MeasureToolsTest, DestinationPastTheSongIsRefusedAlsoInClearMode) {
    MeasureCopyForm f = copyForm(299, 300, 300);
    EXPECT_EQ(Form2_Command1_Click(ctx, f).messages,
              std::vector<std::string>{"小節範囲が間違ってます"});
    f.clearMode = true;
    EXPECT_EQ(Form2_Command1_Click(ctx, f).messages,
              std::vector<std::string>{"小節範囲が間違ってます"});
    EXPECT_EQ(song.undo.SnapshotNo, 0); // nothing recorded
}

TEST_F(MeasureToolsTest, ClearingTheLastMeasuresLowersPartLenAndClearingAllDeletesTheFile) {
    test::putNote(song, 28, 0, 8);
    test::putNote(song, 30, 40, 8);
    MeasureCopyForm f = copyForm(2, 2, 7);
    f.clearMode = true;
    Form2_Command1_Click(ctx, f);
    EXPECT_EQ(f.destFirst, 1); // the destination is the range itself
    EXPECT_FALSE(head(30, 40));
    EXPECT_EQ(song.part.PanLane[40], 64);
    EXPECT_EQ(song.part.ExpLane[40], 127);
    EXPECT_EQ(song.part.PartLen, 8);
    SavePartFile(song, temp.folder());
    f = copyForm(1, 1, 1);
    f.clearMode = true;
    Form2_Command1_Click(ctx, f);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(fs::exists(temp.folder().workFile(0)));
}

TEST_F(MeasureToolsTest, UndoRightAfterOkRestoresEveryPartAndRedoRepeats) {
    test::putNote(song, 28, 0, 8);
    switchPart(song, temp.folder(), midi, 5, 0);
    test::putNote(song, 20, 4, 8);
    switchPart(song, temp.folder(), midi, 0, 0);
    MeasureCopyForm f = copyForm(1, 1, 10);
    f.allParts = true;
    const auto r = Form2_Command1_Click(ctx, f);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(song.CurPart, 5); // the last part with a work file
    EXPECT_TRUE(head(20, 288 + 4));
    EXPECT_TRUE(ed.menus.Mundo);
    EXPECT_FALSE(ed.menus.Mrido);
    Mundo_Click(ctx);
    const auto part5 = readPartFile(temp.folder(), 5);
    ASSERT_TRUE(part5);
    EXPECT_EQ(part5->front(), 12); // PartLen of part 5 before the copy
    switchPart(song, temp.folder(), midi, 0, 0);
    EXPECT_FALSE(head(28, 288));
    EXPECT_TRUE(head(28, 0));
    Mrido_Click(ctx);
    switchPart(song, temp.folder(), midi, 0, 0);
    EXPECT_TRUE(head(28, 288));
}

TEST_F(MeasureToolsTest, RefusalInOnePartOfAllPartsLeavesItAndGoesOn) {
    test::putNote(song, 28, 30, 8); // part 0: a note over the end of measure 1
    switchPart(song, temp.folder(), midi, 3, 0);
    test::putNote(song, 20, 0, 8);
    switchPart(song, temp.folder(), midi, 0, 0);
    MeasureCopyForm f = copyForm(1, 1, 4);
    f.allParts = true;
    const auto r = Form2_Command1_Click(ctx, f);
    EXPECT_EQ(r.messages, std::vector<std::string>{std::string(kSourceNoteCrosses)});
    EXPECT_TRUE(head(20, 96)); // part 3, current now, was copied
    switchPart(song, temp.folder(), midi, 0, 0);
    EXPECT_FALSE(head(28, 96 + 30));
    Mundo_Click(ctx);
    switchPart(song, temp.folder(), midi, 3, 0);
    EXPECT_FALSE(head(20, 96));
}

// A window left open while the song lost measures still offers the old ones.
TEST_F(MeasureToolsTest, ChoicesBeyondTheSongAreRefusedBeforeAnySnapshot) {
    struct Case {
        const char* what;
        std::function<void(MeasureCopyForm&)> copy;
    };
    const Case cases[] = {
        {"source first past the end",
         [](MeasureCopyForm& f) { f.sourceFirst = f.sourceLast = 300; }},
        {"source last past the end", [](MeasureCopyForm& f) { f.sourceLast = 310; }},
        {"destination past the end", [](MeasureCopyForm& f) { f.destFirst = 2000; }},
        {"negative measure", [](MeasureCopyForm& f) { f.sourceFirst = -1; }},
        {"part 17", [](MeasureCopyForm& f) { f.destPart = 16; }},
    };
    for (const Case& c : cases) {
        MeasureCopyForm f = copyForm(1, 1, 2);
        c.copy(f);
        const MeasureCopyResult r = Form2_Command1_Click(ctx, f);
        EXPECT_EQ(r.messages, std::vector<std::string>{std::string(kRangeWrong)}) << c.what;
    }
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    e.rangeLast = 300;
    EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), kRangeWrong);
    e = MeasureEdit_Load(song, ed.view);
    e.loopIndex = 300;
    EXPECT_EQ(MeasureEdit_Command4_Click(song, e), kRangeWrong);
    EXPECT_EQ(song.LoopOn, 0);
    EXPECT_EQ(song.undo.SnapshotNo, 0);
    EXPECT_EQ(song.Dirty, 0);
}

TEST_F(MeasureToolsTest, SourceRangeStaysOrdered) {
    MeasureCopyForm f = copyForm(5, 3, 1);
    Form2_Combo1_Click(f);
    EXPECT_EQ(f.sourceLast, 4);
    EXPECT_EQ(f.destLastMeasure(), 1);
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    e.rangeFirst = 4;
    e.rangeLast = 2;
    MeasureEdit_Combo3_Click(e);
    EXPECT_EQ(e.rangeLast, 4);
}

TEST_F(MeasureToolsTest, OctaveShiftMovesWholeCellsAndLosesTheEdges) {
    test::putNote(song, 3, 0, 8, cell::Sharp);
    test::putNote(song, 10, 16, 8);
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    MeasureEdit_Command2_Click(ctx, e);
    EXPECT_FALSE(head(3, 0)); // lost off the top
    EXPECT_EQ(song.part.Sounding[2], 0);
    EXPECT_EQ(song.part.VelLane[0], 0);
    EXPECT_TRUE(head(3, 16));
    EXPECT_EQ(song.part.Grid(3, 16) & cell::Sharp, 0);
    EXPECT_EQ(song.part.PartLen, 24);
    EXPECT_EQ(song.Dirty, 1);
    Mundo_Click(ctx);
    EXPECT_TRUE(head(3, 0));
    EXPECT_TRUE(head(10, 16));
    e.octaveDown = true;
    test::putNote(song, 53, 40, 4);
    MeasureEdit_Command2_Click(ctx, e);
    EXPECT_TRUE(head(17, 16));
    EXPECT_TRUE(head(10, 0));
    EXPECT_EQ(song.part.Grid(10, 0) & cell::Sharp, cell::Sharp);
    EXPECT_FALSE(head(53, 40)); // lost off the bottom
    EXPECT_EQ(song.part.PartLen, 24);
}

TEST_F(MeasureToolsTest, OctaveShiftThatLosesTheLastNoteLowersPartLen) {
    test::putNote(song, 28, 0, 8);
    test::putNote(song, 2, 40, 8);
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    MeasureEdit_Command2_Click(ctx, e);
    EXPECT_EQ(song.part.PartLen, 8);
    EXPECT_TRUE(head(21, 0));
    EXPECT_EQ(song.part.Sounding[44], 0);
}

// The shift wrote the "before" snapshot, and with it the work file, then emptied the part:
// the file's old notes came back at the next save, part switch, playback or undo step.
TEST_F(MeasureToolsTest, OctaveShiftThatPushesEveryNoteOffLeavesNoWorkFileToBringThemBack) {
    test::putNote(song, 2, 0, 8);
    test::putNote(song, 6, 40, 8);
    SavePartFile(song, temp.folder());
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    MeasureEdit_Command2_Click(ctx, e);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(fs::exists(temp.folder().workFile(0)));
    switchPart(song, temp.folder(), midi, 1, -1);
    switchPart(song, temp.folder(), midi, 0, -1);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(head(2, 0));
    Mundo_Click(ctx);
    EXPECT_TRUE(head(2, 0));
    EXPECT_EQ(song.part.PartLen, 48);
    Mrido_Click(ctx);
    EXPECT_EQ(song.part.PartLen, 0);
    EXPECT_FALSE(fs::exists(temp.folder().workFile(0)));
}

TEST_F(MeasureToolsTest, LaneListFollowsTheLaneOnlyWhileSetIsChosen) {
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    EXPECT_EQ(e.value, 100);
    e.lane = kTempoLane;
    MeasureEdit_Combo2_Click(e);
    EXPECT_EQ(e.valueCount, 301);
    EXPECT_EQ(e.value, 120);
    MeasureEdit_Option1_Click(e, LaneOp::Add);
    EXPECT_EQ(e.value, 1);
    EXPECT_EQ(opLabel(e.op), "加算する");
    e.lane = 1;
    MeasureEdit_Combo2_Click(e); // not while adding: the tempo list stays
    EXPECT_EQ(e.valueCount, 301);
    MeasureEdit_Option1_Click(e, LaneOp::Set);
    EXPECT_EQ(e.value, 64);
}

TEST_F(MeasureToolsTest, LaneEditClampsAndTouchesOnlyNoteStartsForVelocity) {
    test::putNote(song, 28, 0, 8);
    test::putNote(song, 30, 8, 8);
    song.part.VelLane[0] = 100;
    song.part.VelLane[8] = 110;
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    MeasureEdit_Option1_Click(e, LaneOp::Add);
    e.value = 30;
    EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), std::nullopt);
    EXPECT_EQ(song.part.VelLane[0], 127);
    EXPECT_EQ(song.part.VelLane[8], 127);
    EXPECT_EQ(song.part.VelLane[4], 0);
    e.lane = 1;
    e.op = LaneOp::Subtract;
    e.value = 100;
    MeasureEdit_Command1_Click(ctx, e);
    EXPECT_EQ(song.part.PitLane[20], 0); // every column, with or without a note
    e.lane = kTempoLane;
    e.op = LaneOp::Add;
    e.value = 50;
    song.TemLane[3] = 280;
    MeasureEdit_Command1_Click(ctx, e);
    EXPECT_EQ(song.TemLane[3], 300);
    EXPECT_EQ(song.TemLane[32], 120); // measure 2 is outside the range
    e.op = LaneOp::Subtract;
    e.value = 200;
    song.TemLane[3] = 120;
    MeasureEdit_Command1_Click(ctx, e);
    EXPECT_EQ(song.TemLane[3], 1);
    EXPECT_EQ(song.Dirty, 1);
}

TEST_F(MeasureToolsTest, RefusedSettingsChangeNothing) {
    test::putNote(song, 28, 0, 8);
    song.part.VelLane[0] = 90;
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    e.value = 0;
    EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), "0に設定できません");
    EXPECT_EQ(song.part.VelLane[0], 90);
    e.lane = kTempoLane;
    EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), "1以下に設定できません");
    EXPECT_EQ(song.TemLane[0], 120);
    EXPECT_EQ(song.undo.SnapshotNo, 0);
    EXPECT_EQ(song.Dirty, 0);
    e.value = 1; // tempo 1 itself is accepted
    EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), std::nullopt);
    EXPECT_EQ(song.TemLane[0], 1);
}

// 固定 on "Tem.", then 加算, another lane and 固定 again: the list still offers 0..300, and
// a velocity of 256 was stored as 0, turning the note start into a note-off.
TEST_F(MeasureToolsTest, SetValuesBeyondALanesByteAreRefusedNotWrapped) {
    test::putNote(song, 28, 0, 8);
    song.part.VelLane[0] = 90;
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    e.lane = kTempoLane;
    MeasureEdit_Combo2_Click(e);
    MeasureEdit_Option1_Click(e, LaneOp::Add);
    e.lane = 0;
    MeasureEdit_Combo2_Click(e);
    MeasureEdit_Option1_Click(e, LaneOp::Set);
    ASSERT_EQ(e.valueCount, 301);
    for (int lane = 0; lane < kTempoLane; ++lane) {
        e.lane = lane;
        for (int v : {128, 256, 300}) {
            e.value = v;
            EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), kAboveLaneRangeRefused)
                << lane << " " << v;
        }
        e.value = 127; // the top of the lane itself is accepted
        EXPECT_EQ(MeasureEdit_Command1_Click(ctx, e), std::nullopt) << lane;
    }
    EXPECT_EQ(song.part.VelLane[0], 127);
    EXPECT_EQ(song.part.HolLane[0], 127);
}

TEST_F(MeasureToolsTest, LaneEditIsOneUndoStep) {
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    e.lane = kTempoLane;
    MeasureEdit_Combo2_Click(e);
    e.value = 90;
    MeasureEdit_Command1_Click(ctx, e);
    EXPECT_EQ(song.TemLane[10], 90);
    Mundo_Click(ctx);
    EXPECT_EQ(song.TemLane[10], 120);
    Mrido_Click(ctx);
    EXPECT_EQ(song.TemLane[10], 90);
}

TEST_F(MeasureToolsTest, LoopPointIsStoredSavedLoadedAndExportedAtItsMeasure) {
    MeasureEditForm e = MeasureEdit_Load(song, ed.view);
    e.loopIndex = 11;
    MeasureEdit_Command4_Click(song, e);
    EXPECT_EQ(loopLabel(song), "12小節に設定中");
    EXPECT_EQ(song.LoopMeasure, 11);
    EXPECT_EQ(song.Dirty, 1);
    test::putNote(song, 28, 400, 8); // the music runs past the loop point
    song.FilePath = (temp.path() / "loop.zelk").string();
    SaveProject(song, temp.folder(), gzip);
    Song loaded = test::freshSong();
    loaded.FilePath = song.FilePath;
    test::TempFolder other;
    LoadProject(loaded, other.folder(), gzip, midi);
    EXPECT_EQ(loaded.LoopOn, 1);
    EXPECT_EQ(loaded.LoopMeasure, 11);
    const fs::path mid = temp.path() / "loop.mid";
    WriteMidiFile(song, temp.folder(), midi, IconvShiftJis(), mid, MidiExportOptions::forExport());
    // Controller 111 at the first column of measure 12: 11 measures of 4/4 = 21120 ticks
    // after the exported file's one-beat set-up.
    const std::string bytes = test::slurp(mid);
    const test::SmfFile smf =
        test::SmfReader(std::vector<uint8_t>(bytes.begin(), bytes.end())).read();
    std::vector<uint32_t> loopTicks;
    for (const auto& track : smf.tracks)
        for (const auto& ev : track)
            if (ev.bytes.size() == 3 && (ev.bytes[0] & 0xF0) == 0xB0 && ev.bytes[1] == 111)
                loopTicks.push_back(ev.tick);
    ASSERT_FALSE(loopTicks.empty());
    for (uint32_t t : loopTicks)
        EXPECT_EQ(t, 480u + 21120u);
    MeasureEdit_Command5_Click(song);
    EXPECT_EQ(loopLabel(song), "設定なし");
    EXPECT_EQ(song.LoopOn, 0);
}

} // namespace
} // namespace zelk
