#include "setup/loader/SystemLibrary.h"

void RestrictDllSearch(void) {
    typedef BOOL(WINAPI * TSetDefaultDllDirectories)(DWORD);
    typedef BOOL(WINAPI * TSetDllDirectory)(LPCSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    TSetDefaultDllDirectories setDefault;
    TSetDllDirectory setDllDirectory;
    if (!kernel)
        return;
    setDefault =
        (TSetDefaultDllDirectories)(void*)GetProcAddress(kernel, "SetDefaultDllDirectories");
    if (setDefault)
        setDefault(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
    setDllDirectory = (TSetDllDirectory)(void*)GetProcAddress(kernel, "SetDllDirectoryA");
    if (setDllDirectory)
        setDllDirectory("");
}

FARPROC SystemFunction(const char* library, const char* name) {
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE module;
    if (length == 0 || length + lstrlenA(library) + 2 > MAX_PATH)
        return NULL;
    if (path[length - 1] != '\\')
        lstrcatA(path, "\\");
    lstrcatA(path, library);
    /* Loaded for the rest of the process: the loader's few calls come at any time. */
    module = LoadLibraryA(path);
    return module ? GetProcAddress(module, name) : NULL;
}

void AppendNumber(char* text, DWORD number) {
    char digits[12];
    int count = 0;
    do {
        digits[count++] = (char)('0' + number % 10);
        number /= 10;
    } while (number);
    text += lstrlenA(text);
    while (count)
        *text++ = digits[--count];
    *text = 0;
}
