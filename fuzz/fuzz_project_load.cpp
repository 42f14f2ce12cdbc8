// The project loader on any bytes: the first byte chooses raw file bytes (even) or a
// project text that the target compresses itself (odd), so that the reader behind the
// gzip layer is reached too. A refused file changes nothing; an accepted one saves and
// reloads to the same text.
#include "FuzzSupport.h"

#include "files/TextLines.h"
#include "model/PartFile.h"
#include "platform/GzipCompressor.h"
#include "ports/NullMidiOut.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"

using namespace zelk;

namespace {

std::string savedText(Song& song, const char* name) {
    song.FilePath = (fuzz::folder().dir() / name).string();
    SaveProject(song, fuzz::folder(), GzipCompressor());
    return GzipCompressor().expand(readWholeFile(song.FilePath), kMaxProjectText);
}

// A work file of the song that was there before, which a refused load must leave.
const std::string& leftoverPart() {
    static const std::string text = [] {
        Song s = fuzz::songWithState();
        return formatPartFile(s.part);
    }();
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const GzipCompressor gzip;
    NullMidiOut quiet;
    fuzz::emptyFolder();
    const std::string_view body = fuzz::asText(data + 1, size - 1);
    Song song = fuzz::songWithState();
    writeWholeFile(song.FilePath, (data[0] & 1) ? gzip.compress(body) : std::string(body));
    writeWholeFile(fuzz::folder().workFile(3), leftoverPart());
    const Song before = song;
    const auto filesBefore = fuzz::folderFiles();
    try {
        LoadProject(song, fuzz::folder(), gzip, quiet);
    } catch (const ProjectFileError&) {
        const std::string diff = fuzz::songDifference(song, before);
        fuzz::check(diff.empty(), "a refused load changed the song: " + diff);
        fuzz::check(fuzz::folderFiles() == filesBefore, "a refused load changed the folder");
        return 0;
    }
    fuzz::check(song.Dirty == 0, "a loaded song is not clean");
    const std::string first = savedText(song, "first.zelk");
    Song again = fuzz::songWithState();
    again.FilePath = song.FilePath;
    LoadProject(again, fuzz::folder(), gzip, quiet, WorkFileMode::ReplaceAll);
    fuzz::check(savedText(again, "second.zelk") == first, "save and reload changed the text");
    return 0;
}
