/* setup.exe: creates the run's private folders, unpacks the engine library carried in its
   resources and runs it, then removes every trace of the run and restarts Windows when the engine
   asks for it. No C runtime: the program stays small and imports system libraries only. */

#include "setup/EngineEntry.h"
#include "setup/loader/EngineLibrary.h"
#include "setup/loader/Restart.h"
#include "setup/loader/SystemLibrary.h"
#include "setup/loader/WorkFolder.h"

static struct {
    char SetupPath[MAX_PATH];
    char WorkFolder[MAX_PATH];
    char ScratchFolder[MAX_PATH];
    char Library[MAX_PATH];
    char Message[2 * MAX_PATH];
    HMODULE Unpack; /* kept for the engine, which uses the same library */
} Run;

static void ShowError(const char* text) {
    typedef int(WINAPI * TMessageBox)(HWND, LPCSTR, LPCSTR, UINT);
    TMessageBox box = (TMessageBox)(void*)SystemFunction("user32.dll", "MessageBoxA");
    if (box)
        box(NULL, text, "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

/* The message `before` + `quoted` + `after`; `quoted` is a path. */
static const char* Message(const char* before, const char* quoted, const char* after) {
    lstrcpyA(Run.Message, before);
    lstrcatA(Run.Message, quoted);
    lstrcatA(Run.Message, after);
    return Run.Message;
}

static const char* LibraryPath(const char* name) {
    lstrcpyA(Run.Library, Run.WorkFolder);
    lstrcatA(Run.Library, name);
    return Run.Library;
}

static BOOL CreateWorkFolders(void) {
    char temp[MAX_PATH];
    GetTempFolder(temp);
    if (CreateUniqueFolder(temp, Run.WorkFolder) &&
        CreateUniqueFolder(Run.WorkFolder, Run.ScratchFolder))
        return TRUE;
    ShowError(Message("Can't create the temporary folder \"", temp, "\"!"));
    return FALSE;
}

#ifdef VELK_LOADER_TIMING
/* The timing build reports in microseconds how long the process took to reach the engine's entry,
   and the loader's steps on the way: folders and unpack library written, unpack library loaded,
   engine unpacked, engine loaded with the system libraries it needs. Then it stops. */
static LARGE_INTEGER Marks[5];
#define MARK(step) QueryPerformanceCounter(&Marks[step])

static void ReportStartupTime(void) {
    FILETIME creation, exit, kernel, user, now;
    ULARGE_INTEGER from, to;
    LARGE_INTEGER frequency, end;
    DWORD written;
    int step;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    from.LowPart = creation.dwLowDateTime;
    from.HighPart = creation.dwHighDateTime;
    to.LowPart = now.dwLowDateTime;
    to.HighPart = now.dwHighDateTime;
    Run.Message[0] = 0;
    AppendNumber(Run.Message, (DWORD)((to.QuadPart - from.QuadPart) / 10));
    for (step = 1; step < 5; step++) {
        lstrcatA(Run.Message, " ");
        AppendNumber(Run.Message, (DWORD)((Marks[step].QuadPart - Marks[step - 1].QuadPart) *
                                          1000000 / frequency.QuadPart));
    }
    lstrcatA(Run.Message, "\n");
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), Run.Message, lstrlenA(Run.Message), &written, NULL);
}
#else
#define MARK(step)
#endif

/* Unpacks the engine with the unpack library, which the engine goes on to use itself. */
static HMODULE LoadEngine(void) {
    HMODULE engine;
    TEngineUnpacking unpacked;
    /* The names leave room for the work folder within MAX_PATH. */
    if (!SaveResource("UNPACK", LibraryPath("unpack.dll"))) {
        ShowError("Can't extract UNPACK.DLL");
        return NULL;
    }
    MARK(1);
    Run.Unpack = LoadPrivateLibrary(Run.Library);
    MARK(2);
    if (!Run.Unpack) {
        ShowError("Can't load unpack library");
        return NULL;
    }
    unpacked = UnpackEngine(Run.Unpack, Run.WorkFolder);
    MARK(3);
    if (unpacked == ENGINE_MISSING) {
        ShowError("This setup program has no setup engine: the file is damaged. "
                  "Please obtain a new copy of it.");
        return NULL;
    }
    if (unpacked != ENGINE_UNPACKED) {
        ShowError("Can't extract the setup engine: this setup program is damaged. "
                  "Please obtain a new copy of it.");
        return NULL;
    }
    engine = LoadPrivateLibrary(LibraryPath(VELK_ENGINE_FILE));
    MARK(4);
    if (!engine) {
        DWORD error = GetLastError();
        Message("Can't load the setup engine \"", Run.Library, "\" (error ");
        AppendNumber(Run.Message, error);
        lstrcatA(Run.Message, ").");
        ShowError(Run.Message);
    }
    return engine;
}

/* The engine's answer: whether Windows is to be restarted. */
static BOOL RunEngine(HMODULE engine) {
    TEngineStart start;
    TEngineRun run = (TEngineRun)(void*)GetProcAddress(engine, VELK_ENGINE_EXPORT);
    if (!run) {
        ShowError("The setup engine of this program cannot be started: it has no entry "
                  "\"" VELK_ENGINE_EXPORT "\". Please obtain a new copy of the program.");
        return FALSE;
    }
#ifdef VELK_LOADER_TIMING
    ReportStartupTime();
    return FALSE;
#endif
    start.Size = sizeof start;
    start.SetupPath = Run.SetupPath;
    start.CommandLine = GetCommandLineA();
    start.WorkFolder = Run.WorkFolder;
    start.ScratchFolder = Run.ScratchFolder;
    start.LoaderModule = GetModuleHandleA(NULL);
    return run(&start) != 0;
}

void LoaderEntry(void) {
    BOOL restart = FALSE;
    HMODULE engine;
    MARK(0);
    RestrictDllSearch();
    GetModuleFileNameA(NULL, Run.SetupPath, MAX_PATH - 1);
    if (CreateWorkFolders()) {
        engine = LoadEngine();
        if (engine) {
            restart = RunEngine(engine);
            FreeLibrary(engine);
        }
        if (Run.Unpack)
            FreeLibrary(Run.Unpack);
    }
    if (Run.WorkFolder[0])
        DeleteTree(Run.WorkFolder);
    if (restart)
        RestartWindows();
    /* The exit code is 0 whatever happened: the outcome is reported in message boxes. */
    ExitProcess(0);
}
