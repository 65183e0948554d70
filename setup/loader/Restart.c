#include "setup/loader/Restart.h"

#include "setup/loader/SystemLibrary.h"

typedef BOOL(WINAPI* TOpenProcessToken)(HANDLE, DWORD, PHANDLE);
typedef BOOL(WINAPI* TLookupPrivilegeValue)(LPCSTR, LPCSTR, PLUID);
typedef BOOL(WINAPI* TAdjustTokenPrivileges)(HANDLE, BOOL, PTOKEN_PRIVILEGES, DWORD,
                                             PTOKEN_PRIVILEGES, PDWORD);
typedef BOOL(WINAPI* TExitWindowsEx)(UINT, DWORD);

/* FALSE only when the privilege exists but cannot be enabled; a token or privilege that
   cannot be looked up leaves the decision to the exit request itself. */
static BOOL EnableShutdownPrivilege(void) {
    TOpenProcessToken openToken =
        (TOpenProcessToken)(void*)SystemFunction("advapi32.dll", "OpenProcessToken");
    TLookupPrivilegeValue lookUp =
        (TLookupPrivilegeValue)(void*)SystemFunction("advapi32.dll", "LookupPrivilegeValueA");
    TAdjustTokenPrivileges adjust =
        (TAdjustTokenPrivileges)(void*)SystemFunction("advapi32.dll", "AdjustTokenPrivileges");
    HANDLE token;
    TOKEN_PRIVILEGES privileges;
    BOOL enabled;
    if (!openToken || !lookUp || !adjust ||
        !openToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return TRUE;
    if (!lookUp(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        CloseHandle(token);
        return TRUE;
    }
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    enabled = adjust(token, FALSE, &privileges, 0, NULL, NULL) && GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    return enabled;
}

BOOL RestartWindows(void) {
    BOOL nt = (GetVersion() & 0x80000000u) == 0;
    TExitWindowsEx exitWindows =
        (TExitWindowsEx)(void*)SystemFunction("user32.dll", "ExitWindowsEx");
    if (!exitWindows || (nt && !EnableShutdownPrivilege()))
        return FALSE;
    return exitWindows(EWX_REBOOT, 0);
}
