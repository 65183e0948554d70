#include "setup/PresetupWindow.h"

#include <commctrl.h>

#include "platform/StrUtils.h"
#include "platform/epUtils.h"
#include "setup/PictureWindow.h"
#include "setup/RgnCompiler.h"
#include "setup/Splash.h"

namespace velk {

namespace {

constexpr int DialogProgressId = 101;
constexpr COLORREF PictureKeyColour = 0x00FF00;

struct {
    HWND Window = nullptr;
    HWND Progress = nullptr;
    TPicture Picture; // none for the dialog form
} Preparation;

INT_PTR CALLBACK PresetupDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void CreateOnPicture() {
    HWND window = CreatePictureWindow("VKPresetupWindow", Preparation.Picture, 0, 0);
    if (!window)
        return;
    Preparation.Window = window;
    Preparation.Progress =
        CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 48, 143, 189,
                        16, window, nullptr, nullptr, nullptr);
    SendMessageA(Preparation.Progress, PBM_SETBARCOLOR, 0, 0x636363);
    SendMessageA(Preparation.Progress, PBM_SETBKCOLOR, 0, 0xFFFFFF);
    HRGN shape = CompileRegion(Preparation.Picture.Bitmap, 0, 0, PictureKeyColour,
                               Preparation.Picture.Height, Preparation.Picture.Width);
    if (shape)
        SetWindowRgn(window, shape, TRUE);
}

void CreateDialogForm(HWND owner, HINSTANCE resources, const std::string& packageName) {
    Preparation.Window =
        CreateDialogParamA(resources, "DLG_PRESETUP", owner, PresetupDialogProc, 0);
    Preparation.Progress = GetDlgItem(Preparation.Window, DialogProgressId);
    SetPreparationCaption(packageName);
}

// Beside a splash the window keeps to the bottom-right corner of the work area.
void Place(HWND window) {
    if (!SplashWindow()) {
        CenterWindow(window);
        return;
    }
    RECT rect;
    GetWindowRect(window, &rect);
    const TRect area = GetWorkArea();
    SetWindowPos(window, nullptr, area.Right - 20 - (rect.right - rect.left),
                 area.Bottom - 20 - (rect.bottom - rect.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void ShowPreparationWindow(const std::string& packageFolder, const std::string& packageName,
                           HINSTANCE resources) {
    if (!Preparation.Window) {
        Preparation.Picture = LoadPicture(packageFolder + "presetup.bmp");
        if (Preparation.Picture)
            CreateOnPicture();
        if (!Preparation.Window) {
            FreePicture(Preparation.Picture);
            CreateDialogForm(MainWindowHandle, resources, packageName);
        }
        if (!Preparation.Window)
            return;
        SendMessageA(Preparation.Progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
        SendMessageA(Preparation.Progress, PBM_SETSTEP, 1, 0);
    }
    SendMessageA(Preparation.Progress, PBM_SETPOS, 0, 0);
    Place(Preparation.Window);
    ShowWindow(Preparation.Window, SW_SHOWNOACTIVATE);
    RedrawNow(Preparation.Window);
}

bool PreparationWindowVisible() {
    return Preparation.Window && IsWindowVisible(Preparation.Window);
}

void SetPreparationCaption(const std::string& packageName) {
    if (Preparation.Window && !Preparation.Picture)
        SetWindowTextA(Preparation.Window,
                       Format("Preparing \"%s\" package...", packageName.c_str()).c_str());
}

void SetPreparationProgress(int percent) {
    if (Preparation.Progress)
        SendMessageA(Preparation.Progress, PBM_SETPOS, WPARAM(percent), 0);
}

void ClosePreparationWindow() {
    if (Preparation.Window)
        DestroyWindow(Preparation.Window);
    FreePicture(Preparation.Picture);
    Preparation.Window = Preparation.Progress = nullptr;
}

} // namespace velk
