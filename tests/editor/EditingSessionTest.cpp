#include "EntryFixture.h"
#include "PartInvariants.h"
#include "editor/entry/KeyboardCommands.h"
#include "editor/entry/NoteCells.h"
#include "editor/entry/SelectionEdits.h"
#include "editor/entry/SelectionTranspose.h"
#include "editor/tools/MeasureCopy.h"
#include "editor/tools/MeasureEdit.h"
#include "editor/tools/UndoRedo.h"
#include "editor/view/Nearest.h"
#include "editor/view/Signatures.h"
#include "files/TextLines.h"
#include "import/ImportMidi.h"
#include "midi/MidiFileEvents.h"
#include "midi/WriteMidiFile.h"
#include "model/Cell.h"
#include "model/PartFile.h"
#include "model/PartSwitch.h"
#include "platform/IconvShiftJis.h"
#include "storage/Project.h"

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <sstream>

namespace zelk {
namespace {

// Long seeded editing sessions through the window's entry points, with the part checked
// after every step.
class EditingSessionTest : public test::EntryFixture {
protected:
    std::mt19937 rng;
    std::ostringstream log; // the last steps, for a failure message
    int steps = 0;
    // What the sessions did, so that a run that exercises nothing shows.
    std::map<std::string, int> count;

    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(int percent) { return pick(1, 100) <= percent; }
    double anyX() { return pick(0, static_cast<int>(ed.view.ScaleWidth)); }
    double anyY() { return pick(0, static_cast<int>(ed.view.ScaleHeight)); }

    // What the window does with an outcome: it redraws, which recomputes the geometry.
    void apply(const EditOutcome& out) {
        if (out.refused())
            ++count["refusals"];
        if (out.redraw || out.relayout || out.partChanged || out.songReplaced)
            redraw();
    }

    void randomView() {
        const int max = song.MeasureCount();
        const int shown = pick(1, 3);
        const int first = chance(50) ? pick(1, 3) : pick(std::max(1, max - 3), max);
        ed.view.ShownMeasures = static_cast<uint8_t>(shown);
        ed.view.FirstMeasure = first;
        HScroll1_Change(song, ed.view, ed.signatures);
        ed.view.ScaleWidth = pick(1200, 4000);
        ed.view.ScaleHeight = pick(2000, 9000);
        ed.view.LaneScale = static_cast<uint8_t>(nearest(ed.view.ScaleHeight) / 127);
        Option2_Click(ed.palette, ed.view, pick(0, 3));
        redraw();
        log << "view " << ed.view.FirstMeasure << "x" << shown << " band "
            << int(ed.palette.StaffBand) << "; ";
    }

    void randomPalette() {
        switch (pick(0, 5)) {
        case 0:
            Command1_Click(ed.palette, pick(1, 6));
            break;
        case 1:
            Command1_MouseUp(ed.palette, pick(1, 6), 2);
            break;
        case 2:
            Command2_Click(ed.palette, pick(0, 1));
            break;
        case 3:
            Command3_Click(ed.palette);
            break;
        default:
            Command5_Click(ed.palette);
            redraw();
        }
        log << "palette len " << ed.palette.NoteLen << " t" << int(ed.palette.TupletMode) << "; ";
    }

    void press(int button, int shift, double x, double y) {
        apply(Picture1_MouseDown(ctx, button, shift, x, y));
        if (ed.entry.Grabbed == 1)
            ++count["grabbed note ends"];
    }

    int anyButton() { return chance(75) ? 1 : chance(70) ? 2 : 4; }

    void randomClick() {
        const double x = anyX(), y = anyY();
        const int button = anyButton(), shift = chance(10) ? 1 : 0;
        log << "click " << x << "," << y << " b" << button << " s" << shift << "; ";
        press(button, shift, x, y);
        if (chance(30))
            apply(Picture1_MouseMove(ctx, button, 0, anyX(), y));
        apply(Picture1_MouseUp(ctx, button, 0, x, y));
    }

