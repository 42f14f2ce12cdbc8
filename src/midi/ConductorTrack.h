#pragma once

#include "midi/TrackBuffer.h"

#include <cstdint>

namespace zelk {

struct Song;
struct MidiExportOptions;
class TextEncoder;

// Microseconds per quarter note of a tempo in beats per minute, as the 24 bits of a
// tempo meta event (tempi below 4 overflow them; the high bits are dropped).
uint32_t tempoMicros(int32_t bpm);
// FF 58 numerator and denominator power of a measure of `cols` columns: quarter notes
// when they divide it, else eighths, else sixteenths.
struct TimeSignature {
    uint8_t nn;
    uint8_t dd;
};
TimeSignature timeSignatureOf(int cols);
// FF 59 sharps/flats byte of a key code (bits 0..6 altered steps, 128 = flat key).
uint8_t keySignatureByte(uint8_t keyCode);

// The first track: title, copyright, GM System On, signatures, then the time-signature
// and tempo changes up to column songEnd - 1 (the end of the longest included part).
// With barEnd >= 0 the changes stop before that column and the track ends on it.
void buildConductorTrack(const Song& song, const MidiExportOptions& opt, int32_t songEnd,
                         const TextEncoder& encoder, TrackBuffer& track, int32_t barEnd = -1);

} // namespace zelk
