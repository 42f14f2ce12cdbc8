#pragma once

#include "import/ImportReport.h"
#include "import/PitchSpelling.h"
#include "import/SongEvents.h"

#include <string>
#include <string_view>
#include <vector>

namespace zelk {

struct Song;
class MeasurePlan;
class TextDecoder;

// The key signature of every measure (by measure index): each key signature from the bar
// line at or after it (KeyMoved when inside a measure), C major before the first.
std::vector<MeasureKey> measureKeys(const SongEvents& s, const MeasurePlan& plan,
                                    ImportReport& report);

// Puts the key signature of every measure (by measure index) into the song; the entry
// after the last measure takes the last key.
void applyMeasureKeys(Song& song, const std::vector<MeasureKey>& keys);

// A text of the file as the program's UTF-8: Shift-JIS when the bytes are that, else UTF-8
// when they are that, else Latin-1. Nearly every UTF-8 text is also valid Shift-JIS (as
// mojibake: "日本" reads "譌･譛ｬ"), while Shift-JIS text with kanji or kana is almost never
// valid UTF-8; so outside our own export (ownExport, always Shift-JIS) bytes that are valid
// UTF-8 with characters beyond ASCII are taken as UTF-8 first. Line breaks and other
// control characters become blanks, as a project line cannot hold them.
std::string decodeSongText(std::string_view bytes, const TextDecoder& decoder,
                           bool ownExport = false);

// Whole beats per minute of a tempo event within 1..300. Our own export writes tempi below
// 4 with their high bits dropped; there (ownExport) those values read back as written.
// rounded is set when the tempo had to change.
int32_t bpmOf(uint32_t micros, bool ownExport, bool& rounded);

// The song-level data of an imported song, after a song reset: measures, key signatures,
// tempo lane, loop point, rhythm parts, title and copyright (fallbackTitle when the file
// names none), and the signature and tempo drop-downs at the song's start.
void buildSongLevel(Song& song, const SongEvents& s, const MeasurePlan& plan,
                    const std::vector<MeasureKey>& keys, const TextDecoder& decoder,
                    const std::string& fallbackTitle, ImportReport& report);

} // namespace zelk
