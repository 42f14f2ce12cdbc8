#include "editor/entry/PartHeaderControls.h"

#include "model/Song.h"
#include "ports/MidiOut.h"

#include <stdexcept>

namespace zelk {
namespace {
int checkedValue(int listIndex) {
    if (listIndex < 0 || listIndex > 127)
        throw std::out_of_range("drop-down index outside 0..127");
    return listIndex;
}
} // namespace

void Combo1_Click(Song& song, MidiOut& out, int listIndex) {
    song.part.PartProgram = checkedValue(listIndex);
    out.send(shortMessage(0xC0 | song.CurPart, song.part.PartProgram));
}

void Combo3_Click(Song& song, MidiOut& out, int listIndex) {
    song.part.PartReverb = checkedValue(listIndex);
    out.send(shortMessage(0xB0 | song.CurPart, 91, song.part.PartReverb));
}

void Combo4_Click(Song& song, MidiOut& out, int listIndex) {
    song.part.PartChorus = checkedValue(listIndex);
    out.send(shortMessage(0xB0 | song.CurPart, 93, song.part.PartChorus));
}

} // namespace zelk
