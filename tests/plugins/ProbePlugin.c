/* A plug-in that records what the engine tells it and does what a script asks.

   Its ID is the base name of its DLL file ("alpha.dll" is the plug-in "alpha"), so one build
   serves as many plug-ins as a test copies. It declares the interface itself: it checks the
   engine's side rather than sharing its declarations.

   VELK_PROBE_LOG names the log file; every plug-in appends one line per event:
     ID ev NUMBER NAME data=DATA param=PARAM main=1|0
   and one line per command it sends. main is 1 on the thread that loaded the DLL.
   VELK_PROBE_SCRIPT names the script: lines "ID WHEN ACTION ARGUMENTS", ID "*" for every
   plug-in. WHEN "info" changes the information record: "engine N", "refused", "id OTHER".
   Otherwise WHEN is an event name, or NAME=TEXT for only the events of that name whose data is
   the text TEXT (events 7, 16 to 19 and the named ones), and ACTION one of
     answer N                  the event's answer
     getvar NAME | setvar NAME VALUE | parse TEXT
     features | types | languages            walk with CM_GETFEATURE and friends
     state ID | setfeature ID N | settype ID | setlang CODE
     config SECTION KEY DEFAULT | sections | keys SECTION
     abort | raw NUMBER                       a command by number, nil data
     send NAME FLAG TEXT       SendCommandByName with TEXT as data
     msgid NAME                GetMessageId
     thread NAME COUNT         a second thread sends NAME COUNT times (flag 1) while this one
                               pumps messages until it ends
     mute NAME                 count NAME events instead of logging them (logged at EV_UNLOAD)
     box TEXT                  a message box "Probe box" with TEXT, owned by no window
     folder PATH               EV_GETPACKAGE: PATH into the event's buffer, answer 1
     hold FILE MIN MAX         when the event's data lies from MIN to MAX, pump messages until
                               FILE exists (at most a minute), logging "hold data=DATA" first
     fault KIND N              from now on the Nth call of KIND made by engine.dll or unpack.dll
                               fails: "create" (CreateFileA for writing, access denied), "write"
                               (WriteFile, disk full) or "rename" (MoveFileA and MoveFileExA,
                               access denied); the hit is logged, and at EV_UNLOAD how many such
                               calls there were (N 0 only counts them) */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#pragma pack(push, 1)
typedef struct {
    uint32_t RecordVersion;
    uint32_t Reserved1;
    int32_t RequiredEngineVersion;
    char ID[261];
    char Reserved2[261];
    uint8_t Refused;
    char Reserved3[4623];
    void* EventProc;
} TInfo;

typedef struct {
    uint32_t RecordVersion;
    uint32_t EngineVersion;
    int32_t PluginId;
    char ConfigFile[261];
    int32_t(__stdcall* GetMessageId)(int32_t, const char*);
    int32_t(__stdcall* SendCommand)(int32_t, int32_t, void*, void*, int32_t);
    int32_t(__stdcall* SendCommandByName)(int32_t, const char*, void*, void*, int32_t);
} TStartup;
#pragma pack(pop)

typedef char SizeOfInfo[sizeof(TInfo) == 5162 ? 1 : -1];
typedef char SizeOfStartup[sizeof(TStartup) == 285 ? 1 : -1];

static char Id[64];
static DWORD LoaderThread;
static TStartup Host;
static char Muted[64];
static void* EventParam;
static long MutedCount;

/* From the process's environment as it stands: the C runtime's copy may be older. */
static const char* Setting(const char* name, char* value, DWORD size) {
    DWORD length = GetEnvironmentVariableA(name, value, size);
    return length > 0 && length < size ? value : NULL;
}

