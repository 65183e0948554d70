#include "setup/Splash.h"

#include "platform/epUtils.h"
#include "setup/PictureWindow.h"
#include "setup/RgnCompiler.h"
#include "setup/SplashPicture.h"

namespace velk {

namespace {

struct {
    HWND Window = nullptr;
    TPicture Picture;
    DWORD MinimumMs = 0;
    DWORD ShownAt = 0;
} Splash;

// Layered windows exist from Windows 2000 on; the function is looked up so that the program
// still starts on the systems before.
void SetOpacity(HWND window, const TSplashTrailer& trailer) {
    const TOSKind kind = OSVersion().Kind;
    if (trailer.Opacity >= 100 || (kind != osWin2000 && kind != osWinMe && kind != osWinXP))
        return;
    using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    auto setLayered = reinterpret_cast<TSetLayeredWindowAttributes>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
    if (!setLayered)
        return;
    SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    setLayered(window, 0, trailer.Alpha(), LWA_ALPHA);
}

} // namespace

void ShowSplash(const std::string& path) {
    TSplashTrailer trailer;
    TPicture picture = LoadPicture(path, SplashTrailerSize);
    if (!picture || !ReadSplashTrailer(picture.Tail, trailer)) {
        FreePicture(picture);
        return;
    }
    const TRect area = GetWorkArea();
    const int left = area.Left + (area.Right - area.Left - picture.Width) / 2;
    const int top = area.Top + (area.Bottom - area.Top - picture.Height) / 2;
    HWND window = CreatePictureWindow("VKSplashWindow", picture, left, top);
    if (!window) {
        FreePicture(picture);
        return;
    }
    if (trailer.KeyColour != -1) {
        HRGN shape = CompileRegion(picture.Bitmap, 0, 0, COLORREF(trailer.KeyColour),
                                   picture.Height, picture.Width);
        if (shape)
            SetWindowRgn(window, shape, TRUE);
    }
    SetOpacity(window, trailer);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    RedrawNow(window);
    Splash.Window = window;
    Splash.Picture = picture;
    Splash.MinimumMs = trailer.MinimumMilliseconds();
    Splash.ShownAt = GetTickCount();
}

void CloseSplash() {
    if (Splash.Window) {
        // Unsigned arithmetic also ends the wait when the tick count wraps round.
        while (GetTickCount() - Splash.ShownAt < Splash.MinimumMs)
            ProcessMessages();
        DestroyWindow(Splash.Window);
        Splash.Window = nullptr;
    }
    FreePicture(Splash.Picture);
}

HWND SplashWindow() {
    return Splash.Window;
}

} // namespace velk