    void doubleClick() {
        const double x = anyX(), y = anyY();
        log << "dblclick " << x << "," << y << "; ";
        press(1, 0, x, y);
        apply(Picture1_MouseUp(ctx, 1, 0, x, y));
        apply(Picture1_DblClick(ctx));
        apply(Picture1_MouseUp(ctx, 1, 0, x, y));
    }

    // X of the display slot holding column `col` for a note of the given kind.
    double xOfNoteColumn(int col, bool tuplet) const {
        const int i = col - ed.view.ViewCol;
        if (!tuplet)
            return i * ed.view.ColWidth + ed.view.ColWidth / 2.0;
        const int w = ed.view.ColWidth * 4 / 3;
        const int s = i % 4 == 3 ? (i - 1) - (i - 1) / 4 : i - i / 4;
        return s * w + w / 2.0;
    }

    // Presses the last column of a shown note (when there is one), drags and releases.
    void dragNoteEnd() {
        std::vector<std::pair<int, int>> ends;
        const int rows = 28 * ed.view.StaffZoom;
        for (int b = 0; b <= rows; ++b)
            for (int i = 0; i < ed.view.ShownCols; ++i) {
                const int r = ed.view.TopRow + b, c = ed.view.ViewCol + i;
                if (r < kRows && c + 1 < kGridCols && cell::endsNote(song.part.Grid(r, c + 1)) &&
                    cell::startsOrSounds(song.part.Grid(r, c)))
                    ends.emplace_back(r, c);
            }
        if (ends.empty())
            return randomClick();
        const auto [r, c] = ends[static_cast<size_t>(pick(0, int(ends.size()) - 1))];
        const bool tuplet = cell::isTupletEnd(song.part.Grid(r, c + 1));
        const double x = xOfNoteColumn(c, tuplet), y = yOfRow(r);
        log << "drag end " << r << "," << c << (tuplet ? "t" : "") << "; ";
        press(1, 0, x, y);
        moveAround(y);
        apply(Picture1_MouseUp(ctx, 1, 0, x, y));
    }

    void moveAround(double y) {
        for (int n = pick(0, 3); n > 0; --n) {
            if (chance(10)) { // the tuplet key pressed while holding the note
                Command5_Click(ed.palette);
                redraw();
                log << "tuplet key mid-drag; ";
            }
            const double y2 = chance(80) ? y : anyY();
            // The right edge can lie past the last shown column when the column width was
            // rounded down.
            const double x2 = chance(10) ? ed.view.ScaleWidth : anyX();
            apply(Picture1_MouseMove(ctx, 1, 0, x2, y2));
        }
    }

    void randomDrag() {
        const double x = anyX(), y = anyY();
        log << "drag " << x << "," << y << "; ";
        press(1, 0, x, y);
        moveAround(y);
        apply(Picture1_MouseUp(ctx, 1, 0, x, y));
    }

    void switchToAnyPart() {
        const int p = pick(0, 15);
        log << "part " << p << "; ";
        switchPart(song, temp.folder(), midi, p, ed.entry.LastPreviewNote);
        redraw();
    }

    void undoOrRedo(bool undo) {
        log << (undo ? "undo; " : "redo; ");
        const uint8_t pos = song.undo.UndoPos;
        apply(undo ? Mundo_Click(ctx) : Mrido_Click(ctx));
        if (song.undo.UndoPos != pos)
            ++count[undo ? "undone" : "redone"];
    }

    void timeSignature() {
        const int sig = pick(0, 9);
        log << "time signature " << sig << "; ";
        Combo5_Click(song, ed.view, ed.signatures, sig);
        HScroll1_Change(song, ed.view, ed.signatures);
        redraw();
    }

    void anyKey() {
        const int action = pick(0, 17);
        const int code = assignedKeyCode(ed.keys, action);
        log << "key " << code << "; ";
        if (code == 32 || code == 27 || action == 9 || action == 11) // tuplet, play, bands
            return;
        apply(Picture1_KeyDown(ctx, code, 0));
        if (ed.palette.InputScreen != ScreenScore)
            Option3_Click(ed.palette, ScreenScore);
    }

