/* Loads the library named on its command line by its bare name with the system's default search,
   which starts in this program's folder: it shows whether a library planted there would be
   taken. Without a C runtime, so that planting one does not stop it. */
#include <windows.h>

void ControlEntry(void) {
    const char* arguments = GetCommandLineA();
    BOOL quoted = FALSE;
    while (*arguments && (quoted || *arguments != ' ')) {
        quoted ^= *arguments == '"';
        arguments++;
    }
    while (*arguments == ' ')
        arguments++;
    ExitProcess(LoadLibraryA(arguments) ? 0 : 1);
}
