#include "editor/view/ScoreLabels.h"

#include "editor/view/ColorTable.h"
#include "editor/view/DrawScore.h"
#include "editor/view/Nearest.h"
#include "model/Limits.h"
#include "model/RowTables.h"
#include "model/Song.h"

#include <algorithm>

namespace zelk {
namespace {

constexpr uint8_t kLabelPoints = 7;
constexpr char kLetters[] = {'C', 'B', 'A', 'G', 'F', 'E', 'D'}; // row % 7, from C8 down

int octaveOf(int note) {
    return note / 12 - 1;
}

} // namespace

void drawMeasureNumbers(const Song& song, const Palette& palette, const ViewState& view,
                        DrawList& out) {
    const int mc = song.MeasureCols;
    const int period = std::max(1, mc - (palette.TupletMode * mc) / 4);
    for (int k = 0; k < view.ShownMeasures; ++k) {
        const int measure = view.FirstMeasure + k;
        if (measure > song.MeasureCount())
            break;
        const auto x = static_cast<float>(k * period * view.ClickColWidth + 40);
        out.text(x, 10, std::to_string(measure), kScoreTextColor, kLabelPoints);
    }
}

void drawPitchRuler(const Song& song, const ViewState& view, DrawList& out) {
    if (showsAsRhythmPart(song))
        return; // the drum names stand beside the rows
    for (int b = 0; b <= 28 * view.StaffZoom; ++b) {
        const int row = view.TopRow + b;
        if (row >= kRows || RowNote(row) % 12 != 0)
            continue;
        const int y = b * view.RowHeight;
        std::string name(1, 'C');
        name.append(std::to_string(octaveOf(RowNote(row))));
        out.text(160, static_cast<float>(y - 130), std::move(name), kScoreTextColor, kLabelPoints);
    }
}

std::string noteNameAt(const Song& song, int row, int accidental, int measureIndex) {
    const int natural = RowNote(row);
    const int sounding =
        keyInMeasure(song, row, accidental == 0x100, accidental == 0x200, measureIndex);
    static constexpr const char* kAlter[] = {"bb", "b", "", "#", "##"};
    const int alter = std::clamp(sounding - natural, -2, 2);
    std::string name(1, kLetters[row % 7]);
    name.append(kAlter[alter + 2]).append(std::to_string(octaveOf(natural)));
    return name;
}

std::optional<std::string> pointerReadout(const Song& song, const Palette& palette,
                                          const ViewState& view, double x, double y) {
    if (view.ColWidth <= 0 || view.RowHeight <= 0 || x < 0 || y < -view.RowHeight / 2.0)
        return std::nullopt;
    const int b = nearest(y / view.RowHeight);
    const int row = view.TopRow + b;
    const int col = view.ViewCol + static_cast<int>(x / view.ColWidth);
    if (b < 0 || b > 28 * view.StaffZoom || row >= kRows || col > kMaxSongCols)
        return std::nullopt;
    const int measure = song.MeasureLen.measureOfColumn(col);
    if (measure < 1 || measure > song.MeasureCount())
        return std::nullopt;
    const int inMeasure = col - song.SumMeasureLen(measure - 1);
    const int beat = inMeasure / std::max<int>(1, beatColsFor(song.MeasureLen.len(measure))) + 1;
    std::string text;
    if (showsAsRhythmPart(song)) {
        const std::string_view drum = DrumName(row);
        text.append(drum.empty() ? std::string_view("?") : drum)
            .append(" ")
            .append(std::to_string(84 - row));
    } else {
        text = noteNameAt(song, row, palette.Accidental, measure - 1);
    }
    text.append("  ").append(std::to_string(measure)).append(":").append(std::to_string(beat));
    return text;
}

} // namespace zelk
