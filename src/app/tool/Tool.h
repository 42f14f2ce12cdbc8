#pragma once

// zelk-tool: one ToolCommand per file, listed in CommandTable.cpp.

#include "model/AppFolder.h"
#include "model/Limits.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk {
struct Song;
}

namespace zelk::tool {

// Exit codes of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // bad or unreadable input, or output not writable
inline constexpr int kExitUsage = 2;    // usage text on stderr
inline constexpr int kExitFindings = 3; // a check found something, one line each on stdout

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
// One command's usage line and what it does.
void printCommandUsage(std::ostream& os, const ToolCommand& command);
// --help or -h among the options (before a "--").
bool asksForHelp(const std::vector<std::string>& args);

// A program folder of the tool's own (work files, temporary project text) under the
// system's temporary folder, "zelk-tool-<pid>-XXXXXX". It is removed with everything in it
// on destruction and when SIGINT, SIGTERM or SIGHUP ends the tool; folders of earlier runs
// whose process is gone are removed when a new one is made.
class PrivateFolder {
public:
    PrivateFolder();
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const AppFolder& folder() const { return *folder_; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::unique_ptr<AppFolder> folder_;
};

// Loads a project file into a freshly reset song (current part 0) whose work files go
// to the folder. Throws ProjectFileError.
std::unique_ptr<Song> loadIntoFreshSong(const std::filesystem::path& file, const AppFolder& folder);

// The one line that reports a failed command: "FILE: reason".
void reportFailure(const Invocation& call, const std::string& file, const std::string& reason);

// Wrong usage of a command: the reason and the usage text on stderr; returns kExitUsage.
int usageFailure(const Invocation& call, std::string_view command, const std::string& reason);

// Thrown for a command line the command does not understand.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Splits arguments into options (with their values, for the names in valued; an empty
// value for the names in flags) and operands. "--" ends the options; "-" alone is an
// operand (standard input or output). An unknown option throws UsageError.
struct SplitArgs {
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> operands;
};
SplitArgs splitArgs(const std::vector<std::string>& args,
                    std::initializer_list<std::string_view> valued,
                    std::initializer_list<std::string_view> flags = {});

// A whole number of the command line; UsageError naming `what` otherwise.
int wholeNumber(const std::string& text, const char* what);
// "1,3,10": parts as the window numbers them (1..16), as flags by part index.
std::array<uint8_t, kParts> partList(const std::string& text);

// "-" names standard input: its bytes (at most a project file's size) are copied into
// the private folder and that copy is read. Other names are returned as they are.
std::filesystem::path inputPath(const std::string& arg, const PrivateFolder& tmp);
// "-" names standard output: the command writes into the private folder and
// deliverOutput copies the finished file to standard output.
std::filesystem::path outputPath(const std::string& arg, const PrivateFolder& tmp);
void deliverOutput(const std::string& arg, const PrivateFolder& tmp, std::ostream& out);
// How a file is named in messages: "-" is "standard input" or "standard output".
std::string inputName(const std::string& arg);
std::string outputName(const std::string& arg);

} // namespace zelk::tool
