/* The license text of the package, read-only, with "I accept" guarding Next. */
#include "wizard/Host.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

#include <stdlib.h>
#include <string.h>

#define MAX_LICENSE (1024 * 1024)

/* Config "Wizard"/"License", else the variable LicenseFile; a relative name lies in the
   package's presetup folder. */
static char* LicensePath(void) {
    char* name = ConfigValue("Wizard", "License");
    char *expanded, *folder, *path;
    if (!name)
        name = GetVariable("LicenseFile");
    expanded = ParseText(name);
    free(name);
    if (!expanded || (expanded[0] && expanded[1] == ':') ||
        (expanded[0] == '\\' && expanded[1] == '\\'))
        return expanded;
    folder = GetVariable("Presetup");
    path = malloc((folder ? strlen(folder) : 0) + strlen(expanded) + 2);
    if (path) {
        strcpy(path, folder ? folder : "");
        strcat(path, "\\");
        strcat(path, expanded);
    }
    free(folder);
    free(expanded);
    return path;
}

/* The file's text with every line break as CR LF, as the edit control wants; NULL when it
   cannot be read or is empty. */
static char* ReadLicense(void) {
    char* path = LicensePath();
    HANDLE file =
        path ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL)
             : INVALID_HANDLE_VALUE;
    DWORD size = file != INVALID_HANDLE_VALUE ? GetFileSize(file, NULL) : 0;
    char *raw = NULL, *text = NULL;
    DWORD got = 0, i, used = 0;
    free(path);
    if (size > 0 && size <= MAX_LICENSE && (raw = malloc(size)) &&
        ReadFile(file, raw, size, &got, NULL) && got == size && (text = malloc(2 * size + 1))) {
        for (i = 0; i < size; ++i) {
            if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r'))
                text[used++] = '\r';
            text[used++] = raw[i];
        }
        text[used] = 0;
    }
    free(raw);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return text;
}

static BOOL Wanted(void) {
    char* text = ReadLicense();
    free(text);
    return text != NULL;
}

static INT_PTR CALLBACK Proc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (message == WM_INITDIALOG) {
        char* text = ReadLicense();
        SetDlgItemTextA(page, IDC_LICENSE, text ? text : "");
        free(text);
        return FALSE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDC_ACCEPT) {
        SendMessageA(GetParent(page), WM_WIZARD_UPDATE, 0, 0);
        return TRUE;
    }
    return FALSE;
}

static BOOL Accepted(HWND page) {
    return IsDlgButtonChecked(page, IDC_ACCEPT) == BST_CHECKED;
}

static const TControlText Texts[] = {
    {IDC_TEXT, T_LICENSETEXT}, {IDC_ACCEPT, T_ACCEPT}, {0, T_COUNT}};

const TPageKind LicensePage = {DLG_LICENSE, T_LICENSETITLE, Proc,     Wanted,
                               NULL,        NULL,           Accepted, Texts};
