/* The pages that only show text: welcome, ready, and finish with its restart offer. */
#include "wizard/Host.h"
#include "wizard/Pages.h"
#include "wizard/WizardIds.h"

#include <stdlib.h>

INT_PTR CALLBACK PlainPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)page;
    (void)message;
    (void)wParam;
    (void)lParam;
    return FALSE;
}

static const TControlText WelcomeTexts[] = {{IDC_TEXT, T_WELCOMETEXT}, {0, T_COUNT}};
static const TControlText ReadyTexts[] = {{IDC_TEXT, T_READYTEXT}, {0, T_COUNT}};
static const TControlText FinishTexts[] = {{IDC_TEXT, T_FINISHTEXT},
                                           {IDC_RESTARTTEXT, T_RESTARTTEXT},
                                           {IDC_RESTART, T_RESTART},
                                           {0, T_COUNT}};

const TPageKind WelcomePage = {DLG_WELCOME, T_WELCOMETITLE, PlainPageProc, NULL,
                               NULL,        NULL,           NULL,          WelcomeTexts};
const TPageKind ReadyPage = {DLG_READY, T_READYTITLE, PlainPageProc, NULL,
                             NULL,      NULL,         NULL,          ReadyTexts};

/* The engine restarts Windows when Reboot is on after the last dialogs; declining turns it off. */
static BOOL RebootAsked(void) {
    char* value = GetVariable("Reboot");
    BOOL on = value && atoi(value) != 0;
    free(value);
    return on;
}

static void EnterFinish(HWND page) {
    if (!RebootAsked())
        return;
    ShowWindow(GetDlgItem(page, IDC_RESTARTTEXT), SW_SHOW);
    ShowWindow(GetDlgItem(page, IDC_RESTART), SW_SHOW);
    CheckDlgButton(page, IDC_RESTART, BST_CHECKED);
}

static BOOL LeaveFinish(HWND page, BOOL onward) {
    (void)onward;
    if (RebootAsked() && IsDlgButtonChecked(page, IDC_RESTART) != BST_CHECKED)
        SetVariable("Reboot", "0");
    return TRUE;
}

const TPageKind FinishPage = {DLG_FINISH,  T_FINISHTITLE, PlainPageProc, NULL,
                              EnterFinish, LeaveFinish,   NULL,          FinishTexts};