    // Copy, clear, octave shift, a lane over measures or the loop point, as the tool
    // windows run them.
    void measureTool() {
        const int max = song.MeasureCount();
        const int kind = pick(0, 3);
        log << "measure tool " << kind << "; ";
        if (kind <= 1) {
            MeasureCopyForm f = Form2_Load(song, ed.view);
            f.clearMode = kind == 1;
            f.allParts = chance(30);
            f.sourcePart = f.destPart = pick(0, 15);
            f.sourceFirst = pick(0, std::min(max - 1, 4));
            f.sourceLast = std::min(max - 1, f.sourceFirst + pick(0, 2));
            f.destFirst = pick(0, std::min(max - 1, 6));
            const auto r = Form2_Command1_Click(ctx, f);
            count["measure copy refusals"] += static_cast<int>(r.messages.size());
            apply(r.outcome);
        } else if (kind == 2) {
            MeasureEditForm f = MeasureEdit_Load(song, ed.view);
            f.octaveDown = chance(50);
            apply(MeasureEdit_Command2_Click(ctx, f));
        } else {
            MeasureEditForm f = MeasureEdit_Load(song, ed.view);
            f.lane = pick(0, kEditLanes - 1);
            MeasureEdit_Combo2_Click(f);
            MeasureEdit_Option1_Click(f, static_cast<LaneOp>(pick(0, 2)));
            f.value = pick(0, f.valueCount - 1);
            f.rangeLast = std::min(max - 1, f.rangeFirst + pick(0, 3));
            MeasureEdit_Command1_Click(ctx, f);
            redraw();
        }
        ++count["measure tools"];
    }

    // One stroke on a random lane screen: a left drag through a few points or a right-drag
    // line (released anywhere, also off the canvas); then back to the score.
    void laneStroke() {
        const int screen = pick(1, 7);
        Option3_Click(ed.palette, screen);
        const double x = anyX(), y = anyY();
        const uint8_t pos = song.undo.UndoPos;
        if (chance(50)) {
            log << "lane " << screen << " drag " << x << "," << y << "; ";
            press(1, 0, x, y);
            for (int n = pick(1, 6); n > 0; --n)
                apply(Picture1_MouseMove(ctx, 1, 0, anyX(), anyY()));
            apply(Picture1_MouseUp(ctx, 1, 0, x, y));
        } else {
            const double x2 = pick(-500, int(ed.view.ScaleWidth) + 500), y2 = anyY();
            log << "lane " << screen << " line " << x << "," << y << " to " << x2 << "," << y2
                << "; ";
            press(2, 0, x, y);
            apply(Picture1_MouseMove(ctx, 2, 0, x2, y2));
            apply(Picture1_MouseUp(ctx, 2, 0, x2, y2));
        }
        if (song.undo.UndoPos != pos)
            ++count["lane strokes"];
        Option3_Click(ed.palette, ScreenScore);
    }

    // The tempo offset drop-down, as the user picks an entry.
    void tempoOffset() {
        const int index = pick(0, 299);
        log << "tempo offset " << index << "; ";
        Combo2_Click(song, ed.palette, index);
        redraw();
    }

    // Line number and the two lines where texts first differ (the texts are megabytes).
    static std::string firstDifference(const std::string& a, const std::string& b) {
        size_t i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i])
            ++i;
        const size_t line = static_cast<size_t>(std::count(a.begin(), a.begin() + i, '\n'));
        const size_t from = a.rfind('\n', i == 0 ? 0 : i - 1);
        const size_t start = from == std::string::npos ? 0 : from + 1;
        return "line " + std::to_string(line + 1) + ": '" + a.substr(start, 40) + "' became '" +
               b.substr(start, 40) + "'";
    }

    // Save in the middle of the work and load the file again: nothing may change.
    void saveAndReload() {
        log << "save and reload; ";
        HScroll1_Change(song, ed.view, ed.signatures);
        SavePartFile(song, temp.folder());
        const std::string before = buildProjectText(song, temp.folder());
        const NoteGrid grid = song.part.Grid;
        song.FilePath = (temp.path() / "session.zelk").string();
        SaveProject(song, temp.folder(), gzip);
        LoadProject(song, temp.folder(), gzip, midi, WorkFileMode::ReplaceAll);
        // MeasureCols and BeatCols follow the shown measure, as after any load.
        HScroll1_Change(song, ed.view, ed.signatures);
        const std::string after = buildProjectText(song, temp.folder());
        ASSERT_TRUE(after == before) << firstDifference(before, after) << " after " << log.str();
        ASSERT_TRUE(song.part.Grid == grid) << log.str();
        redraw();
        ++count["saves and reloads"];
    }

