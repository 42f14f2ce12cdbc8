#pragma once

#include "editor/EditContext.h"
#include "editor/EditingFixture.h"
#include "editor/entry/CanvasMouse.h"
#include "editor/view/DrawScore.h"
#include "editor/view/ViewPosition.h"
#include "platform/GzipCompressor.h"
#include "support/FakeMidiOut.h"
#include "support/SongBuilder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zelk::test {

// A main window's editor on a fresh song: 100 twips per column and 300 per row (one 4/4
// measure on a 3200 x 8400 canvas), the middle band (rows 14..42) shown. Presses go
// through the canvas handlers at the centre of a column (or tuplet slot) and on a row's
// line.
class EntryFixture : public EditingFixture {
protected:
    void SetUp() override { show(1, 1); }

    // Shows `count` measures from `first` at 100 twips per column.
    void show(int first, int count) {
        ed.view.ShownMeasures = static_cast<uint8_t>(count);
        ed.view.FirstMeasure = first;
        HScroll1_Change(song, ed.view, ed.signatures);
        ed.view.ScaleWidth = 100.0 * count * song.MeasureCols;
        ed.view.ScaleHeight = 8400;
        ed.view.LaneScale = 66;
        computeGeometry(song, ed.palette, ed.view);
    }
    void redraw() { computeGeometry(song, ed.palette, ed.view); }

    double xOfColumn(int col) const {
        return (col - ed.view.ViewCol) * ed.view.ColWidth + ed.view.ColWidth / 2.0;
    }
    // Tuplet slot s of the view (three per four columns).
    double xOfSlot(int s) const {
        const int w = ed.view.ColWidth * 4 / 3;
        return s * w + w / 2.0;
    }
    double yOfRow(int row) const { return (row - ed.view.TopRow) * ed.view.RowHeight; }

    EditOutcome pressAt(double x, int row, int button = 1, int shift = 0) {
        return Picture1_MouseDown(ctx, button, shift, x, yOfRow(row));
    }
    EditOutcome moveTo(double x, int row, int button = 1) {
        return Picture1_MouseMove(ctx, button, 0, x, yOfRow(row));
    }
    EditOutcome release(int button = 1) { return Picture1_MouseUp(ctx, button, 0, 0, 0); }

    // A click: press and release at one place.
    EditOutcome click(int row, int col, int button = 1, int shift = 0) {
        EditOutcome out = pressAt(xOfColumn(col), row, button, shift);
        out |= release(button);
        return out;
    }
    EditOutcome clickSlot(int row, int slot, int button = 1, int shift = 0) {
        EditOutcome out = pressAt(xOfSlot(slot), row, button, shift);
        out |= release(button);
        return out;
    }
    // Grab at x, hover to x2 (same row), release.
    EditOutcome drag(int row, double x, double x2) {
        EditOutcome out = pressAt(x, row);
        out |= moveTo(x2, row);
        out |= release();
        return out;
    }

    void tupletMode(bool on) {
        if ((ed.palette.TupletMode == 1) != on)
            Command5_Click(ed.palette);
        redraw();
    }

    int32_t cell(int row, int col) const { return song.part.Grid(row, col); }
    // Cells of one row over [from, to).
    std::vector<int32_t> cells(int row, int from, int to) const {
        std::vector<int32_t> v;
        for (int c = from; c < to; ++c)
            v.push_back(song.part.Grid(row, c));
        return v;
    }
};

} // namespace zelk::test
