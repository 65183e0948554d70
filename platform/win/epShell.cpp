#include "platform/epShell.h"

#include "platform/epFileUtils.h"
#include "platform/win/ScopedHandle.h"
#include "platform/win/epShellApi.h"

namespace velk {

TShellApi ShellApi;

namespace {

struct TProcessTraits {
    using Type = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE handle) { ShellApi.CloseHandle(handle); }
};
using TProcessHandle = TScoped<TProcessTraits>;

struct TItemListTraits {
    using Type = LPITEMIDLIST;
    static LPITEMIDLIST Invalid() { return nullptr; }
    static void Close(LPITEMIDLIST list) { ShellApi.CoTaskMemFree(list); }
};

HANDLE StartProcess(const std::string& fileName, const std::string& params, int32_t showCmd,
                    const std::string& folder) {
    std::string commandLine = DirectRunCommandLine(fileName, params);
    std::string startFolder = RunStartFolder(folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCmd);
    PROCESS_INFORMATION process = {};
    if (!ShellApi.CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 startFolder.empty() ? nullptr : startFolder.c_str(), &startup,
                                 &process))
        return nullptr;
    ShellApi.CloseHandle(process.hThread);
    return process.hProcess;
}

HANDLE ShellStart(TWindowHandle owner, const std::string& fileName, const std::string& params,
                  int32_t showCmd, const std::string& folder) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpFile = fileName.c_str();
    info.lpParameters = params.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = showCmd;
    if (!ShellApi.ShellExecuteExA(&info))
        return nullptr;
    return info.hProcess;
}

} // namespace

int32_t RunAndWait(TWindowHandle owner, const std::string& fileName, const std::string& params,
                   int32_t showCmd, const std::string& folder) {
    TProcessHandle process(FileExists(fileName) && IsDirectRunFile(fileName)
                               ? StartProcess(fileName, params, showCmd, folder)
                               : ShellStart(owner, fileName, params, showCmd, folder));
    if (!process.Valid())
        return -1;
    DWORD wait;
    while ((wait = ShellApi.WaitForSingleObject(process.Get(), 100)) == WAIT_TIMEOUT)
        ProcessMessages();
    DWORD exitCode;
    if (wait != WAIT_OBJECT_0 || !ShellApi.GetExitCodeProcess(process.Get(), &exitCode))
        return 0;
    return static_cast<int32_t>(exitCode);
}

std::string GetSpecialFolder(int32_t id) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(ShellApi.SHGetSpecialFolderLocation(nullptr, id, &list)))
        return {};
    TScoped<TItemListTraits> owned(list);
    char buffer[MAX_PATH];
    if (!ShellApi.SHGetPathFromIDListA(list, buffer))
        return {};
    // Some shells end a virtual folder's path with a backslash; roots keep theirs.
    std::string path = buffer;
    return path.size() > 3 ? ExcludeTrailingBackslash(path) : path;
}

std::string GetPredefinedFolder(int32_t index) {
    if (index < 0 || index >= PredefinedFolderCount)
        return {};
    const TPredefinedFolder& entry = PredefinedFolders[index];
    std::string folder = GetSpecialFolder(entry.Primary);
    if (folder.empty() && entry.Fallback != NoFallbackFolder)
        folder = GetSpecialFolder(entry.Fallback);
    return folder;
}

} // namespace velk
