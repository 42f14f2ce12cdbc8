#include "Tool.h"

#include <array>
#include <ostream>

// Every command of the tool, in --help order. A new command defines
// `const ToolCommand kXxxCommand` in its own file and adds its name here.
#define ZELK_TOOL_COMMANDS(X)                                                                      \
    X(kCheckCommand)                                                                               \
    X(kResaveCommand)                                                                              \
    X(kExportMidiCommand)                                                                          \
    X(kImportMidiCommand)                                                                          \
    X(kRenderCommand)

namespace zelk::tool {

#define ZELK_DECLARE_COMMAND(c) extern const ToolCommand c;
ZELK_TOOL_COMMANDS(ZELK_DECLARE_COMMAND)
#undef ZELK_DECLARE_COMMAND

namespace {
#define ZELK_COMMAND_ROW(c) &c,
const ToolCommand* const kCommands[] = {ZELK_TOOL_COMMANDS(ZELK_COMMAND_ROW)};
#undef ZELK_COMMAND_ROW
} // namespace

std::span<const ToolCommand* const> toolCommands() {
    return kCommands;
}

const ToolCommand* findCommand(std::string_view name) {
    for (const ToolCommand* c : kCommands)
        if (c->name == name)
            return c;
    return nullptr;
}

void printCommandUsage(std::ostream& os, const ToolCommand& c) {
    os << "usage: zelk-tool " << c.name << " " << c.arguments << "\n  " << c.description
       << "\n\nA file named - is standard input (IN) or standard output (OUT); -- ends the\n"
          "options. zelk-tool --help lists every command.\n";
}

bool asksForHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

void printUsage(std::ostream& os) {
    os << "zelk-tool - works on zelk project files (*.zelk) and Standard MIDI Files without the "
          "window\n\n"
          "usage:\n";
    // The command line on one line, what it does indented below: arguments can be long.
    for (const ToolCommand* c : kCommands)
        os << "  zelk-tool " << c->name << " " << c->arguments << "\n      " << c->description
           << "\n";
    os << "  zelk-tool --help\n      shows this text\n\n"
          "A file named - is standard input (IN) or standard output (OUT); -- ends the\n"
          "options, so that names beginning with - can follow.\n\n"
          "check --loop: checks the exported file as a game loops it: notes sounding across\n"
          "  the loop start or end, controllers, programs and tempo left otherwise at the\n"
          "  end than at the start, a loop point without a loop, and a file that ends off\n"
          "  the loop's last bar line.\n"
          "  A MIDI file (IN.mid) is checked from its own events, its loop from the first\n"
          "  controller 111 to the end of the file, where older game tools wrap.\n"
          "render IN.mid: renders a MIDI file from its own events, with that same loop.\n"
          "import-midi: notes are quantized to the grid, keys spelled onto rows, controllers\n"
          "  1, 10, 11, 64 and pitch bend become lanes; our own exports come back exactly.\n"
          "export-midi --loop-to-bar: with a loop point, ends the conductor track on the bar\n"
          "  line that ends the last note's measure, so that players that wrap at the end of\n"
          "  the file loop whole measures.\n\n"
          "exit codes:\n"
          "  0  success\n"
          "  1  the input is not a valid project or MIDI file or cannot be read, or the output\n"
          "     cannot be written (nothing is written then); one line on stderr names the file\n"
          "     and why\n"
          "  2  wrong usage; this text goes to stderr\n"
          "  3  check --loop found what makes the loop sound wrong; one line each on stdout\n";
}

} // namespace zelk::tool
