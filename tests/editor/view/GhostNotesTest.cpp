#include "editor/view/GhostNotes.h"
#include "editor/EditingFixture.h"

#include "editor/EditorState.h"
#include "editor/session/SongReset.h"
#include "editor/tools/MeasureCopy.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/ColorTable.h"
#include "editor/view/DrawScore.h"
#include "editor/view/ViewPosition.h"
#include "model/PartSwitch.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "storage/Snapshots.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace zelk {
namespace {

bool isGhost(const DrawItem& d) {
    return d.kind == DrawKind::Box && d.color >= kGhostColor && d.color < kGhostColor + 16;
}

class GhostNotesTest : public test::EditingFixture {
protected:
    GhostNotesTest() {
        ResetSong(song, ed);
        ed.view.ScaleWidth = 3200;
        ed.view.ScaleHeight = 8400;
        ed.view.LaneScale = 66;
        ed.view.FirstMeasure = 1;
        HScroll1_Change(song, ed.view, ed.signatures);
    }
    void switchTo(int p) { switchPart(song, temp.folder(), midi, p, -1); }
    int refresh() { return cache.refresh(temp.folder(), song.CurPart); }
    std::vector<DrawItem> drawn(uint16_t parts = 0xFFFF) {
        GhostLayer layer(cache, parts);
        DrawScore(song, ed.palette, ed.view, list, ScoreExtras{&layer, false});
        return list.items;
    }
    std::vector<DrawItem> ghosts(uint16_t parts = 0xFFFF) {
        std::vector<DrawItem> r;
        for (const DrawItem& d : drawn(parts))
            if (isGhost(d))
                r.push_back(d);
        return r;
    }

