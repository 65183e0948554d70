// What any program that imports the engine's system libraries pays before its first instruction
// under Wine: the yardstick for what setup.exe's loader adds. Prints the microseconds from the
// process's creation to main.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <winver.h>

#include <cstdio>

int main() {
    FILETIME creation, exit, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG from = ULONGLONG(creation.dwHighDateTime) << 32 | creation.dwLowDateTime;
    const ULONGLONG to = ULONGLONG(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    std::printf("%lu\n", static_cast<unsigned long>((to - from) / 10));
    // Never called: the references keep every import the engine has.
    if (GetCurrentProcessId() == 0) {
        InitCommonControls();
        CoInitialize(nullptr);
        ShellExecuteA(nullptr, nullptr, "", nullptr, nullptr, 0);
        GetFileVersionInfoSizeA("", nullptr);
        RegCloseKey(nullptr);
        DeleteObject(nullptr);
        MessageBeep(0);
    }
    return 0;
}
