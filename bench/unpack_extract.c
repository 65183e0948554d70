/* unpack_extract DLL CABINET FOLDER: extracts every file of the cabinet below FOLDER (ending in a
   backslash) through unpack.dll and prints the seconds that Open, Enumerate and Close took. */

#include <windows.h>

#include <stdio.h>

#include "unpack/UnpackApi.h"

static const char* Folder;
static BOOL TooLong;

static void CreateParents(char* path) {
    char* p;
    for (p = path + lstrlenA(Folder); *p; p++) {
        if (*p == '\\') {
            *p = 0;
            CreateDirectoryA(path, NULL);
            *p = '\\';
        }
    }
}

static int32_t __stdcall Notify(int32_t type, void* record) {
    TUnpackFileRecord* file = record;
    if (type == UNPACK_NEXT_CABINET)
        return UNPACK_STOP;
    if (type != UNPACK_BEFORE_FILE)
        return 0;
    if (lstrlenA(Folder) + lstrlenA(file->Name) >= UNPACK_PATH_CAPACITY) {
        TooLong = TRUE;
        return UNPACK_STOP;
    }
    lstrcpyA(file->Destination, Folder);
    lstrcatA(file->Destination, file->Name);
    CreateParents(file->Destination);
    return UNPACK_EXTRACT;
}

static void __stdcall Filter(void* buffer, int32_t count) {
    (void)buffer;
    (void)count;
}

int main(int argc, char** argv) {
    HMODULE module;
    TUnpackOpen open;
    TUnpackEnumerate enumerate;
    TUnpackClose close;
    LARGE_INTEGER frequency, start, end;
    int32_t result;
    if (argc != 4) {
        fprintf(stderr, "usage: unpack_extract DLL CABINET FOLDER\n");
        return 2;
    }
    Folder = argv[3];
    module = LoadLibraryA(argv[1]);
    if (!module) {
        fprintf(stderr, "cannot load %s\n", argv[1]);
        return 2;
    }
    open = (TUnpackOpen)(void*)GetProcAddress(module, "Open");
    enumerate = (TUnpackEnumerate)(void*)GetProcAddress(module, "Enumerate");
    close = (TUnpackClose)(void*)GetProcAddress(module, "Close");
    if (!open || !enumerate || !close) {
        fprintf(stderr, "%s lacks its exports\n", argv[1]);
        return 2;
    }
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    open(argv[2]);
    result = enumerate(Notify, Filter);
    close();
    QueryPerformanceCounter(&end);
    if (!result || TooLong) {
        fprintf(stderr, "extraction failed\n");
        return 1;
    }
    printf("%.3f\n", (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart);
    return 0;
}