    GhostCache cache;
    DrawList list;
};

TEST_F(GhostNotesTest, SpansFollowTheNotesOfTheWorkFile) {
    test::putNote(song, 28, 0, 8);
    test::putNote(song, 28, 8, 4); // right after the first: a span of its own
    test::putNote(song, 20, 16, 1);
    test::putNote(song, 24, 32, 8, 0, true);
    switchTo(1);
    EXPECT_EQ(refresh(), 1);
    const std::vector<GhostSpan> want{
        {0, 7, 28, false}, {8, 11, 28, false}, {16, 16, 20, false}, {32, 39, 24, true}};
    EXPECT_EQ(cache.spans(0), want);
    EXPECT_EQ(cache.longest(0), 8);
    EXPECT_TRUE(cache.spans(1).empty()); // the current part is drawn from memory
}

// Every operation that writes another part's work file makes the next refresh read it, and
// nothing else does: the read counts are the cache's whole cost.
TEST_F(GhostNotesTest, FilesAreReadAgainOnlyAfterTheyChanged) {
    test::putNote(song, 28, 0, 8);
    switchTo(5);
    test::putNote(song, 20, 4, 8);
    EXPECT_EQ(refresh(), 1); // part 0; no other part has a file yet
    EXPECT_EQ(refresh(), 0);
    test::putNote(song, 21, 12, 2); // editing the current part touches no file
    EXPECT_EQ(refresh(), 0);

    switchTo(0); // stores part 5
    EXPECT_EQ(refresh(), 1);
    EXPECT_EQ(cache.spans(5).size(), 2u);
    EXPECT_EQ(refresh(), 0);

    MeasureCopyForm f = Form2_Load(song, ed.view);
    f.sourceFirst = 0;
    f.sourceLast = 0;
    f.destFirst = 3;
    f.allParts = true;
    ASSERT_TRUE(Form2_Command1_Click(ctx, f).messages.empty());
    const int current = song.CurPart;
    EXPECT_EQ(refresh(), 1); // the other of the two parts with notes
    EXPECT_EQ(cache.spans(current == 0 ? 5 : 0).size(), current == 0 ? 4u : 2u);

    Mundo_Click(ctx); // a snapshot: every file may have changed
    EXPECT_EQ(refresh(), 1);
    EXPECT_EQ(cache.spans(song.CurPart == 0 ? 5 : 0).size(), song.CurPart == 0 ? 2u : 1u);
    EXPECT_EQ(refresh(), 0);

    song.FilePath = (temp.path() / "ghost.zelk").string();
    SaveProject(song, temp.folder(), gzip);
    EXPECT_EQ(refresh(), 0); // saving stores the current part only
    Song loaded = test::freshSong();
    loaded.FilePath = song.FilePath;
    LoadProject(loaded, temp.folder(), gzip, midi);
    EXPECT_EQ(cache.refresh(temp.folder(), loaded.CurPart), 1);

    ClearTempFiles(loaded, temp.folder()); // a new song
    EXPECT_EQ(cache.refresh(temp.folder(), loaded.CurPart), 0);
    for (int p = 0; p < 16; ++p)
        EXPECT_TRUE(cache.spans(p).empty()) << "part " << p;
    EXPECT_EQ(cache.fileReads(), 5);
}

TEST_F(GhostNotesTest, OnlyTheShownColumnsAreDrawnUnderTheGrid) {
    test::putNote(song, 28, 0, 2);
    test::putNote(song, 26, 20, 20); // reaches from measure 1 into measure 2
    test::putNote(song, 24, 40, 2);
    test::putNote(song, 22, 70, 2);
    switchTo(1);
    test::putNote(song, 30, 36, 2);
    refresh();
    ed.view.FirstMeasure = 2;
    HScroll1_Change(song, ed.view, ed.signatures);
    const auto items = drawn();
    std::vector<DrawItem> shown;
    std::copy_if(items.begin(), items.end(), std::back_inserter(shown), isGhost);
    ASSERT_EQ(shown.size(), 2u); // the long note that began before, and the note at 40
    EXPECT_EQ(shown[0].x1, 0.0f);
    EXPECT_EQ(shown[0].x2, 800.0f); // through column 39, measure 2 starts at 32
    EXPECT_EQ(shown[1].x1, 8 * 100 + 30);
    EXPECT_EQ(shown[0].color, kGhostColor + 0);
    // Under everything but the cleared canvas: the grid and the part's own notes follow.
    const auto first = std::find_if(items.begin(), items.end(), isGhost);
    const auto last = std::find_if(items.rbegin(), items.rend(), isGhost).base();
    for (auto it = items.begin(); it != first; ++it)
        EXPECT_EQ(it->kind, DrawKind::Clear);
    EXPECT_TRUE(
        std::any_of(last, items.end(), [](const DrawItem& d) { return d.kind == DrawKind::Line; }));
    EXPECT_TRUE(std::any_of(last, items.end(), [](const DrawItem& d) {
        return d.kind == DrawKind::Box && d.x1 == 4 * 100 + 30; // the current part's note
    }));
}

TEST_F(GhostNotesTest, RhythmAndMelodicPartsGhostOnlyTheirOwnKind) {
    test::putNote(song, 28, 0, 4);
    switchTo(1);
    test::putNote(song, 20, 0, 4);
    song.DrumPart[2] = 1;
    switchTo(2);
    test::putNote(song, 10, 0, 4);
    switchTo(3);
    refresh();
    EXPECT_EQ(ghosts().size(), 2u); // parts 0 and 1
    EXPECT_EQ(ghosts(0b10).size(), 1u);
    EXPECT_EQ(ghosts(0b10).front().color, kGhostColor + 1);
    EXPECT_TRUE(ghosts(0).empty());
    switchTo(2);
    refresh();
    EXPECT_TRUE(ghosts().empty()); // the rhythm part alone is a rhythm part
    song.DrumPart[0] = 1;
    EXPECT_EQ(ghosts().size(), 1u);
    EXPECT_EQ(ghosts().front().color, kGhostColor + 0);
}

TEST_F(GhostNotesTest, ADamagedWorkFileShowsNoGhosts) {
    test::putNote(song, 28, 0, 4);
    switchTo(1);
    std::ofstream(temp.folder().workFile(0), std::ios::trunc) << "not a part\n";
    temp.folder().workFileChanged(0);
    EXPECT_EQ(refresh(), 1);
    EXPECT_TRUE(cache.spans(0).empty());
    EXPECT_TRUE(ghosts().empty());
}

} // namespace
} // namespace zelk
