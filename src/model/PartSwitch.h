#pragma once

namespace zelk {

struct Song;
class AppFolder;
class MidiOut;

// Program change, controller 91 and controller 93 of the current part header, on the
// channel of the part number itself (also for a rhythm part).
void sendPartHeader(const Song& song, MidiOut& out);
// The same three after a project load, in the order the load sets them: reverb, chorus,
// program.
void sendLoadedPartHeader(const Song& song, MidiOut& out);

// Leaves the current part for part newPart: silences the last preview note, stores the
// current part, loads the new one and sends its header. A damaged work file of the new
// part throws FormatError before anything but the save has happened.
void switchPart(Song& song, const AppFolder& folder, MidiOut& out, int newPart,
                int lastPreviewNote);

} // namespace zelk