    // A selected note's place on the canvas, when one shows.
    std::optional<std::pair<double, double>> selectedNoteAt() {
        const auto notes = selectedNotes(song, ed.selection);
        if (notes.empty())
            return std::nullopt;
        const NoteSpan& n = notes[static_cast<size_t>(pick(0, int(notes.size()) - 1))];
        const int i = n.head - ed.view.ViewCol;
        if (i < 0 || i >= ed.view.ShownCols || n.row < ed.view.TopRow ||
            n.row > ed.view.TopRow + 28 * ed.view.StaffZoom)
            return std::nullopt;
        return std::make_pair(xOfNoteColumn(n.head, n.tuplet), yOfRow(n.row));
    }

    // Choosing notes: a band, a Ctrl click, all of them or none. Records nothing.
    void chooseNotes() {
        const int kind = pick(0, 3);
        log << "choose " << kind << "; ";
        if (kind <= 1) {
            const double x = anyX(), y = anyY();
            const double x2 = kind == 0 ? anyX() : x, y2 = kind == 0 ? anyY() : y;
            const int shift = chance(30) ? 3 : 2;
            apply(Picture1_MouseDown(ctx, 1, shift, x, y));
            apply(Picture1_MouseMove(ctx, 1, shift, x2, y2));
            apply(Picture1_MouseUp(ctx, 1, shift, x2, y2));
        } else {
            apply(kind == 2 ? selectAllNotes(ctx) : clearSelection(ctx));
        }
        ++count["choices of notes"];
    }

    // A drag of the selection from one of its notes.
    void dragSelection() {
        const auto at = selectedNoteAt();
        if (!at)
            return chooseNotes();
        const int shift = chance(30) ? 1 : 0;
        log << "drag selection from " << at->first << "," << at->second << "; ";
        apply(Picture1_MouseDown(ctx, 1, 0, at->first, at->second));
        const double x = anyX(), y = chance(50) ? at->second : anyY();
        apply(Picture1_MouseMove(ctx, 1, shift, x, y));
        apply(Picture1_MouseUp(ctx, 1, shift, x, y));
    }

    // One edit of the selected notes, as the menu, the keys or the transposition window
    // run it.
    void editSelection() {
        const int kind = pick(0, 8);
        log << "selection edit " << kind << "; ";
        switch (kind) {
        case 0:
            apply(deleteSelection(ctx));
            break;
        case 1:
            apply(chance(50) ? cutSelection(ctx) : copySelection(ctx));
            break;
        case 2:
            apply(pasteNotes(ctx, chance(70) ? std::optional<double>(anyX()) : std::nullopt));
            break;
        case 3: {
            const int keys[][2] = {{kVkLeft, 0}, {kVkRight, 0}, {kVkLeft, 1}, {kVkRight, 1},
                                   {kVkUp, 2},   {kVkDown, 2},  {kVkUp, 3},   {kVkDown, 3}};
            const auto& k = keys[pick(0, 7)];
            if (!selectedNotes(song, ed.selection).empty()) // else the keys scroll or switch
                apply(Picture1_KeyDown(ctx, k[0], k[1]));
            break;
        }
        case 4:
            dragSelection();
            break;
        case 5:
        case 6:
            apply(transposeWithForm(ctx, {kind == 6, pick(-12, 12)}));
            break;
        default:
            apply(changeSelectionVelocity(ctx, static_cast<VelocityChange>(pick(0, 2)),
                                          pick(-30, 150)));
        }
        ++count["selection edits"];
    }

