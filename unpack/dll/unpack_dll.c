/* unpack.dll: extracts a cabinet set through the system's cabinet library as the host directs.
   Nothing is written anywhere but to the paths the host answers with. */

#include "unpack/dll/cabinet_file.h"

/* after <windows.h>, which it needs */
#include <fdi.h>

typedef struct {
    int Kind; /* HANDLE_OUTPUT */
    HANDLE File;
    const char* Name;
    DWORD Size;
    DWORD Written;
    char Destination[UNPACK_PATH_CAPACITY];
} TOutputFile;

static struct {
    HFDI Fdi;
    ERF Error;
    char Folder[MAX_PATH]; /* of the opened cabinet; empty or with a trailing backslash */
    char Name[MAX_PATH];
    TUnpackNotify Notify;
    TUnpackFilter Filter;
    BOOL Stopped; /* by the host's answer: still a success */
    BOOL Failed;
    /* The cabinet being copied: whether its header was announced, and what follows it. */
    BOOL InfoSeen;
    int Cabinets;
    int SetID;
    int Index;
    char NextName[MAX_PATH];
    char NextFolder[MAX_PATH];
} State;

static BOOL Aborted(void) {
    return State.Stopped || State.Failed;
}

/* Marks the run failed and gives back the answer that makes the cabinet library stop. */
static INT_PTR Fail(INT_PTR answer) {
    State.Failed = TRUE;
    return answer;
}

/* Where the last path separator ends, honouring double-byte characters. */
static int FolderLength(const char* path) {
    int i, length = 0;
    for (i = 0; path[i]; i++) {
        if (IsDBCSLeadByte((BYTE)path[i]) && path[i + 1])
            i++;
        else if (path[i] == '\\' || path[i] == '/' || path[i] == ':')
            length = i + 1;
    }
    return length;
}

/* Copies a folder given by the host, adding the trailing backslash the cabinet library expects. */
static BOOL SetFolder(char* folder, int capacity, const char* source) {
    int length = lstrlenA(source);
    BOOL separator = length > 0 && FolderLength(source) != length;
    if (length + separator >= capacity)
        return FALSE;
    lstrcpyA(folder, source);
    if (separator)
        lstrcatA(folder, "\\");
    return TRUE;
}

