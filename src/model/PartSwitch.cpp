#include "model/PartSwitch.h"

#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/Song.h"
#include "ports/MidiOut.h"

#include <stdexcept>

namespace zelk {

void sendPartHeader(const Song& song, MidiOut& out) {
    const int ch = song.CurPart;
    out.send(shortMessage(0xC0 | ch, song.part.PartProgram));
    out.send(shortMessage(0xB0 | ch, 91, song.part.PartReverb));
    out.send(shortMessage(0xB0 | ch, 93, song.part.PartChorus));
}

void sendLoadedPartHeader(const Song& song, MidiOut& out) {
    const int ch = song.CurPart;
    out.send(shortMessage(0xB0 | ch, 91, song.part.PartReverb));
    out.send(shortMessage(0xB0 | ch, 93, song.part.PartChorus));
    out.send(shortMessage(0xC0 | ch, song.part.PartProgram));
}

void switchPart(Song& song, const AppFolder& folder, MidiOut& out, int newPart,
                int lastPreviewNote) {
    if (newPart < 0 || newPart >= kParts)
        throw std::out_of_range("part outside 0..15");
    const int previewStatus =
        song.DrumPart[song.CurPart] == 1 ? 0x89 : 0x80 | static_cast<int>(song.CurPart);
    out.send(shortMessage(previewStatus, lastPreviewNote, 0));
    SavePartFile(song, folder);
    const auto stored = readPartFile(folder, newPart);
    song.part.clearForSwitch();
    song.part.resetHeader();
    applyLoadedPart(song, out, newPart, stored);
    song.CurPart = static_cast<uint8_t>(newPart);
    sendPartHeader(song, out);
}

} // namespace zelk
