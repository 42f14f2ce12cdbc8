#pragma once

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {

// Walks the lines of a text buffer. Lines end with LF; a CR before it is dropped, so
// CR LF and LF files read alike. A last line without LF still counts.
class LineCursor {
public:
    explicit LineCursor(std::string_view text) : text_(text) {}
    bool next(std::string_view& line);
    bool atEnd() const { return pos_ >= text_.size(); }
    size_t lineNumber() const { return lineNo_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
    size_t lineNo_ = 0;
};

// The whole line, without surrounding blanks, as a decimal integer; nothing otherwise.
std::optional<int64_t> parseInteger(std::string_view line);

// Appends text(n) and CR LF.
// One append per line: project texts hold millions of these.
inline void appendNumberLine(std::string& out, int64_t n) {
    char buf[24];
    char* end = std::to_chars(buf, buf + sizeof buf - 2, n).ptr;
    *end++ = '\r';
    *end++ = '\n';
    out.append(buf, end);
}

inline void appendTextLine(std::string& out, std::string_view text) {
    out += text;
    out += "\r\n";
}

std::string readWholeFile(const std::filesystem::path& path);

// Thrown by readFileCapped for an input beyond its cap.
class FileTooLarge : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads any kind of file (regular, device, pipe) up to cap bytes; more throws FileTooLarge
// without reading further.
std::string readFileCapped(const std::filesystem::path& path, size_t cap);
// Plain replace-in-place write, for the program's own temporary files.
void writeWholeFile(const std::filesystem::path& path, std::string_view data);

} // namespace zelk
