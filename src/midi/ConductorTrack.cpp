#include "midi/ConductorTrack.h"

#include "midi/MidiExportOptions.h"
#include "model/Song.h"
#include "ports/TextEncoder.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace zelk {
namespace {

constexpr uint32_t kSetUpBeat = 480; // ticks of the export's lead-in beat
constexpr int32_t kFallbackTempo = 120;

void putTimeSignature(TrackBuffer& t, int cols) {
    const TimeSignature ts = timeSignatureOf(cols);
    t.put({0xFF, 0x58, 0x04, ts.nn, ts.dd, 0x18, 0x08});
}

void putTempo(TrackBuffer& t, int32_t bpm) {
    const uint32_t us = tempoMicros(bpm);
    t.put({0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16), static_cast<uint8_t>(us >> 8),
           static_cast<uint8_t>(us)});
}

// A tempo lane value of 0 (or a damaged negative one) has no tempo: the file keeps the
// tempo in force. At the start that is the first real tempo to come, else 120.
int32_t startTempo(const Song& song, int32_t viewCol) {
    for (int x = viewCol; x < TempoLane::size(); ++x)
        if (song.TemLane[x] > 0)
            return song.TemLane[x];
    return kFallbackTempo;
}

// Time-signature and tempo changes of columns viewCol + 1 .. songEnd - 1, each at its
// column's tick.
void putChanges(const Song& song, const MidiExportOptions& opt, int32_t songEnd, int32_t tempo,
                TrackBuffer& t) {
    const int count = song.MeasureCount();
    int m = opt.firstMeasure;
    int32_t next = opt.ViewCol + song.MeasureLen.len(m);
    int lastLen = 0;
    for (int32_t x = opt.ViewCol + 1; x < songEnd; ++x) {
        if (x == next) {
            if (m < count) {
                const int len = song.MeasureLen.len(++m);
                next += len;
                if (len != lastLen) {
                    t.at(60 * x);
                    putTimeSignature(t, len);
                    lastLen = len;
                }
            } else {
                next = std::numeric_limits<int32_t>::max(); // past the last measure
            }
        }
        const int32_t bpm = song.TemLane[x];
        if (bpm > 0 && bpm != tempo) {
            t.at(60 * x);
            putTempo(t, bpm);
            tempo = bpm;
        }
    }
}

} // namespace

uint32_t tempoMicros(int32_t bpm) {
    return static_cast<uint32_t>(60'000'000 / bpm) & 0xFFFFFF;
}

TimeSignature timeSignatureOf(int cols) {
    if (cols % 8 == 0)
        return {dataByte(cols / 8), 2};
    if (cols % 4 == 0)
        return {dataByte(cols / 4), 3};
    return {dataByte(cols / 2), 4};
}

uint8_t keySignatureByte(uint8_t keyCode) {
    const int n = std::popcount(static_cast<unsigned>(keyCode & 0x7F));
    return static_cast<uint8_t>(keyCode >= 128 ? 256 - n : n);
}

void buildConductorTrack(const Song& song, const MidiExportOptions& opt, int32_t songEnd,
                         const TextEncoder& encoder, TrackBuffer& t, int32_t barEnd) {
    t.reset(60 * opt.ViewCol);
    t.rawDelta(0);
    t.meta(0x03, encoder.encode(song.SongTitle));
    t.rawDelta(0);
    t.meta(0x02, encoder.encode(song.SongCopyright));
    t.put({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    t.put({0x00});
    putTimeSignature(t, 8); // 1/4 until the song's own signature
    if (opt.ExportMode == 1) {
        t.rawDelta(kSetUpBeat);
        putTimeSignature(t, song.MeasureLen.len(opt.firstMeasure));
    }
    t.put({0x00, 0xFF, 0x59, 0x02, keySignatureByte(song.KeyCode), 0x00});
    const int32_t tempo = startTempo(song, opt.ViewCol);
    t.put({0x00});
    putTempo(t, tempo);
    putChanges(song, opt, barEnd < 0 ? songEnd : std::min(songEnd, barEnd), tempo, t);
    if (barEnd < 0)
        t.endOfTrack();
    else
        t.endOfTrackAt(60 * barEnd);
}

} // namespace zelk
