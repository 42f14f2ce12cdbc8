#include "storage/StateFile.h"

#include "files/ReplacingFile.h"
#include "files/TextLines.h"
#include "model/AppFolder.h"

#include <charconv>
#include <exception>

namespace zelk {
namespace {

constexpr size_t kMaxStateFile = 1 << 20; // far beyond any real one

bool keyIsPlain(std::string_view key) {
    return !key.empty() && key.find_first_of("=\r\n") == std::string_view::npos;
}

} // namespace

StateFile StateFile::read(const AppFolder& folder) {
    StateFile state;
    std::string text;
    try {
        text = readWholeFile(folder.state());
    } catch (const std::exception&) {
        return state;
    }
    if (text.size() > kMaxStateFile)
        return state;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (const size_t eq = line.find('='); eq != std::string_view::npos && eq > 0)
            state.values_[std::string(line.substr(0, eq))] = std::string(line.substr(eq + 1));
        at = end + 1;
    }
    return state;
}

void StateFile::write(const AppFolder& folder) const {
    std::string out;
    for (const auto& [key, value] : values_)
        out += key + "=" + value + "\r\n";
    writeFileAtomically(folder.state(), out);
}

std::optional<std::string> StateFile::text(std::string_view key) const {
    const auto it = values_.find(key);
    if (it == values_.end())
        return std::nullopt;
    return it->second;
}

std::optional<int> StateFile::number(std::string_view key, int lo, int hi) const {
    const auto t = text(key);
    if (!t)
        return std::nullopt;
    int v = 0;
    const auto [end, ec] = std::from_chars(t->data(), t->data() + t->size(), v);
    if (ec != std::errc() || end != t->data() + t->size() || v < lo || v > hi)
        return std::nullopt;
    return v;
}

void StateFile::set(std::string_view key, std::string_view value) {
    if (!keyIsPlain(key) || value.find_first_of("\r\n") != std::string_view::npos)
        return; // it could not be read back as one line
    values_[std::string(key)] = std::string(value);
}

void StateFile::set(std::string_view key, int value) {
    set(key, std::string_view(std::to_string(value)));
}

} // namespace zelk
