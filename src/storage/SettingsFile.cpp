#include "storage/SettingsFile.h"

#include "files/ReplacingFile.h"
#include "files/TextLines.h"
#include "model/AppFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

namespace zelk {
namespace {

inline constexpr size_t kSettingsLines = kRecentFiles + kKeyActions + 3 * kColorEntries;

// Linux paths are bytes: any line a CR LF file can carry back is kept as it was read.
bool isPathLine(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::optional<int64_t> numberIn(const std::optional<std::string>& line, int64_t lo, int64_t hi) {
    if (!line)
        return std::nullopt;
    const auto v = parseInteger(*line);
    if (!v || *v < lo || *v > hi)
        return std::nullopt;
    return v;
}

// The file's lines, at most kSettingsLines of them; a line longer than kMaxSettingsLine is
// garbled (nullopt) and skipped without being kept in memory.
class SettingsLineReader {
public:
    std::vector<std::optional<std::string>> lines;

    void feed(std::string_view data) {
        for (char c : data) {
            if (lines.size() >= kSettingsLines)
                return;
            if (c == '\n') {
                endLine();
                continue;
            }
            if (current_.size() <= kMaxSettingsLine)
                current_ += c;
        }
    }
    void finish() {
        if (!current_.empty() && lines.size() < kSettingsLines)
            endLine();
    }
    bool full() const { return lines.size() >= kSettingsLines; }

private:
    std::string current_;

    void endLine() {
        if (!current_.empty() && current_.back() == '\r')
            current_.pop_back();
        if (current_.size() > kMaxSettingsLine)
            lines.emplace_back(std::nullopt);
        else
            lines.emplace_back(std::move(current_));
        current_.clear();
    }
};

Settings parseSettingsLines(const std::vector<std::optional<std::string>>& lines) {
    Settings s;
    size_t i = 0;
    auto next = [&]() -> const std::optional<std::string>& {
        static const std::optional<std::string> missing;
        return i < lines.size() ? lines[i++] : missing;
    };
    for (auto& path : s.recent)
        if (const auto& line = next(); line && isPathLine(*line))
            path = *line;
    for (auto& key : s.KeyAssign)
        if (auto v = numberIn(next(), 0, kKeyTableEntries - 1))
            key = static_cast<int16_t>(*v);
    for (Rgb& c : s.ColorTable)
        for (uint8_t* byte : {&c.r, &c.g, &c.b})
            if (auto v = numberIn(next(), 0, 255))
                *byte = static_cast<uint8_t>(*v);
    return s;
}

} // namespace

std::string formatSettings(const Settings& s) {
    std::string out;
    for (const auto& path : s.recent)
        appendTextLine(out, isPathLine(path) ? std::string_view(path) : std::string_view());
    for (int16_t k : s.KeyAssign)
        appendNumberLine(out, k);
    for (const Rgb& c : s.ColorTable) {
        appendNumberLine(out, c.r);
        appendNumberLine(out, c.g);
        appendNumberLine(out, c.b);
    }
    return out;
}

Settings parseSettings(std::string_view text) {
    SettingsLineReader reader;
    reader.feed(text);
    reader.finish();
    return parseSettingsLines(reader.lines);
}

Settings readSettingsFile(const AppFolder& folder) {
    std::ifstream in(folder.settings(), std::ios::binary);
    if (!in)
        return Settings{};
    SettingsLineReader reader;
    char buf[1 << 16];
    while (!reader.full() && in) {
        in.read(buf, sizeof buf);
        reader.feed(std::string_view(buf, static_cast<size_t>(in.gcount())));
    }
    reader.finish();
    return parseSettingsLines(reader.lines);
}

void writeSettingsFile(const AppFolder& folder, const Settings& settings) {
    writeFileAtomically(folder.settings(), formatSettings(settings));
}

} // namespace zelk
