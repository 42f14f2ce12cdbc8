#include "model/LineScanner.h"

#include "files/TextLines.h"

namespace zelk {

void LineScanner::scanOtherLine(ScannedLine& line) {
    const size_t end = text_.find('\n', pos_);
    const size_t stop = end == std::string_view::npos ? text_.size() : end;
    std::string_view text = text_.substr(pos_, stop - pos_);
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    line.text = text;
    line.standard = false;
    const auto v = parseInteger(text);
    line.isNumber = v.has_value();
    line.value = v.value_or(0);
}

namespace {

// Lines after the first one that is not in standard form, through the general scanner.
void scanRemainingLines(std::string_view text, NumberScan& scan, std::vector<int64_t>& values,
                        bool stopAtMarker) {
    scan.standard = false;
    LineScanner lines(text.substr(scan.end));
    ScannedLine line;
    for (size_t at = lines.offset(); lines.next(line); at = lines.offset()) {
        if (stopAtMarker && line.isNumber && line.value == -2 && trimBlanks(line.text) == "-2") {
            scan.markerAt = scan.end + at;
            scan.end += lines.offset();
            scan.lines += lines.lineNumber();
            scan.foundMarker = true;
            return;
        }
        if (!line.isNumber) {
            scan.badLine = scan.lines + lines.lineNumber();
            return;
        }
        values.push_back(line.value);
    }
    scan.end = text.size();
    scan.lines += lines.lineNumber();
}

} // namespace

NumberScan scanNumbers(std::string_view text, size_t pos, std::vector<int64_t>& values,
                       bool stopAtMarker) {
    values.clear();
    // A work file line is at least three bytes; reserving touches no memory yet.
    values.reserve((text.size() - pos) / 3 + 1);
    NumberScan scan;
    const char* const base = text.data();
    const char* const end = base + text.size();
    const char* p = base + pos;
    // The loop of LineScanner::scanStandardNumber without its bookkeeping: this runs over
    // every line of every part on each save and load.
    while (p < end) {
        const char* const lineStart = p;
        const bool negative = *p == '-';
        p += negative ? 1 : 0;
        const char* const digits = p;
        uint64_t v = 0;
        while (p < end && static_cast<unsigned char>(*p - '0') < 10)
            v = v * 10 + static_cast<unsigned>(*p++ - '0');
        const auto count = static_cast<size_t>(p - digits);
        if (count - 1 < 18 && end - p >= 2 && p[0] == '\r' && p[1] == '\n' &&
            (count == 1 || *digits != '0') && !(negative && v == 0)) {
            p += 2;
            ++scan.lines;
            if (negative && v == 2 && stopAtMarker) {
                scan.markerAt = static_cast<size_t>(lineStart - base);
                scan.end = static_cast<size_t>(p - base);
                scan.foundMarker = true;
                return scan;
            }
            values.push_back(negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v));
            continue;
        }
        scan.end = static_cast<size_t>(lineStart - base);
        scanRemainingLines(text, scan, values, stopAtMarker);
        return scan;
    }
    scan.end = text.size();
    return scan;
}

size_t scanNumberLines(std::string_view text, std::vector<int64_t>& values, bool& standard) {
    const NumberScan scan = scanNumbers(text, 0, values, false);
    standard = scan.standard;
    return scan.badLine;
}

std::string_view trimBlanks(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

} // namespace zelk