static BOOL CabinetExists(const char* name, const char* folder) {
    char path[MAX_PATH];
    DWORD attributes;
    /* the cabinet library's own limit for a folder and a name */
    if (lstrlenA(folder) + lstrlenA(name) + 3 > MAX_PATH)
        return FALSE;
    lstrcpyA(path, folder);
    lstrcatA(path, name);
    attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

/* Asks the host for the folder of a missing cabinet until it is there or the host gives up. */
static BOOL LocateCabinet(const char* name, char* folder, int capacity) {
    TUnpackCabinetRecord record;
    while (!CabinetExists(name, folder)) {
        record.CabinetName = name;
        lstrcpynA(record.Folder, folder, UNPACK_PATH_CAPACITY);
        if (State.Notify(UNPACK_NEXT_CABINET, &record) != UNPACK_EXTRACT)
            return FALSE;
        record.Folder[UNPACK_PATH_CAPACITY - 1] = 0;
        if (!SetFolder(folder, capacity, record.Folder))
            return FALSE;
    }
    return TRUE;
}

/* What a handle given back by the cabinet library is; it also passes 0 for a cabinet it never
   opened. */
static int HandleKind(INT_PTR hf) {
    return hf && hf != -1 ? *(int*)hf : 0;
}

static FNALLOC(FdiAlloc) {
    return MemAlloc(cb);
}

static FNFREE(FdiFree) {
    MemFree(pv);
}

/* The cabinet library opens only cabinets itself: output files come from the notifications. */
static FNOPEN(FdiOpen) {
    TCabinetFile* cab;
    (void)oflag;
    (void)pmode;
    cab = CabinetOpen(pszFile);
    return cab ? (INT_PTR)cab : -1;
}

static FNREAD(FdiRead) {
    /* failing the reads ends the cabinet library's work quickly once the run is over */
    if (HandleKind(hf) != HANDLE_CABINET || Aborted())
        return (UINT)-1;
    return CabinetRead((TCabinetFile*)hf, pv, cb, State.Filter);
}

static FNSEEK(FdiSeek) {
    return HandleKind(hf) == HANDLE_CABINET ? CabinetSeek((TCabinetFile*)hf, dist, seektype) : -1;
}

static void DiscardOutput(TOutputFile* out) {
    CloseHandle(out->File);
    DeleteFileA(out->Destination);
    MemFree(out);
}

static FNCLOSE(FdiClose) {
    int kind = HandleKind(hf);
    if (kind == HANDLE_CABINET)
        CabinetClose((TCabinetFile*)hf);
    else if (kind == HANDLE_OUTPUT)
        DiscardOutput((TOutputFile*)hf); /* closed by the library only when it gives up on a file */
    return 0;
}

static FNWRITE(FdiWrite) {
    TOutputFile* out = (TOutputFile*)hf;
    TUnpackProgressRecord progress;
    DWORD written;
    if (HandleKind(hf) != HANDLE_OUTPUT || Aborted())
        return (UINT)-1;
    progress.Name = out->Name;
    progress.Destination = out->Destination;
    progress.Size = out->Size;
    progress.BlockBytes = cb;
    progress.WrittenBytes = out->Written + cb;
    progress.Data = pv;
    if (State.Notify(UNPACK_PROGRESS, &progress) == UNPACK_STOP) {
        State.Stopped = TRUE;
        return (UINT)-1;
    }
    if (!WriteFile(out->File, pv, cb, &written, NULL) || written != cb) {
        return (UINT)Fail(-1);
    }
    out->Written += cb;
    return cb;
}

static void FillFileRecord(TUnpackFileRecord* record, const char* name, DWORD size,
                           PFDINOTIFICATION info) {
    record->Name = name;
    record->Size = size;
    record->DateTime = (DWORD)info->date << 16 | info->time;
    record->Attributes = info->attribs;
}

static INT_PTR BeginFile(PFDINOTIFICATION info) {
    TUnpackFileRecord record;
    TOutputFile* out;
    int32_t answer;
    FillFileRecord(&record, info->psz1, info->cb, info);
    record.Destination[0] = 0;
    answer = State.Notify(UNPACK_BEFORE_FILE, &record);
    if (answer == UNPACK_STOP) {
        State.Stopped = TRUE;
        return -1;
    }
    if (answer != UNPACK_EXTRACT)
        return 0;
    record.Destination[UNPACK_PATH_CAPACITY - 1] = 0;
    if (!(out = MemAlloc(sizeof(TOutputFile))))
        return Fail(-1);
    out->Kind = HANDLE_OUTPUT;
    out->Name = info->psz1;
    out->Size = info->cb;
    out->Written = 0;
    lstrcpyA(out->Destination, record.Destination);
    out->File = CreateFileA(out->Destination, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
    if (out->File == INVALID_HANDLE_VALUE) {
        MemFree(out);
        return Fail(-1);
    }
    return (INT_PTR)out;
}

/* The cabinet's date and time are local; the file keeps only the attributes of the mask. */
static BOOL CompleteOutput(TOutputFile* out, PFDINOTIFICATION info) {
    FILETIME local, utc;
    DWORD attributes = info->attribs & UNPACK_ATTRIBUTE_MASK;
    if (DosDateTimeToFileTime(info->date, info->time, &local) &&
        LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(out->File, NULL, NULL, &utc);
    if (!CloseHandle(out->File))
        return FALSE;
    /* CREATE_ALWAYS left the file with the archive bit alone: most files need nothing more,
       and each change opens the file once again. */
    if (attributes != FILE_ATTRIBUTE_ARCHIVE)
        SetFileAttributesA(out->Destination, attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
    return TRUE;
}

/* Returns FALSE to make the cabinet library stop. */
static INT_PTR EndFile(PFDINOTIFICATION info) {
    TOutputFile* out = (TOutputFile*)info->hf;
    TUnpackFileRecord record;
    int32_t answer;
    if (HandleKind(info->hf) != HANDLE_OUTPUT)
        return Fail(FALSE);
    /* a file cut short by a stop, a failed write or bad data is not left behind */
    if (Aborted() || out->Written != out->Size) {
        DiscardOutput(out);
        return Aborted() ? FALSE : Fail(FALSE);
    }
    if (!CompleteOutput(out, info)) {
        DeleteFileA(out->Destination);
        MemFree(out);
        return Fail(FALSE);
    }
    FillFileRecord(&record, out->Name, out->Size, info);
    lstrcpyA(record.Destination, out->Destination);
    MemFree(out);
    answer = State.Notify(UNPACK_AFTER_FILE, &record);
    if (answer == UNPACK_STOP)
        State.Stopped = TRUE;
    return answer != UNPACK_STOP;
}

static INT_PTR CabinetInfo(PFDINOTIFICATION info) {
    /* later ones announce cabinets opened for a file that continues there */
    if (State.InfoSeen)
        return 0;
    State.InfoSeen = TRUE;
    /* each cabinet must continue the set: this also ends a set whose names go round in a loop */
    if (State.Cabinets && (info->setID != State.SetID || info->iCabinet != State.Index + 1))
        return Fail(-1);
    if (lstrlenA(info->psz1) >= MAX_PATH)
        return Fail(-1);
    State.Cabinets++;
    State.SetID = info->setID;
    State.Index = info->iCabinet;
    lstrcpyA(State.NextName, info->psz1);
    return 0;
}

/* A file continues in the next cabinet: the library looks in the folder it writes into psz3. */
static INT_PTR NextCabinet(PFDINOTIFICATION info) {
    char folder[CB_MAX_CAB_PATH];
    /* the cabinet that was there could not be used */
    if (info->fdie != FDIERROR_NONE)
        return Fail(-1);
    lstrcpynA(folder, info->psz3, CB_MAX_CAB_PATH);
    if (!LocateCabinet(info->psz1, folder, CB_MAX_CAB_PATH))
        return Fail(-1);
    lstrcpyA(info->psz3, folder);
    lstrcpyA(State.NextFolder, folder);
    return 0;
}

static FNFDINOTIFY(OnNotify) {
    if (fdint == fdintCLOSE_FILE_INFO)
        return EndFile(pfdin);
    if (Aborted())
        return -1;
    switch (fdint) {
    case fdintCABINET_INFO:
        return CabinetInfo(pfdin);
    case fdintCOPY_FILE:
        return BeginFile(pfdin);
    case fdintNEXT_CABINET:
        return NextCabinet(pfdin);
    default: /* a file continued from the previous cabinet was written with it */
        return 0;
    }
}

static BOOL ExtractSet(void) {
    char name[MAX_PATH], folder[MAX_PATH];
    lstrcpyA(name, State.Name);
    lstrcpyA(folder, State.Folder);
    State.Cabinets = 0;
    for (;;) {
        BOOL copied;
        if (!LocateCabinet(name, folder, MAX_PATH))
            return FALSE;
        State.InfoSeen = FALSE;
        State.NextName[0] = 0;
        lstrcpyA(State.NextFolder, folder);
        copied = FDICopy(State.Fdi, name, folder, 0, OnNotify, NULL, NULL);
        if (State.Failed)
            return FALSE;
        if (State.Stopped)
            return TRUE;
        if (!copied)
            return FALSE;
        if (!State.NextName[0])
            return TRUE;
        lstrcpyA(name, State.NextName);
        lstrcpyA(folder, State.NextFolder);
    }
}

/* The library holds one cabinet for the process: while an enumeration runs, Open and Close from
   the host's callbacks leave it alone. */
static BOOL Enumerating(void) {
    return State.Notify != NULL;
}

void __stdcall Close(void) {
    if (Enumerating())
        return;
    if (State.Fdi)
        FDIDestroy(State.Fdi);
    State.Fdi = NULL;
}

int32_t __stdcall Open(const char* path) {
    int folder;
    if (Enumerating())
        return 0;
    Close();
    if (!path)
        return 0;
    folder = FolderLength(path);
    if (folder >= MAX_PATH || lstrlenA(path + folder) >= MAX_PATH)
        return 0;
    lstrcpynA(State.Folder, path, folder + 1);
    lstrcpyA(State.Name, path + folder);
    State.Fdi = FDICreate(FdiAlloc, FdiFree, FdiOpen, FdiRead, FdiWrite, FdiClose, FdiSeek,
                          cpuUNKNOWN, &State.Error);
    return State.Fdi != NULL;
}

int32_t __stdcall Enumerate(TUnpackNotify notify, TUnpackFilter filter) {
    BOOL result;
    if (!State.Fdi || !notify || Enumerating())
        return 0;
    State.Notify = notify;
    State.Filter = filter;
    State.Stopped = State.Failed = FALSE;
    result = ExtractSet();
    State.Notify = NULL;
    State.Filter = NULL;
    return result;
}

BOOL WINAPI DllEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}
