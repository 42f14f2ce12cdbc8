#include "Tool.h"

#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"
#include "storage/ProjectFileError.h"

#include <ostream>

namespace zelk::tool {
namespace {

// Loading into a fresh song and saving again writes the current layout, so a file of the
// older layout comes out upgraded.
int runResave(const Invocation& call) {
    const std::string& in = call.args[0];
    const std::string& out = call.args[1];
    try {
        PrivateFolder tmp;
        std::unique_ptr<Song> song;
        try {
            song = loadIntoFreshSong(in, tmp.folder());
        } catch (const ProjectFileError& e) {
            reportFailure(call, in, e.what());
            return kExitFailed;
        }
        song->FilePath = out;
        SaveProject(*song, tmp.folder(), GzipCompressor());
        return kExitOk;
    } catch (const std::runtime_error& e) {
        reportFailure(call, out, e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kResaveCommand;
const ToolCommand kResaveCommand = {"resave", "IN.zelk OUT.zelk",
                                    "loads a project and saves it again in the current layout", 2,
                                    &runResave};

} // namespace zelk::tool
