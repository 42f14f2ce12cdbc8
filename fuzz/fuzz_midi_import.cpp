// The MIDI import on any bytes: a file is refused with FormatError, or it becomes a project
// the loader accepts, whose measures fit the grid and whose parts the writer can walk.
#include "FuzzSupport.h"

#include "import/ImportMidi.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "platform/IconvShiftJis.h"
#include "storage/ProjectImage.h"

using namespace zelk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const IconvShiftJis shiftJis; // read-only after construction
    MidiImport result;
    try {
        result = importMidi({data, size}, shiftJis, "fuzz");
    } catch (const FormatError&) {
        return 0;
    }
    int32_t total = 0;
    for (const uint8_t len : result.image.measureLen) {
        fuzz::check(len >= kMinMeasureLen && len <= kMaxMeasureLen,
                    "a measure of no offered length");
        total += len;
    }
    fuzz::check(total <= kMaxSongCols, "measures past column 9600");
    fuzz::check(!result.image.measureLen.empty(), "a song without measures");
    // The project text as the loader reads it: the same image again.
    const ProjectImage again = parseProjectText(result.image.text);
    fuzz::check(again.measureLen == result.image.measureLen, "the project text reads otherwise");
    for (int p = 0; p < kParts; ++p)
        fuzz::check(again.partValues(p) == result.image.partValues(p), "a part reads otherwise");
    fuzz::check(result.report.englishLines().size() <= kImportChangeKinds, "too many lines");
    return 0;
}
