#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zelk {

class AppFolder;

// "zelk-state.ini": what the program remembers on this machine besides "zelk.ini", whose 77
// lines older readers expect exactly (window size and zoom, the render's choices, sound
// and MIDI port choices). One "key=value" per CR LF line; lines it does not understand are
// kept as they are, so a newer program's keys survive an older one. A missing or damaged
// file reads as empty: nothing here is worth refusing a start for.
class StateFile {
public:
    static StateFile read(const AppFolder& folder);
    // Replaces the file whole (a crash leaves the old one). Throws std::system_error.
    void write(const AppFolder& folder) const;

    std::optional<std::string> text(std::string_view key) const;
    // A whole number within lo..hi; nothing when missing or out of range.
    std::optional<int> number(std::string_view key, int lo, int hi) const;
    void set(std::string_view key, std::string_view value);
    void set(std::string_view key, int value);

private:
    std::map<std::string, std::string, std::less<>> values_;
};

} // namespace zelk
