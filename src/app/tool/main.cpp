// zelk-tool: project files for people and build pipelines, on the same core as the
// window program. Commands are listed in CommandTable.cpp.

#include "Tool.h"

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    using namespace zelk::tool;
    if (argc < 2) {
        printUsage(std::cerr);
        return kExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(std::cout);
        return kExitOk;
    }
    const ToolCommand* command = findCommand(name);
    if (!command) {
        std::cerr << "zelk-tool: unknown command '" << name << "'\n\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    Invocation call{{argv + 2, argv + argc}, std::cout, std::cerr};
    if (command->argCount != kArgsCheckedByCommand && call.args.size() != command->argCount) {
        std::cerr << "zelk-tool " << command->name << ": expects " << command->arguments << "\n\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    return command->run(call);
}
