#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/velkpack/Commands.h"

namespace velk {
namespace {

const TCommand kCommands[] = {
    {"xml", "parse an XML file and print its tree as JSON", RunXml},
    {"db", "load an install database and print what the engine understood", RunDb},
    {"plan", "show the feature, install type and component selection of a database", RunPlan},
    {"eval", "evaluate a condition expression as setup.exe would", RunEval},
    {"build", "turn a package source folder into a package", RunBuild},
    {"list", "show a package's trailer and cabinet entries", RunList},
    {"extract", "extract a package's cabinet into a folder", RunExtract},
    {"decipher", "decipher an install database (.pdb) and print its XML", RunDecipher},
};

void PrintUsage(FILE* out) {
    std::fprintf(out, "Usage: velkpack COMMAND [OPTIONS] [ARGS]\n\nCommands:\n");
    for (const TCommand& command : kCommands)
        std::fprintf(out, "  %-10s %s\n", command.Name, command.Summary);
    std::fprintf(out, "\nRun \"velkpack COMMAND --help\" for the options of a command.\n");
}

const TCommand* FindCommand(const std::string& name) {
    for (const TCommand& command : kCommands) {
        if (name == command.Name)
            return &command;
    }
    return nullptr;
}

} // namespace

int UsageError(const char* command, const std::string& message) {
    std::fprintf(stderr, "velkpack %s: %s\nRun \"velkpack %s --help\" for its usage.\n", command,
                 message.c_str(), command);
    return kExitUsage;
}

} // namespace velk

int main(int argc, char** argv) {
    using namespace velk;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(stdout);
        return kExitOk;
    }
    const TCommand* command = FindCommand(args[0]);
    if (command == nullptr) {
        std::fprintf(stderr,
                     "velkpack: unknown command \"%s\"\nRun \"velkpack --help\" for the list.\n",
                     args[0].c_str());
        return kExitUsage;
    }
    try {
        return command->Run(std::vector<std::string>(args.begin() + 1, args.end()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velkpack %s: %s\n", command->Name, e.what());
        return kExitFailed;
    }
}
