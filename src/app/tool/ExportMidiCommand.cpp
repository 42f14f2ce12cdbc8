#include "Tool.h"

#include "files/TextLines.h"
#include "midi/MidiExportOptions.h"
#include "midi/WriteMidiFile.h"
#include "model/FormatError.h"
#include "model/Limits.h"
#include "model/Song.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"
#include "storage/ProjectFileError.h"

#include <array>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace zelk::tool {
namespace {

// What the command line asks for: the export command's file, or the file playback writes
// when measure fromMeasure is shown first and the listed parts are ticked.
struct ExportRequest {
    std::string in;
    std::string out;
    std::optional<int> fromMeasure;
    std::array<uint8_t, kParts> playing{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    bool partsGiven = false;
    bool loopToBar = false;
};

ExportRequest parseArgs(const std::vector<std::string>& args) {
    ExportRequest req;
    const SplitArgs split = splitArgs(args, {"--from-measure", "--parts"}, {"--loop-to-bar"});
    for (const auto& [name, value] : split.options) {
        if (name == "--loop-to-bar") {
            req.loopToBar = true;
        } else if (name == "--from-measure") {
            req.fromMeasure = wholeNumber(value, "measure");
        } else {
            req.playing = partList(value);
            req.partsGiven = true;
        }
    }
    if (split.operands.size() != 2)
        throw UsageError("expects IN.zelk OUT.mid");
    if (req.partsGiven && !req.fromMeasure)
        throw UsageError("--parts only goes with --from-measure");
    if (req.loopToBar && req.fromMeasure)
        throw UsageError("--loop-to-bar only goes with the whole song, not --from-measure");
    req.in = split.operands[0];
    req.out = split.operands[1];
    return req;
}

int runExportMidi(const Invocation& call) {
    ExportRequest req;
    try {
        req = parseArgs(call.args);
    } catch (const UsageError& e) {
        return usageFailure(call, "export-midi", e.what());
    }
    std::unique_ptr<PrivateFolder> tmp;
    std::unique_ptr<Song> song;
    try {
        tmp = std::make_unique<PrivateFolder>();
        song = loadIntoFreshSong(inputPath(req.in, *tmp), tmp->folder());
    } catch (const std::exception& e) {
        reportFailure(call, inputName(req.in), e.what());
        return kExitFailed;
    }
    MidiExportOptions opt = MidiExportOptions::forExport();
    opt.loopToBar = req.loopToBar;
    if (req.fromMeasure) {
        const int m = *req.fromMeasure;
        if (m < 1 || m > song->MeasureCount())
            return usageFailure(call, "export-midi",
                                "--from-measure " + std::to_string(m) + " outside 1.." +
                                    std::to_string(song->MeasureCount()));
        opt = MidiExportOptions::forPlayback(*song, m, req.playing);
    }
    try {
        const IconvShiftJis shiftJis;
        NullMidiOut noDevice;
        WriteMidiFile(*song, tmp->folder(), noDevice, shiftJis, outputPath(req.out, *tmp), opt);
        deliverOutput(req.out, *tmp, call.out);
        return kExitOk;
    } catch (const std::exception& e) { // the output cannot be written
        reportFailure(call, outputName(req.out), e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kExportMidiCommand;
const ToolCommand kExportMidiCommand = {
    "export-midi", "[--loop-to-bar | --from-measure M [--parts 1,3,10]] IN.zelk OUT.mid",
    "writes a Standard MIDI File (from measure M: as playback does; - is standard output)",
    kArgsCheckedByCommand, &runExportMidi};

} // namespace zelk::tool
