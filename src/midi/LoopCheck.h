#pragma once

#include "midi/LoopSpan.h"
#include "midi/MidiFileEvents.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelk {

struct Song;

// An exported file seen as the loop a game plays: the song for its measures, the file's
// events, the part of every part track (trackParts[0] is the part of track 1) and the loop.
struct LoopSubject {
    const Song& song;
    const MidiFileEvents& file;
    std::span<const int> trackParts;
    LoopSpan span;
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
// The file's end (where older players wrap) off the bar line that ends the loop.
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
