#include "Tool.h"

#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "ports/NullMidiOut.h"
#include "storage/Project.h"

#include <cstdlib>
#include <ostream>
#include <system_error>

namespace zelk::tool {
namespace {

std::filesystem::path makePrivateDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelk-tool-XXXXXX").string();
    if (!::mkdtemp(tmpl.data()))
        throw std::system_error(errno, std::generic_category(), "cannot create a temporary folder");
    return tmpl;
}

} // namespace

PrivateFolder::PrivateFolder()
    : path_(makePrivateDir()), folder_(std::make_unique<AppFolder>(path_)) {}

PrivateFolder::~PrivateFolder() {
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

} // namespace zelk::tool
