#include "uninstall/win/SelfRemoval.h"

#include "platform/epFileUtils.h"
#include "platform/epReplaceOnRestart.h"
#include "platform/epUtils.h"
#include "platform/win/WindowsSupport.h"
#include "uninstall/LogPaths.h"

namespace velk {
namespace {

// A new empty folder below the temporary folder; empty when none can be made.
std::string MakePrivateFolder() {
    char name[MAX_PATH];
    if (::GetTempFileNameA(GetTempFolder().c_str(), "vku", 0, name) == 0)
        return {};
    ::DeleteFileA(name);
    return ::CreateDirectoryA(name, nullptr) ? std::string(name) : std::string();
}

bool StartCopy(const std::string& program, const std::vector<std::string>& folders) {
    const std::string folder = MakePrivateFolder();
    if (folder.empty())
        return false;
    const std::string copy = folder + "\\" + ExtractFileName(program);
    HANDLE self = nullptr;
    if (!::CopyFileA(program.c_str(), copy.c_str(), FALSE) ||
        !::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                           &self, SYNCHRONIZE, TRUE, 0)) {
        ::DeleteFileA(copy.c_str());
        ::RemoveDirectoryA(folder.c_str());
        return false;
    }
    std::vector<std::string> paths{program};
    paths.insert(paths.end(), folders.begin(), folders.end());
    std::string commandLine =
        CleanupCommandLine(copy, uint32_t(reinterpret_cast<uintptr_t>(self)), paths);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Started in its own folder, so that it holds no folder it is to remove as its current one.
    const bool started = ::CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0,
                                          nullptr, folder.c_str(), &startup, &process) != FALSE;
    ::CloseHandle(self);
    if (!started) {
        ::DeleteFileA(copy.c_str());
        ::RemoveDirectoryA(folder.c_str());
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

// The image of a program that has just ended can stay locked for a moment.
bool DeleteWhenReleased(const std::string& program) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!FileExists(program) || DeleteFileForced(program))
            return true;
        ::Sleep(100);
    }
    return false;
}

} // namespace

bool StartSelfRemoval(const std::string& program, const std::vector<std::string>& folders) {
    if (StartCopy(program, folders))
        return true;
    ReplaceFileOnRestart(program, "");
    return false;
}

int RunSelfRemoval(const TUninstallArgs& args) {
    // Only the process that started this run hands over a handle that can be waited for: without
    // one nothing is deleted.
    HANDLE parent = reinterpret_cast<HANDLE>(uintptr_t(args.WaitHandle));
    if (::WaitForSingleObject(parent, INFINITE) != WAIT_OBJECT_0)
        return 1;
    ::CloseHandle(parent);
    const std::string& program = args.CleanupPaths.front();
    if (IsSafeLogPath(program) && !DeleteWhenReleased(program))
        ReplaceFileOnRestart(program, "");
    for (size_t i = 1; i < args.CleanupPaths.size(); ++i)
        if (IsSafeLogPath(args.CleanupPaths[i]))
            ::RemoveDirectoryA(args.CleanupPaths[i].c_str());

    char self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        ReplaceFileOnRestart(self, "");
        const std::string folder = ExcludeTrailingBackslash(ExtractFilePath(self));
        ::MoveFileExA(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return 0;
}

} // namespace velk
