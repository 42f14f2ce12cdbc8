#include "MidiInput.h"

#include "import/OwnExport.h"
#include "import/SongLevel.h"
#include "midi/LoopSpan.h"
#include "midi/MidiFileEvents.h"
#include "model/Song.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"
#include "render/MidiFilePlan.h"
#include "storage/Project.h"

#include <fstream>

namespace zelk::tool {

bool isMidiFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    return in.read(magic, sizeof magic) && std::string_view(magic, 4) == "MThd";
}

MidiImport importMidiForTool(const std::filesystem::path& path, const std::string& name) {
    const std::string title =
        name == "-" ? std::string() : std::filesystem::path(name).stem().string();
    return importMidiFile(path, IconvShiftJis(), title);
}

std::unique_ptr<Song> importIntoFreshSong(const std::filesystem::path& path,
                                          const std::string& name, const AppFolder& folder) {
    const MidiImport imported = importMidiForTool(path, name);
    auto song = std::make_unique<Song>();
    clearForNewSong(*song);
    resetSongModel(*song);
    NullMidiOut noDevice;
    applyProject(*song, folder, noDevice, imported.image, WorkFileMode::ReplaceAll);
    return song;
}

RenderPlan prepareMidiFileRender(const std::filesystem::path& path, const RenderOptions& options) {
    const MidiFileEvents file = readMidiEventsFile(path);
    const IconvShiftJis shiftJis;
    std::string title, copyright;
    for (const MidiEvent& e : file.events) {
        if (e.track != 0 || e.status != 0xFF)
            continue;
        if (e.meta == 0x03 && title.empty())
            title = decodeSongText(e.data, shiftJis);
        else if (e.meta == 0x02 && copyright.empty())
            copyright = decodeSongText(e.data, shiftJis);
    }
    // Our own export plays from its first column, as the render of its project does.
    const uint32_t lead = recogniseOwnExport(file) ? exportTickOfColumn(0) : 0;
    return planMidiFileRender(file, title, copyright, options, lead);
}

} // namespace zelk::tool
