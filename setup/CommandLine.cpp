#include "setup/CommandLine.h"

#include "platform/StrUtils.h"

namespace velk {

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = commandLine.size();
    while (true) {
        while (i < n && static_cast<unsigned char>(commandLine[i]) <= ' ')
            ++i;
        if (i >= n)
            break;
        std::string arg;
        bool quoted = false;
        for (; i < n; ++i) {
            char c = commandLine[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && static_cast<unsigned char>(c) <= ' ')
                break;
            else
                arg += c;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

bool HasSwitch(const std::vector<std::string>& args, std::string_view name) {
    for (const std::string& arg : args) {
        if (arg.size() > 1 && (arg[0] == '-' || arg[0] == '/') &&
            SameText(std::string_view(arg).substr(1), name))
            return true;
    }
    return false;
}

} // namespace velk
