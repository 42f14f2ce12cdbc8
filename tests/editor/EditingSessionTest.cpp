#include "EditingSession.h"

namespace zelk {
namespace {

using test::EditingSessionTest;

// Clicks only (placements and removals, Shift-clicks, auditions, double clicks) between
// palette, view and part changes: every click can be undone, in any part.
class ClickHistoryTest : public EditingSessionTest {
protected:
    // The notes of part p, from memory for the current part, else from its work file.
    std::unique_ptr<NoteGrid> gridOf(int p) {
        if (p == song.CurPart)
            return std::make_unique<NoteGrid>(song.part.Grid);
        auto part = std::make_unique<CurrentPart>();
        if (auto values = readPartFile(temp.folder(), p))
            applyPartNumbers(*values, *part);
        return std::make_unique<NoteGrid>(part->Grid);
    }

    void clickOnly() {
        const double x = anyX(), y = anyY();
        const int button = chance(85) ? 1 : 2, shift = chance(15) ? 1 : 0;
        log << "click " << x << "," << y << " b" << button << " s" << shift << "; ";
        press(button, shift, x, y);
        apply(Picture1_MouseUp(ctx, button, 0, x, y));
        if (chance(5)) {
            apply(Picture1_DblClick(ctx));
            apply(Picture1_MouseUp(ctx, button, 0, x, y));
        }
    }

    // Undo and redo of the last click on the current part leave the part as it was.
    void undoRedoOnce() {
        if (!ed.menus.Mundo || song.undo.at(song.undo.UndoPos).part != song.CurPart)
            return;
        const NoteGrid before = song.part.Grid;
        const int32_t len = song.part.PartLen;
        apply(Mundo_Click(ctx));
        apply(Mrido_Click(ctx));
        ASSERT_EQ(song.part.Grid, before) << log.str();
        ASSERT_EQ(song.part.PartLen, len);
        ++count["undo-redo pairs"];
    }

    int recordedClicks(int limit) {
        int recorded = 0;
        while (recorded < limit) {
            log.str("");
            const uint8_t pos = song.undo.UndoPos;
            const int r = pick(1, 100);
            if (r <= 75)
                clickOnly();
            else if (r <= 85)
                randomPalette();
            else if (r <= 90)
                randomView();
            else if (r <= 94)
                switchToAnyPart();
            else
                undoRedoOnce();
            if (r <= 75)
                recorded += (song.undo.UndoPos - pos + 255) % 255;
            EXPECT_EQ(test::checkPart(song.part), test::PartFaults{}) << log.str();
            ++steps;
        }
        return recorded;
    }
};

TEST_F(ClickHistoryTest, UndoingEveryClickEmptiesEveryPartAndRedoingRestoresThem) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        rng.seed(seed);
        song = test::freshSong();
        ed = EditorState{};
        for (int p = 0; p < kParts; ++p)
            std::filesystem::remove(temp.folder().workFile(p));
        randomView();
        const int recorded = recordedClicks(200);
        std::vector<std::unique_ptr<NoteGrid>> done;
        SavePartFile(song, temp.folder());
        for (int p = 0; p < kParts; ++p)
            done.push_back(gridOf(p));
        int undone = 0;
        for (; ed.menus.Mundo; ++undone)
            apply(Mundo_Click(ctx));
        EXPECT_EQ(undone, recorded);
        EXPECT_EQ(song.part.PartLen, 0);
        EXPECT_EQ(test::checkPart(song.part), test::PartFaults{});
        for (int p = 0; p < kParts; ++p) {
            EXPECT_EQ(*gridOf(p), NoteGrid()) << "part " << p;
            EXPECT_FALSE(std::filesystem::exists(temp.folder().workFile(p))) << "part " << p;
        }
        while (ed.menus.Mrido)
            apply(Mrido_Click(ctx));
        SavePartFile(song, temp.folder());
        for (int p = 0; p < kParts; ++p)
            EXPECT_TRUE(*gridOf(p) == *done[static_cast<size_t>(p)]) << "part " << p;
    }
    std::cout << "[ history  ] " << steps << " steps, " << count["undo-redo pairs"]
              << " undo-redo pairs\n";
}

// 20 000 steps in the suite; scripts/soak.sh runs a million (ZELK_SOAK_STEPS).
int sessionSteps() {
    const char* env = std::getenv("ZELK_SOAK_STEPS");
    return env ? std::max(4, std::atoi(env)) : 20'000;
}

TEST_F(EditingSessionTest, RandomEditingKeepsThePartConsistent) {
    constexpr int kSeeds = 4;
    const int kStepsPerSeed = sessionSteps() / kSeeds;
    for (uint32_t seed = 1; seed <= kSeeds; ++seed) {
        rng.seed(seed);
        song = test::freshSong();
        ed = EditorState{};
        randomView();
        for (int i = 0; i < kStepsPerSeed; ++i) {
            log.str("");
            step();
            ASSERT_EQ(test::checkPart(song.part), test::PartFaults{})
                << "after step " << i << " of seed " << seed << ": " << log.str();
        }
    }
    RecordProperty("steps", steps);
    std::cout << "[ session  ] " << steps << " steps";
    for (const auto& [what, n] : count)
        std::cout << ", " << n << " " << what;
    std::cout << "\n";
    EXPECT_GT(count["recorded clicks"], steps / 10);
    EXPECT_GT(count["undone"], steps / 50);
    EXPECT_GT(count["redone"], steps / 100);
    EXPECT_GT(count["grabbed note ends"], steps / 50);
    EXPECT_GT(count["measure tools"], steps / 100);
    EXPECT_GT(count["lane strokes"], steps / 50);
    EXPECT_GT(count["saves and reloads"], steps / 400);
    EXPECT_GT(count["selection edits"], steps / 40);
}

