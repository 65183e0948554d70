#include "setup/loader/SystemLibrary.h"

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
