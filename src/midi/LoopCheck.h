#pragma once

#include "midi/LoopSpan.h"
#include "midi/MidiFileEvents.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelk {

struct Song;

// A file seen as the loop a game plays: its events, the part of every part track
// (trackParts[0] is the part of track 1; none: tracks go by their numbers), the loop, the
// measure of a file tick, and the song of an exported file (none for any other file, whose
// controllers are followed by channel rather than by track).
struct LoopSubject {
    const MidiFileEvents& file;
    std::span<const int> trackParts;
    LoopSpan span;
    std::function<int(uint32_t)> measureOf;
    const Song* song = nullptr;
    bool byChannel = false;
};

// One line of text per thing that makes the loop sound wrong.
using LoopFindings = std::vector<std::string>;

// Notes still sounding when the loop wraps: cut off at the end, or begun before the start.
LoopFindings notesAcrossLoopEnd(const LoopSubject& s);
LoopFindings notesAcrossLoopStart(const LoopSubject& s);
// Controllers and program of each part, and the tempo, whose value in force at the loop
// start differs from the one the loop leaves behind at its end.
LoopFindings controllersChangedByTheLoop(const LoopSubject& s);
LoopFindings tempoChangedByTheLoop(const LoopSubject& s);
// The file's end (where older players wrap) off the bar line that ends the loop of the
// exported song.
LoopFindings midiWrapOffTheBar(const LoopSubject& s);
// A loop point that cannot play; nothing for a song with the loop off.
std::optional<std::string> unplayableLoop(const Song& song, NoLoop why);

// Every rule over an exported file: a line naming the loop, then the findings.
struct LoopReport {
    std::string loop;
    LoopFindings findings;
};
LoopReport checkLoop(const Song& song, const MidiFileEvents& file, std::span<const int> trackParts);

} // namespace zelk
