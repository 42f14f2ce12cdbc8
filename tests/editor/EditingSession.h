#pragma once

// The random editing session, shared by its own tests and the history tests built on it.

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

namespace zelk::test {

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

} // namespace zelk::test
