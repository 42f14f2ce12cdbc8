// zelk-tool: project files for people and build pipelines, on the same core as the
// window program. Commands are listed in CommandTable.cpp.

#include "Tool.h"

#include <exception>
#include <iostream>
#include <string>
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
    if (asksForHelp(call.args)) {
        printCommandUsage(std::cout, *command);
        return kExitOk;
    }
    try {
        if (command->argCount != kArgsCheckedByCommand) {
            call.args = splitArgs(call.args, {}).operands;
            if (call.args.size() != command->argCount)
                throw UsageError("expects " + std::string(command->arguments));
        }
    } catch (const UsageError& e) {
        std::cerr << "zelk-tool " << command->name << ": " << e.what() << "\n\n";
        printUsage(std::cerr);
        return kExitUsage;
    }
    try {
        return command->run(call);
    } catch (const std::exception& e) { // commands report their own; this is the last guard
        std::cerr << "zelk-tool " << command->name << ": " << e.what() << "\n";
        return kExitFailed;
    }
}
