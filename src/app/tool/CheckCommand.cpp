#include "Tool.h"

#include "TerminalText.h"
#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/Song.h"

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

int runCheck(const Invocation& call) {
    const std::string& in = call.args[0];
    try {
        PrivateFolder tmp;
        const auto song = loadIntoFreshSong(inputPath(in, tmp), tmp.folder());
        printSummary(call.out, *song, tmp.folder());
        return kExitOk;
    } catch (const std::exception& e) { // a refused file, no memory, no temporary folder
        reportFailure(call, inputName(in), e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kCheckCommand;
const ToolCommand kCheckCommand = {"check", "IN.zelk",
                                   "checks a project file (- reads standard input) and prints a "
                                   "summary of it",
                                   1, &runCheck};

} // namespace zelk::tool
