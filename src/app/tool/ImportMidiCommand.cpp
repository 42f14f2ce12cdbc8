#include "Tool.h"

#include "MidiInput.h"
#include "platform/GzipCompressor.h"
#include "storage/Project.h"

#include <ostream>

namespace zelk::tool {
namespace {

// The report goes where the project does not: stdout, or stderr when the project goes to
// stdout.
void printReport(const Invocation& call, const std::string& out, const ImportReport& report) {
    std::ostream& to = out == "-" ? call.err : call.out;
    for (const std::string& line : report.englishLines())
        to << line << "\n";
}

int runImportMidi(const Invocation& call) {
    SplitArgs split;
    try {
        split = splitArgs(call.args, {}, {"--report"});
    } catch (const UsageError& e) {
        return usageFailure(call, "import-midi", e.what());
    }
    if (split.operands.size() != 2)
        return usageFailure(call, "import-midi", "expects [--report] IN.mid OUT.zelk");
    const std::string& in = split.operands[0];
    const std::string& out = split.operands[1];
    std::unique_ptr<PrivateFolder> tmp;
    MidiImport imported;
    try {
        tmp = std::make_unique<PrivateFolder>();
        imported = importMidiForTool(inputPath(in, *tmp), in);
    } catch (const std::exception& e) {
        reportFailure(call, inputName(in), e.what());
        return kExitFailed;
    }
    try {
        writeProjectFile(outputPath(out, *tmp), imported.image.text, GzipCompressor());
        deliverOutput(out, *tmp, call.out);
    } catch (const std::exception& e) {
        reportFailure(call, outputName(out), e.what());
        return kExitFailed;
    }
    if (!split.options.empty())
        printReport(call, out, imported.report);
    return kExitOk;
}

} // namespace

extern const ToolCommand kImportMidiCommand;
const ToolCommand kImportMidiCommand = {
    "import-midi", "[--report] IN.mid OUT.zelk",
    "makes a project of a Standard MIDI File (- is standard input or output); --report lists "
    "what had to change to fit the grid",
    kArgsCheckedByCommand, &runImportMidi};

} // namespace zelk::tool
