#include "Tool.h"

#include "SignalCleanup.h"
#include "files/ProcessAlive.h"
#include "files/TextLines.h"
#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "ports/NullMidiOut.h"
#include "storage/Project.h"

#include <charconv>
#include <cstdlib>
#include <ostream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zelk::tool {
namespace {

constexpr std::string_view kFolderPrefix = "zelk-tool-";

// Folders "zelk-tool-<pid>-XXXXXX" of ours whose tool no longer runs.
void removeStaleFolders(const std::filesystem::path& tmpRoot) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(tmpRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kFolderPrefix))
            continue;
        const char* first = name.data() + kFolderPrefix.size();
        long pid = 0;
        const auto [end, err] = std::from_chars(first, name.data() + name.size(), pid);
        struct stat st {};
        if (err != std::errc{} || *end != '-' || processAlive(static_cast<pid_t>(pid)) ||
            ::lstat(entry.path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::getuid())
            continue;
        std::filesystem::remove_all(entry.path(), ec);
    }
}

std::filesystem::path makePrivateDir() {
    const auto root = std::filesystem::temp_directory_path();
    removeStaleFolders(root);
    std::string tmpl =
        (root / (std::string(kFolderPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(tmpl.data()))
        throw std::system_error(errno, std::generic_category(), "cannot create a temporary folder");
    return tmpl;
}

} // namespace

PrivateFolder::PrivateFolder()
    : path_(makePrivateDir()), folder_(std::make_unique<AppFolder>(path_)) {
    removeFolderOnSignal(path_);
}

PrivateFolder::~PrivateFolder() {
    removeFolderOnSignal({});
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::unique_ptr<Song> loadIntoFreshSong(const std::filesystem::path& file,
                                        const AppFolder& folder) {
    auto song = std::make_unique<Song>();
    clearForNewSong(*song);
    resetSongModel(*song);
    song->FilePath = file.string();
    NullMidiOut noDevice;
    LoadProject(*song, folder, GzipCompressor(), noDevice);
    return song;
}

void reportFailure(const Invocation& call, const std::string& file, const std::string& reason) {
    call.err << file << ": " << reason << "\n";
}

int usageFailure(const Invocation& call, std::string_view command, const std::string& reason) {
    call.err << "zelk-tool " << command << ": " << reason << "\n\n";
    printUsage(call.err);
    return kExitUsage;
}

SplitArgs splitArgs(const std::vector<std::string>& args,
                    std::initializer_list<std::string_view> valued,
                    std::initializer_list<std::string_view> flags) {
    SplitArgs split;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a == "-" || !a.starts_with('-')) {
            split.operands.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (std::find(flags.begin(), flags.end(), a) != flags.end()) {
            split.options.emplace_back(a, "");
            continue;
        }
        if (std::find(valued.begin(), valued.end(), a) == valued.end())
            throw UsageError("unknown option " + a);
        if (i + 1 >= args.size())
            throw UsageError(a + " needs a value");
        split.options.emplace_back(a, args[++i]);
    }
    return split;
}

std::filesystem::path inputPath(const std::string& arg, const PrivateFolder& tmp) {
    if (arg != "-")
        return arg;
    const auto copy = tmp.path() / "stdin.zelk";
    try {
        writeWholeFile(copy, readFileCapped("/dev/stdin", kMaxProjectFile));
    } catch (const FileTooLarge&) {
        throw std::runtime_error("the input is too large for a project file");
    }
    return copy;
}

std::filesystem::path outputPath(const std::string& arg, const PrivateFolder& tmp) {
    return arg == "-" ? tmp.path() / "stdout.out" : std::filesystem::path(arg);
}

void deliverOutput(const std::string& arg, const PrivateFolder& tmp, std::ostream& out) {
    if (arg != "-")
        return;
    const std::string bytes = readWholeFile(outputPath(arg, tmp));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out)
        throw std::runtime_error("cannot write to standard output");
}

std::string inputName(const std::string& arg) {
    return arg == "-" ? "standard input" : arg;
}

std::string outputName(const std::string& arg) {
    return arg == "-" ? "standard output" : arg;
}

int wholeNumber(const std::string& text, const char* what) {
    const auto v = parseInteger(text);
    if (!v || *v < -1'000'000 || *v > 1'000'000)
        throw UsageError(std::string(what) + " '" + text + "' is not a number");
    return static_cast<int>(*v);
}

std::array<uint8_t, kParts> partList(const std::string& text) {
    std::array<uint8_t, kParts> playing{};
    size_t from = 0;
    for (;;) {
        const size_t comma = text.find(',', from);
        const std::string item = text.substr(from, comma - from);
        const int p = wholeNumber(item, "part");
        if (p < 1 || p > kParts)
            throw UsageError("part " + item + " outside 1..16");
        playing[static_cast<size_t>(p - 1)] = 1;
        if (comma == std::string::npos)
            return playing;
        from = comma + 1;
    }
}

} // namespace zelk::tool
