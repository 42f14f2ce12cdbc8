#include "editor/view/GhostNotes.h"

#include "editor/view/ColorTable.h"
#include "editor/view/PointerMapping.h"
#include "files/TextLines.h"
#include "midi/WorkFileStream.h"
#include "model/Cell.h"
#include "model/Song.h"

#include <algorithm>
#include <exception>

namespace zelk {
namespace {

// Cells come column by column: a head opens a span on its row, body cells extend it,
// anything else (an end mark, a gap) closes it.
std::vector<GhostSpan> spansOf(const std::string& text, int part) {
    WorkFileStream file(text, part);
    std::vector<GhostSpan> spans;
    std::array<int32_t, kRows> open;
    open.fill(-1);
    WorkFileStream::Cell c;
    while (file.nextCell(c)) {
        const auto row = static_cast<size_t>(c.r);
        const bool head = cell::startsNote(c.v);
        const bool sounds = cell::startsOrSounds(c.v);
        if (open[row] >= 0 &&
            (head || !sounds || spans[static_cast<size_t>(open[row])].last != c.x - 1))
            open[row] = -1;
        if (head) {
            open[row] = static_cast<int32_t>(spans.size());
            spans.push_back({c.x, c.x, static_cast<int16_t>(c.r), (c.v & cell::TupletHead) != 0});
        } else if (sounds && open[row] >= 0) {
            spans[static_cast<size_t>(open[row])].last = c.x;
        }
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const GhostSpan& a, const GhostSpan& b) { return a.first < b.first; });
    return spans;
}

} // namespace

int GhostCache::refresh(const AppFolder& folder, int currentPart) {
    int read = 0;
    for (int p = 0; p < kParts; ++p) {
        const auto i = static_cast<size_t>(p);
        const uint64_t version = folder.workFileVersion(p);
        if (!first_ && version == seen_[i])
            continue;
        seen_[i] = version;
        spans_[i].clear();
        longest_[i] = 0;
        if (p == currentPart)
            continue;
        const auto path = folder.workFile(p);
        std::error_code ec;
        if (!std::filesystem::exists(path, ec))
            continue;
        ++read;
        try {
            spans_[i] = spansOf(readWholeFile(path), p);
        } catch (const std::exception&) {
            spans_[i].clear(); // a damaged file: the editor reports it where it matters
        }
        for (const GhostSpan& s : spans_[i])
            longest_[i] = std::max(longest_[i], s.last - s.first + 1);
    }
    // The part being edited was read at the switch; when it is left, its file is read again.
    seen_[static_cast<size_t>(currentPart)] = ~uint64_t{0};
    first_ = false;
    reads_ += read;
    return read;
}

bool GhostLayer::shows(const Song& song, int part) const {
    if (part == song.CurPart || (parts_ & (1u << part)) == 0)
        return false;
    return usesRhythmKeys(song, part) == usesRhythmKeys(song, song.CurPart);
}

void drawGhostNotes(const Song& song, const ViewState& view, const GhostLayer& ghosts,
                    DrawList& out) {
    const GhostCache& cache = ghosts.cache();
    const int rows = 28 * view.StaffZoom;
    const int half = view.RowHeight / 3;
    const int32_t viewEnd = view.ViewCol + view.ShownCols;
    for (int p = 0; p < kParts; ++p) {
        if (!ghosts.shows(song, p))
            continue;
        const auto& spans = cache.spans(p);
        const int32_t from = view.ViewCol - cache.longest(p);
        auto it = std::lower_bound(spans.begin(), spans.end(), from,
                                   [](const GhostSpan& s, int32_t c) { return s.first < c; });
        const auto color = static_cast<uint8_t>(kGhostColor + p);
        for (; it != spans.end() && it->first < viewEnd; ++it) {
            const int b = it->row - view.TopRow;
            if (it->last < view.ViewCol || b < 0 || b > rows)
                continue;
            const auto left =
                static_cast<float>(std::max(0, columnX(view, it->first, it->tuplet) + 30));
            const auto right = static_cast<float>(columnX(view, it->last, it->tuplet) +
                                                  slotWidth(view, it->tuplet));
            const int y = b * view.RowHeight;
            out.box(left, static_cast<float>(y - half), right, static_cast<float>(y + half), color);
        }
    }
}

} // namespace zelk
