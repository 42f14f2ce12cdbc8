#include "Tool.h"

#include "model/Song.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"

#include <ostream>

namespace zelk::tool {
namespace {

// Loading into a fresh song and saving again writes the current layout, so a file of the
// older layout comes out upgraded.
int runResave(const Invocation& call) {
    const std::string& in = call.args[0];
    const std::string& out = call.args[1];
    std::unique_ptr<PrivateFolder> tmp;
    std::unique_ptr<Song> song;
    try {
        tmp = std::make_unique<PrivateFolder>();
        song = loadIntoFreshSong(inputPath(in, *tmp), tmp->folder());
    } catch (const std::exception& e) {
        reportFailure(call, inputName(in), e.what());
        return kExitFailed;
    }
    try {
        song->FilePath = outputPath(out, *tmp).string();
        SaveProject(*song, tmp->folder(), GzipCompressor());
        deliverOutput(out, *tmp, call.out);
        return kExitOk;
    } catch (const std::exception& e) {
        reportFailure(call, outputName(out), e.what());
        return kExitFailed;
    }
}

} // namespace

extern const ToolCommand kResaveCommand;
const ToolCommand kResaveCommand = {"resave", "IN.zelk OUT.zelk",
                                    "loads a project and saves it again in the current layout "
                                    "(- is standard input or output)",
                                    2, &runResave};

} // namespace zelk::tool
