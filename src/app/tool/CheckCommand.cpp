#include "Tool.h"

#include "MidiInput.h"
#include "TerminalText.h"
#include "midi/LoopCheck.h"
#include "midi/MidiExportOptions.h"
#include "midi/MidiFileEvents.h"
#include "midi/MidiFileLoop.h"
#include "midi/WriteMidiFile.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/Song.h"
#include "platform/IconvShiftJis.h"
#include "ports/NullMidiOut.h"

#include <ostream>

namespace zelk::tool {
namespace {

// The summary: title, measures, loop point and the last column of every part with notes.
void printSummary(std::ostream& out, const Song& song, const AppFolder& folder) {
    out << "title: " << terminalSafe(song.SongTitle) << "\n";
    out << "copyright: " << terminalSafe(song.SongCopyright) << "\n";
    out << "measures: " << song.MeasureCount() << "\n";
    if (song.LoopOn == 1)
        out << "loop point: measure " << song.LoopMeasure + 1 << "\n";
    else
        out << "loop point: none\n";
    for (int p = 0; p < kParts; ++p)
        if (const auto values = readPartFile(folder, p))
            out << "part " << p + 1 << ": last column " << values->front() << "\n";
}

// The loop as a game plays it: the rules run over the file the export command writes.
int printLoopCheck(std::ostream& out, Song& song, const PrivateFolder& tmp) {
    const auto opt = MidiExportOptions::forExport();
    const auto file = tmp.path() / "loop.mid";
    NullMidiOut noDevice;
    WriteMidiFile(song, tmp.folder(), noDevice, IconvShiftJis(), file, opt);
    const std::vector<int> parts = includedParts(tmp.folder(), opt);
    const LoopReport report = checkLoop(song, readMidiEventsFile(file), parts);
    out << report.loop << "\n";
    for (const std::string& line : report.findings)
        out << line << "\n";
    return report.findings.empty() ? kExitOk : kExitFindings;
}

// Any MIDI file: its loop from its own events, or the summary of the project it imports to.
int checkMidiFile(const Invocation& call, const std::filesystem::path& path,
                  const std::string& name, bool loop, const PrivateFolder& tmp) {
    if (!loop) {
        const auto song = importIntoFreshSong(path, name, tmp.folder());
        printSummary(call.out, *song, tmp.folder());
        return kExitOk;
    }
    const LoopReport report = checkMidiFileLoop(readMidiEventsFile(path));
    call.out << report.loop << "\n";
    for (const std::string& line : report.findings)
        call.out << line << "\n";
    return report.findings.empty() ? kExitOk : kExitFindings;
}

int runCheck(const Invocation& call) {
    SplitArgs split;
    try {
        split = splitArgs(call.args, {}, {"--loop"});
    } catch (const UsageError& e) {
        return usageFailure(call, "check", e.what());
    }
    if (split.operands.size() != 1)
        return usageFailure(call, "check", "expects [--loop] IN.zelk");
    const bool loop = !split.options.empty();
    const std::string& in = split.operands[0];
    try {
        PrivateFolder tmp;
        if (const auto path = inputPath(in, tmp); isMidiFile(path))
            return checkMidiFile(call, path, in, loop, tmp);
        const auto song = loadIntoFreshSong(inputPath(in, tmp), tmp.folder());
        if (loop)
            return printLoopCheck(call.out, *song, tmp);
        printSummary(call.out, *song, tmp.folder());
        return kExitOk;
    } catch (const std::exception& e) { // a refused file, no memory, no temporary folder
        reportFailure(call, inputName(in), e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kCheckCommand;
const ToolCommand kCheckCommand = {"check", "[--loop] IN.zelk|IN.mid",
                                   "checks a project or MIDI file (- reads standard input) and "
                                   "prints a summary of it, or of its loop",
                                   kArgsCheckedByCommand, &runCheck};

} // namespace zelk::tool
