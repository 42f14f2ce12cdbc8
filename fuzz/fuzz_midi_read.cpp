// The reader of exported MIDI files and their tempo map on any bytes: a file is refused
// with FormatError or read into events in time order, none after the file's end, whose
// frames never go back in time.
#include "FuzzSupport.h"

#include "midi/MidiFileEvents.h"
#include "midi/TempoMap.h"
#include "model/FormatError.h"

using namespace zelk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiFileEvents file;
    try {
        file = readMidiEvents({data, size});
    } catch (const FormatError&) {
        return 0;
    }
    const TempoMap tempo(file);
    uint32_t lastTick = 0;
    int64_t lastFrame = 0;
    for (const MidiEvent& e : file.events) {
        fuzz::check(e.tick >= lastTick, "events out of time order");
        fuzz::check(e.tick <= file.lastTick, "an event after the file's end");
        const int64_t frame = tempo.sampleAt(e.tick, 48000);
        fuzz::check(frame >= lastFrame, "a later tick at an earlier frame");
        lastTick = e.tick;
        lastFrame = frame;
    }
    lastNoteOffTick(file);
    return 0;
}
