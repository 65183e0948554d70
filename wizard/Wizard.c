#include "wizard/Wizard.h"

#include "wizard/WizardIds.h"

#include <stdlib.h>

#define MAX_PAGES 8

HINSTANCE WizardModule;

static struct {
    HWND Frame;
    const TPageKind* Kinds[MAX_PAGES];
    HWND Pages[MAX_PAGES];
    int Count;
    int Current;
    BOOL Finish;
    BOOL Ended;
    int Result;
} W;

static void SetButtons(void) {
    const TPageKind* kind = W.Kinds[W.Current];
    HWND page = W.Pages[W.Current];
    BOOL last = W.Current == W.Count - 1;
    SetItemTextOf(W.Frame, IDC_NEXT, W.Finish ? T_FINISH : last ? T_INSTALL : T_NEXT);
    EnableWindow(GetDlgItem(W.Frame, IDC_BACK), !W.Finish && W.Current > 0);
    EnableWindow(GetDlgItem(W.Frame, IDC_NEXT), !kind->CanGoOn || kind->CanGoOn(page));
}

static void ApplyTexts(void) {
    int i;
    SetWindowTextOf(W.Frame, T_CAPTION);
    SetItemTextOf(W.Frame, IDC_BACK, T_BACK);
    SetItemTextOf(W.Frame, IDCANCEL, T_CANCEL);
    SetItemTextOf(W.Frame, IDC_HEADING, W.Kinds[W.Current]->Title);
    for (i = 0; i < W.Count; ++i)
        SetItemTexts(W.Pages[i], W.Kinds[i]->Texts);
    SetButtons();
}

static void Show(int index) {
    const TPageKind* kind = W.Kinds[index];
    HWND focus;
    if (index != W.Current)
        ShowWindow(W.Pages[W.Current], SW_HIDE);
    W.Current = index;
    SetItemTexts(W.Pages[index], kind->Texts);
    /* The heading comes last: whoever drives the wizard takes it as the page being ready. */
    ShowWindow(W.Pages[index], SW_SHOW);
    if (kind->Enter)
        kind->Enter(W.Pages[index]);
    SetItemTextOf(W.Frame, IDC_HEADING, kind->Title);
    SetButtons();
    /* Next has the focus unless the page must be answered first: then its last control, the
       answer (the license's "I accept"). That is the one before the first: asked for the last
       without a control to start from, the system answers none and the keyboard has no focus. */
    focus = GetDlgItem(W.Frame, IDC_NEXT);
    if (!IsWindowEnabled(focus)) {
        focus = GetNextDlgTabItem(W.Pages[index], NULL, FALSE);
        if (focus)
            focus = GetNextDlgTabItem(W.Pages[index], focus, TRUE);
    }
    if (focus)
        SendMessageA(W.Frame, WM_NEXTDLGCTL, (WPARAM)focus, TRUE);
}

static void End(int result) {
    W.Result = result;
    W.Ended = TRUE;
}

static void Move(BOOL onward) {
    const TPageKind* kind = W.Kinds[W.Current];
    if (kind->Leave && !kind->Leave(W.Pages[W.Current], onward))
        return;
    if (!onward)
        Show(W.Current - 1);
    else if (W.Current + 1 < W.Count)
        Show(W.Current + 1);
    else
        End(0);
}

BOOL ConfirmCancel(HWND owner) {
    char* question = TextOf(T_CANCELQUESTION);
    char* caption = TextOf(T_CAPTION);
    BOOL yes = MessageBoxA(owner, question, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
    free(question);
    free(caption);
    return yes;
}

static INT_PTR CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEXT:
            if (IsWindowEnabled(GetDlgItem(frame, IDC_NEXT)))
                Move(TRUE);
            return TRUE;
        case IDC_BACK:
            if (!W.Finish && W.Current > 0)
                Move(FALSE);
            return TRUE;
        case IDCANCEL:
            /* Escape on the finish page closes it as Finish does. */
            if (W.Finish)
                Move(TRUE);
            else if (ConfirmCancel(frame))
                End(1);
            return TRUE;
        }
        break;
    case WM_WIZARD_UPDATE:
        SetButtons();
        return TRUE;
    case WM_CLOSE:
        SendMessageA(frame, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    return FALSE;
}

/* The pages cover the frame's hidden placeholder. */
static BOOL CreatePages(const TPageKind* const* pages, int count) {
    RECT area;
    int i;
    GetWindowRect(GetDlgItem(W.Frame, IDC_PAGEAREA), &area);
    MapWindowPoints(NULL, W.Frame, (POINT*)&area, 2);
    for (i = 0; i < count && W.Count < MAX_PAGES; ++i) {
        HWND page;
        if (pages[i]->Wanted && !pages[i]->Wanted())
            continue;
        page = CreateDialogParamA(WizardModule, MAKEINTRESOURCEA(pages[i]->Dialog), W.Frame,
                                  pages[i]->Proc, 0);
        if (!page)
            return FALSE;
        SetWindowPos(page, GetDlgItem(W.Frame, IDC_PAGEAREA), area.left, area.top,
                     area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
        W.Kinds[W.Count] = pages[i];
        W.Pages[W.Count++] = page;
    }
    return W.Count > 0;
}

int RunWizard(const TPageKind* const* pages, int count, BOOL finish) {
    MSG msg;
    ZeroMemory(&W, sizeof W);
    W.Finish = finish;
    W.Result = 1;
    W.Frame = CreateDialogParamA(WizardModule, MAKEINTRESOURCEA(DLG_FRAME), NULL, FrameProc, 0);
    if (!W.Frame)
        return 1;
    if (!CreatePages(pages, count)) {
        DestroyWindow(W.Frame);
        W.Frame = NULL;
        return 1;
    }
    if (finish) {
        ShowWindow(GetDlgItem(W.Frame, IDC_BACK), SW_HIDE);
        ShowWindow(GetDlgItem(W.Frame, IDCANCEL), SW_HIDE);
    }
    ApplyTexts();
    Show(0);
    ShowWindow(W.Frame, SW_SHOW);
    SetForegroundWindow(W.Frame);
    while (!W.Ended) {
        BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0) {
            /* Someone asked the thread to end: leave, and let the engine's loop see it too. */
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (got == -1)
            break;
        if (!IsDialogMessageA(W.Frame, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    DestroyWindow(W.Frame);
    W.Frame = NULL;
    return W.Result;
}

HWND WizardWindow(void) {
    return W.Frame;
}

void RefreshWizardTexts(void) {
    if (W.Frame)
        ApplyTexts();
}
