#include "editor/view/DrawScore.h"

#include "editor/view/ColorTable.h"
#include "editor/view/GhostNotes.h"
#include "editor/view/Nearest.h"
#include "editor/view/PointerMapping.h"
#include "editor/view/ScoreLabels.h"
#include "editor/view/SelectionDraw.h"
#include "model/Cell.h"
#include "model/Limits.h"

#include <algorithm>

namespace zelk {

namespace {

// Colour-table entries the canvas uses.
constexpr uint8_t kCanvasBackground = 1;
constexpr uint8_t kColumnLine = 2;
constexpr uint8_t kBeatLine = 3;
constexpr uint8_t kStaffLine = 4; // also measure lines
constexpr uint8_t kGuideLine = 5;
constexpr uint8_t kSharpKeyMark = 7;
constexpr uint8_t kFlatKeyMark = 9;
constexpr uint8_t kLaneBar = 16;
constexpr uint8_t kTempoBar = 17;

// Slots per measure on screen: a tuplet measure has three quarters as many slots.
int measurePeriod(const Song& song, const Palette& palette) {
    const int mc = song.MeasureCols;
    return std::max(1, mc - (palette.TupletMode * mc) / 4);
}

// Key of the first shown measure; the whole view is coloured with it.
struct ViewKey {
    uint8_t mask = 0;
    int32_t shift = 0;
};

ViewKey viewKey(const Song& song, const ViewState& view) {
    const int m = view.FirstMeasure - 1;
    if (m < 0 || m >= static_cast<int>(song.KeyMask.size()))
        return {};
    const auto k = static_cast<size_t>(m);
    return {song.KeyMask[k], song.KeyShift[k]};
}

// Vertical lines of measures, beats and (on the score) every column. Lane screens use the
// same slot period as the score, so that in tuplet mode their measure lines stay on the
// measure boundaries the bars show.
void drawVerticalGrid(const Song& song, const Palette& palette, const ViewState& view,
                      DrawList& out, uint8_t measureColor, bool columnLines) {
    const int period = measurePeriod(song, palette);
    const int beat = std::max<int>(1, view.BeatStep);
    const auto bottom = static_cast<float>(view.ScaleHeight);
    for (int i = 1; i < view.ShownCols; ++i) {
        const auto x = static_cast<float>(i * view.ClickColWidth);
        if (i % period == 0)
            out.line(x, 0, x, bottom, measureColor, 2);
        else if (i % beat == 0)
            out.line(x, 0, x, bottom, kBeatLine, 2);
        else if (columnLines)
            out.line(x, 0, x, bottom, kColumnLine, 1);
    }
}

bool isStaffLine(int zoom, int k) {
    if (zoom == 1)
        return (k >= 2 && k <= 6) || (k >= 8 && k <= 12);
    return (k >= 9 && k <= 13) || (k >= 15 && k <= 19);
}

// Every second row carries a horizontal line: the five lines of each staff of the grand
// staff and thin guide lines between and around them.
void drawStaffLines(const ViewState& view, DrawList& out) {
    const auto right = static_cast<float>(view.ScaleWidth);
    for (int k = 1; k < 14 * view.StaffZoom; ++k) {
        const auto y = static_cast<float>(2 * k * view.RowHeight);
        if (isStaffLine(view.StaffZoom, k))
            out.line(0, y, right, y, kStaffLine, 3);
        else
            out.line(0, y, right, y, kGuideLine, 1);
    }
}

void drawKeyMarks(const ViewState& view, ViewKey key, DrawList& out) {
    const uint8_t color = key.mask >= 128 ? kFlatKeyMark : kSharpKeyMark;
    for (int b = 0; b <= 28 * view.StaffZoom; ++b) {
        if (key.mask & (1u << (b % 7)))
            out.dot(0, static_cast<float>(b * view.RowHeight), color, 10);
    }
}

struct NotePass {
    int pass;      // 0 plain notes, 1 tuplet notes
    int slotWidth; // twips
};

// One slot of the note passes: every shown row of one grid column.
void drawNoteColumn(const Song& song, const ViewState& view, ViewKey key, bool rhythm, NotePass np,
                    int slot, int col, DrawList& out) {
    if (col > kGridCols - 1)
        return; // a view wider than the song's last measure shows nothing there
    const NoteGrid& grid = song.part.Grid;
    const int half = view.RowHeight / 3;
    const auto x0 = static_cast<float>(slot * np.slotWidth);
    const auto x1 = static_cast<float>((slot + 1) * np.slotWidth);
    const int rows = 28 * view.StaffZoom;
    for (int b = 0; b <= rows; ++b) {
        const int32_t v = grid(view.TopRow + b, col);
        if (!cell::startsOrSounds(v))
            continue;
        const bool tuplet = cell::inTuplet(v);
        if (tuplet != (np.pass == 1))
            continue;
        int a = 2;
        if (!rhythm) {
            a += (v & cell::Sharp) ? 1 : 0;
            a -= (v & cell::Flat) ? 1 : 0;
            if (key.mask & (1u << (b % 7)))
                a += key.shift;
        }
        if (a < 0 || a > 4)
            continue;
        // The indent separates consecutive notes on one row.
        const float left = cell::startsNote(v) ? x0 + 30 : x0;
        const int y = b * view.RowHeight;
        out.box(left, static_cast<float>(y - half), x1, static_cast<float>(y + half),
                static_cast<uint8_t>((10 - a) + 5 * np.pass));
    }
}

void drawNotes(const Song& song, const ViewState& view, ViewKey key, bool rhythm, DrawList& out) {
    const NotePass plain{0, view.ColWidth};
    for (int i = 0; i <= view.ShownCols; ++i)
        drawNoteColumn(song, view, key, rhythm, plain, i, view.ViewCol + i, out);
    // Three tuplet slots take the room of four columns and show the first three of them.
    const NotePass tuplet{1, view.ColWidth * 4 / 3};
    const int slots = 3 * (view.ShownCols / 4);
    for (int s = 0; s < slots; ++s)
        drawNoteColumn(song, view, key, rhythm, tuplet, s, view.ViewCol + s + s / 3, out);
}

void drawScoreScreen(const Song& song, const Palette& palette, const ViewState& view,
                     const NoteSelection* selection, DrawList& out) {
    const bool rhythm = showsAsRhythmPart(song);
    const ViewKey key = viewKey(song, view);
    drawVerticalGrid(song, palette, view, out, kStaffLine, true);
    drawStaffLines(view, out);
    if (!rhythm)
        drawKeyMarks(view, key, out);
    if (selection)
        drawSelectionUnder(song, view, *selection, out);
    drawNotes(song, view, key, rhythm, out);
    if (selection)
        drawSelectionOver(song, view, *selection, out);
}

// Value of the lane column to draw, or 0 for no bar.
int laneValue(const Song& song, int screen, int col) {
    const CurrentPart& p = song.part;
    switch (screen) {
    case ScreenVel:
        return p.VelLane[col];
    case ScreenPit:
        return p.Sounding[col] == 1 ? p.PitLane[col] : 0;
    case ScreenMod:
        return p.Sounding[col] == 1 ? p.ModLane[col] : 0;
    case ScreenExp:
        return p.Sounding[col] == 1 ? p.ExpLane[col] : 0;
    case ScreenPan:
        return p.PanLane[col];
    case ScreenHol:
        return p.HolLane[col];
    default:
        return song.TemLane[col];
    }
}

void drawLaneBars(const Song& song, const Palette& palette, const ViewState& view, DrawList& out) {
    const auto bottom = static_cast<float>(view.ScaleHeight);
    const bool tempo = palette.InputScreen == ScreenTem;
    for (int i = 0; i < view.ShownCols; ++i) {
        const int col = view.ViewCol + i;
        if (col > kMaxSongCols)
            break; // lanes end at column 9600
        const int v = laneValue(song, palette.InputScreen, col);
        if (v == 0)
            continue;
        const auto x = static_cast<float>(i * view.ColWidth + view.ColWidth / 2);
        if (tempo) {
            const double top = view.ScaleHeight / 300.0 * (300 - v);
            out.line(x, static_cast<float>(top), x, bottom, kTempoBar, 5);
        } else {
            out.line(x, static_cast<float>((127 - v) * view.LaneScale), x, bottom, kLaneBar, 5);
        }
    }
}

} // namespace

bool showsAsRhythmPart(const Song& song) {
    return song.DrumPart[song.CurPart] != 0;
}

void computeGeometry(const Song& song, const Palette& palette, ViewState& view) {
    view.ShownCols = view.ShownMeasures * song.MeasureCols;
    // At least one twip per column, so that pointer conversions never divide by zero on a
    // canvas narrower than its columns.
    view.ColWidth = std::max(1, nearest(view.ScaleWidth / std::max(1, view.ShownCols)));
    view.RowHeight = (nearest(view.ScaleHeight) / 28) / std::max<int>(1, view.StaffZoom);
    if (palette.TupletMode == 1) {
        view.ClickColWidth = view.ColWidth * 4 / 3;
        view.BeatStep = static_cast<uint8_t>((song.BeatCols * 3) / 4);
        view.TupletBit = cell::TupletBody;
    } else {
        view.ClickColWidth = view.ColWidth;
        view.BeatStep = song.BeatCols;
        view.TupletBit = 0;
    }
}

namespace {

// Step entry's column: a tinted band one column (or tuplet slot) wide, under the notes.
void drawEntryColumn(const ViewState& view, int32_t column, DrawList& out) {
    if (!columnShown(view, column))
        return;
    const bool tuplet = view.TupletBit != 0;
    const auto x = static_cast<float>(columnX(view, column, tuplet));
    const auto w = static_cast<float>(slotWidth(view, tuplet));
    out.box(x, 0, x + w, static_cast<float>(view.ScaleHeight), kEntryColumnColor);
}

} // namespace

void DrawScore(const Song& song, const Palette& palette, ViewState& view, DrawList& out,
               const ScoreExtras& extras) {
    computeGeometry(song, palette, view);
    out.clear();
    out.fill(kCanvasBackground);
    if (palette.InputScreen == ScreenScore) {
        if (extras.ghosts)
            drawGhostNotes(song, view, *extras.ghosts, out);
        if (extras.entryColumn >= 0)
            drawEntryColumn(view, extras.entryColumn, out);
        drawScoreScreen(song, palette, view, extras.selection, out);
        if (extras.labels) {
            drawMeasureNumbers(song, palette, view, out);
            drawPitchRuler(song, view, out);
        }
    } else {
        drawVerticalGrid(song, palette, view, out, kBlack, false);
        drawLaneBars(song, palette, view, out);
    }
}

} // namespace zelk
