#include "platform/win/WindowsSupport.h"
#include "setup/CommandLine.h"
#include "setup/SetupRun.h"

namespace {

// A setup program is run from download folders: a DLL planted beside it must never be loaded
// in place of a system one. Both calls are missing on old systems, hence the lookup by name.
void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel)
        return;
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    using SetDllDirectoryFn = BOOL(WINAPI*)(LPCSTR);
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault)
        setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    auto setDllDirectory = reinterpret_cast<SetDllDirectoryFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory)
        setDllDirectory("");
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();

    velk::TRunState state;
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    state.SetupPath = path;
    std::vector<std::string> args = velk::SplitCommandLine(GetCommandLineA());
    if (!args.empty())
        args.erase(args.begin());
    state.Arguments = std::move(args);

    velk::TSetupRun(state).Run();
    // The exit code is 0 whatever happened: the outcome is reported in message boxes.
    return 0;
}
