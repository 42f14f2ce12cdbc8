#pragma once

#include "editor/EditorState.h"
#include "model/Song.h"

#include <optional>
#include <string>
#include <string_view>

namespace zelk {

inline constexpr std::string_view kSongSettingsTitle = "曲の設定";
inline constexpr std::string_view kTextHasLineBreak = "曲名と著作権には改行を入れられません";
inline constexpr std::string_view kTextIsMarker =
    "曲名と著作権には「-1」～「-6」だけの文字は使えません";

// Why a title or copyright cannot be stored (a line break, or exactly one of the project
// file's marker numbers, which would not read back); nullopt when it can.
std::optional<std::string_view> songTextRefusal(std::string_view text);

// A rhythm-part box: takes effect at once and changes the song.
void Form3_Check1_Click(Song& song, int part, bool ticked);

// "閉じる": takes both texts, or refuses (returning the message) and keeps the old ones.
// On success the song is dirty and the score shows measure 1.
std::optional<std::string_view> Form3_Command1_Click(Song& song, EditorState& editor,
                                                     const std::string& title,
                                                     const std::string& copyright);

} // namespace zelk
