#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zelk {

// One line of a project or work file text.
struct ScannedLine {
    std::string_view text; // without the line end
    int64_t value = 0;     // valid when isNumber
    bool isNumber = false;
    // Written the way our writers write numbers: "-"? digits without leading zeros, no
    // blanks, CR LF. Such lines can be copied byte for byte into another file of ours.
    bool standard = false;
};

// Walks the lines of a text fast enough for project texts of a few million lines. Lines
// end with LF, a CR before it is dropped; a last line without LF still counts. Numbers
// may have blanks (space, tab) around them.
class LineScanner {
public:
    explicit LineScanner(std::string_view text) : text_(text) {}

    // False at the end of the text.
    bool next(ScannedLine& line) {
        if (pos_ >= text_.size())
            return false;
        ++lineNo_;
        if (scanStandardNumber(line))
            return true;
        scanOtherLine(line);
        return true;
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    // Continues at offset pos after the caller read the given number of lines itself.
    void skipTo(size_t pos, size_t lines) {
        pos_ = pos;
        lineNo_ += lines;
    }
    size_t lineNumber() const { return lineNo_; }
    size_t offset() const { return pos_; }

private:
    // The common case, a standard number line, without a second pass over the bytes.
    bool scanStandardNumber(ScannedLine& line) {
        const char* const begin = text_.data() + pos_;
        const char* const end = text_.data() + text_.size();
        const char* p = begin;
        const bool negative = *p == '-';
        if (negative)
            ++p;
        const char* const digits = p;
        int64_t v = 0;
        while (p < end && static_cast<unsigned char>(*p - '0') < 10 && p - digits < 18)
            v = v * 10 + (*p++ - '0');
        const auto count = p - digits;
        if (count == 0 || end - p < 2 || p[0] != '\r' || p[1] != '\n')
            return false;
        if ((count > 1 && *digits == '0') || (negative && v == 0))
            return false;
        line.text = std::string_view(begin, static_cast<size_t>(p - begin));
        line.value = negative ? -v : v;
        line.isNumber = true;
        line.standard = true;
        pos_ += static_cast<size_t>(p - begin) + 2;
        return true;
    }
    void scanOtherLine(ScannedLine& line);

    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNo_ = 0;
};

// Result of scanNumbers.
struct NumberScan {
    size_t end = 0;           // offset after the last line read (after the marker, if found)
    size_t markerAt = 0;      // offset of the marker line, if found
    size_t lines = 0;         // lines read, the marker included
    size_t badLine = 0;       // 1-based line (counted from pos) that is not a number; 0 none
    bool standard = true;     // every number line is in standard form
    bool foundMarker = false; // stopped at a "-2" line
};

// Replaces values by the numbers of the lines of text from offset pos on, up to the end
// of the text, to the first line that is not a number, or, with stopAtMarker, to the first
// line that reads "-2" (not stored).
NumberScan scanNumbers(std::string_view text, size_t pos, std::vector<int64_t>& values,
                       bool stopAtMarker);

// Replaces values by the numbers of the lines of text. Returns 0, or the number of the
// first line that is not a number. standard: every line is in standard form.
size_t scanNumberLines(std::string_view text, std::vector<int64_t>& values, bool& standard);

// The line without surrounding blanks; markers are recognised on this text only.
std::string_view trimBlanks(std::string_view s);

} // namespace zelk
