#include "Tool.h"

#include "model/Limits.h"
#include "model/PartFile.h"
#include "model/Song.h"
#include "storage/ProjectFileError.h"

#include <ostream>

namespace zelk::tool {
namespace {

// The summary: title, measures, loop point and the length of every part with notes.
void printSummary(std::ostream& out, const Song& song, const AppFolder& folder) {
    out << "title: " << song.SongTitle << "\n";
    out << "measures: " << song.MeasureCount() << "\n";
    if (song.LoopOn == 1)
        out << "loop point: measure " << song.LoopMeasure + 1 << "\n";
    else
        out << "loop point: none\n";
    for (int p = 0; p < kParts; ++p)
        if (const auto values = readPartFile(folder, p))
            out << "part " << p + 1 << ": " << values->front() << " columns\n";
}

int runCheck(const Invocation& call) {
    const std::string& in = call.args[0];
    try {
        PrivateFolder tmp;
        const auto song = loadIntoFreshSong(in, tmp.folder());
        printSummary(call.out, *song, tmp.folder());
        return kExitOk;
    } catch (const std::runtime_error& e) { // ProjectFileError, or no temporary folder
        reportFailure(call, in, e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kCheckCommand;
const ToolCommand kCheckCommand = {
    "check", "IN.zelk", "checks a project file and prints a summary of it", 1, &runCheck};

} // namespace zelk::tool
