#include "editor/session/SongSettings.h"

#include "editor/view/ViewPosition.h"
#include "model/Limits.h"

#include <array>
#include <stdexcept>

namespace zelk {

std::optional<std::string_view> songTextRefusal(std::string_view text) {
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return kTextHasLineBreak;
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    const std::string_view trimmed =
        first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
    for (std::string_view marker : {"-1", "-2", "-3", "-4", "-5", "-6"})
        if (trimmed == marker)
            return kTextIsMarker;
    return std::nullopt;
}

void Form3_Check1_Click(Song& song, int part, bool ticked) {
    if (part < 0 || part >= kParts)
        throw std::out_of_range("part outside 0..15");
    song.DrumPart[part] = ticked ? 1 : 0;
    song.Dirty = 1;
}

std::optional<std::string_view> Form3_Command1_Click(Song& song, EditorState& editor,
                                                     const std::string& title,
                                                     const std::string& copyright) {
    if (auto why = songTextRefusal(title))
        return why;
    if (auto why = songTextRefusal(copyright))
        return why;
    song.SongTitle = title;
    song.SongCopyright = copyright;
    song.Dirty = 1;
    editor.view.FirstMeasure = 1;
    HScroll1_Change(song, editor.view, editor.signatures);
    return std::nullopt;
}

} // namespace zelk
