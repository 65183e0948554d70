#include "setup/loader/WorkFolder.h"

static int EndsWithBackslash(const char* path) {
    int length = lstrlenA(path);
    return length > 0 && path[length - 1] == '\\';
}

static void AddBackslash(char* path) {
    if (!EndsWithBackslash(path))
        lstrcatA(path, "\\");
}

/* Creates every missing folder of a path that ends in a backslash, outermost first. A drive
   ("C:\") and a server share ("\\server\share\") are never created. */
static void ForceDirectories(const char* path) {
    char partial[MAX_PATH];
    int i, start = 0;
    if (path[0] == '\\' && path[1] == '\\') {
        int separators = 0;
        for (start = 2; path[start] && separators < 2; start++)
            separators += path[start] == '\\';
    }
    for (i = start; path[i]; i++) {
        if (IsDBCSLeadByte((BYTE)path[i]) && path[i + 1]) {
            i++;
            continue;
        }
        if (path[i] != '\\' || i == 0 || path[i - 1] == ':')
            continue;
        lstrcpynA(partial, path, i + 1);
        CreateDirectoryA(partial, NULL);
    }
}

void GetTempFolder(char* folder) {
    char current[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH - 1, folder);
    if (length == 0 || length >= MAX_PATH - 1)
        folder[0] = 0;
    AddBackslash(folder);
    length = GetCurrentDirectoryA(MAX_PATH - 1, current);
    if (length == 0 || length >= MAX_PATH - 1)
        current[0] = 0;
    AddBackslash(current);
    /* No temporary folder configured: the platform answered with the current folder. */
    if (lstrcmpiA(folder, current) != 0)
        return;
    if ((GetVersion() & 0x80000000u) && GetWindowsDirectoryA(folder, MAX_PATH - 6) != 0) {
        AddBackslash(folder);
        lstrcatA(folder, "Temp\\");
    } else {
        lstrcpyA(folder, "C:\\Temp\\");
    }
}

BOOL CreateUniqueFolder(const char* parent, char* folder) {
    static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    int attempt, i;
    folder[0] = 0;
    if (lstrlenA(parent) + 10 >= MAX_PATH)
        return FALSE;
    ForceDirectories(parent);
    for (attempt = 0; attempt < 1000; attempt++) {
        DWORD stamp = seed + (DWORD)attempt * 0x9E3779B1u;
        char* name;
        lstrcpyA(folder, parent);
        name = folder + lstrlenA(folder);
        for (i = 0; i < 8; i++, stamp >>= 5)
            name[i] = digits[stamp & 31];
        name[8] = 0;
        /* Creating is the test: a name someone else holds already fails here. */
        if (CreateDirectoryA(folder, NULL)) {
            lstrcatA(folder, "\\");
            return TRUE;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    /* The last name tried may be someone else's folder: it must not be taken for ours. */
    folder[0] = 0;
    return FALSE;
}

void DeleteTree(const char* folder) {
    char path[MAX_PATH];
    WIN32_FIND_DATAA entry;
    HANDLE find;
    int length = lstrlenA(folder);
    if (length == 0 || length + 4 >= MAX_PATH)
        return;
    lstrcpyA(path, folder);
    AddBackslash(path);
    length = lstrlenA(path);
    lstrcatA(path, "*");
    find = FindFirstFileA(path, &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const char* name = entry.cFileName;
            if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2])))
                continue;
            if (length + lstrlenA(name) + 1 >= MAX_PATH)
                continue;
            lstrcpyA(path + length, name);
            SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
            /* A junction is removed, never followed: what it points at is not ours. */
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                RemoveDirectoryA(path);
            else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileA(path);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    path[length] = 0;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path);
}
