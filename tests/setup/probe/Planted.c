/* A library planted beside setup.exe under the name of a system library: when loaded it leaves a
   marker named after itself in the folder VELK_PLANT_MARKERS, then refuses to load. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    char self[MAX_PATH], marker[MAX_PATH * 2];
    const char* name;
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    if (!GetModuleFileNameA(instance, self, MAX_PATH) ||
        !GetEnvironmentVariableA("VELK_PLANT_MARKERS", marker, MAX_PATH))
        return FALSE;
    name = self + lstrlenA(self);
    while (name > self && name[-1] != '\\' && name[-1] != '/')
        name--;
    lstrcatA(marker, "\\");
    lstrcatA(marker, name);
    CloseHandle(CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return FALSE;
}
