#include "setup/loader/EngineLibrary.h"

#include "setup/EngineEntry.h"
#include "unpack/UnpackApi.h"

#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR_ 0x00000100
#define LOAD_LIBRARY_SEARCH_SYSTEM32_ 0x00000800

static BOOL WriteAll(HANDLE file, const void* bytes, DWORD size) {
    DWORD written = 0;
    return WriteFile(file, bytes, size, &written, NULL) && written == size;
}

/* The resource's bytes, or NULL when the program has none of that name. */
static const void* FindRawData(const char* name, DWORD* size) {
    HRSRC resource = FindResourceA(NULL, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    HGLOBAL loaded = resource ? LoadResource(NULL, resource) : NULL;
    *size = resource ? SizeofResource(NULL, resource) : 0;
    return loaded && *size ? LockResource(loaded) : NULL;
}

/* Writes a resource, preceded by `head` when given. */
static BOOL WriteResource(const char* name, const char* path, const char* head, DWORD headSize) {
    DWORD size;
    const void* bytes = FindRawData(name, &size);
    HANDLE file;
    BOOL complete;
    if (!bytes)
        return FALSE;
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    complete = (!head || WriteAll(file, head, headSize)) && WriteAll(file, bytes, size);
    return CloseHandle(file) && complete;
}

BOOL SaveResource(const char* name, const char* path) {
    return WriteResource(name, path, NULL, 0);
}

HMODULE LoadPrivateLibrary(const char* path) {
    /* Where the system can restrict the search to the library's folder and the system folder, it
       does; elsewhere the altered search path starts at the library's folder instead of ours. */
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    HMODULE library = NULL;
    if (kernel && GetProcAddress(kernel, "SetDefaultDllDirectories"))
        library = LoadLibraryExA(path, NULL,
                                 LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR_ | LOAD_LIBRARY_SEARCH_SYSTEM32_);
    if (!library)
        library = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    return library;
}

static struct {
    const char* Folder;
    BOOL Written;
} Unpacking;

/* Takes the engine and nothing else out of the cabinet. */
static int32_t __stdcall OnUnpack(int32_t type, void* record) {
    if (type == UNPACK_BEFORE_FILE) {
        TUnpackFileRecord* file = (TUnpackFileRecord*)record;
        if (lstrcmpiA(file->Name, VELK_ENGINE_FILE) != 0)
            return UNPACK_SKIP;
        if (lstrlenA(Unpacking.Folder) + lstrlenA(VELK_ENGINE_FILE) >= UNPACK_PATH_CAPACITY)
            return UNPACK_STOP;
        lstrcpyA(file->Destination, Unpacking.Folder);
        lstrcatA(file->Destination, VELK_ENGINE_FILE);
        return UNPACK_EXTRACT;
    }
    if (type == UNPACK_AFTER_FILE)
        Unpacking.Written = TRUE;
    return type == UNPACK_NEXT_CABINET ? UNPACK_STOP : UNPACK_EXTRACT;
}

TEngineUnpacking UnpackEngine(HMODULE unpack, const char* folder) {
    char cabinet[MAX_PATH], signature[4];
    TUnpackOpen open = (TUnpackOpen)(void*)GetProcAddress(unpack, "Open");
    TUnpackEnumerate enumerate = (TUnpackEnumerate)(void*)GetProcAddress(unpack, "Enumerate");
    TUnpackClose close = (TUnpackClose)(void*)GetProcAddress(unpack, "Close");
    BOOL unpacked;
    if (!FindResourceA(NULL, "ENGINE", MAKEINTRESOURCEA(10) /* RT_RCDATA */))
        return ENGINE_MISSING;
    if (!open || !enumerate || !close || lstrlenA(folder) + 12 >= MAX_PATH)
        return ENGINE_DAMAGED;
    lstrcpyA(cabinet, folder);
    lstrcatA(cabinet, "engine.cab");
    /* The cabinet travels without its signature (see the build), made here so that the program
       holds no complete one. */
    signature[0] = 'M';
    signature[1] = 'S';
    signature[2] = 'C';
    signature[3] = 'F';
    if (!WriteResource("ENGINE", cabinet, signature, sizeof signature)) {
        DeleteFileA(cabinet);
        return ENGINE_DAMAGED;
    }
    Unpacking.Folder = folder;
    Unpacking.Written = FALSE;
    unpacked = open(cabinet) && enumerate(OnUnpack, NULL) && Unpacking.Written;
    close();
    DeleteFileA(cabinet);
    return unpacked ? ENGINE_UNPACKED : ENGINE_DAMAGED;
}
