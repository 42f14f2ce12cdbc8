#include "midi/MidiExportOptions.h"

#include "model/Song.h"

namespace zelk {

MidiExportOptions MidiExportOptions::forPlayback(const Song& song, int measure,
                                                 const std::array<uint8_t, kParts>& playing) {
    MidiExportOptions opt;
    opt.ExportMode = 0;
    opt.firstMeasure = measure;
    // A measure outside the song keeps an impossible column; the writer refuses it.
    opt.ViewCol =
        measure >= 1 && measure <= song.MeasureCount() ? song.SumMeasureLen(measure - 1) : -1;
    opt.Check1 = playing;
    return opt;
}

} // namespace zelk