static void Log(const char* format, ...) {
    char buffer[MAX_PATH];
    const char* path = Setting("VELK_PROBE_LOG", buffer, sizeof buffer);
    FILE* file = NULL;
    va_list args;
    int attempt;
    /* Retried: a line lost to a moment's refusal to open would fail a test for the wrong reason. */
    for (attempt = 0; path && !file && attempt < 100; ++attempt)
        if (!(file = fopen(path, "ab")))
            Sleep(10);
    if (!file)
        return;
    fprintf(file, "%s ", Id);
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputs("\n", file);
    fclose(file);
}

static const char* Show(const char* text) {
    return text ? text : "(nil)";
}

/* The script lines for this plug-in and the moment, one at a time through *cursor. */
static char* Script;

static void LoadScript(void) {
    char buffer[MAX_PATH];
    const char* path = Setting("VELK_PROBE_SCRIPT", buffer, sizeof buffer);
    FILE* file = path ? fopen(path, "rb") : NULL;
    long size;
    if (!file)
        return;
    fseek(file, 0, SEEK_END);
    size = ftell(file);
    fseek(file, 0, SEEK_SET);
    Script = calloc(1, (size_t)size + 1);
    if (Script && fread(Script, 1, (size_t)size, file) != (size_t)size)
        Script[0] = 0;
    fclose(file);
}

/* The event's data when it is a text. */
static const char* DataText(int32_t id, int32_t data) {
    return id == 7 || (id >= 16 && id <= 19) || id >= 4096 ? (const char*)(intptr_t)data : NULL;
}

/* Copies the next matching line's action and arguments; 0 when there are no more. */
static int NextAction(const char** cursor, const char* when, const char* data, char* action,
                      size_t size) {
    char line[1024], who[64], moment[128], *wanted;
    int used;
    while (*cursor && **cursor) {
        const char* end = strchr(*cursor, '\n');
        size_t length = end ? (size_t)(end - *cursor) : strlen(*cursor);
        if (length >= sizeof line)
            length = sizeof line - 1;
        memcpy(line, *cursor, length);
        line[length] = 0;
        if (length && line[length - 1] == '\r')
            line[length - 1] = 0;
        *cursor = end ? end + 1 : *cursor + strlen(*cursor);
        if (sscanf(line, "%63s %127s %n", who, moment, &used) != 2)
            continue;
        wanted = strchr(moment, '=');
        if (wanted)
            *wanted++ = 0;
        if ((!strcmp(who, "*") || !lstrcmpiA(who, Id)) && !lstrcmpiA(moment, when) &&
            (!wanted || (data && !lstrcmpiA(wanted, data)))) {
            lstrcpynA(action, line + used, (int)size);
            return 1;
        }
    }
    return 0;
}

/* Line breaks as \r and \n, so that a log line stays one line. */
static void OneLine(char* out, size_t size, const char* text) {
    size_t used = 0;
    for (; text && *text && used + 3 < size; ++text)
        if (*text == '\r' || *text == '\n') {
            out[used++] = '\\';
            out[used++] = *text == '\r' ? 'r' : 'n';
        } else
            out[used++] = *text;
    out[used] = 0;
}

/* Text results: the size first, then the text. */
static void TextCommand(const char* what, int32_t message, void* data) {
    int32_t size = Host.SendCommand(Host.PluginId, message, data, NULL, 0);
    char* buffer = size > 0 ? calloc(1, (size_t)size) : NULL;
    int32_t result = buffer ? Host.SendCommand(Host.PluginId, message, data, buffer, 0) : -99;
    char shown[1024];
    OneLine(shown, sizeof shown, buffer);
    Log("%s size=%d result=%d text=[%s]", what, size, result, shown);
    free(buffer);
}

/* Blocks: the size first, then the block; text fields must point inside it. */
static const char* Field(const char* block, int32_t size, int index, char* bad) {
    uint32_t value;
    memcpy(&value, block + index * 4, 4);
    if (value == 0)
        return NULL;
    if (value < (uint32_t)(uintptr_t)block ||
        value >= (uint32_t)(uintptr_t)block + (uint32_t)size) {
        *bad = 1;
        return NULL;
    }
    return (const char*)(uintptr_t)value;
}