    void step() {
        const uint8_t pos = song.undo.UndoPos;
        const int r = pick(1, 112);
        if (r > 106)
            editSelection();
        else if (r > 100)
            chooseNotes();
        else if (r <= 30)
            randomClick();
        else if (r <= 45)
            dragNoteEnd();
        else if (r <= 50)
            randomDrag();
        else if (r <= 53)
            doubleClick();
        else if (r <= 60)
            laneStroke();
        else if (r <= 68)
            randomPalette();
        else if (r <= 72)
            randomView();
        else if (r <= 75)
            switchToAnyPart();
        else if (r <= 87)
            undoOrRedo(true);
        else if (r <= 95)
            undoOrRedo(false);
        else if (r <= 96)
            chance(50) ? timeSignature() : tempoOffset();
        else if (r <= 98)
            measureTool();
        else if (r <= 99)
            saveAndReload();
        else
            anyKey();
        if (r <= 53 && song.undo.UndoPos != pos)
            ++count["recorded clicks"];
        ++steps;
    }
};

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

// Clicks, lane strokes and selection edits in one part, sixteen undo steps at a time:
// undoing them passes back through every state the steps left, and redoing them forward
// again. The lanes are compared where they carry meaning: the velocity where a note starts,
// pitch bend, modulation and expression where one sounds (a replayed click leaves neutral
// values in the columns it empties, as the click itself did).
class SelectionHistoryTest : public EditingSessionTest {
protected:
    struct Meaning {
        NoteGrid grid;
        int32_t partLen = 0;
        std::vector<uint8_t> lanes; // per column: sounding, velocity, pit, mod, exp
        ByteLane pan, hol;
        bool operator==(const Meaning&) const = default;
    };
    Meaning meaning() const {
        const CurrentPart& p = song.part;
        Meaning m{p.Grid, p.PartLen, {}, p.PanLane, p.HolLane};
        m.lanes.reserve(5 * kLaneCols);
        for (int c = 0; c < kLaneCols; ++c) {
            const bool head = columnHoldsHead(p.Grid, c), sounds = p.Sounding[c] == 1;
            m.lanes.insert(m.lanes.end(),
                           {p.Sounding[c], head ? p.VelLane[c] : uint8_t{0},
                            sounds ? p.PitLane[c] : uint8_t{0}, sounds ? p.ModLane[c] : uint8_t{0},
                            sounds ? p.ExpLane[c] : uint8_t{0}});
        }
        return m;
    }
    void plainClick() {
        const double x = anyX(), y = anyY();
        const int shift = chance(10) ? 1 : 0;
        log << "click " << x << "," << y << " s" << shift << "; ";
        press(1, shift, x, y);
        apply(Picture1_MouseUp(ctx, 1, 0, x, y));
    }
    void mixedStep() {
        const int r = pick(1, 100);
        if (r <= 30)
            plainClick();
        else if (r <= 50)
            laneStroke();
        else if (r <= 65)
            chooseNotes();
        else if (r <= 90)
            editSelection();
        else if (r <= 95)
            randomPalette();
        else
            randomView();
    }
};

TEST_F(SelectionHistoryTest, SixteenStepMixturesUndoAndRedoToIdenticalStates) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        rng.seed(seed);
        song = test::freshSong();
        ed = EditorState{};
        randomView();
        log.str("");
        std::vector<Meaning> states{meaning()};
        while (states.size() <= 16) {
            const uint8_t pos = song.undo.UndoPos;
            mixedStep();
            const int recorded = (song.undo.UndoPos - pos + 255) % 255;
            ASSERT_LE(recorded, 1) << log.str();
            if (recorded == 1)
                states.push_back(meaning());
        }
        for (size_t i = 16; i >= 1; --i) {
            apply(Mundo_Click(ctx));
            ASSERT_TRUE(meaning() == states[i - 1])
                << "undo to step " << i - 1 << ": " << log.str();
        }
        for (size_t i = 1; i <= 16; ++i) {
            apply(Mrido_Click(ctx));
            ASSERT_TRUE(meaning() == states[i]) << "redo of step " << i << ": " << log.str();
        }
        EXPECT_EQ(test::checkPart(song.part), test::PartFaults{});
    }
    EXPECT_GT(count["selection edits"], 150);
    EXPECT_GT(count["lane strokes"], 100);
}

} // namespace
} // namespace zelk
