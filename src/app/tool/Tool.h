#pragma once

// zelk-tool: one ToolCommand per file, listed in CommandTable.cpp.

#include "model/AppFolder.h"

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelk {
struct Song;
}

namespace zelk::tool {

// Exit codes of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // bad or unreadable input, or output not writable
inline constexpr int kExitUsage = 2;  // usage text on stderr

// One run of a command: its arguments (after the command name) and where it talks.
struct Invocation {
    std::vector<std::string> args;
    std::ostream& out;
    std::ostream& err;
};

// argCount of a command that takes options and checks its arguments itself; it reports
// wrong usage with exit code kExitUsage and the usage text on stderr.
inline constexpr size_t kArgsCheckedByCommand = static_cast<size_t>(-1);

struct ToolCommand {
    std::string_view name;
    std::string_view arguments;   // for the usage text, e.g. "IN.zelk OUT.zelk"
    std::string_view description; // one line for --help
    size_t argCount;              // exact number of arguments, or kArgsCheckedByCommand
    int (*run)(const Invocation& call);
};

// All commands in --help order.
std::span<const ToolCommand* const> toolCommands();
const ToolCommand* findCommand(std::string_view name);
void printUsage(std::ostream& os);

// A program folder of the tool's own (work files, temporary project text) under the
// system's temporary folder, removed with everything in it on destruction.
class PrivateFolder {
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const AppFolder& folder() const { return *folder_; }

private:
    std::filesystem::path path_;
    std::unique_ptr<AppFolder> folder_;
};

// Loads a project file into a freshly reset song (current part 0) whose work files go
// to the folder. Throws ProjectFileError.
std::unique_ptr<Song> loadIntoFreshSong(const std::filesystem::path& file, const AppFolder& folder);

// The one line that reports a failed command: "FILE: reason".
void reportFailure(const Invocation& call, const std::string& file, const std::string& reason);

} // namespace zelk::tool
