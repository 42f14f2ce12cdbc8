#include "storage/SettingsFile.h"

#include "files/ReplacingFile.h"
#include "files/TextLines.h"
#include "model/AppFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

namespace zelk {
namespace {

// A settings file is a few hundred bytes; anything far larger is not one.
constexpr size_t kMaxSettingsBytes = size_t{1} << 20;

// Well-formed UTF-8 without control characters: something a menu can show as a path.
bool isPathText(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        size_t extra = 0;
        uint32_t cp = c;
        if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0x80) {
            return false;
        }
        if (i + extra >= s.size() && extra != 0)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode.
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

std::optional<int64_t> numberIn(std::string_view line, int64_t lo, int64_t hi) {
    const auto v = parseInteger(line);
    if (!v || *v < lo || *v > hi)
        return std::nullopt;
    return v;
}

} // namespace

std::string formatSettings(const Settings& s) {
    std::string out;
    for (const auto& path : s.recent)
        appendTextLine(out, isPathText(path) ? std::string_view(path) : std::string_view());
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
    Settings s;
    LineCursor lines(text);
    std::string_view line;
    for (auto& path : s.recent)
        if (lines.next(line) && isPathText(line))
            path = std::string(line);
    for (size_t a = 0; a < s.KeyAssign.size(); ++a)
        if (lines.next(line))
            if (auto v = numberIn(line, 0, kKeyTableEntries - 1))
                s.KeyAssign[a] = static_cast<int16_t>(*v);
    for (Rgb& c : s.ColorTable)
        for (uint8_t* byte : {&c.r, &c.g, &c.b})
            if (lines.next(line))
                if (auto v = numberIn(line, 0, 255))
                    *byte = static_cast<uint8_t>(*v);
    return s;
}

Settings readSettingsFile(const AppFolder& folder) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(folder.settings(), ec);
    std::ifstream in(folder.settings(), std::ios::binary);
    if (ec || !in)
        return Settings{};
    std::string text(std::min<size_t>(static_cast<size_t>(size), kMaxSettingsBytes), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return parseSettings(text);
}

void writeSettingsFile(const AppFolder& folder, const Settings& settings) {
    writeFileAtomically(folder.settings(), formatSettings(settings));
}

} // namespace zelk
