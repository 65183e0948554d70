/* A stand-in engine for the loader's tests: reports what the loader handed it into the file
   named by VELK_PROBE_REPORT, and leaves in the work folder what a real run leaves there (nested
   folders, read-only, hidden and dot-named files) for the loader to delete. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "setup/EngineEntry.h"

static BOOL FolderExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static void Leave(const char* folder, const char* name, DWORD attributes) {
    char path[MAX_PATH];
    HANDLE file;
    snprintf(path, sizeof path, "%s%s", folder, name);
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    CloseHandle(file);
    SetFileAttributesA(path, attributes);
}

int32_t __stdcall RunSetup(const TEngineStart* start) {
    char path[MAX_PATH], self[MAX_PATH];
    const char* report = getenv("VELK_PROBE_REPORT");
    FILE* out = report ? fopen(report, "w") : NULL;
    if (out) {
        GetModuleFileNameA(GetModuleHandleA("engine.dll"), self, MAX_PATH);
        snprintf(path, sizeof path, "%sengine.cab", start->WorkFolder);
        fprintf(out, "size=%u\nsetup=%s\ncommand=%s\nwork=%s\nscratch=%s\n", start->Size,
                start->SetupPath, start->CommandLine, start->WorkFolder, start->ScratchFolder);
        fprintf(out, "loader=%d\nfolders=%d%d\nself=%s\ncabinet left=%d\n",
                start->LoaderModule == (void*)GetModuleHandleA(NULL),
                FolderExists(start->WorkFolder), FolderExists(start->ScratchFolder), self,
                GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES);
        fclose(out);
    }
    snprintf(self, sizeof self, "%spkg", start->WorkFolder);
    CreateDirectoryA(self, NULL);
    snprintf(path, sizeof path, "%spkg\\lng\\", start->WorkFolder);
    CreateDirectoryA(path, NULL);
    Leave(path, "Enu.lng", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    Leave(start->WorkFolder, ".keep", FILE_ATTRIBUTE_READONLY);
    Leave(start->ScratchFolder, "font.ttf", FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(self, FILE_ATTRIBUTE_READONLY);
    return 0;
}
