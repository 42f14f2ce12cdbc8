#pragma once

namespace zelk {

struct Song;
class MidiOut;

// The program, reverb and chorus drop-downs: each stores its list index in the part
// header and sends it at once on the channel of the part number (also for a rhythm part).
void Combo1_Click(Song& song, MidiOut& out, int listIndex);
void Combo3_Click(Song& song, MidiOut& out, int listIndex);
void Combo4_Click(Song& song, MidiOut& out, int listIndex);

} // namespace zelk
