#include "midi/WorkFileStream.h"

#include "model/Cell.h"
#include "model/FormatError.h"
#include "model/Limits.h"

#include <string>

namespace zelk {
namespace {

constexpr size_t kMaxDigits = 18; // as parseInteger: no value of a work file comes near

bool blank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

WorkFileStream::WorkFileStream(std::string_view text, int part) : text_(text), part_(part) {
    PartLen = static_cast<int32_t>(required("header"));
    if (PartLen < 1 || PartLen > kMaxSongCols)
        fail("part length " + std::to_string(PartLen) + " outside 1..9600");
    int32_t* header[] = {&PartProgram, &PartReverb, &PartChorus};
    for (int32_t* h : header) {
        const int64_t v = required("header");
        if (v < 0 || v > 127)
            fail("part program, reverb or chorus outside 0..127");
        *h = static_cast<int32_t>(v);
    }
    lanes.resize(static_cast<size_t>(PartLen + 1) * kLanesPerColumn);
    for (uint8_t& lane : lanes) {
        const int64_t v = required("lanes");
        if (v < 0 || v > 255)
            fail("lane value " + std::to_string(v) + " outside 0..255");
        lane = static_cast<uint8_t>(v);
    }
    cellLimit_ = static_cast<int64_t>(kRows) * (PartLen + 1);
}

bool WorkFileStream::nextCell(Cell& c) {
    int64_t v = 0;
    if (!nextNumber(v))
        return false;
    if (v == -1) {
        const int64_t run = required("run of empty cells");
        if (run < 1)
            fail("bad run of empty cells");
        cellPos_ += run;
        if (cellPos_ >= cellLimit_ || !nextNumber(v))
            fail("run of empty cells beyond the part's end");
    }
    if (v < 1 || v > cell::MaxValue)
        fail("cell value " + std::to_string(v) + " outside 1..32767");
    if (cellPos_ >= cellLimit_)
        fail("cell beyond the part's end");
    c.v = static_cast<int32_t>(v);
    c.x = static_cast<int32_t>(cellPos_ / kRows);
    c.r = static_cast<int32_t>(cellPos_ % kRows);
    ++cellPos_;
    return true;
}

// One line: optional blanks, an optional minus, digits, optional blanks, CR LF or LF (or
// the end of the text). Anything else is not a number.
bool WorkFileStream::nextNumber(int64_t& v) {
    const size_t n = text_.size();
    if (pos_ >= n)
        return false;
    ++line_;
    size_t p = pos_;
    while (p < n && blank(text_[p]))
        ++p;
    const bool negative = p < n && text_[p] == '-';
    if (negative)
        ++p;
    const size_t digitsFrom = p;
    int64_t value = 0;
    while (p < n && text_[p] >= '0' && text_[p] <= '9' && p - digitsFrom < kMaxDigits)
        value = value * 10 + (text_[p++] - '0');
    if (p == digitsFrom)
        fail("line " + std::to_string(line_) + " is not a number");
    while (p < n && blank(text_[p]))
        ++p;
    if (p < n && text_[p] == '\r')
        ++p;
    if (p < n && text_[p] != '\n')
        fail("line " + std::to_string(line_) + " is not a number");
    pos_ = p + 1;
    v = negative ? -value : value;
    return true;
}

int64_t WorkFileStream::required(const char* where) {
    int64_t v = 0;
    if (!nextNumber(v))
        fail(std::string("part file ends inside its ") + where);
    return v;
}

void WorkFileStream::fail(const std::string& why) const {
    throw FormatError("work file of part " + std::to_string(part_ + 1) + ": " + why);
}

} // namespace zelk
