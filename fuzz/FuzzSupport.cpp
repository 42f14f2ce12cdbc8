#include "FuzzSupport.h"

#include "support/SongBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zelk::fuzz {

const AppFolder& folder() {
    static const AppFolder f = [] {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelk-fuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data()))
            std::abort();
        return AppFolder(tmpl);
    }();
    return f;
}

void emptyFolder() {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder().dir(), ec))
        std::filesystem::remove_all(e.path(), ec);
}

std::map<std::string, std::string> folderFiles() {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder().dir(), ec)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        files[e.path().filename().string()] = s.str();
    }
    return files;
}

Song songWithState() {
    Song song = test::freshSong();
    test::putNote(song, 28, 8, 8);
    song.SongTitle = "kept";
    song.Dirty = 1;
    song.FilePath = (folder().dir() / "in.zelk").string();
    song.FileName = "in.zelk";
    return song;
}

std::string songDifference(const Song& a, const Song& b) {
#define ZELK_SAME(field)                                                                           \
    if (!(a.field == b.field))                                                                     \
        return #field;
    ZELK_SAME(MeasureLen)
    ZELK_SAME(KeyMask)
    ZELK_SAME(KeyShift)
    ZELK_SAME(TemLane)
    ZELK_SAME(DrumPart)
    ZELK_SAME(KeyCode)
    ZELK_SAME(KeySign)
    ZELK_SAME(MeasureCols)
    ZELK_SAME(BeatCols)
    ZELK_SAME(LoopOn)
    ZELK_SAME(LoopMeasure)
    ZELK_SAME(SongTitle)
    ZELK_SAME(SongCopyright)
    ZELK_SAME(FilePath)
    ZELK_SAME(FileName)
    ZELK_SAME(Dirty)
    ZELK_SAME(TempoIndex)
    ZELK_SAME(TempoBase)
    ZELK_SAME(CurPart)
    ZELK_SAME(part.Grid)
    ZELK_SAME(part.Sounding)
    ZELK_SAME(part.VelLane)
    ZELK_SAME(part.PitLane)
    ZELK_SAME(part.ModLane)
    ZELK_SAME(part.ExpLane)
    ZELK_SAME(part.PanLane)
    ZELK_SAME(part.HolLane)
    ZELK_SAME(part.PartLen)
    ZELK_SAME(part.PartProgram)
    ZELK_SAME(part.PartReverb)
    ZELK_SAME(part.PartChorus)
#undef ZELK_SAME
    return {};
}

void check(bool ok, std::string_view what) {
    if (ok)
        return;
    std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

std::string_view asText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace zelk::fuzz
