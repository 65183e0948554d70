#include "wizard/Progress.h"

#include "wizard/Host.h"
#include "wizard/Wizard.h"
#include "wizard/WizardIds.h"

#include <commctrl.h>

static HWND Window;

static const TControlText Texts[] = {{IDC_FILELABEL, T_FILEPROGRESS},
                                     {IDC_TOTALLABEL, T_TOTALPROGRESS},
                                     {IDCANCEL, T_CANCEL},
                                     {0, T_COUNT}};

static void AskToStop(HWND window) {
    if (ConfirmCancel(window)) {
        HostCommand(CM_ABORTINSTALL, NULL, NULL);
        EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
    }
}

static INT_PTR CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        if (IsWindowEnabled(GetDlgItem(window, IDCANCEL)))
            AskToStop(window);
        return TRUE;
    }
    return FALSE;
}

void RefreshProgressTexts(void) {
    if (!Window)
        return;
    SetWindowTextOf(Window, T_PROGRESSCAPTION);
    SetItemTexts(Window, Texts);
}

void OpenProgress(void) {
    if (Window)
        return;
    Window =
        CreateDialogParamA(WizardModule, MAKEINTRESOURCEA(DLG_PROGRESS), NULL, ProgressProc, 0);
    if (!Window)
        return;
    RefreshProgressTexts();
    ShowWindow(Window, SW_SHOW);
    SetForegroundWindow(Window);
    UpdateWindow(Window);
}

void CloseProgress(void) {
    if (Window)
        DestroyWindow(Window);
    Window = NULL;
}

HWND ProgressWindow(void) {
    return Window;
}

void ShowProgress(int filePercent, int totalPercent) {
    if (!Window)
        return;
    SendDlgItemMessageA(Window, IDC_FILEBAR, PBM_SETPOS, (WPARAM)filePercent, 0);
    SendDlgItemMessageA(Window, IDC_TOTALBAR, PBM_SETPOS, (WPARAM)totalPercent, 0);
}

void ShowStatus(const char* text) {
    if (Window)
        SetDlgItemTextA(Window, IDC_STATUS, text ? text : "");
}

static const TControlText ConflictTexts[] = {
    {IDC_TEXT, T_CONFLICTTEXT},     {IDC_KEEP, T_KEEP},
    {IDC_REPLACE, T_REPLACE},       {IDC_KEEPALL, T_KEEPALL},
    {IDC_REPLACEALL, T_REPLACEALL}, {0, T_COUNT}};

static INT_PTR CALLBACK ConflictProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowTextOf(box, T_CONFLICTCAPTION);
        SetItemTexts(box, ConflictTexts);
        SetDlgItemTextA(box, IDC_PATH, (const char*)lParam);
        SetForegroundWindow(box);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) >= IDC_KEEP && LOWORD(wParam) <= IDC_REPLACEALL)
        EndDialog(box, LOWORD(wParam) - IDC_ANSWERS);
    else if (LOWORD(wParam) == IDCANCEL)
        EndDialog(box, IDC_KEEP - IDC_ANSWERS);
    return TRUE;
}

int AskConflict(HWND owner, const char* path) {
    INT_PTR answer = DialogBoxParamA(WizardModule, MAKEINTRESOURCEA(DLG_CONFLICT), owner,
                                     ConflictProc, (LPARAM)path);
    return answer >= 1 && answer <= 4 ? (int)answer : 1;
}
