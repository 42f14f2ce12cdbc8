#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zelk {

// The program's own folder: work files, temporary project text, snapshots, backup,
// playback file and settings live here. Created on construction.
class AppFolder {
public:
    explicit AppFolder(std::filesystem::path dir);
    // $ZELK_HOME, else $XDG_DATA_HOME/zelk, else ~/.local/share/zelk.
    static AppFolder fromEnvironment();

    const std::filesystem::path& dir() const { return dir_; }
    std::filesystem::path file(std::string_view name) const { return dir_ / name; }
    // Work file of part p ("0".."15").
    std::filesystem::path workFile(int part) const;
    // Snapshot n ("undo" + n).
    std::filesystem::path snapshotFile(int n) const;
    std::filesystem::path projectText() const { return file("work"); }
    std::filesystem::path clipboard() const { return file("copy"); }
    std::filesystem::path backup() const { return file("log"); }
    std::filesystem::path playbackMidi() const { return file("rec.mid"); }
    std::filesystem::path recording() const { return file("wav"); }
    // The recorder writes here while it records; save() moves it to recording().
    std::filesystem::path recordingScratch() const { return file(".wav.part"); }
    std::filesystem::path settings() const { return file("zelk.ini"); }
    // What this machine remembers beyond the 77 lines of "zelk.ini" (window, sound, ports).
    std::filesystem::path state() const { return file("zelk-state.ini"); }

private:
    std::filesystem::path dir_;
};

} // namespace zelk
