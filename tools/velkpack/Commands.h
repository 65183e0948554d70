#pragma once

#include <string>
#include <vector>

namespace velk {

// Exit codes of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1; // the input is wrong (for example an XML syntax error)
constexpr int kExitUsage = 2;  // bad command line, or a file that cannot be read

// A command receives the arguments after its name and returns the exit code.
using TCommandFunc = int (*)(const std::vector<std::string>& args);

struct TCommand {
    const char* Name;
    const char* Summary;
    TCommandFunc Run;
};

// One entry point per command, each in its own Cmd*.cpp; main.cpp lists them in its table.
int RunXml(const std::vector<std::string>& args);
int RunDb(const std::vector<std::string>& args);
int RunPlan(const std::vector<std::string>& args);
int RunEval(const std::vector<std::string>& args);
int RunBuild(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunExtract(const std::vector<std::string>& args);
int RunDecipher(const std::vector<std::string>& args);

// Reports a command-line mistake of command on stderr with a hint to its help; returns kExitUsage.
int UsageError(const char* command, const std::string& message);

} // namespace velk
