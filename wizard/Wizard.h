/* The wizard window: a frame with a heading and Back / Next / Cancel around a row of pages,
   run modally with its own message loop so that the keyboard works (IsDialogMessage). */
#ifndef VELK_WIZARD_WIZARD_H
#define VELK_WIZARD_WIZARD_H

#include "wizard/Texts.h"

#include <windows.h>

/* Sent by a page to its frame when whether Next may be pressed has changed. */
#define WM_WIZARD_UPDATE (WM_APP + 1)

typedef struct {
    int Dialog;
    TTextId Title;
    DLGPROC Proc;
    BOOL (*Wanted)(void);                  /* NULL: always shown */
    void (*Enter)(HWND page);              /* each time the page is shown; NULL: nothing */
    BOOL (*Leave)(HWND page, BOOL onward); /* FALSE keeps the page; NULL: leave */
    BOOL (*CanGoOn)(HWND page);            /* NULL: Next is enabled */
    const TControlText* Texts;
} TPageKind;

extern HINSTANCE WizardModule;

/* Shows the pages that are wanted; 0 when the user went through them all, 1 when cancelled.
   With finish set there is no way back and no Cancel, and Next reads Finish. */
int RunWizard(const TPageKind* const* pages, int count, BOOL finish);

/* Asks whether to stop, in a box the window owns: a slip of the mouse must not throw away what
   was chosen, or a half-done installation. TRUE for yes. */
BOOL ConfirmCancel(HWND owner);

/* The wizard window while it runs, else NULL. */
HWND WizardWindow(void);

/* Sets every text of the wizard again (after the language has changed). */
void RefreshWizardTexts(void);

#endif
