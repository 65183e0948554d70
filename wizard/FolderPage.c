/* The destination folder: the variable InstallPath, typed or chosen with the shell's folder
   browser, with the free space of its drive. */
#include "wizard/Host.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

#include <shlobj.h>

#include <stdlib.h>
#include <string.h>

#define FOLDER_VARIABLE "InstallPath"

static BOOL IsFullPath(const char* path) {
    BOOL drive =
        ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && path[2] == '\\';
    BOOL share = path[0] == '\\' && path[1] == '\\' && path[2] && path[2] != '\\';
    return drive || share;
}

/* "C:\" of a drive path, "\\server\share\" of a network path. */
static void RootOf(const char* path, char* root, int size) {
    int slashes = 0, i = 0;
    if (path[1] == ':') {
        lstrcpynA(root, path, 4);
        return;
    }
    for (; path[i] && i < size - 2; ++i)
        if (path[i] == '\\' && ++slashes == 4)
            break;
    lstrcpynA(root, path, i + 1);
    lstrcatA(root, "\\");
}

static void ShowFreeSpace(HWND page) {
    char path[MAX_PATH], root[MAX_PATH], line[400];
    char* label = TextOf(T_FREESPACE);
    ULARGE_INTEGER available, total, free_;
    GetDlgItemTextA(page, IDC_FOLDER, path, sizeof path);
    line[0] = 0;
    if (IsFullPath(path)) {
        RootOf(path, root, sizeof root);
        if (GetDiskFreeSpaceExA(root, &available, &total, &free_)) {
            lstrcpynA(line, label, 300);
            wsprintfA(line + lstrlenA(line), " %lu MB",
                      (unsigned long)(available.QuadPart / (1024 * 1024)));
        }
    }
    SetDlgItemTextA(page, IDC_SPACE, line);
    free(label);
}

static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
    (void)lParam;
    if (message == BFFM_INITIALIZED)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

static void Browse(HWND page) {
    char path[MAX_PATH];
    char* title = TextOf(T_BROWSETEXT);
    BROWSEINFOA info;
    LPITEMIDLIST chosen;
    GetDlgItemTextA(page, IDC_FOLDER, path, sizeof path);
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = GetParent(page);
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = BrowseCallback;
    info.lParam = (LPARAM)path;
    chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        if (SHGetPathFromIDListA(chosen, path))
            SetDlgItemTextA(page, IDC_FOLDER, path);
        CoTaskMemFree(chosen);
    }
    free(title);
}

static INT_PTR CALLBACK Proc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (message == WM_INITDIALOG) {
        char* folder = GetVariable(FOLDER_VARIABLE);
        SendDlgItemMessageA(page, IDC_FOLDER, EM_LIMITTEXT, MAX_PATH - 1, 0);
        SetDlgItemTextA(page, IDC_FOLDER, folder ? folder : "");
        free(folder);
        return FALSE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) == IDC_BROWSE)
        Browse(page);
    else if (LOWORD(wParam) == IDC_FOLDER && HIWORD(wParam) == EN_CHANGE)
        ShowFreeSpace(page);
    else
        return FALSE;
    return TRUE;
}

static void Enter(HWND page) {
    ShowFreeSpace(page);
}

static BOOL Leave(HWND page, BOOL onward) {
    char path[MAX_PATH];
    int length = GetDlgItemTextA(page, IDC_FOLDER, path, sizeof path);
    while (length > 3 && path[length - 1] == '\\')
        path[--length] = 0;
    if (!onward)
        return TRUE;
    if (!IsFullPath(path)) {
        char* text = TextOf(T_BADFOLDER);
        char* caption = TextOf(T_CAPTION);
        MessageBoxA(GetParent(page), text, caption, MB_OK | MB_ICONEXCLAMATION);
        free(text);
        free(caption);
        return FALSE;
    }
    SetVariable(FOLDER_VARIABLE, path);
    return TRUE;
}

static const TControlText Texts[] = {
    {IDC_TEXT, T_FOLDERTEXT}, {IDC_BROWSE, T_BROWSE}, {0, T_COUNT}};

const TPageKind FolderPage = {DLG_FOLDER, T_FOLDERTITLE, Proc, NULL, Enter, Leave, NULL, Texts};
