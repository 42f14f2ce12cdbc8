#pragma once

#include "model/Cell.h"
#include "model/Limits.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// What a work file may hold, value by value, shared by every reader of work files (the
// part loader, the project reader through it, the MIDI writer's stream). Each check throws
// FormatError with the reason; the caller names the file.
namespace zelk::partfile {

inline constexpr int kHeaderLines = 4;
inline constexpr int kLanesPerColumn = 7;

// Every message starts with the caller's `context` (e.g. which file).
[[noreturn]] void fail(const std::string& why);
// PartLen 1..9600 (a part without notes has no file); program, reverb, chorus 0..127.
void checkHeader(int64_t partLen, int64_t program, int64_t reverb, int64_t chorus,
                 std::string_view context = {});
// A lane value 0..255.
inline uint8_t laneValue(int64_t v, std::string_view context = {}) {
    if (v < 0 || v > 255)
        fail(std::string(context) + "lane value " + std::to_string(v) + " outside 0..255");
    return static_cast<uint8_t>(v);
}

// The grid section: "-1", n stands for n empty cells before the next nonzero cell; every
// other value is a nonzero cell. Cells stay inside columns 0..PartLen, where the writer
// puts them, and a run is always followed by a cell.
class CellRuns {
public:
    // `context` starts every message (e.g. which file).
    explicit CellRuns(int64_t partLen, std::string context = {})
        : limit_(static_cast<int64_t>(kRows) * (partLen + 1)), context_(std::move(context)) {}

    // nextNumber(int64_t&) gives the file's next number, false at its end. Returns false
    // after the last cell; otherwise seq is the cell's place in the column-major walk
    // (57 * x + r) and value its content.
    template <typename Next> bool next(Next&& nextNumber, int64_t& seq, int32_t& value) {
        int64_t v = 0;
        if (!nextNumber(v))
            return false;
        if (v == -1) {
            int64_t run = 0;
            if (!nextNumber(run) || run < 1)
                fail(context_ + "bad run of empty cells");
            pos_ += run;
            if (pos_ >= limit_ || !nextNumber(v))
                fail(context_ + "run of empty cells beyond the part's end");
        }
        if (v < 1 || v > cell::MaxValue)
            fail(context_ + "cell value " + std::to_string(v) + " outside 1..32767");
        if (pos_ >= limit_)
            fail(context_ + "cell beyond the part's end");
        seq = pos_++;
        value = static_cast<int32_t>(v);
        return true;
    }

private:
    int64_t limit_;
    int64_t pos_ = 0;
    std::string context_;
};

} // namespace zelk::partfile