static int32_t Number(const char* block, int index) {
    int32_t value;
    memcpy(&value, block + index * 4, 4);
    return value;
}

/* Walks features (6 fields), install types (5) or languages (3) from the first. */
static void Walk(const char* what, int32_t message, int fields) {
    char current[300] = "";
    int first = 1;
    for (;;) {
        int32_t size = Host.SendCommand(Host.PluginId, message, first ? NULL : current, NULL, 0);
        char* block;
        char bad = 0;
        const char* next;
        if (size <= 0) {
            Log("%s end size=%d", what, size);
            return;
        }
        block = calloc(1, (size_t)size);
        Host.SendCommand(Host.PluginId, message, first ? NULL : current, block, 0);
        if (fields == 3) {
            next = Field(block, size, 2, &bad);
            Log("%s size=%d code=%s name=%s next=%s%s", what, size,
                Show(Field(block, size, 0, &bad)), Show(Field(block, size, 1, &bad)), Show(next),
                bad ? " BAD" : "");
        } else if (fields == 5) {
            next = Field(block, size, 4, &bad);
            Log("%s size=%d id=%s name=%s desc=%s custom=%d next=%s%s", what, size,
                Show(Field(block, size, 0, &bad)), Show(Field(block, size, 1, &bad)),
                Show(Field(block, size, 2, &bad)), Number(block, 3), Show(next), bad ? " BAD" : "");
        } else {
            next = Field(block, size, 5, &bad);
            Log("%s size=%d id=%s name=%s desc=%s required=%d parent=%s next=%s%s", what, size,
                Show(Field(block, size, 0, &bad)), Show(Field(block, size, 1, &bad)),
                Show(Field(block, size, 2, &bad)), Number(block, 3),
                Show(Field(block, size, 4, &bad)), Show(next), bad ? " BAD" : "");
        }
        if (next)
            lstrcpynA(current, next, sizeof current);
        free(block);
        if (!next || bad)
            return;
        first = 0;
    }
}

typedef struct {
    char Name[128];
    int Count;
    int Answers;
} TThreadJob;

static DWORD WINAPI ThreadSender(void* argument) {
    TThreadJob* job = argument;
    int i;
    for (i = 0; i < job->Count; ++i)
        job->Answers += Host.SendCommandByName(Host.PluginId, job->Name, "from-thread", NULL, 1);
    return 0;
}

