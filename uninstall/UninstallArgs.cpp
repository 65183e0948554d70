#include "uninstall/UninstallArgs.h"

#include "platform/StrUtils.h"

namespace velk {

namespace {
constexpr std::string_view kCleanup = "cleanup:";
}

bool ParseUninstallArgs(const std::vector<std::string>& args, TUninstallArgs& parsed) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) {
            if (parsed.Cleanup)
                parsed.CleanupPaths.push_back(arg);
            else
                parsed.LogPath += (parsed.LogPath.empty() ? "" : " ") + arg;
            continue;
        }
        const std::string_view name = std::string_view(arg).substr(1);
        int32_t handle = 0;
        if (SameText(name, "s")) {
            parsed.Silent = true;
        } else if (name.size() > kCleanup.size() &&
                   SameText(name.substr(0, kCleanup.size()), kCleanup) &&
                   TryStrToInt(name.substr(kCleanup.size()), handle)) {
            parsed.Cleanup = true;
            parsed.WaitHandle = uint32_t(handle);
        } else {
            return false;
        }
    }
    return !parsed.Cleanup || !parsed.CleanupPaths.empty();
}

std::string CleanupCommandLine(const std::string& program, uint32_t waitHandle,
                               const std::vector<std::string>& paths) {
    std::string line = "\"" + program + "\" /" + std::string(kCleanup) + IntToStr(waitHandle);
    for (const std::string& path : paths)
        line += " \"" + path + "\"";
    return line;
}

} // namespace velk
