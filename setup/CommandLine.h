#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velk {

// Splits a command line by the usual rules: blanks separate arguments, double quotes group
// blanks into one argument and are removed.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// A switch is an argument that begins with "-" or "/" and is longer than one character; its
// name (compared without regard to case) is the rest of the argument.
bool HasSwitch(const std::vector<std::string>& args, std::string_view name);

} // namespace velk