// The projects of editing sessions, exported, imported and exported again: the same bytes,
// whatever the clicks, drags, measure tools and lane strokes left in them.
TEST_F(EditingSessionTest, ExportedSongsComeBackFromTheirMidiFile) {
    const IconvShiftJis shiftJis;
    const auto exportOf = [&](Song& s, const AppFolder& folder, const std::string& name) {
        const auto path = temp.path() / name;
        WriteMidiFile(s, folder, midi, shiftJis, path, MidiExportOptions::forExport());
        return readWholeFile(path);
    };
    int notesCompared = 0;
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        SCOPED_TRACE(seed);
        rng.seed(seed + 1000);
        song = test::freshSong();
        ed = EditorState{};
        for (int p = 0; p < kParts; ++p)
            std::filesystem::remove(temp.folder().workFile(p));
        randomView();
        for (int i = 0; i < 800; ++i)
            step();
        // As export-midi sees a project: saved and loaded (no tempo past the last measure).
        song.FilePath = (temp.path() / "session.zelk").string();
        SaveProject(song, temp.folder(), gzip);
        test::TempFolder loaded;
        Song project = test::freshSong();
        project.FilePath = song.FilePath;
        LoadProject(project, loaded.folder(), gzip, midi);
        const std::string first = exportOf(project, loaded.folder(), "first.mid");
        const MidiImport imported = importMidi(
            {reinterpret_cast<const uint8_t*>(first.data()), first.size()}, shiftJis, "");
        test::TempFolder other;
        Song again = test::freshSong();
        applyProject(again, other.folder(), midi, imported.image, WorkFileMode::ReplaceAll);
        const std::string second = exportOf(again, other.folder(), "second.mid");
        EXPECT_TRUE(imported.exact);
        for (const std::string& line : imported.report.englishLines())
            ADD_FAILURE() << line;
        EXPECT_TRUE(first == second) << "the export changed";
        const MidiFileEvents events =
            readMidiEvents({reinterpret_cast<const uint8_t*>(first.data()), first.size()});
        notesCompared +=
            static_cast<int>(std::count_if(events.events.begin(), events.events.end(),
                                           [](const MidiEvent& e) { return e.isNoteOn(); }));
    }
    EXPECT_GT(notesCompared, 300);
}

// Clicks, lane strokes, undo and redo in one part: undoing every step brings back every
// lane exactly. Redoing every step brings back the notes; the lanes may differ where an
// undone placement had covered drawn values (a removal resets the columns it empties).
class LaneHistoryTest : public EditingSessionTest {
protected:
    struct Lanes {
        ByteLane vel, pit, mod, exp, pan, hol;
        TempoLane tem;
        bool operator==(const Lanes&) const = default;
    };
    Lanes lanes() const {
        const CurrentPart& p = song.part;
        return {p.VelLane, p.PitLane, p.ModLane, p.ExpLane, p.PanLane, p.HolLane, song.TemLane};
    }
    // Empty columns as a removal leaves them, so that undoing a placement is exact.
    void emptyColumnLanes() {
        song.part.PitLane.fill(64);
        song.part.ModLane.fill(0);
        song.part.ExpLane.fill(127);
    }
    // A click without movement (a drag could resize a note, which is not an undo step).
    void plainClick() {
        const double x = anyX(), y = anyY();
        const int button = chance(85) ? 1 : 2, shift = chance(10) ? 1 : 0;
        log << "click " << x << "," << y << " b" << button << " s" << shift << "; ";
        press(button, shift, x, y);
        apply(Picture1_MouseUp(ctx, button, 0, x, y));
    }
    void oneStep() {
        const int r = pick(1, 100);
        if (r <= 35)
            plainClick();
        else if (r <= 75)
            laneStroke();
        else if (r <= 80)
            randomPalette();
        else if (r <= 85)
            randomView();
        else if (r <= 93)
            undoOrRedo(true);
        else
            undoOrRedo(false);
    }
};

TEST_F(LaneHistoryTest, UndoingEveryStepRestoresEveryLane) {
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE(seed);
        rng.seed(seed);
        song = test::freshSong();
        ed = EditorState{};
        emptyColumnLanes();
        randomView();
        const Lanes start = lanes();
        log.str("");
        for (int i = 0; i < 150; ++i) {
            oneStep();
            ASSERT_EQ(test::checkPart(song.part), test::PartFaults{}) << log.str();
        }
        const NoteGrid endGrid = song.part.Grid;
        while (ed.menus.Mundo)
            apply(Mundo_Click(ctx));
        EXPECT_TRUE(lanes() == start) << log.str();
        EXPECT_EQ(song.part.Grid, NoteGrid());
        EXPECT_EQ(test::checkPart(song.part), test::PartFaults{});
        while (ed.menus.Mrido)
            apply(Mrido_Click(ctx));
        EXPECT_EQ(song.part.Grid, endGrid);
    }
    EXPECT_GT(count["lane strokes"], 200);
}

} // namespace
} // namespace zelk