static void RunThread(const char* arguments) {
    TThreadJob job = {{0}, 0, 0};
    LARGE_INTEGER start, end, frequency;
    HANDLE thread;
    MSG msg;
    if (sscanf(arguments, "%127s %d", job.Name, &job.Count) != 2)
        return;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    thread = CreateThread(NULL, 0, ThreadSender, &job, 0, NULL);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    QueryPerformanceCounter(&end);
    CloseHandle(thread);
    Log("thread %s count=%d answers=%d us=%ld", job.Name, job.Count, job.Answers,
        (long)((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart));
}

/* Keeps the run at this event, its windows answering, until the test lets it go on. */
static void Hold(const char* path, int32_t data, int32_t least, int32_t most) {
    DWORD start = GetTickCount();
    MSG msg;
    if (data < least || data > most || GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return;
    Log("hold data=%d", data);
    while (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 60000) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

/* Faults reach the engine through the import tables of its modules, so the plug-in's own file
   work and the system's are left alone. The worker thread makes most of the calls. */
enum { FAULT_CREATE, FAULT_WRITE, FAULT_RENAME, FAULT_KINDS };
static const char* const FaultKinds[FAULT_KINDS] = {"create", "write", "rename"};
static int FaultKind = -1;
static LONG FaultAt;
static LONG FaultCalls;

static int FaultHit(int kind) {
    if (kind != FaultKind || InterlockedIncrement(&FaultCalls) != FaultAt)
        return 0;
    Log("fault %s %ld hit", FaultKinds[kind], FaultAt);
    return 1;
}

static HANDLE(WINAPI* RealCreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                       HANDLE);
static BOOL(WINAPI* RealWriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
static BOOL(WINAPI* RealMoveFileA)(LPCSTR, LPCSTR);
static BOOL(WINAPI* RealMoveFileExA)(LPCSTR, LPCSTR, DWORD);

static HANDLE WINAPI FaultyCreateFileA(LPCSTR name, DWORD access, DWORD share,
                                       LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD flags,
                                       HANDLE model) {
    if ((access & (GENERIC_WRITE | GENERIC_ALL)) && FaultHit(FAULT_CREATE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return RealCreateFileA(name, access, share, security, creation, flags, model);
}

static BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written,
                                   LPOVERLAPPED overlapped) {
    if (FaultHit(FAULT_WRITE)) {
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return RealWriteFile(file, data, size, written, overlapped);
}

static BOOL WINAPI FaultyMoveFileA(LPCSTR from, LPCSTR to) {
    if (FaultHit(FAULT_RENAME)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return RealMoveFileA(from, to);
}

static BOOL WINAPI FaultyMoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    if (FaultHit(FAULT_RENAME)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return RealMoveFileExA(from, to, flags);
}

static const struct {
    const char* Name;
    void* Hook;
} FaultHooks[] = {{"CreateFileA", (void*)FaultyCreateFileA},
                  {"WriteFile", (void*)FaultyWriteFile},
                  {"MoveFileA", (void*)FaultyMoveFileA},
                  {"MoveFileExA", (void*)FaultyMoveFileExA}};

static void PatchImports(HMODULE module) {
    BYTE* base = (BYTE*)module;
    const IMAGE_NT_HEADERS32* nt =
        (const IMAGE_NT_HEADERS32*)(base + ((const IMAGE_DOS_HEADER*)base)->e_lfanew);
    DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    const IMAGE_IMPORT_DESCRIPTOR* library;
    for (library = (const IMAGE_IMPORT_DESCRIPTOR*)(base + imports); imports && library->Name;
         ++library) {
        const IMAGE_THUNK_DATA32* names =
            (const IMAGE_THUNK_DATA32*)(base + library->OriginalFirstThunk);
        IMAGE_THUNK_DATA32* slots = (IMAGE_THUNK_DATA32*)(base + library->FirstThunk);
        for (; library->OriginalFirstThunk && names->u1.AddressOfData; ++names, ++slots) {
            const char* name;
            size_t i;
            if (IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal))
                continue;
            name =
                (const char*)((const IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData))->Name;
            for (i = 0; i < sizeof FaultHooks / sizeof FaultHooks[0]; ++i) {
                DWORD protection;
                if (strcmp(name, FaultHooks[i].Name) ||
                    !VirtualProtect(slots, sizeof *slots, PAGE_READWRITE, &protection))
                    continue;
                slots->u1.Function = (DWORD)(uintptr_t)FaultHooks[i].Hook;
                VirtualProtect(slots, sizeof *slots, protection, &protection);
            }
        }
    }
}

static void InjectFault(const char* kind, const char* at) {
    static const char* const Modules[] = {"engine.dll", "unpack.dll"};
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    size_t i;
    for (i = 0; i < FAULT_KINDS && strcmp(kind, FaultKinds[i]); ++i)
        ;
    if (i == FAULT_KINDS)
        return;
    RealCreateFileA = (void*)GetProcAddress(kernel, "CreateFileA");
    RealWriteFile = (void*)GetProcAddress(kernel, "WriteFile");
    RealMoveFileA = (void*)GetProcAddress(kernel, "MoveFileA");
    RealMoveFileExA = (void*)GetProcAddress(kernel, "MoveFileExA");
    FaultKind = (int)i;
    FaultAt = atol(at);
    FaultCalls = 0;
    for (i = 0; i < sizeof Modules / sizeof Modules[0]; ++i) {
        HMODULE module;
        /* held, so that a module unloaded and loaded again in between keeps the patch */
        if (GetModuleHandleExA(0, Modules[i], &module))
            PatchImports(module);
        else
            Log("fault %s not loaded", Modules[i]);
    }
}

static int32_t Perform(const char* action, int32_t data) {
    char verb[32] = "", a[256] = "", b[256] = "", c[256] = "";
    int used = 0;
    sscanf(action, "%31s %n", verb, &used);
    sscanf(action + used, "%255s %255s %255s", a, b, c);
    if (!strcmp(verb, "answer"))
        return atoi(a);
    if (!strcmp(verb, "getvar"))
        TextCommand("getvar", 262, a);
    else if (!strcmp(verb, "setvar"))
        Log("setvar result=%d", Host.SendCommand(Host.PluginId, 263, a, b, 0));
    else if (!strcmp(verb, "parse"))
        TextCommand("parse", 259, (void*)(action + used));
    else if (!strcmp(verb, "features"))
        Walk("feature", 264, 6);
    else if (!strcmp(verb, "types"))
        Walk("type", 267, 5);
    else if (!strcmp(verb, "languages"))
        Walk("language", 260, 3);
    else if (!strcmp(verb, "state"))
        Log("state %s=%d", a, Host.SendCommand(Host.PluginId, 265, a, NULL, 0));
    else if (!strcmp(verb, "setfeature"))
        Log("setfeature %s result=%d", a,
            Host.SendCommand(Host.PluginId, 266, a, (void*)(intptr_t)atoi(b), 0));
    else if (!strcmp(verb, "settype"))
        Log("settype %s result=%d", a, Host.SendCommand(Host.PluginId, 268, a, NULL, 0));
    else if (!strcmp(verb, "setlang"))
        Log("setlang result=%d", Host.SendCommand(Host.PluginId, 261, a, NULL, 0));
    else if (!strcmp(verb, "config")) {
        const char* texts[3] = {a, b, c};
        TextCommand("config", 270, (void*)texts);
    } else if (!strcmp(verb, "sections"))
        TextCommand("sections", 271, NULL);
    else if (!strcmp(verb, "keys"))
        TextCommand("keys", 272, a);
    else if (!strcmp(verb, "abort"))
        Log("abort result=%d", Host.SendCommand(Host.PluginId, 256, NULL, NULL, 0));
    else if (!strcmp(verb, "raw"))
        Log("raw %s result=%d", a, Host.SendCommand(Host.PluginId, atoi(a), NULL, NULL, 0));
    else if (!strcmp(verb, "send"))
        Log("send %s result=%d", a, Host.SendCommandByName(Host.PluginId, a, c, NULL, atoi(b)));
    else if (!strcmp(verb, "msgid"))
        Log("msgid %s=%d", a, Host.GetMessageId(Host.PluginId, a));
    else if (!strcmp(verb, "thread"))
        RunThread(action + used);
    else if (!strcmp(verb, "box"))
        Log("box result=%d", MessageBoxA(NULL, action + used, "Probe box", MB_OK));
    else if (!strcmp(verb, "hold"))
        Hold(a, data, atoi(b), atoi(c));
    else if (!strcmp(verb, "fault"))
        InjectFault(a, b);
    else if (!strcmp(verb, "mute"))
        lstrcpynA(Muted, a, sizeof Muted);
    else if (!strcmp(verb, "folder") && EventParam) {
        lstrcpynA(EventParam, action + used, MAX_PATH);
        return 1;
    }
    return 0;
}

/* The item records of events 12 to 14, by kind: t a text, n a number. */
static const char* const ItemLayouts[] = {"tnnnn", "tttnn", "ttttn", "ttttntnntn",
                                          "tn",    "tn",    "tttntn"};

static void DescribeItem(char* out, size_t size, int32_t data, const void* param) {
    unsigned kind = (uint32_t)data >> 16;
    const char* layout = kind < 7 ? ItemLayouts[kind] : "";
    const char* p = param;
    size_t used = (size_t)snprintf(out, size, "kind%u", kind);
    for (; p && *layout && used < size; ++layout, p += 4) {
        int32_t value;
        memcpy(&value, p, 4);
        if (*layout == 't')
            used += (size_t)snprintf(out + used, size - used, ",%s",
                                     Show((const char*)(intptr_t)value));
        else
            used += (size_t)snprintf(out + used, size - used, ",%d", (int)value);
    }
}

static void Describe(char* out, size_t size, int32_t id, int32_t data, void* param) {
    const char* text = (const char*)(intptr_t)data;
    switch (id) {
    case 1: {
        const TStartup* s = (const TStartup*)(intptr_t)data;
        snprintf(out, size, "data=startup(%08x,%08x,%d,[%s]) param=%p", s->RecordVersion,
                 s->EngineVersion, s->PluginId, s->ConfigFile, param);
        return;
    }
    case 7:
    case 17:
    case 18:
        snprintf(out, size, "data=%s param=%p", Show(text), param);
        return;
    case 16:
        snprintf(out, size, "data=%s param=%d", Show(text), (int)(intptr_t)param);
        return;
    case 19:
        snprintf(out, size, "data=%s param=%s", Show(text), Show(param));
        return;
    case 12:
    case 13:
    case 14: {
        char item[600];
        DescribeItem(item, sizeof item, data, param);
        snprintf(out, size, "data=%d param=%s", data, item);
        return;
    }
    default:
        if (id >= 4096)
            snprintf(out, size, "data=%s param=%p", Show(text), param);
        else
            snprintf(out, size, "data=%d param=%p", data, param);
    }
}

static int32_t __stdcall EventProc(int32_t id, const char* name, int32_t data, void* param) {
    char described[800];
    const char* cursor = Script;
    char action[512];
    int32_t answer = 0;
    if (Muted[0] && !lstrcmpiA(name, Muted)) {
        ++MutedCount;
        return 0;
    }
    if (id == 1)
        memcpy(&Host, (const void*)(intptr_t)data, sizeof Host);
    if (id == 3 && Muted[0])
        Log("muted %s count=%ld", Muted, MutedCount);
    if (id == 3 && FaultKind >= 0)
        Log("fault %s calls=%ld", FaultKinds[FaultKind], FaultCalls);
    Describe(described, sizeof described, id, data, param);
    Log("ev %d %s %s main=%d", id, name, described, GetCurrentThreadId() == LoaderThread);
    EventParam = param;
    while (NextAction(&cursor, name, DataText(id, data), action, sizeof action)) {
        int32_t result = Perform(action, data);
        if (result)
            answer = result;
    }
    return answer;
}

void __stdcall GetPluginInfo(TInfo* info) {
    const char* cursor = Script;
    char action[512], verb[32], value[261];
    lstrcpynA(info->ID, Id, sizeof info->ID);
    info->EventProc = (void*)EventProc;
    Log("info version=%08x", info->RecordVersion);
    while (NextAction(&cursor, "info", NULL, action, sizeof action)) {
        if (sscanf(action, "%31s %260s", verb, value) < 1)
            continue;
        if (!strcmp(verb, "engine"))
            info->RequiredEngineVersion = (int32_t)strtoul(value, NULL, 0);
        else if (!strcmp(verb, "refused"))
            info->Refused = 1;
        else if (!strcmp(verb, "id"))
            lstrcpynA(info->ID, value, sizeof info->ID);
    }
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void* reserved) {
    char path[MAX_PATH], *name, *dot;
    (void)reserved;
    if (reason == DLL_PROCESS_DETACH)
        Log("detach");
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    LoaderThread = GetCurrentThreadId();
    GetModuleFileNameA(module, path, sizeof path);
    name = strrchr(path, '\\');
    name = name ? name + 1 : path;
    dot = strrchr(name, '.');
    if (dot)
        *dot = 0;
    lstrcpynA(Id, name, sizeof Id);
    LoadScript();
    return TRUE;
}
