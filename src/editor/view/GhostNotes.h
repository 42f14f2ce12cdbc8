#pragma once

#include "editor/ViewState.h"
#include "editor/view/DrawList.h"
#include "model/AppFolder.h"
#include "model/Limits.h"

#include <array>
#include <cstdint>
#include <vector>

namespace zelk {

struct Song;

// One note of another part, as the ghost notes show it: its row, the columns it sounds in
// (first..last) and whether it is a tuplet note (drawn on the tuplet slots).
struct GhostSpan {
    int32_t first = 0;
    int32_t last = 0;
    int16_t row = 0;
    bool tuplet = false;
    bool operator==(const GhostSpan&) const = default;
};

// The notes of the parts not being edited, read once from their work files into spans and
// read again only when a work file changed (AppFolder counts every write): drawing never
// touches a file.
class GhostCache {
public:
    // Reads the work files that changed since the last refresh; the current part is drawn
    // from memory and never read here. Returns how many files were read. A damaged file
    // shows no ghosts.
    int refresh(const AppFolder& folder, int currentPart);
    // By first column.
    const std::vector<GhostSpan>& spans(int part) const {
        return spans_.at(static_cast<size_t>(part));
    }
    // The most columns one of the part's notes covers: a note that began this far before
    // the view may still reach into it.
    int32_t longest(int part) const { return longest_.at(static_cast<size_t>(part)); }
    int fileReads() const { return reads_; }

private:
    std::array<std::vector<GhostSpan>, kParts> spans_;
    std::array<int32_t, kParts> longest_{}; // the longest span, to find spans reaching the view
    std::array<uint64_t, kParts> seen_{};
    bool first_ = true;
    int reads_ = 0;
};

// What the score shows of other parts: the cache and which parts (a part's ghosts show
// when its bit is set; rhythm parts only behind a rhythm part and the other way round).
class GhostLayer {
public:
    GhostLayer(const GhostCache& cache, uint16_t parts) : cache_(cache), parts_(parts) {}
    const GhostCache& cache() const { return cache_; }
    bool shows(const Song& song, int part) const;

private:
    const GhostCache& cache_;
    uint16_t parts_;
};

// The ghost boxes of the shown columns, faint in each part's own hue, under everything
// else of the score.
void drawGhostNotes(const Song& song, const ViewState& view, const GhostLayer& ghosts,
                    DrawList& out);

} // namespace zelk
